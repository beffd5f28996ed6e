// What the benchmarks over a million rows share: the table they fill, a stopwatch, and
// the bare client fetch loop their datasets are measured against.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "data/client_api/client_api.h"
#include "data/database/database.h"
#include "data/errors/errors.h"
#include "data/transaction/transaction.h"

namespace bench {

constexpr const char* kColumns = "ID, NAME, AMOUNT, DT, STAMP, BIGV";

// A six-column table of `rows` rows: an integer, a text, a scaled number, a date, a
// timestamp and a big integer.
inline std::string Table(const char* name, int rows) {
  return std::string("CREATE TABLE ") + name +
         " (ID INTEGER NOT NULL, NAME VARCHAR(40), AMOUNT NUMERIC(9,2), DT DATE,"
         " STAMP TIMESTAMP, BIGV BIGINT);\n"
         "SET TERM ^ ;\n"
         "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " +
         std::to_string(rows) + ") DO BEGIN INSERT INTO " + name +
         " VALUES (:I, 'Name of row number ' || :I, :I / 100.0,"
         " DATEADD(MOD(:I, 3000) DAY TO DATE '2020-01-01'),"
         " DATEADD(:I SECOND TO TIMESTAMP '2020-01-01 00:00:00'), :I * 1000003); I = I + 1; END "
         "END^\n"
         "SET TERM ; ^\n";
}

inline double Seconds(const std::function<void()>& action) {
  const auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Prepare, execute and fetch into one descriptor until the end, as a program without
// the layer would.
inline int PlainLoop(TIBDatabase& db, TIBTransaction& tr, const char* table = "BIG_T") {
  const TClientApi& api = ClientApi();
  const std::string sql = std::string("SELECT ") + kColumns + " FROM " + table;
  isc_stmt_handle stmt = 0;
  tr.Call(api.isc_dsql_alloc_statement2(ClientStatusVector(), db.HandleAddress(), &stmt), true);
  std::vector<char> area(XSQLDA_LENGTH(6));
  XSQLDA* out = reinterpret_cast<XSQLDA*>(area.data());
  out->version = SQLDA_VERSION1;
  out->sqln = 6;
  tr.Call(
      api.isc_dsql_prepare(ClientStatusVector(), tr.HandleAddress(), &stmt, 0, sql.c_str(), 3, out),
      true);
  std::vector<std::vector<char>> data(6);
  std::vector<short> nulls(6);
  for (int i = 0; i < 6; ++i) {
    XSQLVAR& var = out->sqlvar[i];
    data[i].resize(static_cast<size_t>(var.sqllen) + 2);
    var.sqldata = data[i].data();
    var.sqlind = &nulls[i];
  }
  tr.Call(api.isc_dsql_execute(ClientStatusVector(), tr.HandleAddress(), &stmt, 3, nullptr), true);
  int rows = 0;
  while (api.isc_dsql_fetch(ClientStatusVector(), &stmt, 3, out) == 0) ++rows;
  api.isc_dsql_free_statement(ClientStatusVector(), &stmt, DSQL_drop);
  return rows;
}

}  // namespace bench
