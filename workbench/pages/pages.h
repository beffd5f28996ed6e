// The main window's page and window tools: layout, page closing, transaction commands,
// status bar and long fetches, made together and hooked up by the form.
#pragma once

#include <QObject>
#include <vector>

class QWidget;
class TCustomDBGrid;
class TDataSet;
class TDBGrid;
class TLongFetch;
class TPageClose;
class TStatusBarLabels;
class TTransactionCommands;
class TWindowLayout;
class TWorkbenchForm;

class TPages : public QObject {
 public:
  explicit TPages(TWorkbenchForm* form);
  ~TPages() override;

  TStatusBarLabels* Status = nullptr;
  TWindowLayout* Layout = nullptr;
  TPageClose* Close = nullptr;
  TTransactionCommands* Transactions = nullptr;
  TLongFetch* LongFetch = nullptr;

  // A table page was added with its grid over `dataset`.
  void TablePageOpened(QWidget* page, TDBGrid* grid, TDataSet* dataset);
};

// The data grids on a page (the grids have no meta-object of their own, so findChild
// cannot tell them from other scroll areas).
std::vector<TCustomDBGrid*> GridsOf(QWidget* page);

// Hands an open cell editor's text to the field and posts a dataset being edited (an
// insert nobody typed into is cancelled); raises what the post raises.
void PostOrCancel(TDataSet* dataset);
