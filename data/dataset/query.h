// The query dataset: the user's SQL text as the select statement, with its parameters,
// a prepared state of its own, and an execute for statements that return no rows.
#pragma once

#include <string>

#include "data/core/string_list.h"
#include "data/dataset/ib_dataset.h"
#include "data/dataset/params.h"

class TIBQuery : public TIBCustomDataSet {
 public:
  explicit TIBQuery(TComponent* owner = nullptr);
  ~TIBQuery() override;

  // Every change of the lines closes and unprepares the query and parses it again.
  TStringList& SQL() { return sql_; }
  const TStringList& SQL() const { return sql_; }
  // Nothing happens when the text is the same; else one change for all the lines.
  void SetSQL(const TStringList& lines);
  TParams& Params() { return params_; }
  const TParams& Params() const { return params_; }
  // Copies the values of same-named items.
  void SetParams(const TParams& params) { params_.AssignValues(params); }
  TParam& ParamByName(const std::string& name) { return params_.ParamByName(name); }
  int ParamCount() const { return params_.Count(); }
  // The text with every marker made "?".
  const std::string& Text() const { return parsed_text_; }
  bool GenerateParamNames() const { return generate_param_names_; }
  void SetGenerateParamNames(bool value) { generate_param_names_ = value; }

  // The dataset unprepares itself when its transaction ends.
  bool Prepared() const { return query_prepared_ && TIBCustomDataSet::Prepared(); }
  void SetPrepared(bool value) { value ? Prepare() : UnPrepare(); }
  // Client error 33 while open; client error 65 for a text shorter than 2 characters.
  void Prepare();
  void UnPrepare();
  // Runs a statement that returns no rows (client error 66 for a select).
  void ExecSQL();
  // -1 before anything ran; kept over an unprepare.
  int RowsAffected();

  // Reopens an open query so the filter meets freshly fetched rows.
  void SetFiltered(bool value) override;

 protected:
  void InternalOpen() override;
  void Loaded() override;

 private:
  void QueryChanged();
  // Item i to input variable i, by the item's data type.
  void SetParamsToStatement();

  TStringList sql_;
  TParams params_;
  std::string parsed_text_;
  bool generate_param_names_ = false;
  bool query_prepared_ = false;
  int rows_affected_ = -1;
  bool check_rows_affected_ = false;
};
