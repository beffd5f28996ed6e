// The object tree and the structure pages through the real main window: nodes filled on
// first expansion, counts, the filter, F5, DDL from the console, the system tables,
// Ctrl+Enter, "Estrutura", and Enter on a view.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidgetItem>

#include "app_test_support.h"
#include "data/sql_test_support.h"
#include "support/log_in.h"
#include "support/temp_database.h"
#include "workbench/objects/object_tree.h"

namespace {

const char kSetup[] =
    "CREATE DOMAIN D_CITY AS VARCHAR(20) DEFAULT 'Recife' NOT NULL;\n"
    "CREATE SEQUENCE CLIENT_IDS;\n"
    "ALTER SEQUENCE CLIENT_IDS RESTART WITH 7;\n"
    "CREATE EXCEPTION NO_CLIENT 'Cliente inexistente';\n"
    "CREATE TABLE CLIENTS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(30), CITY D_CITY,\n"
    "  PRICE NUMERIC(9,2) DEFAULT 0, DOUBLED COMPUTED BY (PRICE * 2));\n"
    "CREATE TABLE ORDERS (ID INTEGER NOT NULL, CLIENT INTEGER REFERENCES CLIENTS (ID) ON DELETE "
    "CASCADE, CONSTRAINT PK_ORDERS PRIMARY KEY (ID));\n"
    "CREATE DESCENDING INDEX IX_CLIENT_NAME ON CLIENTS (NAME);\n"
    "INSERT INTO CLIENTS (ID, NAME) VALUES (1, 'Ana');\n"
    "INSERT INTO CLIENTS (ID, NAME) VALUES (2, 'Bia');\n"
    "CREATE VIEW RECIFE_CLIENTS AS SELECT ID, NAME FROM CLIENTS WHERE CITY = 'Recife';\n"
    "CREATE VIEW ALL_ORDERS AS SELECT * FROM ORDERS;\n"
    "SET TERM ^ ;\n"
    "CREATE PROCEDURE CLIENT_NAMES (FIRST_ID INTEGER) RETURNS (NAME VARCHAR(30)) AS BEGIN\n"
    "  FOR SELECT NAME FROM CLIENTS WHERE ID >= :FIRST_ID INTO :NAME DO SUSPEND; END^\n"
    "CREATE TRIGGER CLIENTS_BI FOR CLIENTS BEFORE INSERT POSITION 2 AS BEGIN\n"
    "  IF (NEW.ID IS NULL) THEN NEW.ID = GEN_ID(CLIENT_IDS, 1); END^\n"
    "SET TERM ; ^\n";

class ObjectTreeTest : public ShellTest {
 protected:
  TempDatabase db{kSetup};
  TForm1 form;
  TObjectTree* tree = nullptr;

