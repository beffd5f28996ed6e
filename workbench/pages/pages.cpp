#include "workbench/pages/pages.h"

#include "workbench/main_form.h"
#include "workbench/pages/long_fetch.h"
#include "workbench/pages/page_close.h"
#include "workbench/pages/status_bar.h"
#include "workbench/pages/transaction_commands.h"
#include "workbench/pages/window_layout.h"

TPages::TPages(TWorkbenchForm* form) : QObject(form) {
  Status = new TStatusBarLabels(form);
  Layout = new TWindowLayout(form);
  Close = new TPageClose(form);
  Transactions = new TTransactionCommands(form);
  LongFetch = new TLongFetch(form);
  Transactions->Watch(form->IBTable1);
  Transactions->Watch(form->IBQuery1);
}

// The parts go first, while the form's controls and datasets are whole.
TPages::~TPages() {
  delete LongFetch;
  delete Transactions;
  delete Close;
  delete Layout;
  delete Status;
}

void TPages::TablePageOpened(QWidget* page, TDBGrid* grid, TDataSet* dataset) {
  Layout->AnchorPageGrid(page, grid);
  Transactions->Watch(dataset);
}

std::vector<TCustomDBGrid*> GridsOf(QWidget* page) {
  std::vector<TCustomDBGrid*> grids;
  if (!page) return grids;
  for (QWidget* child : page->findChildren<QWidget*>())
    if (auto* grid = dynamic_cast<TCustomDBGrid*>(child)) grids.push_back(grid);
  return grids;
}

void PostOrCancel(TDataSet* dataset) {
  if (dataset->State() != dsEdit && dataset->State() != dsInsert) return;
  dataset->UpdateRecord();  // an open cell editor hands its text over
  if (dataset->State() == dsInsert && !dataset->Modified())
    dataset->Cancel();
  else
    dataset->Post();
}
