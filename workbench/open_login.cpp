// Open and log in: choose a database file, connect through the login panel, and list
// the user tables under "TABELAS".
#include <QLabel>
#include <QStatusBar>
#include <QTreeWidgetItem>

#include "data/core/charset.h"
#include "grid/qt_text.h"
#include "workbench/dialogs.h"
#include "workbench/main_form.h"
#include "workbench/pages/page_close.h"
#include "workbench/pages/pages.h"
#include "workbench/pages/status_bar.h"
#include "workbench/pages/transaction_commands.h"
#include "workbench/pages/window_layout.h"

namespace {

constexpr char kEnter = 13;

// The engine's message with its lines broken as the boxes break them.
std::string EngineReason(const std::exception& error) {
  std::string reason = error.what();
  for (size_t at; (at = reason.find("\r\n")) != std::string::npos;) reason.erase(at, 1);
  return reason;
}

}  // namespace

const char* const TWorkbenchForm::kLoginFailed = "Ocorreu um Erro e o Bd não Conectou!";

void TWorkbenchForm::Abrir2Click() {
  const bool chosen = OpenDialog1.Execute(this);
  // A cancel keeps a session going; without one it shows the earlier path again.
  if (!chosen && IBDatabase1->Connected()) return;
  // The session ends before the panel shows: nothing typed is dropped, and no tree of
  // the old connection stays under the panel.
  if (!CloseAllDatabases()) return;
  if (chosen) ChosenDatabasePath = OpenDialog1.FileName();
  // Only empty while no dialog was ever confirmed.
  if (ChosenDatabasePath.empty()) return;
  ShowLoginPanel();
}

void TWorkbenchForm::ChooseDatabasePath(const std::string& path) {
  if (path.empty() || !CloseAllDatabases()) return;
  ChosenDatabasePath = path;
  OpenDialog1.SetFileName(path);
  ShowLoginPanel();
}

void TWorkbenchForm::ShowLoginPanel() {
  Phase = 1;
  base1->SetCaption(FileNameText(ChosenDatabasePath));
  Image1->show();
  base1->show();
  Panel1->show();
  // The tree and the pages of an earlier connect overlap the panel's place.
  Panel1->raise();
  Edit1->setFocus();
  Timer1->start();
}

void TWorkbenchForm::Edit1KeyPress(char& key) {
  if (key == kEnter) Edit2->setFocus();
}

void TWorkbenchForm::Edit2KeyPress(char& key) {
  if (key == kEnter) BitBtn1->setFocus();
}

void TWorkbenchForm::BitBtn1Click() {
  // Converted first: a character the connection's character set cannot hold is refused
  // before anything of the earlier parameters is lost.
  const std::string user = FromQt(Edit1->text());
  const std::string password = FromQt(Edit2->text());
  // Ending an earlier session is outside the trap: its failure reaches the error box.
  if (IBDatabase1->Connected() && !CloseAllDatabases()) return;
  TStringList& params = IBDatabase1->Params();
  params.Clear();
  params.Add("user_name=" + user);
  params.Add("password=" + password);
  params.Add("lc_ctype=" +
             (connection_char_set_.empty() ? std::string("UTF8") : connection_char_set_));
  // A server that never answers would hold the window for minutes.
  if (connect_timeout_ > 0) params.Add("connect_timeout=" + std::to_string(connect_timeout_));
  IBDatabase1->SetDatabaseName(ChosenDatabasePath);
  try {
    IBDatabase1->SetConnected(true);
    // A NONE database holds what older one-byte programs wrote: in ISO8859_1 its text,
    // and the SQL typed here, reaches its columns byte for byte as they wrote it. One
    // whose columns also declare other sets (WIN1251 beside WIN1252) stays in UTF8,
    // which reads them all; its NONE columns are still read byte for byte.
    if (connection_char_set_.empty() && IBDatabase1->DefaultCharSetName() == "NONE" &&
        !IBDatabase1->HasTextOutside(csIso8859_1)) {
      IBDatabase1->SetConnected(false);
      params.Delete(params.IndexOfName("lc_ctype"));
      params.Add("lc_ctype=ISO8859_1");
      IBDatabase1->SetConnected(true);
    }
    ShowCharSet();
    ShowMessage("Conectado com Sucesso!");
    Panel1->hide();
    // The names go to a list of their own, so the SQL the user typed stays in the editor,
    // and the catalogue leaves out system tables, so user tables named with "$" show.
    TStringList names;
    IBDatabase1->FillTableNames(names, false);
    FillTablesNode(names);
    TreeView1->show();
    PageControl1->show();
    // Opened on "TABELAS", so the keys reach the tables straight away.
    TablesNode()->setExpanded(true);
    TreeView1->setCurrentItem(TablesNode());
    TreeView1->setFocus();
    Phase = 2;
    Timer1->start();
    Pages->Layout->Restore();  // the size and splitter of the last run, if any
  } catch (const std::exception& error) {
    // The box's own words first, then the engine's reason: a wrong password, no server, a
    // file that is no database.
    ShowMessage(std::string(kLoginFailed) + "\n\n" + EngineReason(error));
  }
}

