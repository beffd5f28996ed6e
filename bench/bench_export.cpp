// What a CSV export of a million rows costs over fetching them: the page's road (a query
// dataset walked from the first row, every value formatted and written to a file)
// against the bare client fetch loop of the same rows, measured in the same run.
#include <sys/stat.h>
#include <algorithm>
#include <cstdio>

#include "bench_support.h"
#include "data/dataset/query.h"
#include "data/export/csv_writer.h"
#include "data/sql_test_support.h"
#include "support/temp_database.h"

namespace {

constexpr int kRows = 1000000;

}  // namespace

int main() {
  std::printf("Making the database (%d rows)...\n", kRows);
  TempDatabase file(bench::Table("BIG_T", kRows));
  TempFolder folder;
  const std::string out_path = folder.Path() + "/big.csv";

  Connection connection(file.Path());
  TIBQuery query;
  query.SetDatabase(&connection.db);
  query.SQL().Add(std::string("SELECT ") + bench::kColumns + " FROM BIG_T");

  int64_t exported = 0;
  auto export_all = [&] {
    query.Open();
    std::vector<TField*> fields;
    for (int i = 0; i < query.FieldCount(); ++i) fields.push_back(query.Fields()[i]);
    TFileCsvSink sink(out_path);
    exported = ExportCsv(query, fields, sink).rows;
    sink.Close();
    query.Close();
  };
  // The dataset's own walk, to tell its share from the formatting's.
  auto walk_all = [&] {
    query.Open();
    query.DisableControls();
    for (query.First(); !query.Eof(); query.Next()) {
    }
    query.EnableControls();
    query.Close();
  };
  // Alternating, so both see the same load on the machine.
  double export_time = 1e300, plain_time = 1e300, walk_time = 1e300;
  int plain_rows = 0;
  for (int run = 0; run < 3; ++run) {
    plain_time = std::min(plain_time, bench::Seconds([&] {
                            plain_rows = bench::PlainLoop(connection.db, connection.tr);
                          }));
    export_time = std::min(export_time, bench::Seconds(export_all));
    walk_time = std::min(walk_time, bench::Seconds(walk_all));
  }
  struct stat info {};
  stat(out_path.c_str(), &info);
  std::printf(
      "CSV export of %lld rows (%lld bytes): %.3f s; plain fetch loop (%d rows) %.3f s;"
      " ratio %.3f (target <= 1.5); the dataset's walk alone %.3f s\n",
      static_cast<long long>(exported), static_cast<long long>(info.st_size), export_time,
      plain_rows, plain_time, export_time / plain_time, walk_time);
  return 0;
}
