// Helpers for the connection and transaction tests: hand-ticked timers and raw SQL
// through the client library, so these tests need nothing above the transaction.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/client_api/client_api.h"
#include "data/core/host_timer.h"
#include "data/database/database.h"
#include "data/errors/errors.h"
#include "data/transaction/transaction.h"

// Installs a factory whose timers only tick when the test says so.
class ManualTimers {
 public:
  ManualTimers() {
    SetHostTimerFactory([this] { return std::make_unique<Timer>(this); });
  }
  ~ManualTimers() { SetHostTimerFactory(nullptr); }
  // One tick of every running timer.
  void TickAll() {
    std::vector<THostTimer*> copy = timers_;
    for (THostTimer* timer : copy)
      if (std::find(timers_.begin(), timers_.end(), timer) != timers_.end()) timer->Tick();
  }
  int RunningCount() const {
    return static_cast<int>(
        std::count_if(timers_.begin(), timers_.end(), [](THostTimer* t) { return t->Running(); }));
  }

 private:
  struct Timer : THostTimer {
    explicit Timer(ManualTimers* owner) : owner(owner) { owner->timers_.push_back(this); }
    ~Timer() override { std::erase(owner->timers_, this); }
    ManualTimers* owner;
  };
  std::vector<THostTimer*> timers_;
};

// Runs one statement without output in `tr`.
inline void ExecSql(TIBDatabase& db, TIBTransaction& tr, const std::string& sql) {
  tr.Call(ClientApi().isc_dsql_execute_immediate(
              ClientStatusVector(), db.HandleAddress(), tr.HandleAddress(), 0, sql.c_str(),
              static_cast<unsigned short>(db.SQLDialect()), nullptr),
          true);
}

// The single integer that `sql` selects, read in `tr`.
inline long long SelectInt(TIBDatabase& db, TIBTransaction& tr, const std::string& sql) {
  const TClientApi& api = ClientApi();
  isc_stmt_handle stmt = 0;
  tr.Call(api.isc_dsql_alloc_statement2(ClientStatusVector(), db.HandleAddress(), &stmt), true);
  std::vector<char> area(XSQLDA_LENGTH(1));
  XSQLDA* out = reinterpret_cast<XSQLDA*>(area.data());
  out->version = SQLDA_VERSION1;
  out->sqln = 1;
  long long value = 0;
  short null_flag = 0;
  try {
    tr.Call(api.isc_dsql_prepare(ClientStatusVector(), tr.HandleAddress(), &stmt, 0, sql.c_str(),
                                 static_cast<unsigned short>(db.SQLDialect()), out),
            true);
    out->sqlvar[0].sqltype = SQL_INT64 | 1;
    out->sqlvar[0].sqlscale = 0;
    out->sqlvar[0].sqllen = sizeof value;
    out->sqlvar[0].sqldata = reinterpret_cast<char*>(&value);
    out->sqlvar[0].sqlind = &null_flag;
    tr.Call(api.isc_dsql_execute(ClientStatusVector(), tr.HandleAddress(), &stmt, 1, nullptr),
            true);
    tr.Call(api.isc_dsql_fetch(ClientStatusVector(), &stmt, 1, out), true);
  } catch (...) {
    api.isc_dsql_free_statement(ClientStatusVector(), &stmt, DSQL_drop);
    throw;
  }
  api.isc_dsql_free_statement(ClientStatusVector(), &stmt, DSQL_drop);
  return value;
}

// The last number in isql's output (the value of a one-row, one-column select).
inline long long LastNumber(const std::string& output) {
  size_t end = output.find_last_of("0123456789");
  if (end == std::string::npos) return -1;
  size_t begin = output.find_last_not_of("0123456789", end);
  begin = begin == std::string::npos ? 0 : begin + 1;
  return std::stoll(output.substr(begin, end - begin + 1));
}

// A connection to `path` as SYSDBA, not yet connected.
inline void Prepare(TIBDatabase& db, const std::string& path) {
  db.SetLoginPrompt(false);
  db.SetDatabaseName(path);
  db.Params().Add("user_name=SYSDBA");
}
