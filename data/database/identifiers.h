// Quoting and normalising SQL names by SQL dialect.
#pragma once

#include <string>

// Dialect 1: trimmed and upper-cased. Otherwise: enclosed in double quotes, inner
// double quotes doubled, untrimmed and with its case kept.
std::string QuoteSqlIdentifier(int dialect, const std::string& name);
// Trimmed; dialect 1 upper-cases; otherwise a quoted name loses its quotes (a doubled
// quote inside becomes one) and keeps its case, and an unquoted one is upper-cased.
std::string NormalizeSqlIdentifier(int dialect, const std::string& name);

// Upper case of a UTF-8 name: a to z and the accented letters of ISO8859_1; other
// characters stay as they are.
std::string UpperCaseName(const std::string& text);
