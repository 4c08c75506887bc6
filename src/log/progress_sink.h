#pragma once

namespace holvex {

// The progress bar as operations see it: a range walked step by step, hidden while idle.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // Minimum 0, maximum `steps`, position 0, shown.
    virtual void StartProgress(int steps) = 0;
    // Any range and start position, shown.
    virtual void StartProgressRange(int minimum, int maximum, int position) = 0;
    // One step further; never past the maximum.
    virtual void StepProgress() = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual int ProgressPosition() const = 0;
    virtual int ProgressMaximum() const = 0;
    // Position 0, hidden.
    virtual void EndProgress() = 0;
};

} // namespace holvex
