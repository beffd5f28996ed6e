// The SQL console's first-line reading (F9 and F10): any text gives a first line that is
// a prefix without line breaks, and F10's name and condition are pieces of that line.
#include <cstdio>
#include <cstdlib>

#include "data/script/console_text.h"
#include "fuzz/fuzz_target.h"

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
  return tail.size() <= text.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string line = FirstLogicalLine(text);
  FUZZ_CHECK(text.compare(0, line.size(), line) == 0);
  FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
  FUZZ_CHECK(line.size() == text.size() || text[line.size()] == '\r' || text[line.size()] == '\n');

  // No colon, no marker.
  const bool markers = HasParameterMarkers(line);
  if (line.find(':') == std::string::npos) FUZZ_CHECK(!markers);
  LooksLikeQuery(line);

  const TQuickView view = ParseQuickView(line);
  FUZZ_CHECK(view.has_from == ContainsWord(line, "from"));
  if (!view.has_from) {
    FUZZ_CHECK(view.shown_name.empty() && view.table_name.empty() && view.condition.empty());
    return 0;
  }
  // The name as shown and the condition are taken from the line unchanged.
  FUZZ_CHECK(line.find(view.shown_name) != std::string::npos);
  FUZZ_CHECK(EndsWith(line, view.condition));
  FUZZ_CHECK(view.table_name.size() <= view.shown_name.size());
  if (view.shown_name.empty() || view.shown_name.front() != '"')
    for (char c : view.table_name) FUZZ_CHECK(c < 'a' || c > 'z');
  return 0;
}
