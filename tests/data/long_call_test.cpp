// The statement's long calls through a runner of the caller's choosing, run on another
// thread as the console runs them, and the cancel entry point's binding.
#include "data/statement/long_call.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "data/client_api/client_api.h"
#include "data/errors/errors.h"
#include "sql_test_support.h"
#include "support/temp_database.h"

namespace {

// Runs every long call on a thread of its own, as the console's runner does.
class ThreadRunner {
 public:
  ThreadRunner()
      : previous_(SetLongCallRunner([this](const TLongCall& call) {
          ++calls;
          ISC_STATUS result = 0;
          std::thread worker([&] { result = call(); });
          worker.join();
          return result;
        })) {}
  ~ThreadRunner() { SetLongCallRunner(std::move(previous_)); }
  int calls = 0;

 private:
  TLongCallRunner previous_;
};

TEST(LongCall, ExecuteAndFetchRunOnTheRunnerAndFailuresReachTheCaller) {
  TempDatabase db(
      "create table T (ID integer not null primary key);\n"
      "insert into T values (1);\n");
  Connection connection(db.Path());
  ThreadRunner runner;
  auto select = connection.Sql("select ID from T");
  select->ExecQuery();  // the execute and the first fetch
  EXPECT_EQ(select->Current()[0].AsLong(), 1);
  EXPECT_EQ(select->Next(), nullptr);
  EXPECT_EQ(runner.calls, 3);
  select->Close();

  // The failure is written into the caller's status vector, not the worker's, so the
  // caller raises the engine's own message.
  auto insert = connection.Sql("insert into T values (1)");
  try {
    insert->ExecQuery();
    FAIL() << "no error";
  } catch (const EIBInterBaseError& e) {
    EXPECT_NE(e.Message().find("PRIMARY"), std::string::npos) << e.Message();
  }
  EXPECT_EQ(runner.calls, 4);
}

// The window may ask for a cancel just as the call ends; the engine must not keep it for
// the connection's next statement.
TEST(LongCall, ACancelWhenNothingRunsLeavesTheNextStatementAlone) {
  TempDatabase db;
  Connection connection(db.Path());
  CancelOperation(connection.db.Handle());
  auto select = connection.Sql("select count(*) from RDB$TYPES A, RDB$TYPES B");
  EXPECT_NO_THROW(select->ExecQuery());
  EXPECT_GT(select->Current()[0].AsInt64(), 0);
}

TEST(LongCall, CallsRunInPlaceWithoutARunnerAndTheRunnerIsGivenBack) {
  int outer = 0;
  SetLongCallRunner([&](const TLongCall& call) {
    ++outer;
    return call();
  });
  {
    ThreadRunner inner;
    RunLongCall([] { return ISC_STATUS{0}; });
    EXPECT_EQ(inner.calls, 1);
  }
  EXPECT_EQ(RunLongCall([] { return ISC_STATUS{7}; }), 7);
  EXPECT_EQ(outer, 1);
  SetLongCallRunner({});
  EXPECT_EQ(RunLongCall([] { return ISC_STATUS{8}; }), 8);
}

TEST(LongCall, ALibraryWithoutTheCancelEntryPointSaysSo) {
  ASSERT_TRUE(TryLoadClientLibrary());
  EXPECT_TRUE(CanCancelOperation());
  setenv(ClientLibraryEnvironmentVariable(), TAVREL_FAKE_CLIENT_DIR "/libfake_client_v5.so", 1);
  FreeClientLibrary();
  EXPECT_FALSE(CanCancelOperation());
  try {
    CancelOperation(0);
    FAIL() << "no error";
  } catch (const EIBClientError& e) {
    EXPECT_NE(e.Message().find("fb_cancel_operation"), std::string::npos);
  }
  unsetenv(ClientLibraryEnvironmentVariable());
  FreeClientLibrary();
}

}  // namespace
