// Checks shared by the dataset tests.
#pragma once

#include <gtest/gtest.h>

#include "data/dataset/dataset.h"
#include "data/statement/sql.h"

// Walks `dataset` from its first row beside `sql` (already executed over the same rows
// in the same order) and expects every field to read as the statement's column does.
// Returns the number of rows compared.
inline int ExpectSameValues(TDataSet& dataset, TIBSQL& sql) {
  int rows = 0;
  dataset.First();
  while (!dataset.Eof()) {
    EXPECT_FALSE(sql.Eof());
    if (sql.Eof()) break;
    for (int i = 0; i < dataset.FieldCount(); ++i) {
      TField* field = dataset.Fields()[i];
      TIBXSQLVAR& var = sql.FieldByName(field->FieldName());
      EXPECT_EQ(field->IsNull(), var.IsNull()) << field->FieldName();
      if (field->DataType() == ftFloat) {
        EXPECT_DOUBLE_EQ(field->AsFloat(), var.AsDouble()) << field->FieldName();
      } else {
        EXPECT_EQ(field->AsString(), var.AsString()) << field->FieldName();
      }
    }
    ++rows;
    dataset.Next();
    sql.Next();
  }
  return rows;
}
