#include "grid/custom_grid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "grid/grid_hooks.h"

namespace {

// Cells are followed by one line's width, drawn or not.
constexpr int kLineWidth = 1;
// How near a column border the mouse must be to size the column.
constexpr int kSizingReach = 3;

}  // namespace

// ---------------------------------------------------------------------------------------
// TInplaceEdit

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : QLineEdit(grid->viewport()), grid_(grid) {
  setFrame(false);
  // Every change goes through the grid's checks: no menu, no drops, no input method.
  setContextMenuPolicy(Qt::NoContextMenu);
  setAcceptDrops(false);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  hide();
  connect(this, &QLineEdit::textChanged, this, [this] {
    if (!quiet_) grid_->EditorTextChanged();
  });
}

void TInplaceEdit::SetTextQuietly(const QString& text) {
  quiet_ = true;
  setText(text);
  quiet_ = false;
}

void TInplaceEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  grid_->CheckFocusLeft(event);
}

// ---------------------------------------------------------------------------------------
// TCustomGrid

TCustomGrid::TCustomGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  horizontalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setPageStep(1);
  SetColCount(5);
  SetRowCount(5);
}

TCustomGrid::~TCustomGrid() {
  // The editor goes while the grid is whole: its focus-out must not reach a grid half gone.
  dying_ = true;
  delete editor_;
  editor_ = nullptr;
}

void TCustomGrid::SetColCount(int count) {
  count = std::max(0, count);
  col_widths_.resize(static_cast<size_t>(count), default_col_width_);
  fixed_cols_ = std::min(fixed_cols_, count);
  left_col_ = std::clamp(left_col_, fixed_cols_, std::max(fixed_cols_, count - 1));
  col_ = std::clamp(col_, std::min(fixed_cols_, std::max(0, count - 1)), std::max(0, count - 1));
  UpdateHorizontalScrollBar();
  InvalidateGrid();
}

void TCustomGrid::SetRowCount(int count) {
  row_count_ = std::max(0, count);
  fixed_rows_ = std::min(fixed_rows_, row_count_);
  row_ = std::clamp(row_, std::min(fixed_rows_, std::max(0, row_count_ - 1)),
                    std::max(0, row_count_ - 1));
  PlaceEditor();
  InvalidateGrid();
}

void TCustomGrid::SetFixedCols(int count) {
  fixed_cols_ = std::clamp(count, 0, ColCount());
  left_col_ = std::max(left_col_, fixed_cols_);
  col_ = std::max(col_, std::min(fixed_cols_, ColCount() - 1));
  UpdateHorizontalScrollBar();
  InvalidateGrid();
}

void TCustomGrid::SetFixedRows(int count) {
  fixed_rows_ = std::clamp(count, 0, row_count_);
  row_ = std::max(row_, std::min(fixed_rows_, row_count_ - 1));
  InvalidateGrid();
}

void TCustomGrid::SetColWidth(int col, int width) {
  col_widths_.at(col) = std::max(0, width);
  UpdateHorizontalScrollBar();
  PlaceEditor();
  InvalidateGrid();
}

void TCustomGrid::SetDefaultRowHeight(int height) {
  row_height_ = std::max(1, height);
  PlaceEditor();
  InvalidateGrid();
}

void TCustomGrid::SetFixedRowHeight(int height) {
  fixed_row_height_ = std::max(1, height);
  PlaceEditor();
  InvalidateGrid();
}

void TCustomGrid::SetGridOptions(TGridOptions options) {
  grid_options_ = options;
  InvalidateGrid();
}

void TCustomGrid::SetLeftCol(int col) {
  col = std::clamp(col, fixed_cols_, std::max(fixed_cols_, MaxLeftCol()));
  if (col == left_col_) return;
  left_col_ = col;
  QScrollBar* bar = horizontalScrollBar();
  if (bar->value() != col) {
    const QSignalBlocker block(bar);
    bar->setValue(col);
  }
  PlaceEditor();
  InvalidateGrid();
}

int TCustomGrid::FixedWidth() const {
  int width = 0;
  for (int c = 0; c < fixed_cols_; ++c) width += col_widths_[c] + kLineWidth;
  return width;
}

int TCustomGrid::MaxLeftCol() const {
  const int room = viewport()->width() - FixedWidth();
  int used = 0;
  int col = ColCount();
  while (col > fixed_cols_ && used + col_widths_[col - 1] + kLineWidth <= room) {
    used += col_widths_[col - 1] + kLineWidth;
    --col;
  }
  return std::min(col, std::max(fixed_cols_, ColCount() - 1));
}

