// The data grid over real embedded databases: rows fetched only as the grid shows and
// moves, the scroll bar before and after the last row is known, and cells of memo and
// boolean columns.
#include <QScrollBar>

#include "data/database/database.h"
#include "data/dataset/query.h"
#include "data/dataset/table.h"
#include "data/transaction/transaction.h"
#include "grid_test_support.h"
#include "support/temp_database.h"

namespace {

std::string TableScript(int rows) {
  return "create table T (ID integer not null primary key, NAME varchar(5) check (NAME <> 'bad'),"
         " B boolean, MEMO blob sub_type 1);\n"
         "set term ^ ;\n"
         "execute block as declare i integer = 1; begin while (i <= " +
         std::to_string(rows) +
         ") do begin insert into T values (:i, 'r' || :i, mod(:i, 2) = 1, "
         "iif(:i = 1, 'memo text', null)); i = i + 1; end end^\n"
         "set term ; ^\n";
}

class GridDatabaseTest : public ::testing::Test {
 protected:
  GridDatabaseTest() : file(TableScript(500)) {
    db.SetLoginPrompt(false);
    db.SetDatabaseName(file.Path());
    db.Params().Add("user_name=SYSDBA");
    db.SetDefaultTransaction(&tr);
    db.SetConnected(true);
    query.SetDatabase(&db);
    table.SetDatabase(&db);
    source.SetDataSet(&query);
    grid.resize(400, 240);
    grid.SetDataSource(&source);
    grid.show();
    QApplication::setActiveWindow(&grid);
    grid.setFocus();
  }
  ~GridDatabaseTest() override { db.SetConnected(false); }

