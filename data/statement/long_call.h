// Client calls that may run long (a statement's execute and fetch) go through here, so
// that the program can keep its window alive meanwhile and cancel them. Without a runner
// put in place a call runs where it is.
#pragma once

#include <ibase.h>

#include <functional>

// The call runs with the status vector and handles it was given; it never raises.
using TLongCall = std::function<ISC_STATUS()>;
using TLongCallRunner = std::function<ISC_STATUS(const TLongCall&)>;

// Puts `runner` in place (empty: calls run in place); returns the previous one.
TLongCallRunner SetLongCallRunner(TLongCallRunner runner);
ISC_STATUS RunLongCall(const TLongCall& call);
// True while a runner runs a call: its thread may turn an event loop meanwhile, but the
// connection is the call's, so nothing else may make a client call until it returns.
bool LongCallRunning();

// True when the client library can cancel a running call (fb_cancel_operation).
bool CanCancelOperation();
// Asks the engine to stop what runs on the connection now, through fb_cancel_operation
// with fb_cancel_raise: the running call then fails with the engine's cancel error. The
// one client call allowed while another thread is inside the library; it uses a status
// vector of its own. Raises EIBClientError when the library has no such entry point.
void CancelOperation(isc_db_handle database);
