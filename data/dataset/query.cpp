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

[[noreturn]] void RaiseParamValue(const TParam& item) {
  throw EConvertError(Format("Invalid value for parameter '%s'", {item.Name()}));
}

std::string VariantText(const TVariant& v) {
  switch (v.VarType()) {
    case varString:
      return v.Text();
    case varSmallint:
    case varInteger:
    case varInt64:
    case varByte:
      return std::to_string(v.Integer());
    case varBoolean:
      return v.Integer() ? "True" : "False";
    case varSingle:
    case varDouble:
      return FloatToStr(v.Real());
    case varCurrency:
      return CurrToStr(Currency{v.Integer()});
    case varDate:
      return DateTimeToStr(v.Real());
    default:
      return {};
  }
}

int64_t VariantInteger(const TVariant& v, const TParam& item) {
  switch (v.VarType()) {
    case varSmallint:
    case varInteger:
    case varInt64:
    case varByte:
    case varBoolean:
      return v.Integer();
    case varCurrency:
      return v.Integer() / 10000;
    case varSingle:
    case varDouble:
    case varDate:
      if (!(v.Real() > -9.2e18 && v.Real() < 9.2e18)) RaiseParamValue(item);
      return static_cast<int64_t>(std::llround(v.Real()));
    case varString: {
      int64_t value = 0;
      if (!TryStrToInt64(v.Text(), value)) RaiseParamValue(item);
      return value;
    }
    default:
      RaiseParamValue(item);
  }
}

double VariantDouble(const TVariant& v, const TParam& item) {
  switch (v.VarType()) {
    case varSingle:
    case varDouble:
    case varDate:
      return v.Real();
    case varCurrency:
      return Currency{v.Integer()}.ToDouble();
    case varString: {
      double value = 0;
      if (!TryStrToFloat(v.Text(), value)) RaiseParamValue(item);
      return value;
    }
    default:
      return static_cast<double>(VariantInteger(v, item));
  }
}

Currency VariantCurrency(const TVariant& v, const TParam& item) {
  switch (v.VarType()) {
    case varCurrency:
      return Currency{v.Integer()};
    case varSingle:
    case varDouble:
      return Currency::FromDouble(v.Real());
    case varString: {
      Currency value;
      if (!TryStrToCurr(v.Text(), value)) RaiseParamValue(item);
      return value;
    }
    default:
      return Currency::FromUnits(VariantInteger(v, item));
  }
}

TDateTime VariantDateTime(const TVariant& v, const TParam& item) {
  if (v.VarType() == varString) {
    TDateTime value = 0;
    if (!TryStrToDateTime(v.Text(), value)) RaiseParamValue(item);
    return value;
  }
  return VariantDouble(v, item);
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
    const TVariant& v = item.Value();
    switch (item.DataType()) {
      case ftString:
      case ftBlob:
      case ftMemo:
      case ftFmtMemo:
      case ftBytes:
      case ftVarBytes:
        var.SetAsString(VariantText(v));
        break;
      case ftBoolean:
        // A BOOLEAN variable takes the truth value itself; others the number.
        if (var.SqlType() == SQL_BOOLEAN)
          var.SetAsBoolean(VariantInteger(v, item) != 0);
        else
          var.SetAsShort(static_cast<int16_t>(VariantInteger(v, item) != 0));
        break;
      case ftSmallint:
      case ftWord:
        var.SetAsShort(static_cast<int16_t>(VariantInteger(v, item)));
        break;
      case ftInteger:
      case ftAutoInc:
        var.SetAsLong(static_cast<int32_t>(VariantInteger(v, item)));
        break;
      case ftLargeint:
        var.SetAsInt64(VariantInteger(v, item));
        break;
      case ftFloat:
        var.SetAsDouble(VariantDouble(v, item));
        break;
      case ftCurrency:
      case ftBCD:
        var.SetAsCurrency(VariantCurrency(v, item));
        break;
      case ftDate:
        var.SetAsDate(VariantDateTime(v, item));
        break;
      case ftTime:
        var.SetAsTime(VariantDateTime(v, item));
        break;
      case ftDateTime:
        var.SetAsDateTime(VariantDateTime(v, item));
        break;
      default:
        RaiseClientError(ceUnsupportedFeature);
    }
  }
}
