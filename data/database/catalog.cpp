#include "data/database/catalog.h"

#include <memory>

#include "data/database/database.h"
#include "data/database/identifiers.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"

namespace {

// A column's own default is kept in RDB$RELATION_FIELDS, a domain's in RDB$FIELDS; both
// count, or columns declared with DEFAULT would read as having none.
const char* kFieldsSql =
    "Select F.RDB$COMPUTED_BLR, coalesce(R.RDB$DEFAULT_VALUE, F.RDB$DEFAULT_VALUE), "
    "R.RDB$FIELD_NAME, R.RDB$IDENTITY_TYPE from RDB$RELATION_FIELDS R, RDB$FIELDS F where "
    "R.RDB$RELATION_NAME = :RELATION and R.RDB$FIELD_SOURCE = F.RDB$FIELD_NAME and ((not "
    "F.RDB$COMPUTED_BLR is NULL) or (not F.RDB$DEFAULT_VALUE is NULL) or (not "
    "R.RDB$DEFAULT_VALUE is NULL) or (not R.RDB$IDENTITY_TYPE is NULL))";

// The relation's active DML triggers; their types say when they fire.
const char* kTriggersSql =
    "Select RDB$TRIGGER_TYPE from RDB$TRIGGERS where RDB$RELATION_NAME = :RELATION and "
    "coalesce(RDB$TRIGGER_INACTIVE, 0) = 0 and RDB$TRIGGER_TYPE < 8192";

// A trigger type is odd for "before"; type + 1 holds up to three actions of two bits
// each from bit 1 on (1 insert, 2 update, 3 delete).
bool FiresBeforeInsert(long long type) {
  if (type <= 0 || type % 2 == 0) return false;
  for (int slot = 0; slot < 3; ++slot)
    if ((((type + 1) >> (1 + 2 * slot)) & 3) == 1) return true;
  return false;
}

const char* kTablesSql =
    "Select RDB$RELATION_NAME from RDB$RELATIONS  where RDB$VIEW_BLR is NULL ORDER BY "
    "RDB$RELATION_NAME";
const char* kUserTablesSql =
    "Select RDB$RELATION_NAME from RDB$RELATIONS  where RDB$VIEW_BLR is NULL and "
    "RDB$SYSTEM_FLAG = 0 ORDER BY RDB$RELATION_NAME";

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperCaseName(a) == UpperCaseName(b);
}

}  // namespace

void RunInInternalTransaction(TIBDatabase* database,
                              const std::function<void(TIBTransaction*)>& body) {
  TIBTransaction* transaction = database->InternalTransaction();
  const bool started = !transaction->InTransaction();
  if (started) transaction->StartTransaction();
  try {
    body(transaction);
  } catch (...) {
    try {
      if (started) transaction->Commit();
    } catch (const Exception&) {
      // The body's own failure is the one to report.
    }
    throw;
  }
  if (started) transaction->Commit();
}

TIBSchema::TIBSchema(TIBDatabase* database) : database_(database) {
  sql_ = std::make_unique<TIBSQL>();
  sql_->SetTransaction(database->InternalTransaction());
  sql_->SetDatabase(database);
  sql_->SQL().Add(kFieldsSql);
  triggers_sql_ = std::make_unique<TIBSQL>();
  triggers_sql_->SetTransaction(database->InternalTransaction());
  triggers_sql_->SetDatabase(database);
  triggers_sql_->SQL().Add(kTriggersSql);
}

TIBSchema::~TIBSchema() {
  FreeNodes();
  sql_.reset();
  triggers_sql_.reset();
}

void TIBSchema::FreeNodes() {
  relations_.clear();
}

void TIBSchema::Load(size_t relation_index) {
  RunInInternalTransaction(database_, [&](TIBTransaction*) {
    ++query_count_;
    TRelation& relation = relations_[relation_index];
    // Each statement is closed on every way out, so the next relation can run it again.
    struct TCloser {
      TIBSQL* sql;
      ~TCloser() {
        try {
          sql->Close();
        } catch (const Exception&) {
        }
      }
    };
    {
      sql_->ParamByName("RELATION").SetAsString(relation.name);
      sql_->ExecQuery();
      TCloser closer{sql_.get()};
      while (!sql_->Eof()) {
        TFieldNode node;
        node.FieldName = sql_->Fields(2).AsTrimString();
        node.HasComputedValue = !sql_->Fields(0).IsNull();
        node.HasDefaultValue = !sql_->Fields(1).IsNull();
        node.IsIdentity = !sql_->Fields(3).IsNull();
        relation.fields.push_back(node);
        sql_->Next();
      }
    }
    triggers_sql_->ParamByName("RELATION").SetAsString(relation.name);
    triggers_sql_->ExecQuery();
    TCloser closer{triggers_sql_.get()};
    while (!triggers_sql_->Eof()) {
      if (FiresBeforeInsert(triggers_sql_->Fields(0).AsInt64()))
        relation.before_insert_trigger = true;
      triggers_sql_->Next();
    }
  });
}

const TIBSchema::TRelation& TIBSchema::FindRelation(const std::string& relation) {
  for (const TRelation& known : relations_)
    if (SameText(known.name, relation)) return known;
  // The entry stays even when the query fails, so a failing relation is asked only once.
  relations_.push_back(TRelation{relation, {}});
  const size_t index = relations_.size() - 1;
  Load(index);
  return relations_[index];
}

