// Running SQL typed in the console or read from a script, as isql runs it: classify each
// statement, bind its markers, run it and report. One runner for F9, Ctrl+Enter, scripts
// and `tavrel --run`; the host gives what only it can (the shared transaction's end, the
// markers' values, the rows' display) through TConsoleHost.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/errors/errors.h"
#include "data/script/parameter_value.h"
#include "data/script/sql_script.h"
#include "data/statement/sql.h"

class TIBQuery;
class TIBTransaction;

class TConsoleHost {
 public:
  virtual ~TConsoleHost() = default;
  // Ends the shared transaction as a typed COMMIT or ROLLBACK does.
  virtual void EndTransaction(bool commit, bool retaining) = 0;
  // Fills in the values; false when the person cancelled. An answer that `check` refuses
  // is asked again, the refusal shown beside its value.
  virtual bool AskParameters(std::vector<TParameterValue>* values,
                             const TParameterCheck& check) = 0;
  // The rows' query is about to close and open again: nothing may show it meanwhile.
  virtual void BeforeRows() = 0;
  // The query is open with a select's rows.
  virtual void ShowRows() = 0;
  // A DDL statement ran; `committed` when it was committed at once in its own transaction.
  virtual void SchemaChanged(bool /*committed*/) {}
};

enum class TRunKind { kRows, kExecuted, kTransactionEnd, kProcedureOutputs, kSetting, kEnd };

struct TRunReport {
  TRunKind kind = TRunKind::kExecuted;
  TIBSQLTypes type = SQLUnknown;
  int rows = -1;        // fetched, or affected; -1 when the engine does not say
  std::string what;     // the statement's leading words, e.g. "CREATE TABLE"
  std::string outputs;  // an execute procedure's output values, "NAME = value, ..."
  double seconds = 0;
  bool pending = false;   // it left work in the shared transaction
  bool rollback = false;  // a QUIT: the script's work is to be undone
};

struct TScriptFailure {
  int line = 0;
  std::string message;
};

struct TScriptReport {
  int ran = 0;      // statements that ran to their end
  int failed = 0;   // that failed
  int skipped = 0;  // not run: after a failure with bail on, a cancel or an EXIT
  double seconds = 0;
  std::vector<TScriptFailure> failures;
  bool aborted = false;    // the person cancelled a marker dialog
  bool cancelled = false;  // the person cancelled a running statement
  bool bailed = false;     // bail was on at a failure and stopped the script
  bool rollback = false;   // the script ended with QUIT
  // Work left in the shared transaction since the script's last transaction end.
  bool pending = false;
  TRunReport last;  // the last statement that ran
};

// What the status bar says after a run, e.g. "3 linhas alteradas em 0,004 s".
std::string ReportText(const TRunReport& report);
// A script's summary, e.g. "12 comandos executados, 1 com erro, 3 ignorados em 0,020 s".
std::string ReportText(const TScriptReport& report);

// True for the engine's answer to a cancel.
bool IsCancelError(const std::exception& error);
// The console's word for it.
extern const char* const kCancelledText;
// The message SET TRANSACTION is refused with.
extern const char* const kSetTransactionRefused;

class TStatementRunner {
 public:
  // Selects run on `rows_query` (the console's result query); everything else on a
  // statement of the runner's own over the same connection and transaction.
  TStatementRunner(TIBQuery& rows_query, TConsoleHost& host);
  ~TStatementRunner();

  // DDL committed at once in a transaction of its own (isql's AUTODDL); on by default.
  bool AutoDdl() const { return auto_ddl_; }
  void SetAutoDdl(bool value) { auto_ddl_ = value; }
  // A script stops at its first failure (isql's BAIL); off by default.
  bool Bail() const { return bail_; }
  void SetBail(bool value) { bail_ = value; }

  // Runs one statement; raises what fails. A cancelled marker dialog raises EAbort.
  TRunReport Run(const std::string& sql);
  // Runs one statement on the rows' query itself, as F9 does: a query is opened, anything
  // else executed by the query.
  TRunReport RunOnQuery(const std::string& sql, bool as_rows);
  // Runs the statements in order. A failure is noted with its line; the script goes on
  // unless bail is on. A cancel, a cancelled marker dialog, EXIT and QUIT stop it.
  TScriptReport RunScript(const std::vector<TScriptStatement>& statements);
  // The engine's plan for the statement, prepared but not run.
  std::string Plan(const std::string& sql);

 private:
  // isql's own commands and transaction ends; false for SQL.
  bool RunCommand(const std::string& sql, TRunReport* report);
  // With AUTODDL, statements read the metadata in a read-committed transaction of the
  // runner's, so DDL committed on its own is seen by the shared transaction's statements,
  // as in isql.
  void ReadMetadataCommitted();
  void Prepare(TIBSQL& statement, const std::string& sql);
  TRunReport RunRows(const std::string& sql);
  void RunDdlOnItsOwn(const std::string& sql);
  // Asks the markers' values and writes them to the statement (and to `rows_query_`).
  bool BindParameters(bool for_rows);
  void ReportOutputs(TRunReport* report);

  TIBQuery& rows_query_;
  TConsoleHost& host_;
  std::unique_ptr<TIBSQL> statement_;
  std::unique_ptr<TIBTransaction> metadata_transaction_;
  std::unique_ptr<TIBTransaction> ddl_transaction_;
  std::unique_ptr<TIBSQL> ddl_statement_;
  bool auto_ddl_ = true;
  bool bail_ = false;
};
