#include "workbench/idle_queue.h"

#include <QPointer>
#include <QTimer>
#include <utility>
#include <vector>

#include "data/statement/long_call.h"
#include "workbench/dialogs.h"

namespace {

struct TQueued {
  QPointer<QObject> context;
  std::function<void()> action;
};

std::vector<TQueued> g_waiting;

}  // namespace

void RunWaitingWork() {
  std::vector<TQueued> waiting = std::move(g_waiting);
  g_waiting.clear();
  for (TQueued& queued : waiting)
    if (queued.context) RunWhenIdle(queued.context, std::move(queued.action));
}

void RunWhenIdle(QObject* context, std::function<void()> action) {
  QTimer::singleShot(0, context, [context, action = std::move(action)]() mutable {
    // The next call may already be running when the loop comes round: wait for it too.
    if (LongCallRunning()) {
      g_waiting.push_back({context, std::move(action)});
      return;
    }
    RunHandler(action);
  });
}
