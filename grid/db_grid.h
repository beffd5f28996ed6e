// The data grid: shows a dataset's rows through a data source, one grid row per record
// of the dataset's buffer window and one column per visible field, and edits them in
// place. It never asks for a total row count: its rows are the window, sized to the data
// rows that fit, and rows are fetched only as the user moves.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPixmap>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/dataset/dataset.h"
#include "grid/blob_cell_text.h"
#include "grid/custom_grid.h"
#include "grid/grid_selection.h"
#include "grid/title_sort_mark.h"

class TCustomDBGrid;

enum TDBGridOption : unsigned {
  dgEditing = 1u << 0,
  dgAlwaysShowEditor = 1u << 1,
  dgTitles = 1u << 2,
  dgIndicator = 1u << 3,
  dgColumnResize = 1u << 4,
  dgColLines = 1u << 5,
  dgRowLines = 1u << 6,
  dgTabs = 1u << 7,
  dgRowSelect = 1u << 8,
  dgAlwaysShowSelection = 1u << 9,
  dgConfirmDelete = 1u << 10,
  dgCancelOnExit = 1u << 11,
  dgMultiSelect = 1u << 12,
};
using TDBGridOptions = unsigned;

inline constexpr TDBGridOptions kDefaultDBGridOptions = dgEditing | dgTitles | dgIndicator |
                                                        dgColumnResize | dgColLines | dgRowLines |
                                                        dgTabs | dgConfirmDelete | dgCancelOnExit;

// The indicator images, in this order.
enum TIndicatorImage { iiArrow, iiEdit, iiInsert, iiMultiDot, iiMultiArrow };

// The grid's view of its data source: activation, data changes, scrolling, state and
// record changes, and the editor's pending text.
class TGridDataLink : public TDataLink {
 public:
  explicit TGridDataLink(TCustomDBGrid* grid) : grid_(grid) {}
  // Set while the cell editor holds text not yet handed to the field.
  bool Modified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void EditingChanged() override;
  void FocusControl(TField** field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

 private:
  TCustomDBGrid* grid_;
  bool modified_ = false;
};

class TColumnTitle {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& value) { caption_ = value; }

 private:
  std::string caption_;
};

// One column of the grid. A default column takes everything from its field; the field
// pointer lives only until the next layout change (columns are rebuilt then).
class TColumn {
 public:
  explicit TColumn(TField* field);
  TField* Field() const { return field_; }
  const std::string& FieldName() const { return field_name_; }
  int Width() const { return width_; }
  void SetWidth(int value) { width_ = value; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { alignment_ = value; }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value) { read_only_ = value; }
  TColumnTitle& Title() { return title_; }
  const TColumnTitle& Title() const { return title_; }

 private:
  TField* field_;
  std::string field_name_;
  int width_ = 64;
  TAlignment alignment_ = taLeftJustify;
  bool read_only_ = false;
  TColumnTitle title_;
};

// The grid's columns; default columns only (no persistent ones in this program).
class TDBGridColumns {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TColumn& Items(int index) const { return *items_.at(index); }
  TColumn& operator[](int index) const { return Items(index); }
  TColumn& Add(TField* field);
  void Clear() { items_.clear(); }
  void Move(int from, int to);
  // -1 when no column shows `field`.
  int IndexOfField(const TField* field) const;

 private:
  std::vector<std::unique_ptr<TColumn>> items_;
};

// The width formula of a default column, in pixels: the width of "0" in the column font
// times the field's DisplayWidth, plus 4; with titles, at least the caption's width in
// the title font plus 4. Qt reports no font overhang, so that term is 0.
int DefaultColumnWidth(const TField& field, const std::string& caption, const QFont& font,
                       const QFont& title_font, bool titles);

// The text a cell draws in `width` pixels: the whole text when it fits, else cut on the
// right and ended by an ellipsis. A clipped right-aligned value would lose its sign and
// leading digits and read as another value.
QString FittedCellText(const QString& text, const QFontMetrics& metrics, int width);
// The blank between a cell's edge and its text, on each side.
inline constexpr int kCellTextMargin = 2;
// The text when it fits `width`, else as many "#" as fit: for numbers and dates.
QString WholeOrHashes(const QString& text, const QFontMetrics& metrics, int width);
// True for the types shown whole or as "###": numbers, dates and times.
bool ShownWhole(TFieldType type);

