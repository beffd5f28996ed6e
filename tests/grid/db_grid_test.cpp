// The data grid over an editable in-memory dataset: layout, keys, editing, deleting,
// the owner's key handler, leaving the grid, the mouse and the scroll bar.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>

#include "grid_test_support.h"

namespace {

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source.SetDataSet(&data);
    window.resize(500, 220);
    grid.setGeometry(0, 0, 400, 200);
    other.setGeometry(410, 10, 80, 20);
    grid.SetDataSource(&source);
    grid.OnKeyDown = [this](int& key, Qt::KeyboardModifiers) { seen.push_back(key); };
    data.Open();
    window.show();
    QApplication::setActiveWindow(&window);
    grid.setFocus();
  }

  QLineEdit* Editor() { return grid.InplaceEditor(); }
  bool Editing() { return grid.EditorMode() && Editor() && Editor()->isVisible(); }
  // The row and column of the current cell, counted in data rows and columns.
  std::pair<int, int> Cell() { return {data.RecNo(), grid.SelectedIndex()}; }

  TRecordingGridHooks hooks;
  TScopedGridHooks scoped{&hooks};
  TMemoryDataSet data{ShopColumns(), ShopRows(3)};
  TDataSource source;
  QWidget window;
  TDBGrid grid{&window};
  QLineEdit other{&window};  // another control of the window
  std::vector<int> seen;
};

TEST_F(GridTest, StartsWithTheClassDefaultsAndDefaultColumnsFromTheVisibleFields) {
  EXPECT_EQ(grid.Options(), dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                                dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit);
  EXPECT_FALSE(grid.ReadOnly());
  EXPECT_EQ(grid.FixedRows(), 1);
  EXPECT_EQ(grid.FixedCols(), 1);
  ASSERT_EQ(grid.Columns().Count(), 4);
  EXPECT_EQ(grid.Columns()[1].Title().Caption(), "NAME");
  EXPECT_EQ(grid.Columns()[0].Alignment(), data.Fields()[0]->Alignment());
  // Width: the digit width times the display width plus 4, at least the caption's.
  const QFontMetrics metrics(grid.font());
  EXPECT_EQ(grid.Columns()[0].Width(), metrics.horizontalAdvance('0') * 10 + 4);
  EXPECT_EQ(grid.ColWidth(2),
            std::max(metrics.horizontalAdvance('0') * 5 + 4,
                     QFontMetrics(grid.TitleFont()).horizontalAdvance("NAME") + 4));
  // The rows are the window: three records and the title row, the window as tall as
  // the rows that fit.
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(data.BufferCount(), grid.VisibleRowCount());
  EXPECT_GT(grid.VisibleRowCount(), 3);

  // A hidden field has no column; a closed dataset leaves the title row and one empty
  // row, and no column keeps the fields it destroyed.
  data.Fields()[2]->SetVisible(false);
  EXPECT_EQ(grid.Columns().Count(), 3);
  data.Close();
  EXPECT_EQ(grid.Columns().Count(), 0);
  EXPECT_EQ(grid.RowCount(), 2);
  grid.grab();
  data.Open();
  EXPECT_EQ(grid.Columns().Count(), 4);
  EXPECT_EQ(grid.Columns()[3].Field(), data.Fields()[3]);

  // A taller grid asks for a larger window.
  TMemoryDataSet many(ShopColumns(), ShopRows(100));
  TDataSource many_source;
  many_source.SetDataSet(&many);
  grid.SetDataSource(&many_source);
  many.Open();
  const int before = many.BufferCount();
  grid.resize(400, 400);
  EXPECT_GT(many.BufferCount(), before);
  EXPECT_EQ(grid.RowCount(), many.BufferCount() + 1);
}

TEST_F(GridTest, PaintingReadsOnlyTheWindowAndRestoresTheActiveRecord) {
  data.Next();
  const int reads = data.reads;
  const int active = grid.DataLink()->ActiveRecord();
  QPixmap shot = grid.grab();
  EXPECT_EQ(data.reads, reads) << "painting never fetches";
  EXPECT_EQ(grid.DataLink()->ActiveRecord(), active);
  EXPECT_EQ(data.Value(0), "2");
  grid.setEnabled(false);
  shot = grid.grab();
  grid.setEnabled(true);
  EXPECT_EQ(data.RecNo(), 2);
}

