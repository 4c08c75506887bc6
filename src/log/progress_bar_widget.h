#pragma once

#include "log/progress_sink.h"

#include <QProgressBar>

namespace holvex {

// The main window's progress bar: range 0..250 before first use, hidden while idle. Changes asked for from
// another thread (the secondary search) are queued to the bar's own thread.
class ProgressBarWidget : public QProgressBar, public ProgressSink {
    Q_OBJECT
public:
    static constexpr int kDefaultMaximum = 250;

    explicit ProgressBarWidget(QWidget* parent = nullptr);

    void startProgress(int steps) override;
    void startProgressRange(int minimum, int maximum, int position) override;
    void stepProgress() override;
    void setProgressPosition(int position) override;
    int progressPosition() const override;
    int progressMaximum() const override;
    void endProgress() override;
};

} // namespace holvex
