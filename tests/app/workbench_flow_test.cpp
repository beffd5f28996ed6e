// The workbench end to end on real databases: the SQL console's F9 and F10, table pages
// opened from the tree, and F4 committing without losing what was typed.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTreeWidgetItem>

#include "app_test_support.h"
#include "data/sql_test_support.h"
#include "data/statement/sql.h"
#include "support/log_in.h"
#include "support/temp_database.h"

namespace {

const char kSetup[] =
    "create table CUSTOMERS (ID integer not null primary key, NAME varchar(20), CITY "
    "varchar(20));\n"
    "insert into CUSTOMERS values (1, 'Ana', 'Recife');\n"
    "insert into CUSTOMERS values (2, 'Bia', 'Natal');\n"
    "insert into CUSTOMERS values (3, 'Caio', 'Recife');\n"
    "create table \"Notes\" (ID integer not null primary key, TXT varchar(10));\n"
    "insert into \"Notes\" values (1, 'a');\n";

class WorkbenchFlowTest : public ShellTest {
 protected:
  TempDatabase db{kSetup};
  TForm1 form;

  void SetUp() override {
    LogIn(form, db.Path());
    TickUntilStopped(form);
    recorder.messages.clear();
  }
  void Type(const QString& line, int key) {
    form.RichEdit1->setPlainText(line);
    SendKey(form.RichEdit1, key, QString());
  }
  // The values of column `name` through the grid's dataset, from the first row.
  std::vector<std::string> Column(TDBGrid* grid, const std::string& name) {
    TDataSet* data = grid->DataSource()->DataSet();
    std::vector<std::string> values;
    for (data->First(); !data->Eof(); data->Next())
      values.push_back(data->FieldByName(name)->AsString());
    return values;
  }
  std::string ReadBack(const std::string& sql) {
    Connection other(db.Path());
    auto q = other.Sql(sql);
    q->ExecQuery();
    return q->Fields(0).AsString();
  }
  // Opens the cell editor with F2 and types `text` at the end of the cell's text.
  void TypeIntoCell(TDBGrid* grid, const QString& text, bool replace = false) {
    SendKey(grid, Qt::Key_F2, QString());
    QLineEdit* editor = grid->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    SendKey(editor, replace ? Qt::Key_Backspace : Qt::Key_End, QString());
    for (QChar c : text) SendKey(editor, c.unicode(), QString(c));
  }
  TDBGrid* OpenPage(const std::string& name) { return OpenTablePage(form, name); }
};

TEST_F(WorkbenchFlowTest, F9RunsTheFirstLineAsQueryOrCommandAndF4MakesItDurable) {
  Type("", Qt::Key_F9);
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"Não tem o que Executar!"});

  // A first line longer than the editor is wide still runs whole.
  Type("select NAME from CUSTOMERS where ID >= 2" + QString(300, ' ') + "order by ID desc\nxx",
       Qt::Key_F9);
  EXPECT_EQ(form.PageControl1->currentIndex(), 1);
  EXPECT_EQ(form.DBGrid1->DataSource(), form.DsQuery);
  EXPECT_EQ(Column(form.DBGrid1, "NAME"), (std::vector<std::string>{"Caio", "Bia"}));

  recorder.messages.clear();
  Type("Update CUSTOMERS set CITY = 'Olinda' where ID = 2", Qt::Key_F9);
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"Comando Executado com Sucesso!"});
  EXPECT_EQ(ReadBack("select CITY from CUSTOMERS where ID = 2"), "Natal");
  SendKey(form.DBGrid1, Qt::Key_F4, QString());
  EXPECT_EQ(ReadBack("select CITY from CUSTOMERS where ID = 2"), "Olinda");
  EXPECT_FALSE(form.IBQuery1->Active()) << "the commit closed the result";
  SendKey(form.DBGrid1, Qt::Key_F4, QString());
  EXPECT_EQ(recorder.errors, std::vector<std::string>{"Transaction is not active."});

  // Markers and transaction statements are the console's own business.
  recorder.messages.clear();
  Type("update CUSTOMERS set CITY = :CITY", Qt::Key_F9);
  Type("set transaction read committed", Qt::Key_F9);
  EXPECT_EQ(recorder.errors.size(), 1u);
  EXPECT_EQ(recorder.messages,
            (std::vector<std::string>{"Parâmetros (:nome) não são aceitos no console!",
                                      "Use F4 para gravar; SET TRANSACTION não é aceito "
                                      "no console!"}));
}

