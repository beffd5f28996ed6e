#include "grid/db_grid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>

#include "data/statement/long_call.h"
#include "grid/grid_hooks.h"
#include "grid/qt_text.h"

namespace {

constexpr int kIndicatorWidth = 12;
constexpr QSize kIndicatorSize(10, 11);

QPixmap MakeIndicator(int index) {
  QPixmap image(kIndicatorSize);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::black);
  switch (index) {
    case iiArrow:
      painter.drawPolygon(QPolygon({{3, 1}, {7, 5}, {3, 9}}));
      break;
    case iiEdit:  // an I-beam
      painter.drawLine(5, 1, 5, 9);
      painter.drawLine(3, 1, 7, 1);
      painter.drawLine(3, 9, 7, 9);
      break;
    case iiInsert:  // an asterisk
      painter.drawLine(5, 1, 5, 9);
      painter.drawLine(1, 5, 9, 5);
      painter.drawLine(2, 2, 8, 8);
      painter.drawLine(8, 2, 2, 8);
      break;
    case iiMultiDot:
      painter.drawEllipse(QPoint(5, 5), 2, 2);
      break;
    default:  // iiMultiArrow
      painter.drawPolygon(QPolygon({{1, 1}, {5, 5}, {1, 9}}));
      painter.drawEllipse(QPoint(8, 5), 1, 1);
      break;
  }
  return image;
}

Qt::Alignment QtAlignment(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify:
      return Qt::AlignRight;
    case taCenter:
      return Qt::AlignHCenter;
    default:
      return Qt::AlignLeft;
  }
}

bool IsPrintable(char key) {
  const auto c = static_cast<unsigned char>(key);
  return c >= 32 && c != 127;
}

// An indicator shape in the colour of the fixed cells' text, so that a disabled grid
// greys it as it greys the titles.
QPixmap Tinted(const QPixmap& shape, const QColor& color) {
  QPixmap image(shape.size());
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.drawPixmap(0, 0, shape);
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(image.rect(), color);
  return image;
}

void DrawCellText(QPainter& painter, const QRect& rect, Qt::Alignment alignment,
                  const QString& text) {
  painter.drawText(rect, alignment | Qt::AlignVCenter | Qt::TextSingleLine,
                   FittedCellText(text, painter.fontMetrics(), rect.width()));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TGridDataLink

void TGridDataLink::ActiveChanged() {
  grid_->LinkActive(Active());
}
void TGridDataLink::DataSetChanged() {
  grid_->DataChanged();
}
void TGridDataLink::DataSetScrolled(int) {
  grid_->DataChanged();
}
void TGridDataLink::EditingChanged() {
  grid_->EditingChanged();
}
void TGridDataLink::FocusControl(TField** field) {
  grid_->FocusField(field);
}
void TGridDataLink::LayoutChanged() {
  grid_->LayoutChanged();
}
void TGridDataLink::RecordChanged(TField* field) {
  grid_->RecordChanged(field);
}
void TGridDataLink::UpdateData() {
  grid_->WriteEditText();
}

// ---------------------------------------------------------------------------------------
// Columns

TColumn::TColumn(TField* field)
    : field_(field),
      field_name_(field ? field->FieldName() : std::string()),
      alignment_(field ? field->Alignment() : taLeftJustify),
      read_only_(field && field->ReadOnly()) {
  if (field) title_.SetCaption(field->DisplayLabel());
}

TColumn& TDBGridColumns::Add(TField* field) {
  items_.push_back(std::make_unique<TColumn>(field));
  return *items_.back();
}

void TDBGridColumns::Move(int from, int to) {
  if (from == to || from < 0 || to < 0 || from >= Count() || to >= Count()) return;
  auto column = std::move(items_[from]);
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, std::move(column));
}

int TDBGridColumns::IndexOfField(const TField* field) const {
  if (!field) return -1;
  for (int i = 0; i < Count(); ++i)
    if (items_[i]->Field() == field) return i;
  return -1;
}

bool EditedAsText(TFieldType type) {
  switch (type) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftUnknown:
      return false;
    default:
      return true;
  }
}

int DefaultColumnWidth(const TField& field, const std::string& caption, const QFont& font,
                       const QFont& title_font, bool titles) {
  const int overhang = 0;
  const int digit = QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
  int width = (digit - overhang) * field.DisplayWidth() + overhang + 4;
  if (titles)
    width = std::max(width, QFontMetrics(title_font).horizontalAdvance(ToQt(caption)) + 4);
  return width;
}

