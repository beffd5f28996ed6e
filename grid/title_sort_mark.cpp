#include "grid/title_sort_mark.h"

#include <QPainter>
#include <QPolygon>

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
