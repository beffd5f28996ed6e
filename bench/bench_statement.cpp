// How fast rows come through a prepared statement, and how fast SQL text is scanned for
// parameter markers. Rows come from a real database made by the embedded engine.
#include <benchmark/benchmark.h>

#include <memory>

#include "data/database/database.h"
#include "data/statement/sql.h"
#include "data/statement/sql_params.h"
#include "data/transaction/transaction.h"
#include "support/temp_database.h"

namespace {

constexpr int kRows = 100000;

const char* kSetup =
    "CREATE TABLE EVENT_LOG (ID INTEGER NOT NULL PRIMARY KEY, LOGGED_AT TIMESTAMP,"
    " AMOUNT NUMERIC(12, 2), MESSAGE VARCHAR(120));\n"
    "SET TERM ^ ;\n"
    "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= 100000) DO BEGIN"
    " INSERT INTO EVENT_LOG VALUES (:I, DATEADD(:I SECOND TO TIMESTAMP '2024-01-01'),"
    " :I / 7.0, 'Event number ' || :I); I = I + 1; END END^\n"
    "SET TERM ; ^\n";

TempDatabase& Database() {
  static TempDatabase db(kSetup);
  return db;
}

void FetchEveryRow(benchmark::State& state) {
  TIBDatabase db;
  TIBTransaction tr;
  db.SetLoginPrompt(false);
  db.SetDatabaseName(Database().Path());
  db.Params().Add("user_name=SYSDBA");
  db.SetDefaultTransaction(&tr);
  db.SetConnected(true);
  tr.StartTransaction();
  TIBSQL sql;
  sql.SetDatabase(&db);
  sql.SetGoToFirstRecordOnExecute(false);
  sql.SQL().Add("SELECT ID, LOGGED_AT, AMOUNT, MESSAGE FROM EVENT_LOG");
  sql.Prepare();
  for (auto _ : state) {
    sql.ExecQuery();
    int64_t sum = 0;
    while (sql.Next()) {
      sum += sql.Fields(0).AsLong();
      benchmark::DoNotOptimize(sql.Fields(1).AsDateTime());
      benchmark::DoNotOptimize(sql.Fields(2).AsCurrency());
      benchmark::DoNotOptimize(sql.Fields(3).AsString());
    }
    sql.Close();
    if (sum != static_cast<int64_t>(kRows) * (kRows + 1) / 2) state.SkipWithError("wrong rows");
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(FetchEveryRow)->Unit(benchmark::kMillisecond);

void ScanMarkers(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 200; ++i)
    text += "UPDATE T SET A = :A, B = 'it''s :not' /* :nor */ WHERE \"ID\" = :\"Id\" AND C = ?\n";
  for (auto _ : state) benchmark::DoNotOptimize(PreprocessSql(text, true));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(ScanMarkers);

}  // namespace

BENCHMARK_MAIN();
