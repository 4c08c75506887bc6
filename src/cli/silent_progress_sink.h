#pragma once

#include "log/progress_sink.h"

#include <algorithm>

namespace holvex::cli {

// No progress bar on the command line; the position is still tracked for the operations that read it back.
class SilentProgressSink : public ProgressSink {
public:
    void StartProgress(int steps) override { StartProgressRange(0, steps, 0); }
    void StartProgressRange(int minimum, int maximum, int position) override {
        m_minimum = minimum;
        m_maximum = std::max(minimum, maximum);
        m_position = std::clamp(position, m_minimum, m_maximum);
    }
    void StepProgress() override { m_position = std::min(m_position + 1, m_maximum); }
    void SetProgressPosition(int position) override {
        m_position = std::clamp(position, m_minimum, m_maximum);
    }
    int ProgressPosition() const override { return m_position; }
    int ProgressMaximum() const override { return m_maximum; }
    void EndProgress() override { m_position = m_minimum = 0; }

private:
    int m_minimum = 0;
    int m_maximum = 100;
    int m_position = 0;
};

} // namespace holvex::cli
