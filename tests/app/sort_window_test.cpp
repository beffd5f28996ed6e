// Sorting a page by a click on a column's title: a table page by its IndexFieldNames and
// the console's result by "order by <n>", each keeping the current row, posting a changed
// row first and keeping the order when that fails; and the select's rewriting.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "app_test_support.h"
#include "data/dataset/query.h"
#include "data/dataset/table.h"
#include "support/log_in.h"
#include "support/temp_database.h"
#include "workbench/pages/sort.h"

namespace {

const char kSetup[] =
    "create table PEOPLE (ID integer not null primary key, NAME varchar(20), CITY varchar(20), "
    "NOTE blob sub_type text);\n"
    "insert into PEOPLE values (1, 'Carla', 'Rio', 'x');\n"
    "insert into PEOPLE values (2, 'Ana', 'Porto', null);\n"
    "insert into PEOPLE values (3, 'Bruno', 'Lima', null);\n"
    "insert into PEOPLE values (4, 'Duda', null, null);\n";

class SortWindowTest : public ShellTest {
 protected:
  TempDatabase db{kSetup};
  TForm1 form;

  void SetUp() override {
    LogIn(form, db.Path());
    TickUntilStopped(form);
    recorder.messages.clear();
  }
  // A press and release in the middle of the column's title.
  void ClickTitle(TDBGrid* grid, const std::string& field) {
    for (int i = 0; i < grid->Columns().Count(); ++i) {
      if (grid->Columns()[i].FieldName() != field) continue;
      const QPoint point = grid->CellRect(i + 1, 0).center();
      QMouseEvent press(QEvent::MouseButtonPress, point, grid->viewport()->mapToGlobal(point),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(grid->viewport(), &press);
      QMouseEvent release(QEvent::MouseButtonRelease, point,
                          grid->viewport()->mapToGlobal(point), Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
      QCoreApplication::sendEvent(grid->viewport(), &release);
      return;
    }
    ADD_FAILURE() << "no column " << field;
  }
  static std::string Names(TDataSet* data) {
    const TBookmark here = data->GetBookmark();
    std::string names;
    data->DisableControls();
    for (data->First(); !data->Eof(); data->Next())
      names += data->FieldByName("NAME")->AsString() + " ";
    data->GotoBookmark(here);
    data->EnableControls();
    return names;
  }
};

TEST_F(SortWindowTest, ATitleClickSortsATablePageUpThenDownOnTheSameRow) {
  TDBGrid* grid = OpenTablePage(form, "PEOPLE");
  ASSERT_NE(grid, nullptr);
  auto* table = dynamic_cast<TIBTable*>(grid->DataSource()->DataSet());
  ASSERT_NE(table, nullptr);
  SendKey(grid, Qt::Key_Down, QString());
  SendKey(grid, Qt::Key_Down, QString());
  ASSERT_EQ(table->FieldByName("ID")->AsInteger(), 3);

  ClickTitle(grid, "NAME");
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(table->IndexFieldNames(), "NAME");
  EXPECT_EQ(grid->SortMark().field_name, "NAME");
  EXPECT_FALSE(grid->SortMark().descending);
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 3) << "the current row is kept";
  EXPECT_EQ(Names(table), "Ana Bruno Carla Duda ");

  ClickTitle(grid, "NAME");
  EXPECT_EQ(table->IndexFieldNames(), "NAME DESC");
  EXPECT_TRUE(grid->SortMark().descending);
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 3);
  EXPECT_EQ(Names(table), "Duda Carla Bruno Ana ");

  ClickTitle(grid, "NOTE");
  EXPECT_EQ(table->IndexFieldNames(), "NAME DESC") << "blobs are not sorted";
  ClickTitle(grid, "CITY");
  EXPECT_EQ(Names(table), "Duda Bruno Ana Carla ") << "NULL first, as the server orders";
  EXPECT_EQ(grid->SortMark().field_name, "CITY");
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 3);
}

