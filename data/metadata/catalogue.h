// The database's objects as the system tables describe them: names by kind for the
// tree, and each object with what it is made of for the structure pages and the DDL.
// Everything is read in the connection's internal transaction.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TIBDatabase;

enum class TObjectKind {
  Table,
  View,
  Procedure,
  Trigger,
  Generator,
  Exception,
  Domain,
  Index,
  SystemTable,
};

// A column's, a domain's or a parameter's type, as RDB$FIELDS keeps it.
struct TColumnType {
  int type = 0;
  int sub_type = 0;
  int length = 0;
  int precision = 0;
  int scale = 0;
  int char_length = -1;  // -1: not given
  int charset_id = -1;   // -1: none
  int collation_id = 0;
  int segment_length = 0;
  std::string source;  // the RDB$FIELDS entry
  int dimension_count = 0;
  std::vector<std::pair<int64_t, int64_t>> dimensions;
  // As DDL writes them: the type with its character set, and the collation ("" for the
  // character set's default), which comes after a column's default and NOT NULL.
  std::string bare_text;
  std::string collation;
};

struct TColumnInfo {
  std::string name;
  int position = 0;
  std::string domain;  // empty for the engine's own RDB$n domains
  TColumnType field;
  std::string type_text;         // with size, scale, character set and collation
  bool not_null = false;         // the column's own NOT NULL
  bool domain_not_null = false;  // its domain's
  std::string default_source;    // "DEFAULT ...", as typed
  std::string computed_source;   // "(...)", as typed
  bool identity = false;
  int64_t identity_start = 0;
  std::string description;
};

struct TConstraintInfo {
  std::string name;
  std::string kind;  // PRIMARY KEY, UNIQUE, FOREIGN KEY, CHECK
  std::vector<std::string> columns;
  std::string index_name;
  bool descending_index = false;
  std::string referenced_table;
  std::vector<std::string> referenced_columns;
  std::string update_rule;
  std::string delete_rule;
  std::string check_source;  // "CHECK (...)"
};

struct TIndexInfo {
  std::string name;
  std::string relation;
  std::vector<std::string> columns;
  std::string expression_source;  // "(...)" of an expression index
  bool unique = false;
  bool descending = false;
  bool active = true;
  double statistics = 0;
  bool of_constraint = false;  // made by a key; the key's DDL makes it
};

struct TTriggerInfo {
  std::string name;
  std::string relation;  // empty for a database trigger
  int64_t type = 0;
  std::string type_text;  // "BEFORE INSERT OR UPDATE", "ON CONNECT"
  int position = 0;
  bool active = true;
  std::string source;
};

struct TRelationInfo {
  std::string name;
  bool view = false;
  bool system = false;
  std::string view_source;
  std::string description;
  std::vector<TColumnInfo> columns;
  std::vector<TConstraintInfo> constraints;
  std::vector<TIndexInfo> indices;
  std::vector<TTriggerInfo> triggers;
};

struct TParameterInfo {
  std::string name;
  bool output = false;
  std::string domain;
  bool type_of = false;  // TYPE OF domain
  TColumnType field;
  std::string type_text;
  bool not_null = false;
  std::string default_source;
};

struct TProcedureInfo {
  std::string name;
  std::vector<TParameterInfo> inputs;
  std::vector<TParameterInfo> outputs;
  std::string source;
  std::string description;
};

struct TGeneratorInfo {
  std::string name;
  int64_t value = 0;
  int64_t initial_value = 0;
  int increment = 1;
};

struct TExceptionInfo {
  std::string name;
  std::string message;
};

struct TDomainInfo {
  std::string name;
  TColumnType field;
  std::string type_text;
  bool not_null = false;
  std::string default_source;
  std::string check_source;
  std::string description;
};

// The names of one kind, sorted by name. Indices and triggers of the system are left out.
std::vector<std::string> ListObjectNames(TIBDatabase* database, TObjectKind kind);

// The user views in the order they were made, so that each follows those it reads.
std::vector<std::string> ListViewsInCreationOrder(TIBDatabase* database);

TRelationInfo ReadRelation(TIBDatabase* database, const std::string& name);
TProcedureInfo ReadProcedure(TIBDatabase* database, const std::string& name);
TTriggerInfo ReadTrigger(TIBDatabase* database, const std::string& name);
TGeneratorInfo ReadGenerator(TIBDatabase* database, const std::string& name);
TExceptionInfo ReadException(TIBDatabase* database, const std::string& name);
TDomainInfo ReadDomain(TIBDatabase* database, const std::string& name);
TIndexInfo ReadIndex(TIBDatabase* database, const std::string& name);

// The database's default character set ("NONE" when it has none) and SQL dialect.
std::string DefaultCharacterSet(TIBDatabase* database);