const TFieldNode* TIBSchema::Find(const std::string& relation, const std::string& field) {
  for (const TFieldNode& node : FindRelation(relation).fields)
    if (SameText(node.FieldName, field)) return &node;
  return nullptr;
}

bool TIBSchema::FilledOnInsert(const std::string& relation, const std::string& field) {
  if (FindRelation(relation).before_insert_trigger) return true;
  const TFieldNode* node = Find(relation, field);
  return node && (node->HasDefaultValue || node->IsIdentity);
}

bool TIBSchema::HasComputedValue(const std::string& relation, const std::string& field) {
  const TFieldNode* node = Find(relation, field);
  return node && node->HasComputedValue;
}

bool TIBSchema::HasDefaultValue(const std::string& relation, const std::string& field) {
  const TFieldNode* node = Find(relation, field);
  return node && node->HasDefaultValue;
}

void TIBDatabase::FillTableNames(TStringList& list, bool system_tables) {
  if (IsLoading()) return;
  if (!Connected()) SetConnected(true);
  RunInInternalTransaction(this, [&](TIBTransaction* transaction) {
    TIBSQL sql(this);
    sql.SetGoToFirstRecordOnExecute(false);
    sql.SetDatabase(this);
    sql.SetTransaction(transaction);
    sql.SQL().Add(system_tables ? kTablesSql : kUserTablesSql);
    sql.Prepare();
    sql.ExecQuery();
    list.BeginUpdate();
    try {
      list.Clear();
      while (!sql.Eof() && sql.Next()) list.Add(sql.Fields(0).AsTrimString());
    } catch (...) {
      list.EndUpdate();
      throw;
    }
    list.EndUpdate();
  });
}

bool TIBDatabase::HasComputedValue(const std::string& relation, const std::string& field) {
  return schema_->HasComputedValue(relation, field);
}

bool TIBDatabase::HasDefaultValue(const std::string& relation, const std::string& field) {
  return schema_->HasDefaultValue(relation, field);
}

std::string TIBDatabase::DefaultCharSetName() {
  std::string name;
  RunInInternalTransaction(this, [&](TIBTransaction* transaction) {
    TIBSQL sql(this);
    sql.SetDatabase(this);
    sql.SetTransaction(transaction);
    sql.SQL().Add("Select RDB$CHARACTER_SET_NAME from RDB$DATABASE");
    sql.ExecQuery();
    if (!sql.Eof()) name = sql.Fields(0).AsTrimString();
    sql.Close();
  });
  return name.empty() ? "NONE" : name;
}

bool TIBDatabase::HasTextOutside(int set) {
  bool found = false;
  RunInInternalTransaction(this, [&](TIBTransaction* transaction) {
    TIBSQL sql(this);
    sql.SetDatabase(this);
    sql.SetTransaction(transaction);
    // Text columns (CHAR, VARCHAR, text blobs) of the user's tables and views whose set
    // is neither NONE, OCTETS, ASCII nor `set`.
    sql.SQL().Add(
        "select first 1 1 from RDB$RELATION_FIELDS RF join RDB$FIELDS F on "
        "F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE where coalesce(RF.RDB$SYSTEM_FLAG, 0) = 0 "
        "and (F.RDB$FIELD_TYPE in (14, 37) or (F.RDB$FIELD_TYPE = 261 and "
        "F.RDB$FIELD_SUB_TYPE = 1)) and coalesce(F.RDB$CHARACTER_SET_ID, 0) not in (0, 1, 2, " +
        std::to_string(set) + ")");
    sql.ExecQuery();
    found = !sql.Eof();
    sql.Close();
  });
  return found;
}

std::vector<std::pair<std::string, std::string>> TIBDatabase::TextColumnsOutside(
    const std::string& relation, int set) {
  std::vector<std::pair<std::string, std::string>> columns;
  RunInInternalTransaction(this, [&](TIBTransaction* transaction) {
    TIBSQL sql(this);
    sql.SetDatabase(this);
    sql.SetTransaction(transaction);
    sql.SetGoToFirstRecordOnExecute(false);
    sql.SQL().Add(
        "select RF.RDB$FIELD_NAME, CS.RDB$CHARACTER_SET_NAME from RDB$RELATION_FIELDS RF "
        "join RDB$FIELDS F on F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE join "
        "RDB$CHARACTER_SETS CS on CS.RDB$CHARACTER_SET_ID = F.RDB$CHARACTER_SET_ID where "
        "RF.RDB$RELATION_NAME = :R and (F.RDB$FIELD_TYPE in (14, 37) or "
        "(F.RDB$FIELD_TYPE = 261 and F.RDB$FIELD_SUB_TYPE = 1)) and "
        "F.RDB$CHARACTER_SET_ID not in (0, 1, 2, 4, " +
        std::to_string(set) + ") order by RF.RDB$FIELD_POSITION");
    sql.ParamByName("R").SetAsString(relation);
    sql.ExecQuery();
    while (!sql.Eof() && sql.Next())
      columns.emplace_back(sql.Fields(0).AsTrimString(), sql.Fields(1).AsTrimString());
    sql.Close();
  });
  return columns;
}

bool TIBDatabase::FilledOnInsert(const std::string& relation, const std::string& field) {
  return schema_->FilledOnInsert(relation, field);
}