TEST_F(SortWindowTest, AChangedRowIsPostedFirstAndAFailedPostKeepsTheOrder) {
  TDBGrid* grid = OpenTablePage(form, "PEOPLE");
  ASSERT_NE(grid, nullptr);
  TDataSet* table = grid->DataSource()->DataSet();
  grid->SetSelectedIndex(2);  // CITY of Carla
  SendKey(grid, Qt::Key_F2, QString());
  QLineEdit* editor = grid->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  for (QChar c : QString("Natal")) SendKey(editor, c.unicode(), QString(c));
  ClickTitle(grid, "NAME");
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(table->State(), dsBrowse);
  EXPECT_EQ(table->FieldByName("CITY")->AsString(), "Natal");
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 1);

  SendKey(grid, Qt::Key_Insert, QString());
  grid->SetSelectedIndex(1);
  SendKey(grid, Qt::Key_F2, QString());
  editor = grid->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  for (QChar c : QString("Eva")) SendKey(editor, c.unicode(), QString(c));
  ClickTitle(grid, "NAME");
  EXPECT_EQ(recorder.errors, std::vector<std::string>{"Field 'ID' must have a value."});
  EXPECT_EQ(table->State(), dsInsert) << "what was typed stays";
  EXPECT_EQ(dynamic_cast<TIBTable*>(table)->IndexFieldNames(), "NAME");
  EXPECT_FALSE(grid->SortMark().descending);
}

TEST_F(SortWindowTest, TheConsoleResultIsOrderedByTheColumnsPosition) {
  form.RichEdit1->setPlainText("select ID, NAME from PEOPLE where ID > 1 order by ID");
  SendKey(form.RichEdit1, Qt::Key_F9, QString());
  TDataSet* query = form.DBGrid1->DataSource()->DataSet();
  ASSERT_TRUE(query->Active());
  SendKey(form.DBGrid1, Qt::Key_Down, QString());
  ASSERT_EQ(query->FieldByName("ID")->AsInteger(), 3);
  ClickTitle(form.DBGrid1, "NAME");
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(Names(query), "Ana Bruno Duda ");
  EXPECT_EQ(query->FieldByName("ID")->AsInteger(), 3) << "found again by its values";
  ClickTitle(form.DBGrid1, "NAME");
  EXPECT_EQ(Names(query), "Duda Bruno Ana ");
  EXPECT_EQ(form.IBQuery1->SQL().Text().find("order by ID"), std::string::npos);
  EXPECT_EQ(query->FieldByName("ID")->AsInteger(), 3);

  // A new statement starts unsorted, with no mark.
  form.RichEdit1->setPlainText("select NAME from PEOPLE order by ID");
  SendKey(form.RichEdit1, Qt::Key_F9, QString());
  EXPECT_TRUE(form.DBGrid1->SortMark().field_name.empty());
  ClickTitle(form.DBGrid1, "NAME");
  EXPECT_EQ(Names(form.DBGrid1->DataSource()->DataSet()), "Ana Bruno Carla Duda ");
}

TEST(OrderedSelect, ReplacesOrAddsTheTopLevelOrderBeforeTheTrailingClauses) {
  EXPECT_EQ(OrderedSelect("select a, b from t", 2, false), "select a, b from t\norder by 2");
  EXPECT_EQ(OrderedSelect("select a from t order by a, b;\n", 1, true),
            "select a from t order by 1 desc");
  EXPECT_EQ(OrderedSelect("select a from t order by a rows 5", 1, false),
            "select a from t order by 1\nrows 5");
  EXPECT_EQ(OrderedSelect("select a from t where a = 1 for update with lock", 1, false),
            "select a from t where a = 1 \norder by 1\nfor update with lock");
  EXPECT_EQ(OrderedSelect("select a from t -- the rows", 1, false),
            "select a from t -- the rows\norder by 1");
  EXPECT_EQ(OrderedSelect("select (select first 1 x from u order by x) from t", 1, false),
            "select (select first 1 x from u order by x) from t\norder by 1")
      << "an inner ORDER BY stays";
  EXPECT_EQ(OrderedSelect("select 'order by' from t", 1, false),
            "select 'order by' from t\norder by 1");
  EXPECT_EQ(OrderedSelect("select a from t union select b from u order by 1", 1, true),
            "select a from t union select b from u order by 1 desc");
}

}  // namespace
