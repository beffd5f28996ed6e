#include "data/metadata/catalogue.h"

#include <functional>
#include <map>

#include "data/database/catalog.h"
#include "data/database/database.h"
#include "data/errors/errors.h"
#include "data/metadata/type_text.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"

namespace {

// The type columns of RDB$FIELDS, aliased F; with them the reader fills a TColumnType.
const char kTypeColumns[] =
    "F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, F.RDB$FIELD_LENGTH, F.RDB$FIELD_PRECISION, "
    "F.RDB$FIELD_SCALE, F.RDB$CHARACTER_LENGTH, F.RDB$CHARACTER_SET_ID, F.RDB$COLLATION_ID, "
    "F.RDB$SEGMENT_LENGTH, F.RDB$DIMENSIONS, F.RDB$FIELD_NAME";
constexpr int kTypeColumnCount = 11;

int IntOr(TIBXSQLVAR& value, int otherwise) {
  return value.IsNull() ? otherwise : static_cast<int>(value.AsInt64());
}

// One reading of the system tables, in the internal transaction of its connection.
class TReader {
 public:
  TReader(TIBDatabase* database, TIBTransaction* transaction)
      : database_(database), transaction_(transaction) {}

  // Runs `sql`, where :NAME (if present) takes `name`, and hands each row to `row`.
  void Rows(const std::string& sql, const std::string& name,
            const std::function<void(TIBSQL&)>& row) {
    TIBSQL query;
    query.SetDatabase(database_);
    query.SetTransaction(transaction_);
    query.SQL().Add(sql);
    if (sql.find(":NAME") != std::string::npos) query.ParamByName("NAME").SetAsString(name);
    query.ExecQuery();
    while (!query.Eof()) {
      row(query);
      query.Next();
    }
    query.Close();
  }

  // The type from the kTypeColumns starting at `first`, with its array bounds.
  TColumnType Type(TIBSQL& q, int first) {
    TColumnType type;
    type.type = IntOr(q.Fields(first), 0);
    type.sub_type = IntOr(q.Fields(first + 1), 0);
    type.length = IntOr(q.Fields(first + 2), 0);
    type.precision = IntOr(q.Fields(first + 3), 0);
    type.scale = IntOr(q.Fields(first + 4), 0);
    type.char_length = IntOr(q.Fields(first + 5), -1);
    type.charset_id = IntOr(q.Fields(first + 6), -1);
    type.collation_id = IntOr(q.Fields(first + 7), 0);
    type.segment_length = IntOr(q.Fields(first + 8), 0);
    type.dimension_count = IntOr(q.Fields(first + 9), 0);
    type.source = q.Fields(first + 10).AsTrimString();
    return type;
  }
  // Array bounds are asked after the row's query has ended.
  void FillDimensions(TColumnType& type) {
    if (type.dimension_count == 0) return;
    Rows(
        "select RDB$LOWER_BOUND, RDB$UPPER_BOUND from RDB$FIELD_DIMENSIONS where "
        "RDB$FIELD_NAME = :NAME order by RDB$DIMENSION",
        type.source, [&](TIBSQL& q) {
          type.dimensions.emplace_back(q.Fields(0).AsInt64(), q.Fields(1).AsInt64());
        });
  }
  std::string TypeText(TColumnType& type) {
    LoadCharsets();
    type.bare_text = FieldTypeOnly(type, names_);
    type.collation = CollationName(type, names_);
    return FieldTypeText(type, names_);
  }

  TIBDatabase* database_;
  TIBTransaction* transaction_;

 private:
  void LoadCharsets() {
    if (names_.loaded) return;
    names_.loaded = true;
    Rows("select RDB$CHARACTER_SET_ID, RDB$CHARACTER_SET_NAME from RDB$CHARACTER_SETS", "",
         [&](TIBSQL& q) { names_.charsets[IntOr(q.Fields(0), 0)] = q.Fields(1).AsTrimString(); });
    Rows("select RDB$CHARACTER_SET_ID, RDB$COLLATION_ID, RDB$COLLATION_NAME from RDB$COLLATIONS",
         "", [&](TIBSQL& q) {
           names_.collations[{IntOr(q.Fields(0), 0), IntOr(q.Fields(1), 0)}] =
               q.Fields(2).AsTrimString();
         });
  }