void TCustomGrid::UpdateHorizontalScrollBar() {
  QScrollBar* bar = horizontalScrollBar();
  const int max_left = std::max(fixed_cols_, MaxLeftCol());
  const int left = std::clamp(left_col_, fixed_cols_, max_left);
  // The range goes unblocked: its change is what shows or hides the bar in a grid that
  // is already on screen.
  bar->setRange(fixed_cols_, max_left);
  left_col_ = left;
  const QSignalBlocker block(bar);
  bar->setValue(left);
}

int TCustomGrid::ColX(int col) const {
  if (col < 0 || col >= ColCount()) return -1;
  if (col < fixed_cols_) {
    int x = 0;
    for (int c = 0; c < col; ++c) x += col_widths_[c] + kLineWidth;
    return x;
  }
  if (col < left_col_) return -1;
  int x = FixedWidth();
  for (int c = left_col_; c < col; ++c) x += col_widths_[c] + kLineWidth;
  return x < viewport()->width() ? x : -1;
}

int TCustomGrid::RowY(int row) const {
  if (row < 0 || row >= row_count_) return -1;
  const int y = row < fixed_rows_ ? row * (fixed_row_height_ + kLineWidth)
                                  : fixed_rows_ * (fixed_row_height_ + kLineWidth) +
                                        (row - fixed_rows_) * (row_height_ + kLineWidth);
  return y < viewport()->height() ? y : -1;
}

int TCustomGrid::VisibleRowCount() const {
  const int room = viewport()->height() - fixed_rows_ * (fixed_row_height_ + kLineWidth);
  return std::max(1, room / (row_height_ + kLineWidth));
}

QRect TCustomGrid::CellRect(int col, int row) const {
  const int x = ColX(col);
  const int y = RowY(row);
  if (x < 0 || y < 0) return {};
  return {x, y, col_widths_[col], RowHeight(row)};
}

QPoint TCustomGrid::MouseCoord(QPoint point) const {
  int col = -1;
  for (int c = 0; c < ColCount() && col < 0; ++c) {
    const int x = ColX(c);
    if (x >= 0 && point.x() >= x && point.x() < x + col_widths_[c] + kLineWidth) col = c;
  }
  int row = -1;
  for (int r = 0; r < row_count_ && row < 0; ++r) {
    const int y = RowY(r);
    if (y >= 0 && point.y() >= y && point.y() < y + RowHeight(r) + kLineWidth) row = r;
  }
  return {col, row};
}

int TCustomGrid::SizingColumnAt(int x) const {
  for (int c = 0; c < ColCount(); ++c) {
    const int left = ColX(c);
    if (left < 0) continue;
    if (std::abs(x - (left + col_widths_[c])) <= kSizingReach) return c;
  }
  return -1;
}

void TCustomGrid::MoveCurrent(int col, int row) {
  col = std::clamp(col, 0, std::max(0, ColCount() - 1));
  row = std::clamp(row, 0, std::max(0, row_count_ - 1));
  if (col >= fixed_cols_) {
    // Keep the current column in view.
    if (col < left_col_) SetLeftCol(col);
    while (left_col_ < col && left_col_ < MaxLeftCol() &&
           (ColX(col) < 0 || ColX(col) + col_widths_[col] > viewport()->width()))
      SetLeftCol(left_col_ + 1);
  }
  col_ = col;
  row_ = row;
  PlaceEditor();
  InvalidateGrid();
}

void TCustomGrid::InvalidateGrid() {
  viewport()->update();
}

bool TCustomGrid::HasFocusWithin() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == this || isAncestorOf(focus));
}

// --- The editor ---

bool TCustomGrid::CanEditShow() const {
  return (grid_options_ & goEditing) && !(grid_options_ & goRowSelect) && col_ >= fixed_cols_ &&
         row_ >= fixed_rows_;
}

TInplaceEdit* TCustomGrid::CreateEditor() {
  return new TInplaceEdit(this);
}

QString TCustomGrid::GetEditText(int, int) {
  return {};
}

void TCustomGrid::SetEditorMode(bool value) {
  if (value)
    ShowEditor();
  else
    HideEditor();
}

void TCustomGrid::PlaceEditor() {
  if (!editor_ || !editor_mode_) return;
  const QRect cell = CellRect(col_, row_);
  if (cell.isEmpty()) {
    editor_->hide();
    return;
  }
  editor_->setGeometry(cell);
  if (!editor_->isVisible()) editor_->show();
}

