// Array columns: shown as text ("[1, 2, 3]", nested per dimension), read from the server
// by their id when the row is shown; never edited here.
#pragma once

#include <ibase.h>

#include <string>

#include "data/dataset/fields.h"

class TIBDatabase;
class TIBTransaction;

class TArrayField : public TField {
 public:
  explicit TArrayField(TComponent* owner = nullptr) : TField(owner, ftArray) { SetReadOnly(true); }
  int DataSize() const override { return 8; }
  // The elements as text; empty for NULL.
  std::string AsString() const override;
  std::string DisplayText() const override { return AsString(); }
  std::string Text() const override { return AsString(); }
};

// The array `id` of `relation`.`column` as text: its bounds looked up, its whole slice
// read, each element in its exact form (scaled numbers exactly, dates ISO 8601, text
// quoted). "(ARRAY)" when the client library has no array entry points.
std::string ReadArrayText(TIBDatabase& database, TIBTransaction& transaction,
                          const std::string& relation, const std::string& column, ISC_QUAD id);
