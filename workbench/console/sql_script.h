// Cutting the console's text into statements: for the statement under the cursor and
// for a whole script. Plain text functions with no Qt, tested on their own.
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

// The statements in order. They end at the terminator (";" until a "set term" changes
// it) outside literals, comments and quoted names, and while the terminator is ";" also
// at a blank line. "set term" lines are read, never returned; empty statements neither.
std::vector<TScriptStatement> SplitScript(const std::string& text);

// The statement the cursor stands in or just after; false when the text has none.
bool StatementAt(const std::string& text, size_t cursor, TScriptStatement* statement);

// The line (from 1) of an offset in the text.
int LineOfOffset(const std::string& text, size_t offset);
