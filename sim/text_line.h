#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>

namespace holvex::sim {

// Where a text line reached the installation: the serial line (pseudo-terminal), the TCP serial adapter, or
// the payload of a gateway packet. The gateway's service port is on the serial line only.
enum class TextRoad { Serial, Lan, Gateway };

// The maker's devices take short text lines ("SET ENTR=5", "GET MAIN") on the same wire as the meters'
// frames. A master's M-Bus bytes start with 0x10 or 0x68 (or are a 0xE5); a text line starts with a
// printable character other than 'h' (0x68). Noise bytes (controls, 0x80 and above) start neither and are
// skipped with the frame bytes.
bool startsTextLine(std::uint8_t first);
inline bool isTextLine(const QByteArray& bytes) {
    return !bytes.isEmpty() && startsTextLine(static_cast<std::uint8_t>(bytes.front()));
}

// A text line taken apart: verb, one blank, a four-character key, then optionally "=" and the arguments.
// Nothing else is accepted: a line with a terminator (CR, LF) after the key is not a line the devices know.
struct TextLine {
    QByteArray verb; // "SET", "GET", "DEL" (as sent, case kept)
    QByteArray key;  // "ENTR", "TEX2", "IPO1"
    bool hasEquals = false;
    QByteArray arguments; // everything after "=", unchanged

    // "SET ENTR": what the routing and the devices look at.
    QByteArray command() const { return verb + ' ' + key; }
    // The arguments split at the commas, into at most maxParts pieces (the last keeps its commas).
    QList<QByteArray> argumentList(int maxParts = 16) const;
};

std::optional<TextLine> parseTextLine(const QByteArray& line);

// A number written as 1..maxDigits decimal digits and nothing else.
std::optional<int> decimalNumber(const QByteArray& text, int maxDigits = 9);

// Lines of an answer joined with CR LF; nothing after the last line.
QByteArray answerLines(const QList<QByteArray>& lines);

// A line as the record file and the trace show it, so that one received line stays one line of plain text
// whatever bytes it holds (the receiver's raw keys and secondary addresses hold any): a backslash is written
// \\, CR \r, LF \n, every other control byte (0x00..0x1F, 0x7F) \x and two upper-case hex digits
// ("\x00", "\x1F"); every other byte is kept as it came (printable ASCII, and 0x80..0xFF as the Latin-1 of
// the display's texts). Since every backslash is escaped the form is unambiguous: unescapedLine gives the
// bytes back.
QByteArray escapedLine(const QByteArray& line);
// The received bytes of an escaped line; none when the text is not one escapedLine writes.
std::optional<QByteArray> unescapedLine(const QByteArray& escaped);

} // namespace holvex::sim
