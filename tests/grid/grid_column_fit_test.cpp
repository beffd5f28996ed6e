// Column widths that fit the first screen's values, kept across a rebuild of the
// columns, and the double click on a title's edge.
#include "grid/column_fit.h"
#include "grid_test_support.h"

namespace {

class ColumnFitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source.SetDataSet(&data);
    grid.resize(600, 120);
    grid.SetFitColumns(true);
    grid.SetDataSource(&source);
    grid.show();
  }
  int Advance(const QString& text) { return QFontMetrics(grid.font()).horizontalAdvance(text); }
  // The title's right edge of data column `index`.
  QPoint Edge(int index) {
    const QRect title = grid.CellRect(index + 1, 0);
    return {title.right() + 1, title.center().y()};
  }

  TRecordingGridHooks hooks;
  TScopedGridHooks scoped{&hooks};
  TMemoryDataSet data{{{"ID", ftInteger}, {"NAME", ftString, 200}, {"CODE", ftString, 40}}, {}};
  TDataSource source;
  TDBGrid grid;
};

TEST_F(ColumnFitTest, NewColumnsFitTheFirstScreenAndKeepTheirWidthsWhenRebuilt) {
  for (int i = 1; i <= 40; ++i)
    data.rows.push_back({Int(i), Text(i == 2 ? std::string(40, 'W') : "short"),
                         i == 30 ? Text("far below the first screen") : std::nullopt});
  data.Open();
  ASSERT_LT(grid.VisibleRowCount(), 30);
  const int id = grid.Columns()[0].Width(), name = grid.Columns()[1].Width(),
            code = grid.Columns()[2].Width();
  EXPECT_GE(id - 4, std::max(Advance("40"), Advance("ID")));
  EXPECT_LT(id, QFontMetrics(grid.font()).horizontalAdvance('0') * 10 + 4)
      << "narrower than the integer's display width";
  EXPECT_EQ(name, kFitWidthCap) << "a long value is capped";
  EXPECT_GE(code - 4, Advance("<null>")) << "the nulls on screen fit as drawn";
  EXPECT_LT(code - 4, Advance("far below the first screen"));

  // A column sized by dragging its edge keeps that width when the dataset reopens with
  // the same fields; the others keep their fitted widths.
  const QPoint from = Edge(2);
  const QPointF global = grid.viewport()->mapToGlobal(QPointF(from));
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(from), global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &press);
  QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(25, 0)), global, Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &move);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(from + QPoint(25, 0)), global,
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &release);
  const int dragged = grid.ColWidth(3);
  EXPECT_NE(dragged, code);
  data.Close();
  data.Open();
  EXPECT_EQ(grid.Columns()[0].Width(), id);
  EXPECT_EQ(grid.Columns()[2].Width(), dragged);
  EXPECT_EQ(grid.ColWidth(3), dragged);

  // A double click on the title's right edge fits that column to the rows on screen;
  // in the title's middle it is a plain double click.
  int clicks = 0;
  grid.OnDblClick = [&] { ++clicks; };
  grid.SetColWidth(3, 20);
  DoubleClick(grid.viewport(), grid.CellRect(3, 0).center());
  EXPECT_EQ(grid.ColWidth(3), 20);
  EXPECT_EQ(clicks, 1);
  DoubleClick(grid.viewport(), Edge(2));
  EXPECT_EQ(grid.ColWidth(3), code);
  EXPECT_EQ(grid.Columns()[2].Width(), code);
  EXPECT_EQ(clicks, 1);
  DoubleClick(grid.viewport(), Edge(1));
  EXPECT_GE(grid.ColWidth(2) - 4, Advance(QString(40, 'W'))) << "beyond the opening cap";
}

TEST_F(ColumnFitTest, WithoutRowsOrWithTheFitOffColumnsTakeTheFieldsWidth) {
  data.Open();
  const int digit = QFontMetrics(grid.font()).horizontalAdvance('0');
  EXPECT_EQ(grid.Columns()[0].Width(), digit * 10 + 4);
  EXPECT_EQ(grid.Columns()[1].Width(), std::min(digit * 200 + 4, kFitWidthCap));
  data.Close();
  grid.SetFitColumns(false);
  data.rows.push_back({Int(1), Text("x"), Text("y")});
  data.Open();
  EXPECT_EQ(grid.Columns()[0].Width(), digit * 10 + 4);
}

}  // namespace
