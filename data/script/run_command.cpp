#include "data/script/run_command.h"

#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

#include "data/core/charset.h"
#include "data/database/database.h"
#include "data/dataset/query.h"
#include "data/errors/errors.h"
#include "data/script/statement_runner.h"
#include "data/transaction/transaction.h"

namespace {

const char kUsage[] =
    "uso: tavrel --run SCRIPT BANCO [--user NOME --password SENHA --charset NOME]\n";

// No one is there to answer or to look: transaction ends go straight to the transaction.
class TScriptHost : public TConsoleHost {
 public:
  TScriptHost(TIBTransaction& transaction, TIBQuery& rows)
      : transaction_(transaction), rows_(rows) {}
  // As isql's, the transaction starts at once again: its snapshot is taken at the end
  // of the last one, not at the next statement.
  void EndTransaction(bool commit, bool retaining) override {
    if (transaction_.InTransaction()) {
      if (commit)
        retaining ? transaction_.CommitRetaining() : transaction_.Commit();
      else
        retaining ? transaction_.RollbackRetaining() : transaction_.Rollback();
    }
    if (!transaction_.InTransaction()) transaction_.StartTransaction();
  }
  bool AskParameters(std::vector<TParameterValue>*, const TParameterCheck&) override {
    throw EDatabaseError("Parâmetros (:nome) não têm valor em --run");
  }
  void BeforeRows() override {}
  // Every row is read, as isql prints them all: a selectable block's work is done whole.
  void ShowRows() override { rows_.Last(); }

 private:
  TIBTransaction& transaction_;
  TIBQuery& rows_;
};

// One line a failure: the message's own lines indented under it.
std::string OneFailure(const TScriptFailure& failure) {
  std::string text = "line " + std::to_string(failure.line) + ": ";
  for (char c : failure.message) text += c == '\n' ? std::string("\n  ") : std::string(1, c);
  return text + "\n";
}

// The end of the script, where isql's closing commit stands.
int LastLine(const std::string& text) {
  return LineOfOffset(text, text.size()) - (!text.empty() && text.back() == '\n' ? 1 : 0);
}

struct TArguments {
  std::string script, database, user = "SYSDBA", password, charset = "UTF8";
};

bool ReadArguments(int argc, char** argv, TArguments* arguments) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--run") {
      if (i + 2 >= argc) return false;
      arguments->script = argv[++i];
      arguments->database = argv[++i];
    } else if (i + 1 < argc &&
               (option == "--user" || option == "--password" || option == "--charset")) {
      (option == "--user"       ? arguments->user
       : option == "--password" ? arguments->password
                                : arguments->charset) = argv[++i];
    } else {
      return false;
    }
  }
  return !arguments->script.empty() && !arguments->database.empty();
}

}  // namespace

int RunScriptCommandIfAsked(int argc, char** argv, std::ostream& out, std::ostream& err) {
  bool asked = false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--run") == 0) asked = true;
  if (!asked) return -1;
  TArguments arguments;
  if (!ReadArguments(argc, argv, &arguments)) {
    err << kUsage;
    return 2;
  }
  if (CharSetIdOf(arguments.charset) < 0) {
    err << "tavrel: conjunto de caracteres desconhecido: " << arguments.charset << "\n";
    return 2;
  }
  if (!CanConvertCharSet(CharSetIdOf(arguments.charset))) {
    err << "tavrel: o conjunto de caracteres " << arguments.charset
        << " não pode ser convertido aqui; use UTF8\n";
    return 2;
  }
  std::ifstream file(arguments.script, std::ios::binary);
  std::stringstream text;
  if (!file || !(text << file.rdbuf())) {
    err << "tavrel: não foi possível ler " << arguments.script << "\n";
    return 2;
  }
  TIBDatabase database;
  TIBTransaction transaction;
  try {
    database.SetLoginPrompt(false);
    database.SetDatabaseName(arguments.database);
    database.Params().Add("user_name=" + arguments.user);
    if (!arguments.password.empty()) database.Params().Add("password=" + arguments.password);
    database.Params().Add("lc_ctype=" + arguments.charset);
    database.SetDefaultTransaction(&transaction);
    database.SetConnected(true);
    transaction.StartTransaction();  // isql's snapshot is taken at connect
  } catch (const std::exception& error) {
    err << "tavrel: " << error.what() << "\n";
    return 2;
  }
  TScriptReport report;
  int code = 0;
  try {
    TIBQuery rows;
    rows.SetDatabase(&database);
    rows.SetTransaction(&transaction);
    TScriptHost host(transaction, rows);
    TStatementRunner runner(rows, host);
    report = runner.RunScript(SplitScript(text.str()));
    rows.Close();
    // As isql at the end of its input: what is pending is committed; QUIT, and a
    // failure that bail stopped at, undo it.
    const bool undo = report.rollback || report.bailed;
    try {
      if (transaction.InTransaction()) undo ? transaction.Rollback() : transaction.Commit();
    } catch (const std::exception& error) {
      ++report.failed;
      report.failures.push_back({LastLine(text.str()), error.what()});
    }
    for (const TScriptFailure& failure : report.failures) err << OneFailure(failure);
    database.SetConnected(false);
  } catch (const std::exception& error) {
    err << "tavrel: " << error.what() << "\n";
    code = 1;
  }
  out << ReportText(report) << "\n";
  out.flush();
  return code != 0 || report.failed > 0 ? 1 : 0;
}