  void SetUp() override {
    LogIn(form, db.Path());
    TickUntilStopped(form);
    recorder.messages.clear();
    tree = ObjectTreeOf(&form);
    ASSERT_NE(tree, nullptr);
  }
  QTreeWidgetItem* Root(TObjectKind kind) { return tree->Root(kind); }
  std::vector<std::string> Shown(QTreeWidgetItem* root) {
    std::vector<std::string> names;
    for (int i = 0; i < root->childCount(); ++i)
      if (!root->child(i)->isHidden()) names.push_back(root->child(i)->text(0).toStdString());
    return names;
  }
  QTreeWidgetItem* Node(TObjectKind kind, const std::string& name) {
    QTreeWidgetItem* root = Root(kind);
    root->setExpanded(true);
    for (int i = 0; i < root->childCount(); ++i)
      if (root->child(i)->text(0).toStdString() == name) return root->child(i);
    ADD_FAILURE() << "no node " << name;
    return nullptr;
  }
  void Press(QTreeWidgetItem* node, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    form.TreeView1->setCurrentItem(node);
    const QString text = key == Qt::Key_Return ? QStringLiteral("\r") : QString();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(form.TreeView1, &press);
  }
  // The structure page now shown: its inner tabs by caption.
  QTabWidget* StructurePage(const QString& caption) {
    EXPECT_EQ(form.PageControl1->tabText(form.PageControl1->currentIndex()), caption);
    return form.PageControl1->currentWidget()->findChild<QTabWidget*>();
  }
  static QWidget* Tab(QTabWidget* tabs, const QString& caption) {
    for (int i = 0; i < tabs->count(); ++i)
      if (tabs->tabText(i) == caption) return tabs->widget(i);
    ADD_FAILURE() << "no tab " << caption.toStdString();
    return nullptr;
  }
  static std::vector<std::string> Captions(QTabWidget* tabs) {
    std::vector<std::string> captions;
    for (int i = 0; i < tabs->count(); ++i) captions.push_back(tabs->tabText(i).toStdString());
    return captions;
  }
  static std::string Cell(QWidget* grid, int row, int column) {
    auto* table = qobject_cast<QTableWidget*>(grid);
    if (!table || !table->item(row, column)) return "<none>";
    return table->item(row, column)->text().toStdString();
  }
  static std::string TextOf(QWidget* view) {
    auto* text = qobject_cast<QPlainTextEdit*>(view);
    return text ? text->toPlainText().toStdString() : "<none>";
  }
};

using Names = std::vector<std::string>;

TEST_F(ObjectTreeTest, NodesFillOnFirstExpansionWithTheirCounts) {
  // Nothing but the tables is read at login.
  for (TObjectKind kind :
       {TObjectKind::View, TObjectKind::Procedure, TObjectKind::Trigger, TObjectKind::Generator,
        TObjectKind::Exception, TObjectKind::Domain, TObjectKind::Index}) {
    EXPECT_EQ(Root(kind)->childCount(), 0);
    EXPECT_FALSE(Root(kind)->text(0).contains('('));
    EXPECT_EQ(Root(kind)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  }
  EXPECT_EQ(form.TablesNode()->text(0), "TABELAS");
  EXPECT_EQ(Shown(form.TablesNode()), (Names{"CLIENTS", "ORDERS"}));

  Root(TObjectKind::View)->setExpanded(true);
  EXPECT_EQ(Root(TObjectKind::View)->text(0), "VIEWS (2)");
  EXPECT_EQ(Shown(Root(TObjectKind::View)), (Names{"ALL_ORDERS", "RECIFE_CLIENTS"}));
  EXPECT_FALSE(form.IBDatabase1->InternalTransaction()->InTransaction());
  EXPECT_FALSE(form.IBTransaction1->InTransaction());
  const std::pair<TObjectKind, const char*> counts[] = {
      {TObjectKind::Procedure, "PROCEDIMENTOS (1)"}, {TObjectKind::Trigger, "GATILHOS (1)"},
      {TObjectKind::Generator, "GERADORES (1)"},     {TObjectKind::Exception, "EXCEÇÕES (1)"},
      {TObjectKind::Domain, "DOMÍNIOS (1)"},
  };
  for (const auto& [kind, text] : counts) {
    Root(kind)->setExpanded(true);
    EXPECT_EQ(Root(kind)->text(0), QString::fromUtf8(text));
  }
  Root(TObjectKind::Index)->setExpanded(true);
  // The keys' indices are listed with the others.
  const Names indices = Shown(Root(TObjectKind::Index));
  EXPECT_NE(std::find(indices.begin(), indices.end(), "IX_CLIENT_NAME"), indices.end());
  EXPECT_NE(std::find(indices.begin(), indices.end(), "PK_ORDERS"), indices.end());

  // A new login lists the new connection's objects, again only when asked, unfiltered.
  tree->Filter->setText("ORD");
  form.Abrir1Click();
  LogIn(form, db.Path());
  EXPECT_EQ(tree->Filter->text(), "");
  EXPECT_EQ(Shown(form.TablesNode()), (Names{"CLIENTS", "ORDERS"}));
  EXPECT_EQ(Root(TObjectKind::View)->childCount(), 0);
  EXPECT_EQ(Root(TObjectKind::View)->text(0), "VIEWS");
}

TEST_F(ObjectTreeTest, TheFilterNarrowsEveryNodeByAnyPartOfTheName) {
  Root(TObjectKind::View)->setExpanded(true);
  tree->Filter->setText("cLiEnT");
  EXPECT_EQ(Shown(form.TablesNode()), (Names{"CLIENTS"}));
  EXPECT_EQ(Shown(Root(TObjectKind::View)), (Names{"RECIFE_CLIENTS"}));
  // A node filled later is narrowed too.
  Root(TObjectKind::Procedure)->setExpanded(true);
  EXPECT_EQ(Shown(Root(TObjectKind::Procedure)), (Names{"CLIENT_NAMES"}));
  Root(TObjectKind::Exception)->setExpanded(true);
  EXPECT_EQ(Shown(Root(TObjectKind::Exception)), (Names{"NO_CLIENT"}));
  tree->Filter->clear();
  EXPECT_EQ(Shown(form.TablesNode()), (Names{"CLIENTS", "ORDERS"}));
  EXPECT_EQ(Shown(Root(TObjectKind::View)), (Names{"ALL_ORDERS", "RECIFE_CLIENTS"}));
}

TEST_F(ObjectTreeTest, F5AndConsoleDdlReadTheTreeAgain) {
  QTreeWidgetItem* views = Root(TObjectKind::View);
  views->setExpanded(true);
  form.TreeView1->setCurrentItem(Node(TObjectKind::View, "RECIFE_CLIENTS"));
  {
    Connection other(db.Path());
    other.Run("CREATE VIEW A_FIRST AS SELECT ID FROM CLIENTS");
    other.Run("CREATE TABLE BOXES (ID INTEGER)");
    other.tr.Commit();
  }
  EXPECT_EQ(views->childCount(), 2);  // nothing is read behind the person's back
  Press(form.TreeView1->currentItem(), Qt::Key_F5);
  EXPECT_EQ(views->text(0), "VIEWS (3)");
  EXPECT_EQ(Shown(views), (Names{"ALL_ORDERS", "A_FIRST", "RECIFE_CLIENTS"}));
  EXPECT_EQ(Shown(form.TablesNode()), (Names{"BOXES", "CLIENTS", "ORDERS"}));
  EXPECT_EQ(form.TreeView1->currentItem()->text(0), "RECIFE_CLIENTS");
  // Nodes never opened stay unread.
  EXPECT_EQ(Root(TObjectKind::Procedure)->childCount(), 0);

  // DDL typed in the console shows once the shared transaction commits (F4).
  Root(TObjectKind::Generator)->setExpanded(true);
  for (const char* line : {"create table Z_LAST (ID integer)", "create sequence Z_IDS"}) {
    form.RichEdit1->setPlainText(line);
    SendKey(form.RichEdit1, Qt::Key_F9, QString());
  }
  EXPECT_EQ(recorder.messages, std::vector<std::string>(2, "Comando Executado com Sucesso!"));
  EXPECT_EQ(Shown(form.TablesNode()).back(), "ORDERS");
  SendKey(form.DBGrid1, Qt::Key_F4, QString());
  QCoreApplication::processEvents();
  EXPECT_EQ(Shown(form.TablesNode()).back(), "Z_LAST");
  EXPECT_EQ(Root(TObjectKind::Generator)->text(0), "GERADORES (2)");
  EXPECT_TRUE(recorder.errors.empty());
}

TEST_F(ObjectTreeTest, TheSystemTablesNodeComesWithItsToggle) {
  const int roots = form.TreeView1->topLevelItemCount();
  EXPECT_EQ(Root(TObjectKind::SystemTable), nullptr);
  tree->SystemTablesAction->trigger();
  ASSERT_NE(Root(TObjectKind::SystemTable), nullptr);
  EXPECT_EQ(form.TreeView1->topLevelItem(roots), Root(TObjectKind::SystemTable));
  EXPECT_EQ(Root(TObjectKind::SystemTable)->text(0), "TABELAS DO SISTEMA");
  Root(TObjectKind::SystemTable)->setExpanded(true);
  const Names system = Shown(Root(TObjectKind::SystemTable));
  EXPECT_NE(std::find(system.begin(), system.end(), "RDB$RELATIONS"), system.end());
  EXPECT_EQ(std::find(system.begin(), system.end(), "CLIENTS"), system.end());
  // Enter opens a system table's rows as a table page.
  Press(Node(TObjectKind::SystemTable, "RDB$DATABASE"), Qt::Key_Return);
  EXPECT_EQ(form.PageControl1->tabText(form.PageControl1->currentIndex()), "RDB$DATABASE");
  tree->SystemTablesAction->trigger();
  EXPECT_EQ(Root(TObjectKind::SystemTable), nullptr);
  EXPECT_EQ(form.TreeView1->topLevelItemCount(), roots);
}

TEST_F(ObjectTreeTest, CtrlEnterOpensATablesStructureWithItsDdl) {
  const int pages = form.PageControl1->count();
  Press(Node(TObjectKind::Table, "CLIENTS"), Qt::Key_Return, Qt::ControlModifier);
  ASSERT_EQ(form.PageControl1->count(), pages + 1);
  QTabWidget* tabs = StructurePage("Estrutura: CLIENTS");
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(Captions(tabs), (Names{"Colunas", "Chaves", "Índices", "Gatilhos", "DDL"}));
  QWidget* columns = Tab(tabs, "Colunas");
  EXPECT_EQ(Cell(columns, 0, 0), "1");
  EXPECT_EQ(Cell(columns, 0, 1), "ID");
  EXPECT_EQ(Cell(columns, 0, 2), "INTEGER");
  EXPECT_EQ(Cell(columns, 0, 4), "Sim");
  EXPECT_EQ(Cell(columns, 2, 3), "D_CITY");
  EXPECT_EQ(Cell(columns, 2, 4), "Sim");  // NOT NULL of its domain
  EXPECT_EQ(Cell(columns, 3, 2), "NUMERIC(9, 2)");
  EXPECT_EQ(Cell(columns, 3, 5), "DEFAULT 0");
  EXPECT_EQ(Cell(columns, 4, 6), "(PRICE * 2)");
  EXPECT_EQ(Cell(Tab(tabs, "Chaves"), 0, 1), "PRIMARY KEY");
  EXPECT_EQ(Cell(Tab(tabs, "Índices"), 0, 0), "IX_CLIENT_NAME");
  EXPECT_EQ(Cell(Tab(tabs, "Índices"), 0, 3), "Sim");
  EXPECT_EQ(Cell(Tab(tabs, "Gatilhos"), 0, 0), "CLIENTS_BI");
  EXPECT_EQ(Cell(Tab(tabs, "Gatilhos"), 0, 1), "BEFORE INSERT");
  EXPECT_EQ(Cell(Tab(tabs, "Gatilhos"), 0, 2), "2");
  const std::string ddl = TextOf(Tab(tabs, "DDL"));
  EXPECT_NE(ddl.find("CREATE TABLE CLIENTS (\n    ID INTEGER NOT NULL,"), std::string::npos) << ddl;
  EXPECT_NE(ddl.find("CREATE DESCENDING INDEX IX_CLIENT_NAME ON CLIENTS (NAME);"),
            std::string::npos);

  // A foreign key names what it refers to and its rules.
  Press(Node(TObjectKind::Table, "ORDERS"), Qt::Key_Return, Qt::ControlModifier);
  QWidget* keys = Tab(StructurePage("Estrutura: ORDERS"), "Chaves");
  EXPECT_EQ(Cell(keys, 1, 1), "FOREIGN KEY");
  EXPECT_EQ(Cell(keys, 1, 3), "CLIENTS");
  EXPECT_EQ(Cell(keys, 1, 6), "CASCADE");
}

TEST_F(ObjectTreeTest, EstruturaOnEveryOtherKindOfObject) {
  auto structure = [&](TObjectKind kind, const std::string& name) {
    form.TreeView1->setCurrentItem(Node(kind, name));
    tree->StructureAction->trigger();  // the context menu's "Estrutura"
    return StructurePage(QString::fromStdString("Estrutura: " + name));
  };
  QTabWidget* procedure = structure(TObjectKind::Procedure, "CLIENT_NAMES");
  EXPECT_EQ(Captions(procedure), (Names{"Parâmetros", "Código", "DDL"}));
  EXPECT_EQ(Cell(Tab(procedure, "Parâmetros"), 0, 0), "FIRST_ID");
  EXPECT_EQ(Cell(Tab(procedure, "Parâmetros"), 0, 1), "Entrada");
  EXPECT_EQ(Cell(Tab(procedure, "Parâmetros"), 1, 1), "Saída");
  EXPECT_NE(TextOf(Tab(procedure, "Código")).find("SUSPEND"), std::string::npos);
  EXPECT_NE(TextOf(Tab(procedure, "DDL")).find("CREATE PROCEDURE CLIENT_NAMES ("),
            std::string::npos);

  QTabWidget* trigger = structure(TObjectKind::Trigger, "CLIENTS_BI");
  EXPECT_EQ(Cell(Tab(trigger, "Gatilho"), 0, 1), "CLIENTS");
  EXPECT_EQ(Cell(Tab(trigger, "Gatilho"), 3, 1), "Sim");
  EXPECT_NE(TextOf(Tab(trigger, "Código")).find("GEN_ID(CLIENT_IDS, 1)"), std::string::npos);
  EXPECT_EQ(Cell(Tab(structure(TObjectKind::Generator, "CLIENT_IDS"), "Gerador"), 0, 1), "7");
  EXPECT_EQ(Cell(Tab(structure(TObjectKind::Exception, "NO_CLIENT"), "Exceção"), 0, 1),
            "Cliente inexistente");
  QTabWidget* domain = structure(TObjectKind::Domain, "D_CITY");
  EXPECT_EQ(Cell(Tab(domain, "Domínio"), 0, 1), "VARCHAR(20) CHARACTER SET ISO8859_1");
  EXPECT_EQ(TextOf(Tab(domain, "DDL")),
            "CREATE DOMAIN D_CITY AS VARCHAR(20) CHARACTER SET ISO8859_1 DEFAULT 'Recife' NOT "
            "NULL;\n");
  QTabWidget* view = structure(TObjectKind::View, "RECIFE_CLIENTS");
  EXPECT_EQ(Captions(view), (Names{"Colunas", "Gatilhos", "Código", "DDL"}));
  EXPECT_EQ(Cell(Tab(structure(TObjectKind::Index, "IX_CLIENT_NAME"), "Índice"), 4, 1), "Sim");

  // An object dropped since the listing: the error box, and no empty page.
  Root(TObjectKind::Exception)->setExpanded(true);
  {
    Connection other(db.Path());
    other.Run("DROP EXCEPTION NO_CLIENT");
    other.tr.Commit();
  }
  const int pages = form.PageControl1->count();
  Press(Node(TObjectKind::Exception, "NO_CLIENT"), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(form.PageControl1->count(), pages);
  EXPECT_EQ(recorder.errors.size(), 1u);
}

TEST_F(ObjectTreeTest, EnterOrADoubleClickOnAViewOpensItsRows) {
  Press(Node(TObjectKind::View, "RECIFE_CLIENTS"), Qt::Key_Return);
  EXPECT_EQ(form.PageControl1->tabText(form.PageControl1->currentIndex()), "RECIFE_CLIENTS");
  auto* grid = form.PageControl1->currentWidget()->findChild<TDBGrid*>();
  ASSERT_NE(grid, nullptr);
  TDataSet* rows = grid->DataSource()->DataSet();
  ASSERT_TRUE(rows->Active());
  std::vector<std::string> names;
  for (rows->First(); !rows->Eof(); rows->Next())
    names.push_back(rows->FieldByName("NAME")->AsString());
  EXPECT_EQ(names, (Names{"Ana", "Bia"}));

  const int pages = form.PageControl1->count();
  emit form.TreeView1->itemDoubleClicked(Node(TObjectKind::View, "ALL_ORDERS"), 0);
  EXPECT_EQ(form.PageControl1->count(), pages + 1);
  EXPECT_EQ(form.PageControl1->tabText(form.PageControl1->currentIndex()), "ALL_ORDERS");
  // Enter on a procedure opens its structure; Enter on a table still opens its rows.
  Press(Node(TObjectKind::Procedure, "CLIENT_NAMES"), Qt::Key_Return);
  EXPECT_EQ(form.PageControl1->tabText(form.PageControl1->currentIndex()),
            "Estrutura: CLIENT_NAMES");
  Press(Node(TObjectKind::Table, "CLIENTS"), Qt::Key_Return);
  EXPECT_EQ(form.PageControl1->tabText(form.PageControl1->currentIndex()), "CLIENTS");
  EXPECT_TRUE(recorder.errors.empty());
}

}  // namespace
