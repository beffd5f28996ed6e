// Whole rows selected by Shift+arrows and Shift+click, kept as the dataset's bookmarks.
#include "grid/grid_selection.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "grid/db_grid.h"
#include "grid/grid_hooks.h"

void TRowSelection::Clear() {
  marks_.clear();
  lookup_.clear();
  extent_ = 0;
}

bool TRowSelection::BeginStep(const TBookmark& here, int direction) {
  if (marks_.empty()) {
    marks_.push_back(here);
    lookup_.insert(here);
    extent_ = 0;
    return true;
  }
  const bool back = extent_ != 0 && (extent_ > 0) != (direction > 0);
  if (back) Remove(here);
  return !back;
}

void TRowSelection::Add(const TBookmark& mark, int direction) {
  extent_ += direction;
  if (!lookup_.insert(mark).second) return;
  marks_.push_back(mark);
}

void TRowSelection::Remove(const TBookmark& mark) {
  if (lookup_.erase(mark) == 0) return;
  marks_.erase(std::find(marks_.begin(), marks_.end(), mark));
  if (marks_.empty()) {
    extent_ = 0;
  } else if (extent_ != 0 && mark != marks_.front()) {
    extent_ += extent_ > 0 ? -1 : 1;
  }
}

std::vector<TBookmark> TRowSelection::InRowOrder() const {
  std::vector<TBookmark> rows = marks_;
  if (extent_ < 0) std::reverse(rows.begin(), rows.end());
  return rows;
}

// ---------------------------------------------------------------------------------------
// The grid's side: Shift moves, drawing and deleting the selected rows.

bool TCustomDBGrid::SelectionKey(int key, Qt::KeyboardModifiers shift) {
  const bool page = key == Qt::Key_PageUp || key == Qt::Key_PageDown;
  const bool vertical = page || key == Qt::Key_Up || key == Qt::Key_Down;
  const bool with_shift = shift & Qt::ShiftModifier;
  if (vertical && with_shift && !(shift & Qt::ControlModifier)) {
    const int rows = page ? VisibleRowCount() : 1;
    ExtendSelection(key == Qt::Key_Up || key == Qt::Key_PageUp ? -rows : rows);
    return true;
  }
  const bool moves = vertical || key == Qt::Key_Home || key == Qt::Key_End || key == Qt::Key_Insert;
  if (moves && !with_shift && !selection_.Empty()) {
    selection_.Clear();
    InvalidateGrid();
  }
  return false;
}

void TCustomDBGrid::ExtendSelection(int distance) {
  TDataSet* dataset = datalink_->DataSet();
  CloseEditor();
  dataset->CheckBrowseMode();  // the row being edited is posted, as any move posts it
  const int direction = distance < 0 ? -1 : 1;
  if (distance == 0 && selection_.Empty() && !dataset->GetBookmark().empty())
    selection_.BeginStep(dataset->GetBookmark(), direction);
  for (int step = 0; step < std::abs(distance); ++step) {
    const TBookmark here = dataset->GetBookmark();
    if (here.empty()) break;
    const bool add = selection_.BeginStep(here, direction);
    if (dataset->MoveBy(direction) == 0) break;
    if (add) selection_.Add(dataset->GetBookmark(), direction);
  }
  AfterKeyMove();
  InvalidateGrid();
}

void TCustomDBGrid::ShiftClick(int data_row) {
  ExtendSelection(datalink_->RecordCount() > 0 ? data_row - datalink_->ActiveRecord() : 0);
}

void TCustomDBGrid::MarkSelectedRowsForPaint() {
  paint_selected_.clear();
  if (selection_.Empty() || paint_active_ < 0) return;
  const TDataSet* dataset = datalink_->DataSet();
  paint_selected_.resize(static_cast<size_t>(datalink_->RecordCount()));
  for (size_t row = 0; row < paint_selected_.size(); ++row) {
    datalink_->SetActiveRecord(static_cast<int>(row));
    try {
      paint_selected_[row] = selection_.Contains(dataset->GetBookmark());
    } catch (...) {
      // painting never raises
    }
  }
}

void TCustomDBGrid::DeleteSelectedRows() {
  TDataSet* dataset = datalink_->DataSet();
  if (read_only_ || dataset->IsEmpty() || !dataset->CanModify()) return;
  const int count = SelectedRowCount();
  const std::string question =
      count == 1 ? "Excluir 1 registro?" : "Excluir " + std::to_string(count) + " registros?";
  if ((options_ & dgConfirmDelete) && !GridHooks().Confirm(this, "Confirm", question)) return;
  CloseEditor();
  const std::vector<TBookmark> rows = selection_.InRowOrder();
  dataset->DisableControls();
  try {
    // From the bottom up, so that marks that number the rows stay true for those above.
    for (auto mark = rows.rbegin(); mark != rows.rend(); ++mark) {
      dataset->GotoBookmark(*mark);
      dataset->Delete();  // the dataset's delete statement names the row by its DB key
      selection_.Remove(*mark);
    }
  } catch (...) {
    // The rows not deleted stay selected.
    dataset->EnableControls();
    throw;
  }
  dataset->EnableControls();
  AfterKeyMove();
}
