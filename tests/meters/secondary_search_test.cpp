// The bus search through its worker thread against a small simulated bus that answers selections at once; the
// response timeout is one millisecond, so the worker's sleeps are the only real waits.
#include "meters/ops/secondary_search.h"

#include "fake_link.h"
#include "meters/ops/secondary_id_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSet>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace holvex {
namespace {

using test::FakeLog;
using test::FakeProgress;

// Meters known by their 8-digit IDs. A selection frame selects every meter its mask names (and deselects the
// others); one selected meter acknowledges with 0xE5, several give a garbled mixture. REQ_UD2 to 0xFD gets
// the selected meter's telegram, or the telegrams of several run together.
class SearchBus : public links::Link {
public:
    explicit SearchBus(QStringList ids) : m_ids(std::move(ids)) {}

    links::LinkKind kind() const override { return links::LinkKind::Serial; }
    bool open() override {
        ++opens;
        return ready;
    }
    bool sendFrame(const QByteArray& frame, codec::PacketKind kind, const links::OperationWords&) override {
        kinds.push_back(kind);
        pending.clear();
        const auto byte = [&frame](int i) {
            return static_cast<std::uint8_t>(frame.at(i));
        };
        if (frame.size() == 17 && byte(6) == codec::ci::kSelect) {
            ++selections;
            selected.clear();
            for (const QString& id : m_ids) {
                if (matches(frame, id)) {
                    selected.append(id);
                }
            }
            if (selected.size() == 1) {
                pending = test::ack();
            } else if (selected.size() > 1) {
                pending = test::hex("E5 E5");
            }
        } else if (frame.size() == 5 && byte(2) == codec::address::kSelected &&
                   byte(1) != codec::control::kSndNke) {
            ++selectedReads;
            for (const QString& id : selected) {
                pending += telegram(id);
            }
        } else if (frame.size() == 5) {
            resets.append(byte(2));
        }
        if (onSend) {
            onSend(*this);
        }
        return true;
    }
    bool sendLine(const QByteArray&, const links::OperationWords&) override { return true; }
    links::ReplyRead takeReply(links::ReplyTimer) override { return {}; }
    void close() override { ++closes; }
    links::SearchReply takeSearchReply() override {
        links::SearchReply reply;
        reply.noConnection = !portOpen;
        if (portOpen) {
            reply.bytes = pending;
        }
        pending.clear();
        return reply;
    }
    void discardAll() override { ++discards; }

    // A water meter's telegram with the ID in BCD, least significant byte first.
    static QByteArray telegram(const QString& id) {
        QByteArray data;
        for (int k = 3; k >= 0; --k) {
            data.append(static_cast<char>(id.mid(2 * k, 2).toInt(nullptr, 16)));
        }
        data += test::hex("B4 09 01 07 05 00 00 00 0C 13 45 23 01 00");
        return codec::longFrame(0x08, 0, 0x72, data);
    }

    bool ready = true;
    bool portOpen = true;
    int opens = 0;
    int closes = 0;
    int discards = 0;
    int selections = 0;
    int selectedReads = 0;
    QList<int> resets;
    std::vector<codec::PacketKind> kinds;
    QStringList selected;
    QByteArray pending;
    std::function<void(SearchBus&)> onSend;

private:
    // Digit position p (1 = least significant) sits in byte 7 + (p - 1) / 2, low nibble for odd p.
    static bool matches(const QByteArray& frame, const QString& id) {
        for (int p = 1; p <= 8; ++p) {
            const auto byte = static_cast<std::uint8_t>(frame.at(7 + (p - 1) / 2));
            const int nibble = (p % 2 == 1) ? (byte & 0x0F) : (byte >> 4);
            if (nibble != 0x0F && nibble != id.at(8 - p).digitValue()) {
                return false;
            }
        }
        return true;
    }

    QStringList m_ids;
};

class SecondarySearchTest : public ::testing::Test {
protected:
    explicit SecondarySearchTest(QStringList ids = {}) : bus(std::move(ids)) { build(); }

