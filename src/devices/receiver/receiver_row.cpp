#include "devices/receiver/receiver_row.h"

namespace holvex::receiver {

namespace {

constexpr int kMaxAddressDigits = 9; // keeps the number inside an int

} // namespace

QStringList ReceiverRow::cells() const {
    return {id, address, manufacturer, version, device, medium, note, auxiliaryId, telegram, timeDate};
}

ReceiverRow ReceiverRow::fromCells(const QStringList& cells) {
    ReceiverRow row;
    row.id = cells.value(0);
    row.address = cells.value(1);
    row.manufacturer = cells.value(2);
    row.version = cells.value(3);
    row.device = cells.value(4);
    row.medium = cells.value(5);
    row.note = cells.value(6);
    row.auxiliaryId = cells.value(7);
    row.telegram = cells.value(8);
    row.timeDate = cells.value(9);
    return row;
}

const QStringList& receiverTableTitles() {
    static const QStringList titles = {
        QStringLiteral("ID "),       QStringLiteral("Addr. "),
        QStringLiteral("MFR "),      QStringLiteral("Version "),
        QStringLiteral("Device "),   QStringLiteral("Medium"),
        QStringLiteral("Note "),     QStringLiteral("Auxiliary ID "),
        QStringLiteral("Telegram "), QStringLiteral("Time and Date "),
    };
    return titles;
}

bool addressNumber(const QString& address, int* value) {
    if (address.isEmpty() || address.size() > kMaxAddressDigits) {
        return false;
    }
    int number = 0;
    for (const QChar c : address) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
        number = number * 10 + (c.unicode() - u'0');
    }
    if (value != nullptr) {
        *value = number;
    }
    return true;
}

QString addressLabel(const QString& address) {
    if (!addressNumber(address, nullptr)) {
        return QStringLiteral("Address unknown");
    }
    return QStringLiteral("Address ") + address;
}

QString idLabel(const QString& id) {
    return QStringLiteral("ID: ") + id;
}

} // namespace holvex::receiver
