#include "workbench/pages/sort.h"

#include <cctype>
#include <map>
#include <vector>

#include "data/dataset/query.h"
#include "data/dataset/table.h"
#include "grid/db_grid.h"
#include "workbench/dialogs.h"

namespace {

// Rows looked through for the current row of a query that has no DB key.
constexpr int kRowSearchLimit = 10000;

struct TWord {
  std::string upper;
  size_t position;
};

// The words outside literals, quoted names, comments and parentheses, upper-cased.
std::vector<TWord> TopLevelWords(const std::string& sql) {
  std::vector<TWord> words;
  int depth = 0;
  size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      const size_t end = sql.find(c, i + 1);
      i = end == std::string::npos ? sql.size() : end + 1;  // '' and "" are two in a row
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      const size_t end = sql.find('\n', i);
      i = end == std::string::npos ? sql.size() : end + 1;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      const size_t end = sql.find("*/", i + 2);
      i = end == std::string::npos ? sql.size() : end + 2;
    } else if (c == '(') {
      ++depth;
      ++i;
    } else if (c == ')') {
      --depth;
      ++i;
    } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$') {
      const size_t start = i;
      std::string word;
      while (i < sql.size() &&
             (std::isalnum(static_cast<unsigned char>(sql[i])) || sql[i] == '_' || sql[i] == '$'))
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i++])));
      if (depth == 0) words.push_back({word, start});
    } else {
      ++i;
    }
  }
  return words;
}

// What a query's text was before the program ordered it, and what it ordered it into.
struct TQueryOrder {
  std::string original;
  std::string ordered;
};
std::map<const TIBQuery*, TQueryOrder>& QueryOrders() {
  static std::map<const TIBQuery*, TQueryOrder> orders;
  return orders;
}

// The row's values, to find it again in a select without DB keys.
std::vector<std::string> RowValues(TDataSet& dataset) {
  std::vector<std::string> values;
  for (int i = 0; i < dataset.FieldCount(); ++i) {
    TField* field = dataset.Fields()[i];
    if (field->IsBlob()) continue;
    values.push_back(field->IsNull() ? std::string("\x01NULL") : field->AsString());
  }
  return values;
}

void ReturnToRow(TDataSet& dataset, const TBookmark& bookmark,
                 const std::vector<std::string>& values) {
  if (!bookmark.empty() && dataset.BookmarkValid(bookmark)) {
    dataset.GotoBookmark(bookmark);
    return;
  }
  if (values.empty()) return;
  dataset.DisableControls();
  try {
    int rows = 0;
    for (dataset.First(); !dataset.Eof() && rows < kRowSearchLimit; dataset.Next(), ++rows)
      if (RowValues(dataset) == values) break;
    if (dataset.Eof() || rows == kRowSearchLimit) dataset.First();  // gone, or too far
  } catch (...) {
    dataset.EnableControls();
    throw;
  }
  dataset.EnableControls();
}

void SortQuery(TIBQuery& query, int position, bool descending) {
  TQueryOrder& order = QueryOrders()[&query];
  const std::string text = query.SQL().Text();
  if (text != order.ordered) order.original = text;  // a new statement since the last sort
  const TBookmark bookmark = query.GetBookmark();
  const std::vector<std::string> values = RowValues(query);
  // The marker values the console bound survive the new text.
  TParams params;
  for (int i = 0; i < query.ParamCount(); ++i) params.Add(query.Params()[i].Name());
  params.AssignValues(query.Params());
  const std::string before = text;
  auto reopen = [&](const std::string& sql) {
    query.Close();
    query.SQL().Clear();
    query.SQL().Add(sql);
    query.SetParams(params);
    query.Open();
  };
  try {
    reopen(OrderedSelect(order.original, position, descending));
  } catch (...) {
    try {
      reopen(before);
    } catch (...) {
      // The sort's own failure is the one to show.
    }
    throw;
  }
  order.ordered = query.SQL().Text();
  ReturnToRow(query, bookmark, values);
}

}  // namespace

std::string OrderedSelect(const std::string& sql, int position, bool descending) {
  std::string text = sql;
  while (!text.empty() &&
         (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == ';'))
    text.pop_back();
  const std::vector<TWord> words = TopLevelWords(text);
  size_t from = 0;  // the clauses after the last FROM belong to the whole select
  for (const TWord& word : words)
    if (word.upper == "FROM" || word.upper == "UNION") from = word.position;
  size_t order_at = std::string::npos, tail_at = std::string::npos;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i].position < from) continue;
    const std::string& w = words[i].upper;
    if (w == "ORDER" && i + 1 < words.size() && words[i + 1].upper == "BY") {
      order_at = words[i].position;
      tail_at = std::string::npos;
    } else if (tail_at == std::string::npos &&
               (w == "ROWS" || w == "OFFSET" || w == "FETCH" ||
                (w == "FOR" && i + 1 < words.size() && words[i + 1].upper == "UPDATE") ||
                (w == "WITH" && i + 1 < words.size() && words[i + 1].upper == "LOCK"))) {
      tail_at = words[i].position;
    }
  }
  const std::string clause = "order by " + std::to_string(position) + (descending ? " desc" : "");
  const std::string tail = tail_at == std::string::npos ? "" : "\n" + text.substr(tail_at);
  const size_t cut = order_at != std::string::npos  ? order_at
                     : tail_at != std::string::npos ? tail_at
                                                    : text.size();
  // A line of its own, so that a line comment before it cannot swallow it.
  return text.substr(0, cut) + (cut > 0 && order_at == std::string::npos ? "\n" : "") + clause +
         tail;
}

void SortByColumn(TDBGrid& grid, TColumn& column) {
  TDataSet* dataset = grid.DataSource() ? grid.DataSource()->DataSet() : nullptr;
  TField* field = column.Field();
  // The server sorts no blobs; columns without a plain type are left as they are.
  if (!dataset || !dataset->Active() || !field || field->IsBlob() || field->DataType() == ftUnknown)
    return;
  const TTitleSortMark& mark = grid.SortMark();
  const bool descending = mark.field_name == field->FieldName() && !mark.descending;
  const std::string name = field->FieldName();
  const int position = field->FieldNo();
  if (dataset->State() == dsEdit || dataset->State() == dsInsert) {
    dataset->UpdateRecord();
    dataset->CheckBrowseMode();  // a failed post raises here, with the order as it was
  }
  if (auto* table = dynamic_cast<TIBTable*>(dataset)) {
    const std::string before = table->IndexFieldNames();
    try {
      // The table returns to the same row by its DB key.
      table->SetIndexFieldNames(descending ? name + " DESC" : name);
    } catch (...) {
      try {
        table->SetIndexFieldNames(before);
        if (!table->Active()) table->Open();
      } catch (...) {
        // The sort's own failure is the one to show.
      }
      throw;
    }
  } else if (auto* query = dynamic_cast<TIBQuery*>(dataset)) {
    SortQuery(*query, position, descending);
  } else {
    return;
  }
  grid.SetSortMark({name, descending});
}

void InstallTitleSort(TDBGrid& grid) {
  grid.OnTitleClick = [&grid](TColumn* column) {
    RunHandler([&] { SortByColumn(grid, *column); });
  };
}
