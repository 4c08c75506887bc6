#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace holvex::codec {

// The wildcard ID of a secondary search: positions 1..8, position 1 the least significant digit (written
// last), position 8 the most significant (written first). Each holds 0..9 or kWildcard.
class SearchDigits {
public:
    static constexpr int kWildcard = 15;
    static constexpr int kPositions = 8;

    // Every position a wildcard.
    SearchDigits();

    int digit(int position) const; // position 1..8
    void setDigit(int position, int value);

    // Written from position 8 down to 1, a wildcard as F: "3FFFFFFF".
    QString text() const;
    // The four ID bytes of the selection frame: byte k = digit(2k+2) * 16 + digit(2k+1).
    std::array<std::uint8_t, 4> idBytes() const;

private:
    std::array<int, kPositions> m_digits{};
};

// SetSearchDigit: position p gets the value; in LSB order every position above p becomes a wildcard, in MSB
// order every position below p. Positions on the other side keep their digits.
void setSearchDigit(SearchDigits& digits, int position, int value, bool lsbFirst);

// The selection frame: 68 0B 0B 68 53 FD 52 id(4) FF FF FF FF CS 16 (manufacturer, version, medium
// wildcards).
QByteArray selectionFrame(const std::array<std::uint8_t, 4>& idBytes);
// The selection frame of an 8-character ID. The frame is built digit pair by digit pair; a character that is
// not a decimal digit ends the building, and then nothing is to be sent: empty result.
QByteArray selectionFrameForId(const QString& id);

// What one attempt of the search found: nothing answered, one meter was selected and read (a hit), or the
// answers were a mixture that did not decode (a collision).
enum class ProbeResult { Silent, Hit, Collision };

// The search's view of the bus.
struct SearchProbe {
    // Selects the mask, waits, and reads the selected meter when anything answered.
    std::function<ProbeResult(const SearchDigits& mask)> probe;
    // StopSecondarySearch, checked before every attempt (and after each read below the top level).
    std::function<bool()> stopRequested;
    // "Retry", read at each use.
    std::function<int()> retries;
    // A top-level digit value is done (the progress bar steps).
    std::function<void()> topLevelStep;
    // "Collision" is logged through this.
    std::function<void(const QString& line)> log;
};

// The bus search: the ten top-level digit values of the first position (1 in LSB order, 8 in MSB order), each
// tried until it answers or 1 + retries times; a collision narrows the next position recursively. Below the
// top level a digit value is tried 1 + retries times even after a hit. Returns when done or stopped.
void runWildcardSearch(const SearchProbe& bus, bool lsbFirst);

} // namespace holvex::codec
