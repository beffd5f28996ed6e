// What a statement of the console or of a script is before the engine sees it: a
// transaction end, one of isql's own commands, or SQL for the engine. Plain text.
#pragma once

#include <string>

enum class TStatementKind {
  kSql,             // for the engine
  kTransactionEnd,  // COMMIT or ROLLBACK [WORK] [RETAIN | RETAINING]
  kSetTransaction,  // refused: the console's transaction is the window's
  kAutoDdl,         // SET AUTODDL [ON | OFF]
  kBail,            // SET BAIL [ON | OFF]
  kNames,           // SET NAMES charset
  kDialect,         // SET SQL DIALECT n
  kExit,            // EXIT: the script ends here, its work kept
  kQuit,            // QUIT: the script ends here, its work undone
  kIsqlCommand,     // another isql command, which nothing here can do
};

struct TStatementClass {
  TStatementKind kind = TStatementKind::kSql;
  bool commit = false;     // a transaction end: commit rather than roll back
  bool retaining = false;  // a transaction end that keeps the transaction
  int on = -1;             // a switch: 1 on, 0 off, -1 toggled as isql does
  std::string value;       // SET NAMES' set, SET SQL DIALECT's number
  std::string command;     // an isql command's words, e.g. "SHOW" or "SET LIST"
};

TStatementClass ClassifyStatement(const std::string& sql);

// True for DDL that carries a body (procedures, triggers, functions, packages, blocks),
// whose ":name" are variables, not markers.
bool HoldsBody(const std::string& sql);
