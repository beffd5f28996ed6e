#include "data/script/statement_class.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "data/script/sql_script.h"

namespace {

bool OneOf(const std::string& word, std::initializer_list<const char*> words) {
  return std::any_of(words.begin(), words.end(), [&](const char* w) { return word == w; });
}

// isql's SET commands that only shape its own output or input.
bool IsIsqlSetting(const std::string& word) {
  return OneOf(word, {"LIST",        "ECHO",
                      "STATS",       "COUNT",
                      "HEADING",     "HEAD",
                      "PLAN",        "PLANONLY",
                      "WIDTH",       "BLOB",
                      "BLOBDISPLAY", "SQLDA_DISPLAY",
                      "WARNINGS",    "WNG",
                      "ROWCOUNT",    "EXEC_PATH_DISPLAY",
                      "EXPLAIN",     "PER_TABLE_STATS",
                      "MAXROWS",     "KEEP_TRAN_PARAMS",
                      "KEEP_TRAN",   "TERM",
                      "TERMINATOR",  "TRANSACTION_NAME"});
}

int Switch(const std::vector<std::string>& words, size_t at) {
  if (words.size() <= at) return -1;
  return words[at] == "OFF" ? 0 : 1;
}

}  // namespace

TStatementClass ClassifyStatement(const std::string& sql) {
  const std::vector<std::string> words = LeadingWords(sql, 8);
  TStatementClass result;
  if (words.empty()) return result;
  const std::string& first = words[0];
  const std::string second = words.size() > 1 ? words[1] : "";
  if (first == "COMMIT" || first == "ROLLBACK") {
    // ROLLBACK TO SAVEPOINT and anything else unknown go to the engine.
    for (size_t i = 1; i < words.size(); ++i)
      if (!OneOf(words[i], {"WORK", "RETAIN", "RETAINING", "SNAPSHOT"})) return result;
    result.kind = TStatementKind::kTransactionEnd;
    result.commit = first == "COMMIT";
    result.retaining = std::any_of(words.begin(), words.end(), [](const std::string& w) {
      return w == "RETAIN" || w == "RETAINING";
    });
    return result;
  }
  if (first == "SET") {
    if (second == "TRANSACTION") {
      result.kind = TStatementKind::kSetTransaction;
    } else if (second == "AUTODDL" || second == "AUTO") {
      result.kind = TStatementKind::kAutoDdl;
      result.on = Switch(words, 2);
    } else if (second == "BAIL") {
      result.kind = TStatementKind::kBail;
      result.on = Switch(words, 2);
    } else if (second == "NAMES") {
      result.kind = TStatementKind::kNames;
      result.value = words.size() > 2 ? words[2] : "";
    } else if (second == "SQL" && words.size() > 2 && words[2] == "DIALECT") {
      result.kind = TStatementKind::kDialect;
      result.value = words.size() > 3 ? words[3] : "";
    } else if (IsIsqlSetting(second) ||
               (second == "TIME" && (words.size() < 3 || words[2] != "ZONE"))) {
      result.kind = TStatementKind::kIsqlCommand;
      result.command = "SET " + second;
    }
    return result;  // SET GENERATOR, SET STATISTICS and the like are SQL
  }
  if (first == "EXIT" && words.size() == 1) {
    result.kind = TStatementKind::kExit;
  } else if (first == "QUIT" && words.size() == 1) {
    result.kind = TStatementKind::kQuit;
  } else if (OneOf(first, {"SHOW", "INPUT", "OUTPUT", "CONNECT", "HELP", "EDIT", "SHELL",
                           "BLOBDUMP", "BLOBVIEW", "COPY"}) ||
             (OneOf(first, {"CREATE", "DROP"}) && OneOf(second, {"DATABASE", "SCHEMA"}))) {
    result.kind = TStatementKind::kIsqlCommand;
    result.command = OneOf(first, {"CREATE", "DROP"}) ? first + " " + second : first;
  }
  return result;
}

bool HoldsBody(const std::string& sql) {
  const std::vector<std::string> words = LeadingWords(sql, 4);
  if (words.empty()) return false;
  if (OneOf(words[0], {"CREATE", "ALTER", "RECREATE"})) return true;
  return words[0] == "EXECUTE" && words.size() > 1 && words[1] == "BLOCK";
}