    void build() {
        settings.Timeout = 1;
        settings.Retry = 0;
        state.PortOpen = true;
        search = std::make_unique<SecondarySearch>(context, decoder, respond, secondary);
        QObject::connect(search.get(), &SecondarySearch::searchStarted, [this] { ++started; });
        QObject::connect(search.get(), &SecondarySearch::searchFinished, [this] { ++finished; });
        search->setClearQuestion([this](const QString& text, const QString&) {
            questions.append(text);
            return answer;
        });
        search->setDirectRead([this](const QString& id) { directReads.append(id); });
    }

    // Runs the event loop until the search has finished (bounded).
    bool runToEnd(int boundMs = 20000) {
        QElapsedTimer clock;
        clock.start();
        while (search->running() && clock.elapsed() < boundMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return !search->running();
    }

    QStringList foundIds() const {
        QStringList ids;
        for (int row = 1; row < table.gridRowCount(); ++row) {
            if (!table.cell(row, 0).isEmpty()) {
                ids.append(table.cell(row, 0));
            }
        }
        return ids;
    }

    QStringList checked() const {
        QStringList masks;
        for (const QString& line : log.lines) {
            if (line.startsWith(QStringLiteral("Checking "))) {
                masks.append(line.mid(9, 8));
            }
        }
        return masks;
    }

    SearchBus bus;
    test::SingleLinkSet links{bus};
    Settings settings;
    RunState state;
    FakeLog log;
    MessageLanguage language;
    StringGridModel table{12};
    FakeProgress progress;
    QList<int> waits;
    Bus meterBus{BusParts{settings, state, log, progress, language, table},
                 BusHooks{&links, [] { return QLatin1Char('.'); }, [] { return QStringLiteral("10:00:00"); },
                          [] { return QStringLiteral("08/12/2026"); },
                          [this](int ms) {
                              waits.append(ms);
                          }}};
    BusContext& context = meterBus.context();
    DecodeApplication& decoder = meterBus.operations().decoder();
    QTimer respond;
    QTimer secondary;
    std::unique_ptr<SecondarySearch> search;
    ClearAnswer answer = ClearAnswer::No;
    QStringList questions;
    QStringList directReads;
    int started = 0;
    int finished = 0;
};

class OneMeterBus : public SecondarySearchTest {
protected:
    OneMeterBus() : SecondarySearchTest({QStringLiteral("12345678")}) {}
};

TEST_F(OneMeterBus, TheMatchingTopLevelDigitSelectsAndReadsTheMeter) {
    respond.start(100000);
    secondary.start(100000);
    state.ScanRunning = true;
    state.AutoAddressRunning = true;
    ASSERT_EQ(search->find(QStringLiteral("FFFFFFFF")), SecondarySearch::FindOutcome::Searching);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(progress.shown);
    EXPECT_EQ(progress.minimum, 1);
    EXPECT_EQ(progress.maximum, 10);
    EXPECT_EQ(links.keepAliveStops, 1);
    ASSERT_TRUE(runToEnd());

    EXPECT_EQ(foundIds(), QStringList{QStringLiteral("12345678")});
    EXPECT_EQ(checked(), (QStringList{"0FFFFFFF", "1FFFFFFF", "2FFFFFFF", "3FFFFFFF", "4FFFFFFF", "5FFFFFFF",
                                      "6FFFFFFF", "7FFFFFFF", "8FFFFFFF", "9FFFFFFF"}));
    EXPECT_FALSE(log.has(QStringLiteral("Collision")));
    EXPECT_EQ(bus.selectedReads, 1);
    // Selection frames of the search go as read packets.
    EXPECT_EQ(bus.kinds.front(), codec::PacketKind::Read);
    // The finish.
    EXPECT_EQ(log.lines.last(), QStringLiteral("Secondary search thread terminated normally."));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(bus.closes, 1);
    EXPECT_FALSE(respond.isActive());
    EXPECT_FALSE(secondary.isActive());
    EXPECT_FALSE(state.ScanRunning);
    EXPECT_FALSE(state.AutoAddressRunning);
    EXPECT_FALSE(state.MatchRowById);
    EXPECT_FALSE(progress.shown);
    EXPECT_EQ(progress.position, 0);
}

TEST_F(OneMeterBus, TheProgressBarStopsOneBelowItsEnd) {
    int highest = 0;
    bus.onSend = [&](SearchBus&) {
        highest = std::max(highest, progress.position);
    };
    ASSERT_TRUE(search->startSearch());
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(highest, 9);
}

TEST_F(OneMeterBus, IdsOtherThanAllWildcardsGoToTheDirectRead) {
    EXPECT_EQ(search->find(QStringLiteral("12345678")), SecondarySearch::FindOutcome::DirectRead);
    EXPECT_EQ(search->find(QStringLiteral("1234FFFF")), SecondarySearch::FindOutcome::DirectRead);
    EXPECT_EQ(directReads, (QStringList{"12345678", "1234FFFF"}));
    EXPECT_EQ(bus.selections, 0);
    EXPECT_FALSE(search->running());
}

TEST_F(OneMeterBus, AnIdThatIsNotEightCharactersLongIsRefused) {
    for (const QString& text : {QString(), QStringLiteral("1234567"), QStringLiteral("FFFFFFFFF")}) {
        log.lines.clear();
        EXPECT_EQ(search->find(text), SecondarySearch::FindOutcome::IncorrectId) << text.toStdString();
        EXPECT_EQ(log.lines, QStringList{QStringLiteral("Incorrect ID entered")});
    }
    EXPECT_TRUE(directReads.isEmpty());
    EXPECT_EQ(bus.opens, 0);
}

TEST_F(OneMeterBus, CancelToTheClearQuestionOrAChannelThatIsNotReadyStartsNothing) {
    table.setCell(1, 0, QStringLiteral("99999999"));
    answer = ClearAnswer::Cancel;
    EXPECT_EQ(search->find(QStringLiteral("FFFFFFFF")), SecondarySearch::FindOutcome::NotStarted);
    EXPECT_EQ(questions, QStringList{QStringLiteral("Do you want to clear the table?")});
    EXPECT_EQ(bus.opens, 0);

    answer = ClearAnswer::Yes;
    bus.ready = false;
    EXPECT_EQ(search->find(QStringLiteral("FFFFFFFF")), SecondarySearch::FindOutcome::NotStarted);
    EXPECT_TRUE(foundIds().isEmpty()); // "Yes" cleared the table before the channel was tried
    EXPECT_EQ(started, 0);
    EXPECT_FALSE(search->running());
    EXPECT_EQ(bus.selections, 0);
}

TEST_F(OneMeterBus, AGatewayThatJustCalledInClearsTheTableWithoutAsking) {
    settings.UseEthernet = true;
    settings.AutoSec = true;
    state.PacketSequence = 1;
    table.setCell(1, 0, QStringLiteral("99999999"));
    ASSERT_TRUE(search->startSearch());
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(foundIds(), QStringList{QStringLiteral("12345678")});
}

TEST_F(OneMeterBus, GlobalInitResetsEveryMeterAndPausesBeforeTheSearch) {
    settings.GlobalInit = true;
    ASSERT_TRUE(search->startSearch());
    ASSERT_TRUE(runToEnd());
    ASSERT_FALSE(bus.resets.isEmpty());
    EXPECT_EQ(bus.resets.front(), 0xFF);
    EXPECT_EQ(waits, QList<int>{PrimaryScan::kGlobalInitPause});
}

TEST_F(OneMeterBus, ASecondStartWhileTheWorkerRunsIsRefused) {
    ASSERT_TRUE(search->startSearch());
    EXPECT_FALSE(search->startSearch());
    EXPECT_EQ(search->find(QStringLiteral("FFFFFFFF")), SecondarySearch::FindOutcome::NotStarted);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(started, 1);
    EXPECT_EQ(finished, 1);
}

TEST_F(OneMeterBus, TheStopButtonEndsTheSearchAfterTheCurrentAttempt) {
    bus.onSend = [this](SearchBus& b) {
        if (b.selections == 3) {
            search->requestStop();
        }
    };
    ASSERT_TRUE(search->startSearch());
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(bus.selections, 3);
    EXPECT_EQ(log.lines.last(), QStringLiteral("Secondary search thread terminated normally."));
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(bus.closes, 1);
}

TEST_F(OneMeterBus, ASerialPortClosedDuringTheSearchEndsIt) {
    bus.onSend = [](SearchBus& b) {
        if (b.selections == 2) {
            b.portOpen = false;
        }
    };
    ASSERT_TRUE(search->startSearch());
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(bus.selections, 2);
    EXPECT_TRUE(log.has(QStringLiteral("No valid physical connection...")));
    EXPECT_EQ(log.lines.last(), QStringLiteral("Secondary search thread terminated normally."));
}

TEST_F(OneMeterBus, DeletingTheSearchWhileTheWorkerWaitsDoesNotHang) {
    settings.Timeout = 30000;
    ASSERT_TRUE(search->startSearch());
    QElapsedTimer clock;
    clock.start();
    while (bus.selections == 0 && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    ASSERT_EQ(bus.selections, 1);
    clock.restart();
    search.reset();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(finished, 0);
}

class CollidingBus : public SecondarySearchTest {
protected:
    CollidingBus()
        : SecondarySearchTest({QStringLiteral("21034501"), QStringLiteral("21034502"),
                               QStringLiteral("21034517"), QStringLiteral("67112403"),
                               QStringLiteral("50912205")}) {}
};

TEST_F(CollidingBus, EveryMeterEndsUpInTheTableOnce) {
    // With one retry a hit below the top level is read twice: the second read updates the row by its ID.
    settings.Retry = 1;
    ASSERT_TRUE(search->startSearch());
    ASSERT_TRUE(runToEnd());
    QStringList ids = foundIds();
    ids.sort();
    EXPECT_EQ(ids, (QStringList{"21034501", "21034502", "21034517", "50912205", "67112403"}));
    EXPECT_TRUE(log.has(QStringLiteral("Collision")));
    // MSB order narrows from the most significant digit: after the collision on 2FFFFFFF comes 20FFFFFF.
    const QStringList masks = checked();
    const qsizetype at = masks.indexOf(QStringLiteral("2FFFFFFF"));
    ASSERT_GE(at, 0);
    EXPECT_EQ(masks.at(at + 1), QStringLiteral("20FFFFFF"));
    EXPECT_EQ(log.lines.last(), QStringLiteral("Secondary search thread terminated normally."));
}

class LsbBus : public SecondarySearchTest {
protected:
    LsbBus()
        : SecondarySearchTest(
              {QStringLiteral("00000013"), QStringLiteral("00000023"), QStringLiteral("12345673")}) {
        settings.LsbSearch = true;
        settings.MsbSearch = false;
    }
};

TEST_F(LsbBus, LsbOrderNarrowsFromTheLeastSignificantDigit) {
    ASSERT_TRUE(search->startSearch());
    ASSERT_TRUE(runToEnd());
    QStringList ids = foundIds();
    ids.sort();
    EXPECT_EQ(ids, (QStringList{"00000013", "00000023", "12345673"}));
    EXPECT_EQ(log.lines.count(QStringLiteral("Collision")), 1);
    const QStringList masks = checked();
    ASSERT_EQ(masks.size(), 20);
    EXPECT_EQ(masks.mid(0, 4), (QStringList{"FFFFFFF0", "FFFFFFF1", "FFFFFFF2", "FFFFFFF3"}));
    EXPECT_EQ(masks.mid(4, 10), (QStringList{"FFFFFF03", "FFFFFF13", "FFFFFF23", "FFFFFF33", "FFFFFF43",
                                             "FFFFFF53", "FFFFFF63", "FFFFFF73", "FFFFFF83", "FFFFFF93"}));
    EXPECT_EQ(masks.at(14), QStringLiteral("FFFFFFF4"));
}

class TwinBus : public SecondarySearchTest {
protected:
    TwinBus()
        : SecondarySearchTest(
              {QStringLiteral("44556677"), QStringLiteral("44556677"), QStringLiteral("10000001")}) {}
};

TEST_F(TwinBus, TwoMetersWithOneIdKeepCollidingAndTheSearchMovesOn) {
    ASSERT_TRUE(search->startSearch());
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(foundIds(), QStringList{QStringLiteral("10000001")});
    EXPECT_TRUE(checked().contains(QStringLiteral("44556677")));
    EXPECT_EQ(checked().last(), QStringLiteral("9FFFFFFF"));
    EXPECT_EQ(finished, 1);
}

} // namespace
} // namespace holvex
