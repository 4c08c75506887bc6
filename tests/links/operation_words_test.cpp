#include "links/channel.h"

#include <gtest/gtest.h>

namespace holvex::links {
namespace {

struct SocketLineCase {
    OperationWords words;
    const char* expected;
};

TEST(OperationWordsTest, GatewayFailureLineNamesTheOperationOrTakesTheGivenLead) {
    const SocketLineCase cases[] = {
        {OperationWords::read(3), "Socket exception during normal read - peer gone"},
        {OperationWords{QStringLiteral("secondary set"), QStringLiteral("x")},
         "Socket exception during secondary set - peer gone"},
        {OperationWords::withLead(QStringLiteral("Socket exception - reading by secondary 12345678, "),
                                  QStringLiteral("reading by secondary 12345678")),
         "Socket exception - reading by secondary 12345678, peer gone"},
        {OperationWords::withLead({}, QStringLiteral("7")), "peer gone"},
    };
    for (const SocketLineCase& c : cases) {
        EXPECT_EQ(c.words.socketLine(QStringLiteral("peer gone")).toStdString(), c.expected);
    }
}

} // namespace
} // namespace holvex::links
