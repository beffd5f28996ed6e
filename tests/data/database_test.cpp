#include "data/database/database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connection_test_support.h"
#include "data/database/ib_base.h"
#include "support/expect_error.h"
#include "support/temp_database.h"

namespace {

TEST(Database, ConnectAndDisconnectInOrder) {
  TempDatabase file;
  TIBDatabase db;
  Prepare(db, file.Path());
  std::vector<std::string> log;
  db.BeforeConnect = [&](TComponent* s) { log.push_back(s == &db ? "before connect" : "?"); };
  db.AfterConnect = [&](TComponent*) { log.push_back("after connect"); };
  db.BeforeDisconnect = [&](TComponent*) { log.push_back("before disconnect"); };
  db.AfterDisconnect = [&](TComponent*) { log.push_back("after disconnect"); };
  TComponent dataset;
  TIBBase link(&dataset);
  link.ConnectChange = [&](bool on) { log.push_back(on ? "change on" : "change off"); };
  link.BeforeDatabaseDisconnect = [&](TIBBase*) { log.push_back("link before"); };
  link.AfterDatabaseDisconnect = [&](TIBBase*) { log.push_back("link after"); };
  link.SetDatabase(&db);
  ASSERT_EQ(db.DataSetCount(), 1);

  db.SetConnected(true);
  EXPECT_TRUE(db.Connected());
  EXPECT_NE(db.Handle(), 0u);
  EXPECT_EQ(db.DBSQLDialect(), 3);
  EXPECT_EQ(db.SQLDialect(), 3);
  db.SetConnected(true);  // its current value: nothing happens
  db.SetConnected(false);
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(db.DBSQLDialect(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"before connect", "change on", "after connect",
                                           "before disconnect", "change off", "link before",
                                           "link after", "after disconnect"}));
  link.SetDatabase(nullptr);
  EXPECT_EQ(db.DataSetCount(), 0);
}

TEST(Database, DialectOneDatabaseLowersTheDialectOnce) {
  TempDatabase file(TempDatabaseOptions{.dialect = 1, .charset = "NONE", .setup = ""});
  TIBDatabase db;
  Prepare(db, file.Path());
  int warnings = 0;
  db.OnDialectDowngradeWarning = [&](TComponent*) { ++warnings; };
  db.Open();
  EXPECT_EQ(db.SQLDialect(), 1);
  EXPECT_EQ(db.DBSQLDialect(), 1);
  EXPECT_EQ(warnings, 1);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { db.SetSQLDialect(3); }), "SQL Dialect Invalid");
  EXPECT_EQ(db.SQLDialect(), 1);
  db.Close();
  EXPECT_EQ(db.SQLDialect(), 1);
  db.Open();
  EXPECT_EQ(warnings, 1);
}

TEST(Database, RefusalsAndStateRules) {
  TempDatabase file;
  TIBDatabase db;
  EXPECT_TRUE(db.LoginPrompt());
  EXPECT_EQ(MessageOf<EIBClientError>([&] { db.SetSQLDialect(0); }), "SQL Dialect Invalid");
  db.SetSQLDialect(5);  // taken while closed, lowered at connect
  EXPECT_EQ(MessageOf<EIBClientError>([&] { db.SetIdleTimer(-1); }),
            "Timeout values cannot be negative");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { db.RequireActive(); }),
            "Cannot perform operation -- DB is not open");
  db.SetLoginPrompt(false);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { db.Open(); }), "Database name is missing");

  // Login wanted and nobody to ask: cancelled.
  Prepare(db, file.Path());
  db.SetLoginPrompt(true);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { db.Open(); }), "Operation cancelled at user's request");
  EXPECT_FALSE(db.Connected());

  db.SetLoginPrompt(false);
  db.Open();
  EXPECT_EQ(db.SQLDialect(), 3);
  const std::string opened = "Cannot perform operation -- DB is currently open";
  EXPECT_EQ(MessageOf<EIBClientError>([&] { db.RequireInactive(); }), opened);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { db.SetDatabaseName("other.fdb"); }), opened);
  db.SetDatabaseName(file.Path());  // the same name is no change
  EXPECT_EQ(MessageOf<EIBClientError>([&] { db.Params().Add("password=x"); }), opened);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { db.SetParams({"user_name=X"}); }), opened);
  EXPECT_EQ(db.Params().Count(), 1);
  EXPECT_EQ(db.Params().Strings(0), "user_name=SYSDBA");
}

