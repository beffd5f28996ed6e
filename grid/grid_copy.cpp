#include "grid/grid_copy.h"

std::string TabSeparatedField(const std::string& value) {
  std::string field = value;
  for (char& c : field)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return field;
}

std::string TabSeparatedText(const TTextRow& header, const std::vector<TTextRow>& rows) {
  std::string text;
  auto add = [&](const TTextRow& line) {
    for (size_t i = 0; i < line.size(); ++i) {
      if (i > 0) text += '\t';
      text += TabSeparatedField(line[i]);
    }
    text += '\n';
  };
  add(header);
  for (const TTextRow& row : rows) add(row);
  return text;
}

std::vector<TTextRow> ParseTabSeparated(const std::string& text) {
  std::vector<TTextRow> rows;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    TTextRow row;
    size_t from = 0;
    for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
      row.push_back(line.substr(from, tab - from));
    row.push_back(line.substr(from));
    rows.push_back(std::move(row));
    start = end + 1;
  }
  return rows;
}
