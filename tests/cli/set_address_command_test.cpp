#include "bus_command_fixture.h"

namespace holvex::cli::test {
namespace {

QStringList setAddress(const char* id, const char* to) {
    return {QStringLiteral("set-address"), QStringLiteral("--id"), QString::fromLatin1(id),
            QStringLiteral("--to"), QString::fromLatin1(to)};
}

TEST_F(BusCommandTest, SetAddressGivesTheMeterItsNewAddressAndPrintsTheReadBack) {
    const RunResult result = runCli(setAddress("21034502", "7"));
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.startsWith("21034502;7;SEN;7,5")) << result.out.toStdString();
    EXPECT_EQ(result.out.count('\n'), 1);
    EXPECT_TRUE(result.err.contains("0xE5 (Acknowledge)")) << result.err.toStdString();

    // The meter now answers at its new address only.
    const RunResult read = runCli({QStringLiteral("read"), QStringLiteral("--address"), QStringLiteral("7")});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    EXPECT_TRUE(read.out.startsWith("21034502;7;")) << read.out.toStdString();
}

TEST_F(BusCommandTest, SetAddressAsJson) {
    const RunResult result = runCli(setAddress("21034504", "12") + QStringList{QStringLiteral("--json")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.startsWith("{\"rows\":[{\"id\":\"21034504\",\"address\":\"12\""))
        << result.out.toStdString();
}

TEST_F(BusCommandTest, SetAddressOfAnAbsentIdExitsOne) {
    const RunResult result = runCli(setAddress("99999999", "7"));
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("No response from device 99999999")) << result.err.toStdString();
    EXPECT_EQ(result.out, QByteArray("99999999;;;;;;;;;;;;\r\n"));
}

struct BadSetAddress {
    const char* name;
    QStringList arguments;
};

class BadSetAddressTest : public BusCommandTest, public ::testing::WithParamInterface<BadSetAddress> {};

TEST_P(BadSetAddressTest, ExitTwoWithOneLine) {
    const RunResult result = runRaw(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cli, BadSetAddressTest,
    ::testing::Values(
        BadSetAddress{"NoId", {"set-address", "--to", "7"}},
        BadSetAddress{"NoTarget", {"set-address", "--id", "12345678"}},
        BadSetAddress{"Target250", {"set-address", "--id", "12345678", "--to", "250"}},
        BadSetAddress{"TargetNegative", {"set-address", "--id=12345678", "--to=-1"}},
        BadSetAddress{"IdSevenDigits", {"set-address", "--id", "1234567", "--to", "7"}},
        BadSetAddress{"IdWildcard", {"set-address", "--id", "1234FFFF", "--to", "7"}},
        BadSetAddress{"IdMissingValue", {"set-address", "--to", "7", "--id"}},
        BadSetAddress{"AddressOption", {"set-address", "--id", "12345678", "--to", "7", "--address", "1"}},
        BadSetAddress{"UnknownOption", {"set-address", "--id", "12345678", "--to", "7", "--fast"}}),
    [](const ::testing::TestParamInfo<BadSetAddress>& test) { return std::string(test.param.name); });

TEST_F(BusCommandTest, SetAddressOnAMissingSerialPortExitsOne) {
    const RunResult result =
        runRaw(setAddress("12345678", "7") + QStringList{QStringLiteral("--home"), homePath(),
                                                         QStringLiteral("--port"),
                                                         QStringLiteral("/nonexistent/ttyHOLVEX")});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
}

} // namespace
} // namespace holvex::cli::test