// ---------------------------------------------------------------------------------------
// TDBGridInplaceEdit

TDBGridInplaceEdit::TDBGridInplaceEdit(TCustomDBGrid* grid) : TInplaceEdit(grid) {
  // What an input method commits goes through the same checks as typed text.
  setAttribute(Qt::WA_InputMethodEnabled, true);
}

TCustomDBGrid* TDBGridInplaceEdit::DBGrid() const {
  return static_cast<TCustomDBGrid*>(Grid());
}

void TDBGridInplaceEdit::TypeChar(char key) {
  TCustomDBGrid* grid = DBGrid();
  if (key == '\b') {
    if (grid->CanEditModify()) backspace();
    return;
  }
  if (!IsPrintable(key)) return;
  const TField* field = grid->SelectedField();
  if (field && !field->IsValidChar(key)) {
    GridHooks().Beep();
    return;
  }
  if (!grid->CanEditModify()) return;
  insert(QString(QChar(static_cast<unsigned char>(key))));
}

// Whether the selected field may take `c`: ASCII by the field's own rule, any other
// printable character only in fields of text.
static bool TakesChar(const TField* field, char32_t c) {
  if (c < 0x80)
    return IsPrintable(static_cast<char>(c)) &&
           (!field || field->IsValidChar(static_cast<char>(c)));
  return QChar::isPrint(c) &&
         (!field || field->DataType() == ftString || field->DataType() == ftMemo);
}

void TDBGridInplaceEdit::TypeText(const QString& text) {
  const TField* field = DBGrid()->SelectedField();
  for (char32_t c : text.toUcs4()) {
    if (!TakesChar(field, c)) {
      GridHooks().Beep();
      return;
    }
  }
  if (!DBGrid()->CanEditModify()) return;
  insert(text);
}

void TDBGridInplaceEdit::inputMethodEvent(QInputMethodEvent* event) {
  RunGridHandler([&] {
    if (event->commitString().isEmpty()) {
      QLineEdit::inputMethodEvent(event);
      return;
    }
    // The commit goes through the field's checks and starts the edit; what is still
    // being composed stays with the line edit.
    TypeText(event->commitString());
    QInputMethodEvent composing(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&composing);
  });
}

void TDBGridInplaceEdit::PasteText(const QString& pasted) {
  // A copied line ends in its line break, which is no part of the value.
  QString text = pasted;
  if (text.endsWith(u'\n')) text.chop(1);
  if (text.endsWith(u'\r')) text.chop(1);
  TypeText(text);  // the length limit cuts it at the field's size
}

void TDBGridInplaceEdit::keyPressEvent(QKeyEvent* event) {
  RunGridHandler([&] { HandleKey(event); });
  // Handled or dropped here: a key the edit box ignores must not reach the grid again.
  event->accept();
}