TEST_F(WorkbenchFlowTest, F10OpensTheTableFilteredAndWithoutAConditionWhole) {
  Type("select * from customers where CITY = 'Recife'", Qt::Key_F10);
  EXPECT_EQ(recorder.messages,
            std::vector<std::string>{"condicao=CITY = 'Recife'   tabela=customers "});
  EXPECT_EQ(form.DBGrid1->DataSource(), form.dsTable);
  EXPECT_EQ(Column(form.DBGrid1, "NAME"), (std::vector<std::string>{"Ana", "Caio"}));

  Type("select * from CUSTOMERS", Qt::Key_F10);
  EXPECT_EQ(Column(form.DBGrid1, "NAME"), (std::vector<std::string>{"Ana", "Bia", "Caio"}));

  recorder.messages.clear();
  Type("CUSTOMERS", Qt::Key_F10);
  EXPECT_EQ(recorder.messages,
            std::vector<std::string>{"Não encontrei FROM na primeira linha!"});
  EXPECT_TRUE(form.IBTable1->Active()) << "nothing was closed or opened";

  // A name in double quotes keeps its case.
  Type("select * from \"Notes\"", Qt::Key_F10);
  EXPECT_EQ(Column(form.DBGrid1, "TXT"), std::vector<std::string>{"a"});
}

TEST_F(WorkbenchFlowTest, TablePagesKeepTypedValuesThroughF4AndCommitOnce) {
  TDBGrid* first = OpenPage("CUSTOMERS");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(form.PageControl1->count(), 3);
  EXPECT_EQ(form.PageControl1->tabText(2), "CUSTOMERS");
  const QSize page = form.TabSheet2->size();
  EXPECT_EQ(first->size(), QSize(page.width() - 1, page.height() - 15));
  TDBGrid* notes = OpenPage("Notes");  // the name as the tree shows it
  ASSERT_NE(notes, nullptr);
  EXPECT_EQ(form.PageControl1->count(), 4);

  // A cell typed into and left open in one page; F4 in another page's grid.
  form.PageControl1->setCurrentIndex(2);
  first->setFocus();
  first->SetSelectedIndex(1);
  TypeIntoCell(first, "o");
  EXPECT_EQ(first->DataSource()->DataSet()->State(), dsEdit);
  SendKey(notes, Qt::Key_F4, QString());
  EXPECT_TRUE(recorder.errors.empty());
  EXPECT_EQ(ReadBack("select NAME from CUSTOMERS where ID = 1"), "Anao");
  EXPECT_FALSE(first->DataSource()->DataSet()->Active()) << "pages stay empty until reopened";

  // A post the server refuses: nothing is committed and the typed value stays.
  TDBGrid* again = OpenPage("CUSTOMERS");
  again->SetSelectedIndex(0);
  TypeIntoCell(again, "2", true);  // ID 1 becomes 2: a key violation
  SendKey(again, Qt::Key_F4, QString());
  ASSERT_EQ(recorder.errors.size(), 1u);
  EXPECT_EQ(again->DataSource()->DataSet()->State(), dsEdit);
  EXPECT_EQ(again->DataSource()->DataSet()->FieldByName("ID")->AsInteger(), 2);
  EXPECT_TRUE(form.IBTransaction1->Active());
}

TEST_F(WorkbenchFlowTest, ATypedCommitGoesThroughTheTransactionAndPostsFirst) {
  TDBGrid* grid = OpenPage("CUSTOMERS");
  grid->SetSelectedIndex(2);
  TypeIntoCell(grid, "x");
  Type("commit", Qt::Key_F9);
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"Comando Executado com Sucesso!"});
  EXPECT_EQ(ReadBack("select CITY from CUSTOMERS where ID = 1"), "Recifex");
  EXPECT_FALSE(grid->DataSource()->DataSet()->Active());
  SendKey(grid, Qt::Key_F4, QString());
  EXPECT_EQ(recorder.errors, std::vector<std::string>{"Transaction is not active."});
}

}  // namespace
