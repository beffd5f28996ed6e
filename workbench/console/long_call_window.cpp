#include "workbench/console/long_call_window.h"

#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "workbench/dialogs.h"
#include "workbench/idle_queue.h"

namespace {

// What the worker hands back; guarded by its mutex.
struct TCallState {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  ISC_STATUS result = 0;
  std::exception_ptr error;
};

class TProgressDialog : public QDialog {
 public:
  TProgressDialog(QWidget* parent, std::function<void()> cancel)
      : QDialog(parent), cancel_(std::move(cancel)) {
    setObjectName(QStringLiteral("LongCallProgress"));
    setWindowTitle(ApplicationTitle());
    setWindowModality(Qt::WindowModal);  // nothing else in the window may act meanwhile
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(QStringLiteral("Executando..."), this);
    layout->addWidget(label_);
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 0);  // the engine does not say how far it is
    layout->addWidget(bar);
    button_ = new QPushButton(QStringLiteral("Cancelar"), this);
    layout->addWidget(button_);
    connect(button_, &QPushButton::clicked, this, [this] { Cancel(); });
  }

  void Cancel() {
    if (cancelled_) return;
    cancelled_ = true;
    label_->setText(QStringLiteral("Cancelando..."));
    button_->setEnabled(false);
    RunHandler(cancel_);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) {
      Cancel();
      return;
    }
    QDialog::keyPressEvent(event);
  }
  // Closing it is cancelling; it goes away when the call ends.
  void reject() override { Cancel(); }

 private:
  std::function<void()> cancel_;
  QLabel* label_ = nullptr;
  QPushButton* button_ = nullptr;
  bool cancelled_ = false;
};

}  // namespace

TLongCallWindow::TLongCallWindow(QWidget* window, std::function<isc_db_handle()> database)
    : window_(window), database_(std::move(database)) {
  previous_ = SetLongCallRunner([this](const TLongCall& call) { return Run(call); });
}

TLongCallWindow::~TLongCallWindow() {
  SetLongCallRunner(std::move(previous_));
}

ISC_STATUS TLongCallWindow::Run(const TLongCall& call) {
  auto state = std::make_shared<TCallState>();
  // The call is C and returns a status; the catch only guards the hand-over itself.
  std::thread worker([state, &call] {
    ISC_STATUS result = 0;
    std::exception_ptr error;
    try {
      result = call();
    } catch (...) {
      error = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    state->result = result;
    state->error = error;
    state->done = true;
    state->finished.notify_all();
  });
  bool done;
  {
    std::unique_lock<std::mutex> lock(state->mutex);
    done = state->finished.wait_for(lock, std::chrono::milliseconds(kProgressDelayMs),
                                    [&] { return state->done; });
  }
  if (!done) {
    TProgressDialog progress(window_, [this] { CancelOperation(database_()); });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
      std::lock_guard<std::mutex> lock(state->mutex);
      if (state->done) loop.quit();
    });
    poll.start(10);
    progress.show();
    loop.exec();
    progress.hide();
  }
  worker.join();
  RunWaitingWork();
  if (state->error) std::rethrow_exception(state->error);
  return state->result;
}
