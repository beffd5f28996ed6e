#include "data/statement/sql_params.h"

#include <cstring>

#include "data/errors/errors.h"

namespace {

[[noreturn]] void RaiseParseError(TClientErrorCode detail) {
  RaiseClientError(ceSqlParseError, {ClientErrorMessage(detail)});
}

// The closing character of a q'x...x' literal opened with `open`.
char ClosingDelimiter(char open) {
  switch (open) {
    case '(':
      return ')';
    case '[':
      return ']';
    case '{':
      return '}';
    case '<':
      return '>';
    default:
      return open;
  }
}

// A quoted piece from `pos` (its opening quote) to the next lone `quote`; a doubled one
// stands for itself.
TSqlSkip SkipQuoted(const std::string& text, size_t pos, size_t length, char quote,
                    TSqlSkip::Kind kind) {
  for (size_t i = pos + 1; i < length; ++i) {
    if (text[i] != quote) continue;
    if (i + 1 < length && text[i + 1] == quote) {
      ++i;
      continue;
    }
    return {kind, i + 1, true};
  }
  return {kind, length, false};
}

}  // namespace

bool IsMarkerNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$';
}

TQuotedName ReadQuotedName(const std::string& text, size_t pos, size_t length) {
  const TSqlSkip skip = SkipQuoted(text, pos, length, '"', TSqlSkip::kLiteral);
  TQuotedName result{{}, skip.end, skip.closed};
  const size_t inside_end = skip.closed ? skip.end - 1 : skip.end;
  for (size_t i = pos + 1; i < inside_end; ++i) {
    result.name += text[i];
    if (text[i] == '"') ++i;  // the second of a doubled quote
  }
  return result;
}

TSqlSkip SkipLiteralOrComment(const std::string& text, size_t pos, size_t length) {
  const char c = text[pos];
  const char n = pos + 1 < length ? text[pos + 1] : '\0';
  if (c == '\'') return SkipQuoted(text, pos, length, '\'', TSqlSkip::kLiteral);
  if (c == '"') return SkipQuoted(text, pos, length, '"', TSqlSkip::kLiteral);
  // q'x...x': a token of its own, so not the end of a longer word.
  if ((c == 'q' || c == 'Q') && n == '\'' && pos + 2 < length &&
      (pos == 0 || !IsMarkerNameChar(text[pos - 1]))) {
    const char open = text[pos + 2];
    if (open != ' ' && open != '\t' && open != '\r' && open != '\n') {
      const char close = ClosingDelimiter(open);
      for (size_t i = pos + 3; i + 1 < length; ++i)
        if (text[i] == close && text[i + 1] == '\'') return {TSqlSkip::kLiteral, i + 2, true};
      return {TSqlSkip::kLiteral, length, false};
    }
  }
  if (c == '-' && n == '-') {
    size_t end = pos + 2;
    while (end < length && text[end] != '\n') ++end;
    return {TSqlSkip::kComment, end, true};
  }
  if (c == '/' && n == '*') {
    for (size_t i = pos + 2; i + 1 < length; ++i)
      if (text[i] == '*' && text[i + 1] == '/') return {TSqlSkip::kComment, i + 2, true};
    return {TSqlSkip::kComment, length, false};
  }
  return {};
}

TProcessedSql PreprocessSql(const std::string& sql, bool generate_param_names) {
  TProcessedSql result;
  // The client reads the text up to a NUL byte; what follows never reaches the server.
  const size_t length = strnlen(sql.data(), sql.size());
  result.text.reserve(length);
  int generated = 0;
  size_t i = 0;
  while (i < length) {
    const TSqlSkip skip = SkipLiteralOrComment(sql, i, length);
    if (skip.kind != TSqlSkip::kNone) {
      if (!skip.closed)
        RaiseParseError(skip.kind == TSqlSkip::kComment ? ceEofInComment : ceEofInString);
      result.text.append(sql, i, skip.end - i);
      i = skip.end;
      continue;
    }
    const char c = sql[i++];
    if (c != ':' && c != '?') {
      result.text += c;
      continue;
    }
    result.text += '?';
    if (i < length && sql[i] == '"') {
      // A quoted name holds any characters.
      TQuotedName quoted = ReadQuotedName(sql, i, length);
      if (!quoted.closed) RaiseParseError(ceParamNameExpected);
      result.names.push_back(std::move(quoted.name));
      i = quoted.end;
    } else if (i < length && IsMarkerNameChar(sql[i])) {
      const size_t start = i;
      while (i < length && IsMarkerNameChar(sql[i])) ++i;
      result.names.push_back(sql.substr(start, i - start));
    } else if (generate_param_names) {
      result.names.push_back("TavrelParam" + std::to_string(generated++));
    } else {
      RaiseParseError(ceParamNameExpected);
    }
  }
  return result;
}
