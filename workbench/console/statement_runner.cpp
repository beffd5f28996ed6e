#include "workbench/console/statement_runner.h"

#include <charconv>
#include <chrono>
#include <cstdio>

#include "data/core/text.h"
#include "data/dataset/query.h"
#include "data/transaction/transaction.h"
#include "workbench/console_text.h"

const char* const kCancelledText = "Operação cancelada";
const char* const kSetTransactionRefused =
    "Use F4 para gravar; SET TRANSACTION não é aceito no console!";

namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point start) {
  return std::chrono::duration<double>(TClock::now() - start).count();
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", seconds);
  std::string result = text;
  for (char& c : result)
    if (c == '.') c = ',';
  return result + " s";
}

std::string Rows(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The words that say what a DDL statement does: up to its object's kind.
std::string LeadingWords(const std::string& sql) {
  static const char* const kModifiers[] = {
      "CREATE",    "ALTER", "RECREATE",   "DROP",   "OR",        "UNIQUE",  "ASC",
      "ASCENDING", "DESC",  "DESCENDING", "GLOBAL", "TEMPORARY", "DECLARE", "EXTERNAL"};
  std::string rest = sql;
  std::string what;
  while (true) {
    const std::string word = FirstWord(rest);
    if (word.empty()) break;
    what += (what.empty() ? "" : " ") + word;
    bool modifier = false;
    for (const char* m : kModifiers) modifier = modifier || word == m;
    if (!modifier) break;
    rest = rest.substr(rest.find_first_not_of(" \t\r\n") + word.size());
  }
  return what;
}

// Procedure, trigger and block bodies name their variables ":name"; those are no markers.
bool HoldsBody(const std::string& sql) {
  const std::string first = FirstWord(sql);
  if (first == "CREATE" || first == "ALTER" || first == "RECREATE") return true;
  if (first != "EXECUTE") return false;
  const size_t at = sql.find_first_not_of(" \t\r\n");
  return FirstWord(sql.substr(at + first.size())) == "BLOCK";
}

// A text variable's length is in bytes; its declared length is in characters of its set,
// whose number is the subtype's low byte.
int Characters(const TIBXSQLVAR& var) {
  switch (var.SqlSubtype() & 0xFF) {
    case 3:  // UNICODE_FSS
      return var.Size() / 3;
    case 4:   // UTF8
    case 69:  // GB18030
      return var.Size() / 4;
    case 5:   // SJIS_0208
    case 6:   // EUCJ_0208
    case 44:  // KSC_5601
    case 56:  // BIG_5
    case 57:  // GB_2312
    case 67:  // GBK
    case 68:  // CP943C
      return var.Size() / 2;
    default:
      return var.Size();
  }
}

std::string TypeName(const TIBXSQLVAR& var) {
  const int scale = var.SqlScale();
  auto numeric = [&](const char* name) {
    return scale < 0 ? "NUMERIC(" + std::to_string(-scale) + ")" : std::string(name);
  };
  switch (var.SqlType()) {
    case SQL_SHORT:
      return numeric("SMALLINT");
    case SQL_LONG:
      return numeric("INTEGER");
    case SQL_INT64:
      return numeric("BIGINT");
    case SQL_FLOAT:
      return "FLOAT";
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return "DOUBLE PRECISION";
    case SQL_TEXT:
      return "CHAR(" + std::to_string(Characters(var)) + ")";
    case SQL_VARYING:
      return "VARCHAR(" + std::to_string(Characters(var)) + ")";
    case SQL_TYPE_DATE:
      return "DATE";
    case SQL_TYPE_TIME:
      return "TIME";
    case SQL_TIMESTAMP:
      return "TIMESTAMP";
    case SQL_BLOB:
      return var.SqlSubtype() == 1 ? "BLOB SUB_TYPE TEXT" : "BLOB";
    case SQL_BOOLEAN:
      return "BOOLEAN";
    default:
      return "?";
  }
}

[[noreturn]] void RaiseBadValue(const TParameterValue& value, const char* kind) {
  throw EConvertError("'" + value.text + "' não é " + kind + " válido para " + value.name + " (" +
                      value.type_name + ")");
}

// The dialog's text read as the marker's described type: numbers and truth values are
// read here, so a mistyped one is refused by name; the rest is text the engine reads.
TVariant ReadValue(const TIBXSQLVAR& var, const TParameterValue& value) {
  if (value.is_null) return TVariant::Null();
  const std::string text = Trim(value.text);
  const bool scaled = var.SqlScale() < 0;
  switch (var.SqlType()) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
      if (scaled) break;  // the engine reads an exact decimal from its text
      int64_t number = 0;
      if (auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
          text.empty() || error != std::errc() || end != text.data() + text.size())
        RaiseBadValue(value, "um inteiro");
      return TVariant(number);
    }
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
      std::string dotted = text;
      for (char& c : dotted)
        if (c == ',') c = '.';
      double number = 0;
      if (auto [end, error] = std::from_chars(dotted.data(), dotted.data() + dotted.size(), number);
          dotted.empty() || error != std::errc() || end != dotted.data() + dotted.size())
        RaiseBadValue(value, "um número");
      return TVariant(number);
    }
    case SQL_BOOLEAN: {
      const std::string word = FirstWord(text);
      if (word == "TRUE" || word == "1") return TVariant(true);
      if (word == "FALSE" || word == "0") return TVariant(false);
      RaiseBadValue(value, "um booleano");
    }
    default:
      break;
  }
  return TVariant(value.text);  // text keeps its blanks
}

}  // namespace

