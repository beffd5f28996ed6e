#include "data/transaction/tpb.h"

#include <array>

#include "data/core/parameter_buffer.h"
#include "data/errors/errors.h"

namespace {

enum TTpbKind { tkFlag, tkValue, tkUnsupported };

struct TTpbName {
  const char* name;
  TTpbKind kind;
};

// Position + 1 is the parameter's code.
constexpr std::array<TTpbName, 20> kTpbNames = {{
    {"consistency", tkFlag},
    {"concurrency", tkFlag},
    {"shared", tkFlag},
    {"protected", tkFlag},
    {"exclusive", tkFlag},
    {"wait", tkFlag},
    {"nowait", tkFlag},
    {"read", tkFlag},
    {"write", tkFlag},
    {"lock_read", tkValue},
    {"lock_write", tkValue},
    {"verb_time", tkUnsupported},
    {"commit_time", tkUnsupported},
    {"ignore_limbo", tkFlag},
    {"read_committed", tkFlag},
    {"autocommit", tkUnsupported},
    {"rec_version", tkFlag},
    {"no_rec_version", tkFlag},
    {"restart_requests", tkUnsupported},
    {"no_auto_undo", tkUnsupported},
}};

}  // namespace

std::string BuildTpb(const TStringList& params) {
  if (params.Count() == 0) return std::string();
  std::string tpb(1, static_cast<char>(isc_tpb_version3));
  for (const std::string& line : params.Lines()) {
    if (IsBlankOnly(line)) continue;
    size_t eq = line.find('=');
    std::string written = eq == std::string::npos ? line : line.substr(0, eq);
    std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
    const std::string name = ParameterName(written, "isc_tpb_");
    int code = 0;
    for (int i = 0; i < 20; ++i)
      if (name == kTpbNames[i].name) code = i + 1;
    if (code == 0) RaiseClientError(ceTpbConstantUnknown, {written});
    switch (kTpbNames[code - 1].kind) {
      case tkFlag:
        tpb += static_cast<char>(code);
        break;
      case tkValue:
        AppendCountedValue(tpb, code, value, "TPB Constant (isc_tpb_" + name + ")");
        break;
      case tkUnsupported:
        RaiseClientError(ceTpbConstantUnsupported, {name});
    }
  }
  CheckBufferLength(tpb, "TPB");
  return tpb;
}
