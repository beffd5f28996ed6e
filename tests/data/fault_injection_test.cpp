// Client calls failing on purpose: the fault client forwards every entry point to the
// real library and fails the chosen call with the status the test gives. Each case wants
// the library's own text, no crash or leak, and objects that work again afterwards.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "connection_test_support.h"
#include "data/client_api/client_api.h"
#include "data/dataset/query.h"
#include "data/dataset/table.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "sql_test_support.h"
#include "support/temp_database.h"

namespace {

const char* kHost = "127.0.0.1";
const char* kOperation = "read";
const char* kFile = "/data/lost.fdb";
const ISC_STATUS kNetworkError[] = {isc_arg_gds, isc_network_error, isc_arg_string,
                                    reinterpret_cast<ISC_STATUS>(kHost), isc_arg_end};
const ISC_STATUS kLockConflict[] = {isc_arg_gds, isc_lock_conflict, isc_arg_end};
const ISC_STATUS kIOError[] = {isc_arg_gds,    isc_io_error,
                               isc_arg_string, reinterpret_cast<ISC_STATUS>(kOperation),
                               isc_arg_string, reinterpret_cast<ISC_STATUS>(kFile),
                               isc_arg_end};
const char* kNetworkText = "Unable to complete network request to host \"127.0.0.1\"";
const char* kLockText = "lock conflict on no wait transaction";
const char* kIOText = "I/O error during \"read\" operation for file \"/data/lost.fdb\"";

// 60 rows; every tenth has a memo of three segments, the rest a short one.
const char* kSetup =
    "CREATE TABLE R (ID INTEGER NOT NULL PRIMARY KEY, MEMO BLOB SUB_TYPE 1);\n"
    "SET TERM ^ ;\n"
    "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN "
    "WHILE (I <= 60) DO BEGIN "
    "INSERT INTO R VALUES (:I, IIF(MOD(:I, 10) = 0, LPAD('', 40000, 'x'), 'memo ' || :I)); "
    "I = I + 1; END END^\n"
    "SET TERM ; ^\n";

class FaultInjectionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string file = std::string(TAVREL_FAKE_CLIENT_DIR) + "/libfault_client.so";
    setenv(ClientLibraryEnvironmentVariable(), file.c_str(), 1);
    FreeClientLibrary();
    ASSERT_TRUE(TryLoadClientLibrary());
    void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr);
    arm_ = reinterpret_cast<decltype(arm_)>(dlsym(library, "tavrel_fault_arm"));
    clear_ = reinterpret_cast<decltype(clear_)>(dlsym(library, "tavrel_fault_clear"));
    calls_ = reinterpret_cast<decltype(calls_)>(dlsym(library, "tavrel_fault_calls"));
    injected_ = reinterpret_cast<decltype(injected_)>(dlsym(library, "tavrel_fault_injected"));
    dlclose(library);  // the binding keeps its own reference
  }
  static void TearDownTestSuite() {
    FreeClientLibrary();
    unsetenv(ClientLibraryEnvironmentVariable());
  }
  void TearDown() override { clear_(); }

  // The nth call of `entry` from now fails with `status`; once, or from then on.
  static void Fail(const char* entry, const ISC_STATUS* status, int nth = 1, bool forever = false) {
    arm_(entry, nth, forever ? 1 : 0, status);
  }
  // The message of the EIBInterBaseError that `action` raises, checking one was injected.
  static std::string Injected(const std::function<void()>& action) {
    int before = injected_();
    try {
      action();
    } catch (const EIBInterBaseError& e) {
      EXPECT_EQ(injected_(), before + 1);
      return e.Message();
    }
    return "<nothing raised>";
  }
  // Table R open over `c`.
  static void OpenR(TIBTable& table, Connection& c) {
    table.SetDatabase(&c.db);
    table.SetTransaction(&c.tr);
    table.SetTableName("R");
    table.Open();
  }
  static long long Count(Connection& c, const std::string& where = "") {
    auto sql = c.Sql("select count(*) from R " + where);
    sql->ExecQuery();
    return sql->Fields(0).AsInt64();
  }

  static inline void (*arm_)(const char*, int, int, const ISC_STATUS*) = nullptr;
  static inline void (*clear_)() = nullptr;
  static inline int (*calls_)(const char*) = nullptr;
  static inline int (*injected_)() = nullptr;
  TempDatabase file_{kSetup};
};

