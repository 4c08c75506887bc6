#pragma once

#include <QByteArray>
#include <QString>

namespace holvex::mbus {

struct VifResult {
    QString unit = QStringLiteral("Not supported");
    QString qualifier;
    double multiplier = 1.0;
};

// Unit, qualifier and multiplier of the VIF at vifPos. For 0xFB/0xFD (and 0x7B/0x7D) the byte after the VIF
// selects the extension table entry. For the plain-text VIFs 0x7C/0xFC the length byte is the byte right
// after the VIF and the text follows it (any VIFEs of 0xFC come after the text); qualifier "text" tells the
// caller to skip L + 1 bytes. dataStart and vifHex are not needed: the bytes are read from the frame. Throws
// DecodeError when a byte the lookup needs (the extension selector, the text length byte or the text itself)
// would lie at or past the checksum (frame.size() - 2).
VifResult lookupVif(const QByteArray& frame, int vifPos, int dataStart, const QString& vifHex);

// The primary table alone, for a code 0x00..0x7F (after the extension bit is cleared by the caller).
// Returns false when the code is not listed (result untouched).
bool lookupPrimaryVif(quint8 code, VifResult& result);

} // namespace holvex::mbus
