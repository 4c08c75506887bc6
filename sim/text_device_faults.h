#pragma once

namespace holvex::sim {

// Misbehaviour of a device that answers text lines (the display unit, the gateway's service port).
struct TextDeviceFaults {
    bool silent = false; // never answers, and so carries nothing out
    int answerAfter = 0; // the first N lines meant for the device go unanswered and are not carried out
    int lateMs = 0;      // answers this much later than the bus turnaround
    int pieces = 1;      // the answer is written in this many pieces...
    int gapMs = 0;       // ...with this pause between two pieces
};

} // namespace holvex::sim