void TDBGridInplaceEdit::HandleKey(QKeyEvent* event) {
  TCustomDBGrid* grid = DBGrid();
  int key = event->key();
  Qt::KeyboardModifiers shift = event->modifiers() & ~Qt::KeypadModifier;
  if (key == Qt::Key_Backtab) {
    key = Qt::Key_Tab;
    shift |= Qt::ShiftModifier;
  }
  const bool ctrl = shift & Qt::ControlModifier;
  const bool at_start = cursorPosition() == 0 && !hasSelectedText();
  const bool at_end = cursorPosition() == text().size() && !hasSelectedText();
  bool to_grid = false;
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Escape:
      to_grid = true;
      break;
    case Qt::Key_Tab:
      to_grid = !(shift & Qt::AltModifier);
      break;
    case Qt::Key_Insert:
      to_grid = shift == Qt::NoModifier;
      break;
    case Qt::Key_Delete:
      to_grid = ctrl;
      break;
    case Qt::Key_N:
      to_grid = ctrl && (shift & Qt::ShiftModifier);
      break;
    // As in spreadsheets, Left at the start of the text and Right at its end go on to
    // the next cell.
    case Qt::Key_Left:
      to_grid = (at_start && shift == Qt::NoModifier) ||
                ((grid->Options() & dgAlwaysShowEditor) && (ctrl || at_start));
      break;
    case Qt::Key_Right:
      to_grid = (at_end && shift == Qt::NoModifier) ||
                ((grid->Options() & dgAlwaysShowEditor) && (ctrl || at_end));
      break;
    case Qt::Key_Home:
      to_grid = (grid->Options() & dgAlwaysShowEditor) && (ctrl || at_start);
      break;
    case Qt::Key_End:
      to_grid = (grid->Options() & dgAlwaysShowEditor) && (ctrl || at_end);
      break;
    default:
      break;
  }
  if (to_grid) {
    grid->KeyDown(key, shift);
    return;
  }
  // Every other key reaches the owner's handler first; 0 swallows it.
  if (grid->OnKeyDown) grid->OnKeyDown(key, shift);
  if (key == 0) return;
  if (key == Qt::Key_F2) {
    deselect();
    end(false);
    return;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    char enter = '\r';
    grid->KeyPress(enter);
    return;
  }
  const bool paste =
      event->matches(QKeySequence::Paste) || (key == Qt::Key_Insert && shift == Qt::ShiftModifier);
  if (paste) {
    PasteText(QGuiApplication::clipboard()->text());
    return;
  }
  for (QKeySequence::StandardKey change :
       {QKeySequence::Cut, QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Delete,
        QKeySequence::DeleteEndOfWord, QKeySequence::DeleteStartOfWord,
        QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine}) {
    if (event->matches(change) || (key == Qt::Key_Delete && shift == Qt::ShiftModifier)) {
      if (grid->CanEditModify()) QLineEdit::keyPressEvent(event);
      return;
    }
  }
  const QString typed = event->text();
  if (typed.size() == 1 && (typed[0] == u'\b' || typed[0].unicode() >= 32) &&
      typed[0].unicode() < 0x80 && typed[0].unicode() != 127) {
    char c = static_cast<char>(typed[0].unicode());
    if (grid->OnKeyPress) grid->OnKeyPress(c);
    if (c != 0) TypeChar(c);
    return;
  }
  if (IsPrintableText(typed)) {
    TypeText(typed);
    return;
  }
  QLineEdit::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------
// TCustomDBGrid

TCustomDBGrid::TCustomDBGrid(QWidget* parent)
    : TCustomGrid(parent), datalink_(std::make_unique<TGridDataLink>(this)), title_font_(font()) {
  for (int i = 0; i < static_cast<int>(indicators_.size()); ++i) indicators_[i] = MakeIndicator(i);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  QScrollBar* bar = verticalScrollBar();
  bar->setTracking(false);  // the thumb acts where it is dropped
  connect(bar, &QScrollBar::actionTriggered, this, [this](int action) {
    RunGridHandler([&] { ScrollAction(action); });
    RunGridHandler([&] { UpdateScrollBar(); });
  });
  connect(bar, &QScrollBar::sliderReleased, this, [this] {
    RunGridHandler([&] { ScrollBarDrop(verticalScrollBar()->sliderPosition()); });
    RunGridHandler([&] { UpdateScrollBar(); });
  });
  SetOptions(kDefaultDBGridOptions);
}

TCustomDBGrid::~TCustomDBGrid() {
  // Leave the data source while the grid is whole; its notices are not acted on now.
  destroying_ = true;
  datalink_->SetDataSource(nullptr);
}

void TCustomDBGrid::SetDataSource(TDataSource* source) {
  if (source == DataSource()) return;
  HideEditor();
  datalink_->SetModified(false);
  kept_widths_.clear();  // another dataset's columns
  datalink_->SetDataSource(source);
  InternalLayout();
}

void TCustomDBGrid::SetOptions(TDBGridOptions value) {
  options_ = value;
  TGridOptions grid = goFixedVertLine | goFixedHorzLine;
  if (value & dgColLines) grid |= goVertLine;
  if (value & dgRowLines) grid |= goHorzLine;
  if (value & dgColumnResize) grid |= goColSizing | goColMoving;
  if (value & dgTabs) grid |= goTabs;
  if (value & dgRowSelect) grid |= goRowSelect;
  if (value & dgEditing) grid |= goEditing;
  if (value & dgAlwaysShowEditor) grid |= goAlwaysShowEditor;
  SetGridOptions(grid);
  InternalLayout();
}

void TCustomDBGrid::SetReadOnly(bool value) {
  read_only_ = value;
  InvalidateGrid();
}

void TCustomDBGrid::SetTitleFont(const QFont& font) {
  title_font_ = font;
  InternalLayout();
}

int TCustomDBGrid::SelectedIndex() const {
  if (columns_.Count() == 0) return -1;
  return std::clamp(Col() - IndicatorOffset(), 0, columns_.Count() - 1);
}

