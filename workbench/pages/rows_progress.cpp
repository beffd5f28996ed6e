#include "workbench/pages/rows_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include "grid/blob_cell_text.h"
#include "workbench/dialogs.h"

namespace {

// Esc (a rejection), the button and closing the box all cancel; it goes when the owner
// is done.
class TCancelOnReject : public QProgressDialog {
 public:
  using QProgressDialog::QProgressDialog;

 protected:
  void reject() override { cancel(); }
};

}  // namespace

TRowsProgress::TRowsProgress(QWidget* window, QString name, QString text, int delay_ms,
                             QString after)
    : window_(window),
      name_(std::move(name)),
      text_(std::move(text)),
      after_(std::move(after)),
      delay_ms_(delay_ms) {
  clock_.start();
}

TRowsProgress::~TRowsProgress() = default;

bool TRowsProgress::Step(int64_t rows) {
  if (clock_.elapsed() < delay_ms_) {
    // Only repaints before the box is there to keep the window's input away.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return cancelled_;
  }
  if (!box_) {
    box_ = std::make_unique<TCancelOnReject>(window_);
    box_->setObjectName(name_);
    box_->setWindowTitle(ApplicationTitle());
    box_->setWindowModality(Qt::WindowModal);
    box_->setCancelButtonText(QStringLiteral("Cancelar"));
    box_->setRange(0, 0);  // the end is not known
    box_->setMinimumDuration(0);
    box_->show();
  }
  box_->setLabelText(text_ + GroupedDigits(rows) + after_);
  QCoreApplication::processEvents();
  if (box_->wasCanceled()) cancelled_ = true;
  return cancelled_;
}
