// The rewrite of named parameter markers into the client's "?" markers.
#pragma once

#include <string>
#include <vector>

struct TProcessedSql {
  std::string text;                // the text to prepare, every marker made "?"
  std::vector<std::string> names;  // one name per marker, in order, as written
};

// Scans `sql` for ":name", ":"quoted name"" and "?" markers outside strings and block
// comments. Raises client error 55 for an unterminated comment or string, and for a
// marker without a name unless `generate_param_names` is set, which then names it
// "TavrelParam" followed by a counter from 0.
TProcessedSql PreprocessSql(const std::string& sql, bool generate_param_names);
