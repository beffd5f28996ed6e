// The query dataset's parameter parse: never a crash, one item per marker, and a text
// no longer than the input.
#include <cstdio>
#include <cstdlib>

#include "data/dataset/params.h"
#include "data/errors/errors.h"
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TParams params;
  try {
    std::string parsed = ParseParamMarkers(text, &params);
    FUZZ_CHECK(parsed.size() <= text.size());
    std::string again = ParseParamMarkers(text, nullptr);
    FUZZ_CHECK(again == parsed);
  } catch (const Exception&) {
  }
  return 0;
}
