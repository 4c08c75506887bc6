#include "bus/event_loop_wait.h"

#include <QEventLoop>
#include <QTimer>

namespace holvex {

namespace {
constexpr int kStepMs = 10;
}

bool waitProcessingEvents(int milliseconds, const std::function<bool()>& doneEarly) {
    for (int waited = 0; waited < milliseconds; waited += kStepMs) {
        if (doneEarly && doneEarly()) {
            return true;
        }
        QEventLoop loop;
        QTimer::singleShot(kStepMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return !doneEarly || doneEarly();
}

} // namespace holvex
