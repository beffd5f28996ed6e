#include "data/script/statement_runner.h"

#include <chrono>
#include <cstdio>

#include "data/core/charset.h"
#include "data/core/text.h"
#include "data/database/database.h"
#include "data/dataset/query.h"
#include "data/script/console_text.h"
#include "data/script/statement_class.h"
#include "data/transaction/transaction.h"

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
std::string WhatItDoes(const std::string& sql) {
  static const char* const kModifiers[] = {
      "CREATE",    "ALTER", "RECREATE",   "DROP",   "OR",        "UNIQUE",  "ASC",
      "ASCENDING", "DESC",  "DESCENDING", "GLOBAL", "TEMPORARY", "DECLARE", "EXTERNAL"};
  std::string what;
  for (const std::string& word : LeadingWords(sql, 8)) {
    what += (what.empty() ? "" : " ") + word;
    bool modifier = false;
    for (const char* m : kModifiers) modifier = modifier || word == m;
    if (!modifier) break;
  }
  return what;
}

}  // namespace

std::string ReportText(const TRunReport& report) {
  const std::string took = " em " + Seconds(report.seconds);
  switch (report.kind) {
    case TRunKind::kRows:
      return Rows(report.rows, "linha lida", "linhas lidas") + took;
    case TRunKind::kProcedureOutputs:
      return report.what + ": " + report.outputs + took;
    case TRunKind::kSetting:
    case TRunKind::kEnd:
      return report.what + took;
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

std::string ReportText(const TScriptReport& report) {
  if (report.ran == 1 && report.failed == 0 && report.skipped == 0) {
    TRunReport last = report.last;
    last.seconds = report.seconds;
    return ReportText(last);
  }
  std::string text = std::to_string(report.ran) + " comandos executados";
  if (report.failed > 0 || report.skipped > 0)
    text += ", " + std::to_string(report.failed) + " com erro, " + std::to_string(report.skipped) +
            " ignorados";
  return text + " em " + Seconds(report.seconds);
}

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

TStatementRunner::~TStatementRunner() {
  TIBDatabase* database = rows_query_.Database();
  if (database && database->PrepareTransaction() == metadata_transaction_.get())
    database->SetPrepareTransaction(nullptr);
  try {
    if (metadata_transaction_ && metadata_transaction_->InTransaction())
      metadata_transaction_->Commit();
  } catch (const Exception&) {
    // It only read; the transaction's destructor drops it.
  }
}

void TStatementRunner::ReadMetadataCommitted() {
  TIBDatabase* database = rows_query_.Database();
  if (!auto_ddl_ || !database || !database->Connected()) return;
  if (!metadata_transaction_) {
    metadata_transaction_ = std::make_unique<TIBTransaction>();
    metadata_transaction_->AddDatabase(database);
    for (const char* item : {"read", "read_committed", "rec_version", "nowait"})
      metadata_transaction_->Params().Add(item);
  }
  if (!metadata_transaction_->InTransaction()) metadata_transaction_->StartTransaction();
  database->SetPrepareTransaction(metadata_transaction_.get());
}

void TStatementRunner::Prepare(TIBSQL& statement, const std::string& sql) {
  ReadMetadataCommitted();
  if (statement.Open()) statement.Close();
  statement.SetParamCheck(!HoldsBody(sql));
  statement.SQL().Clear();
  statement.SQL().Add(sql);
  TIBTransaction* transaction = statement.Transaction();
  if (transaction && !transaction->InTransaction()) transaction->StartTransaction();
  try {
    statement.Prepare();
  } catch (const EIBClientError&) {
    // The statement layer refuses to prepare a SET TRANSACTION; say why here.
    if (statement.SQLType() == SQLStartTransaction) throw EDatabaseError(kSetTransactionRefused);
    throw;
  }
}

bool TStatementRunner::BindParameters(bool for_rows) {
  TIBXSQLDA& vars = statement_->Params();
  if (vars.Count() == 0) return true;
  std::vector<TParameterValue> values;
  std::vector<size_t> value_of(static_cast<size_t>(vars.Count()));
  std::vector<int> var_of;  // a variable of each asked name
  for (int i = 0; i < vars.Count(); ++i) {
    const std::string& name = vars[i].Name();
    size_t k = 0;
    while (k < values.size() && values[k].name != name) ++k;
    if (k == values.size()) {
      values.push_back({name, ParameterTypeName(vars[i]), "", false});
      var_of.push_back(i);
    }
    value_of[static_cast<size_t>(i)] = k;
  }
  const TParameterCheck check = [&](size_t index, const TParameterValue& value) -> std::string {
    try {
      ReadParameterValue(vars[var_of.at(index)], value);
    } catch (const Exception& error) {
      return error.Message();
    }
    return "";
  };
  if (!host_.AskParameters(&values, check)) return false;
  std::vector<TVariant> typed;
  for (int i = 0; i < vars.Count(); ++i)
    typed.push_back(ReadParameterValue(vars[i], values[value_of[static_cast<size_t>(i)]]));
  for (int i = 0; i < vars.Count(); ++i) vars[i].SetAsVariant(typed[static_cast<size_t>(i)]);
  if (for_rows) {
    TParams& params = rows_query_.Params();
    for (int i = 0; i < params.Count() && i < vars.Count(); ++i)
      params[i].SetValue(typed[static_cast<size_t>(i)]);
  }
  return true;
}

bool TStatementRunner::RunCommand(const std::string& sql, TRunReport* report) {
  const TStatementClass what = ClassifyStatement(sql);
  TIBDatabase* database = rows_query_.Database();
  auto toggle = [&](bool* setting, const char* name) {
    *setting = what.on < 0 ? !*setting : what.on == 1;
    report->kind = TRunKind::kSetting;
    report->what = std::string(name) + (*setting ? " ON" : " OFF");
  };
  switch (what.kind) {
    case TStatementKind::kSql:
      return false;
    case TStatementKind::kTransactionEnd: {
      const TClock::time_point start = TClock::now();
      host_.EndTransaction(what.commit, what.retaining);
      report->kind = TRunKind::kTransactionEnd;
      report->type = what.commit ? SQLCommit : SQLRollback;
      report->what = what.commit ? "COMMIT" : "ROLLBACK";
      report->seconds = SecondsSince(start);
      return true;
    }
    case TStatementKind::kSetTransaction:
      throw EDatabaseError(kSetTransactionRefused);
    case TStatementKind::kAutoDdl:
      toggle(&auto_ddl_, "SET AUTODDL");
      return true;
    case TStatementKind::kBail:
      toggle(&bail_, "SET BAIL");
      return true;
    case TStatementKind::kNames: {
      const int id = database ? database->CharSetId() : 0;
      if (CharSetIdOf(what.value) != id)
        throw EDatabaseError("SET NAMES " + what.value +
                             " não é o conjunto de caracteres da conexão (" + CharSetName(id) +
                             ")");
      report->kind = TRunKind::kSetting;
      report->what = "SET NAMES " + what.value;
      return true;
    }
    case TStatementKind::kDialect: {
      const int dialect = database ? database->SQLDialect() : 3;
      if (what.value != std::to_string(dialect))
        throw EDatabaseError("SET SQL DIALECT " + what.value + " não é o dialeto da conexão (" +
                             std::to_string(dialect) + ")");
      report->kind = TRunKind::kSetting;
      report->what = "SET SQL DIALECT " + what.value;
      return true;
    }
    case TStatementKind::kExit:
    case TStatementKind::kQuit:
      report->kind = TRunKind::kEnd;
      report->rollback = what.kind == TStatementKind::kQuit;
      report->what = report->rollback ? "QUIT" : "EXIT";
      return true;
    case TStatementKind::kIsqlCommand:
      throw EDatabaseError(what.command + " é um comando do isql e não é executado aqui");
  }
  return false;
}

TRunReport TStatementRunner::Run(const std::string& sql) {
  TRunReport report;
  if (RunCommand(sql, &report)) return report;
  Prepare(*statement_, sql);
  report.type = statement_->SQLType();
  report.what = FirstWord(sql);
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
    case SQLSelectForUpdate:
      return RunRows(sql);
    default:
      break;
  }
  if (report.type == SQLDDL && auto_ddl_) {
    statement_->FreeHandle();
    const TClock::time_point start = TClock::now();
    RunDdlOnItsOwn(sql);
    report.seconds = SecondsSince(start);
    report.what = WhatItDoes(sql);
    host_.SchemaChanged(true);
    return report;
  }
  if (!BindParameters(false)) throw EAbort();
  const TClock::time_point start = TClock::now();
  statement_->ExecQuery();
  report.seconds = SecondsSince(start);
  report.pending = true;
  if (report.type == SQLDDL) {
    report.what = WhatItDoes(sql);
    host_.SchemaChanged(false);
  }
  ReportOutputs(&report);
  return report;
}

TRunReport TStatementRunner::RunRows(const std::string& sql) {
  TRunReport report;
  report.type = statement_->SQLType();
  host_.BeforeRows();
  rows_query_.Close();
  rows_query_.SetParamCheck(!HoldsBody(sql));  // a block's ":n" are its variables
  rows_query_.SQL().Clear();
  rows_query_.SQL().Add(sql);
  if (!BindParameters(true)) throw EAbort();
  const TClock::time_point start = TClock::now();
  ReadMetadataCommitted();
  rows_query_.Open();
  report.seconds = SecondsSince(start);
  host_.ShowRows();
  report.kind = TRunKind::kRows;
  report.rows = rows_query_.RecordCount();
  return report;
}

void TStatementRunner::RunDdlOnItsOwn(const std::string& sql) {
  if (!ddl_transaction_) {
    ddl_transaction_ = std::make_unique<TIBTransaction>();
    ddl_transaction_->AddDatabase(rows_query_.Database());
    // As isql's: a table that the shared transaction holds rows of is refused at once
    // ("object in use"), never waited for, which would wait for ourselves.
    ddl_transaction_->Params().Add("nowait");
    ddl_statement_ = std::make_unique<TIBSQL>();
    ddl_statement_->SetDatabase(rows_query_.Database());
    ddl_statement_->SetTransaction(ddl_transaction_.get());
    ddl_statement_->SetGoToFirstRecordOnExecute(false);
  }
  try {
    Prepare(*ddl_statement_, sql);
    ddl_statement_->ExecQuery();
    ddl_statement_->FreeHandle();
    // Much of DDL is checked only here, so its failure is this statement's.
    ddl_transaction_->Commit();
  } catch (...) {
    try {
      ddl_statement_->FreeHandle();
      if (ddl_transaction_->InTransaction()) ddl_transaction_->Rollback();
    } catch (const Exception&) {
      // The statement's failure is the one to report.
    }
    throw;
  }
}

void TStatementRunner::ReportOutputs(TRunReport* report) {
  TIBXSQLDA& outputs = statement_->Current();
  if (report->type == SQLExecProcedure && outputs.Count() > 0) {
    report->kind = TRunKind::kProcedureOutputs;
    report->what = "EXECUTE PROCEDURE";
    for (int i = 0; i < outputs.Count(); ++i) {
      if (i > 0) report->outputs += ", ";
      report->outputs += outputs[i].Name() + " = " +
                         (outputs[i].IsNull() ? std::string("NULL") : outputs[i].AsString());
    }
    report->rows = 1;
    return;
  }
  report->rows = statement_->RowsAffected();
}

TRunReport TStatementRunner::RunOnQuery(const std::string& sql, bool as_rows) {
  TRunReport report;
  rows_query_.Close();
  rows_query_.SetParamCheck(true);
  rows_query_.SQL().Clear();
  rows_query_.SQL().Add(sql);
  const TStatementClass what = ClassifyStatement(sql);
  if (what.kind == TStatementKind::kTransactionEnd) {
    host_.EndTransaction(what.commit, what.retaining);
    report.kind = TRunKind::kTransactionEnd;
    return report;
  }
  if (as_rows) {
    rows_query_.Open();
    host_.ShowRows();
    report.kind = TRunKind::kRows;
    return report;
  }
  rows_query_.ExecSQL();
  report.type = rows_query_.StatementType();
  report.pending = true;
  if (report.type == SQLDDL) host_.SchemaChanged(false);
  return report;
}

TScriptReport TStatementRunner::RunScript(const std::vector<TScriptStatement>& statements) {
  TScriptReport script;
  const int count = static_cast<int>(statements.size());
  for (int i = 0; i < count; ++i) {
    const TScriptStatement& statement = statements[static_cast<size_t>(i)];
    const int after = count - i - 1;
    try {
      TRunReport report = Run(statement.text);
      ++script.ran;
      script.seconds += report.seconds;
      if (report.kind == TRunKind::kTransactionEnd) script.pending = false;
      script.pending = script.pending || report.pending;
      script.last = std::move(report);
      if (script.last.kind == TRunKind::kEnd) {
        script.rollback = script.last.rollback;
        script.skipped = after;
        break;
      }
    } catch (const EAbort&) {
      script.aborted = true;
      script.skipped = after + 1;
      break;
    } catch (const std::exception& error) {
      ++script.failed;
      script.cancelled = IsCancelError(error);
      script.failures.push_back({statement.line, script.cancelled ? kCancelledText : error.what()});
      // Nothing after a lost connection could run either.
      script.bailed = bail_;
      if (script.cancelled || bail_ || IsConnectionLost(error)) {
        script.skipped = after;
        break;
      }
    }
  }
  return script;
}

std::string TStatementRunner::Plan(const std::string& sql) {
  Prepare(*statement_, sql);
  return statement_->Plan();
}
