// Keeps the window alive while a client call runs long: the call goes to a worker
// thread, the window's thread waits, and after half a second shows a progress bar with
// "Cancelar" (and Esc), which stops the statement in the engine.
#pragma once

#include <ibase.h>

#include <functional>

#include "data/statement/long_call.h"

class QWidget;

// Puts the runner in place for its lifetime. Only the long calls of the statements run
// meanwhile go to the worker; the window's thread waits for each, so no two client calls
// ever run at once (but the cancel, which the library allows).
class TLongCallWindow {
 public:
  // `database` is read when a cancel is asked, so a handle made later is seen.
  TLongCallWindow(QWidget* window, std::function<isc_db_handle()> database);
  ~TLongCallWindow();
  TLongCallWindow(const TLongCallWindow&) = delete;
  TLongCallWindow& operator=(const TLongCallWindow&) = delete;

  // How long the window waits before it shows the progress bar.
  static constexpr int kProgressDelayMs = 500;

 private:
  ISC_STATUS Run(const TLongCall& call);

  QWidget* window_;
  std::function<isc_db_handle()> database_;
  TLongCallRunner previous_;
};
