// Cutting SQL text into statements as isql reads a script: for the console's statement
// under the cursor, its scripts and `tavrel --run`. Plain text functions, tested alone.
#pragma once

#include <string>
#include <vector>

// One statement of the text, without its terminator.
struct TScriptStatement {
  std::string text;  // from its first word to its last character, comments inside kept
  size_t begin = 0;  // offset of its first word in the text
  size_t end = 0;    // offset just past its last character
  size_t stop = 0;   // offset just past its terminator (or the end of the text)
  int line = 1;      // line of its first word, from 1
};

// The statements in order. Each ends only at the terminator (";" until a "set term"
// changes it) outside literals (q'x...x' too), comments and quoted names; a blank line
// never ends one. "set term" statements are read, never returned; empty ones neither.
std::vector<TScriptStatement> SplitScript(const std::string& text);

// The statement the cursor stands in or just after; false when the text has none.
bool StatementAt(const std::string& text, size_t cursor, TScriptStatement* statement);

// The line (from 1) of an offset in the text.
int LineOfOffset(const std::string& text, size_t offset);

// The text's words in order, upper-cased, comments and blanks skipped; a literal or a
// quoted name counts as one word, kept as written. At most `most` words.
std::vector<std::string> LeadingWords(const std::string& text, size_t most);
