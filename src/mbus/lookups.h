#pragma once

#include <QChar>
#include <QString>

#include <optional>

namespace holvex::mbus {

// Three letters of the little-endian manufacturer field (bit 15 is not masked off).
QString manufacturerLetters(quint16 field);
// The reverse: exactly three characters to the field value, otherwise 0.
int manufacturerCode(const QString& letters);

struct MediumInfo {
    QString name;
    QString unitA;
    QString unitB;
    QString unitC;
};

// Wired telegram medium byte to name and the three main units.
MediumInfo mediumName(quint8 medium);
// Radio telegram device-type byte to name; empty when not listed.
QString radioMediumName(quint8 deviceType);
// Medium name to code (0x0F for a name not known).
int mediumCode(const QString& name);
// The code of a medium name of the list; nothing for any other text.
std::optional<int> knownMediumCode(const QString& name);
// Unit text and multiplier text to the VIF written to a meter (0 when not known).
int unitCode(const QString& unit, const QString& multiplier);

// Version byte to model text ("QSB-3", "Unknown").
QString modelName(quint8 version);
// Status byte's high nibble to pulse width text.
QString pulseWidthName(quint8 status);

// Battery voltage(s) from the frame's hex text: "0" when the frame is too short or nothing qualifies.
// When the search fails, logLine (if given) receives the event-log line; the result is then "0". Never
// throws.
QString batteryText(const QString& frameHex, QChar decimalSeparator = QLatin1Char('.'),
                    QString* logLine = nullptr);

} // namespace holvex::mbus
