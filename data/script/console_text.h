// Reading the SQL console's first line: what F9 runs and what F10 opens. Plain text
// functions with no Qt, so they can be tested and fuzzed on their own.
#pragma once

#include <string>

// The text up to the first line break: the first line as typed, whatever word wrap
// shows on screen.
std::string FirstLogicalLine(const std::string& text);

// F9 runs a line that contains "select" in any case as a query.
bool LooksLikeQuery(const std::string& line);

// True when the line holds a ":name" parameter marker outside quotes.
bool HasParameterMarkers(const std::string& line);

// The line's first word after any blanks, its ASCII letters upper-cased.
std::string FirstWord(const std::string& line);

// True when `word` (ASCII letters) stands in `line` as a whole word, in any case.
bool ContainsWord(const std::string& line, const std::string& word);

// F10's reading of "select ... from NAME [word condition]".
struct TQuickView {
  // False when the line has no "from" word: nothing is opened.
  bool has_from = false;
  // The name as the message shows it (as typed, with the blank that ended it).
  std::string shown_name;
  // The table name to open: a name in double quotes keeps its case without the
  // quotes; any other is trimmed and upper-cased (a to z).
  std::string table_name;
  // Everything after the word that follows the name, unchanged; empty when none.
  std::string condition;
};
TQuickView ParseQuickView(const std::string& line);
