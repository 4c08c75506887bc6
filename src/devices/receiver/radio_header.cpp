#include "devices/receiver/radio_header.h"

#include "codec/frame_codec.h"
#include "mbus/hex_text.h"
#include "mbus/lookups.h"

namespace holvex::receiver {

namespace {

quint8 byteAt(const QByteArray& bytes, int index) {
    return static_cast<quint8>(bytes[index]);
}

QString hexByte(quint8 value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString idText(const QByteArray& bytes, int offset) {
    QString text;
    for (int i = offset + 3; i >= offset; --i) {
        mbus::appendHex(text, bytes, i, 1);
    }
    return text;
}

std::optional<ReceiverRow> radioHeaderRow(const QByteArray& telegram, const QString& dateText,
                                          const QString& timeText) {
    if (telegram.size() < radio::kHeaderBytes) {
        return std::nullopt;
    }
    ReceiverRow row;
    row.id = idText(telegram, radio::kId);
    row.manufacturer = mbus::manufacturerLetters(static_cast<quint16>(
        byteAt(telegram, radio::kManufacturer) | (byteAt(telegram, radio::kManufacturer + 1) << 8)));
    row.version = QString::number(byteAt(telegram, radio::kVersion));
    const quint8 device = byteAt(telegram, radio::kDevice);
    row.device = QString::number(device);
    row.medium = mbus::radioMediumName(device);
    row.note = QStringLiteral("L=0x") + hexByte(byteAt(telegram, radio::kLength)) + QStringLiteral(", C=0x") +
               hexByte(byteAt(telegram, radio::kControl));
    if (byteAt(telegram, radio::kCi) == radio::kCiLongHeader && telegram.size() >= radio::kLongHeaderId + 4) {
        row.auxiliaryId = idText(telegram, radio::kLongHeaderId);
    }
    row.telegram = codec::spacedHex(telegram.mid(radio::kCi));
    row.timeDate = dateText + QStringLiteral(", ") + timeText;
    return row;
}

bool excludedAsIdentical(bool excludeIdentical, const QString& id, const QStringList& tableIds) {
    return excludeIdentical && tableIds.contains(id);
}

AcquiredTelegram acquireTelegram(const QByteArray& telegram, const QStringList& tableIds,
                                 bool excludeIdentical, const QString& dateText, const QString& timeText) {
    AcquiredTelegram result;
    result.row = radioHeaderRow(telegram, dateText, timeText);
    if (result.row && excludedAsIdentical(excludeIdentical, result.row->id, tableIds)) {
        result.row.reset();
        return result;
    }
    result.log.append(codec::spacedHex(telegram));
    if (!result.row) {
        return result;
    }
    if (tableIds.size() <= 1 && tableIds.value(0).isEmpty()) {
        result.placement = RowPlacement::FillFirstRow;
    } else if (tableIds.size() >= kMaxReceiverRows) {
        result.placement = RowPlacement::OverwriteLastRow;
    } else {
        result.placement = RowPlacement::AppendRow;
    }
    return result;
}

} // namespace holvex::receiver
