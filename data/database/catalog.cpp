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
    "R.RDB$FIELD_NAME from RDB$RELATION_FIELDS R, RDB$FIELDS F where R.RDB$RELATION_NAME = "
    ":RELATION and R.RDB$FIELD_SOURCE = F.RDB$FIELD_NAME and ((not F.RDB$COMPUTED_BLR is NULL) "
    "or      (not F.RDB$DEFAULT_VALUE is NULL) or (not R.RDB$DEFAULT_VALUE is NULL)) ";

const char* kTablesSql =
    "Select RDB$RELATION_NAME from RDB$RELATIONS  where RDB$VIEW_BLR is NULL ORDER BY "
    "RDB$RELATION_NAME";
const char* kUserTablesSql =
    "Select RDB$RELATION_NAME from RDB$RELATIONS  where RDB$VIEW_BLR is NULL and "
    "RDB$SYSTEM_FLAG = 0 ORDER BY RDB$RELATION_NAME";

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperCaseLatin1(a) == UpperCaseLatin1(b);
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
}

TIBSchema::~TIBSchema() {
  FreeNodes();
  sql_.reset();
}

void TIBSchema::FreeNodes() {
  relations_.clear();
}

void TIBSchema::Load(size_t relation_index) {
  RunInInternalTransaction(database_, [&](TIBTransaction*) {
    ++query_count_;
    sql_->ParamByName("RELATION").SetAsString(relations_[relation_index].name);
    sql_->ExecQuery();
    // Closed on every way out, so the next relation can run the statement again.
    struct TCloser {
      TIBSQL* sql;
      ~TCloser() {
        try {
          sql->Close();
        } catch (const Exception&) {
        }
      }
    } closer{sql_.get()};
    while (!sql_->Eof()) {
      TFieldNode node;
      node.FieldName = sql_->Fields(2).AsTrimString();
      node.HasComputedValue = !sql_->Fields(0).IsNull();
      node.HasDefaultValue = !sql_->Fields(1).IsNull();
      relations_[relation_index].fields.push_back(node);
      sql_->Next();
    }
  });
}

const TFieldNode* TIBSchema::Find(const std::string& relation, const std::string& field) {
  for (const TRelation& known : relations_) {
    if (!SameText(known.name, relation)) continue;
    for (const TFieldNode& node : known.fields)
      if (SameText(node.FieldName, field)) return &node;
    return nullptr;
  }
  // The entry stays even when the query fails, so a failing relation is asked only once.
  relations_.push_back(TRelation{relation, {}});
  const size_t index = relations_.size() - 1;
  Load(index);
  for (const TFieldNode& node : relations_[index].fields)
    if (node.FieldName == field) return &node;
  return nullptr;
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
