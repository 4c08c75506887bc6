#include "codec/search_digits.h"

#include "codec/config_frames.h"
#include "codec/frame_codec.h"

namespace holvex::codec {

namespace {

bool validPosition(int position) {
    return position >= 1 && position <= SearchDigits::kPositions;
}

struct Narrowing {
    const SearchProbe& bus;
    bool lsbFirst;

    bool stopped() const { return bus.stopRequested && bus.stopRequested(); }
    int retries() const { return bus.retries ? bus.retries() : 0; }
    ProbeResult probe(const SearchDigits& mask) const { return bus.probe(mask); }
    void logCollision() const {
        if (bus.log) {
            bus.log(QStringLiteral("Collision"));
        }
    }

    // The position searched after `position`, or 0 when the search direction has run out of positions.
    int nextPosition(int position) const {
        const int next = lsbFirst ? position + 1 : position - 1;
        return validPosition(next) ? next : 0;
    }

    // Several meters answered `mask`: fix each value of the next position in turn. Every value is tried
    // 1 + retries times, a hit included, since a meter that answered may hide another with the same digit.
    // A value that collides again on a repeat is not narrowed a second time: its positions below were
    // already searched with their own retries, and searching them again for every repeat would multiply the
    // search time by (1 + retries) at each level.
    void narrowAfter(SearchDigits mask, int position) const {
        const int next = nextPosition(position);
        if (next == 0) {
            return;
        }
        int tries = 0;
        int value = 0;
        bool narrowed = false;
        while (value <= 9 && !stopped()) {
            setSearchDigit(mask, next, value, lsbFirst);
            const ProbeResult result = probe(mask);
            if (result != ProbeResult::Silent) {
                if (stopped()) {
                    return;
                }
                if (result == ProbeResult::Collision) {
                    logCollision();
                    // At the last position the colliding meters share the whole ID; nothing can part them.
                    if (!narrowed && nextPosition(next) != 0) {
                        narrowed = true;
                        narrowAfter(mask, next);
                    }
                }
            }
            ++tries;
            if (tries <= retries()) {
                continue;
            }
            tries = 0;
            narrowed = false;
            ++value;
        }
    }

    void topLevel() const {
        const int first = lsbFirst ? 1 : SearchDigits::kPositions;
        SearchDigits mask;
        int tries = 0;
        int value = 0;
        while (value <= 9 && !stopped()) {
            setSearchDigit(mask, first, value, lsbFirst);
            const ProbeResult result = probe(mask);
            if (result == ProbeResult::Silent) {
                ++tries;
                if (tries <= retries()) {
                    continue;
                }
            } else if (result == ProbeResult::Collision) {
                logCollision();
                narrowAfter(mask, first);
            }
            tries = 0;
            if (bus.topLevelStep) {
                bus.topLevelStep();
            }
            ++value;
        }
    }
};

} // namespace

SearchDigits::SearchDigits() {
    m_digits.fill(kWildcard);
}

int SearchDigits::digit(int position) const {
    if (!validPosition(position)) {
        return kWildcard;
    }
    return m_digits[static_cast<std::size_t>(position - 1)];
}

void SearchDigits::setDigit(int position, int value) {
    if (!validPosition(position)) {
        return;
    }
    // Anything but a decimal digit would spill out of its nibble; it can only mean "any digit".
    m_digits[static_cast<std::size_t>(position - 1)] = (value >= 0 && value <= 9) ? value : kWildcard;
}

QString SearchDigits::text() const {
    QString text;
    text.reserve(kPositions);
    for (int position = kPositions; position >= 1; --position) {
        const int value = digit(position);
        text.append(value == kWildcard ? QLatin1Char('F') : QLatin1Char(static_cast<char>('0' + value)));
    }
    return text;
}

std::array<std::uint8_t, 4> SearchDigits::idBytes() const {
    std::array<std::uint8_t, 4> bytes{};
    for (int k = 0; k < 4; ++k) {
        bytes[static_cast<std::size_t>(k)] =
            static_cast<std::uint8_t>(digit(2 * k + 2) * 16 + digit(2 * k + 1));
    }
    return bytes;
}

void setSearchDigit(SearchDigits& digits, int position, int value, bool lsbFirst) {
    if (!validPosition(position)) {
        return;
    }
    digits.setDigit(position, value);
    if (lsbFirst) {
        for (int p = position + 1; p <= SearchDigits::kPositions; ++p) {
            digits.setDigit(p, SearchDigits::kWildcard);
        }
    } else {
        for (int p = 1; p < position; ++p) {
            digits.setDigit(p, SearchDigits::kWildcard);
        }
    }
}

QByteArray selectionFrame(const std::array<std::uint8_t, 4>& idBytes) {
    QByteArray data;
    data.reserve(8);
    for (const std::uint8_t byte : idBytes) {
        data.append(static_cast<char>(byte));
    }
    // Manufacturer, version and medium are wildcards: the ID alone selects.
    data.append(QByteArray(4, static_cast<char>(0xFF)));
    return codec::longFrame(codec::control::kSndUd, codec::address::kSelected, codec::ci::kSelect, data);
}

QByteArray selectionFrameForId(const QString& id) {
    const auto idBytes = bcdIdBytes(id);
    if (!idBytes) {
        return {};
    }
    return selectionFrame(*idBytes);
}

void runWildcardSearch(const SearchProbe& bus, bool lsbFirst) {
    if (!bus.probe) {
        return;
    }
    Narrowing{bus, lsbFirst}.topLevel();
}

} // namespace holvex::codec
