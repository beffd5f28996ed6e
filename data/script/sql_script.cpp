#include "data/script/sql_script.h"

#include <algorithm>
#include <cctype>

#include "data/statement/sql_params.h"

namespace {

bool IsBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The first offset from `i` that is neither blank nor inside a comment.
size_t SkipBlanksAndComments(const std::string& text, size_t i, size_t end) {
  while (i < end) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    const TSqlSkip skip = SkipLiteralOrComment(text, i, end);
    if (skip.kind != TSqlSkip::kComment) break;
    i = skip.end;
  }
  return std::min(i, end);
}

std::string Upper(std::string word) {
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return word;
}

// "set term X" in any case: true with the new terminator. isql takes the first word
// after TERM, whatever follows it on the line.
bool ReadSetTerm(const std::string& statement, std::string* terminator) {
  const std::vector<std::string> words = LeadingWords(statement, 3);
  if (words.size() < 2 || words[0] != "SET" || words[1] != "TERM") return false;
  // The terminator is taken as typed, not upper-cased.
  size_t at = SkipBlanksAndComments(statement, Upper(statement).find("TERM") + 4, statement.size());
  size_t end = at;
  while (end < statement.size() && !IsBlank(statement[end])) ++end;
  if (end == at) return false;
  *terminator = statement.substr(at, end - at);
  return true;
}

}  // namespace

int LineOfOffset(const std::string& text, size_t offset) {
  offset = std::min(offset, text.size());
  return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

std::vector<std::string> LeadingWords(const std::string& text, size_t most) {
  std::vector<std::string> words;
  size_t i = 0;
  while (words.size() < most) {
    i = SkipBlanksAndComments(text, i, text.size());
    if (i >= text.size()) break;
    const TSqlSkip skip = SkipLiteralOrComment(text, i, text.size());
    size_t end = i + 1;
    if (skip.kind == TSqlSkip::kLiteral) {
      words.push_back(text.substr(i, skip.end - i));
      i = skip.end;
      continue;
    }
    if (IsMarkerNameChar(text[i]))
      while (end < text.size() && IsMarkerNameChar(text[end])) ++end;
    words.push_back(Upper(text.substr(i, end - i)));
    i = end;
  }
  return words;
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
    if (text.compare(i, terminator.size(), terminator) == 0) {
      finish(i, i + terminator.size());
      i += terminator.size();
      continue;
    }
    const TSqlSkip skip = SkipLiteralOrComment(text, i, n);
    i = skip.kind == TSqlSkip::kNone ? i + 1 : skip.end;
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
