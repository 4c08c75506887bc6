#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

namespace holvex::mbus {

// Bytes of data by the DIF's low nibble; 0xD gives 1 (the LVAR byte; the rest is found by DecodeDataField),
// 0x8 and 0xF give 0.
int dataFieldLength(quint8 dif);

// Data-field text of the DIF's high nibble, trailing space included ("Instantenous value " ...).
QString functionFieldText(quint8 highNibble);

// "Storage is: " + storage (when below 10) + ", Tariff is: " + tariff + " ".
QString storageTariffText(quint8 dife);

struct DataFieldResult {
    QString fieldText;
    QString valueText;
    int dataLength = 0;
};

// Decodes the record's data field. dataLength is the caller's length from DataFieldLength; only code 0xD
// changes it (1 + the variable part). A field whose bytes would reach the checksum (frame.size() - 2) or
// beyond gives its code's failure text ("Exception " etc.) and is not read. Never throws.
DataFieldResult decodeDataField(const QByteArray& frame, int difPos, int dataStart, const QString& vifHex,
                                double multiplier, int dataLength, QChar decimalSeparator);

} // namespace holvex::mbus
