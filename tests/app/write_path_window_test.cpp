// Writing rows through a table page of the main window, as a user types them: a key the
// database fills, a required column left empty, and a rollback that keeps the
// transaction while a page is open.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "app_test_support.h"
#include "data/dataset/dataset.h"
#include "data/sql_test_support.h"
#include "data/statement/sql.h"
#include "support/log_in.h"
#include "support/temp_database.h"

namespace {

const char kSetup[] =
    "create generator GEN_CUST;\n"
    "create table CUSTOMER (CUST_NO integer not null primary key, CUSTOMER varchar(25) not "
    "null, STATUS char(1) default 'A' not null);\n"
    "set term ^;\ncreate trigger SET_CUST_NO for CUSTOMER before insert as begin if "
    "(new.CUST_NO is null) then new.CUST_NO = gen_id(GEN_CUST, 1); end^\nset term ;^\n"
    "insert into CUSTOMER (CUSTOMER) values ('Signature Design');\n"
    "create table COUNTRY (COUNTRY varchar(15) not null primary key, CURRENCY varchar(10) "
    "not null);\n"
    "insert into COUNTRY values ('Brazil', 'Real');\n";

class WritePathWindowTest : public ShellTest {
 protected:
  TempDatabase db{kSetup};
  TForm1 form;

