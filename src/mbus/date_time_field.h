#pragma once

#include <QByteArray>
#include <QString>

namespace holvex::mbus {

// Type G date ("6C"/"EC": "d.m.y") or type F date and time ("6D"/"ED": "h:mm, d.m.y") from the bytes at
// dataStart. "Exception decoding DateTime" when the bytes would reach the checksum (frame.size() - 2) or
// beyond, or for any other VIF text. Never throws.
QString decodeDateTime(const QByteArray& frame, const QString& vifHex, int dataStart);

} // namespace holvex::mbus
