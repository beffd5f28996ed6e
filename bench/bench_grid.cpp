// What the data grid costs over real tables, on the offscreen platform: the first
// screen of a 1,000,000-row table against a 10-row one, and PgDn at row 10 against
// PgDn at row 900,000, with the rows fetched and the cache each step leaves behind.
// Prints ratios measured in the same run.
#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "data/database/database.h"
#include "data/dataset/query.h"
#include "data/sql_test_support.h"
#include "data/transaction/transaction.h"
#include "grid/db_grid.h"
#include "support/temp_database.h"

namespace {

constexpr int kBigRows = 1000000;

std::string Table(const char* name, int rows) {
  return std::string("CREATE TABLE ") + name +
         " (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), AMOUNT NUMERIC(9,2), DT DATE);\n"
         "SET TERM ^ ;\n"
         "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " +
         std::to_string(rows) + ") DO BEGIN INSERT INTO " + name +
         " VALUES (:I, 'Name of row number ' || :I, :I / 100.0,"
         " DATEADD(MOD(:I, 3000) DAY TO DATE '2020-01-01')); I = I + 1; END "
         "END^\n"
         "SET TERM ; ^\n";
}

double Seconds(const std::function<void()>& action) {
  const auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Counts the paints the viewports get, to show that every step really drew the grid.
struct PaintCounter : QObject {
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};
PaintCounter g_paints;

void PageDown(TDBGrid& grid) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
  QApplication::sendEvent(&grid, &press);
  grid.viewport()->repaint();
}

// One grid over one query of a table.
struct Shown {
  Shown(TIBDatabase& db, const char* table) {
    query.SetDatabase(&db);
    query.SQL().Add(std::string("SELECT * FROM ") + table + " ORDER BY ID");
    source.SetDataSet(&query);
    grid.SetDataSource(&source);
    grid.show();
    // As many data rows as the small table has, so both first screens show the same rows.
    grid.resize(800, 600);
    while (grid.VisibleRowCount() > 10) grid.resize(800, grid.height() - 1);
    grid.viewport()->installEventFilter(&g_paints);
    QApplication::processEvents();
  }
  void FirstScreen() {
    query.Close();
    query.Open();
    grid.viewport()->repaint();
  }
  TIBQuery query;
  TDataSource source;
  TDBGrid grid;
};

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  std::printf("Making the database (%d rows)...\n", kBigRows);
  TempDatabase file(Table("BIG_T", kBigRows) + Table("SMALL_T", 10));

  Connection connection(file.Path());
  TIBDatabase& db = connection.db;
  {
    Shown big(db, "BIG_T"), small(db, "SMALL_T");
    big.FirstScreen();  // prepares, warms the caches
    small.FirstScreen();
    double big_time = 1e300, small_time = 1e300;
    const int first_paints = g_paints.paints;
    for (int run = 0; run < 30; ++run) {
      big_time = std::min(big_time, Seconds([&] { big.FirstScreen(); }));
      small_time = std::min(small_time, Seconds([&] { small.FirstScreen(); }));
    }
    std::printf(
        "first screen (%d rows shown): 1,000,000-row table %.3f ms (%d rows fetched),"
        " 10-row table %.3f ms, ratio %.2f (target <= 1.2); %d paints in 60 screens\n",
        big.grid.VisibleRowCount(), big_time * 1e3, big.query.FetchedCount(), small_time * 1e3,
        big_time / small_time, g_paints.paints - first_paints);

    // PgDn with the current row 10th in the window: at row 10 and at row 900,000 of the
    // same kind of query, each warmed first (the rows of the next page already fetched,
    // the window drawn once there), so both steps do the same work; alternating so both
    // see the same machine.
    Shown far(db, "BIG_T");
    far.query.Open();
    far.query.MoveBy(900000 - 1);
    const int far_fetched = far.query.FetchedCount();
    const size_t far_cache = far.query.CacheSize();
    big.FirstScreen();
    // Back at `row`, coming up from below as every run does, with the next page fetched.
    auto place = [](Shown& shown, int row) {
      shown.query.MoveBy(row - shown.query.RecNo() + 30);
      shown.query.MoveBy(-30);
      shown.grid.viewport()->repaint();
    };
    double near_time = 1e300, far_time = 1e300;
    int near_fetched = 0, far_fetched_by_pgdn = 0, far_row = 0;
    int pgdn_paints = 0;
    constexpr int kRuns = 30;
    for (int run = 0; run < kRuns; ++run) {
      place(big, 10);
      int before = big.query.FetchedCount();
      int paints = g_paints.paints;
      near_time = std::min(near_time, Seconds([&] { PageDown(big.grid); }));
      pgdn_paints += g_paints.paints - paints;
      near_fetched = big.query.FetchedCount() - before;
      place(far, 900000);
      far_row = far.query.RecNo();
      before = far.query.FetchedCount();
      paints = g_paints.paints;
      far_time = std::min(far_time, Seconds([&] { PageDown(far.grid); }));
      pgdn_paints += g_paints.paints - paints;
      far_fetched_by_pgdn = far.query.FetchedCount() - before;
    }
    std::printf(
        "PgDn: at row 10 %.3f ms (fetched %d rows), at row %d %.3f ms (fetched %d rows),"
        " ratio %.2f (target <= 1.2); %d paints in %d PgDn\n",
        near_time * 1e3, near_fetched, far_row, far_time * 1e3, far_fetched_by_pgdn,
        far_time / near_time, pgdn_paints, 2 * kRuns);
    std::printf(
        "memory: %d rows fetched to reach row 900,000, cache %zu bytes = %.1f bytes a row"
        " (%zu-byte row buffers); afterwards %d rows fetched, cache %zu bytes\n",
        far_fetched, far_cache, static_cast<double>(far_cache) / static_cast<double>(far_fetched),
        far.query.RecordBufferSize(), far.query.FetchedCount(), far.query.CacheSize());
  }
  db.SetConnected(false);
  return 0;
}
