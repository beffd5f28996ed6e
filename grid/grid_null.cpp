// NULL in the grid: drawn greyed, measured as drawn, set by Ctrl+Shift+N or the menu.
#include <QPainter>

#include "data/errors/errors.h"
#include "grid/db_grid.h"
#include "grid/grid_hooks.h"
#include "grid/grid_null.h"

namespace {

bool IsNullAt(TGridDataLink& link, TField* field, int data_row) {
  link.SetActiveRecord(data_row);
  try {
    return field->IsNull();
  } catch (...) {
    return false;  // painting never raises
  }
}

}  // namespace

QString TCustomDBGrid::ShownCellText(TField* field, int data_row) const {
  if (IsNullAt(*datalink_, field, data_row)) return QString::fromLatin1(kNullCellText);
  return CellText(field, data_row);
}

bool TCustomDBGrid::DrawNullCell(QPainter& painter, const QRect& rect, Qt::Alignment alignment,
                                 TField* field, int data_row, bool highlight) {
  if (!IsNullAt(*datalink_, field, data_row)) return false;
  painter.setPen(
      palette().color(QPalette::Disabled, highlight ? QPalette::HighlightedText : QPalette::Text));
  const QString text = QString::fromLatin1(kNullCellText);
  painter.drawText(rect, alignment | Qt::AlignVCenter | Qt::TextSingleLine,
                   FittedCellText(text, painter.fontMetrics(), rect.width()));
  return true;
}

void TCustomDBGrid::SetCellNull() {
  TColumn* column = SelectedColumn();
  TField* field = column ? column->Field() : nullptr;
  if (!field || read_only_ || datalink_->ReadOnly() || column->ReadOnly() || !field->CanModify()) {
    GridHooks().Beep();
    return;
  }
  // Refused at once, as the post would be, and before the value is gone: a column the
  // engine must have a value for (on a stored row, any NOT NULL one; on a new row, one
  // that no default or trigger fills).
  const bool inserting = field->DataSet() && field->DataSet()->State() == dsInsert;
  if (field->Required() || (!inserting && field->NotNull()))
    throw EDatabaseError(Format(SFieldRequired, {field->DisplayName()}));
  datalink_->SetModified(false);  // what the editor held gives way to the null
  if (!datalink_->Edit()) return;
  field->Clear();
}

void TCustomDBGrid::ShowCellMenu() {
  const QRect cell = CellRect(Col(), Row());
  const QPoint at = viewport()->mapToGlobal(cell.isEmpty() ? QPoint() : cell.bottomLeft());
  switch (GridHooks().ChooseFromMenu(
      this, at, {"Copiar\tCtrl+C", "Colar\tCtrl+V", "Definir NULL\tCtrl+Shift+N"})) {
    case 0:
      CopyToClipboard();
      break;
    case 1:
      PasteFromClipboard();
      break;
    case 2:
      SetCellNull();
      break;
    default:
      break;
  }
}
