// The SQL console: F9 runs the editor's first line, F10 opens a table filtered by the
// condition typed after its name.
#include "data/statement/sql.h"
#include "grid/qt_text.h"
#include "workbench/console_text.h"
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
  // A transaction statement must go through the transaction object, or every dataset
  // would be left on a transaction that no longer exists. The engine's word is RETAIN; the
  // RETAINING that older tools write would not prepare.
  const std::string first = FirstWord(line);
  if ((first == "COMMIT" || first == "ROLLBACK") && ContainsWord(line, "RETAINING")) {
    EndSharedTransaction(first == "COMMIT", true);
    ShowMessage("Comando Executado com Sucesso!");
    return;
  }
  IBQuery1->Close();
  IBQuery1->SQL().Clear();
  IBQuery1->SQL().Add(line);
  if (LooksLikeQuery(line)) {
    IBQuery1->Open();
    ShowResult(DsQuery);
    return;
  }
  try {
    IBQuery1->Prepare();
  } catch (const EIBClientError&) {
    // The statement layer refuses to prepare a SET TRANSACTION; say why here.
    if (IBQuery1->StatementType() != SQLStartTransaction) throw;
    ShowMessage("Use F4 para gravar; SET TRANSACTION não é aceito no console!");
    return;
  }
  switch (IBQuery1->StatementType()) {
    case SQLCommit:
    case SQLRollback:
      EndSharedTransaction(IBQuery1->StatementType() == SQLCommit,
                           ContainsWord(line, "RETAIN") || ContainsWord(line, "RETAINING"));
      break;
    default:
      IBQuery1->ExecSQL();
      Pages->Transactions->NoteStatementsRun({line});
      if (IBQuery1->StatementType() == SQLDDL) NoteSchemaChange(this);  // the tree reads again
      break;
  }
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
