#pragma once

#include <QByteArray>
#include <QVector>

namespace holvex::receiver {

// In transparent mode the receiver relays every radio telegram it hears as 68 L C M M ID ID ID ID V D CI
// ... 16: L is the radio length field (the bytes from C to the last data byte), possibly followed by a few
// bytes the receiver adds (RSSI, time stamp) before the end byte.

// The most bytes the receiver may add between the telegram's data and its end byte. An end byte farther away
// belongs to something else, so a start byte whose window has passed without one is not a telegram.
inline constexpr int kMaxAddedBytes = 16;

enum class ScanOutcome {
    Nothing,   // the buffer was empty
    Done,      // exactly "Done!" + LF: the receiver's answer to the transparent-mode switch
    Telegrams, // at least one whole telegram was found
    Waiting,   // no whole telegram (yet)
};

struct TelegramScan {
    ScanOutcome outcome = ScanOutcome::Nothing;
    QVector<QByteArray> telegrams; // each from its 0x68 to its 0x16, in arrival order
    // Leading bytes of the buffer that are used up (telegrams and the bytes before them that cannot start
    // one); the caller keeps the rest for the next tick, when the missing bytes may have come.
    int consumed = 0;
    // The serial port's receive side is to be purged (after "Done!").
    bool purgePort = false;
};

// Looks for the relayed telegrams in the bytes received so far (what was kept from the last tick followed
// by what arrived since). A telegram starts at a byte 0x68 at position i, L is the byte after it, and it
// ends at the first byte 0x16 at a position j with i + L < j <= i + L + 2 + kMaxAddedBytes. Start bytes
// are tried in order: the first one whose window holds an end byte is a telegram; the first one whose
// window reaches past the buffer's end waits for more bytes (so a start byte inside its data is never
// taken for another telegram); one whose window has passed without an end byte is no start. After a
// telegram the search goes on behind it. What is kept never exceeds one window (at most 273 bytes), so the
// buffer stays bounded whatever arrives. Never reads outside the buffer.
TelegramScan scanTelegrams(const QByteArray& buffer);

} // namespace holvex::receiver
