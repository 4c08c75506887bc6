#pragma once

namespace holvex {

// The progress bar as operations see it: a range walked step by step, hidden while idle.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // Minimum 0, maximum `steps`, position 0, shown.
    virtual void startProgress(int steps) = 0;
    // Any range and start position, shown.
    virtual void startProgressRange(int minimum, int maximum, int position) = 0;
    // One step further; never past the maximum.
    virtual void stepProgress() = 0;
    virtual void setProgressPosition(int position) = 0;
    virtual int progressPosition() const = 0;
    virtual int progressMaximum() const = 0;
    // Position 0, hidden.
    virtual void endProgress() = 0;
};

} // namespace holvex
