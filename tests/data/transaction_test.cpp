#include "data/transaction/transaction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connection_test_support.h"
#include "data/database/ib_base.h"
#include "support/expect_error.h"
#include "support/temp_database.h"

namespace {

const char* kTable = "CREATE TABLE T (ID INTEGER);";

// A connection and its default transaction on one file.
struct Session {
  explicit Session(const std::string& path) {
    Prepare(db, path);
    db.SetDefaultTransaction(&tr);
    db.Open();
  }
  long long Count() {
    bool started = !tr.InTransaction();
    if (started) tr.StartTransaction();
    long long n = SelectInt(db, tr, "SELECT COUNT(*) FROM T");
    if (started) tr.Commit();
    return n;
  }
  TIBDatabase db;
  TIBTransaction tr;
};

TEST(Transaction, StartRefusals) {
  TempDatabase file;
  TIBTransaction tr;
  EXPECT_FALSE(tr.Active());
  EXPECT_EQ(tr.DefaultAction(), TACommit);
  EXPECT_EQ(tr.AutoStopAction(), saNone);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { tr.StartTransaction(); }),
            "No databases are listed in transaction component");
  TIBDatabase db;
  Prepare(db, file.Path());
  tr.AddDatabase(&db);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { tr.StartTransaction(); }),
            "Cannot perform operation -- DB is not open");
  db.Open();
  EXPECT_EQ(MessageOf<EIBClientError>([&] { tr.Commit(); }), "Transaction is not active");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { tr.SetIdleTimer(-5); }),
            "Timeout values cannot be negative");

  tr.Params().Add("dirty");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { tr.StartTransaction(); }),
            "TPB Constant (dirty) is unknown");
  EXPECT_FALSE(tr.InTransaction());
  tr.Params().SetStrings(0, "concurrency");
  tr.Params().Add("nowait");
  tr.SetActive(true);
  EXPECT_EQ(tr.Tpb(), std::string("\x03\x02\x07"));
  EXPECT_EQ(MessageOf<EIBClientError>([&] { tr.StartTransaction(); }), "Transaction is active");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { tr.Params().Clear(); }), "Transaction is active");
  EXPECT_EQ(tr.Params().Count(), 2);
  tr.SetActive(false);  // rolls back
  EXPECT_FALSE(tr.InTransaction());
}

TEST(Transaction, CommitShowsRowsToAnotherConnectionAndRollbackDiscards) {
  TempDatabase file(TempDatabaseOptions{.setup = kTable});
  Session writer(file.Path());
  Session reader(file.Path());
  writer.tr.StartTransaction();
  ExecSql(writer.db, writer.tr, "INSERT INTO T VALUES (1)");
  EXPECT_EQ(reader.Count(), 0);
  writer.tr.Commit();
  EXPECT_FALSE(writer.tr.InTransaction());
  EXPECT_EQ(reader.Count(), 1);

  writer.tr.StartTransaction();
  ExecSql(writer.db, writer.tr, "INSERT INTO T VALUES (2)");
  writer.tr.Rollback();
  EXPECT_EQ(reader.Count(), 1);

  // The retaining forms end the work and keep the handle.
  writer.tr.StartTransaction();
  isc_tr_handle handle = writer.tr.Handle();
  ExecSql(writer.db, writer.tr, "INSERT INTO T VALUES (3)");
  writer.tr.CommitRetaining();
  EXPECT_EQ(writer.tr.Handle(), handle);
  EXPECT_EQ(reader.Count(), 2);
  ExecSql(writer.db, writer.tr, "INSERT INTO T VALUES (4)");
  writer.tr.RollbackRetaining();
  EXPECT_EQ(writer.tr.Handle(), handle);
  EXPECT_EQ(writer.Count(), 2);
  writer.tr.Commit();
}

