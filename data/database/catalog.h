// Catalogue queries of a connection: the table-name listing and the schema cache.
#pragma once

#include <string>

class TIBDatabase;

// Which columns of a relation are computed or carry a default value, asked once per
// relation and kept until FreeNodes().
class TIBSchema {
 public:
  explicit TIBSchema(TIBDatabase* database);
  ~TIBSchema();
  TIBSchema(const TIBSchema&) = delete;
  TIBSchema& operator=(const TIBSchema&) = delete;

  void FreeNodes();
  bool HasComputedValue(const std::string& relation, const std::string& field);
  bool HasDefaultValue(const std::string& relation, const std::string& field);

 private:
  TIBDatabase* database_;
};
