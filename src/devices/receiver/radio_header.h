#pragma once

#include "devices/receiver/receiver_row.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace holvex::receiver {

// Offsets in a relayed telegram, counted from its 0x68 start byte.
namespace radio {
inline constexpr int kLength = 1;
inline constexpr int kControl = 2;
inline constexpr int kManufacturer = 3; // 2 bytes, low byte first
inline constexpr int kId = 5;           // 4 BCD bytes, least significant first
inline constexpr int kVersion = 9;
inline constexpr int kDevice = 10;
inline constexpr int kCi = 11;
inline constexpr int kLongHeaderId = 12; // 4 bytes, only after CI 0x72
inline constexpr int kHeaderBytes = kCi + 1;
inline constexpr quint8 kCiLongHeader = 0x72;
} // namespace radio

// The receiver-table row of one relayed telegram: ID, MFR, version, device, medium, note, the long
// header's ID after CI 0x72, the bytes from the CI-field to the end byte, and "date, time". None when the
// telegram is too short to reach its CI-field (the finder hands on anything from a 0x68 to a 0x16).
std::optional<ReceiverRow> radioHeaderRow(const QByteArray& telegram, const QString& dateText,
                                          const QString& timeText);

// Four bytes from `offset`, least significant first, as eight hex digits most significant first.
QString idText(const QByteArray& bytes, int offset);

// "Exclude identical": the telegram is dropped when a row with the same ID is in the table already.
bool excludedAsIdentical(bool excludeIdentical, const QString& id, const QStringList& tableIds);

// The receiver table holds at most this many data rows ("Add row" stops there too).
inline constexpr int kMaxReceiverRows = 450;

enum class RowPlacement {
    Dropped,          // "Exclude identical" found the ID, or the telegram has no header
    FillFirstRow,     // the table holds only its one empty row: fill it
    AppendRow,        // add a row at the end and fill it
    OverwriteLastRow, // the table is full: the newest telegram takes the last row
};

// One acquired telegram as it goes into the receiver table. `tableIds` are the IDs of the table's data rows
// in order (a fresh table has one row with an empty ID). `log` holds the telegram as spaced hex unless it
// was dropped by "Exclude identical".
struct AcquiredTelegram {
    RowPlacement placement = RowPlacement::Dropped;
    std::optional<ReceiverRow> row;
    QStringList log;
};

AcquiredTelegram acquireTelegram(const QByteArray& telegram, const QStringList& tableIds,
                                 bool excludeIdentical, const QString& dateText, const QString& timeText);

} // namespace holvex::receiver
