#include "links/serial_port_names.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace holvex::links;

namespace {

TEST(SerialPortNames, DevicePathOfEveryKindOfName) {
    struct Case {
        const char* name;
        const char* path;
    };
    const Case cases[] = {
        {"COM1", "/dev/ttyS0"},      {"COM10", "/dev/ttyS9"},
        {"com3", "/dev/ttyS2"},      {"ttyUSB0", "/dev/ttyUSB0"},
        {"ttyACM1", "/dev/ttyACM1"}, {"/tmp/holvex-a", "/tmp/holvex-a"},
        {" ttyS1 ", "/dev/ttyS1"},   {"COM0", "/dev/COM0"},
        {"COMx", "/dev/COMx"},       {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(serialDevicePath(QString::fromLatin1(c.name)), QString::fromLatin1(c.path)) << c.name;
    }
}

TEST(SerialPortNames, ClassifiesFromWhatTheFileSystemSays) {
    EXPECT_EQ(classifySerialOpenFailure(false, false), SerialOpenFailure::Missing);
    EXPECT_EQ(classifySerialOpenFailure(true, false), SerialOpenFailure::NoPermission);
    EXPECT_EQ(classifySerialOpenFailure(true, true), SerialOpenFailure::InUse);
}

TEST(SerialPortNames, InspectsARealPath) {
    QString group = QStringLiteral("stale");
    EXPECT_EQ(inspectSerialOpenFailure(QStringLiteral("/dev/holvex-no-such-port"), &group),
              SerialOpenFailure::Missing);
    EXPECT_TRUE(group.isEmpty());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(inspectSerialOpenFailure(dir.path(), &group), SerialOpenFailure::InUse);
    EXPECT_FALSE(group.isEmpty());
}

TEST(SerialPortNames, PermissionTextNamesTheOwningGroup) {
    const QString text = serialOpenFailureText(
        SerialOpenFailure::NoPermission, QStringLiteral("/dev/ttyUSB0"), QStringLiteral("dialout"), false);
    EXPECT_TRUE(text.contains(QStringLiteral("/dev/ttyUSB0")));
    EXPECT_TRUE(text.contains(QStringLiteral("\"dialout\"")));
    // Without a known owner the usual group is suggested.
    EXPECT_TRUE(
        serialOpenFailureText(SerialOpenFailure::NoPermission, QStringLiteral("/dev/x"), QString(), true)
            .contains(QStringLiteral("dialout")));
    EXPECT_TRUE(serialOpenFailureText(SerialOpenFailure::Missing, QStringLiteral("/dev/x"), QString(), false)
                    .contains(QStringLiteral("does not exist")));
    EXPECT_TRUE(serialOpenFailureText(SerialOpenFailure::InUse, QStringLiteral("/dev/x"), QString(), false)
                    .contains(QStringLiteral("in use")));
}

} // namespace
