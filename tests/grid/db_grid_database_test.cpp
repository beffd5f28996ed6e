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
  return "create table T (ID integer not null primary key, NAME varchar(5), B boolean, "
         "MEMO blob sub_type 1);\n"
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
  EXPECT_TRUE(grid.EditorMode());
  EXPECT_EQ(grid.InplaceEditor()->text(), "3") << "the cell refuses the change";
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

}  // namespace
