#include "data/script/console_text.h"

#include <cctype>

#include "data/core/text.h"
#include "data/dataset/params.h"

namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsWordChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '$' || u >= 0xC0;
}

// The position of `word` as a whole word in any case, or npos.
size_t FindWord(const std::string& line, const std::string& word) {
  if (word.empty() || line.size() < word.size()) return std::string::npos;
  for (size_t i = 0; i + word.size() <= line.size(); ++i) {
    bool same = true;
    for (size_t k = 0; k < word.size() && same; ++k) same = Lower(line[i + k]) == Lower(word[k]);
    if (!same) continue;
    const bool starts = i == 0 || !IsWordChar(line[i - 1]);
    const bool ends = i + word.size() == line.size() || !IsWordChar(line[i + word.size()]);
    if (starts && ends) return i;
  }
  return std::string::npos;
}

std::string UpperAsciiLetters(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// Text after the first blank, or the whole text when it has none.
std::string AfterFirstBlank(const std::string& text) {
  const size_t blank = text.find(' ');
  return blank == std::string::npos ? text : text.substr(blank + 1);
}

}  // namespace

std::string FirstLogicalLine(const std::string& text) {
  const size_t end = text.find_first_of("\r\n");
  return end == std::string::npos ? text : text.substr(0, end);
}

bool LooksLikeQuery(const std::string& line) {
  std::string lower(line.size(), '\0');
  for (size_t i = 0; i < line.size(); ++i) lower[i] = Lower(line[i]);
  return lower.find("select") != std::string::npos;
}

bool HasParameterMarkers(const std::string& line) {
  TParams params;
  ParseParamMarkers(line, &params);
  return params.Count() > 0;
}

bool ContainsWord(const std::string& line, const std::string& word) {
  return FindWord(line, word) != std::string::npos;
}

std::string FirstWord(const std::string& line) {
  size_t start = 0;
  while (start < line.size() && std::isspace(static_cast<unsigned char>(line[start]))) ++start;
  size_t end = start;
  while (end < line.size() && IsWordChar(line[end])) ++end;
  return UpperAsciiLetters(line.substr(start, end - start));
}

TQuickView ParseQuickView(const std::string& line) {
  TQuickView view;
  const size_t from = FindWord(line, "from");
  if (from == std::string::npos) return view;
  view.has_from = true;
  // The name starts one character after "from" (normally the blank).
  std::string rest = from + 5 <= line.size() ? line.substr(from + 5) : std::string();
  if (!rest.empty() && rest.front() == '"') {
    // A quoted name may hold blanks; a doubled quote inside stands for one.
    std::string name;
    size_t i = 1;
    for (; i < rest.size(); ++i) {
      if (rest[i] != '"') {
        name += rest[i];
      } else if (i + 1 < rest.size() && rest[i + 1] == '"') {
        name += '"';
        ++i;
      } else {
        break;
      }
    }
    const size_t end = i < rest.size() ? i + 1 : rest.size();
    view.shown_name = rest.substr(0, end);
    view.table_name = name;
    rest = rest.substr(end);
    if (!rest.empty() && rest.front() == ' ') {
      view.shown_name += ' ';
      view.condition = AfterFirstBlank(rest.substr(1));
    }
    return view;
  }
  const size_t blank = rest.find(' ');
  if (blank == std::string::npos) {
    view.shown_name = rest;
  } else {
    view.shown_name = rest.substr(0, blank + 1);
    view.condition = AfterFirstBlank(rest.substr(blank + 1));
  }
  view.table_name = UpperAsciiLetters(Trim(view.shown_name));
  return view;
}