TEST_F(GridTest, BlobCellsShowTheirTypeAndBooleansEditAsTrueOrFalse) {
  EXPECT_EQ(data.Fields()[3]->DisplayText(), "(MEMO)");
  data.Next();
  EXPECT_EQ(data.Fields()[3]->DisplayText(), "(Memo)");
  Press(Qt::Key_End);
  Type("x");
  EXPECT_EQ(data.State(), dsBrowse) << "a memo is not edited in a cell";
  // Typing there beeps and opens no editor that would swallow keys until Esc.
  EXPECT_FALSE(Editing());
  EXPECT_EQ(hooks.beeps, 1);

  Press(Qt::Key_Left);
  Press(Qt::Key_F2);
  EXPECT_EQ(Editor()->text(), "False");
  Type("True");
  Press(Qt::Key_Return);
  EXPECT_FALSE(Editing());
  EXPECT_EQ(data.Value(2), "True");
  Press(Qt::Key_Down);
  EXPECT_EQ(data.posts, 1);
  ASSERT_EQ(data.rows.size(), 3u);
  EXPECT_EQ(data.rows[1][2], Bool(true));
}

TEST_F(GridTest, RightAtTheEndOfTheTextAndLeftAtItsStartGoToTheNextCell) {
  grid.SetSelectedIndex(1);
  Press(Qt::Key_F2);
  ASSERT_TRUE(Editing());
  Press(Qt::Key_Left);  // the cursor leaves the end of the text
  EXPECT_EQ(grid.SelectedIndex(), 1);
  Press(Qt::Key_End);
  Press(Qt::Key_Right);  // at the end: on to the next cell, as spreadsheets do
  EXPECT_EQ(grid.SelectedIndex(), 2);
  Press(Qt::Key_F2);
  ASSERT_TRUE(Editing());
  Press(Qt::Key_Home);
  Press(Qt::Key_Left);
  EXPECT_EQ(grid.SelectedIndex(), 1);
  EXPECT_EQ(data.State(), dsBrowse);  // moving typed nothing
}

TEST_F(GridTest, DownOnTheLastRecordAppendsOnceAndUpRemovesTheEmptyRecord) {
  Press(Qt::Key_Down);
  Press(Qt::Key_Down);
  EXPECT_EQ(data.RecNo(), 3);
  Press(Qt::Key_Down);
  EXPECT_EQ(data.State(), dsInsert);
  EXPECT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(grid.Row(), 4);
  Press(Qt::Key_Down);
  EXPECT_EQ(data.State(), dsInsert);
  EXPECT_EQ(grid.RowCount(), 5) << "a second Down adds no second record";
  Press(Qt::Key_Up);
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(data.RecNo(), 3);
  EXPECT_EQ(data.rows.size(), 3u);

  // A read-only grid adds nothing.
  grid.SetReadOnly(true);
  Press(Qt::Key_Down);
  EXPECT_EQ(data.State(), dsBrowse);
  Press(Qt::Key_Insert);
  EXPECT_EQ(data.State(), dsBrowse);
  grid.SetReadOnly(false);
  Press(Qt::Key_Insert);
  EXPECT_EQ(data.State(), dsInsert) << "Insert inserts at the current record";
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(grid.RowCount(), 5);
}

