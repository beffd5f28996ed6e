#include "data/database/catalog.h"

#include "data/database/database.h"
#include "data/errors/errors.h"

TIBSchema::TIBSchema(TIBDatabase* database) : database_(database) {}

TIBSchema::~TIBSchema() = default;

void TIBSchema::FreeNodes() {}

bool TIBSchema::HasComputedValue(const std::string&, const std::string&) {
  return false;
}

bool TIBSchema::HasDefaultValue(const std::string&, const std::string&) {
  return false;
}

void TIBDatabase::FillTableNames(TStringList&, bool) {
  RaiseClientError(ceUnsupportedFeature);
}

bool TIBDatabase::HasComputedValue(const std::string& relation, const std::string& field) {
  return schema_->HasComputedValue(relation, field);
}

bool TIBDatabase::HasDefaultValue(const std::string& relation, const std::string& field) {
  return schema_->HasDefaultValue(relation, field);
}
