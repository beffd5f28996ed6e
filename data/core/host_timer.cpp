#include "data/core/host_timer.h"

#include <utility>

namespace {
THostTimerFactory& Factory() {
  static THostTimerFactory factory;
  return factory;
}
}  // namespace

void THostTimer::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed();
}

void THostTimer::SetInterval(int milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  if (interval_ == milliseconds) return;
  interval_ = milliseconds;
  Changed();
}

void THostTimer::Tick() {
  if (!Running()) return;
  // A copy, so that a handler that replaces or clears the event stays safe.
  auto handler = OnTimer;
  handler();
}

void SetHostTimerFactory(THostTimerFactory factory) {
  Factory() = std::move(factory);
}

std::unique_ptr<THostTimer> CreateHostTimer() {
  if (Factory()) {
    if (auto timer = Factory()()) return timer;
  }
  return std::make_unique<THostTimer>();
}
