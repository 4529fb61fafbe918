#include "platform/IdleSteps.h"

#include <qpa/qwindowsysteminterface.h>

namespace pagora {

IdleSteps::IdleSteps(std::function<bool()> step, QObject* parent)
    : QObject(parent), step_(std::move(step)) {
    timer_.setSingleShot(false);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

void IdleSteps::Restart(int quietMs) {
    timer_.start(quietMs);
}

void IdleSteps::Stop() {
    timer_.stop();
}

void IdleSteps::Tick() {
    // Input that the window system has delivered goes first; the next tick tries again.
    if (QWindowSystemInterface::windowSystemEventsQueued() > 0) {
        return;
    }
    timer_.setInterval(0);
    if (!step_()) {
        timer_.stop();
    }
}

}  // namespace pagora