TEST(Transaction, EndNoticesReachLinksInSlotOrder) {
  TempDatabase file;
  Session s(file.Path());
  TComponent owner;
  TIBBase a(&owner), b(&owner), c(&owner);
  std::vector<std::string> log;
  for (auto [link, name] : {std::pair{&a, "a"}, {&b, "b"}, {&c, "c"}}) {
    link->BeforeTransactionEnd = [&log, name](TIBBase*) { log.push_back(std::string(name) + "<"); };
    link->AfterTransactionEnd = [&log, name](TIBBase*) { log.push_back(std::string(name) + ">"); };
  }
  a.SetTransaction(&s.tr);
  b.SetTransaction(&s.tr);
  EXPECT_EQ(a.Database(), &s.db);  // taken from the transaction
  a.SetTransaction(nullptr);
  c.SetTransaction(&s.tr);  // fills a's empty slot
  a.SetTransaction(&s.tr);
  s.tr.StartTransaction();
  s.tr.CommitRetaining();
  EXPECT_TRUE(log.empty());
  s.tr.Commit();
  EXPECT_EQ(log, (std::vector<std::string>{"c<", "b<", "a<", "c>", "b>", "a>"}));

  // Destroying the transaction tells the links, which forget it.
  bool freed = false;
  b.OnTransactionFree = [&](TIBBase*) { freed = true; };
  {
    TIBTransaction other;
    other.AddDatabase(&s.db);
    b.SetTransaction(&other);
  }
  EXPECT_TRUE(freed);
  EXPECT_EQ(b.Transaction(), nullptr);
  EXPECT_EQ(b.Database(), &s.db);
}

TEST(Transaction, OneTransactionCommitsTwoFiles) {
  TempDatabase first(TempDatabaseOptions{.setup = kTable});
  TempDatabase second(TempDatabaseOptions{.setup = kTable});
  {
    TIBDatabase db1, db2;
    Prepare(db1, first.Path());
    Prepare(db2, second.Path());
    db1.Open();
    db2.Open();
    TIBTransaction tr;
    EXPECT_EQ(tr.AddDatabase(&db1), 0);
    EXPECT_EQ(tr.AddDatabase(&db2), 1);
    EXPECT_EQ(tr.AddDatabase(&db1), 0);
    tr.StartTransaction();
    ExecSql(db1, tr, "INSERT INTO T VALUES (1)");
    ExecSql(db2, tr, "INSERT INTO T VALUES (2)");
    tr.Commit();
  }
  EXPECT_EQ(LastNumber(first.RunSql("SELECT COUNT(*) FROM T WHERE ID = 1;")), 1);
  EXPECT_EQ(LastNumber(second.RunSql("SELECT COUNT(*) FROM T WHERE ID = 2;")), 1);
}

// A commit that the server refuses: a commit trigger fails while FAILNOW holds a row.
const char* kRefusingCommit =
    "CREATE TABLE T (ID INTEGER);\n"
    "CREATE TABLE FAILNOW (ID INTEGER);\n"
    "CREATE EXCEPTION NO_COMMIT 'commit refused';\n"
    "SET TERM ^ ;\n"
    "CREATE TRIGGER REFUSE ON TRANSACTION COMMIT AS BEGIN\n"
    "  IF (EXISTS(SELECT 1 FROM FAILNOW)) THEN EXCEPTION NO_COMMIT;\n"
    "END^\n"
    "SET TERM ; ^\n";

TEST(Transaction, RefusedCommit) {
  TempDatabase file(TempDatabaseOptions{.setup = kRefusingCommit});
  Session s(file.Path());
  TComponent owner;
  TIBBase link(&owner);
  int before = 0, after = 0;
  link.BeforeTransactionEnd = [&](TIBBase*) { ++before; };
  link.AfterTransactionEnd = [&](TIBBase*) { ++after; };
  link.SetTransaction(&s.tr);

  // Not forced: the error, still active, no after notice.
  s.tr.StartTransaction();
  ExecSql(s.db, s.tr, "INSERT INTO FAILNOW VALUES (1)");
  try {
    s.tr.Commit();
    FAIL() << "the commit went through";
  } catch (const EIBInterBaseError& e) {
    EXPECT_NE(e.Message().find("commit refused"), std::string::npos) << e.Message();
  }
  EXPECT_TRUE(s.tr.InTransaction());
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 0);

  // Forced: rolled back instead, handle dropped, nothing raised.
  ExecSql(s.db, s.tr, "INSERT INTO T VALUES (5)");
  s.tr.EndTransaction(TACommit, true);
  EXPECT_FALSE(s.tr.InTransaction());
  EXPECT_EQ(after, 1);
  EXPECT_EQ(s.Count(), 0);
  EXPECT_NO_THROW(s.db.Close());  // nothing left open on the server
}

