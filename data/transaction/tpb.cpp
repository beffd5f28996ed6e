#include "data/transaction/tpb.h"

#include <array>

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

bool IsBlankOnly(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

}  // namespace

std::string BuildTpb(const TStringList& params) {
  if (params.Count() == 0) return std::string();
  std::string tpb(1, static_cast<char>(isc_tpb_version3));
  for (const std::string& line : params.Lines()) {
    if (IsBlankOnly(line)) continue;
    size_t eq = line.find('=');
    std::string written = eq == std::string::npos ? line : line.substr(0, eq);
    std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
    std::string name = written;
    for (char& c : name)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (name.rfind("isc_tpb_", 0) == 0) name.erase(0, 8);
    int code = 0;
    for (int i = 0; i < 20; ++i)
      if (name == kTpbNames[i].name) code = i + 1;
    if (code == 0) RaiseClientError(ceTpbConstantUnknown, {written});
    switch (kTpbNames[code - 1].kind) {
      case tkFlag:
        tpb += static_cast<char>(code);
        break;
      case tkValue:
        // One length byte: a longer value would be cut short on the wire.
        if (value.size() > 255)
          RaiseClientError(ceWrappedException, {"The value of TPB Constant (isc_tpb_" + name +
                                                ") is longer than 255 bytes"});
        tpb += static_cast<char>(code);
        tpb += static_cast<char>(value.size());
        tpb += value;
        break;
      case tkUnsupported:
        RaiseClientError(ceTpbConstantUnsupported, {name});
    }
  }
  return tpb;
}
