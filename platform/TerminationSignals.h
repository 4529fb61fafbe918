#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace pagora {

// Turns SIGTERM, SIGINT and SIGHUP (the end of a session, Ctrl+C in a terminal, a closed
// terminal) into a call of `onSignal` from the event loop, where the program can end as a close
// request ends it. One at a time; the default handlers come back when it is destroyed.
class TerminationSignals : public QObject {
  public:
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

  private:
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace pagora
