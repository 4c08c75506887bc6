#include "codec/search_digits.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <random>
#include <set>

namespace holvex {
namespace {

// A mask from its written form, position 8 first.
codec::SearchDigits maskOf(const char* text) {
    codec::SearchDigits mask;
    for (int i = 0; i < codec::SearchDigits::kPositions; ++i) {
        const char c = text[i];
        mask.setDigit(codec::SearchDigits::kPositions - i,
                      c == 'F' ? codec::SearchDigits::kWildcard : c - '0');
    }
    return mask;
}

std::string text(const codec::SearchDigits& mask) {
    return mask.text().toStdString();
}

TEST(SearchDigits, StartsAllWildcardAndIgnoresPositionsOutsideOneToEight) {
    codec::SearchDigits mask;
    EXPECT_EQ(text(mask), "FFFFFFFF");
    mask.setDigit(0, 3);
    mask.setDigit(9, 3);
    mask.setDigit(-100, 3);
    EXPECT_EQ(text(mask), "FFFFFFFF");
    EXPECT_EQ(mask.digit(0), codec::SearchDigits::kWildcard);
    EXPECT_EQ(mask.digit(9), codec::SearchDigits::kWildcard);
    mask.setDigit(8, 12); // not a digit: stays a wildcard instead of spilling into the next nibble
    mask.setDigit(1, -1);
    EXPECT_EQ(text(mask), "FFFFFFFF");
}

TEST(SetSearchDigit, ClearsTheOtherSideOfTheSearchDirection) {
    struct Case {
        const char* start;
        int position;
        int value;
        bool lsbFirst;
        const char* expected;
    };
    const Case cases[] = {
        {"FFFFFFFF", 8, 3, false, "3FFFFFFF"}, {"3FFFFFFF", 7, 0, false, "30FFFFFF"},
        {"12345678", 5, 9, false, "1239FFFF"}, {"12345678", 1, 0, false, "12345670"},
        {"12345678", 8, 0, false, "0FFFFFFF"}, {"FFFFFFFF", 1, 0, true, "FFFFFFF0"},
        {"FFFFFFF3", 2, 0, true, "FFFFFF03"},  {"12345678", 5, 9, true, "FFF95678"},
        {"12345678", 8, 0, true, "02345678"},  {"12345678", 1, 0, true, "FFFFFFF0"},
        {"12345678", 0, 0, true, "12345678"},  {"12345678", 9, 0, false, "12345678"},
    };
    for (const Case& c : cases) {
        codec::SearchDigits mask = maskOf(c.start);
        codec::setSearchDigit(mask, c.position, c.value, c.lsbFirst);
        EXPECT_EQ(text(mask), c.expected) << c.start << " p" << c.position << " lsb " << c.lsbFirst;
    }
}

TEST(SearchDigits, IdBytesAndSelectionFrame) {
    struct Case {
        const char* mask;
        const char* bytes;
    };
    const Case cases[] = {{"3FFFFFFF", "FF FF FF 3F"},
                          {"12345678", "78 56 34 12"},
                          {"FFFFFF03", "03 FF FF FF"},
                          {"FFFFFFFF", "FF FF FF FF"}};
    for (const Case& c : cases) {
        const auto bytes = maskOf(c.mask).idBytes();
        const QByteArray raw(reinterpret_cast<const char*>(bytes.data()), 4);
        EXPECT_EQ(raw, test::hex(c.bytes)) << c.mask;
    }
    EXPECT_EQ(codec::selectionFrame(maskOf("FFFFFFF3").idBytes()),
              test::hex("68 0B 0B 68 53 FD 52 F3 FF FF FF FF FF FF FF 8E 16"));
    EXPECT_EQ(codec::selectionFrame(maskOf("12345678").idBytes()),
              test::hex("68 0B 0B 68 53 FD 52 78 56 34 12 FF FF FF FF B2 16"));
}

// A bus of meters answering masks: silence when no ID matches, a hit when exactly one does, a collision
// when several do (their answers mix and do not decode).
class SimulatedBus {
public:
    explicit SimulatedBus(QStringList ids) : m_ids(std::move(ids)) {}

