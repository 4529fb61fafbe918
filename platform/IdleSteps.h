#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace pagora {

// Runs a piece of work in small steps while the user does nothing: a step at a time from the
// event loop, a short while after the last start, never while input is waiting to be handled.
// `step` does one step and returns whether there is more to do.
class IdleSteps : public QObject {
  public:
    explicit IdleSteps(std::function<bool()> step, QObject* parent = nullptr);

    // Starts (or starts again) stepping after `quietMs`, the time the screen needs to show what
    // has just changed.
    void Restart(int quietMs = 30);
    void Stop();
    bool Running() const { return timer_.isActive(); }

  private:
    void Tick();

    std::function<bool()> step_;
    QTimer timer_;
};

}  // namespace pagora
