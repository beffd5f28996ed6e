#include "app/end_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

sigset_t EndSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, sig);
  return set;
}

}  // namespace

void BlockEndSignals() {
  const sigset_t set = EndSignalSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TEndSignals::TEndSignals(std::function<void()> end, QObject* parent)
    : QObject(parent), end_(std::move(end)) {
  const sigset_t set = EndSignalSet();
  fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd_ < 0) return;
  notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Read(); });
}

TEndSignals::~TEndSignals() {
  if (fd_ >= 0) close(fd_);
}

void TEndSignals::Read() {
  signalfd_siginfo info;
  bool any = false;
  while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) any = true;
  if (!any) return;
  notifier_->setEnabled(false);
  // Default actions first, then unblocked here: a signal arriving from now on, even while
  // `end` waits on the server, ends the program.
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
  const sigset_t set = EndSignalSet();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  if (end_) end_();
}
