// The console's statement splitting (Ctrl+Enter and scripts): any text gives statements
// in order, each a trimmed piece of the text at its offsets, on the line it names, and
// the statement under any cursor is one of them.
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "data/script/sql_script.h"
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<TScriptStatement> statements = SplitScript(text);
  size_t previous_stop = 0;
  for (const TScriptStatement& s : statements) {
    FUZZ_CHECK(previous_stop <= s.begin && s.begin < s.end && s.end <= s.stop);
    FUZZ_CHECK(s.stop <= text.size());
    FUZZ_CHECK(s.text == text.substr(s.begin, s.end - s.begin));
    FUZZ_CHECK(!std::isspace(static_cast<unsigned char>(s.text.front())));
    FUZZ_CHECK(!std::isspace(static_cast<unsigned char>(s.text.back())));
    FUZZ_CHECK(s.line == LineOfOffset(text, s.begin));
    previous_stop = s.stop;
  }
  TScriptStatement at;
  for (size_t cursor : {size_t{0}, text.size() / 2, text.size()}) {
    const bool found = StatementAt(text, cursor, &at);
    FUZZ_CHECK(found == !statements.empty());
    if (!found) continue;
    bool listed = false;
    for (const TScriptStatement& s : statements) listed = listed || s.begin == at.begin;
    FUZZ_CHECK(listed);
  }
  return 0;
}
