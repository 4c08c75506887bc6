#pragma once

#include "log/progress_sink.h"

#include <algorithm>

namespace holvex::cli {

// No progress bar on the command line; the position is still tracked for the operations that read it back.
class SilentProgressSink : public ProgressSink {
public:
    void startProgress(int steps) override { startProgressRange(0, steps, 0); }
    void startProgressRange(int minimum, int maximum, int position) override {
        m_minimum = minimum;
        m_maximum = std::max(minimum, maximum);
        m_position = std::clamp(position, m_minimum, m_maximum);
    }
    void stepProgress() override { m_position = std::min(m_position + 1, m_maximum); }
    void setProgressPosition(int position) override {
        m_position = std::clamp(position, m_minimum, m_maximum);
    }
    int progressPosition() const override { return m_position; }
    int progressMaximum() const override { return m_maximum; }
    void endProgress() override { m_position = m_minimum = 0; }

private:
    int m_minimum = 0;
    int m_maximum = 100;
    int m_position = 0;
};

} // namespace holvex::cli
