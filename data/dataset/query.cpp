#include "data/dataset/query.h"

#include "data/database/database.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"

#include <algorithm>
#include <cmath>

namespace {

// The statement's own text form: each line followed by CR LF.
std::string JoinLines(const TStringList& lines) {
  std::string text;
  for (const std::string& line : lines.Lines()) text += line + "\r\n";
  return text;
}

}  // namespace

TIBQuery::TIBQuery(TComponent* owner) : TIBCustomDataSet(owner) {
  sql_.OnChange = [this](TStringList&) { QueryChanged(); };
}

TIBQuery::~TIBQuery() {
  Close();
  sql_.OnChange = nullptr;
}

void TIBQuery::SetSQL(const TStringList& lines) {
  if (lines == sql_) return;
  Close();
  UnPrepare();
  sql_.BeginUpdate();
  sql_.Assign(lines);
  sql_.EndUpdate();
}

void TIBQuery::Loaded() {
  parsed_text_ = ParseParamMarkers(JoinLines(sql_), nullptr);
  QSelect()->SQL().Assign(sql_);
  TIBCustomDataSet::Loaded();
}

void TIBQuery::QueryChanged() {
  if (IsLoading()) {
    // Items are made once the form is read; only the text counts now.
    parsed_text_ = ParseParamMarkers(JoinLines(sql_), nullptr);
    QSelect()->SQL().Assign(sql_);
    return;
  }
  Close();
  UnPrepare();
  if (ParamCheck()) {
    TParams fresh;
    parsed_text_ = ParseParamMarkers(JoinLines(sql_), &fresh);
    fresh.AssignValues(params_);
    params_ = std::move(fresh);
  } else {
    parsed_text_ = JoinLines(sql_);
  }
  DataEvent(dePropertyChange);
  QSelect()->SQL().Assign(sql_);
}

void TIBQuery::Prepare() {
  if (IsCursorOpen()) RaiseClientError(ceDatasetOpen);
  if (query_prepared_) return;
  rows_affected_ = -1;
  check_rows_affected_ = true;
  if (parsed_text_.size() < 2) RaiseClientError(ceEmptySqlStatement);
  QSelect()->SetGenerateParamNames(generate_param_names_);
  InternalPrepare();
  query_prepared_ = true;
}

void TIBQuery::UnPrepare() {
  if (IsCursorOpen()) RaiseClientError(ceDatasetOpen);
  if (!query_prepared_) return;
  if (check_rows_affected_ && QSelect()->Prepared()) rows_affected_ = QSelect()->RowsAffected();
  InternalUnPrepare();
  query_prepared_ = false;
}

int TIBQuery::RowsAffected() {
  if (query_prepared_ && QSelect()->Prepared()) return QSelect()->RowsAffected();
  return rows_affected_;
}

void TIBQuery::InternalOpen() {
  ActivateConnection();
  ActivateTransaction();
  // The dataset unprepares itself when its transaction ends; follow it.
  if (!TIBCustomDataSet::Prepared()) query_prepared_ = false;
  Prepare();
  SetParamsToStatement();
  TIBCustomDataSet::InternalOpen();
}

void TIBQuery::ExecSQL() {
  CheckInactive();
  if (sql_.Count() == 0) {
    check_rows_affected_ = false;
    RaiseClientError(ceEmptySqlStatement);
  }
  ActivateConnection();
  const bool started = ActivateTransaction();
  try {
    if (!TIBCustomDataSet::Prepared()) query_prepared_ = false;
    Prepare();
    if (params_.Count() > 0) SetParamsToStatement();
    InternalExecQuery();
  } catch (...) {
    if (started && Transaction()) Transaction()->CheckAutoStop();
    check_rows_affected_ = true;
    throw;
  }
  if (started && Transaction()) Transaction()->CheckAutoStop();
  check_rows_affected_ = true;
}

void TIBQuery::SetFiltered(bool value) {
  if (value == Filtered()) return;
  TIBCustomDataSet::SetFiltered(value);
  if (Active()) {
    Close();
    Open();
  }
}

void TIBQuery::SetParamsToStatement() {
  TIBXSQLDA& vars = QSelect()->Params();
  // The statement rewrites its own markers from the same text; where the two counts
  // differ ("::"), only the items that have a variable are sent.
  const int count = std::min(params_.Count(), vars.Count());
  for (int i = 0; i < count; ++i) {
    const TParam& item = params_[i];
    TIBXSQLVAR& var = vars[i];
    if (item.IsNull()) {
      var.SetIsNull(true);
      continue;
    }
    var.SetIsNull(false);
    switch (item.DataType()) {
      case ftString:
      case ftBlob:
      case ftMemo:
      case ftFmtMemo:
      case ftBytes:
      case ftVarBytes:
        var.SetAsString(item.AsString());
        break;
      case ftBoolean:
        // A BOOLEAN variable takes the truth value itself; others the number.
        if (var.SqlType() == SQL_BOOLEAN)
          var.SetAsBoolean(item.AsLargeInt() != 0);
        else
          var.SetAsShort(static_cast<int16_t>(item.AsLargeInt() != 0));
        break;
      case ftSmallint:
        var.SetAsShort(item.AsSmallInt());
        break;
      case ftWord:
        var.SetAsLong(item.AsWord());
        break;
      case ftInteger:
      case ftAutoInc:
        var.SetAsLong(item.AsInteger());
        break;
      case ftLargeint:
        var.SetAsInt64(item.AsLargeInt());
        break;
      case ftFloat:
        var.SetAsDouble(item.AsFloat());
        break;
      case ftCurrency:
      case ftBCD:
        var.SetAsCurrency(item.AsCurrency());
        break;
      case ftDate:
        var.SetAsDate(item.AsDateTime());
        break;
      case ftTime:
        var.SetAsTime(item.AsDateTime());
        break;
      case ftDateTime:
        var.SetAsDateTime(item.AsDateTime());
        break;
      default:
        RaiseClientError(ceUnsupportedFeature);
    }
  }
}
