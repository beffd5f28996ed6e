// The SQL console: F9 runs the editor's first line, F10 opens a table filtered by the
// condition typed after its name.
#include "data/script/console_text.h"
#include "data/script/statement_class.h"
#include "data/script/statement_runner.h"
#include "data/statement/sql.h"
#include "grid/qt_text.h"
#include "workbench/console/sql_console.h"
#include "workbench/main_form.h"
#include "workbench/objects/object_tree.h"
#include "workbench/pages/pages.h"
#include "workbench/pages/status_bar.h"
#include "workbench/pages/transaction_commands.h"

namespace {

// Only the line that runs is converted: a later line may hold what Latin-1 cannot. The
// lossy form has one byte per UTF-16 unit, so the line's length carries over.
std::string FirstLine(const QString& text) {
  const size_t length = FirstLogicalLine(text.toLatin1().toStdString()).size();
  return FromQt(text.left(static_cast<qsizetype>(length)));
}

}  // namespace

void TWorkbenchForm::RichEdit1KeyUp(int& key, Qt::KeyboardModifiers) {
  if (key == Qt::Key_F10)
    QuickTableView();
  else if (key == Qt::Key_F9)
    RunFirstLine();
}

void TWorkbenchForm::ShowResult(TDataSource* source) {
  DBGrid1->SetDataSource(source);
  PageControl1->setCurrentIndex(1);
  Pages->Status->Follow();
}

void TWorkbenchForm::EndSharedTransaction(bool commit, bool retaining) {
  PostPendingEdits();
  if (commit)
    retaining ? IBTransaction1->CommitRetaining() : IBTransaction1->Commit();
  else
    retaining ? IBTransaction1->RollbackRetaining() : IBTransaction1->Rollback();
  Pages->Transactions->Ended();  // a retaining end sends no notice
}

void TWorkbenchForm::RunFirstLine() {
  const QString text = RichEdit1->toPlainText();
  if (text.isEmpty()) {
    ShowMessage("Não tem o que Executar!");
    return;
  }
  const std::string line = FirstLine(text);
  // Markers would travel as NULLs: nothing here can give them values.
  if (HasParameterMarkers(line)) {
    ShowMessage("Parâmetros (:nome) não são aceitos no console!");
    return;
  }
  // isql's own commands and transaction ends are known by the console's one runner; a
  // SET TRANSACTION would leave every dataset on a transaction that no longer exists.
  if (ClassifyStatement(line).kind == TStatementKind::kSetTransaction) {
    ShowMessage(kSetTransactionRefused);
    return;
  }
  TStatementRunner runner(*IBQuery1, *Console);
  runner.SetAutoDdl(false);  // F9's DDL stays in the shared transaction until F4
  TRunReport report;
  try {
    report = runner.RunOnQuery(line, LooksLikeQuery(line));
  } catch (const std::exception& error) {
    Console->NoteFirstLineRun(line, error.what());
    throw;
  }
  if (report.kind == TRunKind::kRows) {
    Console->NoteFirstLineRun(line, "Consulta aberta");
    return;
  }
  if (report.pending) Pages->Transactions->NoteChangesLeft();
  Console->NoteFirstLineRun(line, "Comando Executado com Sucesso!");
  ShowMessage("Comando Executado com Sucesso!");
}

void TWorkbenchForm::QuickTableView() {
  const TQuickView view = ParseQuickView(FirstLine(RichEdit1->toPlainText()));
  if (!view.has_from) {
    ShowMessage("Não encontrei FROM na primeira linha!");
    return;
  }
  if (IBTable1->State() == dsEdit || IBTable1->State() == dsInsert) PostPendingEdits();
  IBTable1->Close();
  ShowMessage("condicao=" + view.condition + "   tabela=" + view.shown_name);
  IBTable1->SetTableName(view.table_name);
  IBTable1->SetFiltered(false);
  // Without a condition the filter is off: an old one must not apply to this table.
  if (!view.condition.empty()) {
    IBTable1->SetFilter(view.condition);
    IBTable1->SetFiltered(true);
  }
  IBTable1->Open();
  ShowResult(dsTable);
}