TEST(Database, LoginEventSuppliesTheCredentials) {
  TempDatabase file;
  TIBDatabase db;
  db.SetDatabaseName(file.Path());
  db.Params().Add("lc_ctype=NONE");
  std::vector<std::string> seen;
  db.OnLogin = [&](TIBDatabase*, TStringList& params) {
    seen = params.Lines();
    params.Add("user_name=SYSDBA");
    params.Add("password=secret");
  };
  db.Open();
  EXPECT_EQ(seen, std::vector<std::string>{"lc_ctype=NONE"});
  // The user name went back into Params, the password did not.
  EXPECT_EQ(db.Params().Values("user_name"), "SYSDBA");
  EXPECT_EQ(db.Params().IndexOfName("password"), -1);
  EXPECT_NE(db.Dpb().find("secret"), std::string::npos);
}

TEST(Database, AttachRefusedByTheEngine) {
  TempFolder folder;
  TIBDatabase db;
  Prepare(db, folder.Path() + "/missing.fdb");
  try {
    db.Open();
    FAIL() << "attach of a missing file succeeded";
  } catch (const EIBInterBaseError& e) {
    EXPECT_NE(e.Message().find("missing.fdb"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(db.Handle(), 0u);
}

TEST(Database, DpbIsRebuiltOnlyAfterAChangeAndABadLineKeepsFailing) {
  TempDatabase file;
  TIBDatabase db;
  Prepare(db, file.Path());
  db.Params().Add("page_size=4096");
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(MessageOf<EIBClientError>([&] { db.Open(); }),
              "DPB Constant (isc_dpb_page_size) is unsupported");
  EXPECT_EQ(db.Dpb(), "");
  db.Params().Delete(1);
  db.Open();
  const std::string built = db.Dpb();
  EXPECT_EQ(built, std::string("\x01\x1c\x06SYSDBA"));
  db.Close();
  db.Open();
  EXPECT_EQ(db.Dpb(), built);
  db.Close();
  db.Params().Add("num_buffers=300");
  db.Open();
  EXPECT_EQ(db.Dpb(), built + "\x05\x01\x2c");
}

TEST(Database, IdleTimerClosesAfterTwoQuietTicks) {
  ManualTimers timers;
  TempDatabase file;
  TIBDatabase db;
  Prepare(db, file.Path());
  EXPECT_EQ(timers.RunningCount(), 0);
  int idle_events = 0;
  db.OnIdleTimer = [&](TComponent*) { ++idle_events; };
  db.Open();
  db.SetIdleTimer(100);
  EXPECT_EQ(timers.RunningCount(), 1);
  timers.TickAll();  // arms
  db.Call(0, true);  // a client call in between re-arms
  timers.TickAll();
  EXPECT_TRUE(db.Connected());
  timers.TickAll();
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(idle_events, 1);
  // A forced close leaves the dialect read at connect.
  EXPECT_EQ(db.DBSQLDialect(), 3);
  timers.TickAll();
  EXPECT_EQ(idle_events, 1);

  // Calls made in a transaction of the connection keep it open as well.
  db.Open();
  TIBTransaction tr;
  tr.AddDatabase(&db);
  timers.TickAll();
  tr.StartTransaction();
  timers.TickAll();
  EXPECT_TRUE(db.Connected());
  db.SetIdleTimer(0);
  EXPECT_EQ(timers.RunningCount(), 0);
}

TEST(Database, LinksFollowTheirConnectionAndTransaction) {
  TempDatabase file;
  auto db = std::make_unique<TIBDatabase>();
  Prepare(*db, file.Path());
  TIBTransaction tr;
  EXPECT_EQ(db->ChooseDefaultTransaction(), nullptr);  // the internal one is never chosen
  db->SetDefaultTransaction(&tr);
  EXPECT_EQ(tr.FindDatabase(db.get()), 0);
  EXPECT_EQ(tr.FindDefaultDatabase(), db.get());
  EXPECT_EQ(db->ChooseDefaultTransaction(), &tr);

  TComponent owner;
  TIBBase a(&owner), b(&owner), c(&owner);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { a.RequireDatabase(); }), "Database not assigned");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { a.RequireTransaction(); }), "Transaction not assigned");
  a.SetDatabase(db.get());
  EXPECT_EQ(a.Transaction(), &tr);
  b.SetTransaction(&tr);
  EXPECT_EQ(b.Database(), db.get());
  EXPECT_EQ(MessageOf<EIBClientError>([&] { a.DBHandle(); }),
            "Cannot perform operation -- DB is not open");
  db->Open();
  EXPECT_EQ(*a.DBHandle(), db->Handle());
  EXPECT_EQ(MessageOf<EIBClientError>([&] { a.TRHandle(); }), "Transaction is not active");

  // Slots: a removal empties one, the next link fills it. The connection's own schema
  // statement may hold a slot already.
  int slot = -1;
  for (int i = 0; i < db->SQLObjectCount(); ++i)
    if (db->SQLObjects(i) == &a) slot = i;
  ASSERT_GE(slot, 0);
  a.SetDatabase(nullptr);
  EXPECT_EQ(db->SQLObjects(slot), nullptr);
  c.SetDatabase(db.get());
  EXPECT_EQ(db->SQLObjects(slot), &c);

  std::vector<std::string> log;
  b.OnDatabaseFree = [&](TIBBase* s) { log.push_back(s == &b ? "b free" : "?"); };
  c.OnDatabaseFree = [&](TIBBase*) { log.push_back("c free"); };
  db.reset();
  EXPECT_EQ(log, (std::vector<std::string>{"c free", "b free"}));
  EXPECT_EQ(b.Database(), nullptr);
  EXPECT_EQ(b.Transaction(), nullptr);
  EXPECT_EQ(tr.DatabaseCount(), 0);
  EXPECT_EQ(tr.SQLObjects(0), &a);  // a left the connection, not the transaction
  EXPECT_EQ(tr.SQLObjects(1), nullptr);
  EXPECT_EQ(tr.SQLObjects(2), nullptr);
}