TEST_F(GridTest, CtrlDeleteOnANewRecordCancelsItAndWhereNothingCanGoShowsNoBox) {
  Press(Qt::Key_Insert);
  hooks.answers = {true};
  Press(Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(hooks.confirmations.size(), 1u);
  EXPECT_EQ(hooks.confirmations[0],
            std::make_pair(std::string("Confirm"), std::string("Delete record?")));
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_EQ(data.rows.size(), 3u);
  EXPECT_EQ(grid.RowCount(), 4);

  // No box where nothing can be deleted.
  data.can_modify = false;
  Press(Qt::Key_Delete, Qt::ControlModifier);
  data.can_modify = true;
  grid.SetReadOnly(true);
  Press(Qt::Key_Delete, Qt::ControlModifier);
  grid.SetReadOnly(false);
  data.rows.clear();
  data.Close();
  data.Open();
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(hooks.confirmations.size(), 1u);

  // Without the confirmation option it deletes at once.
  data.rows = ShopRows(2);
  data.Close();
  data.Open();
  grid.SetOptions(grid.Options() & ~dgConfirmDelete);
  grid.setFocus();
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(data.rows.size(), 1u);
}

TEST_F(GridTest, TypedCharactersAreOfferedToTheFieldAndTextStopsAtItsSize) {
  Type("a");
  EXPECT_EQ(hooks.beeps, 1);
  EXPECT_TRUE(Editing());
  EXPECT_EQ(Editor()->text(), "1");
  EXPECT_EQ(data.State(), dsBrowse) << "a refused character changes nothing";
  Type("42");
  EXPECT_EQ(data.State(), dsEdit);
  Press(Qt::Key_Tab);
  EXPECT_EQ(data.Value(0), "42");

  Type("abcdefg");
  EXPECT_EQ(Editor()->text(), "abcde") << "a text column stops at its size";
  Type("\b");
  EXPECT_EQ(Editor()->text(), "abcd");
  QApplication::clipboard()->setText("wxyz");
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Editor()->text(), "abcdw") << "pasting stops there too";
  Press(Qt::Key_Left, Qt::ShiftModifier);
  QApplication::clipboard()->setText(QString::fromUtf8("\u20ac"));
  Press(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(hooks.beeps, 1) << "a text column takes any script";
  EXPECT_EQ(Editor()->text(), QString::fromUtf8("abcd\u20ac"));
  Press(Qt::Key_Return);
  EXPECT_EQ(data.Value(1), "abcd\u20ac");

  // A read-only column takes no change: typing, Backspace, Delete and paste are refused.
  grid.Columns()[1].SetReadOnly(true);
  Press(Qt::Key_F2);
  Press(Qt::Key_End);
  Type("z\b");
  Press(Qt::Key_Home);
  Press(Qt::Key_Delete);
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Editor()->text(), QString::fromUtf8("abcd\u20ac"));
}

TEST_F(GridTest, APasteDropsItsFinalLineBreakButRefusesSeveralLines) {
  Press(Qt::Key_Tab);
  Press(Qt::Key_F2);
  for (const char* copied : {"ab\n", "cd\r\n", "ef\r"}) {
    SCOPED_TRACE(copied);
    Editor()->selectAll();
    QApplication::clipboard()->setText(copied);
    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Editor()->text(), QString(copied).left(2));
  }
  EXPECT_EQ(hooks.beeps, 0);
  Editor()->selectAll();
  QApplication::clipboard()->setText("gh\nij");
  Press(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(hooks.beeps, 1) << "two lines do not go into one cell";
  EXPECT_EQ(Editor()->text(), "ef");
  Press(Qt::Key_Return);
  EXPECT_EQ(data.Value(1), "ef");
}

