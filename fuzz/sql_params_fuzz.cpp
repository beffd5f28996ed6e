// The statement's marker rewrite: any text either raises client error 55 or gives a
// text no longer than the input.
#include <cstdio>
#include <cstdlib>

#include "data/errors/errors.h"
#include "data/statement/sql_params.h"
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool generate = data[0] & 1;
  const std::string sql(reinterpret_cast<const char*>(data) + 1, size - 1);
  try {
    TProcessedSql processed = PreprocessSql(sql, generate);
    // Each marker becomes one "?", so the text never grows by more than the markers.
    FUZZ_CHECK(processed.text.size() <= sql.size());
    // Names are never empty but for the quoted empty name :"" (kept as written).
  } catch (const EIBClientError& e) {
    FUZZ_CHECK(e.SqlErrorCode() == ceSqlParseError);
  }
  return 0;
}