  TRecordingGridHooks hooks;
  TScopedGridHooks scoped{&hooks};
  TempDatabase file;
  TIBDatabase db;
  TIBTransaction tr;
  TIBQuery query;
  TIBTable table;
  TDataSource source;
  TDBGrid grid;
};

TEST_F(GridDatabaseTest, RowsAreFetchedAsTheGridShowsThemAndTheScrollBarFollows) {
  query.SQL().Add("select * from T order by ID");
  query.Open();
  const int rows = grid.VisibleRowCount();
  EXPECT_EQ(query.BufferCount(), rows);
  EXPECT_LE(query.FetchedCount(), rows + 1) << "opening fetches only what the grid shows";
  EXPECT_EQ(grid.RowCount(), rows + 1);
  ASSERT_EQ(grid.Columns().Count(), 4);
  EXPECT_EQ(grid.Columns()[3].Title().Caption(), "MEMO");
  EXPECT_EQ(query.Fields()[3]->DisplayText(), "(MEMO)");
  EXPECT_EQ(query.Fields()[2]->DisplayText(), "True");
  grid.grab();

  QScrollBar* bar = grid.verticalScrollBar();
  EXPECT_FALSE(query.IsSequenced());
  EXPECT_EQ(bar->maximum(), 4);
  EXPECT_EQ(bar->value(), 0);
  Press(Qt::Key_Down);
  EXPECT_EQ(bar->value(), 2);
  EXPECT_EQ(query.Fields()[3]->DisplayText(), "(Memo)");
  EXPECT_EQ(query.Fields()[2]->DisplayText(), "False");
  for (int i = 0; i < 3; ++i) Press(Qt::Key_PageDown);
  EXPECT_EQ(query.RecNo(), 2 + 3 * rows);
  EXPECT_LE(query.FetchedCount(), 3 + 4 * rows) << "PgDn fetches about a page";

  Press(Qt::Key_End, Qt::ControlModifier);
  EXPECT_TRUE(query.IsSequenced());
  EXPECT_EQ(bar->minimum(), 1);
  EXPECT_EQ(bar->maximum(), 500);
  EXPECT_EQ(bar->value(), 500) << "after Last the bar shows the record number";
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(bar->value(), 500 - rows);
  bar->setSliderDown(true);
  bar->setSliderPosition(123);
  bar->setSliderDown(false);
  EXPECT_EQ(query.RecNo(), 123);
  EXPECT_EQ(query.Fields()[0]->AsString(), "123");
}

TEST_F(GridDatabaseTest, AQueryCannotBeModifiedFromTheGrid) {
  query.SQL().Add("select * from T where ID <= 3 order by ID");
  query.Open();
  ASSERT_FALSE(query.CanModify());
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_TRUE(hooks.confirmations.empty()) << "no box where nothing can be deleted";
  Press(Qt::Key_Insert);
  for (int i = 0; i < 5; ++i) Press(Qt::Key_Down);
  EXPECT_EQ(query.State(), dsBrowse) << "no new record at the end";
  EXPECT_EQ(query.RecNo(), 3);
  Type("7");
  EXPECT_FALSE(grid.EditorMode()) << "no editor opens where nothing can be typed";
  EXPECT_EQ(hooks.beeps, 1) << "the refusal is heard";
  EXPECT_EQ(query.FieldByName("ID")->AsString(), "3");
  EXPECT_TRUE(hooks.errors.empty());
}

TEST_F(GridDatabaseTest, ATableOpensInTheGridWithItsColumnsAndATransactionEndEmptiesIt) {
  source.SetDataSet(&table);
  table.SetTableName("T");
  table.Open();
  ASSERT_EQ(grid.Columns().Count(), 4);
  EXPECT_EQ(grid.Columns()[0].Field(), table.FieldByName("ID"));
  EXPECT_EQ(grid.ColWidth(2), DefaultColumnWidth(*table.FieldByName("NAME"), "NAME", grid.font(),
                                                 grid.TitleFont(), true));
  Press(Qt::Key_Down);
  tr.Commit();  // closes every dataset of the transaction
  EXPECT_FALSE(table.Active());
  EXPECT_EQ(grid.Columns().Count(), 0);
  EXPECT_EQ(grid.RowCount(), 2);
  grid.grab();
}

// Reads one value in the grid's transaction, as the database holds it.
std::string ReadBack(TIBDatabase& db, const std::string& sql) {
  TIBQuery query;
  query.SetDatabase(&db);
  query.SQL().Add(sql);
  query.Open();
  return query.Eof() ? "(none)" : query.Fields()[0]->AsString();
}

TEST_F(GridDatabaseTest, EditingATableWritesRowsThroughTheGrid) {
  source.SetDataSet(&table);
  table.SetTableName("T");
  table.Open();
  ASSERT_TRUE(table.CanModify());
  Press(Qt::Key_End, Qt::ControlModifier);
  Press(Qt::Key_Down);
  Press(Qt::Key_Down);
  EXPECT_EQ(table.State(), dsInsert);
  EXPECT_EQ(table.RecordCount(), 500);
  Press(Qt::Key_Up);
  EXPECT_EQ(table.State(), dsBrowse);
  EXPECT_EQ(table.RecordCount(), 500);
  EXPECT_EQ(grid.RowCount(), grid.VisibleRowCount() + 1);

  // A new row typed cell by cell; the text column stops at its size; Down posts it.
  Press(Qt::Key_End, Qt::ControlModifier);
  Press(Qt::Key_Down);
  Type("x");
  EXPECT_EQ(hooks.beeps, 1) << "a letter in an integer column";
  Type("501");
  Press(Qt::Key_Tab);
  Type("abcdefgh");
  Press(Qt::Key_Tab);
  Type("True");
  Press(Qt::Key_Down);
  EXPECT_TRUE(hooks.errors.empty()) << hooks.errors.front();
  EXPECT_EQ(ReadBack(db, "select NAME || '/' || B from T where ID = 501"), "abcde/TRUE");
  EXPECT_EQ(table.State(), dsInsert) << "and starts the next one";
  Press(Qt::Key_Escape);
  Press(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(table.FieldByName("ID")->AsInteger(), 501);

  // Esc twice: the cell, then the row.
  Press(Qt::Key_Home);
  Type("502");
  Press(Qt::Key_Tab);
  Type("zz");
  Press(Qt::Key_Escape);
  EXPECT_EQ(table.State(), dsEdit);
  EXPECT_EQ(table.FieldByName("NAME")->AsString(), "abcde");
  Press(Qt::Key_Escape);
  EXPECT_EQ(table.State(), dsBrowse);
  EXPECT_EQ(table.FieldByName("ID")->AsInteger(), 501);

  // The server refuses the row: the error once, the row still in edit; Esc gives it up.
  Type("bad");
  Press(Qt::Key_Tab);
  Press(Qt::Key_Tab);
  Press(Qt::Key_Tab);
  ASSERT_EQ(hooks.errors.size(), 1u);
  EXPECT_NE(hooks.errors[0].find("CHECK"), std::string::npos) << hooks.errors[0];
  EXPECT_EQ(table.State(), dsEdit);
  EXPECT_EQ(table.RecNo(), 501);
  Press(Qt::Key_Escape);
  EXPECT_EQ(ReadBack(db, "select NAME from T where ID = 501"), "abcde");

  // Ctrl+Delete: Cancel keeps the row, OK deletes it in the database.
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(ReadBack(db, "select count(*) from T"), "501");
  hooks.answers = {true};
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(hooks.confirmations.size(), 2u);
  EXPECT_EQ(ReadBack(db, "select count(*) from T"), "500");
  EXPECT_EQ(table.RecNo(), 500);
}

}  // namespace
