#include "workbench/console/sql_script.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The offset past the literal, quoted name or comment that starts at `i`, or `i` when
// none does. A line comment stops before its line break, so blank lines still count.
size_t SkipQuoted(const std::string& text, size_t i) {
  const size_t n = text.size();
  const char c = text[i];
  if (c == '\'' || c == '"') {
    for (size_t j = i + 1; j < n; ++j) {
      if (text[j] != c) continue;
      if (j + 1 < n && text[j + 1] == c) {
        ++j;  // a doubled quote stands for one
        continue;
      }
      return j + 1;
    }
    return n;
  }
  if (c == '-' && i + 1 < n && text[i + 1] == '-') {
    const size_t end = text.find('\n', i);
    return end == std::string::npos ? n : end;
  }
  if (c == '/' && i + 1 < n && text[i + 1] == '*') {
    const size_t end = text.find("*/", i + 2);
    return end == std::string::npos ? n : end + 2;
  }
  return i;
}

// The first offset from `i` that is neither blank nor inside a comment.
size_t SkipBlanksAndComments(const std::string& text, size_t i, size_t end) {
  while (i < end) {
    if (IsBlank(text[i])) {
      ++i;
    } else if (text[i] == '-' || text[i] == '/') {
      const size_t after = SkipQuoted(text, i);
      if (after == i) break;
      i = after;
    } else {
      break;
    }
  }
  return std::min(i, end);
}

// With a line break at `i`: true when only blanks stand before the next one, which
// `after` then follows.
bool BlankLineAt(const std::string& text, size_t i, size_t* after) {
  size_t j = i + 1;
  while (j < text.size() && text[j] != '\n' && IsBlank(text[j])) ++j;
  if (j >= text.size() || text[j] != '\n') return false;
  *after = j + 1;
  return true;
}

std::string Upper(std::string word) {
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return word;
}

// "set term X" in any case: true with the new terminator.
bool ReadSetTerm(const std::string& statement, std::string* terminator) {
  std::vector<std::string> words;
  std::string word;
  for (char c : statement + ' ') {
    if (!IsBlank(c)) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  if (words.size() != 3 || Upper(words[0]) != "SET" || Upper(words[1]) != "TERM") return false;
  *terminator = words[2];
  return true;
}

}  // namespace

int LineOfOffset(const std::string& text, size_t offset) {
  offset = std::min(offset, text.size());
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

std::vector<TScriptStatement> SplitScript(const std::string& text) {
  std::vector<TScriptStatement> statements;
  std::string terminator = ";";
  const size_t n = text.size();
  size_t start = 0;
  size_t counted = 0;  // lines are counted once, as the statements come
  int line = 1;
  auto finish = [&](size_t end, size_t stop) {
    const size_t begin = SkipBlanksAndComments(text, start, end);
    while (end > begin && IsBlank(text[end - 1])) --end;
    start = stop;
    if (begin >= end) return;
    std::string statement = text.substr(begin, end - begin);
    if (ReadSetTerm(statement, &terminator)) return;
    line += static_cast<int>(std::count(text.begin() + counted, text.begin() + begin, '\n'));
    counted = begin;
    statements.push_back({std::move(statement), begin, end, stop, line});
  };
  size_t i = 0;
  while (i < n) {
    const size_t skipped = SkipQuoted(text, i);
    if (skipped != i) {
      i = skipped;
    } else if (text.compare(i, terminator.size(), terminator) == 0) {
      finish(i, i + terminator.size());
      i += terminator.size();
    } else if (size_t after; terminator == ";" && text[i] == '\n' && BlankLineAt(text, i, &after)) {
      finish(i, after);
      i = after;
    } else {
      ++i;
    }
  }
  finish(n, n);
  return statements;
}

bool StatementAt(const std::string& text, size_t cursor, TScriptStatement* statement) {
  const std::vector<TScriptStatement> statements = SplitScript(text);
  if (statements.empty()) return false;
  for (const TScriptStatement& candidate : statements) {
    if (cursor <= candidate.stop) {
      *statement = candidate;
      return true;
    }
  }
  *statement = statements.back();  // past the last one: the last one
  return true;
}
