#include "data/database/identifiers.h"

#include "data/core/text.h"

std::string UpperCaseName(const std::string& text) {
  std::string out = text;
  for (size_t i = 0; i < out.size(); ++i) {
    const unsigned char u = static_cast<unsigned char>(out[i]);
    if (u >= 'a' && u <= 'z') {
      out[i] = static_cast<char>(u - 0x20);
    } else if (u == 0xC3 && i + 1 < out.size()) {
      // UTF-8 of the accented small letters U+00E0 to U+00FE, less the division sign.
      const unsigned char next = static_cast<unsigned char>(out[i + 1]);
      if (next >= 0xA0 && next <= 0xBE && next != 0xB7) out[i + 1] = static_cast<char>(next - 0x20);
      ++i;
    }
  }
  return out;
}

std::string QuoteSqlIdentifier(int dialect, const std::string& name) {
  if (dialect == 1) return UpperCaseName(Trim(name));
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string NormalizeSqlIdentifier(int dialect, const std::string& name) {
  std::string trimmed = Trim(name);
  if (dialect == 1 || trimmed.empty() || trimmed[0] != '"') return UpperCaseName(trimmed);
  // Drop the enclosing quotes; a lone opening quote leaves nothing inside.
  std::string inside = trimmed.size() >= 2 ? trimmed.substr(1, trimmed.size() - 2) : "";
  std::string out;
  for (size_t i = 0; i < inside.size(); ++i) {
    out += inside[i];
    if (inside[i] == '"' && i + 1 < inside.size() && inside[i + 1] == '"') ++i;
  }
  return out;
}
