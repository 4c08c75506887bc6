#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

namespace holvex::sim {

// One data record of a built telegram. The type picks the VIF and the unit the value is given in:
//   volume m3, energy kWh, power kW, flow m3/h, flowTemperature / returnTemperature / externalTemperature
//   degrees C, temperatureDifference K, hca units, onTime / operatingTime hours, fabrication number,
//   errorFlags, datetime ("2026-12-08 10:15"), date ("2026-12-08"), raw (DIF to data as hex).
struct RecordPlan {
    QString type;
    double value = 0;
    int decimals = -1; // resolution of the stored value; -1: the type's usual one
    QString coding;    // bcd2..bcd12, int8..int64, real; empty: the type's usual one
    int storage = 0;   // storage number (0: current value)
    int tariff = 0;    // 0..3
    QString function;  // "", "max", "min", "error"
    QString text;      // datetime / date value, or the raw record's hex
};

struct TelegramPlan {
    std::uint8_t address = 0;
    QString id;           // 8 decimal digits
    QString manufacturer; // 3 letters
    std::uint8_t version = 0;
    std::uint8_t medium = 0;
    std::uint8_t accessNumber = 0;
    std::uint8_t status = 0;
    QList<RecordPlan> records;
    std::uint8_t trailer = 0; // 0: none; 0x1F: more telegrams follow; 0x0F: the last of a sequence
};

// The three letters of a manufacturer as the 16-bit code of the telegram header; nullopt for other text.
std::optional<std::uint16_t> manufacturerCode(const QString& letters);

// A medium by name ("water", "heat", "electricity", "hca" ...) or as a number 0..255.
std::optional<std::uint8_t> mediumCode(const QString& nameOrNumber);

// The encoded bytes of one record (DIF, DIFE, VIF, VIFE, data); nullopt with a reason on a bad plan.
std::optional<QByteArray> buildRecord(const RecordPlan& record, QString* error);

// The whole RSP_UD long frame (C 0x08, CI 0x72, fixed header, records, optional trailer DIF).
std::optional<QByteArray> buildTelegram(const TelegramPlan& plan, QString* error);

} // namespace holvex::sim
