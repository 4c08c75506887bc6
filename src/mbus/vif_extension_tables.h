#pragma once

#include <QString>

namespace holvex::mbus {

// Unit text of the 0xFD extension table for a code 0x00..0x7F ("VIF not supported" when not listed).
QString vifExtensionFd(quint8 code);

struct VifExtensionFbEntry {
    QString unit;
    double multiplier = 1.0;
};

// Unit and multiplier of the 0xFB extension table for a code 0x00..0x7F.
VifExtensionFbEntry vifExtensionFb(quint8 code);

} // namespace holvex::mbus