void TCustomGrid::ShowEditor() {
  if (!CanEditShow()) return;
  if (!editor_) editor_ = CreateEditor();
  const bool focus = HasFocusWithin();
  if (!editor_mode_) {
    editor_mode_ = true;
    const int limit = GetEditLimit();
    editor_->setMaxLength(limit > 0 ? limit : 32767);
    editor_->setAlignment(GetEditAlignment() | Qt::AlignVCenter);
    editor_->setFont(font());
    editor_->SetTextQuietly(GetEditText(col_, row_));
    editor_->selectAll();
  }
  PlaceEditor();
  if (focus && editor_->isVisible()) editor_->setFocus(Qt::OtherFocusReason);
}

void TCustomGrid::HideEditor() {
  if (!editor_mode_) return;
  editor_mode_ = false;
  if (!editor_) return;
  // Take the focus first, or hiding it would pass the focus out of the grid.
  if (editor_->hasFocus()) setFocus(Qt::OtherFocusReason);
  editor_->hide();
  InvalidateGrid();
}

void TCustomGrid::ReloadEditor() {
  if (!editor_ || !editor_mode_) return;
  const QString text = GetEditText(col_, row_);
  if (editor_->text() != text) {
    editor_->SetTextQuietly(text);
    editor_->selectAll();
  }
}

// --- Drawing ---

void TCustomGrid::DrawCell(QPainter&, int, int, const QRect&, TGridDrawState) {}

void TCustomGrid::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QPalette& colors = palette();
  painter.fillRect(viewport()->rect(), colors.color(QPalette::Base));
  const bool focused = HasFocusWithin();
  for (int row = 0; row < row_count_; ++row) {
    const int y = RowY(row);
    if (y < 0) continue;
    const int height = RowHeight(row);
    for (int col = 0; col < ColCount(); ++col) {
      const int x = ColX(col);
      if (x < 0) continue;
      const QRect cell(x, y, col_widths_[col], height);
      const bool fixed = col < fixed_cols_ || row < fixed_rows_;
      TGridDrawState state = fixed ? TGridDrawState{gdFixed} : 0;
      if (!fixed && row == row_ && (col == col_ || (grid_options_ & goRowSelect))) {
        state |= gdSelected;
        if (focused && col == col_) state |= gdFocused;
      }
      if (fixed) {
        painter.fillRect(cell, colors.color(QPalette::Button));
        painter.setPen(colors.color(QPalette::Light));
        painter.drawLine(cell.topLeft(), cell.topRight());
        painter.drawLine(cell.topLeft(), cell.bottomLeft());
      }
      DrawCell(painter, col, row, cell, state);
      const bool vert = grid_options_ & (fixed ? goFixedVertLine : goVertLine);
      const bool horz = grid_options_ & (fixed ? goFixedHorzLine : goHorzLine);
      painter.setPen(colors.color(fixed ? QPalette::Dark : QPalette::Midlight));
      if (vert) painter.drawLine(x + cell.width(), y, x + cell.width(), y + height);
      if (horz) painter.drawLine(x, y + height, x + cell.width(), y + height);
    }
  }
}

// --- Input ---

bool TCustomGrid::focusNextPrevChild(bool next) {
  // Tab moves between cells, not to the next control.
  if (grid_options_ & goTabs) return false;
  return QAbstractScrollArea::focusNextPrevChild(next);
}

bool TCustomGrid::event(QEvent* event) {
  // Tab must reach the key handling even where a style or a parent would claim it.
  if (event->type() == QEvent::KeyPress && (grid_options_ & goTabs)) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      keyPressEvent(key);
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

void TCustomGrid::KeyDown(int&, Qt::KeyboardModifiers) {}
void TCustomGrid::KeyPress(char&) {}

void TCustomGrid::keyPressEvent(QKeyEvent* event) {
  RunGridHandler([&] {
    int key = event->key();
    Qt::KeyboardModifiers shift = event->modifiers();
    if (key == Qt::Key_Backtab) {
      key = Qt::Key_Tab;
      shift |= Qt::ShiftModifier;
    }
    KeyDown(key, shift);
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() < 0x80 && key != Qt::Key_Tab) {
      char typed = static_cast<char>(text[0].unicode());
      KeyPress(typed);
    } else if (key != Qt::Key_Tab && IsPrintableText(text)) {
      KeyPressText(text);
    }
  });
}