  TCharsetNames names_;
};

template <typename Result>
Result Read(TIBDatabase* database, const std::function<void(TReader&, Result&)>& body) {
  Result result;
  RunInInternalTransaction(database, [&](TIBTransaction* transaction) {
    TReader reader(database, transaction);
    body(reader, result);
  });
  return result;
}

std::string Trimmed(TIBXSQLVAR& value) {
  return value.IsNull() ? std::string() : value.AsTrimString();
}
std::string Text(TIBXSQLVAR& value) {
  return value.IsNull() ? std::string() : value.AsString();
}

// Default and check sources keep what was typed; only the ends are trimmed.
std::string Source(TIBXSQLVAR& value) {
  std::string text = Text(value);
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool EngineDomain(const std::string& name) {
  return name.rfind("RDB$", 0) == 0;
}

std::string RuleText(const std::string& rule) {
  return rule.empty() ? "RESTRICT" : rule;
}

// DML types: odd fires before; type + 1 holds up to three actions of two bits each from
// bit 1 on (1 insert, 2 update, 3 delete). Database triggers count from 8192.
std::string TriggerTypeText(int64_t type) {
  static const char* const kDatabase[] = {"ON CONNECT", "ON DISCONNECT", "ON TRANSACTION START",
                                          "ON TRANSACTION COMMIT", "ON TRANSACTION ROLLBACK"};
  if (type >= 8192 && type < 8192 + 5) return kDatabase[type - 8192];
  if (type >= 8192) return "ON DDL";
  std::string text = type % 2 ? "BEFORE" : "AFTER";
  static const char* const kActions[] = {"", "INSERT", "UPDATE", "DELETE"};
  const char* separator = " ";
  for (int slot = 0; slot < 3; ++slot) {
    const int action = static_cast<int>(((type + 1) >> (1 + 2 * slot)) & 3);
    if (action == 0) continue;
    text += separator;
    text += kActions[action];
    separator = " OR ";
  }
  return text;
}

const char kIndexSql[] =
    "select I.RDB$INDEX_NAME, I.RDB$RELATION_NAME, I.RDB$UNIQUE_FLAG, I.RDB$INDEX_TYPE, "
    "I.RDB$INDEX_INACTIVE, I.RDB$STATISTICS, I.RDB$EXPRESSION_SOURCE, "
    "(select count(*) from RDB$RELATION_CONSTRAINTS C where C.RDB$INDEX_NAME = "
    "I.RDB$INDEX_NAME) from RDB$INDICES I ";

void ReadIndices(TReader& reader, const std::string& where, const std::string& name,
                 std::vector<TIndexInfo>& indices) {
  reader.Rows(std::string(kIndexSql) + where + " order by I.RDB$INDEX_NAME", name, [&](TIBSQL& q) {
    TIndexInfo index;
    index.name = Trimmed(q.Fields(0));
    index.relation = Trimmed(q.Fields(1));
    index.unique = IntOr(q.Fields(2), 0) == 1;
    index.descending = IntOr(q.Fields(3), 0) == 1;
    index.active = IntOr(q.Fields(4), 0) == 0;
    index.statistics = q.Fields(5).IsNull() ? 0 : q.Fields(5).AsDouble();
    index.expression_source = Source(q.Fields(6));
    index.of_constraint = q.Fields(7).AsInt64() > 0;
    indices.push_back(index);
  });
  for (TIndexInfo& index : indices)
    reader.Rows(
        "select RDB$FIELD_NAME from RDB$INDEX_SEGMENTS where RDB$INDEX_NAME = :NAME order by "
        "RDB$FIELD_POSITION",
        index.name, [&](TIBSQL& q) { index.columns.push_back(Trimmed(q.Fields(0))); });
}

const char kTriggerSql[] =
    "select RDB$TRIGGER_NAME, RDB$RELATION_NAME, RDB$TRIGGER_TYPE, RDB$TRIGGER_SEQUENCE, "
    "RDB$TRIGGER_INACTIVE, RDB$TRIGGER_SOURCE from RDB$TRIGGERS ";

void ReadTriggers(TReader& reader, const std::string& where, const std::string& name,
                  std::vector<TTriggerInfo>& triggers) {
  reader.Rows(std::string(kTriggerSql) + where +
                  " order by RDB$TRIGGER_TYPE, RDB$TRIGGER_SEQUENCE, RDB$TRIGGER_NAME",
              name, [&](TIBSQL& q) {
                TTriggerInfo trigger;
                trigger.name = Trimmed(q.Fields(0));
                trigger.relation = Trimmed(q.Fields(1));
                trigger.type = q.Fields(2).AsInt64();
                trigger.type_text = TriggerTypeText(trigger.type);
                trigger.position = IntOr(q.Fields(3), 0);
                trigger.active = IntOr(q.Fields(4), 0) == 0;
                trigger.source = Source(q.Fields(5));
                triggers.push_back(trigger);
              });
}

void ReadConstraints(TReader& reader, TRelationInfo& relation) {
  reader.Rows(
      "select C.RDB$CONSTRAINT_NAME, C.RDB$CONSTRAINT_TYPE, C.RDB$INDEX_NAME, I.RDB$INDEX_TYPE, "
      "R.RDB$UPDATE_RULE, R.RDB$DELETE_RULE, P.RDB$RELATION_NAME, I.RDB$FOREIGN_KEY from "
      "RDB$RELATION_CONSTRAINTS C left join RDB$INDICES I on I.RDB$INDEX_NAME = "
      "C.RDB$INDEX_NAME left join RDB$REF_CONSTRAINTS R on R.RDB$CONSTRAINT_NAME = "
      "C.RDB$CONSTRAINT_NAME left join RDB$INDICES P on P.RDB$INDEX_NAME = I.RDB$FOREIGN_KEY "
      "where C.RDB$RELATION_NAME = :NAME and C.RDB$CONSTRAINT_TYPE in ('PRIMARY KEY', 'UNIQUE', "
      "'FOREIGN KEY', 'CHECK') order by position(trim(C.RDB$CONSTRAINT_TYPE) in 'PRIMARY KEY "
      "UNIQUE "
      "FOREIGN KEY CHECK'), C.RDB$CONSTRAINT_NAME",
      relation.name, [&](TIBSQL& q) {
        TConstraintInfo key;
        key.name = Trimmed(q.Fields(0));
        key.kind = Trimmed(q.Fields(1));
        key.index_name = Trimmed(q.Fields(2));
        key.descending_index = IntOr(q.Fields(3), 0) == 1;
        if (key.kind == "FOREIGN KEY") {
          key.update_rule = RuleText(Trimmed(q.Fields(4)));
          key.delete_rule = RuleText(Trimmed(q.Fields(5)));
          key.referenced_table = Trimmed(q.Fields(6));
          key.referenced_columns.push_back(Trimmed(q.Fields(7)));  // the index, for now
        }
        relation.constraints.push_back(key);
      });
  for (TConstraintInfo& key : relation.constraints) {
    const std::string segments =
        "select RDB$FIELD_NAME from RDB$INDEX_SEGMENTS where RDB$INDEX_NAME = :NAME order by "
        "RDB$FIELD_POSITION";
    if (key.kind == "CHECK") {
      // A check is kept as the source of the triggers that enforce it; the first one says it.
      reader.Rows(
          "select first 1 T.RDB$TRIGGER_SOURCE from RDB$CHECK_CONSTRAINTS K join RDB$TRIGGERS T "
          "on T.RDB$TRIGGER_NAME = K.RDB$TRIGGER_NAME where K.RDB$CONSTRAINT_NAME = :NAME order "
          "by T.RDB$TRIGGER_TYPE",
          key.name, [&](TIBSQL& q) { key.check_source = Source(q.Fields(0)); });
      continue;
    }
    reader.Rows(segments, key.index_name,
                [&](TIBSQL& q) { key.columns.push_back(Trimmed(q.Fields(0))); });
    if (key.kind == "FOREIGN KEY") {
      const std::string referenced_index = key.referenced_columns.front();
      key.referenced_columns.clear();
      reader.Rows(segments, referenced_index,
                  [&](TIBSQL& q) { key.referenced_columns.push_back(Trimmed(q.Fields(0))); });
    }
  }
}

}  // namespace

std::vector<std::string> ListObjectNames(TIBDatabase* database, TObjectKind kind) {
  const char* sql = "";
  switch (kind) {
    case TObjectKind::Table:
      sql =
          "select RDB$RELATION_NAME from RDB$RELATIONS where RDB$VIEW_BLR is null and "
          "coalesce(RDB$SYSTEM_FLAG, 0) = 0";
      break;
    case TObjectKind::View:
      sql =
          "select RDB$RELATION_NAME from RDB$RELATIONS where RDB$VIEW_BLR is not null and "
          "coalesce(RDB$SYSTEM_FLAG, 0) = 0";
      break;
    case TObjectKind::SystemTable:
      sql = "select RDB$RELATION_NAME from RDB$RELATIONS where coalesce(RDB$SYSTEM_FLAG, 0) <> 0";
      break;
    case TObjectKind::Procedure:
      sql =
          "select RDB$PROCEDURE_NAME from RDB$PROCEDURES where coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
          "and RDB$PACKAGE_NAME is null";
      break;
    case TObjectKind::Trigger:
      sql =
          "select RDB$TRIGGER_NAME from RDB$TRIGGERS where coalesce(RDB$SYSTEM_FLAG, 0) = 0 and "
          "not exists (select 1 from RDB$CHECK_CONSTRAINTS K where K.RDB$TRIGGER_NAME = "
          "RDB$TRIGGERS.RDB$TRIGGER_NAME)";
      break;
    case TObjectKind::Generator:
      sql = "select RDB$GENERATOR_NAME from RDB$GENERATORS where coalesce(RDB$SYSTEM_FLAG, 0) = 0";
      break;
    case TObjectKind::Exception:
      sql = "select RDB$EXCEPTION_NAME from RDB$EXCEPTIONS where coalesce(RDB$SYSTEM_FLAG, 0) = 0";
      break;
    case TObjectKind::Domain:
      sql =
          "select RDB$FIELD_NAME from RDB$FIELDS where coalesce(RDB$SYSTEM_FLAG, 0) = 0 and "
          "RDB$FIELD_NAME not starting with 'RDB$'";
      break;
    case TObjectKind::Index:
      sql = "select RDB$INDEX_NAME from RDB$INDICES where coalesce(RDB$SYSTEM_FLAG, 0) = 0";
      break;
  }
  return Read<std::vector<std::string>>(database, [&](TReader& reader, auto& names) {
    reader.Rows(std::string(sql) + " order by 1", "",
                [&](TIBSQL& q) { names.push_back(Trimmed(q.Fields(0))); });
  });
}

std::vector<std::string> ListViewsInCreationOrder(TIBDatabase* database) {
  return Read<std::vector<std::string>>(database, [&](TReader& reader, auto& names) {
    reader.Rows(
        "select RDB$RELATION_NAME from RDB$RELATIONS where RDB$VIEW_BLR is not null and "
        "coalesce(RDB$SYSTEM_FLAG, 0) = 0 order by RDB$RELATION_ID",
        "", [&](TIBSQL& q) { names.push_back(Trimmed(q.Fields(0))); });
  });
}

TRelationInfo ReadRelation(TIBDatabase* database, const std::string& name) {
  return Read<TRelationInfo>(database, [&](TReader& reader, TRelationInfo& relation) {
    bool found = false;
    reader.Rows(
        "select RDB$RELATION_NAME, RDB$VIEW_SOURCE, RDB$VIEW_BLR, RDB$SYSTEM_FLAG, "
        "RDB$DESCRIPTION from RDB$RELATIONS where RDB$RELATION_NAME = :NAME",
        name, [&](TIBSQL& q) {
          found = true;
          relation.name = Trimmed(q.Fields(0));
          relation.view = !q.Fields(2).IsNull();
          relation.view_source = Source(q.Fields(1));
          relation.system = IntOr(q.Fields(3), 0) != 0;
          relation.description = Source(q.Fields(4));
        });
    if (!found) throw EDatabaseError("Objeto n\xE3o encontrado: " + name);
    reader.Rows(std::string("select ") + kTypeColumns +
                    ", R.RDB$FIELD_NAME, R.RDB$FIELD_POSITION, R.RDB$NULL_FLAG, "
                    "R.RDB$DEFAULT_SOURCE, F.RDB$COMPUTED_SOURCE, "
                    "R.RDB$IDENTITY_TYPE, (select G.RDB$INITIAL_VALUE from RDB$GENERATORS G "
                    "where G.RDB$GENERATOR_NAME = R.RDB$GENERATOR_NAME), R.RDB$DESCRIPTION, "
                    "R.RDB$COLLATION_ID, R.RDB$FIELD_SOURCE, F.RDB$NULL_FLAG from "
                    "RDB$RELATION_FIELDS R join "
                    "RDB$FIELDS F on F.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE where "
                    "R.RDB$RELATION_NAME = :NAME order by R.RDB$FIELD_POSITION",
                name, [&](TIBSQL& q) {
                  const int c = kTypeColumnCount;
                  TColumnInfo column;
                  column.field = reader.Type(q, 0);
                  column.name = Trimmed(q.Fields(c));
                  column.position = IntOr(q.Fields(c + 1), 0);
                  column.not_null = IntOr(q.Fields(c + 2), 0) == 1;
                  column.default_source = Source(q.Fields(c + 3));
                  column.computed_source = Source(q.Fields(c + 4));
                  column.identity = !q.Fields(c + 5).IsNull();
                  if (!q.Fields(c + 6).IsNull()) column.identity_start = q.Fields(c + 6).AsInt64();
                  column.description = Source(q.Fields(c + 7));
                  if (!q.Fields(c + 8).IsNull())
                    column.field.collation_id = IntOr(q.Fields(c + 8), 0);
                  const std::string source = Trimmed(q.Fields(c + 9));
                  if (!EngineDomain(source)) column.domain = source;
                  column.domain_not_null = IntOr(q.Fields(c + 10), 0) == 1;
                  relation.columns.push_back(column);
                });
    for (TColumnInfo& column : relation.columns) {
      reader.FillDimensions(column.field);
      column.type_text = reader.TypeText(column.field);
    }
    if (!relation.view) ReadConstraints(reader, relation);
    ReadIndices(reader, "where I.RDB$RELATION_NAME = :NAME", relation.name, relation.indices);
    ReadTriggers(reader,
                 "where RDB$RELATION_NAME = :NAME and coalesce(RDB$SYSTEM_FLAG, 0) = 0 and not "
                 "exists (select 1 from RDB$CHECK_CONSTRAINTS K where K.RDB$TRIGGER_NAME = "
                 "RDB$TRIGGERS.RDB$TRIGGER_NAME)",
                 relation.name, relation.triggers);
  });
}

TProcedureInfo ReadProcedure(TIBDatabase* database, const std::string& name) {
  return Read<TProcedureInfo>(database, [&](TReader& reader, TProcedureInfo& procedure) {
    bool found = false;
    reader.Rows(
        "select RDB$PROCEDURE_NAME, RDB$PROCEDURE_SOURCE, RDB$DESCRIPTION from RDB$PROCEDURES "
        "where RDB$PROCEDURE_NAME = :NAME and RDB$PACKAGE_NAME is null",
        name, [&](TIBSQL& q) {
          found = true;
          procedure.name = Trimmed(q.Fields(0));
          procedure.source = Source(q.Fields(1));
          procedure.description = Source(q.Fields(2));
        });
    if (!found) throw EDatabaseError("Objeto n\xE3o encontrado: " + name);
    std::vector<TParameterInfo> parameters;
    reader.Rows(std::string("select ") + kTypeColumns +
                    ", P.RDB$PARAMETER_NAME, P.RDB$PARAMETER_TYPE, coalesce(P.RDB$NULL_FLAG, 0), "
                    "P.RDB$DEFAULT_SOURCE, P.RDB$PARAMETER_MECHANISM, P.RDB$COLLATION_ID, "
                    "P.RDB$FIELD_SOURCE from RDB$PROCEDURE_PARAMETERS P join RDB$FIELDS F on "
                    "F.RDB$FIELD_NAME = P.RDB$FIELD_SOURCE where P.RDB$PROCEDURE_NAME = :NAME and "
                    "P.RDB$PACKAGE_NAME is null order by P.RDB$PARAMETER_TYPE, "
                    "P.RDB$PARAMETER_NUMBER",
                name, [&](TIBSQL& q) {
                  const int c = kTypeColumnCount;
                  TParameterInfo parameter;
                  parameter.field = reader.Type(q, 0);
                  parameter.name = Trimmed(q.Fields(c));
                  parameter.output = IntOr(q.Fields(c + 1), 0) == 1;
                  parameter.not_null = IntOr(q.Fields(c + 2), 0) == 1;
                  parameter.default_source = Source(q.Fields(c + 3));
                  parameter.type_of = IntOr(q.Fields(c + 4), 0) == 1;
                  if (!q.Fields(c + 5).IsNull())
                    parameter.field.collation_id = IntOr(q.Fields(c + 5), 0);
                  const std::string source = Trimmed(q.Fields(c + 6));
                  if (!EngineDomain(source)) parameter.domain = source;
                  parameters.push_back(parameter);
                });
    for (TParameterInfo& parameter : parameters) {
      reader.FillDimensions(parameter.field);
      parameter.type_text = reader.TypeText(parameter.field);
      (parameter.output ? procedure.outputs : procedure.inputs).push_back(parameter);
    }
  });
}

TTriggerInfo ReadTrigger(TIBDatabase* database, const std::string& name) {
  return Read<TTriggerInfo>(database, [&](TReader& reader, TTriggerInfo& trigger) {
    std::vector<TTriggerInfo> found;
    ReadTriggers(reader, "where RDB$TRIGGER_NAME = :NAME", name, found);
    if (found.empty()) throw EDatabaseError("Objeto n\xE3o encontrado: " + name);
    trigger = found.front();
  });
}

TGeneratorInfo ReadGenerator(TIBDatabase* database, const std::string& name) {
  return Read<TGeneratorInfo>(database, [&](TReader& reader, TGeneratorInfo& generator) {
    bool found = false;
    reader.Rows(
        "select RDB$GENERATOR_NAME, RDB$INITIAL_VALUE, RDB$GENERATOR_INCREMENT from "
        "RDB$GENERATORS where RDB$GENERATOR_NAME = :NAME",
        name, [&](TIBSQL& q) {
          found = true;
          generator.name = Trimmed(q.Fields(0));
          generator.initial_value = q.Fields(1).IsNull() ? 0 : q.Fields(1).AsInt64();
          generator.increment = IntOr(q.Fields(2), 1);
        });
    if (!found) throw EDatabaseError("Objeto n\xE3o encontrado: " + name);
    reader.Rows("select gen_id(" + DdlName(generator.name) + ", 0) from RDB$DATABASE", "",
                [&](TIBSQL& q) { generator.value = q.Fields(0).AsInt64(); });
  });
}

TExceptionInfo ReadException(TIBDatabase* database, const std::string& name) {
  return Read<TExceptionInfo>(database, [&](TReader& reader, TExceptionInfo& exception) {
    auto row = [&](TIBSQL& q) {
      exception.name = Trimmed(q.Fields(0));
      exception.message = Text(q.Fields(1));
    };
    // The message column has no character set: its bytes are read as the UTF-8 that
    // clients of today write, and as they are when they are not UTF-8.
    try {
      reader.Rows(
          "select RDB$EXCEPTION_NAME, cast(RDB$MESSAGE as varchar(1021) character set UTF8) "
          "from RDB$EXCEPTIONS where RDB$EXCEPTION_NAME = :NAME",
          name, row);
    } catch (const EIBError&) {
      reader.Rows(
          "select RDB$EXCEPTION_NAME, RDB$MESSAGE from RDB$EXCEPTIONS where "
          "RDB$EXCEPTION_NAME = :NAME",
          name, row);
    }
    if (exception.name.empty()) throw EDatabaseError("Objeto n\xE3o encontrado: " + name);
  });
}

TDomainInfo ReadDomain(TIBDatabase* database, const std::string& name) {
  return Read<TDomainInfo>(database, [&](TReader& reader, TDomainInfo& domain) {
    reader.Rows(std::string("select ") + kTypeColumns +
                    ", F.RDB$NULL_FLAG, F.RDB$DEFAULT_SOURCE, F.RDB$VALIDATION_SOURCE, "
                    "F.RDB$DESCRIPTION from RDB$FIELDS F where F.RDB$FIELD_NAME = :NAME",
                name, [&](TIBSQL& q) {
                  const int c = kTypeColumnCount;
                  domain.field = reader.Type(q, 0);
                  domain.name = Trimmed(q.Fields(10));
                  domain.not_null = IntOr(q.Fields(c), 0) == 1;
                  domain.default_source = Source(q.Fields(c + 1));
                  domain.check_source = Source(q.Fields(c + 2));
                  domain.description = Source(q.Fields(c + 3));
                });
    if (domain.name.empty()) throw EDatabaseError("Objeto n\xE3o encontrado: " + name);
    reader.FillDimensions(domain.field);
    domain.type_text = reader.TypeText(domain.field);
  });
}

TIndexInfo ReadIndex(TIBDatabase* database, const std::string& name) {
  return Read<TIndexInfo>(database, [&](TReader& reader, TIndexInfo& index) {
    std::vector<TIndexInfo> found;
    ReadIndices(reader, "where I.RDB$INDEX_NAME = :NAME", name, found);
    if (found.empty()) throw EDatabaseError("Objeto n\xE3o encontrado: " + name);
    index = found.front();
  });
}

std::string DefaultCharacterSet(TIBDatabase* database) {
  return Read<std::string>(database, [&](TReader& reader, std::string& name) {
    reader.Rows("select RDB$CHARACTER_SET_NAME from RDB$DATABASE", "",
                [&](TIBSQL& q) { name = Trimmed(q.Fields(0)); });
    if (name.empty()) name = "NONE";
  });
}
