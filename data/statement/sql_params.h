// The rewrite of named parameter markers into the client's "?" markers, and the reading
// of the SQL text's pieces inside which no marker counts.
#pragma once

#include <string>
#include <vector>

struct TProcessedSql {
  std::string text;                // the text to prepare, every marker made "?"
  std::vector<std::string> names;  // one name per marker, in order, as written
};

// Scans `sql` (up to a NUL byte, as the client reads it) for ":name", ":"quoted name""
// (a doubled quote inside stands for one) and "?" markers outside literals, quoted
// identifiers and comments. Raises client error
// 55 for an unterminated comment or literal, and for a marker without a name unless
// `generate_param_names` is set, which then names it "TavrelParam" followed by a counter
// from 0.
TProcessedSql PreprocessSql(const std::string& sql, bool generate_param_names);

// A piece of SQL text that the engine reads whole: '...' and q'x...x' literals, "..."
// quoted identifiers (a doubled quote stays inside), -- comments to the end of the line
// and /* */ comments.
struct TSqlSkip {
  enum Kind { kNone, kLiteral, kComment };
  Kind kind = kNone;
  size_t end = 0;      // one past the piece, or the text's length when it is not closed
  bool closed = true;  // false when the text ends inside it
};

// The piece that starts at `pos` of `text[0, length)`; kind kNone when none does.
TSqlSkip SkipLiteralOrComment(const std::string& text, size_t pos, size_t length);

// A letter A-Z or a-z, a digit, "_" or "$": what an unquoted marker name is made of.
bool IsMarkerNameChar(char c);

// The quoted marker name whose opening quote is at `pos`, read as a quoted identifier is:
// a doubled quote inside stands for one.
struct TQuotedName {
  std::string name;
  size_t end = 0;  // one past the closing quote, or the text's length
  bool closed = true;
};
TQuotedName ReadQuotedName(const std::string& text, size_t pos, size_t length);
