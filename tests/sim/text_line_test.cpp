#include "sim/text_line.h"
#include "sim/text_routing.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

TEST(TextLineTest, LinesAreToldFromFramesByTheirFirstByte) {
    const struct Row {
        QByteArray bytes;
        bool text;
    } rows[] = {
        {"SET ENTR=5", true},
        {"get serv", true},
        {"?", true},
        {QByteArray::fromHex("107B017C16"), false}, // short frame
        {QByteArray::fromHex("6803036853015116"), false},
        {"h", false}, // 0x68: a long frame's start
        {QByteArray::fromHex("E5"), false},
        {QByteArray::fromHex("FF00107B"), false}, // noise before a frame
        {" SET", false},
        {QByteArray(), false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(isTextLine(row.bytes), row.text) << row.bytes.toHex().constData();
    }
}

TEST(TextLineTest, LinesAreTakenApart) {
    const struct Row {
        const char* line;
        bool parsed;
        const char* command;
        bool equals;
        const char* arguments;
    } rows[] = {
        {"SET ENTR=5", true, "SET ENTR", true, "5"},
        {"GET MAIN", true, "GET MAIN", false, ""},
        {"SET TEXT=5,a,b", true, "SET TEXT", true, "5,a,b"},
        {"SET APNM=\"web\"", true, "SET APNM", true, "\"web\""},
        {"SET TEX2=", true, "SET TEX2", true, ""},
        {"set wmod=1", true, "set wmod", true, "1"},
        {"GET MAIN\r\n", false, "", false, ""}, // a terminator is not part of the line format
        {"GET MAI", false, "", false, ""},
        {"GETMAIN", false, "", false, ""},
        {"GET MA-N", false, "", false, ""},
        {"GET MAINX", false, "", false, ""},
        {"G1T MAIN", false, "", false, ""},
    };
    for (const Row& row : rows) {
        const auto line = parseTextLine(row.line);
        ASSERT_EQ(line.has_value(), row.parsed) << row.line;
        if (line) {
            EXPECT_EQ(line->command(), QByteArray(row.command)) << row.line;
            EXPECT_EQ(line->hasEquals, row.equals) << row.line;
            EXPECT_EQ(line->arguments, QByteArray(row.arguments)) << row.line;
        }
    }
    const auto text = parseTextLine("SET TEXT=5,Flat 3, floor 2");
    EXPECT_EQ(text->argumentList(2), (QList<QByteArray>{"5", "Flat 3, floor 2"}));
    EXPECT_EQ(text->argumentList(), (QList<QByteArray>{"5", "Flat 3", " floor 2"}));
    EXPECT_EQ(parseTextLine("SET ENTR=")->argumentList(), QList<QByteArray>{""});
}

TEST(TextLineTest, NumbersAndAnswersAndRecords) {
    EXPECT_EQ(decimalNumber("007", 3), 7);
    EXPECT_FALSE(decimalNumber("0007", 3));
    EXPECT_FALSE(decimalNumber("", 3));
    EXPECT_FALSE(decimalNumber("1a", 3));
    EXPECT_FALSE(decimalNumber("+1", 3));
    EXPECT_EQ(answerLines({"a", "", "b"}), QByteArray("a\r\n\r\nb"));
    EXPECT_EQ(answerLines({"one"}), QByteArray("one"));
    // Every byte value of a line survives the record one to one, on one line of plain text.
    const struct Escape {
        QByteArray line;
        QByteArray recorded;
    } escapes[] = {
        {QByteArray("a\\b\r\nc\x01\xFF", 8), QByteArray("a\\\\b\\r\\nc\\x01\xFF")},
        {QByteArray("set encr=5,\0\x1F\x7Fh \\x00", 20), QByteArray("set encr=5,\\x00\\x1F\\x7Fh \\\\x00")},
        {"", ""},
    };
    for (const Escape& e : escapes) {
        EXPECT_EQ(escapedLine(e.line), e.recorded) << e.recorded.constData();
        EXPECT_EQ(unescapedLine(e.recorded), e.line) << e.recorded.constData();
    }
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b) {
        everyByte.append(static_cast<char>(b));
    }
    const QByteArray recorded = escapedLine(everyByte);
    for (char c : recorded) {
        EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) << int(c);
    }
    EXPECT_EQ(unescapedLine(recorded), everyByte);
    // Only what escapedLine writes reads back.
    for (const char* foreign : {"a\\", "\\x4", "\\x41", "\\x0a", "\\x1f", "\\t", "a\x01"}) {
        EXPECT_EQ(unescapedLine(foreign), std::nullopt) << foreign;
    }
}

TEST(TextLineTest, EachLineGoesToTheDeviceThatKnowsIt) {
    const TextDevicesPresent both{
        .display = true, .gatewayService = true, .serialTextDevice = TextDevice::Display};
    TextDevicesPresent gatewayFirst = both;
    gatewayFirst.serialTextDevice = TextDevice::GatewayService;
    const TextDevicesPresent noDisplay{
        .display = false, .gatewayService = true, .serialTextDevice = TextDevice::Display};
    using D = std::optional<TextDevice>;
    const D display = TextDevice::Display;
    const D gateway = TextDevice::GatewayService;
    const struct Row {
        const char* line;
        TextRoad road;
        const TextDevicesPresent& present;
        D device;
    } rows[] = {
        {"SET ENTR=5", TextRoad::Serial, both, display},
        {"SET ENTR=5", TextRoad::Serial, gatewayFirst, display}, // only the display knows it
        {"SET PITO=05", TextRoad::Serial, both, gateway},
        {"SET PITO=05", TextRoad::Lan, both, std::nullopt}, // the service port is on the serial line only
        {"SET PITO=05", TextRoad::Gateway, both, std::nullopt},
        {"GET MAIN", TextRoad::Serial, both, display},
        {"GET MAIN", TextRoad::Serial, gatewayFirst, gateway},
        {"SET DATE=08/12/26", TextRoad::Serial, gatewayFirst, gateway},
        {"GET SERV", TextRoad::Serial, noDisplay, gateway},
        {"GET SERV", TextRoad::Lan, noDisplay, std::nullopt},
        {"GET SERV", TextRoad::Gateway, gatewayFirst, display},
        {"SET SERV=1", TextRoad::Serial, both, gateway},
        {"GET HIST=1,1", TextRoad::Gateway, both, display},
        {"set wmod=1", TextRoad::Serial, both, std::nullopt}, // the wireless receiver's: nobody here
        {"GET XXXX", TextRoad::Serial, both, std::nullopt},
    };
    for (const Row& row : rows) {
        const auto line = parseTextLine(row.line);
        ASSERT_TRUE(line) << row.line;
        EXPECT_EQ(routeTextLine(*line, row.road, row.present), row.device)
            << row.line << " on road " << static_cast<int>(row.road);
    }
}

} // namespace
} // namespace holvex::sim