void TCustomDBGrid::SetSelectedIndex(int index) {
  if (columns_.Count() == 0) return;
  index = std::clamp(index, 0, columns_.Count() - 1);
  if (index == SelectedIndex() && Col() == index + IndicatorOffset()) return;
  CloseEditor();
  MoveCurrent(index + IndicatorOffset(), Row());
  if (options_ & dgAlwaysShowEditor) ShowEditor();
}

TColumn* TCustomDBGrid::SelectedColumn() const {
  const int index = SelectedIndex();
  return index < 0 ? nullptr : &columns_[index];
}

TField* TCustomDBGrid::SelectedField() const {
  TColumn* column = SelectedColumn();
  return column ? column->Field() : nullptr;
}

TDataSet* TCustomDBGrid::ActiveDataSet() const {
  return datalink_->Active() ? datalink_->DataSet() : nullptr;
}

// --- Shape ---

void TCustomDBGrid::InternalLayout() {
  if (destroying_) return;
  HideEditor();
  datalink_->SetModified(false);
  RememberColumnWidths();
  selection_.Clear();
  // Default columns hold field pointers only from here to the next layout change.
  columns_.Clear();
  blob_text_.Clear();
  if (!ActiveDataSet()) sort_mark_ = {};
  const bool titles = options_ & dgTitles;
  if (TDataSet* dataset = ActiveDataSet()) {
    for (int i = 0; i < dataset->FieldCount(); ++i) {
      TField* field = dataset->Fields()[i];
      if (!field->Visible()) continue;
      TColumn& column = columns_.Add(field);
      column.SetWidth(
          DefaultColumnWidth(*field, column.Title().Caption(), font(), title_font_, titles));
    }
  }
  const int indicator = IndicatorOffset();
  SetColCount(indicator + std::max(1, columns_.Count()));
  SetFixedCols(indicator);
  if (indicator) SetColWidth(0, kIndicatorWidth);
  for (int i = 0; i < columns_.Count(); ++i) SetColWidth(i + indicator, columns_[i].Width());
  if (columns_.Count() == 0) SetColWidth(indicator, DefaultColWidth());
  SetFixedRowHeight(QFontMetrics(title_font_).height() + 4);
  SetDefaultRowHeight(QFontMetrics(font()).height() + 4);
  SetRowCount(TitleOffset() + 1);
  SetFixedRows(TitleOffset());
  UpdateBufferCount();
  FitNewColumns();
  SyncWithLink();
}

void TCustomDBGrid::UpdateBufferCount() {
  if (destroying_) return;
  // The dataset's window becomes the rows that fit; it may read rows to fill it.
  datalink_->SetBufferCount(VisibleRowCount());
}

void TCustomDBGrid::SyncWithLink() {
  const int titles = TitleOffset();
  const int records = datalink_->Active() ? datalink_->RecordCount() : 0;
  SetRowCount(titles + std::max(1, records));
  SetFixedRows(titles);
  const int active = records > 0 ? std::clamp(datalink_->ActiveRecord(), 0, records - 1) : 0;
  MoveCurrent(std::max(Col(), IndicatorOffset()), titles + active);
  UpdateScrollBar();
  InvalidateGrid();
}

void TCustomDBGrid::UpdateScrollBar() {
  QScrollBar* bar = verticalScrollBar();
  const QSignalBlocker block(bar);
  TDataSet* dataset = ActiveDataSet();
  if (!dataset) {
    bar->setRange(0, 0);
    return;
  }
  if (dataset->IsSequenced()) {
    bar->setRange(1, std::max(1, dataset->RecordCount()));
    bar->setPageStep(VisibleRowCount());
    if (dataset->State() != dsInsert) bar->setValue(dataset->RecNo());
  } else {
    bar->setRange(0, 4);
    bar->setPageStep(0);
    bar->setValue(dataset->Bof() ? 0 : dataset->Eof() ? 4 : 2);
  }
}

void TCustomDBGrid::ScrollAction(int action) {
  TDataSet* dataset = ActiveDataSet();
  if (!dataset) return;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      dataset->MoveBy(-datalink_->ActiveRecord() - 1);
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      dataset->MoveBy(datalink_->RecordCount() - datalink_->ActiveRecord());
      break;
    case QAbstractSlider::SliderPageStepSub:
      dataset->MoveBy(-VisibleRowCount());
      break;
    case QAbstractSlider::SliderPageStepAdd:
      dataset->MoveBy(VisibleRowCount());
      break;
    case QAbstractSlider::SliderToMinimum:
      dataset->First();
      break;
    case QAbstractSlider::SliderToMaximum:
      dataset->Last();
      break;
    default:
      return;  // dragging the thumb acts when it is dropped
  }
  AfterKeyMove();
}

