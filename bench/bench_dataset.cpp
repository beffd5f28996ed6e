// What the buffered dataset costs over the client library: opening over a million rows
// against opening over twenty, fetching every row against a bare fetch loop, and the
// row cache's memory a row. Prints ratios measured in the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <vector>

#include "bench_support.h"
#include "data/client_api/client_api.h"
#include "data/database/database.h"
#include "data/dataset/ib_dataset.h"
#include "data/errors/errors.h"
#include "data/sql_test_support.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"
#include "support/temp_database.h"

namespace {

// Every operator new of the process, to show that fetching allocates nothing per row.
size_t g_new_calls = 0;

}  // namespace

void* operator new(size_t size) {
  ++g_new_calls;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, size_t) noexcept {
  std::free(p);
}

namespace {

constexpr int kBigRows = 1000000;
using bench::kColumns;
using bench::PlainLoop;
using bench::Seconds;
using bench::Table;

class BenchDataSet : public TIBCustomDataSet {
 public:
  using TIBCustomDataSet::TIBCustomDataSet;
  TStringList& SelectSQL() { return QSelect()->SQL(); }
};

// A control asking for as many rows as a grid shows.
class GridLink : public TDataLink {};

}  // namespace

int main() {
  std::printf("Making the database (%d rows)...\n", kBigRows);
  TempDatabase file(Table("BIG_T", kBigRows) + Table("SMALL_T", 20));

  Connection connection(file.Path());
  TIBDatabase& db = connection.db;
  TIBTransaction& tr = connection.tr;

  BenchDataSet big, small;
  TDataSource big_source, small_source;
  GridLink big_link, small_link;
  for (auto [ds, source, link, table] :
       {std::tuple{&big, &big_source, &big_link, "BIG_T"},
        std::tuple{&small, &small_source, &small_link, "SMALL_T"}}) {
    ds->SetDatabase(&db);
    ds->SelectSQL().Add(std::string("SELECT ") + kColumns + " FROM " + table);
    source->SetDataSet(ds);
    link->SetBufferCount(20);
    link->SetDataSource(source);
  }

  // Open and read the first 20 rows, as a grid showing 20 rows does.
  auto first_rows = [](BenchDataSet& ds) {
    return [&ds] {
      for (int repeat = 0; repeat < 50; ++repeat) {
        ds.Open();
        for (int i = 0; i < 20 && !ds.Eof(); ++i) {
          for (int f = 0; f < ds.FieldCount(); ++f) (void)ds.Fields()[f]->AsString();
          ds.Next();
        }
        ds.Close();
      }
    };
  };
  first_rows(big)();  // prepares, warms the caches
  first_rows(small)();
  // Interleaved, so both see the same load on the machine.
  double open_big = 1e300, open_small = 1e300;
  for (int run = 0; run < 15; ++run) {
    open_big = std::min(open_big, Seconds(first_rows(big)));
    open_small = std::min(open_small, Seconds(first_rows(small)));
  }
  std::printf(
      "open + first 20 rows: 1,000,000-row table %.3f ms, 20-row table %.3f ms,"
      " ratio %.2f (target <= 1.2)\n",
      open_big / 50 * 1e3, open_small / 50 * 1e3, open_big / open_small);

  // Open + Last against the bare loop, alternating so both see the same machine.
  big_link.SetDataSource(nullptr);
  double dataset_time = 1e300, plain_time = 1e300;
  size_t news_during_last = 0;
  int fetched = 0, plain_rows = 0;
  double memory_ratio = 0;
  size_t row_size = 0;
  for (int run = 0; run < 5; ++run) {
    plain_time = std::min(plain_time, Seconds([&] { plain_rows = PlainLoop(db, tr); }));
    dataset_time = std::min(dataset_time, Seconds([&] {
                              const size_t before = g_new_calls;
                              big.Open();
                              big.Last();
                              news_during_last = g_new_calls - before;
                            }));
    fetched = big.FetchedCount();
    row_size = big.RecordBufferSize();
    memory_ratio = static_cast<double>(big.CacheSize()) / static_cast<double>(fetched);
    big.Close();
  }
  std::printf(
      "open + Last over %d rows: dataset %.3f s, plain fetch loop (%d rows) %.3f s,"
      " ratio %.3f (target <= 1.1)\n",
      fetched, dataset_time, plain_rows, plain_time, dataset_time / plain_time);
  std::printf(
      "row cache: %zu-byte row buffers, %.1f cache bytes a row;"
      " operator new calls during open + Last: %zu (%.5f per row)\n",
      row_size, memory_ratio, news_during_last, static_cast<double>(news_during_last) / fetched);
  return 0;
}
