// What the data grid paints: values too wide for their cells, the indicator of a
// disabled grid, and the horizontal scroll bar of a grid already on screen.
#include <QPaintEngine>
#include <QPainter>
#include <QScrollBar>
#include <QTextItem>

#include "grid_test_support.h"

namespace {

// A paint device that keeps each piece of text drawn on it and the span it covers.
class TTextRecorder : public QPaintDevice {
 public:
  struct Item {
    QString text;
    double left;
    double right;
    double baseline;
  };

  TTextRecorder(QSize size, int dpi) : engine_(this), size_(size), dpi_(dpi) {}
  QPaintEngine* paintEngine() const override { return &engine_; }

  std::vector<Item> items;

 protected:
  int metric(PaintDeviceMetric metric) const override {
    switch (metric) {
      case PdmWidth:
        return size_.width();
      case PdmHeight:
        return size_.height();
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY:
        return dpi_;
      case PdmDepth:
        return 32;
      case PdmNumColors:
        return INT_MAX;
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
      default:
        return 0;
    }
  }

 private:
  class Engine : public QPaintEngine {
   public:
    explicit Engine(TTextRecorder* owner) : QPaintEngine(AllFeatures), owner_(owner) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState& state) override {
      if (state.state() & DirtyTransform) transform_ = state.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    void drawTextItem(const QPointF& point, const QTextItem& item) override {
      const QPointF at = transform_.map(point);
      owner_->items.push_back({item.text(), at.x(), at.x() + item.width(), at.y()});
    }

   private:
    TTextRecorder* owner_;
    QTransform transform_;
  };

  mutable Engine engine_;
  QSize size_;
  int dpi_;
};

class GridDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source.SetDataSet(&data);
    grid.resize(400, 200);
    grid.SetDataSource(&source);
    data.Open();
    grid.show();
  }

  // The text painted over `cell`, its sides left free so that text running past them
  // shows.
  std::vector<TTextRecorder::Item> TextOver(const QRect& cell) {
    TTextRecorder recorder(grid.viewport()->size(), grid.viewport()->logicalDpiY());
    QPainter painter(&recorder);
    grid.viewport()->render(&painter);
    painter.end();
    std::vector<TTextRecorder::Item> found;
    for (const TTextRecorder::Item& item : recorder.items)
      if (item.right > cell.left() && item.left < cell.right() + 1 && item.baseline > cell.top() &&
          item.baseline <= cell.bottom())
        found.push_back(item);
    return found;
  }

  TRecordingGridHooks hooks;
  TScopedGridHooks scoped{&hooks};
  TMemoryDataSet data{{{"AMOUNT", ftInteger}, {"NAME", ftString, 30}},
                      {{Int(-2147483647), Text("a name longer than its column")}}};
  TDataSource source;
  TDBGrid grid;
};

TEST_F(GridDisplayTest, AWideTextIsCutOnTheRightAndAWideNumberShowsAsHashes) {
  ASSERT_EQ(grid.Columns()[0].Alignment(), taRightJustify);
  const QFontMetrics metrics(grid.font());
  for (int col : {1, 2}) {
    grid.SetColWidth(col, metrics.horizontalAdvance("-2147") + 4);
    const QRect cell = grid.CellRect(col, 1);
    SCOPED_TRACE(col);
    const std::vector<TTextRecorder::Item> drawn = TextOver(cell);
    ASSERT_FALSE(drawn.empty());
    QString text;
    for (const TTextRecorder::Item& item : drawn) {
      EXPECT_GE(item.left, cell.left()) << item.text.toStdString();
      EXPECT_LE(item.right, cell.right() + 1) << item.text.toStdString();
      text += item.text;
    }
    // A number cut short would read as another number: it shows as "###" instead.
    if (col == 1) {
      EXPECT_FALSE(text.isEmpty());
      EXPECT_EQ(text, QString(text.size(), '#')) << text.toStdString();
      continue;
    }
    const QString value = "a name longer than its column";
    EXPECT_TRUE(value.startsWith(text.left(2))) << text.toStdString();
    EXPECT_NE(text, value);
  }

  // What fits is drawn whole, as typed; a cut text ends in an ellipsis.
  EXPECT_EQ(FittedCellText("-2147", metrics, metrics.horizontalAdvance("-2147")), "-2147");
  const QString cut = FittedCellText("-2147483647", metrics, metrics.horizontalAdvance("-2147"));
  EXPECT_TRUE(cut.startsWith("-21")) << cut.toStdString();
  EXPECT_TRUE(cut.endsWith(QChar(0x2026)) || cut.endsWith("...")) << cut.toStdString();
  EXPECT_LE(metrics.horizontalAdvance(cut), metrics.horizontalAdvance("-2147"));
  // A number or a date is whole or hashes, never in part.
  EXPECT_EQ(WholeOrHashes("1249950.00", metrics, metrics.horizontalAdvance("1249950.00")),
            "1249950.00");
  const QString hashes = WholeOrHashes("1249950.00", metrics, metrics.horizontalAdvance("12499"));
  EXPECT_EQ(hashes, QString(hashes.size(), '#'));
  EXPECT_LE(metrics.horizontalAdvance(hashes), metrics.horizontalAdvance("12499"));
}

TEST_F(GridDisplayTest, TheIndicatorTakesThePalettesTextColourAlsoWhenDisabled) {
  QPalette colors = grid.palette();
  colors.setColor(QPalette::Button, Qt::white);
  colors.setColor(QPalette::Active, QPalette::ButtonText, QColor(0, 0, 200));
  colors.setColor(QPalette::Inactive, QPalette::ButtonText, QColor(0, 0, 200));
  colors.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(200, 0, 0));
  grid.setPalette(colors);
  // The pixels of each colour in the current row's indicator cell.
  auto count = [this](QColor color) {
    const QImage shot = grid.viewport()->grab().toImage();
    const QRect cell = grid.CellRect(0, 1);
    int found = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
      for (int x = cell.left(); x <= cell.right(); ++x)
        if (shot.pixelColor(x, y) == color) ++found;
    return found;
  };
  EXPECT_GT(count(QColor(0, 0, 200)), 5);
  EXPECT_EQ(count(Qt::black), 0);
  grid.setEnabled(false);
  EXPECT_GT(count(QColor(200, 0, 0)), 5);
  EXPECT_EQ(count(QColor(0, 0, 200)), 0);
  EXPECT_EQ(count(Qt::black), 0);
}

TEST_F(GridDisplayTest, AWideDatasetShowsTheHorizontalScrollBarInAGridOnScreen) {
  EXPECT_FALSE(grid.horizontalScrollBar()->isVisible());
  std::vector<MemoryColumn> columns;
  MemoryRow row;
  for (int i = 0; i < 12; ++i) {
    columns.push_back({"COLUMN_" + std::to_string(i), ftString, 20});
    row.push_back(Text("value"));
  }
  TMemoryDataSet wide(columns, {row});
  TDataSource wide_source;
  wide_source.SetDataSet(&wide);
  grid.SetDataSource(&wide_source);
  wide.Open();
  QApplication::processEvents();  // the scroll area lays its bars out when the range changes
  EXPECT_TRUE(grid.horizontalScrollBar()->isVisible());
  EXPECT_GT(grid.horizontalScrollBar()->maximum(), 1);
  // The rows that fit over the bar are the dataset's window.
  EXPECT_EQ(wide.BufferCount(), grid.VisibleRowCount());

  grid.SetDataSource(&source);
  QApplication::processEvents();
  EXPECT_FALSE(grid.horizontalScrollBar()->isVisible());
}

}  // namespace