void TCustomDBGrid::ScrollBarDrop(int position) {
  TDataSet* dataset = ActiveDataSet();
  if (!dataset) return;
  if (dataset->IsSequenced()) {
    if (position <= 1)
      dataset->First();
    else if (position >= dataset->RecordCount())
      dataset->Last();
    else
      dataset->SetRecNo(position);
  } else {
    switch (position) {
      case 0:
        dataset->First();
        break;
      case 1:
        dataset->MoveBy(-VisibleRowCount());
        break;
      case 3:
        dataset->MoveBy(VisibleRowCount());
        break;
      case 4:
        dataset->Last();
        break;
      default:
        return;
    }
  }
  AfterKeyMove();
}

// --- Link notices ---

void TCustomDBGrid::LinkActive(bool active) {
  if (destroying_) return;
  if (!active) HideEditor();
  InternalLayout();
}

void TCustomDBGrid::LayoutChanged() {
  if (!destroying_) InternalLayout();
}

void TCustomDBGrid::DataChanged() {
  if (destroying_) return;
  SyncWithLink();
  // A changed row or window: the editor shows the field again.
  datalink_->SetModified(false);
  ReloadEditor();
}

void TCustomDBGrid::EditingChanged() {
  if (destroying_) return;
  UpdateScrollBar();
  InvalidateGrid();
}

void TCustomDBGrid::RecordChanged(TField* field) {
  if (destroying_) return;
  InvalidateGrid();
  if (!EditorMode()) return;
  if (!field) {
    if (!datalink_->Modified()) ReloadEditor();
  } else if (field == SelectedField()) {
    datalink_->SetModified(false);
    ReloadEditor();
  }
}

void TCustomDBGrid::FocusField(TField** field) {
  if (destroying_ || !field) return;
  const int index = columns_.IndexOfField(*field);
  if (index < 0) return;
  HideEditor();
  MoveCurrent(index + IndicatorOffset(), Row());
  setFocus(Qt::OtherFocusReason);
  *field = nullptr;  // this control took the focus
}

void TCustomDBGrid::WriteEditText() {
  if (!datalink_->Modified()) return;
  TField* field = SelectedField();
  TInplaceEdit* editor = InplaceEditor();
  if (field && editor) field->SetText(FromQt(editor->text()));
  datalink_->SetModified(false);
  ReloadEditor();  // the field's own form of what was typed
}

void TCustomDBGrid::UpdateData() {
  datalink_->UpdateRecord();
}

// --- Editing ---

bool TCustomDBGrid::CanEditShow() const {
  // No editor opens on a cell that takes no text: it would swallow keys until Esc.
  return (options_ & dgEditing) && !(options_ & dgRowSelect) && datalink_->Active() &&
         SelectedColumn() && CellTakesText() && TCustomGrid::CanEditShow();
}

bool TCustomDBGrid::CellTakesText() const {
  if (read_only_ || !datalink_->Active() || datalink_->ReadOnly()) return false;
  TColumn* column = SelectedColumn();
  if (!column || column->ReadOnly() || !column->Field()) return false;
  const TField* field = column->Field();
  return field->CanModify() && EditedAsText(field->DataType()) && field->DataType() != ftArray;
}

bool TCustomDBGrid::CanEditModify() {
  if (!CellTakesText()) return false;
  datalink_->Edit();
  return datalink_->Editing();
}

TInplaceEdit* TCustomDBGrid::CreateEditor() {
  return new TDBGridInplaceEdit(this);
}

QString TCustomDBGrid::GetEditText(int col, int) {
  const int index = col - IndicatorOffset();
  if (!datalink_->Active() || index < 0 || index >= columns_.Count()) return {};
  TField* field = columns_[index].Field();
  if (!field) return {};
  try {
    return ToQt(field->Text());
  } catch (...) {
    return {};  // a value that cannot be read shows as an empty editor
  }
}

int TCustomDBGrid::GetEditLimit() {
  const TField* field = SelectedField();
  // A string field would cut a longer text silently: the editor stops at its size.
  return field && field->DataType() == ftString ? field->Size() : 0;
}

Qt::Alignment TCustomDBGrid::GetEditAlignment() {
  const TColumn* column = SelectedColumn();
  return QtAlignment(column ? column->Alignment() : taLeftJustify);
}