TEST(Database, ARefusingLinkStopsAPlainCloseButNotAForcedOne) {
  TempDatabase file;
  TComponent owner;
  TIBBase link(&owner);
  link.BeforeDatabaseDisconnect = [](TIBBase*) { throw EAbort(); };
  auto db = std::make_unique<TIBDatabase>();
  Prepare(*db, file.Path());
  link.SetDatabase(db.get());
  db->Open();
  EXPECT_THROW(db->Close(), EAbort);
  EXPECT_TRUE(db->Connected());
  db->ForceClose();
  EXPECT_FALSE(db->Connected());
  db->Open();
  db.reset();  // forced as well: nothing escapes
  EXPECT_EQ(link.Database(), nullptr);
}

TEST(Database, RefusedDetachLeavesTheConnectionOpen) {
  TempDatabase file;
  TIBDatabase db;
  Prepare(db, file.Path());
  TComponent owner;
  TIBBase link(&owner);
  std::vector<std::string> log;
  db.BeforeDisconnect = [&](TComponent*) { log.push_back("before"); };
  db.AfterDisconnect = [&](TComponent*) { log.push_back("after"); };
  link.BeforeDatabaseDisconnect = [&](TIBBase*) { log.push_back("link before"); };
  link.AfterDatabaseDisconnect = [&](TIBBase*) { log.push_back("link after"); };
  link.SetDatabase(&db);
  db.Open();
  // A transaction the connection does not know of keeps the detach from going through.
  TIBTransaction stranger;
  stranger.AddDatabase(&db);
  stranger.StartTransaction();
  isc_tr_handle open = stranger.Handle();
  *stranger.HandleAddress() = 0;
  try {
    db.Close();
    ADD_FAILURE() << "the detach went through";
  } catch (const EIBInterBaseError& e) {
    EXPECT_NE(e.Message().find("open transaction"), std::string::npos) << e.Message();
  }
  EXPECT_TRUE(db.Connected());
  EXPECT_EQ(log, (std::vector<std::string>{"before", "link before"}));
  ClientApi().isc_rollback_transaction(ClientStatusVector(), &open);

  log.clear();
  db.ForceClose();
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(log, (std::vector<std::string>{"before", "link before", "link after", "after"}));
}