void TWorkbenchForm::ShowCharSet() {
  if (!char_set_label_) char_set_label_ = Pages->Status->Ensure().CharSet;
  const std::string name = CharSetName(IBDatabase1->CharSetId());
  char_set_label_->setText(QString::fromUtf8("Conjunto de caracteres: ") +
                           ToQt(name.empty() ? "NONE" : name));
}

QTreeWidgetItem* TWorkbenchForm::TablesNode() const {
  return TreeView1->topLevelItem(0);
}

void TWorkbenchForm::FillTablesNode(const TStringList& names) {
  QTreeWidgetItem* tables = TablesNode();
  qDeleteAll(tables->takeChildren());
  for (const std::string& name : names.Lines()) {
    new QTreeWidgetItem(tables, {ToQt(name)});
  }
}

void TWorkbenchForm::Abrir1Click() {
  if (CloseAllDatabases() && !ChosenDatabasePath.empty()) ShowLoginPanel();
}

bool TWorkbenchForm::CloseAllDatabases() {
  // What the grids hold is posted and pending changes settled before the disconnect; a
  // failed post stops. A lost connection is dropped by force instead: neither a post nor
  // the commit can reach the server any more, so retrying could never succeed. The error
  // box names the failure while the unsaved values are still on screen.
  try {
    if (!SettlePendingWork()) return false;
    IBDatabase1->SetConnected(false);
  } catch (const std::exception& error) {
    if (!IsConnectionLost(error)) throw;
    DropLostConnection(error);
  }
  // The user name stays for the next login; the password is not left behind.
  Edit2->clear();
  ClearSession();
  return true;
}

void TWorkbenchForm::ClearSession() {
  // Pages of the old connection would stand empty, or take edits for the next one.
  for (int i = PageControl1->count() - 1; i >= 0; --i)
    if (Pages->Close->Closable(i)) Pages->Close->ClosePage(i);
  FillTablesNode(TStringList());
  TreeView1->hide();
  PageControl1->hide();
}

namespace {

std::string Rows(int count) {
  return std::to_string(count) + (count == 1 ? " registro gravado" : " registros gravados");
}

}  // namespace

std::string LostConnectionText(const std::string& reason, int posted, bool editing) {
  std::string text = "A conexão com o banco de dados foi perdida.\n\n" + reason + "\n\n";
  if (posted > 0 && editing)
    text += "Perderam-se as alterações não confirmadas: " + Rows(posted) +
            " desde a última confirmação e o registro em edição.\n\n";
  else if (posted > 0)
    text += "Perderam-se as alterações não confirmadas: " + Rows(posted) +
            " desde a última confirmação.\n\n";
  else if (editing)
    text += "Perdeu-se o registro em edição.\n\n";
  return text + "Conecte-se novamente quando o servidor voltar.";
}

void TWorkbenchForm::DropLostConnection(const std::exception& error) {
  if (dropping_connection_) return;  // said once, whatever else fails on the way
  dropping_connection_ = true;
  struct TDone {
    bool& flag;
    ~TDone() { flag = false; }
  } done{dropping_connection_};
  const int posted = IBTransaction1->InTransaction() ? Pages->Transactions->Changes() : 0;
  bool editing = false;
  // Nothing can reach the server: edits are dropped here, not posted.
  for (int i = 0; i < ComponentCount(); ++i) {
    auto* dataset = dynamic_cast<TDataSet*>(Components(i));
    if (!dataset || (dataset->State() != dsEdit && dataset->State() != dsInsert)) continue;
    editing = editing || dataset->Modified();
    try {
      dataset->Cancel();
    } catch (const std::exception&) {
      // Dropped with the connection anyway.
    }
  }
  try {
    IBDatabase1->ForceClose();
  } catch (const std::exception&) {
    // The handles are dropped whatever the library says.
  }
  Pages->Transactions->Ended();
  ClearSession();
  Dialogs().ShowErrorText(LostConnectionText(ErrorBoxText(EngineReason(error)), posted, editing));
}

void TWorkbenchForm::Fechar1Click() {
  close();
}