void TCustomGrid::mousePressEvent(QMouseEvent* event) {
  RunGridHandler([&] {
    const QPoint point = event->position().toPoint();
    const QPoint cell = MouseCoord(point);
    mouse_modifiers_ = event->modifiers();
    clicked_cell_ = cell;
    drag_ = Drag::kNone;
    drag_moved_ = false;
    if (event->button() == Qt::LeftButton && cell.y() >= 0 && cell.y() < fixed_rows_) {
      const int sizing = SizingColumnAt(point.x());
      if ((grid_options_ & goColSizing) && sizing >= fixed_cols_) {
        drag_ = Drag::kSizing;
        drag_col_ = sizing;
      } else if ((grid_options_ & goColMoving) && cell.x() >= fixed_cols_) {
        drag_ = Drag::kMoving;
        drag_col_ = cell.x();
      }
      drag_start_x_ = point.x();
      return;
    }
    if (cell.x() >= 0 && cell.y() >= fixed_rows_) ClickCell(cell.x(), cell.y(), event->button());
  });
}

void TCustomGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (drag_ == Drag::kSizing) {
    const int left = ColX(drag_col_);
    if (left >= 0) SetColWidth(drag_col_, std::max(1, point.x() - left));
    drag_moved_ = true;
  } else if (drag_ == Drag::kMoving) {
    if (std::abs(point.x() - drag_start_x_) >= QApplication::startDragDistance())
      drag_moved_ = true;
  } else {
    const QPoint cell = MouseCoord(point);
    const bool over_border = (grid_options_ & goColSizing) && cell.y() >= 0 &&
                             cell.y() < fixed_rows_ && SizingColumnAt(point.x()) >= fixed_cols_;
    viewport()->setCursor(over_border ? Qt::SplitHCursor : Qt::ArrowCursor);
  }
}

void TCustomGrid::mouseReleaseEvent(QMouseEvent* event) {
  RunGridHandler([&] {
    const Drag drag = drag_;
    drag_ = Drag::kNone;
    if (drag == Drag::kSizing && drag_moved_) {
      ColWidthsChanged();
    } else if (drag == Drag::kMoving && drag_moved_) {
      const int to = MouseCoord(event->position().toPoint()).x();
      if (to >= fixed_cols_ && to != drag_col_) {
        const int width = col_widths_[drag_col_];
        col_widths_.erase(col_widths_.begin() + drag_col_);
        col_widths_.insert(col_widths_.begin() + to, width);
        // The current cell goes with its column.
        if (col_ == drag_col_)
          col_ = to;
        else if (drag_col_ < col_ && to >= col_)
          --col_;
        else if (drag_col_ > col_ && to <= col_)
          ++col_;
        ColumnMoved(drag_col_, to);
        PlaceEditor();
        InvalidateGrid();
      }
    } else if (drag == Drag::kMoving) {
      TitleClick(drag_col_);
    }
  });
}

void TCustomGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  const int row = MouseCoord(point).y();
  clicked_cell_ = MouseCoord(point);
  const int edge = (grid_options_ & goColSizing) && row >= 0 && row < fixed_rows_
                       ? SizingColumnAt(point.x())
                       : -1;
  RunGridHandler([&] {
    if (edge >= fixed_cols_)
      ColumnEdgeDblClick(edge);
    else
      DblClick();
  });
}

void TCustomGrid::ClickCell(int col, int row, Qt::MouseButton button) {
  if (button != Qt::LeftButton || col < fixed_cols_) return;
  if (col == col_ && row == row_)
    ShowEditor();
  else
    MoveCurrent(col, row);
}

void TCustomGrid::ColumnMoved(int, int) {}

void TCustomGrid::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  InvalidateGrid();
}

void TCustomGrid::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  InvalidateGrid();
  CheckFocusLeft(event);
}

void TCustomGrid::CheckFocusLeft(QFocusEvent* event) {
  if (dying_) return;
  // A modal box or a menu takes the focus for a while; that is not leaving the grid.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
    return;
  if (HasFocusWithin()) return;  // between the grid and its editor
  RunGridHandler([&] { FocusLeft(); });
}

void TCustomGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateHorizontalScrollBar();
  PlaceEditor();
}

void TCustomGrid::scrollContentsBy(int, int) {
  // The cells are drawn from the columns' own offsets; only the horizontal bar scrolls here.
  const int col = horizontalScrollBar()->value();
  if (col != left_col_) {
    left_col_ = std::clamp(col, fixed_cols_, std::max(fixed_cols_, ColCount() - 1));
    PlaceEditor();
  }
  InvalidateGrid();
}
