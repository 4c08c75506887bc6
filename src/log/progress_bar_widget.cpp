#include "log/progress_bar_widget.h"

#include <QThread>

#include <algorithm>

namespace holvex {

namespace {
// True when the call came from another thread and was queued to the bar's own thread instead.
template <typename Call> bool handedOver(ProgressBarWidget* bar, Call call) {
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

void ProgressBarWidget::startProgress(int steps) {
    if (handedOver(this, [this, steps] { startProgress(steps); })) {
        return;
    }
    // An empty range would make Qt show a busy indicator instead of a position.
    setRange(0, std::max(steps, 1));
    setValue(0);
    setVisible(true);
}

void ProgressBarWidget::startProgressRange(int minimum, int maximum, int position) {
    if (handedOver(this,
                   [this, minimum, maximum, position] { startProgressRange(minimum, maximum, position); })) {
        return;
    }
    setRange(minimum, std::max(maximum, minimum + 1));
    setValue(std::clamp(position, this->minimum(), this->maximum()));
    setVisible(true);
}

void ProgressBarWidget::stepProgress() {
    if (handedOver(this, [this] { stepProgress(); })) {
        return;
    }
    setValue(std::min(value() + 1, maximum()));
}

void ProgressBarWidget::setProgressPosition(int position) {
    if (handedOver(this, [this, position] { setProgressPosition(position); })) {
        return;
    }
    setValue(std::clamp(position, minimum(), maximum()));
}

int ProgressBarWidget::progressPosition() const {
    return value();
}

int ProgressBarWidget::progressMaximum() const {
    return maximum();
}

void ProgressBarWidget::endProgress() {
    if (handedOver(this, [this] { endProgress(); })) {
        return;
    }
    setMinimum(0);
    setValue(0);
    setVisible(false);
}

} // namespace holvex
