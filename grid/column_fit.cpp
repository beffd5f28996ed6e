#include "grid/column_fit.h"

#include <algorithm>

#include "grid/db_grid.h"
#include "grid/qt_text.h"

namespace {

// The cell's text margins and a pixel of air on each side.
constexpr int kFitPadding = 6;
constexpr int kFitMinimum = 16;

}  // namespace

int FitColumnWidth(const QFontMetrics& values, const std::vector<QString>& texts,
                   const QFontMetrics& title, const QString& caption, int cap) {
  int width = title.horizontalAdvance(caption);
  for (const QString& text : texts) width = std::max(width, values.horizontalAdvance(text));
  return std::clamp(width + kFitPadding, kFitMinimum, std::max(kFitMinimum, cap));
}

void TCustomDBGrid::RememberColumnWidths() {
  if (!fit_columns_ || columns_.Count() == 0) return;
  kept_widths_.clear();
  for (int i = 0; i < columns_.Count(); ++i)
    kept_widths_.emplace_back(columns_[i].FieldName(), columns_[i].Width());
}

void TCustomDBGrid::FitNewColumns() {
  if (!fit_columns_) return;
  for (int i = 0; i < columns_.Count(); ++i) {
    const auto kept = std::find_if(kept_widths_.begin(), kept_widths_.end(), [&](const auto& item) {
      return item.first == columns_[i].FieldName();
    });
    const int width = kept != kept_widths_.end() ? kept->second : FittedWidth(i, kFitWidthCap);
    columns_[i].SetWidth(width);
    SetColWidth(i + IndicatorOffset(), width);
  }
  fit_unseen_ = columns_.Count() > 0;
}

void TCustomDBGrid::RefitUnseenColumns() {
  // A grid laid out while hidden measured a window of one row; until it is first
  // painted, its real first screen decides.
  if (fit_columns_ && fit_unseen_) FitNewColumns();
}

int TCustomDBGrid::FittedWidth(int index, int cap) {
  const TColumn& column = columns_[index];
  const int records = datalink_->Active() ? datalink_->RecordCount() : 0;
  // Without rows there is nothing to measure: the width the field's size gives.
  if (!column.Field() || records == 0) return std::min(column.Width(), cap);
  const int active = datalink_->ActiveRecord();
  std::vector<QString> texts;
  for (int row = 0; row < records; ++row) texts.push_back(ShownCellText(column.Field(), row));
  datalink_->SetActiveRecord(active);
  const QString caption = (options_ & dgTitles) ? ToQt(column.Title().Caption()) : QString();
  return FitColumnWidth(QFontMetrics(font()), texts, QFontMetrics(title_font_), caption, cap);
}

void TCustomDBGrid::ColumnEdgeDblClick(int col) {
  const int index = col - IndicatorOffset();
  if (index < 0 || index >= columns_.Count()) return;
  SetColWidth(col, FittedWidth(index, std::max(kFitWidthCap, viewport()->width())));
  ColWidthsChanged();
}
