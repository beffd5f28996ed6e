// Rows as tab-separated text, as spreadsheets and other grids copy and paste them: one
// line per row, fields split by tabs. Plain C++, no Qt.
#pragma once

#include <string>
#include <vector>

using TTextRow = std::vector<std::string>;

// A value as one field of a line: tabs and line breaks inside it become spaces, so that
// the text always splits back into the same rows and fields.
std::string TabSeparatedField(const std::string& value);

// The header line and then each row, every line ended by "\n".
std::string TabSeparatedText(const TTextRow& header, const std::vector<TTextRow>& rows);

// The lines of `text` (ended by "\n" or "\r\n"; a final line break ends the last line
// rather than starting an empty one), each split at its tabs.
std::vector<TTextRow> ParseTabSeparated(const std::string& text);