TEST_F(GridTest, TabWalksTheColumnsAndWrapsToTheNextRowPosting) {
  Press(Qt::Key_Tab);
  Press(Qt::Key_Tab);
  Press(Qt::Key_Tab);
  EXPECT_EQ(Cell(), std::make_pair(1, 3));
  EXPECT_EQ(QApplication::focusWidget(), &grid) << "Tab stays in the grid";
  Press(Qt::Key_Tab);
  EXPECT_EQ(Cell(), std::make_pair(2, 0));
  Press(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(Cell(), std::make_pair(1, 3));
  Press(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(Cell(), std::make_pair(1, 2));

  Press(Qt::Key_Home);
  Type("5");
  Press(Qt::Key_Tab);
  Type("five");
  Press(Qt::Key_Tab);
  Press(Qt::Key_Tab);
  Press(Qt::Key_Tab);
  EXPECT_EQ(data.posts, 1) << "wrapping to the next row posts";
  EXPECT_EQ(data.rows[0][0], Int(5));
  EXPECT_EQ(data.rows[0][1], Text("five"));
  EXPECT_EQ(Cell(), std::make_pair(2, 0));

  // A value the field rejects: raised once, the row stays in edit where it was.
  Type("99999999999");
  Press(Qt::Key_Tab);
  ASSERT_EQ(hooks.errors.size(), 1u);
  EXPECT_NE(hooks.errors[0].find("99999999999"), std::string::npos) << hooks.errors[0];
  EXPECT_EQ(data.State(), dsEdit);
  EXPECT_EQ(Cell(), std::make_pair(2, 0));
  EXPECT_EQ(Editor()->text(), "99999999999");

  // A row the dataset refuses at post: raised once, still in edit.
  Press(Qt::Key_Escape);
  data.check_post = [](const MemoryRow&) { throw EDatabaseError("row refused"); };
  Type("6");
  for (int i = 0; i < 4; ++i) Press(Qt::Key_Tab);
  EXPECT_EQ(hooks.errors, (std::vector<std::string>{hooks.errors[0], "row refused"}));
  EXPECT_EQ(data.State(), dsEdit);
  EXPECT_EQ(data.Value(0), "6");
  EXPECT_EQ(data.RecNo(), 2);
}

TEST_F(GridTest, TheOwnersKeyHandlerSeesEveryKeyOnce) {
  const std::vector<int> grid_keys = {Qt::Key_Right, Qt::Key_Left, Qt::Key_F4,
                                      Qt::Key_Down,  Qt::Key_Up,   Qt::Key_F2};
  for (int key : grid_keys) Press(key);
  EXPECT_EQ(seen, grid_keys);
  seen.clear();
  // In the open editor: the keys it passes to the grid, and its own.
  ASSERT_TRUE(Editing());
  const std::vector<int> editor_keys = {Qt::Key_F4, Qt::Key_Left, Qt::Key_Home,
                                        Qt::Key_F2, Qt::Key_Down, Qt::Key_Up};
  for (int key : editor_keys) {
    Press(key);
    if (!Editing()) Press(Qt::Key_F2);
  }
  Type("1");
  Press(Qt::Key_Escape);
  std::vector<int> expected;
  for (int key : editor_keys) {
    expected.push_back(key);
    if (key == Qt::Key_Down || key == Qt::Key_Up) expected.push_back(Qt::Key_F2);
  }
  expected.push_back(Qt::Key_1);
  expected.push_back(Qt::Key_Escape);
  EXPECT_EQ(seen, expected);

  // A handler that clears the key: the grid does nothing with it.
  seen.clear();
  grid.OnKeyDown = [](int& key, Qt::KeyboardModifiers) { key = 0; };
  Press(Qt::Key_Down);
  EXPECT_EQ(data.RecNo(), 1);
  // A handler that fails: the error is shown once and the key does nothing.
  grid.OnKeyDown = [](int&, Qt::KeyboardModifiers) { throw EDatabaseError("handler failed"); };
  Press(Qt::Key_Down);
  EXPECT_EQ(hooks.errors, std::vector<std::string>{"handler failed"});
  EXPECT_EQ(data.RecNo(), 1);
}

TEST_F(GridTest, EnterTogglesTheEditorAndLeavingTheGridHandsTheTextOver) {
  Press(Qt::Key_Return);
  ASSERT_TRUE(Editing());
  EXPECT_EQ(QApplication::focusWidget(), Editor());
  Type("8");
  Press(Qt::Key_Return);
  EXPECT_FALSE(Editing());
  EXPECT_EQ(data.Value(0), "8");
  EXPECT_EQ(data.State(), dsEdit) << "Enter hands the text over without posting";

  Type("12");
  other.setFocus(Qt::TabFocusReason);
  EXPECT_EQ(data.Value(0), "12");
  EXPECT_EQ(data.State(), dsEdit);

  // A text the field refuses: the error once, and the focus back in the grid.
  grid.setFocus();
  Type("99999999999");
  other.setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(hooks.errors.size(), 1u);
  EXPECT_TRUE(grid.HasFocusWithin());
  // A box taking the focus does not hand the text over again.
  QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(Editor(), &away);
  EXPECT_EQ(hooks.errors.size(), 1u);

  // A new record nobody typed into is cancelled on leaving.
  Press(Qt::Key_Escape);
  Press(Qt::Key_Escape);
  Press(Qt::Key_Insert);
  other.setFocus(Qt::TabFocusReason);
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_EQ(grid.RowCount(), 4);
}

TEST_F(GridTest, ClicksMoveRowAndColumnAndASecondClickOpensTheEditor) {
  const QRect cell = grid.CellRect(2, 3);
  Click(grid.viewport(), cell.center());
  EXPECT_EQ(Cell(), std::make_pair(3, 1));
  EXPECT_FALSE(Editing());
  Click(grid.viewport(), cell.center());
  EXPECT_TRUE(Editing());
  Type("xy");
  Click(grid.viewport(), grid.CellRect(1, 1).center());
  EXPECT_EQ(data.posts, 1) << "the typed text went to the field and the row was posted";
  EXPECT_EQ(data.rows[2][1], Text("xy"));
  EXPECT_EQ(Cell(), std::make_pair(1, 0));

  int double_clicks = 0;
  grid.OnDblClick = [&] { ++double_clicks; };
  QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(cell.center()),
                    grid.viewport()->mapToGlobal(QPointF(cell.center())), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &twice);
  EXPECT_EQ(double_clicks, 1);
}

TEST_F(GridTest, TitleRowDragsSizeAndMoveColumns) {
  const QRect title = grid.CellRect(1, 0);
  const int width = grid.ColWidth(1);
  auto drag = [&](QPoint from, QPoint to) {
    const QPointF global = grid.viewport()->mapToGlobal(QPointF(from));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(from), global, Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), global, Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(to), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &release);
  };
  drag(QPoint(title.right() + 1, title.center().y()), QPoint(title.right() + 21, 5));
  EXPECT_EQ(grid.ColWidth(1), width + 20);
  EXPECT_EQ(grid.Columns()[0].Width(), width + 20);
  drag(title.center(), grid.CellRect(3, 0).center());
  EXPECT_EQ(grid.Columns()[2].FieldName(), "ID");
  EXPECT_EQ(grid.Columns()[0].FieldName(), "NAME");
  data.Close();
  data.Open();
  EXPECT_EQ(grid.Columns()[0].FieldName(), "ID") << "default columns are rebuilt";
}

