#include "grid/title_sort_mark.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include "grid/db_grid.h"
#include "grid/qt_text.h"

namespace {
constexpr int kMarkWidth = 7;
constexpr int kMarkGap = 3;
}  // namespace

QRect DrawTitleSortMark(QPainter& painter, const QRect& rect, bool descending) {
  const int right = rect.right();
  const int left = right - kMarkWidth + 1;
  const int middle = rect.top() + rect.height() / 2;
  const int half = kMarkWidth / 2;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(painter.pen().color());
  QPolygon triangle;
  if (descending)
    triangle << QPoint(left, middle - 2) << QPoint(right, middle - 2)
             << QPoint(left + half, middle + 2);
  else
    triangle << QPoint(left, middle + 2) << QPoint(right, middle + 2)
             << QPoint(left + half, middle - 2);
  painter.drawPolygon(triangle);
  painter.restore();
  static_assert(kMarkWidth + kMarkGap == kTitleSortMarkRoom);
  return rect.adjusted(0, 0, -kTitleSortMarkRoom, 0);
}

void TCustomDBGrid::SetSortMark(const TTitleSortMark& mark) {
  sort_mark_ = mark;
  // The title keeps its whole caption beside the mark: the column grows to hold both.
  for (int i = 0; i < columns_.Count() && !mark.field_name.empty(); ++i) {
    if (columns_[i].FieldName() != mark.field_name) continue;
    const int needed =
        QFontMetrics(title_font_).horizontalAdvance(ToQt(columns_[i].Title().Caption())) +
        kTitleSortMarkRoom + 2 * kCellTextMargin + 1;
    if (ColWidth(i + IndicatorOffset()) < needed) SetColWidth(i + IndicatorOffset(), needed);
  }
  InvalidateGrid();
}