void OpenQuery(TIBQuery& q, Connection& c, const std::string& sql) {
  q.SetDatabase(&c.db);
  q.SetTransaction(&c.tr);
  q.SQL().Add(sql);
  q.Open();
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(FaultInjectionTest, AttachAndDetachFailTransientlyThenWork) {
  TIBDatabase db;
  Prepare(db, file_.Path());
  Fail("isc_attach_database", kNetworkError);
  std::string message = Injected([&] { db.Open(); });
  EXPECT_TRUE(Has(message, kNetworkText)) << message;
  EXPECT_FALSE(db.Connected());
  int attaches = calls_("isc_attach_database");
  db.Open();
  EXPECT_TRUE(db.Connected());
  EXPECT_EQ(calls_("isc_attach_database"), attaches + 1)
      << "the binding goes through the fault client";

  // A refused detach keeps the connection, which still works and detaches next time.
  Fail("isc_detach_database", kIOError);
  message = Injected([&] { db.Close(); });
  EXPECT_TRUE(Has(message, kIOText)) << message;
  EXPECT_TRUE(db.Connected());
  TIBTransaction tr;
  tr.SetDefaultDatabase(&db);
  tr.StartTransaction();
  EXPECT_EQ(SelectInt(db, tr, "select count(*) from R"), 60);
  tr.Commit();
  db.Close();
  EXPECT_FALSE(db.Connected());

  // A forced close lets go of the handle even though the library refuses.
  db.Open();
  Fail("isc_detach_database", kNetworkError, 1, true);
  EXPECT_NO_THROW(db.ForceClose());
  EXPECT_FALSE(db.Connected());
  clear_();
  db.Open();
  EXPECT_TRUE(db.Connected());
}

TEST_F(FaultInjectionTest, StartAndCommitFailTransientlyKeepingTheWork) {
  Connection c(file_.Path());
  c.tr.Commit();
  Fail("isc_start_multiple", kLockConflict);
  std::string message = Injected([&] { c.tr.StartTransaction(); });
  EXPECT_TRUE(Has(message, kLockText)) << message;
  EXPECT_FALSE(c.tr.InTransaction());
  c.tr.StartTransaction();

  c.Run("insert into R (ID, MEMO) values (100, 'kept')");
  Fail("isc_commit_transaction", kNetworkError);
  message = Injected([&] { c.tr.Commit(); });
  EXPECT_TRUE(Has(message, kNetworkText)) << message;
  ASSERT_TRUE(c.tr.InTransaction()) << "a failed commit leaves the transaction active";
  EXPECT_EQ(Count(c, "where ID = 100"), 1) << "with its work";
  c.tr.Commit();

  // Another connection sees the row once the repeated commit went through.
  Connection other(file_.Path());
  EXPECT_EQ(Count(other, "where ID = 100"), 1);
}

TEST_F(FaultInjectionTest, PrepareAndExecuteFailTransientlyThenRunOnce) {
  Connection c(file_.Path());
  auto insert = c.Sql("insert into R (ID) values (:ID)");
  Fail("isc_dsql_prepare", kNetworkError);
  std::string message = Injected([&] { insert->Prepare(); });
  EXPECT_TRUE(Has(message, kNetworkText)) << message;
  EXPECT_FALSE(insert->Prepared());
  insert->Prepare();

  insert->ParamByName("ID").SetAsLong(200);
  Fail("isc_dsql_execute", kLockConflict);
  message = Injected([&] { insert->ExecQuery(); });
  EXPECT_TRUE(Has(message, kLockText)) << message;
  EXPECT_EQ(Count(c, "where ID = 200"), 0);
  insert->ExecQuery();
  EXPECT_EQ(Count(c, "where ID = 200"), 1);

  // A select whose execute fails opens on the next try.
  auto select = c.Sql("select ID from R order by ID");
  Fail("isc_dsql_execute2", kIOError);
  message = Injected([&] { select->ExecQuery(); });
  EXPECT_TRUE(Has(message, kIOText)) << message;
  EXPECT_FALSE(select->Open());
  select->ExecQuery();
  EXPECT_EQ(select->Fields(0).AsLong(), 1);
}

TEST_F(FaultInjectionTest, FetchFailingMidCursorLeavesStatementAndDatasetUsable) {
  Connection c(file_.Path());
  auto sql = c.Sql("select ID from R order by ID");
  sql->ExecQuery();  // fetches the first row
  Fail("isc_dsql_fetch", kNetworkError, 20);
  int last = 0;
  std::string message = Injected([&] {
    while (sql->Next()) last = sql->Fields(0).AsLong();
  });
  EXPECT_TRUE(Has(message, kNetworkText)) << message;
  EXPECT_EQ(last, 20);
  EXPECT_FALSE(sql->Open());
  sql->ExecQuery();
  int rows = 1;
  while (sql->Next()) ++rows;
  EXPECT_EQ(rows, 60);

  TIBQuery q;
  OpenQuery(q, c, "select ID, MEMO from R order by ID");
  Fail("isc_dsql_fetch", kIOError, 30);
  message = Injected([&] { q.Last(); });
  EXPECT_TRUE(Has(message, kIOText)) << message;
  q.Close();
  q.Open();
  q.Last();
  EXPECT_EQ(q.FieldByName("ID")->AsInteger(), 60);
  EXPECT_EQ(q.RecordCount(), 60);

  // A fetch failing for good: every attempt raises, none crashes, and clearing the
  // fault lets the dataset open again.
  q.Close();
  Fail("isc_dsql_fetch", kNetworkError, 1, true);
  for (int attempt = 0; attempt < 3; ++attempt) {
    EXPECT_THROW(q.Open(), EIBInterBaseError);
    q.Close();
  }
  clear_();
  q.Open();
  EXPECT_EQ(q.FieldByName("ID")->AsInteger(), 1);
}

TEST_F(FaultInjectionTest, BlobOpenAndReadFailAndCloseTheBlob) {
  Connection c(file_.Path());
  auto sql = c.Sql("select MEMO from R where ID = 10");
  sql->ExecQuery();
  Fail("isc_open_blob2", kIOError);
  std::string message = Injected([&] { sql->Fields(0).AsString(); });
  EXPECT_TRUE(Has(message, kIOText)) << message;
  EXPECT_EQ(sql->Fields(0).AsString(), std::string(40000, 'x'));

  int closes = calls_("isc_close_blob");
  Fail("isc_get_segment", kNetworkError, 2);
  message = Injected([&] { sql->Fields(0).AsString(); });
  EXPECT_TRUE(Has(message, kNetworkText)) << message;
  EXPECT_EQ(calls_("isc_close_blob"), closes + 1) << "the half-read blob is closed";
  EXPECT_EQ(sql->Fields(0).AsString(), std::string(40000, 'x'));

  // Through the dataset: a memo that cannot be read raises, the next read works.
  TIBQuery q;
  OpenQuery(q, c, "select ID, MEMO from R where ID in (10, 11) order by ID");
  Fail("isc_get_segment", kIOError, 2);
  message = Injected([&] { q.FieldByName("MEMO")->AsString(); });
  EXPECT_TRUE(Has(message, kIOText)) << message;
  EXPECT_EQ(q.FieldByName("MEMO")->AsString(), std::string(40000, 'x'));
  Fail("isc_open_blob2", kNetworkError);
  q.Next();
  message = Injected([&] { q.FieldByName("MEMO")->AsString(); });
  EXPECT_TRUE(Has(message, kNetworkText)) << message;
  EXPECT_EQ(q.FieldByName("MEMO")->AsString(), "memo 11");
  q.Close();
  q.Open();
  EXPECT_EQ(q.FieldByName("MEMO")->AsString(), std::string(40000, 'x'));
}

TEST_F(FaultInjectionTest, BlobWriteFailsAndTheStatementStoresItNextTime) {
  Connection c(file_.Path());
  auto sql = c.Sql("update R set MEMO = :MEMO where ID = 1");
  const std::string memo(70000, 'm');
  Fail("isc_create_blob2", kIOError);
  std::string message = Injected([&] {
    sql->ParamByName("MEMO").SetAsString(memo);
    sql->ExecQuery();
  });
  EXPECT_TRUE(Has(message, kIOText)) << message;
  Fail("isc_put_segment", kNetworkError, 3);
  message = Injected([&] {
    sql->ParamByName("MEMO").SetAsString(memo);
    sql->ExecQuery();
  });
  EXPECT_TRUE(Has(message, kNetworkText)) << message;
  auto read = c.Sql("select MEMO from R where ID = 1");
  read->ExecQuery();
  EXPECT_EQ(read->Fields(0).AsString(), "memo 1") << "nothing half written was stored";
  read->Close();

  sql->ParamByName("MEMO").SetAsString(memo);
  sql->ExecQuery();
  read->ExecQuery();
  EXPECT_EQ(read->Fields(0).AsString(), memo);
}

TEST_F(FaultInjectionTest, FailedPostKeepsTheTypedValuesAndAFailedCommitThePostedRow) {
  Connection c(file_.Path());
  TIBTable table;
  OpenR(table, c);
  const std::string memo(70000, 't');
  table.Edit();
  table.FieldByName("MEMO")->SetAsString(memo);
  // The new memo's third segment, then the update's execute, fail.
  Fail("isc_put_segment", kIOError, 3);
  std::string message = Injected([&] { table.Post(); });
  EXPECT_TRUE(Has(message, kIOText)) << message;
  EXPECT_EQ(table.State(), dsEdit);
  EXPECT_EQ(table.FieldByName("MEMO")->AsString(), memo);
  Fail("isc_dsql_execute", kNetworkError);
  message = Injected([&] { table.Post(); });
  EXPECT_TRUE(Has(message, kNetworkText)) << message;
  EXPECT_EQ(table.State(), dsEdit);
  EXPECT_EQ(table.FieldByName("MEMO")->AsString(), memo);
  table.Post();
  EXPECT_EQ(table.State(), dsBrowse);

  Fail("isc_commit_transaction", kNetworkError);
  message = Injected([&] { c.tr.Commit(); });
  EXPECT_TRUE(Has(message, kNetworkText)) << message;
  ASSERT_TRUE(c.tr.InTransaction());
  // The end's notices closed the table before the call; reopened, it shows the row.
  table.Open();
  EXPECT_EQ(table.FieldByName("MEMO")->AsString(), memo);
  c.tr.Commit();
  Connection other(file_.Path());
  auto read = other.Sql("select MEMO from R where ID = 1");
  read->ExecQuery();
  EXPECT_EQ(read->Fields(0).AsString(), memo);
}

}  // namespace

namespace {

TEST_F(FaultInjectionTest, AnInsertWithReturningIsOneExecuteAndNoFetch) {
  Connection c(file_.Path());
  TIBTable table;
  OpenR(table, c);
  table.Append();
  table.FieldByName("ID")->SetAsInteger(1000);
  const int executes = calls_("isc_dsql_execute2") + calls_("isc_dsql_execute");
  const int fetches = calls_("isc_dsql_fetch");
  table.Post();
  // The row as stored comes back with the execute itself: no refresh, no fetch.
  EXPECT_EQ(calls_("isc_dsql_execute2") + calls_("isc_dsql_execute"), executes + 1);
  EXPECT_EQ(calls_("isc_dsql_fetch"), fetches);
  EXPECT_EQ(table.FieldByName("ID")->AsInteger(), 1000);
}

}  // namespace