void TCustomDBGrid::EditorTextChanged() {
  datalink_->SetModified(true);
}

void TCustomDBGrid::CloseEditor() {
  datalink_->UpdateRecord();
  HideEditor();
}

void TCustomDBGrid::FocusLeft() {
  if (destroying_ || leaving_) return;
  leaving_ = true;
  try {
    TDataSet* dataset = ActiveDataSet();
    if (dataset && (options_ & dgCancelOnExit) && dataset->State() == dsInsert &&
        !dataset->Modified() && !datalink_->Modified())
      dataset->Cancel();
    else
      datalink_->UpdateRecord();
  } catch (...) {
    leaving_ = false;
    // The focus comes back to the text that failed; the error goes on to the caller.
    if (EditorMode() && InplaceEditor())
      InplaceEditor()->setFocus(Qt::OtherFocusReason);
    else
      setFocus(Qt::OtherFocusReason);
    throw;
  }
  leaving_ = false;
}

// --- Keys ---

void TCustomDBGrid::KeyDown(int& key, Qt::KeyboardModifiers shift) {
  if (OnKeyDown) OnKeyDown(key, shift);
  TDataSet* dataset = ActiveDataSet();
  if (key == 0 || !dataset) return;
  if (SelectionKey(key, shift)) return;
  const int last = columns_.Count() - 1;
  if (shift & Qt::ControlModifier) {
    switch (key) {
      case Qt::Key_Up:
      case Qt::Key_PageUp:
        MoveBy(-datalink_->ActiveRecord());
        break;
      case Qt::Key_Down:
      case Qt::Key_PageDown:
        MoveBy(datalink_->RecordCount() - datalink_->ActiveRecord() - 1);
        break;
      case Qt::Key_Home:
        dataset->First();
        AfterKeyMove();
        break;
      case Qt::Key_End:
        dataset->Last();
        AfterKeyMove();
        break;
      case Qt::Key_Left:
        SetSelectedIndex(0);
        break;
      case Qt::Key_Right:
        SetSelectedIndex(last);
        break;
      case Qt::Key_Delete:
        if (SelectedRowCount() > 0)
          DeleteSelectedRows();
        else
          DeleteRecord();
        break;
      case Qt::Key_C:
        CopyToClipboard();
        break;
      case Qt::Key_V:
        PasteFromClipboard();
        break;
      case Qt::Key_N:
        if (shift & Qt::ShiftModifier) SetCellNull();
        break;
      default:
        break;
    }
    return;
  }
  switch (key) {
    case Qt::Key_Tab:
      if (!(shift & Qt::AltModifier)) TabKey(shift & Qt::ShiftModifier);
      break;
    case Qt::Key_Escape:
      if (datalink_->Modified()) {
        datalink_->SetModified(false);
        ReloadEditor();
      } else {
        dataset->Cancel();
      }
      if (!(options_ & dgAlwaysShowEditor)) HideEditor();
      break;
    case Qt::Key_PageUp:
      MoveBy(-VisibleRowCount());
      break;
    case Qt::Key_PageDown:
      MoveBy(VisibleRowCount());
      break;
    case Qt::Key_End:
    case Qt::Key_Home:
      if (last == 0) {
        if (key == Qt::Key_End)
          dataset->Last();
        else
          dataset->First();
        AfterKeyMove();
      } else {
        SetSelectedIndex(key == Qt::Key_End ? last : 0);
      }
      break;
    case Qt::Key_Left:
      if (SelectedIndex() > 0) SetSelectedIndex(SelectedIndex() - 1);
      break;
    case Qt::Key_Right:
      if (SelectedIndex() < last) SetSelectedIndex(SelectedIndex() + 1);
      break;
    case Qt::Key_Up:
      PriorRow();
      break;
    case Qt::Key_Down:
      NextRow();
      break;
    case Qt::Key_Insert:
      if (dataset->CanModify() && !read_only_ && (options_ & dgEditing)) {
        dataset->Insert();
        AfterKeyMove();
      }
      break;
    case Qt::Key_F2:
      ShowEditor();
      break;
    default:
      break;
  }
}

void TCustomDBGrid::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(key);
  if (key == 0 || !datalink_->Active()) return;
  if (key == '\r') {
    if (EditorMode())
      CloseEditor();
    else
      ShowEditor();
    return;
  }
  if (!IsPrintable(key) && key != '\b') return;
  // Typing where nothing can be typed is refused with a sign, not ignored.
  if (!CellTakesText()) {
    GridHooks().Beep();
    return;
  }
  ShowEditor();
  if (EditorMode()) static_cast<TDBGridInplaceEdit*>(InplaceEditor())->TypeChar(key);
}