// Types whose values are edited as a line of text in a cell (not blobs and bytes).
bool EditedAsText(TFieldType type);

class TDBGridInplaceEdit : public TInplaceEdit {
 public:
  explicit TDBGridInplaceEdit(TCustomDBGrid* grid);
  // Types one character as the user would: offered to the field first (a refused one
  // beeps), then only when the cell can be modified. '\b' is Backspace.
  void TypeChar(char key);
  // Text of any script typed at once; fields that take only numbers, dates and the like
  // refuse what is not ASCII.
  void TypeText(const QString& text);

 protected:
  // What an input method commits is typed text like any other.
  void inputMethodEvent(QInputMethodEvent* event) override;

 public:
  // Pastes text, with the same checks for every character, cut at the field's size; a
  // final line break is dropped.
  void PasteText(const QString& pasted);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void HandleKey(QKeyEvent* event);
  TCustomDBGrid* DBGrid() const;
};

class TCustomDBGrid : public TCustomGrid {
 public:
  explicit TCustomDBGrid(QWidget* parent = nullptr);
  ~TCustomDBGrid() override;

  TDataSource* DataSource() const { return datalink_->DataSource(); }
  // Rebinding rebuilds the columns for the new dataset.
  void SetDataSource(TDataSource* source);
  TGridDataLink* DataLink() const { return datalink_.get(); }
  TDBGridOptions Options() const { return options_; }
  void SetOptions(TDBGridOptions value);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value);
  const QFont& TitleFont() const { return title_font_; }
  void SetTitleFont(const QFont& font);
  TDBGridColumns& Columns() { return columns_; }
  const TDBGridColumns& Columns() const { return columns_; }
  // The current column among the data columns; -1 without columns.
  int SelectedIndex() const;
  // Hands the editor's text to the field first.
  void SetSelectedIndex(int index);
  TField* SelectedField() const;
  const QPixmap& IndicatorImage(int index) const { return indicators_.at(index); }
  // Whole rows selected by Shift+arrows or Shift+click (grid_selection.cpp).
  int SelectedRowCount() const { return selection_.Count(); }
  const TRowSelection& SelectedRows() const { return selection_; }
  // New columns take the width of the first screen's values (capped), and columns
  // rebuilt for the same fields keep their widths (column_fit.cpp). Off by default.
  bool FitColumns() const { return fit_columns_; }
  void SetFitColumns(bool value) { fit_columns_ = value; }

  // The grid's key handling as a key press in the grid runs it: OnKeyDown first, then,
  // with an active data link, the grid's own keys. Failures raise to the caller.
  void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
  // OnKeyPress first; then Enter toggles the editor and a printable character or
  // Backspace opens it and is typed into it.
  void KeyPress(char& key) override;
  void KeyPressText(const QString& text) override;
  // The cell can take a change: grid, link and column not read-only, an editable field
  // of a type edited as a line of text; puts the dataset in edit state. False refuses.
  bool CanEditModify();
  // Hands the editor's pending text to the field (as Enter, a click elsewhere or
  // leaving the grid do); raises what the field raises.
  void UpdateData();

  std::function<void(int& key, Qt::KeyboardModifiers shift)> OnKeyDown;
  std::function<void(char& key)> OnKeyPress;
  std::function<void()> OnDblClick;
  // A click on a column's title.
  std::function<void(TColumn* column)> OnTitleClick;
  // The title that shows the rows' order; forgotten when the dataset closes.
  const TTitleSortMark& SortMark() const { return sort_mark_; }
  void SetSortMark(const TTitleSortMark& mark);

 protected:
  void DrawCell(QPainter& painter, int col, int row, const QRect& rect,
                TGridDrawState state) override;
  void ClickCell(int col, int row, Qt::MouseButton button) override;
  void DblClick() override;
  void TitleClick(int col) override;
  void ColumnEdgeDblClick(int col) override;
  void ColumnMoved(int from, int to) override;
  void ColWidthsChanged() override;
  bool CanEditShow() const override;
  TInplaceEdit* CreateEditor() override;
  QString GetEditText(int col, int row) override;
  int GetEditLimit() override;
  Qt::Alignment GetEditAlignment() override;
  void EditorTextChanged() override;
  void FocusLeft() override;

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  friend class TGridDataLink;
  friend class TDBGridInplaceEdit;

  // Data link notices.
  void LinkActive(bool active);
  // Writes the editor's pending text into the field (the link's UpdateData).
  void WriteEditText();
  void DataChanged();
  void EditingChanged();
  void LayoutChanged();
  void RecordChanged(TField* field);
  void FocusField(TField** field);

  // Rebuilds the default columns and the grid's shape.
  void InternalLayout();
  void UpdateBufferCount();
  // Row count, current row and scroll bar from the link.
  void SyncWithLink();
  void UpdateScrollBar();
  void ScrollAction(int action);
  void ScrollBarDrop(int position);
  // Hands over the editor's text and closes the editor.
  void CloseEditor();
  void AfterKeyMove();
  void NextRow();
  void PriorRow();
  void MoveBy(int distance);
  void DeleteRecord();
  void TabKey(bool back);
  // The data columns' grid offsets.
  int IndicatorOffset() const { return (options_ & dgIndicator) ? 1 : 0; }
  int TitleOffset() const { return (options_ & dgTitles) ? 1 : 0; }
  TColumn* SelectedColumn() const;
  // The selected cell can be typed into: an editable grid, dataset, column and field,
  // and a value edited as text.
  bool CellTakesText() const;
  TDataSet* ActiveDataSet() const;
  QString CellText(TField* field, int data_row) const;

  // Whole-row selection (grid_selection.cpp). SelectionKey takes Shift+Up/Down/PageUp/
  // PageDown and clears the selection on a plain row move; true when it took the key.
  bool SelectionKey(int key, Qt::KeyboardModifiers shift);
  void ExtendSelection(int distance);
  void ShiftClick(int data_row);
  void MarkSelectedRowsForPaint();
  void DeleteSelectedRows();
  // NULL (grid_null.cpp): the cell's text as drawn and measured, "<null>" for null.
  QString ShownCellText(TField* field, int data_row) const;
  // Draws "<null>" greyed when the cell is null; false for a value.
  bool DrawNullCell(QPainter& painter, const QRect& rect, Qt::Alignment alignment, TField* field,
                    int data_row, bool highlight);
  void SetCellNull();
  // The right button's menu over the current cell: copy, paste, set NULL.
  void ShowCellMenu();
  // Copy and paste (grid_copy_paste.cpp).
  void CopyToClipboard();
  void PasteFromClipboard();
  void PasteRows(std::vector<std::vector<std::string>> rows);
  // Column widths (column_fit.cpp).
  void RememberColumnWidths();
  void FitNewColumns();
  void RefitUnseenColumns();
  int FittedWidth(int index, int cap);

  std::unique_ptr<TGridDataLink> datalink_;
  TDBGridColumns columns_;
  TDBGridOptions options_ = kDefaultDBGridOptions;
  bool read_only_ = false;
  QFont title_font_;
  std::array<QPixmap, 5> indicators_;
  bool destroying_ = false;
  int layout_lock_ = 0;
  bool leaving_ = false;
  // While painting: the link's active record as it was before the rows were read.
  int paint_active_ = -1;
  mutable TBlobCellText blob_text_;
  TTitleSortMark sort_mark_;
  TRowSelection selection_;
  // While painting: whether each data row of the window is selected.
  std::vector<bool> paint_selected_;
  bool fit_columns_ = false;
  // Columns fitted but not yet painted: a resize measures them again.
  bool fit_unseen_ = false;
  // The columns' widths by field name, kept across a rebuild of the columns.
  std::vector<std::pair<std::string, int>> kept_widths_;
};

// The data grid as the program creates it: every grid starts with the class defaults.
class TDBGrid final : public TCustomDBGrid {
 public:
  using TCustomDBGrid::TCustomDBGrid;
};
