// Column widths that fit what the columns show: the widest of the title and the values
// of the rows on screen, within a cap.
#pragma once

#include <QFontMetrics>
#include <QString>
#include <vector>

// The widest a column gets when a page opens.
inline constexpr int kFitWidthCap = 300;

// The width that shows `caption` in the title font and every one of `texts` in the
// values' font whole (with the cell's margins), at most `cap`.
int FitColumnWidth(const QFontMetrics& values, const std::vector<QString>& texts,
                   const QFontMetrics& title, const QString& caption, int cap);