void TCustomDBGrid::KeyPressText(const QString& text) {
  if (!datalink_->Active()) return;
  if (!CellTakesText()) {
    GridHooks().Beep();
    return;
  }
  ShowEditor();
  if (EditorMode()) static_cast<TDBGridInplaceEdit*>(InplaceEditor())->TypeText(text);
}

void TCustomDBGrid::AfterKeyMove() {
  if (!(options_ & dgAlwaysShowEditor)) HideEditor();
}

void TCustomDBGrid::MoveBy(int distance) {
  if (distance != 0) datalink_->DataSet()->MoveBy(distance);
  AfterKeyMove();
}

void TCustomDBGrid::NextRow() {
  TDataSet* dataset = datalink_->DataSet();
  const bool untouched_insert =
      dataset->State() == dsInsert && !dataset->Modified() && !datalink_->Modified();
  if (untouched_insert) {
    if (dataset->Eof()) return;  // the new empty row at the end stays the only one
    dataset->Cancel();
  } else {
    dataset->MoveBy(1);
  }
  if (dataset->Eof() && dataset->CanModify() && !read_only_ && (options_ & dgEditing))
    dataset->Append();
  AfterKeyMove();
}

void TCustomDBGrid::PriorRow() {
  TDataSet* dataset = datalink_->DataSet();
  if (dataset->State() == dsInsert && !dataset->Modified() && !datalink_->Modified() &&
      dataset->Eof())
    dataset->Cancel();
  else
    dataset->MoveBy(-1);
  AfterKeyMove();
}

void TCustomDBGrid::TabKey(bool back) {
  const int last = columns_.Count() - 1;
  if (last < 0) return;
  const int index = SelectedIndex();
  if (!back && index < last) {
    SetSelectedIndex(index + 1);
  } else if (back && index > 0) {
    SetSelectedIndex(index - 1);
  } else {
    // Past the end of the row: the row moves post as they go.
    CloseEditor();
    if (back)
      PriorRow();
    else
      NextRow();
    SetSelectedIndex(back ? last : 0);
  }
}

void TCustomDBGrid::DeleteRecord() {
  TDataSet* dataset = datalink_->DataSet();
  if (read_only_ || dataset->IsEmpty() || !dataset->CanModify()) return;
  if ((options_ & dgConfirmDelete) && !GridHooks().Confirm(this, "Confirm", "Delete record?"))
    return;
  dataset->Delete();
  AfterKeyMove();
}

// --- Mouse ---

void TCustomDBGrid::ClickCell(int col, int row, Qt::MouseButton button) {
  TDataSet* dataset = ActiveDataSet();
  if ((button != Qt::LeftButton && button != Qt::RightButton) || !dataset) return;
  const int records = datalink_->RecordCount();
  const int data_row = row - TitleOffset();
  if (data_row >= std::max(1, records)) return;
  const bool left = button == Qt::LeftButton;
  if (left && (MouseModifiers() & Qt::ShiftModifier)) return ShiftClick(data_row);
  if (left && data_row != datalink_->ActiveRecord()) selection_.Clear();
  if (col == Col() && row == Row()) {
    if (left)
      ShowEditor();
    else
      ShowCellMenu();
    return;
  }
  CloseEditor();
  if (records > 0 && data_row != datalink_->ActiveRecord())
    dataset->MoveBy(data_row - datalink_->ActiveRecord());
  if (col >= IndicatorOffset()) SetSelectedIndex(col - IndicatorOffset());
  if (!left) ShowCellMenu();
}

void TCustomDBGrid::DblClick() {
  if (OnDblClick) OnDblClick();
}

void TCustomDBGrid::TitleClick(int col) {
  const int index = col - IndicatorOffset();
  if (OnTitleClick && index >= 0 && index < columns_.Count()) OnTitleClick(&columns_[index]);
}

void TCustomDBGrid::ColumnMoved(int from, int to) {
  columns_.Move(from - IndicatorOffset(), to - IndicatorOffset());
}

void TCustomDBGrid::ColWidthsChanged() {
  for (int i = 0; i < columns_.Count(); ++i) columns_[i].SetWidth(ColWidth(i + IndicatorOffset()));
}

void TCustomDBGrid::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps != 0 && ActiveDataSet()) RunGridHandler([&] { MoveBy(-steps); });
  event->accept();
}

