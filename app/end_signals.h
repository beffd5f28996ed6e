// SIGTERM, SIGINT and SIGHUP end the program the way closing its main window does. The
// embedded engine installs handlers of its own for SIGTERM and SIGINT on its first attach
// (which would leave the program running), so the three signals are blocked in every
// thread and read from a signalfd in the event loop instead.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Blocks the three signals in the calling thread. Call first in main, before any thread
// starts, so that every later thread (Qt's, the engine's) inherits the mask.
void BlockEndSignals();

class TEndSignals : public QObject {
 public:
  // `end` runs in the event loop for the first signal; from then on the signals take
  // their default action again, so a second one ends the program at once.
  explicit TEndSignals(std::function<void()> end, QObject* parent = nullptr);
  ~TEndSignals() override;

 private:
  void Read();
  std::function<void()> end_;
  int fd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
};
