#include "data/statement/sql_params.h"

#include "data/errors/errors.h"

namespace {

enum TScanState { ssDefault, ssComment, ssQuote, ssParam };

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$';
}

[[noreturn]] void RaiseParseError(TClientErrorCode detail) {
  RaiseClientError(ceSqlParseError, {ClientErrorMessage(detail)});
}

}  // namespace

TProcessedSql PreprocessSql(const std::string& sql, bool generate_param_names) {
  TProcessedSql result;
  result.text.reserve(sql.size());
  const size_t length = sql.size();
  TScanState state = ssDefault;
  char quote = 0;
  bool quoted_name = false;
  std::string name;
  int generated = 0;
  auto record = [&](std::string recorded) {
    result.names.push_back(std::move(recorded));
    name.clear();
    quoted_name = false;
    state = ssDefault;
  };

  for (size_t i = 0; i < length; ++i) {
    const char c = sql[i];
    const char n = i + 1 < length ? sql[i + 1] : '\0';
    // A NUL byte inside the text counts as its end, as the client library sees it.
    const bool at_end = i + 1 >= length || n == '\0';
    switch (state) {
      case ssDefault:
        if (c == '"' || c == '\'') {
          quote = c;
          state = ssQuote;
        } else if (c == ':' || c == '?') {
          result.text += '?';
          state = ssParam;
        } else if (c == '/' && n == '*') {
          result.text += c;
          ++i;
          state = ssComment;
        }
        break;
      case ssComment:
        if (at_end)
          RaiseParseError(ceEofInComment);
        else if (c == '*' && n == '/')
          state = ssDefault;
        break;
      case ssQuote:
        if (at_end) {
          RaiseParseError(ceEofInString);
        } else if (c == quote) {
          if (n == quote) {
            result.text += c;
            ++i;
          } else {
            state = ssDefault;
          }
        }
        break;
      case ssParam:
        if (quoted_name) {
          if (c == '"') {
            record(name);
            ++i;
          } else {
            name += c;
          }
        } else if (c == '"') {
          quoted_name = true;
        } else if (IsNameChar(c)) {
          name += c;
          if (!IsNameChar(n)) {
            record(name);
            ++i;
          }
        } else if (generate_param_names) {
          record("TavrelParam" + std::to_string(generated++));
        } else {
          RaiseParseError(ceParamNameExpected);
        }
        break;
    }
    if (state != ssParam && i < length) result.text += sql[i];
  }
  // A marker still waiting for its name when the text ends has none.
  if (state == ssParam) {
    if (!generate_param_names || quoted_name) RaiseParseError(ceParamNameExpected);
    record("TavrelParam" + std::to_string(generated++));
  }
  return result;
}
