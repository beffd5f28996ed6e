// The DPB and TPB builders over any parameter lines: a buffer the client library can
// take (version byte first, at most 32767 bytes) or an exception, never a crash.
#include <cstdio>
#include <cstdlib>

#include "data/core/string_list.h"
#include "data/database/dpb.h"
#include "data/errors/errors.h"
#include "data/transaction/tpb.h"
#include "fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TStringList params;
  params.SetText(std::string(reinterpret_cast<const char*>(data), size));
  try {
    std::string dpb = BuildDpb(params);
    FUZZ_CHECK(dpb.size() <= 32767);
    FUZZ_CHECK(dpb.empty() || static_cast<unsigned char>(dpb[0]) == isc_dpb_version1);
  } catch (const Exception&) {
  }
  try {
    std::string tpb = BuildTpb(params);
    FUZZ_CHECK(tpb.size() <= 32767);
    FUZZ_CHECK(tpb.empty() || static_cast<unsigned char>(tpb[0]) == isc_tpb_version3);
  } catch (const Exception&) {
  }
  return 0;
}
