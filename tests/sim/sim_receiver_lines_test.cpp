#include "sim/receiver_lines.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

using test::hex;

// Sixteen key bytes that look like line ends, a frame start, a comma and the next line's verb.
const QByteArray kKey = QByteArray("\r\n\0h,get set \x16\xFF", 16);
const QByteArray kAddress = hex("0D 0A 00 68 2C 64 65 6C"); // ends in "del"

TEST(SimReceiverLinesTest, OneWriteIsCutIntoTheReceiversLinesByTheirLength) {
    const struct Row {
        const char* what;
        QByteArray chunk;
        QList<QByteArray> lines;
    } rows[] = {
        {"one line", "set pito=15", {"set pito=15"}},
        {"two plain lines", "set pito=15get serv", {"set pito=15", "get serv"}},
        {"key under the address and under the ID",
         "set encr=5," + kKey + "set akey=12345678," + kKey,
         {"set encr=5," + kKey, "set akey=12345678," + kKey}},
        {"master key, then a plain line",
         "set encr=0," + kKey + "get wsta",
         {"set encr=0," + kKey, "get wsta"}},
        // "del " across the end of the raw bytes is not a line start; the blank after them stays with them.
        {"binding with bytes that spell a verb",
         "set bind=7," + kAddress + " del bind=7",
         {"set bind=7," + kAddress + " ", "del bind=7"}},
        {"binding, then de-binding",
         "set bind=7," + kAddress + "del bind=7",
         {"set bind=7," + kAddress, "del bind=7"}},
        {"a terminator after the key stays with its line",
         "set encr=5," + kKey + "\r\n",
         {"set encr=5," + kKey + "\r\n"}},
        {"a key too short is one line", "set encr=5," + kKey.left(10), {"set encr=5," + kKey.left(10)}},
        {"an ID too long to be one", "set akey=123456789,xyget serv", {"set akey=123456789,xy", "get serv"}},
        {"no comma", "set bind=7", {"set bind=7"}},
        {"upper-case lines are left whole", "SET ENTR=5get serv", {"SET ENTR=5get serv"}},
        {"not a line at all", hex("10 7B 01 7C 16"), {hex("10 7B 01 7C 16")}},
        {"verb without key", "set ", {"set "}},
    };
    for (const Row& row : rows) {
        const QList<QByteArray> lines = splitReceiverLines(row.chunk);
        EXPECT_EQ(lines, row.lines) << row.what;
        EXPECT_EQ(lines.join(), row.chunk) << row.what;
    }
    EXPECT_EQ(rawArgumentBytes("set bind=1,"), 8);
    EXPECT_EQ(rawArgumentBytes("set akey=1"), 16);
    EXPECT_EQ(rawArgumentBytes("del bind=1"), 0);
    EXPECT_FALSE(startsReceiverLine("xset ", 0));
    EXPECT_TRUE(startsReceiverLine("xset ", 1));
    EXPECT_FALSE(startsReceiverLine("set", 0));
}

} // namespace
} // namespace holvex::sim
