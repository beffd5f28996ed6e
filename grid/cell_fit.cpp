// Fitting a cell's text to its width: text cut with an ellipsis, numbers and dates whole
// or "###".
#include <QFontMetrics>
#include <algorithm>

#include "grid/db_grid.h"

QString FittedCellText(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  return metrics.elidedText(text, Qt::ElideRight, std::max(0, width), Qt::TextSingleLine);
}

QString WholeOrHashes(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  const int hash = std::max(1, metrics.horizontalAdvance(QLatin1Char('#')));
  return QString(std::max(1, width / hash), QLatin1Char('#'));
}

// A number or a date cut short reads as another value (1249950.00 as "12499…"); one
// that does not fit shows as "###", as spreadsheets do.
bool ShownWhole(TFieldType type) {
  switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
    case ftAutoInc:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
      return true;
    default:
      return false;
  }
}
