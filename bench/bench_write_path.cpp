// What it costs that a table's post finds its row by the values it was read with, not by
// its DB key alone: posts through the table dataset against an update by DB key alone,
// each changing one column of every row of a six-column table. Report only.
#include <algorithm>
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "data/dataset/table.h"
#include "data/sql_test_support.h"
#include "data/statement/sql.h"
#include "support/temp_database.h"

namespace {

constexpr int kRows = 5000;
constexpr int kRounds = 3;

// Every row's NAME changed through the dataset, as a grid posts a row left.
double DatasetPosts(Connection& c, int round) {
  TIBTable table;
  table.SetDatabase(&c.db);
  table.SetTransaction(&c.tr);
  table.SetTableName("W");
  table.Open();
  const double seconds = bench::Seconds([&] {
    while (!table.Eof()) {
      table.Edit();
      table.FieldByName("NAME")->SetAsString("posted " + std::to_string(round));
      table.Post();
      table.Next();
    }
  });
  table.Close();
  return seconds;
}

// The same change by statements prepared once: by DB key alone, or also by every
// column's value as read (what the dataset's update adds).
double Updates(Connection& c, int round, bool as_read) {
  auto rows = c.Sql(std::string("select RDB$DB_KEY, ") + bench::kColumns + " from W");
  std::string text = "update W set NAME = :NAME where RDB$DB_KEY = :K";
  if (as_read)
    text +=
        " and ID is not distinct from :ID and NAME is not distinct from :OLD_NAME and AMOUNT "
        "is not distinct from :AMOUNT and DT is not distinct from :DT and STAMP is not "
        "distinct from :STAMP and BIGV is not distinct from :BIGV";
  auto update = c.Sql(text);
  update->Prepare();
  return bench::Seconds([&] {
    rows->ExecQuery();
    while (!rows->Eof() && rows->Next()) {
      update->ParamByName("NAME").SetAsString("by statement " + std::to_string(round));
      update->ParamByName("K").SetAsRawText(rows->Fields(0).AsRawText());
      if (as_read) {
        update->ParamByName("ID").SetAsLong(rows->Fields(1).AsLong());
        update->ParamByName("OLD_NAME").SetAsString(rows->Fields(2).AsString());
        update->ParamByName("AMOUNT").SetAsString(rows->Fields(3).AsString());
        update->ParamByName("DT").SetAsDateTime(rows->Fields(4).AsDateTime());
        update->ParamByName("STAMP").SetAsDateTime(rows->Fields(5).AsDateTime());
        update->ParamByName("BIGV").SetAsInt64(rows->Fields(6).AsInt64());
      }
      update->ExecQuery();
      if (update->RowsAffected() != 1) std::printf("a row was not found\n");
    }
    rows->Close();
  });
}

}  // namespace

int main() {
  std::printf("Making the database (%d rows)...\n", kRows);
  TempDatabase file(bench::Table("W", kRows));
  Connection c(file.Path());
  double dataset = 1e9, by_key = 1e9, as_read = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    dataset = std::min(dataset, DatasetPosts(c, round));
    by_key = std::min(by_key, Updates(c, round, false));
    as_read = std::min(as_read, Updates(c, round, true));
  }
  c.tr.Commit();
  std::printf("Write path, %d updates of one column of a six-column table (best of %d):\n", kRows,
              kRounds);
  std::printf("  update by DB key alone:          %.1f us a row\n", by_key * 1e6 / kRows);
  std::printf("  by DB key and the values read:   %.1f us a row (x%.2f)\n", as_read * 1e6 / kRows,
              as_read / by_key);
  std::printf("  table dataset post (edit, post): %.1f us a row\n", dataset * 1e6 / kRows);
  return 0;
}
