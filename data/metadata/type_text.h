// Types and names written as Firebird's own DDL writes them.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "data/metadata/catalogue.h"

struct TCharsetNames {
  bool loaded = false;
  std::map<int, std::string> charsets;
  std::map<std::pair<int, int>, std::string> collations;  // (character set, collation)
};

// "VARCHAR(20) CHARACTER SET UTF8 COLLATE UNICODE_CI", "NUMERIC(15, 2)", "INTEGER [1:5]".
std::string FieldTypeText(const TColumnType& type, const TCharsetNames& names);
// The type without its collation, and the collation's name alone ("" for the default),
// for DDL, where a column's collation is written after its default and NOT NULL.
std::string FieldTypeOnly(const TColumnType& type, const TCharsetNames& names);
std::string CollationName(const TColumnType& type, const TCharsetNames& names);

// A name as DDL must write it: bare when it is upper case letters, digits, "_" and "$"
// starting with a letter and no reserved word; in double quotes otherwise.
std::string DdlName(const std::string& name);
