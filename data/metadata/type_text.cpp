#include "data/metadata/type_text.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

bool IsText(int type) {
  return type == 14 || type == 37 || type == 40;
}

std::string BaseType(const TColumnType& t) {
  const bool exact = t.type == 7 || t.type == 8 || t.type == 16;
  if ((exact && (t.sub_type == 1 || t.sub_type == 2 || t.scale < 0)) ||
      (t.type == 27 && t.scale < 0)) {
    const int precision = t.precision ? t.precision : t.type == 7 ? 4 : t.type == 8 ? 9 : 18;
    return std::string(t.sub_type == 2 ? "DECIMAL(" : "NUMERIC(") + std::to_string(precision) +
           ", " + std::to_string(-t.scale) + ")";
  }
  switch (t.type) {
    case 7:
      return "SMALLINT";
    case 8:
      return "INTEGER";
    case 16:
      return "BIGINT";
    case 9:
      return "QUAD";
    case 10:
      return "FLOAT";
    case 27:
      return "DOUBLE PRECISION";
    case 12:
      return "DATE";
    case 13:
      return "TIME";
    case 35:
      return "TIMESTAMP";
    case 23:
      return "BOOLEAN";
    case 261: {
      std::string text = "BLOB SUB_TYPE ";
      text += t.sub_type == 0 ? "BINARY" : t.sub_type == 1 ? "TEXT" : std::to_string(t.sub_type);
      if (t.segment_length > 0) text += " SEGMENT SIZE " + std::to_string(t.segment_length);
      return text;
    }
    default:
      break;
  }
  if (IsText(t.type)) {
    const int length = t.char_length >= 0 ? t.char_length : t.length;
    const char* word = t.type == 14 ? "CHAR(" : t.type == 37 ? "VARCHAR(" : "CSTRING(";
    return word + std::to_string(length) + ")";
  }
  return "UNKNOWN";
}

bool HasCharset(const TColumnType& t) {
  return t.charset_id >= 0 && (IsText(t.type) || (t.type == 261 && t.sub_type == 1));
}

}  // namespace

std::string FieldTypeOnly(const TColumnType& type, const TCharsetNames& names) {
  std::string text = BaseType(type);
  // Array bounds come between the type and its character set.
  if (!type.dimensions.empty()) {
    text += " [";
    for (size_t i = 0; i < type.dimensions.size(); ++i) {
      if (i) text += ", ";
      text += std::to_string(type.dimensions[i].first) + ":" +
              std::to_string(type.dimensions[i].second);
    }
    text += "]";
  }
  if (HasCharset(type)) {
    auto found = names.charsets.find(type.charset_id);
    if (found != names.charsets.end()) text += " CHARACTER SET " + found->second;
  }
  return text;
}

std::string CollationName(const TColumnType& type, const TCharsetNames& names) {
  if (!HasCharset(type) || type.collation_id == 0) return "";
  auto found = names.collations.find({type.charset_id, type.collation_id});
  return found == names.collations.end() ? "" : found->second;
}

std::string FieldTypeText(const TColumnType& type, const TCharsetNames& names) {
  const std::string collation = CollationName(type, names);
  return FieldTypeOnly(type, names) + (collation.empty() ? "" : " COLLATE " + collation);
}

std::string DdlName(const std::string& name) {
  // Firebird 3's reserved words; a name among them must be quoted.
  static constexpr std::string_view kReserved[] = {
      "ADD",        "ADMIN",   "ALL",      "ALTER",   "AND",       "ANY",        "AS",
      "AT",         "AVG",     "BEGIN",    "BETWEEN", "BIGINT",    "BIT_LENGTH", "BLOB",
      "BOOLEAN",    "BOTH",    "BY",       "CASE",    "CAST",      "CHAR",       "CHARACTER",
      "CHECK",      "CLOSE",   "COLLATE",  "COLUMN",  "COMMIT",    "CONNECT",    "CONSTRAINT",
      "COUNT",      "CREATE",  "CROSS",    "CURRENT", "CURSOR",    "DATE",       "DAY",
      "DEC",        "DECIMAL", "DECLARE",  "DEFAULT", "DELETE",    "DISTINCT",   "DOUBLE",
      "DROP",       "ELSE",    "END",      "ESCAPE",  "EXECUTE",   "EXISTS",     "EXTERNAL",
      "EXTRACT",    "FALSE",   "FETCH",    "FILTER",  "FLOAT",     "FOR",        "FOREIGN",
      "FROM",       "FULL",    "FUNCTION", "GRANT",   "GROUP",     "HAVING",     "HOUR",
      "IN",         "INDEX",   "INNER",    "INSERT",  "INT",       "INTEGER",    "INTO",
      "IS",         "JOIN",    "LEADING",  "LEFT",    "LIKE",      "MAX",        "MIN",
      "MINUTE",     "MONTH",   "NATURAL",  "NOT",     "NULL",      "NUMERIC",    "OF",
      "ON",         "OR",      "ORDER",    "OUTER",   "POSITION",  "PRIMARY",    "PROCEDURE",
      "REFERENCES", "RIGHT",   "ROWS",     "SECOND",  "SELECT",    "SET",        "SMALLINT",
      "SUM",        "TABLE",   "THEN",     "TIME",    "TIMESTAMP", "TO",         "TRIGGER",
      "TRUE",       "UNION",   "UNIQUE",   "UPDATE",  "USER",      "VALUE"};
  bool bare = !name.empty() && name[0] >= 'A' && name[0] <= 'Z';
  for (char c : name)
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$')) bare = false;
  if (bare && std::find(std::begin(kReserved), std::end(kReserved), name) == std::end(kReserved))
    return name;
  std::string quoted = "\"";
  for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}
