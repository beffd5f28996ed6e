// Catalogue queries of a connection: the table-name listing and the schema cache.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TIBDatabase;
class TIBSQL;
class TIBTransaction;

// Runs `body` in the connection's internal transaction: started when it is not active,
// and then committed afterwards, also after a failure (whose error is the one raised).
void RunInInternalTransaction(TIBDatabase* database,
                              const std::function<void(TIBTransaction*)>& body);

// A column with a computed or a default value, or an identity column.
struct TFieldNode {
  std::string FieldName;
  bool HasComputedValue = false;
  bool HasDefaultValue = false;
  bool IsIdentity = false;
};

// Which columns of a relation are computed, carry a default value or are identity
// columns, and whether a before-insert trigger may fill any column, asked once per
// relation in the connection's internal transaction and kept until FreeNodes().
class TIBSchema {
 public:
  explicit TIBSchema(TIBDatabase* database);
  ~TIBSchema();
  TIBSchema(const TIBSchema&) = delete;
  TIBSchema& operator=(const TIBSchema&) = delete;

  void FreeNodes();
  // Relation and field names compare without regard to case.
  bool HasComputedValue(const std::string& relation, const std::string& field);
  bool HasDefaultValue(const std::string& relation, const std::string& field);
  // The engine may give the column a value on insert: a default, an identity, or an
  // active before-insert trigger of the relation.
  bool FilledOnInsert(const std::string& relation, const std::string& field);
  // How many relations were asked of the server since construction.
  int QueryCount() const { return query_count_; }

 private:
  struct TRelation {
    std::string name;
    std::vector<TFieldNode> fields;
    bool before_insert_trigger = false;
  };
  const TRelation& FindRelation(const std::string& relation);
  const TFieldNode* Find(const std::string& relation, const std::string& field);
  void Load(size_t relation_index);

  TIBDatabase* database_;
  std::unique_ptr<TIBSQL> sql_;
  std::unique_ptr<TIBSQL> triggers_sql_;
  std::vector<TRelation> relations_;
  int query_count_ = 0;
};
