// The table dataset: one table by name, with its select, insert, modify, delete and
// refresh statements generated from the table's definitions in the system tables.
#pragma once

#include <string>
#include <vector>

#include "data/core/string_list.h"
#include "data/dataset/ib_dataset.h"

enum TIndexOption : unsigned { ixPrimary = 1, ixUnique = 2, ixDescending = 4 };

struct TIndexDef {
  std::string Name;
  // Column names separated by ";", in key order.
  std::string Fields;
  std::string DescFields;
  unsigned Options = 0;
};

class TIndexDefs {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  const TIndexDef& Items(int index) const { return items_.at(index); }
  TIndexDef& Items(int index) { return items_.at(index); }
  TIndexDef& Add() { return items_.emplace_back(); }
  void Clear() { items_.clear(); }
  // Exact name; null when absent.
  const TIndexDef* Find(const std::string& name) const;
  bool Updated() const { return updated_; }
  void SetUpdated(bool value) { updated_ = value; }

 private:
  std::vector<TIndexDef> items_;
  bool updated_ = false;
};

class TIBTable : public TIBCustomDataSet {
 public:
  explicit TIBTable(TComponent* owner = nullptr);
  ~TIBTable() override;

  const std::string& TableName() const { return table_name_; }
  // Closed datasets only; the name is kept exactly as given.
  void SetTableName(const std::string& value);
  // With Filtered on, a new text re-runs the select at once (the dataset must be open).
  void SetFilter(const std::string& value) override;
  void SetFiltered(bool value) override;
  unsigned FilterOptions() const { return 0; }
  // Any option: client error 4.
  void SetFilterOptions(unsigned options);
  // The caller's setting, or the dataset's own finding that the table cannot be changed.
  bool ReadOnly() const { return read_only_ || found_read_only_; }
  void SetReadOnly(bool value);
  bool DefaultIndex() const { return default_index_; }
  void SetDefaultIndex(bool value) { default_index_ = value; }
  std::string IndexName() const { return index_is_field_names_ ? std::string() : index_text_; }
  void SetIndexName(const std::string& value) { SetIndex(value, false); }
  std::string IndexFieldNames() const {
    return index_is_field_names_ ? index_text_ : std::string();
  }
  void SetIndexFieldNames(const std::string& value) { SetIndex(value, true); }
  const TIndexDefs& IndexDefs() const { return index_defs_; }
  // The primary key's columns separated by ";", empty without one.
  const std::string& PrimaryKeyFields() const { return primary_key_fields_; }

  bool CanModify() const override;
  // Re-runs the select and returns to the same row.
  void Refresh() override;

  // The generated texts, as the statements hold them.
  const TStringList& SelectSQL() const;
  const TStringList& InsertSQL() const;
  const TStringList& ModifySQL() const;
  const TStringList& DeleteSQL() const;
  const TStringList& RefreshSQL() const;
  const std::string& RefreshSQLByDbKey() const { return refresh_by_dbkey_; }
  const std::string& RefreshSQLByKey() const { return refresh_by_key_; }
  const std::string& RefreshSQLByColumns() const { return refresh_by_columns_; }

  // Reads the index definitions from the system tables.
  void UpdateIndexDefs();

 protected:
  void InternalOpen() override;
  void InternalClose() override;
  void InternalInitFieldDefs() override;
  void PrepareRowRefresh(const char* row) override;
  void PrepareRowInsert(const std::vector<std::string>& assigned) override;

 private:
  void SetIndex(const std::string& value, bool field_names);
  // Re-runs the select with the current settings and returns to the current row.
  void TableRefresh();
  void GenerateStatements();
  void GenerateUpdateStatements();
  bool TableIsUpdatable();
  std::string Quote(const std::string& name) const;
  // The order list for names separated by ";".
  std::string QuotedColumnList(const std::string& names) const;
  std::string OrderList() const;
  // The table's name as the system tables store it.
  std::string StoredName() const;
  int Dialect() const;

  std::string table_name_;
  bool read_only_ = false;
  bool found_read_only_ = false;
  bool default_index_ = true;
  std::string index_text_;
  bool index_is_field_names_ = false;
  TIndexDefs index_defs_;
  std::string primary_key_fields_;
  bool regenerate_ = true;
  bool switching_index_ = false;
  std::string refresh_by_dbkey_;
  std::string refresh_by_key_;
  std::string refresh_by_columns_;
  // " returning ..." of the inserts, empty while the table cannot be changed.
  std::string insert_returning_;
};
