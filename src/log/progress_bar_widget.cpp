#include "log/progress_bar_widget.h"

#include <QThread>

#include <algorithm>

namespace holvex {

namespace {
// True when the call came from another thread and was queued to the bar's own thread instead.
template <typename Call> bool HandedOver(ProgressBarWidget* bar, Call call) {
    if (QThread::currentThread() == bar->thread()) {
        return false;
    }
    QMetaObject::invokeMethod(bar, call, Qt::QueuedConnection);
    return true;
}
} // namespace

ProgressBarWidget::ProgressBarWidget(QWidget* parent) : QProgressBar(parent) {
    setObjectName(QStringLiteral("ProgressBar"));
    setRange(0, kDefaultMaximum);
    setValue(0);
    setTextVisible(false);
    setVisible(false);
}

void ProgressBarWidget::StartProgress(int steps) {
    if (HandedOver(this, [this, steps] { StartProgress(steps); })) {
        return;
    }
    // An empty range would make Qt show a busy indicator instead of a position.
    setRange(0, std::max(steps, 1));
    setValue(0);
    setVisible(true);
}

void ProgressBarWidget::StartProgressRange(int minimum, int maximum, int position) {
    if (HandedOver(this,
                   [this, minimum, maximum, position] { StartProgressRange(minimum, maximum, position); })) {
        return;
    }
    setRange(minimum, std::max(maximum, minimum + 1));
    setValue(std::clamp(position, this->minimum(), this->maximum()));
    setVisible(true);
}

void ProgressBarWidget::StepProgress() {
    if (HandedOver(this, [this] { StepProgress(); })) {
        return;
    }
    setValue(std::min(value() + 1, maximum()));
}

void ProgressBarWidget::SetProgressPosition(int position) {
    if (HandedOver(this, [this, position] { SetProgressPosition(position); })) {
        return;
    }
    setValue(std::clamp(position, minimum(), maximum()));
}

int ProgressBarWidget::ProgressPosition() const {
    return value();
}

int ProgressBarWidget::ProgressMaximum() const {
    return maximum();
}

void ProgressBarWidget::EndProgress() {
    if (HandedOver(this, [this] { EndProgress(); })) {
        return;
    }
    setMinimum(0);
    setValue(0);
    setVisible(false);
}

} // namespace holvex
