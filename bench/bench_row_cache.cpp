// What the row cache holds and costs: a wide table (VARCHAR(4000) and VARCHAR(1000)
// holding a dozen characters each) over ISO8859_1 and UTF8 connections, its cache
// against the values' own bytes and the process's peak memory; and open + Last over a
// million rows against the bare client fetch loop, embedded and through a Firebird
// server on loopback. Prints ratios measured in the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "data/client_api/client_api.h"
#include "data/database/database.h"
#include "data/dataset/query.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"
#include "support/firebird_server.h"
#include "support/temp_database.h"

namespace {

constexpr int kRows = 1000000;

std::string Filled(const char* table, const char* columns, const char* values) {
  return std::string("CREATE TABLE ") + table + " (" + columns +
         ");\nSET TERM ^ ;\nEXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " +
         std::to_string(kRows) + ") DO BEGIN INSERT INTO " + table + " VALUES (" + values +
         "); I = I + 1; END END^\nSET TERM ; ^\n";
}

using bench::Seconds;

// The kernel's peak resident size of this process, in MB; Reset starts a new peak.
double PeakMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  return 0;
}
double ResidentMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  return 0;
}
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

struct Link {
  Link(const std::string& name, const std::string& charset, const std::string& password = "") {
    db.SetLoginPrompt(false);
    db.SetDatabaseName(name);
    db.Params().Add("user_name=SYSDBA");
    if (!password.empty()) db.Params().Add("password=" + password);
    db.Params().Add("lc_ctype=" + charset);
    db.SetDefaultTransaction(&tr);
    db.SetConnected(true);
    tr.StartTransaction();
  }
  TIBDatabase db;
  TIBTransaction tr;
};

// Prepare, execute and fetch into one descriptor until the end, as a program without
// the layer would.
int PlainLoop(Link& link, const std::string& sql) {
  const TClientApi& api = ClientApi();
  isc_stmt_handle stmt = 0;
  link.tr.Call(api.isc_dsql_alloc_statement2(ClientStatusVector(), link.db.HandleAddress(), &stmt),
               true);
  std::vector<char> area(XSQLDA_LENGTH(20));
  XSQLDA* out = reinterpret_cast<XSQLDA*>(area.data());
  out->version = SQLDA_VERSION1;
  out->sqln = 20;
  link.tr.Call(api.isc_dsql_prepare(ClientStatusVector(), link.tr.HandleAddress(), &stmt, 0,
                                    sql.c_str(), 3, out),
               true);
  std::vector<std::vector<char>> data(static_cast<size_t>(out->sqld));
  std::vector<short> nulls(static_cast<size_t>(out->sqld));
  for (int i = 0; i < out->sqld; ++i) {
    XSQLVAR& var = out->sqlvar[i];
    data[i].resize(static_cast<size_t>(var.sqllen) + 2);
    var.sqldata = data[i].data();
    var.sqlind = &nulls[i];
  }
  link.tr.Call(
      api.isc_dsql_execute(ClientStatusVector(), link.tr.HandleAddress(), &stmt, 3, nullptr), true);
  int rows = 0;
  while (api.isc_dsql_fetch(ClientStatusVector(), &stmt, 3, out) == 0) ++rows;
  api.isc_dsql_free_statement(ClientStatusVector(), &stmt, DSQL_drop);
  return rows;
}

// The wide table's cache against what its values hold: ID 4 bytes, two texts of 12.
void Wide(Link& link, const char* charset, int rows) {
  TIBQuery query;
  query.SetDatabase(&link.db);
  query.SQL().Add("SELECT ID, A, B FROM WIDE_T WHERE ID <= " + std::to_string(rows));
  const double before = ResidentMb();
  ResetPeak();
  const double seconds = Seconds([&] {
    query.Open();
    query.Last();
  });
  const double peak = PeakMb();
  const double values = static_cast<double>(query.FetchedCount()) * (4 + 12 + 12 + 16);
  std::printf(
      "wide table, %s, %d rows: row buffer %zu bytes, cache %.1f MB, cache / (values + 16"
      " per row) = %.2f (target <= 1.5); open + Last %.2f s; resident %.0f MB before,"
      " peak %.0f MB",
      charset, query.FetchedCount(), query.RecordBufferSize(),
      static_cast<double>(query.CacheSize()) / (1024 * 1024),
      static_cast<double>(query.CacheSize()) / values, seconds, before, peak);
  query.Close();
  std::printf(", %.0f MB after Close\n", ResidentMb());
}

// Open + Last of the 6-column table against the bare loop, alternating so both see the
// same machine; the best of `runs`.
void OpenLast(Link& link, const char* where, int runs) {
  const std::string sql = "SELECT ID, NAME, AMOUNT, DT, STAMP, BIGV FROM SIX_T";
  TIBQuery query;
  query.SetDatabase(&link.db);
  query.SQL().Add(sql);
  double dataset = 1e300, plain = 1e300;
  int fetched = 0, plain_rows = 0;
  for (int run = 0; run < runs; ++run) {
    plain = std::min(plain, Seconds([&] { plain_rows = PlainLoop(link, sql); }));
    dataset = std::min(dataset, Seconds([&] {
                         query.Open();
                         query.Last();
                       }));
    fetched = query.FetchedCount();
    query.Close();
  }
  std::printf(
      "open + Last, %s, %d rows: dataset %.3f s, plain fetch loop (%d rows) %.3f s,"
      " ratio %.3f (target <= 1.1)\n",
      where, fetched, dataset, plain_rows, plain, dataset / plain);
}

}  // namespace

int main() {
  std::printf("Making the database (2 x %d rows)...\n", kRows);
  TempDatabase file(Filled("WIDE_T", "ID INTEGER NOT NULL, A VARCHAR(4000), B VARCHAR(1000)",
                           ":I, 'a wide value', 'b wide value'") +
                    Filled("SIX_T",
                           "ID INTEGER NOT NULL, NAME VARCHAR(40), AMOUNT NUMERIC(9,2), DT DATE,"
                           " STAMP TIMESTAMP, BIGV BIGINT",
                           ":I, 'Name of row number ' || :I, :I / 100.0,"
                           " DATEADD(MOD(:I, 3000) DAY TO DATE '2020-01-01'),"
                           " DATEADD(:I SECOND TO TIMESTAMP '2020-01-01 00:00:00'), :I * 1000003"));
  {
    for (const char* charset : {"ISO8859_1", "UTF8"}) {
      Link link(file.Path(), charset);
      for (int rows : {200000, kRows}) Wide(link, charset, rows);
    }
    // Reopening gives back what it took: the process does not grow.
    Link link(file.Path(), "UTF8");
    for (int round = 0; round < 3; ++round) Wide(link, "UTF8 again", kRows);
    OpenLast(link, "embedded", 5);
  }
  try {
    FirebirdServer server;
    Link link(server.Url(file.Path()), "UTF8", FirebirdServer::Password());
    OpenLast(link, "server on loopback", 5);
    link.db.SetConnected(false);
  } catch (const std::exception& error) {
    std::printf("server on loopback: not measured (%s)\n", error.what());
  }
  return 0;
}
