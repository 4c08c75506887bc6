#pragma once

#include <QString>

namespace holvex::links {

// Why a serial port could not be opened, as far as the file system tells.
enum class SerialOpenFailure {
    InUse,        // the device exists and may be opened, but another program holds it
    Missing,      // no such device
    NoPermission, // the device exists but this user may not read and write it
};

// The device path of a "Name" setting: a full path stays as it is, "COMn" (settings written on another
// desktop) becomes /dev/ttyS(n-1), any other name is looked up in /dev ("ttyUSB0" -> /dev/ttyUSB0).
QString serialDevicePath(const QString& name);

// The reason from what the file system says about the device.
SerialOpenFailure classifySerialOpenFailure(bool exists, bool readableAndWritable);

// Looks the device up and classifies the failure; ownerGroup receives the group that owns the device
// (empty when it does not exist).
SerialOpenFailure inspectSerialOpenFailure(const QString& devicePath, QString* ownerGroup);

// One operator line saying why the device could not be opened, in English or Italian.
QString serialOpenFailureText(SerialOpenFailure failure, const QString& devicePath, const QString& ownerGroup,
                              bool italian);

} // namespace holvex::links