std::string ReportText(const TRunReport& report) {
  const std::string took = " em " + Seconds(report.seconds);
  if (report.statements > 1)
    return std::to_string(report.statements) + " comandos executados" + took;
  switch (report.kind) {
    case TRunKind::kRows:
      return Rows(report.rows, "linha lida", "linhas lidas") + took;
    case TRunKind::kProcedureOutputs:
      return report.what + ": " + report.outputs + took;
    case TRunKind::kCancelled:
      return kCancelledText;
    case TRunKind::kTransactionEnd:
    case TRunKind::kExecuted:
      break;
  }
  switch (report.type) {
    case SQLInsert:
      return Rows(report.rows, "linha inserida", "linhas inseridas") + took;
    case SQLUpdate:
      return Rows(report.rows, "linha alterada", "linhas alteradas") + took;
    case SQLDelete:
      return Rows(report.rows,
                  "linha excluí"
                  "da",
                  "linhas excluí"
                  "das") +
             took;
    default:
      return report.what + " executado" + took;
  }
}

EScriptError::EScriptError(int line, const std::string& message)
    : EDatabaseError("Linha " + std::to_string(line) + ": " + message), line_(line) {}

bool IsCancelError(const std::exception& error) {
  const auto* engine = dynamic_cast<const EIBError*>(&error);
  return engine && engine->StatusCode() == isc_cancelled;
}

TStatementRunner::TStatementRunner(TIBQuery& rows_query, TConsoleHost& host)
    : rows_query_(rows_query), host_(host), statement_(std::make_unique<TIBSQL>()) {
  statement_->SetDatabase(rows_query.Database());
  statement_->SetTransaction(rows_query.Transaction());
  statement_->SetGoToFirstRecordOnExecute(false);
}

TStatementRunner::~TStatementRunner() = default;

void TStatementRunner::Prepare(const std::string& sql) {
  if (statement_->Open()) statement_->Close();
  statement_->SetParamCheck(!HoldsBody(sql));
  statement_->SQL().Clear();
  statement_->SQL().Add(sql);
  TIBTransaction* transaction = statement_->Transaction();
  if (transaction && !transaction->InTransaction()) transaction->StartTransaction();
  try {
    statement_->Prepare();
  } catch (const EIBClientError&) {
    // The statement layer refuses to prepare a SET TRANSACTION; say why here.
    if (statement_->SQLType() == SQLStartTransaction) throw EDatabaseError(kSetTransactionRefused);
    throw;
  }
}

