#include "data/statement/long_call.h"

#include <utility>

#include "data/client_api/client_api.h"
#include "data/errors/errors.h"

namespace {

TLongCallRunner& Runner() {
  static TLongCallRunner runner;
  return runner;
}

bool g_running = false;

}  // namespace

TLongCallRunner SetLongCallRunner(TLongCallRunner runner) {
  return std::exchange(Runner(), std::move(runner));
}

ISC_STATUS RunLongCall(const TLongCall& call) {
  const TLongCallRunner& runner = Runner();
  if (!runner) return call();
  struct TRunning {
    bool previous = std::exchange(g_running, true);
    ~TRunning() { g_running = previous; }
  } running;
  return runner(call);
}

bool LongCallRunning() {
  return g_running;
}

bool CanCancelOperation() {
  CheckClientLibraryLoaded();
  return ClientApi().fb_cancel_operation != nullptr;
}

void CancelOperation(isc_db_handle database) {
  if (!CanCancelOperation())
    throw EIBClientError(0,
                         "The client library cannot cancel a running statement "
                         "(it has no fb_cancel_operation)");
  // Never the thread's own vector: the running call is writing into that one.
  ISC_STATUS_ARRAY status = {};
  ClientApi().fb_cancel_operation(status, &database, fb_cancel_raise);
  // A failure means nothing was running any more; the call ends on its own.
}
