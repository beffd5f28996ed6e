// The grid's own keys in a table page of the main window, on a real database: NULL set
// and refused, rows copied, pasted and deleted, the cell's menu, the fitted widths.
// What was stored is read back through a connection of its own.
#include <gtest/gtest.h>

#include "app_test_support.h"
#include "data/sql_test_support.h"
#include "grid/grid_hooks.h"
#include "support/log_in.h"
#include "support/temp_database.h"

namespace {

const char kSetup[] =
    "create table ITEM (ID integer not null primary key, NAME varchar(20) not null, "
    "NOTE varchar(30));\n"
    "insert into ITEM values (1, 'Alpha', 'first');\n"
    "insert into ITEM values (2, 'Beta', null);\n"
    "insert into ITEM values (3, 'Gamma', 'third');\n";

// The window's boxes as installed, with a clipboard and menus of the test's own.
class TWindowGridHooks : public TGridHooks {
 public:
  explicit TWindowGridHooks(TGridHooks& boxes) : boxes_(boxes) {}
  bool Confirm(QWidget* parent, const std::string& caption, const std::string& text) override {
    return boxes_.Confirm(parent, caption, text);
  }
  void Beep() override { boxes_.Beep(); }
  void HandleException() override { boxes_.HandleException(); }
  void SetClipboardText(const std::string& text) override { clipboard = text; }
  std::string ClipboardText() override { return clipboard; }
  int ChooseFromMenu(QWidget*, QPoint, const std::vector<std::string>& items) override {
    menus.push_back(items);
    return menu_answer;
  }

  std::string clipboard;
  std::vector<std::vector<std::string>> menus;
  int menu_answer = -1;

 private:
  TGridHooks& boxes_;
};

void Keys(QWidget* target, int key, Qt::KeyboardModifiers shift = Qt::NoModifier) {
  for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent event(type, key, shift);
    QCoreApplication::sendEvent(target, &event);
  }
}

class GridWindowTest : public ShellTest {
 protected:
  TempDatabase db{kSetup};
  TForm1 form;
  TWindowGridHooks hooks{GridHooks()};  // the form has put the boxes' hooks in place
  TScopedGridHooks scoped{&hooks};
  TDBGrid* grid = nullptr;

  void SetUp() override {
    LogIn(form, db.Path());
    TickUntilStopped(form);
    grid = OpenTablePage(form, "ITEM");
    ASSERT_NE(grid, nullptr);
  }
  std::string Stored(const std::string& sql) {
    Connection other(db.Path());
    auto q = other.Sql(sql);
    return q->ExecQuery(), q->Eof() ? "<no row>" : q->Fields(0).AsString();
  }
};

TEST_F(GridWindowTest, CtrlShiftNStoresNullARequiredColumnRefusesAndRowsCopyAsText) {
  Keys(grid, Qt::Key_Right);
  Keys(grid, Qt::Key_Right);
  Keys(grid, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
  Keys(grid, Qt::Key_Down);
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();

  Keys(grid, Qt::Key_Left);
  Keys(grid, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(recorder.errors, std::vector<std::string>{"Field 'NAME' must have a value."});
  EXPECT_EQ(grid->DataSource()->DataSet()->State(), dsBrowse);  // refused before any edit
  EXPECT_EQ(grid->DataSource()->DataSet()->FieldByName("NAME")->AsString(), "Beta");

  Keys(grid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(hooks.clipboard, "Beta");
  Keys(grid, Qt::Key_Home, Qt::ControlModifier);
  Keys(grid, Qt::Key_Down, Qt::ShiftModifier);
  Keys(grid, Qt::Key_Down, Qt::ShiftModifier);
  Keys(grid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(hooks.clipboard, "ID\tNAME\tNOTE\n1\tAlpha\t\n2\tBeta\t\n3\tGamma\tthird\n");

  // The cell's menu (right button): "Copiar" copies the selected rows too.
  hooks.clipboard.clear();
  hooks.menu_answer = 0;
  const QPoint cell = grid->CellRect(1, 1).center();
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(cell), grid->viewport()->mapToGlobal(cell),
                    Qt::RightButton, Qt::RightButton, Qt::NoModifier);
  QCoreApplication::sendEvent(grid->viewport(), &press);
  ASSERT_EQ(hooks.menus.size(), 1u);
  EXPECT_EQ(hooks.menus[0].back(), "Definir NULL\tCtrl+Shift+N");
  EXPECT_EQ(hooks.clipboard.substr(0, 13), "ID\tNAME\tNOTE\n");

  Keys(grid, Qt::Key_F4);
  EXPECT_EQ(Stored("select count(*) from ITEM where NOTE is null"), "2");
  EXPECT_EQ(Stored("select NAME from ITEM where ID = 1"), "Alpha");
}

TEST_F(GridWindowTest, RowsPastedOnTheLastRowUpdateItAndAppendTheRestAndSelectedRowsDelete) {
  TDataSet* table = grid->DataSource()->DataSet();
  Keys(grid, Qt::Key_End, Qt::ControlModifier);
  hooks.clipboard = "ID\tNAME\tNOTE\n3\tGamma\t3rd\n4\tDelta\t\n5\tEpsilon\tfifth\n";
  Keys(grid, Qt::Key_V, Qt::ControlModifier);
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(table->State(), dsBrowse);

  // A duplicate key stops the paste there: the row before it stays, the one after it
  // is never written.
  Keys(grid, Qt::Key_End, Qt::ControlModifier);
  hooks.clipboard = "6\tZeta\n1\tDup\n7\tEta\n";
  Keys(grid, Qt::Key_Down);  // a new row at the end takes the first pasted row
  Keys(grid, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(recorder.errors.size(), 1u);
  EXPECT_EQ(table->State(), dsInsert);
  Keys(grid, Qt::Key_Escape);

  // Two rows selected go with one question, by their keys.
  Keys(grid, Qt::Key_Home, Qt::ControlModifier);
  Keys(grid, Qt::Key_Down, Qt::ShiftModifier);
  recorder.confirm_answers = {true};
  Keys(grid, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(recorder.confirmations, std::vector<std::string>{"Confirm: Excluir 2 registros?"});
  EXPECT_EQ(grid->SelectedRowCount(), 0);
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 3);

  Keys(grid, Qt::Key_F4);
  EXPECT_EQ(Stored("select list(ID || ':' || NAME || ':' || coalesce(NOTE, '-'), ' ') from "
                   "(select * from ITEM order by ID)"),
            "3:Gamma:3rd 4:Delta:- 5:Epsilon:fifth 6:Zeta:-");
}

TEST_F(GridWindowTest, APagesColumnsFitWhatItFirstShows) {
  EXPECT_TRUE(grid->FitColumns());
  const QFontMetrics metrics(grid->font());
  EXPECT_LT(grid->Columns()[0].Width(), metrics.horizontalAdvance('0') * 10 + 4);
  EXPECT_GE(grid->Columns()[1].Width() - 4, metrics.horizontalAdvance("Gamma"));
  EXPECT_LT(grid->Columns()[2].Width(), metrics.horizontalAdvance('0') * 30 + 4);
}

}  // namespace