bool TStatementRunner::BindParameters(bool for_rows) {
  TIBXSQLDA& vars = statement_->Params();
  if (vars.Count() == 0) return true;
  std::vector<TParameterValue> values;
  std::vector<size_t> value_of(static_cast<size_t>(vars.Count()));
  for (int i = 0; i < vars.Count(); ++i) {
    const std::string& name = vars[i].Name();
    size_t k = 0;
    while (k < values.size() && values[k].name != name) ++k;
    if (k == values.size()) values.push_back({name, TypeName(vars[i]), "", false});
    value_of[static_cast<size_t>(i)] = k;
  }
  if (!host_.AskParameters(&values)) return false;
  std::vector<TVariant> typed;
  for (int i = 0; i < vars.Count(); ++i)
    typed.push_back(ReadValue(vars[i], values[value_of[static_cast<size_t>(i)]]));
  for (int i = 0; i < vars.Count(); ++i) vars[i].SetAsVariant(typed[static_cast<size_t>(i)]);
  if (for_rows) {
    TParams& params = rows_query_.Params();
    for (int i = 0; i < params.Count() && i < vars.Count(); ++i)
      params[i].SetValue(typed[static_cast<size_t>(i)]);
  }
  return true;
}

TRunReport TStatementRunner::Run(const std::string& sql) {
  TRunReport report;
  const std::string first = FirstWord(sql);
  report.what = first;
  // The engine's word is RETAIN; the RETAINING that older tools write would not prepare.
  if ((first == "COMMIT" || first == "ROLLBACK") && ContainsWord(sql, "RETAINING")) {
    const TClock::time_point start = TClock::now();
    host_.EndTransaction(first == "COMMIT", true);
    report.kind = TRunKind::kTransactionEnd;
    report.type = first == "COMMIT" ? SQLCommit : SQLRollback;
    report.seconds = SecondsSince(start);
    return report;
  }
  Prepare(sql);
  report.type = statement_->SQLType();
  switch (report.type) {
    case SQLCommit:
    case SQLRollback: {
      const TClock::time_point start = TClock::now();
      host_.EndTransaction(report.type == SQLCommit, ContainsWord(sql, "RETAIN"));
      report.kind = TRunKind::kTransactionEnd;
      report.seconds = SecondsSince(start);
      return report;
    }
    case SQLSelect:
    case SQLSelectForUpdate: {
      host_.BeforeRows();
      rows_query_.Close();
      rows_query_.SQL().Clear();
      rows_query_.SQL().Add(sql);
      if (!BindParameters(true)) throw EAbort();
      const TClock::time_point start = TClock::now();
      rows_query_.Open();
      report.seconds = SecondsSince(start);
      host_.ShowRows();
      report.kind = TRunKind::kRows;
      report.rows = rows_query_.RecordCount();
      return report;
    }
    default:
      break;
  }
  if (!BindParameters(false)) throw EAbort();
  const TClock::time_point start = TClock::now();
  statement_->ExecQuery();
  report.seconds = SecondsSince(start);
  if (report.type == SQLDDL) {
    report.what = LeadingWords(sql);
    host_.SchemaChanged();
  }
  TIBXSQLDA& outputs = statement_->Current();
  if (report.type == SQLExecProcedure && outputs.Count() > 0) {
    report.kind = TRunKind::kProcedureOutputs;
    report.what = "EXECUTE PROCEDURE";
    for (int i = 0; i < outputs.Count(); ++i) {
      if (i > 0) report.outputs += ", ";
      report.outputs += outputs[i].Name() + " = " +
                        (outputs[i].IsNull() ? std::string("NULL") : outputs[i].AsString());
    }
    report.rows = 1;
    return report;
  }
  report.rows = statement_->RowsAffected();
  return report;
}

TRunReport TStatementRunner::RunScript(const std::vector<TScriptStatement>& statements) {
  TRunReport total;
  double seconds = 0;
  for (const TScriptStatement& statement : statements) {
    try {
      total = Run(statement.text);
    } catch (const EAbort&) {
      throw;
    } catch (const std::exception& error) {
      throw EScriptError(statement.line, IsCancelError(error) ? kCancelledText : error.what());
    }
    seconds += total.seconds;
  }
  total.seconds = seconds;
  total.statements = static_cast<int>(statements.size());
  return total;
}

std::string TStatementRunner::Plan(const std::string& sql) {
  Prepare(sql);
  return statement_->Plan();
}
