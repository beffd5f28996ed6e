#include "data/database/identifiers.h"

#include "data/core/text.h"

std::string UpperCaseLatin1(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    // a-z, and the accented small letters of ISO8859_1 except the division sign.
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
      c = static_cast<char>(u - 0x20);
  }
  return out;
}

std::string QuoteSqlIdentifier(int dialect, const std::string& name) {
  if (dialect == 1) return UpperCaseLatin1(Trim(name));
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string NormalizeSqlIdentifier(int dialect, const std::string& name) {
  std::string trimmed = Trim(name);
  if (dialect == 1 || trimmed.empty() || trimmed[0] != '"') return UpperCaseLatin1(trimmed);
  // Drop the enclosing quotes; a lone opening quote leaves nothing inside.
  std::string inside = trimmed.size() >= 2 ? trimmed.substr(1, trimmed.size() - 2) : "";
  std::string out;
  for (size_t i = 0; i < inside.size(); ++i) {
    out += inside[i];
    if (inside[i] == '"' && i + 1 < inside.size() && inside[i + 1] == '"') ++i;
  }
  return out;
}