TEST_F(GridTest, TheScrollBarOfANonSequencedDatasetHasFivePositions) {
  TMemoryDataSet many(ShopColumns(), ShopRows(40));
  many.sequenced = false;
  source.SetDataSet(&many);
  many.Open();
  QScrollBar* bar = grid.verticalScrollBar();
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 4);
  EXPECT_EQ(bar->value(), 0);
  Press(Qt::Key_Down);
  EXPECT_EQ(bar->value(), 2);
  const int rows = grid.VisibleRowCount();
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(many.RecNo(), 2 + rows);
  EXPECT_EQ(bar->value(), 2);
  const int below = many.RecNo() - grid.DataLink()->ActiveRecord() + grid.DataLink()->RecordCount();
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(many.RecNo(), below) << "line down: the record below the window";
  const int above = many.RecNo() - grid.DataLink()->ActiveRecord() - 1;
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(many.RecNo(), above) << "line up: the record above the window";
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(bar->value(), 4);
  EXPECT_EQ(many.RecNo(), 40);
  bar->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(bar->value(), 0);
  // Dropping the thumb: 3 pages down, 2 does nothing, 4 goes to the last record.
  auto drop = [&](int position) {
    bar->setSliderDown(true);
    bar->setSliderPosition(position);
    bar->setSliderDown(false);
  };
  drop(3);
  EXPECT_EQ(many.RecNo(), 1 + rows);
  drop(2);
  EXPECT_EQ(many.RecNo(), 1 + rows);
  drop(4);
  EXPECT_EQ(many.RecNo(), 40);

  // Sequenced: 1 to the record count, the position is the record number.
  many.sequenced = true;
  Press(Qt::Key_Up);
  EXPECT_EQ(bar->minimum(), 1);
  EXPECT_EQ(bar->maximum(), 40);
  EXPECT_EQ(bar->pageStep(), rows);
  EXPECT_EQ(bar->value(), 39);
  drop(10);
  EXPECT_EQ(many.RecNo(), 10);
  Press(Qt::Key_Insert);
  EXPECT_EQ(bar->value(), 10) << "left unchanged while inserting";
}

TEST_F(GridTest, TheGridLetsGoOfAFreedDataSource) {
  auto* freed = new TDataSource;
  freed->SetDataSet(&data);
  grid.SetDataSource(freed);
  EXPECT_EQ(grid.Columns().Count(), 4);
  Press(Qt::Key_F2);
  delete freed;
  EXPECT_EQ(grid.DataSource(), nullptr);
  EXPECT_EQ(grid.Columns().Count(), 0);
  EXPECT_FALSE(Editing());
  grid.grab();
  Press(Qt::Key_Down);
  Type("x");
  EXPECT_EQ(data.State(), dsBrowse);
}

}  // namespace