    codec::SearchProbe probe(bool lsbFirst) {
        codec::SearchProbe bus;
        bus.probe = [this, lsbFirst](const codec::SearchDigits& mask) {
            return answer(mask, lsbFirst);
        };
        bus.stopRequested = [this] {
            return m_stop;
        };
        bus.retries = [this] {
            return m_retries;
        };
        bus.topLevelStep = [this] {
            ++m_steps;
        };
        bus.log = [this](const QString& line) {
            m_log.append(line);
        };
        return bus;
    }

    int m_retries = 0;
    int m_stopAfter = -1; // stop is requested during this probe (1-based)
    bool m_stop = false;
    int m_steps = 0;
    QStringList m_log;
    QStringList m_masks;
    std::set<QString> m_hits;
    std::set<QString> m_wildcardCollisions; // colliding masks that still have a wildcard
    bool m_shapeOk = true;

private:
    codec::ProbeResult answer(const codec::SearchDigits& mask, bool lsbFirst) {
        EXPECT_FALSE(m_stop) << "probed after stop";
        const QString text = mask.text();
        m_masks.append(text);
        // The digits fixed so far always sit at the start of the search direction.
        static const QRegularExpression msbShape(QStringLiteral("^[0-9]*F*$"));
        static const QRegularExpression lsbShape(QStringLiteral("^F*[0-9]*$"));
        m_shapeOk = m_shapeOk && (lsbFirst ? lsbShape : msbShape).match(text).hasMatch();
        if (m_stopAfter == m_masks.size()) {
            m_stop = true;
        }
        QStringList matching;
        for (const QString& id : m_ids) {
            bool match = true;
            for (int i = 0; i < 8 && match; ++i) {
                match = text[i] == QLatin1Char('F') || text[i] == id[i];
            }
            if (match) {
                matching.append(id);
            }
        }
        if (matching.isEmpty()) {
            return codec::ProbeResult::Silent;
        }
        if (matching.size() == 1) {
            m_hits.insert(matching.front());
            return codec::ProbeResult::Hit;
        }
        if (text.contains(QLatin1Char('F'))) {
            m_wildcardCollisions.insert(text);
        }
        return codec::ProbeResult::Collision;
    }

