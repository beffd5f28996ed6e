#include "workbench/pages/csv_export.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "data/export/csv_writer.h"
#include "grid/blob_cell_text.h"
#include "grid/qt_text.h"
#include "workbench/dialogs.h"
#include "workbench/main_form.h"
#include "workbench/pages/rows_progress.h"

namespace {

// The grid's columns as the user arranged them.
std::vector<TField*> ColumnFields(const TDBGrid& grid) {
  std::vector<TField*> fields;
  for (int i = 0; i < grid.Columns().Count(); ++i)
    if (TField* field = grid.Columns()[i].Field()) fields.push_back(field);
  return fields;
}

// Back to the row the page was on, where it still exists.
void ReturnTo(TDataSet& dataset, const TBookmark& bookmark) {
  if (dataset.Active() && !bookmark.empty() && dataset.BookmarkValid(bookmark))
    dataset.GotoBookmark(bookmark);
}

}  // namespace

TCsvExport::TCsvExport(TWorkbenchForm* form) : QObject(form), form_(form) {
  Action = new QAction(QStringLiteral("Exportar CSV..."), form);
  form->Arquivo1->insertAction(form->Abrir1, Action);
  connect(Action, &QAction::triggered, this, [this] { RunHandler([this] { Run(); }); });
  connect(form->Arquivo1, &QMenu::aboutToShow, this, [this] { UpdateAction(); });
  connect(form->PageControl1, &QTabWidget::currentChanged, this, [this] { UpdateAction(); });
  UpdateAction();
}

TDBGrid* TCsvExport::ExportableGrid() const {
  QWidget* page = form_->PageControl1->currentWidget();
  TDBGrid* grid = nullptr;
  // By its class: findChild would take any scroll area, TDBGrid having no meta-object.
  for (QObject* child : page ? page->children() : QObjectList())
    if ((grid = dynamic_cast<TDBGrid*>(child))) break;
  if (!grid || !grid->DataSource() || !grid->DataSource()->DataSet()) return nullptr;
  return grid->DataSource()->DataSet()->Active() ? grid : nullptr;
}

void TCsvExport::UpdateAction() {
  Action->setEnabled(ExportableGrid() != nullptr);
}

void TCsvExport::Run() {
  TDBGrid* grid = ExportableGrid();
  if (!grid) return;
  TDataSet& dataset = *grid->DataSource()->DataSet();
  // What the row holds is exported as stored: posted, or an untouched insert dropped.
  if (dataset.State() == dsEdit || dataset.State() == dsInsert) {
    dataset.UpdateRecord();
    dataset.CheckBrowseMode();
  }

  TOpenDialog dialog;
  dialog.SetDefaultExt("csv");
  dialog.SetForSaving(true);
  const int index = form_->PageControl1->currentIndex();
  dialog.SetFileName(FromQt(form_->PageControl1->tabText(index)) + ".csv");
  if (!dialog.Execute(form_)) return;
  const std::string path = dialog.FileName();
  // Written under another name first: a cancelled or failed export leaves no partial
  // file that could pass for the whole table, and an older file stays as it was.
  const std::string partial = path + ".part";

  const TBookmark bookmark = dataset.GetBookmark();
  auto progress = std::make_unique<TRowsProgress>(form_, QStringLiteral("ExportProgress"),
                                                  QStringLiteral("Exportando... "), DelayMs,
                                                  QStringLiteral(" linhas gravadas"));
  auto step = [&](int64_t rows, bool& stop) { stop = progress->Step(rows); };
  // The dataset's window moves under the grid meanwhile: it keeps its last picture.
  grid->setUpdatesEnabled(false);
  auto finish = [&] {
    progress.reset();
    grid->setUpdatesEnabled(true);
  };
  TCsvExportResult result;
  try {
    TFileCsvSink sink(partial);
    result = ExportCsv(dataset, ColumnFields(*grid), sink, step, RowsPerStep);
    sink.Close();
    if (!result.cancelled && std::rename(partial.c_str(), path.c_str()) != 0)
      throw EOSError(errno, "");
  } catch (...) {
    std::remove(partial.c_str());
    finish();
    try {
      ReturnTo(dataset, bookmark);
    } catch (...) {
      // The export's own failure is the one to show.
    }
    try {
      throw;
    } catch (const EOSError& error) {
      // Named as the user chose it, not as it was written meanwhile.
      throw EOSError(error.ErrorCode(),
                     "Não foi possível gravar " + path + ": " + std::strerror(error.ErrorCode()));
    }
  }
  if (result.cancelled) std::remove(partial.c_str());
  finish();
  ReturnTo(dataset, bookmark);
}