TEST(Database, StoredStatesApplyWhenLoadingEnds) {
  TempDatabase file;
  TIBDatabase db;
  Prepare(db, file.Path());
  TIBTransaction tr;
  db.SetDefaultTransaction(&tr);
  db.BeginLoading();
  tr.BeginLoading();
  db.SetConnected(true);
  tr.SetActive(true);
  EXPECT_FALSE(db.Connected());
  tr.EndLoading();  // the transaction does not act on its stored state
  EXPECT_FALSE(db.Connected());
  EXPECT_FALSE(tr.InTransaction());
  db.EndLoading();  // the connection connects, then starts it
  EXPECT_TRUE(db.Connected());
  EXPECT_TRUE(tr.InTransaction());
  tr.Commit();
  db.Close();

  // Loaded in the other order: a transaction not yet loaded is started all the same.
  db.BeginLoading();
  tr.BeginLoading();
  db.SetConnected(true);
  tr.SetActive(true);
  db.EndLoading();
  EXPECT_TRUE(tr.InTransaction());
  tr.EndLoading();
  tr.Commit();
  db.Close();

  db.SetAllowStreamedConnected(false);
  db.BeginLoading();
  tr.BeginLoading();
  db.SetConnected(true);
  tr.SetActive(true);
  db.EndLoading();
  tr.EndLoading();
  EXPECT_FALSE(db.Connected());
  EXPECT_FALSE(tr.InTransaction());
}

TEST(Database, ClientFreedByAnotherClientsConnectNoticeIsNotCalled) {
  TempDatabase file;
  TIBDatabase db;
  Prepare(db, file.Path());
  std::vector<std::string> log;
  TComponent first_owner;
  auto second_owner = std::make_unique<TComponent>();
  TIBBase first(&first_owner);
  auto second = std::make_unique<TIBBase>(second_owner.get());
  first.ConnectChange = [&](bool) {
    log.push_back("first");
    second.reset();  // the second client leaves the list while the first hears the news
    second_owner.reset();
  };
  second->ConnectChange = [&](bool) { log.push_back("second"); };
  first.SetDatabase(&db);
  second->SetDatabase(&db);
  ASSERT_EQ(db.DataSetCount(), 2);
  db.Open();
  EXPECT_EQ(log, std::vector<std::string>{"first"});
  EXPECT_EQ(db.DataSetCount(), 1);
  EXPECT_EQ(db.DataSets(0), &first_owner);
}

TEST(Database, ActiveDefaultTransactionCannotBeReplaced) {
  TempDatabase file(TempDatabaseOptions{.setup = "CREATE TABLE T (ID INTEGER);"});
  TIBDatabase db;
  Prepare(db, file.Path());
  TIBTransaction tr, other;
  db.SetDefaultTransaction(&tr);
  db.Open();
  tr.StartTransaction();
  ExecSql(db, tr, "INSERT INTO T VALUES (1)");
  int code = 0;
  try {
    db.SetDefaultTransaction(&other);
  } catch (const EIBClientError& e) {
    code = e.SqlErrorCode();
  }
  EXPECT_EQ(code, ceTransactionActive);
  EXPECT_EQ(db.DefaultTransaction(), &tr);
  EXPECT_GE(tr.FindDatabase(&db), 0);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { db.SetDefaultTransaction(nullptr); }),
            "Transaction is active");
  tr.Commit();
  db.SetDefaultTransaction(&other);  // idle: taken
  EXPECT_EQ(db.DefaultTransaction(), &other);
  db.Close();
  EXPECT_EQ(LastNumber(file.RunSql("SELECT COUNT(*) FROM T;")), 1);
}

TEST(Database, DestroyingAnOpenConnectionCommitsItsTransaction) {
  TempDatabase file(TempDatabaseOptions{.setup = "CREATE TABLE T (ID INTEGER);"});
  {
    TIBDatabase db;
    Prepare(db, file.Path());
    TIBTransaction* tr = new TIBTransaction(&db);
    db.SetDefaultTransaction(tr);
    db.Open();
    tr->StartTransaction();
    ExecSql(db, *tr, "INSERT INTO T VALUES (7)");
  }
  EXPECT_EQ(LastNumber(file.RunSql("SELECT COUNT(*) FROM T WHERE ID = 7;")), 1);
}

}  // namespace