TEST(Transaction, TheTpbReachesTheStart) {
  TempDatabase file(TempDatabaseOptions{.setup = kTable});
  Session s(file.Path());
  s.tr.Params().Add("lock_read=NO_SUCH_TABLE");  // built fine, refused by the server
  EXPECT_THROW(s.tr.StartTransaction(), EIBInterBaseError);
  EXPECT_EQ(s.tr.Handle(), 0u);
  EXPECT_FALSE(s.tr.InTransaction());
  s.tr.Params().SetStrings(0, "lock_read=T");
  s.tr.StartTransaction();
  EXPECT_TRUE(s.tr.InTransaction());
}

TEST(Transaction, DisconnectAndDestructionEndByDefaultAction) {
  TempDatabase file(TempDatabaseOptions{.setup = kTable});
  {
    Session s(file.Path());
    s.tr.StartTransaction();
    ExecSql(s.db, s.tr, "INSERT INTO T VALUES (1)");
    s.db.Close();  // a commit, the default action
    EXPECT_FALSE(s.tr.InTransaction());
    s.db.Open();
    EXPECT_EQ(s.Count(), 1);

    s.tr.SetDefaultAction(TARollbackRetaining);  // ends as a rollback
    s.tr.StartTransaction();
    ExecSql(s.db, s.tr, "INSERT INTO T VALUES (2)");
    s.db.Close();
    s.db.Open();
    EXPECT_EQ(s.Count(), 1);

    s.tr.SetDefaultAction(TACommitRetaining);  // ends as a hard commit
    s.tr.StartTransaction();
    ExecSql(s.db, s.tr, "INSERT INTO T VALUES (3)");
  }
  EXPECT_EQ(LastNumber(file.RunSql("SELECT COUNT(*) FROM T WHERE ID = 3;")), 1);
}

TEST(Transaction, DestroyingTheDefaultTransactionClearsTheConnection) {
  TempDatabase file;
  TIBDatabase db;
  Prepare(db, file.Path());
  auto tr = std::make_unique<TIBTransaction>();
  db.SetDefaultTransaction(tr.get());
  const int slot = db.FindTransaction(tr.get());
  EXPECT_GE(slot, 0);
  db.Open();
  tr->StartTransaction();
  tr.reset();
  EXPECT_EQ(db.DefaultTransaction(), nullptr);
  EXPECT_EQ(db.Transactions(slot), nullptr);

  // A replaced default transaction leaves the list unless it names this connection.
  TIBTransaction first, second;
  db.SetDefaultTransaction(&first);
  db.SetDefaultTransaction(&second);
  EXPECT_EQ(db.FindTransaction(&first), -1);
  EXPECT_EQ(first.DatabaseCount(), 0);
  first.SetDefaultDatabase(&db);
  db.SetDefaultTransaction(&first);
  db.SetDefaultTransaction(&second);
  EXPECT_GE(db.FindTransaction(&first), 0);
  EXPECT_EQ(db.ChooseDefaultTransaction(), &second);
}

TEST(Transaction, IdleTimerEndsAfterTwoQuietTicks) {
  ManualTimers timers;
  TempDatabase file(TempDatabaseOptions{.setup = kTable});
  Session s(file.Path());
  int idle_events = 0;
  s.tr.OnIdleTimer = [&](TComponent*) { ++idle_events; };
  s.tr.SetIdleTimer(50);
  timers.TickAll();  // idle: nothing to end
  s.tr.StartTransaction();
  ExecSql(s.db, s.tr, "INSERT INTO T VALUES (1)");
  timers.TickAll();
  ExecSql(s.db, s.tr, "INSERT INTO T VALUES (2)");
  timers.TickAll();
  EXPECT_TRUE(s.tr.InTransaction());
  timers.TickAll();
  EXPECT_FALSE(s.tr.InTransaction());
  EXPECT_EQ(idle_events, 1);
  EXPECT_EQ(s.Count(), 2);  // ended by the default action, a commit
}

TEST(Transaction, AutoStopWaitsForOpenDatasets) {
  TempDatabase file;
  Session s(file.Path());
  TComponent owner;
  TIBBase link(&owner);
  bool open = true;
  link.DatasetActive = [&] { return open; };
  link.SetTransaction(&s.tr);
  s.tr.StartTransaction();
  s.tr.CheckAutoStop();  // saNone
  EXPECT_TRUE(s.tr.InTransaction());
  s.tr.SetAutoStopAction(saCommit);
  s.tr.CheckAutoStop();
  EXPECT_TRUE(s.tr.InTransaction());
  open = false;
  s.tr.CheckAutoStop();
  EXPECT_FALSE(s.tr.InTransaction());
}

}  // namespace