// --- Drawing ---

QString TCustomDBGrid::CellText(TField* field, int data_row) const {
  datalink_->SetActiveRecord(data_row);
  try {
    if (field->IsBlob() && !field->IsNull()) return blob_text_.Text(*field);
    // An array's text is read from the server, which a long call holds meanwhile.
    if (field->DataType() == ftArray && LongCallRunning()) return QStringLiteral("…");
    return ToQt(field->DisplayText());
  } catch (...) {
    return {};  // painting never raises
  }
}

void TCustomDBGrid::paintEvent(QPaintEvent* event) {
  // Rows are read by pointing the link at each buffer of the window in turn; the
  // active record is restored afterwards. Nothing is fetched: only filled buffers.
  const bool active = datalink_->Active();
  paint_active_ = active ? datalink_->ActiveRecord() : -1;
  MarkSelectedRowsForPaint();
  fit_unseen_ = false;
  TCustomGrid::paintEvent(event);
  if (active) datalink_->SetActiveRecord(paint_active_);
  paint_active_ = -1;
}

void TCustomDBGrid::DrawCell(QPainter& painter, int col, int row, const QRect& rect,
                             TGridDrawState state) {
  const QPalette& colors = palette();
  const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
  const QRect text_rect = rect.adjusted(kCellTextMargin, 0, -kCellTextMargin, 0);
  const int index = col - IndicatorOffset();
  if (row < TitleOffset()) {
    if (index < 0 || index >= columns_.Count()) return;
    painter.setFont(title_font_);
    painter.setPen(colors.color(group, QPalette::ButtonText));
    const bool marked =
        !sort_mark_.field_name.empty() && columns_[index].FieldName() == sort_mark_.field_name;
    DrawCellText(painter,
                 marked ? DrawTitleSortMark(painter, text_rect, sort_mark_.descending) : text_rect,
                 Qt::AlignLeft, ToQt(columns_[index].Title().Caption()));
    return;
  }
  const int data_row = row - TitleOffset();
  const bool active = datalink_->Active() && paint_active_ >= 0;
  if (index < 0) {
    if (!active || data_row != paint_active_ || datalink_->RecordCount() == 0) return;
    const TDataSetState dataset_state = datalink_->DataSet()->State();
    const QPixmap image = Tinted(indicators_[dataset_state == dsEdit     ? iiEdit
                                             : dataset_state == dsInsert ? iiInsert
                                                                         : iiArrow],
                                 colors.color(group, QPalette::ButtonText));
    painter.drawPixmap(rect.right() + 1 - image.width(),
                       rect.top() + (rect.height() - image.height()) / 2, image);
    return;
  }
  if (!active || index >= columns_.Count() || data_row >= datalink_->RecordCount()) return;
  const bool focused = HasFocusWithin();
  const bool highlight =
      ((state & gdSelected) && (focused || (options_ & dgAlwaysShowSelection))) ||
      (data_row < static_cast<int>(paint_selected_.size()) && paint_selected_[data_row]);
  if (highlight) painter.fillRect(rect, colors.color(group, QPalette::Highlight));
  const TColumn& column = columns_[index];
  if (column.Field()) {
    painter.setFont(font());
    painter.setPen(colors.color(group, highlight ? QPalette::HighlightedText : QPalette::Text));
    const Qt::Alignment alignment = QtAlignment(column.Alignment());
    if (!DrawNullCell(painter, text_rect, alignment, column.Field(), data_row, highlight)) {
      QString text = CellText(column.Field(), data_row);
      if (ShownWhole(column.Field()->DataType()))
        text = WholeOrHashes(text, painter.fontMetrics(), text_rect.width());
      DrawCellText(painter, text_rect, alignment, text);
    }
  }
  if ((state & gdFocused) && focused) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect;
    option.backgroundColor = colors.color(QPalette::Highlight);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

// --- Widget events ---

void TCustomDBGrid::resizeEvent(QResizeEvent* event) {
  TCustomGrid::resizeEvent(event);
  RunGridHandler([&] {
    UpdateBufferCount();
    RefitUnseenColumns();
    SyncWithLink();
  });
}

void TCustomDBGrid::changeEvent(QEvent* event) {
  TCustomGrid::changeEvent(event);
  if (event->type() == QEvent::FontChange)
    RunGridHandler([&] {
      kept_widths_.clear();  // measured in the old font
      InternalLayout();
    });
  else if (event->type() == QEvent::EnabledChange)
    InvalidateGrid();
}
