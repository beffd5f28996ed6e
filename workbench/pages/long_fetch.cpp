#include "workbench/pages/long_fetch.h"

#include <QApplication>
#include <QKeyEvent>

#include "grid/db_grid.h"
#include "workbench/main_form.h"
#include "workbench/pages/rows_progress.h"

TLongFetch::TLongFetch(TWorkbenchForm* form) : QObject(form), form_(form) {
  qApp->installEventFilter(this);
}

namespace {

// The select of the grid's dataset, when fetching to its end is still to be done.
TIBCustomDataSet* UnfetchedDataSet(TCustomDBGrid* grid) {
  TDataSource* source = grid->DataSource();
  auto* dataset = source ? dynamic_cast<TIBCustomDataSet*>(source->DataSet()) : nullptr;
  if (!dataset || !dataset->Active() || dataset->IsSequenced()) return nullptr;
  return dataset;
}

}  // namespace

bool TLongFetch::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || resending_) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_End || (key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier |
                                                        Qt::AltModifier)) != Qt::ControlModifier)
    return false;
  auto* grid = dynamic_cast<TCustomDBGrid*>(watched);
  if (!grid || grid->window() != form_) return false;
  TIBCustomDataSet* dataset = UnfetchedDataSet(grid);
  if (!dataset) return false;

  TRowsProgress progress(form_, QStringLiteral("FetchProgress"),
                         QStringLiteral("Lendo registros... "), DelayMs);
  auto earlier = dataset->OnFetchProgress;
  dataset->OnFetchProgress = [&](TIBCustomDataSet* sender, int fetched, bool& stop) {
    if (earlier) earlier(sender, fetched, stop);
    if (progress.Step(fetched)) stop = true;
  };
  // The grid's window is emptied while the dataset fetches: it keeps its last picture
  // rather than paint rows that are not there.
  grid->setUpdatesEnabled(false);
  resending_ = true;
  QCoreApplication::sendEvent(watched, event);  // the grid's own Ctrl+End
  resending_ = false;
  grid->setUpdatesEnabled(true);
  dataset->OnFetchProgress = earlier;
  return true;
}
