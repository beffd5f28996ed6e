// Table pages: Enter on a table's node opens it in a page of its own; F4 in any grid
// commits the transaction all the main window's datasets share.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <cstdio>

#include "grid/qt_text.h"
#include "workbench/dialogs.h"
#include "workbench/main_form.h"
#include "workbench/pages/blob_viewer.h"
#include "workbench/pages/open_failure.h"
#include "workbench/pages/pages.h"
#include "workbench/pages/sort.h"
#include "workbench/pages/transaction_commands.h"
#include "workbench/pages/window_layout.h"

TDBGrid* TWorkbenchForm::MakeGrid(QWidget* page) {
  auto* grid = new TDBGrid(page);
  grid->SetFitColumns(true);  // each page's columns as wide as what it first shows
  grid->OnKeyDown = [this](int& key, Qt::KeyboardModifiers shift) { DBGrid1KeyDown(key, shift); };
  InstallTitleSort(*grid);
  InstallBlobViewer(*grid);
  return grid;
}

void TWorkbenchForm::TreeView1KeyPress(char& key) {
  if (key != '\r') return;
  QTreeWidgetItem* node = TreeView1->currentItem();
  if (!node || !node->parent() || node->parent()->parent()) return;  // level 1 only
  if (TreeView1->topLevelItemCount() == 0 || TreeView1->topLevelItem(0)->text(0) != "TABELAS")
    return;
  const QString caption = node->text(0);
  const std::string name = FromQt(caption);

  auto* table = new TIBTable(this);
  auto* source = new TDataSource(this);
  source->SetDataSet(table);
  table->Close();
  table->SetDatabase(IBTable1->Database());
  table->SetTableName(name);
  // A page just added has no size until its layout runs: take the size the work pages
  // give the page they show now.
  const QSize page_size = PageControl1->currentWidget()->size();
  auto* page = new QWidget;
  PageControl1->addTab(page, caption);
  TDBGrid* grid = MakeGrid(page);
  grid->setGeometry(0, 0, page_size.width() - 1, page_size.height() - 15);
  grid->SetDataSource(source);
  Pages->TablePageOpened(page, grid, table);
  auto show = [&] {
    PageControl1->setCurrentWidget(page);
    grid->setFocus();
  };
  try {
    table->Open();
  } catch (const std::exception& error) {
    // A row that could not be read still leaves the rows before it to work with; a table
    // that showed none takes no edits, or an insert would go blind into it.
    if (table->Active() && table->RecordCount() > 0) {
      show();
      throw;
    }
    ShowOpenFailure(page, grid, table, error.what());
    PageControl1->setCurrentWidget(page);
    throw;
  }
  show();
}

void TWorkbenchForm::DBGrid1KeyDown(int& key, Qt::KeyboardModifiers shift) {
  if (key != Qt::Key_F4) return;
  if (shift & Qt::ShiftModifier) {  // Shift+F4 rolls back instead
    Pages->Transactions->RollBack();
    return;
  }
  // The commit closes every dataset: what the grids hold is posted first, and a post
  // that fails stops here with nothing committed.
  PostPendingEdits();
  IBTable1->Transaction()->Commit();
}

void TWorkbenchForm::PostPendingEdits(const std::function<void(const std::exception&)>& failed) {
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* dataset = dynamic_cast<TIBCustomDataSet*>(Components(i));
    if (!dataset || dataset->Transaction() != IBTransaction1) continue;
    try {
      PostOrCancel(dataset);
    } catch (const std::exception& error) {
      if (!failed) throw;
      failed(error);
    }
  }
}

void TWorkbenchForm::CloseForSignal() {
  PostPendingEdits([this](const std::exception& error) {
    const auto* own = dynamic_cast<const Exception*>(&error);
    std::fprintf(stderr, "%s: edits not saved: %s\n",
                 qPrintable(QCoreApplication::applicationName()),
                 ToQt(own ? own->Message() : error.what()).toLocal8Bit().constData());
  });
  closing_for_signal_ = true;
  close();
}

const char* const TWorkbenchForm::kPendingQuestion = "Confirmar as alterações pendentes?";

bool TWorkbenchForm::SettlePendingWork() {
  if (!IBDatabase1->Connected()) return true;
  PostPendingEdits();
  if (Pages->Transactions->Changes() == 0 || !IBTransaction1->InTransaction()) return true;
  switch (Dialogs().AskYesNoCancel(this, FromQt(ApplicationTitle()), kPendingQuestion)) {
    case TDialogs::kYes:
      IBTransaction1->Commit();
      break;
    case TDialogs::kNo:
      IBTransaction1->Rollback();
      break;
    case TDialogs::kCancel:
      return false;
  }
  Pages->Transactions->Ended();
  return true;
}

void TWorkbenchForm::closeEvent(QCloseEvent* event) {
  if (closing_for_signal_) return QMainWindow::closeEvent(event);
  bool posted = false;
  RunHandler([&] { posted = SettlePendingWork(); });
  if (posted) {
    Pages->Layout->Save();
    QMainWindow::closeEvent(event);
  } else {
    event->ignore();
  }
}
