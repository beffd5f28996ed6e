#include "data/core/string_list.h"

#include <algorithm>
#include <stdexcept>

void TStringList::Changing() {
  if (update_count_ == 0 && OnChanging) OnChanging(*this);
}

void TStringList::Changed() {
  if (update_count_ == 0 && OnChange) OnChange(*this);
}

void TStringList::BeginUpdate() {
  if (update_count_ == 0) Changing();
  ++update_count_;
}

void TStringList::EndUpdate() {
  if (update_count_ == 0) return;
  if (--update_count_ == 0) Changed();
}

void TStringList::SetStrings(int index, const std::string& line) {
  if (index < 0 || index >= Count()) throw std::out_of_range("List index out of bounds");
  Changing();
  lines_[index] = line;
  Changed();
}

int TStringList::Add(const std::string& line) {
  Insert(Count(), line);
  return Count() - 1;
}

void TStringList::Insert(int index, const std::string& line) {
  if (index < 0 || index > Count()) throw std::out_of_range("List index out of bounds");
  Changing();
  lines_.insert(lines_.begin() + index, line);
  Changed();
}

void TStringList::Delete(int index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("List index out of bounds");
  Changing();
  lines_.erase(lines_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (lines_.empty()) return;
  Changing();
  lines_.clear();
  Changed();
}

void TStringList::Assign(const TStringList& other) {
  if (&other == this) return;
  Changing();
  lines_ = other.lines_;
  Changed();
}

int TStringList::IndexOf(const std::string& line) const {
  auto it = std::find(lines_.begin(), lines_.end(), line);
  return it == lines_.end() ? -1 : static_cast<int>(it - lines_.begin());
}

std::string TStringList::Text() const {
  std::string text;
  for (const auto& line : lines_) text += line + "\n";
  return text;
}

void TStringList::SetText(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  Changing();
  lines_ = std::move(lines);
  Changed();
}

std::string TStringList::Names(int index) const {
  const std::string& line = Strings(index);
  size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const {
  const std::string& line = Strings(index);
  size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

int TStringList::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    const std::string& line = lines_[i];
    size_t eq = line.find('=');
    if (eq != std::string::npos && line.compare(0, eq, name) == 0 && eq == name.size()) return i;
  }
  return -1;
}

std::string TStringList::Values(const std::string& name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}
