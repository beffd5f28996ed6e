// The grid for daily use over an in-memory dataset: NULL drawn and set, whole rows
// selected, copied, pasted and deleted.
#include <QImage>
#include <QPainter>

#include "grid/grid_copy.h"
#include "grid_test_support.h"

namespace {

class GridRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source.SetDataSet(&data);
    window.resize(500, 300);
    grid.setGeometry(0, 0, 480, 280);
    grid.SetDataSource(&source);
    data.Open();
    window.show();
    QApplication::setActiveWindow(&window);
    grid.setFocus();
  }
  // The centre of a data cell: column and row counted from 0 among the data ones.
  QPoint CellCentre(int column, int row) { return grid.CellRect(column + 1, row + 1).center(); }
  std::string Column(int index) {
    std::string values;
    for (const MemoryRow& row : data.rows)
      values +=
          (row[index]
               ? (index == 0 ? std::to_string(*reinterpret_cast<const int32_t*>(row[index]->data()))
                             : *row[index])
               : "<null>") +
          std::string(";");
    return values;
  }

  TRecordingGridHooks hooks;
  TScopedGridHooks scoped{&hooks};
  TMemoryDataSet data{
      {{"ID", ftInteger}, {"NAME", ftString, 10}},
      {{Int(1), Text("")}, {Int(2), std::nullopt}, {Int(3), Text("a\tb")}, {Int(4), Text("d")}}};
  TDataSource source;
  QWidget window;
  TDBGrid grid{&window};
};

