// Ctrl+C and Ctrl+V in the grid (the cell editor keeps its own copy and paste): the
// current cell or the selected rows out as tab-separated text, one value or rows in.
#include "data/errors/errors.h"
#include "grid/db_grid.h"
#include "grid/grid_copy.h"
#include "grid/grid_hooks.h"

namespace {

// A value as copied: NULL is an empty field; a memo gives its text, not its type.
std::string CopiedText(const TField& field) {
  if (field.IsNull()) return {};
  if (field.DataType() == ftMemo || field.DataType() == ftFmtMemo) return field.AsString();
  return field.DisplayText();
}

// Runs `body` with the dataset's controls held back, sending them one notice after.
template <typename F>
void WithControlsDisabled(TDataSet& dataset, F&& body) {
  dataset.DisableControls();
  try {
    body();
  } catch (...) {
    dataset.EnableControls();
    throw;
  }
  dataset.EnableControls();
}

}  // namespace

void TCustomDBGrid::CopyToClipboard() {
  TDataSet* dataset = datalink_->DataSet();
  if (selection_.Empty()) {
    if (const TField* field = SelectedField()) GridHooks().SetClipboardText(CopiedText(*field));
    return;
  }
  TTextRow titles;
  for (int i = 0; i < columns_.Count(); ++i) titles.push_back(columns_[i].Title().Caption());
  std::vector<TTextRow> rows;
  CloseEditor();
  const TBookmark back = dataset->GetBookmark();
  WithControlsDisabled(*dataset, [&] {
    for (const TBookmark& mark : selection_.InRowOrder()) {
      dataset->GotoBookmark(mark);
      TTextRow& row = rows.emplace_back();
      for (int i = 0; i < columns_.Count(); ++i)
        row.push_back(columns_[i].Field() ? CopiedText(*columns_[i].Field()) : std::string());
    }
    if (!back.empty()) dataset->GotoBookmark(back);
  });
  GridHooks().SetClipboardText(TabSeparatedText(titles, rows));
}

void TCustomDBGrid::PasteFromClipboard() {
  std::vector<TTextRow> rows = ParseTabSeparated(GridHooks().ClipboardText());
  if (rows.empty()) return;
  if (rows.size() > 1 || rows[0].size() > 1) return PasteRows(std::move(rows));
  // One value goes into the current cell as if typed; the row is posted when left.
  if (!CanEditModify()) {
    GridHooks().Beep();
    return;
  }
  TField* field = SelectedField();
  if (rows[0][0].empty())
    field->Clear();
  else
    field->SetText(rows[0][0]);
}

void TCustomDBGrid::PasteRows(std::vector<TTextRow> rows) {
  TDataSet* dataset = datalink_->DataSet();
  if (read_only_ || datalink_->ReadOnly() || !dataset->CanModify() || !(options_ & dgEditing) ||
      columns_.Count() == 0) {
    GridHooks().Beep();
    return;
  }
  TTextRow titles;
  for (int i = 0; i < columns_.Count(); ++i) titles.push_back(columns_[i].Title().Caption());
  if (rows.front() == titles) rows.erase(rows.begin());  // copied with its header line
  const int first = SelectedIndex();
  const size_t room = static_cast<size_t>(columns_.Count() - first);
  // Refused before anything is written: values past the last column would be lost.
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].size() > room)
      throw EDatabaseError(Format(
          "A linha %d tem %d valores para %d colunas",
          {static_cast<int>(i + 1), static_cast<int>(rows[i].size()), static_cast<int>(room)}));
  CloseEditor();
  selection_.Clear();
  WithControlsDisabled(*dataset, [&] {
    for (size_t i = 0; i < rows.size(); ++i) {
      // The current row, then the following ones; past the last, new rows.
      if (dataset->State() != dsInsert) {
        if (i == 0 ? !dataset->IsEmpty() : dataset->MoveBy(1) != 0)
          dataset->Edit();
        else
          dataset->Append();
      }
      const bool inserting = dataset->State() == dsInsert;
      for (size_t j = 0; j < rows[i].size(); ++j) {
        const TColumn& column = columns_[first + static_cast<int>(j)];
        TField* field = column.Field();
        // Computed, read-only and blob columns keep their values.
        if (!field || column.ReadOnly() || !field->CanModify() || !EditedAsText(field->DataType()))
          continue;
        if (!rows[i][j].empty())
          field->SetText(rows[i][j]);
        else if (!inserting)  // a new row's empty column gets what the database gives it
          field->Clear();
      }
      dataset->Post();  // a refusal stops here: the rows before it stay posted
    }
  });
  AfterKeyMove();
}
