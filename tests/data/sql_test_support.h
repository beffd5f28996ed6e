// A connection with a started transaction, for the statement tests.
#pragma once

#include <memory>
#include <string>

#include "data/database/database.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"

class Connection {
 public:
  // In the client's default character set, or in `charset` when given.
  explicit Connection(const std::string& path, const std::string& charset = "") {
    db.SetLoginPrompt(false);
    db.SetDatabaseName(path);
    db.Params().Add("user_name=SYSDBA");
    if (!charset.empty()) db.Params().Add("lc_ctype=" + charset);
    db.SetDefaultTransaction(&tr);
    db.SetConnected(true);
    tr.StartTransaction();
  }
  std::unique_ptr<TIBSQL> Sql(const std::string& text) {
    auto sql = std::make_unique<TIBSQL>();
    sql->SetDatabase(&db);
    sql->SQL().Add(text);
    return sql;
  }
  void Run(const std::string& text) { Sql(text)->ExecQuery(); }

  TIBDatabase db;
  TIBTransaction tr;
};
