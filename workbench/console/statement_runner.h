// Running the console's statements, one or a script: classify each by its prepared
// type, bind its markers, run it and report what it did. No Qt: the window gives what
// only it can (the transaction's end, the markers' values, the rows' display) through
// TConsoleHost. Texts here are the data layer's Latin-1 bytes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "workbench/console/parameter_value.h"
#include "workbench/console/sql_script.h"

class TIBQuery;

class TConsoleHost {
 public:
  virtual ~TConsoleHost() = default;
  // Ends the shared transaction as a typed COMMIT or ROLLBACK does.
  virtual void EndTransaction(bool commit, bool retaining) = 0;
  // Fills in the values; false when the person cancelled.
  virtual bool AskParameters(std::vector<TParameterValue>* values) = 0;
  // The rows' query is about to close and open again: nothing may show it meanwhile.
  virtual void BeforeRows() = 0;
  // The query is open with a select's rows.
  virtual void ShowRows() = 0;
  // A DDL statement ran: what lists the database's objects must read them again.
  virtual void SchemaChanged() {}
};

enum class TRunKind { kRows, kExecuted, kTransactionEnd, kProcedureOutputs, kCancelled };

struct TRunReport {
  TRunKind kind = TRunKind::kExecuted;
  TIBSQLTypes type = SQLUnknown;
  int rows = -1;        // fetched, or affected; -1 when the engine does not say
  std::string what;     // the statement's leading words, e.g. "CREATE TABLE"
  std::string outputs;  // an execute procedure's output values, "NAME = value, ..."
  double seconds = 0;
  int statements = 1;  // in a script: how many ran
};

// What the status bar says after a run, e.g. "3 linhas alteradas em 0,004 s".
std::string ReportText(const TRunReport& report);

// A script statement that failed: the message names its line.
class EScriptError : public EDatabaseError {
 public:
  EScriptError(int line, const std::string& message);
  int Line() const { return line_; }
  TAVREL_EXCEPTION_CLASS_NAME(EScriptError)

 private:
  int line_;
};

// True for the engine's answer to a cancel.
bool IsCancelError(const std::exception& error);
// The console's word for it.
extern const char* const kCancelledText;

class TStatementRunner {
 public:
  // Selects run on `rows_query` (the console's result query); everything else on a
  // statement of the runner's own over the same connection and transaction.
  TStatementRunner(TIBQuery& rows_query, TConsoleHost& host);
  ~TStatementRunner();

  // Runs one statement. SET TRANSACTION and a cancelled marker dialog raise EAbort
  // after telling why (SET TRANSACTION raises EDatabaseError with its message).
  TRunReport Run(const std::string& sql);
  // Runs the statements in order; the first failure raises EScriptError naming its line.
  TRunReport RunScript(const std::vector<TScriptStatement>& statements);
  // The engine's plan for the statement, prepared but not run.
  std::string Plan(const std::string& sql);

 private:
  void Prepare(const std::string& sql);
  // Asks the markers' values and writes them to the statement (and to `rows_query_`).
  bool BindParameters(bool for_rows);

  TIBQuery& rows_query_;
  TConsoleHost& host_;
  std::unique_ptr<TIBSQL> statement_;
};

// The message SET TRANSACTION is refused with.
extern const char* const kSetTransactionRefused;
