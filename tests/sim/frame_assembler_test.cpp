#include "sim/frame_assembler.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

using test::hex;

struct Case {
    const char* name;
    QList<const char*> feeds;  // pieces as they arrive
    QList<const char*> frames; // frames cut, in order
    int held;                  // bytes kept for an unfinished frame
};

TEST(FrameAssemblerTest, CutsFramesOutOfTheStream) {
    const Case cases[] = {
        {"short frame", {"10 7B 01 7C 16"}, {"10 7B 01 7C 16"}, 0},
        {"short frame in pieces", {"10", "7B 01", "7C 16"}, {"10 7B 01 7C 16"}, 0},
        {"two frames in one read",
         {"10 40 05 45 16 10 7B 05 80 16"},
         {"10 40 05 45 16", "10 7B 05 80 16"},
         0},
        {"long frame", {"68 03 03 68 53 FE BD 0E 16"}, {"68 03 03 68 53 FE BD 0E 16"}, 0},
        {"long frame in pieces", {"68 03", "03 68 53 FE", "BD 0E", "16"}, {"68 03 03 68 53 FE BD 0E 16"}, 0},
        {"garbage before a frame", {"00 FF E5 7B 10 7B 01 7C 16"}, {"10 7B 01 7C 16"}, 0},
        {"bad checksum is still cut", {"10 7B 01 00 16"}, {"10 7B 01 00 16"}, 0},
        {"short with a bad stop byte resynchronises",
         {"10 7B 01 7C 17 10 7B 02 7D 16"},
         {"10 7B 02 7D 16"},
         0},
        {"long with a bad stop byte resynchronises",
         {"68 04 04 68 10 7B 03 7E 16 99"},
         {"10 7B 03 7E 16"},
         0},
        {"lengths that differ are no header", {"68 05 04 68 10 7B 04 7F 16"}, {"10 7B 04 7F 16"}, 0},
        {"length below three is no header", {"68 02 02 68 10 7B 04 7F 16"}, {"10 7B 04 7F 16"}, 0},
        {"unfinished short frame waits", {"10 7B 01"}, {}, 3},
        {"unfinished long frame waits", {"68 10 10 68 53 01"}, {}, 6},
        {"a lone 68 waits", {"68"}, {}, 1},
        {"68 with differing lengths is dropped early", {"68 05 04"}, {}, 0},
        {"text lines are dropped", {"GET MAIN"}, {}, 0},
        {"empty", {""}, {}, 0},
    };
    for (const Case& c : cases) {
        FrameAssembler a;
        QList<QByteArray> frames;
        for (const char* feed : c.feeds) {
            frames += a.feed(QByteArray(feed).startsWith("GET") ? QByteArray(feed) : hex(feed));
        }
        QList<QByteArray> expected;
        for (const char* f : c.frames) {
            expected.append(hex(f));
        }
        EXPECT_EQ(frames, expected) << c.name;
        EXPECT_EQ(a.held(), c.held) << c.name;
    }
}

TEST(FrameAssemblerTest, LongestFrameIsTakenWhole) {
    QByteArray frame = hex("68 FF FF 68 08 01 72");
    frame.append(QByteArray(252, '\x11'));
    frame.append('\0'); // checksum is not judged here
    frame.append('\x16');
    FrameAssembler a;
    EXPECT_TRUE(a.feed(frame.left(200)).isEmpty());
    EXPECT_EQ(a.feed(frame.mid(200)), QList<QByteArray>{frame});
    EXPECT_FALSE(a.hasPartial());
}

TEST(FrameAssemblerTest, GarbageIsNotHeld) {
    FrameAssembler a;
    const QByteArray garbage(100000, '\x55');
    EXPECT_TRUE(a.feed(garbage).isEmpty());
    EXPECT_EQ(a.held(), 0);
    EXPECT_EQ(a.dropped(), 100000);
}

TEST(FrameAssemblerTest, ClearForgetsAnUnfinishedFrame) {
    FrameAssembler a;
    a.feed(hex("10 7B"));
    a.clear();
    EXPECT_EQ(a.feed(hex("10 7B 01 7C 16")), QList<QByteArray>{hex("10 7B 01 7C 16")});
}

} // namespace
} // namespace holvex::sim
