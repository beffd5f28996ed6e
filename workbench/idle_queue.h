// Work that makes client calls, held back while a long client call runs on its worker
// thread: the window's event loop turns during that wait, but the connection belongs to
// the call until it returns.
#pragma once

#include <QObject>
#include <functional>

// The long-call window says when its call has returned: what waited runs then.
void RunWaitingWork();

// Runs `action` from the event loop once no client call runs; never after `context` is
// gone. Whatever it raises goes to the error box.
void RunWhenIdle(QObject* context, std::function<void()> action);