  void SetUp() override {
    LogIn(form, db.Path());
    TickUntilStopped(form);
  }
  // Types `text` into the current cell through its editor, then leaves the cell with
  // Tab, or closes the editor with Enter (Tab on the last column moves to the next row).
  void TypeCell(TDBGrid* grid, const QString& text, bool tab = true) {
    SendKey(grid, Qt::Key_F2, QString());
    QLineEdit* editor = grid->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    for (QChar c : text) SendKey(editor, c.unicode(), QString(c));
    if (tab)
      SendKey(editor, Qt::Key_Tab, "\t");
    else
      SendKey(editor, Qt::Key_Return, "\r");
  }
  std::string ReadBack(const std::string& sql) {
    Connection other(db.Path());
    auto q = other.Sql(sql);
    q->ExecQuery();
    return q->Eof() ? "<no row>" : q->Fields(0).AsString();
  }
};

TEST_F(WritePathWindowTest, ARowTypedWithoutItsKeyGetsTheKeyTheTriggerGives) {
  TDBGrid* grid = OpenTablePage(form, "CUSTOMER");
  ASSERT_NE(grid, nullptr);
  TDataSet* table = grid->DataSource()->DataSet();
  SendKey(grid, Qt::Key_Insert, QString());
  ASSERT_EQ(table->State(), dsInsert);
  SendKey(grid, Qt::Key_Tab, "\t");  // past CUST_NO
  TypeCell(grid, "Dallas Technologies");
  SendKey(grid, Qt::Key_Up, QString());  // leaves the row: posts
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(table->State(), dsBrowse);
  SendKey(grid, Qt::Key_F4, QString());
  EXPECT_EQ(ReadBack("select CUST_NO || STATUS from CUSTOMER where CUSTOMER = "
                     "'Dallas Technologies'"),
            "2A");
  EXPECT_EQ(ReadBack("select count(*) from CUSTOMER"), "2");
}

TEST_F(WritePathWindowTest, AnEmptyRequiredColumnIsRefusedAndTheRowStaysToBeMended) {
  TDBGrid* grid = OpenTablePage(form, "COUNTRY");
  ASSERT_NE(grid, nullptr);
  TDataSet* table = grid->DataSource()->DataSet();
  SendKey(grid, Qt::Key_Insert, QString());
  TypeCell(grid, "Chile");
  SendKey(grid, Qt::Key_Up, QString());
  EXPECT_EQ(recorder.errors, std::vector<std::string>{"Field 'CURRENCY' must have a value."});
  ASSERT_EQ(table->State(), dsInsert) << "the row and what was typed stay";
  EXPECT_EQ(table->FieldByName("COUNTRY")->AsString(), "Chile");
  EXPECT_EQ(grid->SelectedField(), table->FieldByName("CURRENCY")) << "the grid went there";

  recorder.errors.clear();
  TypeCell(grid, "Peso", false);
  SendKey(grid, Qt::Key_Up, QString());
  EXPECT_TRUE(recorder.errors.empty());
  SendKey(grid, Qt::Key_F4, QString());
  EXPECT_EQ(ReadBack("select CURRENCY from COUNTRY where COUNTRY = 'Chile'"), "Peso");
}

TEST_F(WritePathWindowTest, ADuplicateKeyMendedPostsOnceAndTheGridMovesOn) {
  TDBGrid* grid = OpenTablePage(form, "COUNTRY");
  ASSERT_NE(grid, nullptr);
  TDataSet* table = grid->DataSource()->DataSet();
  SendKey(grid, Qt::Key_Down, QString());  // appends after the last row
  ASSERT_EQ(table->State(), dsInsert);
  TypeCell(grid, "Brazil");
  TypeCell(grid, "Peso", false);
  SendKey(grid, Qt::Key_Up, QString());
  ASSERT_EQ(recorder.errors.size(), 1u) << "the unique key refuses it";
  ASSERT_EQ(table->State(), dsInsert);
  recorder.errors.clear();
  SendKey(grid, Qt::Key_Home, QString());
  TypeCell(grid, "Peru", false);
  SendKey(grid, Qt::Key_Up, QString());
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(table->FieldByName("COUNTRY")->AsString(), "Brazil");
  SendKey(grid, Qt::Key_Down, QString());
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(table->FieldByName("COUNTRY")->AsString(), "Peru");
  SendKey(grid, Qt::Key_Down, QString());  // a new row again, and Esc drops it
  EXPECT_EQ(table->State(), dsInsert);
  SendKey(grid, Qt::Key_Escape, "\x1b");
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(table->RecordCount(), 2);
  SendKey(grid, Qt::Key_F4, QString());
  EXPECT_EQ(ReadBack("select count(*) from COUNTRY"), "2");
}

TEST_F(WritePathWindowTest, ARefusedNewRowUndoneWithEscLeavesTheGridAsItWas) {
  TDBGrid* grid = OpenTablePage(form, "COUNTRY");
  ASSERT_NE(grid, nullptr);
  TDataSet* table = grid->DataSource()->DataSet();
  SendKey(grid, Qt::Key_Down, QString());
  TypeCell(grid, "Brazil");
  TypeCell(grid, "Peso", false);
  SendKey(grid, Qt::Key_Up, QString());
  ASSERT_EQ(recorder.errors.size(), 1u);
  SendKey(grid, Qt::Key_Escape, "\x1b");
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(table->RecordCount(), 1);
  EXPECT_EQ(table->FieldByName("COUNTRY")->AsString(), "Brazil");
  SendKey(grid, Qt::Key_Down, QString());
  EXPECT_EQ(table->State(), dsInsert);
  SendKey(grid, Qt::Key_Home, QString());
  TypeCell(grid, "Chile");
  TypeCell(grid, "Peso", false);
  SendKey(grid, Qt::Key_Up, QString());
  EXPECT_EQ(recorder.errors.size(), 1u);
  std::string all;
  for (table->First(); !table->Eof(); table->Next())
    all += table->FieldByName("COUNTRY")->AsString() + ",";
  EXPECT_EQ(all, "Brazil,Chile,");
}

TEST_F(WritePathWindowTest, RollbackRetainingInTheConsoleShowsTheRowsAsTheDatabaseHasThem) {
  TDBGrid* grid = OpenTablePage(form, "CUSTOMER");
  ASSERT_NE(grid, nullptr);
  TDataSet* table = grid->DataSource()->DataSet();
  SendKey(grid, Qt::Key_Tab, "\t");
  TypeCell(grid, " Ltd");
  SendKey(grid, Qt::Key_Insert, QString());  // posts the edit, then a new row
  SendKey(grid, Qt::Key_Home, QString());
  TypeCell(grid, "77");
  TypeCell(grid, "Someone", false);
  form.RichEdit1->setPlainText("rollback retain");  // the engine's own word
  SendKey(form.RichEdit1, Qt::Key_F9, QString());
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  ASSERT_TRUE(table->Active());
  table->First();
  EXPECT_EQ(table->FieldByName("CUSTOMER")->AsString(), "Signature Design");
  EXPECT_EQ(table->RecordCount(), 1) << "the inserted row was undone";
  EXPECT_EQ(ReadBack("select count(*) from CUSTOMER"), "1");

  // The RETAINING that older tools write, which the engine would not prepare.
  table->Edit();
  table->FieldByName("CUSTOMER")->SetAsString("Again");
  table->Post();
  form.RichEdit1->setPlainText("ROLLBACK RETAINING");
  SendKey(form.RichEdit1, Qt::Key_F9, QString());
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  ASSERT_TRUE(table->Active());
  EXPECT_EQ(table->FieldByName("CUSTOMER")->AsString(), "Signature Design");
}

}  // namespace
