// Open and log in: choose a database file, connect through the login panel, and list
// the user tables under "TABELAS".
#include <QLabel>
#include <QStatusBar>
#include <QTreeWidgetItem>

#include "data/core/charset.h"
#include "grid/qt_text.h"
#include "workbench/dialogs.h"
#include "workbench/main_form.h"
#include "workbench/pages/pages.h"
#include "workbench/pages/status_bar.h"
#include "workbench/pages/window_layout.h"

namespace {
constexpr char kEnter = 13;
}  // namespace

void TWorkbenchForm::Abrir2Click() {
  if (OpenDialog1.Execute(this)) ChosenDatabasePath = OpenDialog1.FileName();
  // Only empty while no dialog was ever confirmed; a cancel shows the earlier path again.
  if (ChosenDatabasePath.empty()) return;
  ShowLoginPanel();
}

void TWorkbenchForm::ChooseDatabasePath(const std::string& path) {
  if (path.empty()) return;
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
  // Closing an earlier connection is outside the trap: its failure reaches the error box.
  IBDatabase1->SetConnected(false);
  // Converted first: a character the connection's character set cannot hold is refused
  // before anything of the earlier parameters is lost.
  const std::string user = FromQt(Edit1->text());
  const std::string password = FromQt(Edit2->text());
  TStringList& params = IBDatabase1->Params();
  params.Clear();
  params.Add("user_name=" + user);
  params.Add("password=" + password);
  params.Add("lc_ctype=" +
             (connection_char_set_.empty() ? std::string("UTF8") : connection_char_set_));
  IBDatabase1->SetDatabaseName(ChosenDatabasePath);
  try {
    IBDatabase1->SetConnected(true);
    // A NONE database holds what older one-byte programs wrote: in ISO8859_1 its text,
    // and the SQL typed here, reaches its columns byte for byte as they wrote it.
    if (connection_char_set_.empty() && IBDatabase1->DefaultCharSetName() == "NONE") {
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
  } catch (...) {
    ShowMessage("Ocorreu um Erro e o Bd não Conectou!");
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
    auto* item = new QTreeWidgetItem(tables, {ToQt(name)});
    item->setFlags(item->flags() | Qt::ItemIsEditable);
  }
}

void TWorkbenchForm::Abrir1Click() {
  // What the grids hold is posted before the disconnect commits; a failed post stops.
  // A lost connection is dropped by force instead: neither a post nor the commit can
  // reach the server any more, so retrying could never succeed. The error box names the
  // failure while the unsaved values are still on screen.
  try {
    if (IBDatabase1->Connected()) PostPendingEdits();
    IBDatabase1->SetConnected(false);
  } catch (const std::exception& error) {
    if (!IsConnectionLost(error)) throw;
    ShowErrorBox(error);
    IBDatabase1->ForceClose();
  }
  // The user name stays for the next login; the password is not left behind.
  Edit2->clear();
  FillTablesNode(TStringList());
  TreeView1->hide();
  PageControl1->hide();
  if (!ChosenDatabasePath.empty()) ShowLoginPanel();
}

void TWorkbenchForm::Fechar1Click() {
  close();
}
