// The generic cell grid: columns of set widths, rows of one height, fixed rows and
// columns at the top and left, a current cell, sizing and moving columns by the fixed
// row, and a one-line editor over the current cell. It draws its cells itself; what a
// cell shows and what keys do belong to the grid built on it.
#pragma once

#include <QAbstractScrollArea>
#include <QLineEdit>
#include <vector>

class TCustomGrid;

enum TGridOption : unsigned {
  goFixedVertLine = 1u << 0,
  goFixedHorzLine = 1u << 1,
  goVertLine = 1u << 2,
  goHorzLine = 1u << 3,
  goColSizing = 1u << 4,
  goColMoving = 1u << 5,
  goEditing = 1u << 6,
  goTabs = 1u << 7,
  goRowSelect = 1u << 8,
  goAlwaysShowEditor = 1u << 9,
};
using TGridOptions = unsigned;

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

// The one-line edit box placed over the current cell while editing.
// Typed or pasted text that holds no control character, counted by code points so
// that characters beyond the first plane (emoji) count as one.
inline bool IsPrintableText(const QString& text) {
  if (text.isEmpty()) return false;
  for (char32_t code : text.toUcs4())
    if (!QChar::isPrint(code)) return false;
  return true;
}

class TInplaceEdit : public QLineEdit {
 public:
  explicit TInplaceEdit(TCustomGrid* grid);
  TCustomGrid* Grid() const { return grid_; }
  // Sets the text as the grid's own, not as typed: no change is reported.
  void SetTextQuietly(const QString& text);

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  TCustomGrid* grid_;
  bool quiet_ = false;
};

class TCustomGrid : public QAbstractScrollArea {
 public:
  explicit TCustomGrid(QWidget* parent = nullptr);
  ~TCustomGrid() override;

  int ColCount() const { return static_cast<int>(col_widths_.size()); }
  void SetColCount(int count);
  int RowCount() const { return row_count_; }
  void SetRowCount(int count);
  int FixedCols() const { return fixed_cols_; }
  void SetFixedCols(int count);
  int FixedRows() const { return fixed_rows_; }
  void SetFixedRows(int count);
  int ColWidth(int col) const { return col_widths_.at(col); }
  void SetColWidth(int col, int width);
  int DefaultColWidth() const { return default_col_width_; }
  int DefaultRowHeight() const { return row_height_; }
  void SetDefaultRowHeight(int height);
  int FixedRowHeight() const { return fixed_row_height_; }
  void SetFixedRowHeight(int height);
  int RowHeight(int row) const { return row < fixed_rows_ ? fixed_row_height_ : row_height_; }
  TGridOptions GridOptions() const { return grid_options_; }
  void SetGridOptions(TGridOptions options);

  // The current cell.
  int Col() const { return col_; }
  int Row() const { return row_; }
  // The first scrollable column shown.
  int LeftCol() const { return left_col_; }
  void SetLeftCol(int col);
  // Rows below the fixed ones that fit the viewport whole (at least 1).
  int VisibleRowCount() const;

  // Viewport coordinates; empty for a cell that is not shown.
  QRect CellRect(int col, int row) const;
  // The cell under a viewport point: (col, row), -1 where the point misses.
  QPoint MouseCoord(QPoint point) const;

  bool EditorMode() const { return editor_mode_; }
  void SetEditorMode(bool value);
  TInplaceEdit* InplaceEditor() const { return editor_; }
  // The grid or its editor holds the keyboard focus.
  bool HasFocusWithin() const;
  // The cell under the last press or double click, (-1, -1) where it missed.
  QPoint ClickedCell() const { return clicked_cell_; }

 protected:
  virtual void DrawCell(QPainter& painter, int col, int row, const QRect& rect,
                        TGridDrawState state);
  virtual void KeyDown(int& key, Qt::KeyboardModifiers shift);
  virtual void KeyPress(char& key);
  // Typed text that is more than one ASCII character (another script, an emoji, what an
  // input method commits).
  virtual void KeyPressText(const QString&) {}
  // A press of `button` on a cell below the fixed rows.
  virtual void ClickCell(int col, int row, Qt::MouseButton button);
  virtual void DblClick() {}
  // A click on the fixed row's cell of column `col` that moved nothing.
  virtual void TitleClick(int) {}
  // A double click on the right edge of column `col`'s title, where a press sizes it.
  virtual void ColumnEdgeDblClick(int) {}
  // The keyboard modifiers of the last mouse press.
  Qt::KeyboardModifiers MouseModifiers() const { return mouse_modifiers_; }
  // A fixed-row drag moved column `from` to `to`; the widths have moved already.
  virtual void ColumnMoved(int from, int to);
  virtual void ColWidthsChanged() {}
  virtual bool CanEditShow() const;
  virtual TInplaceEdit* CreateEditor();
  virtual QString GetEditText(int col, int row);
  // The editor's length limit; 0 for none.
  virtual int GetEditLimit() { return 0; }
  virtual Qt::Alignment GetEditAlignment() { return Qt::AlignLeft; }
  // The user changed the editor's text.
  virtual void EditorTextChanged() {}
  // The focus went from the grid and its editor to another control of the same window.
  virtual void FocusLeft() {}

  void ShowEditor();
  void HideEditor();
  // Reloads the editor's text from GetEditText, selected whole; keeps it (and the caret)
  // when it is unchanged.
  void ReloadEditor();
  // Moves the current cell without asking anyone, keeping it in view.
  void MoveCurrent(int col, int row);
  void InvalidateGrid();

  bool event(QEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  friend class TInplaceEdit;

  int ColX(int col) const;
  int RowY(int row) const;
  int FixedWidth() const;
  int MaxLeftCol() const;
  void UpdateHorizontalScrollBar();
  void PlaceEditor();
  void CheckFocusLeft(QFocusEvent* event);
  // The column whose right border lies within reach of x in the fixed rows, or -1.
  int SizingColumnAt(int x) const;

  std::vector<int> col_widths_;
  int row_count_ = 1;
  int fixed_cols_ = 0;
  int fixed_rows_ = 0;
  int default_col_width_ = 64;
  int row_height_ = 18;
  int fixed_row_height_ = 18;
  TGridOptions grid_options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine;
  int col_ = 0;
  int row_ = 0;
  int left_col_ = 0;
  bool editor_mode_ = false;
  TInplaceEdit* editor_ = nullptr;
  // Set while the grid is being destroyed: focus changes then are not the user's.
  bool dying_ = false;

  enum class Drag { kNone, kSizing, kMoving };
  Drag drag_ = Drag::kNone;
  int drag_col_ = -1;
  int drag_start_x_ = 0;
  bool drag_moved_ = false;
  Qt::KeyboardModifiers mouse_modifiers_ = Qt::NoModifier;
  QPoint clicked_cell_{-1, -1};
};
