// Timers that tick through the host's message loop. The data layer never runs a loop of
// its own: the application installs a factory whose timers the loop drives; without one,
// timers are made but never tick by themselves.
#pragma once

#include <functional>
#include <memory>

class THostTimer {
 public:
  THostTimer() = default;
  virtual ~THostTimer() = default;
  THostTimer(const THostTimer&) = delete;
  THostTimer& operator=(const THostTimer&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Milliseconds between ticks; 0 keeps the timer from running.
  int Interval() const { return interval_; }
  void SetInterval(int milliseconds);
  void Start() { SetEnabled(true); }
  void Stop() { SetEnabled(false); }

  // Fired at every tick while Running().
  std::function<void()> OnTimer;

  // Enabled, a non-zero interval and an event assigned.
  bool Running() const { return enabled_ && interval_ > 0 && OnTimer; }

  // The host calls this when its timer fires; tests call it by hand. Does nothing
  // unless Running().
  void Tick();

 protected:
  // Enabled or Interval changed: the host starts, restarts or stops its own timer.
  virtual void Changed() {}

 private:
  bool enabled_ = false;
  int interval_ = 0;
};

using THostTimerFactory = std::function<std::unique_ptr<THostTimer>()>;

// Installs the process-wide factory (an empty function restores the default, whose
// timers never tick by themselves). Timers made earlier keep their kind.
void SetHostTimerFactory(THostTimerFactory factory);
// A new, stopped timer (Enabled false, Interval 0) from the installed factory.
std::unique_ptr<THostTimer> CreateHostTimer();