// Pixels of the cell's inside in `color`, exactly or nearly (text is smoothed).
int PixelsLike(const QImage& image, const QRect& cell, QColor color) {
  int count = 0;
  for (int y = cell.top() + 1; y < cell.bottom(); ++y)
    for (int x = cell.left() + 1; x < cell.right(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (std::abs(pixel.red() - color.red()) + std::abs(pixel.green() - color.green()) +
              std::abs(pixel.blue() - color.blue()) <
          60)
        ++count;
    }
  return count;
}

TEST_F(GridRowsTest, NullShowsGreyedAndEmptyTextShowsNothingAndCtrlShiftNSetsIt) {
  QPalette colors = grid.palette();
  colors.setColor(QPalette::Active, QPalette::Text, Qt::blue);
  colors.setColor(QPalette::Disabled, QPalette::Text, Qt::red);
  grid.setPalette(colors);
  const QImage image = grid.viewport()->grab().toImage();
  const QRect empty = grid.CellRect(2, 1), null = grid.CellRect(2, 2), value = grid.CellRect(2, 4);
  EXPECT_EQ(PixelsLike(image, empty, Qt::red) + PixelsLike(image, empty, Qt::blue), 0);
  EXPECT_GT(PixelsLike(image, null, Qt::red), 0) << "<null> in the disabled text colour";
  EXPECT_EQ(PixelsLike(image, null, Qt::blue), 0);
  EXPECT_GT(PixelsLike(image, value, Qt::blue), 0);
  EXPECT_EQ(PixelsLike(image, value, Qt::red), 0);
  EXPECT_EQ(data.rows[1][1], std::nullopt) << "drawing stores nothing";

  // Ctrl+Shift+N on the empty text, from the grid and from an open editor; the row
  // posts when left, as typed values do.
  Press(Qt::Key_Right);
  Press(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(data.State(), dsEdit);
  Press(Qt::Key_Down);
  EXPECT_EQ(data.rows[0][1], std::nullopt);
  Press(Qt::Key_Down);
  Type("xy");
  Press(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(grid.InplaceEditor()->text(), "");
  Press(Qt::Key_Return);
  Press(Qt::Key_Down);
  EXPECT_EQ(Column(1), "<null>;<null>;<null>;d;");

  // From the cell's menu (right button), answered "Definir NULL".
  hooks.menu_answers = {2};
  Click(grid.viewport(), CellCentre(1, 3), Qt::RightButton);
  ASSERT_EQ(hooks.menus.size(), 1u);
  EXPECT_EQ(hooks.menus[0], (std::vector<std::string>{"Copiar\tCtrl+C", "Colar\tCtrl+V",
                                                      "Definir NULL\tCtrl+Shift+N"}));
  Press(Qt::Key_Up);
  EXPECT_EQ(Column(1), "<null>;<null>;<null>;<null>;");
  EXPECT_TRUE(hooks.errors.empty());

  // A required column refuses at once, as its post would, and keeps its value.
  data.Fields()[0]->SetRequired(true);
  Press(Qt::Key_Left);
  Press(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(hooks.errors, std::vector<std::string>{"Field 'ID' must have a value"});
  EXPECT_EQ(data.State(), dsBrowse);
  Press(Qt::Key_Escape);
  EXPECT_EQ(Column(0), "1;2;3;4;");
  // A read-only column beeps.
  grid.Columns()[0].SetReadOnly(true);
  Press(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(hooks.beeps, 1);
  EXPECT_EQ(data.State(), dsBrowse);
}

TEST_F(GridRowsTest, CtrlCCopiesTheCellOrTheSelectedRowsAsTabSeparatedText) {
  Press(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(hooks.clipboard, "1");
  Press(Qt::Key_Right);
  Press(Qt::Key_Down);
  Press(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(hooks.clipboard, "") << "NULL copies as nothing";

  // Shift+Down grows the selection from the current row, Shift+Up shrinks it back.
  Press(Qt::Key_Down, Qt::ShiftModifier);
  Press(Qt::Key_Down, Qt::ShiftModifier);
  Press(Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(grid.SelectedRowCount(), 2);
  Press(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(hooks.clipboard, "ID\tNAME\n2\t\n3\ta b\n") << "a tab in a value becomes a space";
  EXPECT_EQ(data.RecNo(), 3) << "the current row stays";
  // Upwards past the start: the rows above, in the grid's order.
  Press(Qt::Key_Up, Qt::ShiftModifier);
  Press(Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(grid.SelectedRowCount(), 2);
  Press(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(hooks.clipboard, "ID\tNAME\n1\t\n2\t\n");
  // A plain move clears it; Shift+click selects from the current row to the one clicked.
  Press(Qt::Key_Down);
  EXPECT_EQ(grid.SelectedRowCount(), 0);
  Click(grid.viewport(), CellCentre(0, 3), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(grid.SelectedRowCount(), 3);
  EXPECT_EQ(data.RecNo(), 4);
  Press(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(hooks.clipboard, "ID\tNAME\n2\t\n3\ta b\n4\td\n");
  Click(grid.viewport(), CellCentre(0, 0));
  EXPECT_EQ(grid.SelectedRowCount(), 0);

  // The text builder on its own: header and rows, line breaks in values as spaces.
  EXPECT_EQ(TabSeparatedText({"A", "B"}, {{"x\ny", ""}, {"1", "2\r"}}), "A\tB\nx y\t\n1\t2 \n");
  EXPECT_EQ(ParseTabSeparated("a\tb\r\n\tc\n"), (std::vector<TTextRow>{{"a", "b"}, {"", "c"}}));
  EXPECT_EQ(ParseTabSeparated("x"), std::vector<TTextRow>{{"x"}});
}

TEST_F(GridRowsTest, CtrlDeleteOnSelectedRowsAsksOnceAndStopsAtTheFirstRefusal) {
  Press(Qt::Key_Down, Qt::ShiftModifier);
  Press(Qt::Key_Down, Qt::ShiftModifier);
  Press(Qt::Key_Delete, Qt::ControlModifier);  // answered Cancel
  ASSERT_EQ(hooks.confirmations.size(), 1u);
  EXPECT_EQ(hooks.confirmations[0],
            std::make_pair(std::string("Confirm"), std::string("Excluir 3 registros?")));
  EXPECT_EQ(data.rows.size(), 4u);
  EXPECT_EQ(grid.SelectedRowCount(), 3);

  // The dataset refuses the second row: the third is gone, the other two stay selected.
  data.BeforeDelete = [](TDataSet* dataset) {
    if (dataset->Fields()[0]->AsInteger() == 2) throw EDatabaseError("row 2 is kept");
  };
  hooks.answers = {true};
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(hooks.errors, std::vector<std::string>{"row 2 is kept"});
  EXPECT_EQ(Column(0), "1;2;4;");
  EXPECT_EQ(grid.SelectedRowCount(), 2);
  data.BeforeDelete = nullptr;
  hooks.answers = {true};
  Press(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(hooks.confirmations.back().second, "Excluir 2 registros?");
  EXPECT_EQ(Column(0), "4;");
  EXPECT_EQ(grid.SelectedRowCount(), 0);
  EXPECT_EQ(data.RecNo(), 1);
}

TEST_F(GridRowsTest, CtrlVPastesOneValueIntoTheCellAndRowsOverTheFollowingOnes) {
  // One value: typed into the cell, posted when the row is left.
  hooks.clipboard = "42\n";
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(data.State(), dsEdit);
  Press(Qt::Key_Down);
  EXPECT_EQ(Column(0), "42;2;3;4;");

  // Rows from the current one on, the header line skipped, one appended past the last;
  // an empty field is NULL.
  Press(Qt::Key_Down);
  hooks.clipboard = "ID\tNAME\n7\tx\n8\t\n9\tz\n";
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_TRUE(hooks.errors.empty()) << hooks.errors.front();
  EXPECT_EQ(Column(0), "42;2;7;8;9;");
  EXPECT_EQ(Column(1), ";<null>;x;<null>;z;");
  EXPECT_EQ(data.State(), dsBrowse);

  // From the second column on: more values than columns are refused before any write.
  Press(Qt::Key_Home, Qt::ControlModifier);
  Press(Qt::Key_Right);
  hooks.clipboard = "p\nq\tr\n";
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(hooks.errors, std::vector<std::string>{"A linha 2 tem 2 valores para 1 colunas"});
  EXPECT_EQ(data.State(), dsBrowse);
  EXPECT_EQ(Column(1), ";<null>;x;<null>;z;");

  // The first refused post stops the paste; the rows before it stay posted.
  hooks.errors.clear();
  data.check_post = [](const MemoryRow& row) {
    if (row[1] == Text("bad")) throw EDatabaseError("refused");
  };
  hooks.clipboard = "p\nbad\nr\n";
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(hooks.errors, std::vector<std::string>{"refused"});
  EXPECT_EQ(Column(1), "p;<null>;x;<null>;z;");
  EXPECT_EQ(data.State(), dsEdit) << "the refused row stays to be mended";
  EXPECT_EQ(data.RecNo(), 2);
  Press(Qt::Key_Escape);

  // A grid that cannot change rows only beeps.
  grid.SetReadOnly(true);
  Press(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(hooks.beeps, 1);
}

}  // namespace