    QStringList m_ids;
};

QStringList split(const char* masks) {
    return QString::fromUtf8(masks).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

struct SequenceCase {
    const char* what;
    QStringList ids;
    bool lsbFirst;
    int retries;
    const char* masks;
    int collisions;
};

TEST(RunWildcardSearch, ProbesTheMasksInOrder) {
    const SequenceCase cases[] = {
        {"empty bus, LSB",
         {},
         true,
         0,
         "FFFFFFF0 FFFFFFF1 FFFFFFF2 FFFFFFF3 FFFFFFF4 FFFFFFF5 FFFFFFF6 FFFFFFF7 FFFFFFF8 FFFFFFF9",
         0},
        {"empty bus, MSB, one retry",
         {},
         false,
         1,
         "0FFFFFFF 0FFFFFFF 1FFFFFFF 1FFFFFFF 2FFFFFFF 2FFFFFFF 3FFFFFFF 3FFFFFFF 4FFFFFFF 4FFFFFFF "
         "5FFFFFFF 5FFFFFFF 6FFFFFFF 6FFFFFFF 7FFFFFFF 7FFFFFFF 8FFFFFFF 8FFFFFFF 9FFFFFFF 9FFFFFFF",
         0},
        {"one meter, MSB, one retry: a top-level hit is not repeated",
         {"40000000"},
         false,
         1,
         "0FFFFFFF 0FFFFFFF 1FFFFFFF 1FFFFFFF 2FFFFFFF 2FFFFFFF 3FFFFFFF 3FFFFFFF 4FFFFFFF "
         "5FFFFFFF 5FFFFFFF 6FFFFFFF 6FFFFFFF 7FFFFFFF 7FFFFFFF 8FFFFFFF 8FFFFFFF 9FFFFFFF 9FFFFFFF",
         0},
        {"collision on 4FFFFFFF, MSB",
         {"41000000", "45000000"},
         false,
         0,
         "0FFFFFFF 1FFFFFFF 2FFFFFFF 3FFFFFFF 4FFFFFFF "
         "40FFFFFF 41FFFFFF 42FFFFFF 43FFFFFF 44FFFFFF 45FFFFFF 46FFFFFF 47FFFFFF 48FFFFFF 49FFFFFF "
         "5FFFFFFF 6FFFFFFF 7FFFFFFF 8FFFFFFF 9FFFFFFF",
         1},
        {"collision on 4FFFFFFF, MSB, one retry: hits below the top are repeated",
         {"41000000", "45000000"},
         false,
         1,
         "0FFFFFFF 0FFFFFFF 1FFFFFFF 1FFFFFFF 2FFFFFFF 2FFFFFFF 3FFFFFFF 3FFFFFFF 4FFFFFFF "
         "40FFFFFF 40FFFFFF 41FFFFFF 41FFFFFF 42FFFFFF 42FFFFFF 43FFFFFF 43FFFFFF 44FFFFFF 44FFFFFF "
         "45FFFFFF 45FFFFFF 46FFFFFF 46FFFFFF 47FFFFFF 47FFFFFF 48FFFFFF 48FFFFFF 49FFFFFF 49FFFFFF "
         "5FFFFFFF 5FFFFFFF 6FFFFFFF 6FFFFFFF 7FFFFFFF 7FFFFFFF 8FFFFFFF 8FFFFFFF 9FFFFFFF 9FFFFFFF",
         1},
        {"collision on FFFFFFF3, LSB",
         {"00000013", "00000023"},
         true,
         0,
         "FFFFFFF0 FFFFFFF1 FFFFFFF2 FFFFFFF3 "
         "FFFFFF03 FFFFFF13 FFFFFF23 FFFFFF33 FFFFFF43 FFFFFF53 FFFFFF63 FFFFFF73 FFFFFF83 FFFFFF93 "
         "FFFFFFF4 FFFFFFF5 FFFFFFF6 FFFFFFF7 FFFFFFF8 FFFFFFF9",
         1},
        {"collision two levels deep, MSB, one retry: a repeated collision is narrowed once",
         {"12300000", "12400000"},
         false,
         1,
         "0FFFFFFF 0FFFFFFF 1FFFFFFF "
         "10FFFFFF 10FFFFFF 11FFFFFF 11FFFFFF 12FFFFFF "
         "120FFFFF 120FFFFF 121FFFFF 121FFFFF 122FFFFF 122FFFFF 123FFFFF 123FFFFF 124FFFFF 124FFFFF "
         "125FFFFF 125FFFFF 126FFFFF 126FFFFF 127FFFFF 127FFFFF 128FFFFF 128FFFFF 129FFFFF 129FFFFF "
         "12FFFFFF 13FFFFFF 13FFFFFF 14FFFFFF 14FFFFFF 15FFFFFF 15FFFFFF 16FFFFFF 16FFFFFF "
         "17FFFFFF 17FFFFFF 18FFFFFF 18FFFFFF 19FFFFFF 19FFFFFF "
         "2FFFFFFF 2FFFFFFF 3FFFFFFF 3FFFFFFF 4FFFFFFF 4FFFFFFF 5FFFFFFF 5FFFFFFF 6FFFFFFF 6FFFFFFF "
         "7FFFFFFF 7FFFFFFF 8FFFFFFF 8FFFFFFF 9FFFFFFF 9FFFFFFF",
         3},
    };
    for (const SequenceCase& c : cases) {
        SimulatedBus bus(c.ids);
        bus.m_retries = c.retries;
        codec::runWildcardSearch(bus.probe(c.lsbFirst), c.lsbFirst);
        EXPECT_EQ(bus.m_masks, split(c.masks)) << c.what;
        EXPECT_EQ(bus.m_log.count(QStringLiteral("Collision")), c.collisions) << c.what;
        EXPECT_EQ(bus.m_log.size(), c.collisions) << c.what;
        EXPECT_EQ(bus.m_steps, 10) << c.what;
        EXPECT_EQ(bus.m_hits.size(), static_cast<std::size_t>(c.ids.size())) << c.what;
    }
}

struct BusCase {
    const char* what;
    QStringList ids;
    bool lsbFirst;
    int retries;
    int probes;
    int collisions;
};

TEST(RunWildcardSearch, FindsEveryMeterOfSmallBuses) {
    const BusCase cases[] = {
        {"one meter, MSB", {"87654321"}, false, 0, 10, 0},
        {"one meter, LSB", {"87654321"}, true, 0, 10, 0},
        {"one meter, LSB, one retry", {"87654321"}, true, 1, 19, 0},
        // Seven levels of collisions, one narrowing of ten values each.
        {"differing only in the last MSB digit", {"12345670", "12345671"}, false, 0, 80, 7},
        {"differing only in the last LSB digit", {"02345678", "12345678"}, true, 0, 80, 7},
        // Top: nine silent values twice and the colliding one once; below, every value twice.
        {"differing only in the last MSB digit, one retry",
         {"12345670", "12345671"},
         false,
         1,
         19 + 7 * 20,
         1 + 6 * 2},
        {"differing only in the last LSB digit, one retry",
         {"02345678", "12345678"},
         true,
         1,
         19 + 7 * 20,
         1 + 6 * 2},
    };
    for (const BusCase& c : cases) {
        SimulatedBus bus(c.ids);
        bus.m_retries = c.retries;
        codec::runWildcardSearch(bus.probe(c.lsbFirst), c.lsbFirst);
        EXPECT_EQ(bus.m_hits, std::set<QString>(c.ids.begin(), c.ids.end())) << c.what;
        EXPECT_EQ(bus.m_masks.size(), c.probes) << c.what;
        EXPECT_EQ(bus.m_log.size(), c.collisions) << c.what;
        EXPECT_TRUE(bus.m_shapeOk) << c.what;
    }
}

TEST(RunWildcardSearch, TwoIdenticalIdsKeepCollidingButTheSearchEnds) {
    for (const bool lsbFirst : {false, true}) {
        for (const int retries : {0, 1, 2}) {
            SimulatedBus bus({QStringLiteral("55555555"), QStringLiteral("55555555")});
            bus.m_retries = retries;
            codec::runWildcardSearch(bus.probe(lsbFirst), lsbFirst);
            // Top: nine silent values (1 + retries times) and the collision; seven narrowed positions.
            EXPECT_EQ(bus.m_masks.size(), 9 * (1 + retries) + 1 + 7 * 10 * (1 + retries))
                << lsbFirst << " " << retries;
            EXPECT_EQ(bus.m_log.size(), 1 + 7 * (1 + retries)) << lsbFirst << " " << retries;
            EXPECT_TRUE(bus.m_hits.empty());
            EXPECT_EQ(bus.m_masks.count(QStringLiteral("55555555")), 1 + retries);
            EXPECT_EQ(bus.m_steps, 10);
        }
    }
}

QStringList randomIds(unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> pick(0, 3);
    const QString prefixes[] = {QStringLiteral("1234"), QStringLiteral("12345"), QStringLiteral("1299"),
                                QStringLiteral("7")};
    std::set<QString> ids;
    while (ids.size() < 50) {
        // Most IDs share leading digits with others, as meters of one delivery do.
        QString id = ids.size() % 5 == 0 ? QString() : prefixes[pick(random)];
        while (id.size() < 8) {
            id.append(QLatin1Char(static_cast<char>('0' + digit(random))));
        }
        ids.insert(id);
    }
    return QStringList(ids.begin(), ids.end());
}

QStringList reversed(const QStringList& ids) {
    QStringList out;
    for (const QString& id : ids) {
        QString reversed = id;
        std::reverse(reversed.begin(), reversed.end());
        out.append(reversed);
    }
    return out;
}

TEST(RunWildcardSearch, FindsFiftyRandomMetersInBothOrders) {
    const QStringList ids = randomIds(20240611U);
    for (const bool lsbFirst : {false, true}) {
        // In LSB order the trailing digits are the shared ones.
        const QStringList busIds = lsbFirst ? reversed(ids) : ids;
        for (const int retries : {0, 1}) {
            SimulatedBus bus(busIds);
            bus.m_retries = retries;
            codec::runWildcardSearch(bus.probe(lsbFirst), lsbFirst);
            EXPECT_EQ(bus.m_hits, std::set<QString>(busIds.begin(), busIds.end())) << lsbFirst << retries;
            EXPECT_TRUE(bus.m_shapeOk);
            EXPECT_EQ(bus.m_steps, 10);
            // Each colliding mask is narrowed exactly once: ten values, each tried 1 + retries times.
            const int narrowings = static_cast<int>(bus.m_wildcardCollisions.size());
            EXPECT_GT(narrowings, 3);
            const int topValues = static_cast<int>(bus.m_masks.size()) - narrowings * 10 * (1 + retries);
            EXPECT_GE(topValues, 10) << lsbFirst << retries;
            EXPECT_LE(topValues, 10 * (1 + retries)) << lsbFirst << retries;
        }
    }
}

TEST(RunWildcardSearch, StopEndsTheSearchAfterTheCurrentAttempt) {
    const QStringList ids = randomIds(7U);
    for (const bool lsbFirst : {false, true}) {
        for (const int stopAfter : {1, 5, 12, 37, 60}) {
            SimulatedBus bus(lsbFirst ? reversed(ids) : ids);
            bus.m_retries = 1;
            bus.m_stopAfter = stopAfter;
            codec::runWildcardSearch(bus.probe(lsbFirst), lsbFirst);
            EXPECT_EQ(bus.m_masks.size(), stopAfter) << lsbFirst << " " << stopAfter;
            EXPECT_LE(bus.m_steps, 10);
        }
    }
}

TEST(RunWildcardSearch, AStopDuringANarrowingReadLogsNoFurtherCollision) {
    // The second probe below the top level collides while the stop arrives: it is neither logged nor
    // narrowed.
    SimulatedBus bus({QStringLiteral("41000000"), QStringLiteral("41000001")});
    bus.m_stopAfter = 7; // 0F..4F, 40, 41
    codec::runWildcardSearch(bus.probe(false), false);
    EXPECT_EQ(bus.m_masks.size(), 7);
    EXPECT_EQ(bus.m_masks.back(), QStringLiteral("41FFFFFF"));
    EXPECT_EQ(bus.m_log.size(), 1);
}

TEST(RunWildcardSearch, StoppedBeforeStartingProbesNothing) {
    SimulatedBus bus({QStringLiteral("12345678")});
    bus.m_stop = true;
    codec::runWildcardSearch(bus.probe(true), true);
    EXPECT_TRUE(bus.m_masks.isEmpty());
    EXPECT_EQ(bus.m_steps, 0);
}

TEST(RunWildcardSearch, ANegativeRetryCountMeansOneTry) {
    SimulatedBus bus({});
    bus.m_retries = -3;
    codec::runWildcardSearch(bus.probe(false), false);
    EXPECT_EQ(bus.m_masks.size(), 10);
}

TEST(RunWildcardSearch, MissingCallbacksAreNotCalled) {
    int probes = 0;
    codec::SearchProbe only;
    // Every top-level mask collides and every narrower one hits.
    only.probe = [&probes](const codec::SearchDigits& mask) {
        ++probes;
        return mask.text().count(QLatin1Char('F')) == 7 ? codec::ProbeResult::Collision
                                                        : codec::ProbeResult::Hit;
    };
    codec::runWildcardSearch(only, false);
    EXPECT_EQ(probes, 10 + 10 * 10);
    codec::runWildcardSearch(codec::SearchProbe{}, true); // nothing to probe with: returns at once
}

} // namespace
} // namespace holvex
