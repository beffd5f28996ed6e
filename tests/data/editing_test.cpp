// Editing rows and writing them back, against real databases: exact round trips,
// addressing by DB key, refresh after post, failures that keep what was typed, blobs.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "data/dataset/table.h"
#include "data/statement/sql.h"
#include "dataset_test_support.h"
#include "sql_test_support.h"
#include "support/expect_error.h"
#include "support/temp_database.h"

namespace {

const char* kSetup =
    "create table R (ID integer not null primary key, Q integer, TS timestamp, TM time, "
    "N4 numeric(18,4), N2 numeric(18,2), S varchar(10), E varchar(10), B blob sub_type 0, "
    "M blob sub_type 1, OK boolean);\n"
    "insert into R values (1, 5, '2024-02-29 23:59:59.1234', '01:02:03.0004', "
    "922337203685477.5807, -92233720368547758.08, 'x', '', 'bytes', 'memo text', true);\n"
    "insert into R (ID) values (2);\n"
    "create table TWIN (A integer, B varchar(5));\n"
    "insert into TWIN values (1, 'same');\n"
    "insert into TWIN values (1, 'same');\n"
    "create table C (ID integer not null primary key, NAME varchar(10) not null, "
    "DOUBLED computed by (ID * 2), STAMP varchar(20));\n"
    "set term ^;\ncreate trigger C_BI for C before insert or update as begin "
    "new.STAMP = 'by trigger ' || new.ID; end^\nset term ;^\n"
    "create table P (ID integer not null primary key, PRICE integer, OLD_PRICE integer);\n"
    "insert into P values (1, 10, 5);\n"
    "create table MANY (ID integer not null primary key, V varchar(10));\n"
    "set term ^;\nexecute block as declare i integer = 1; begin while (i <= 60) do begin "
    "insert into MANY values (:i * 10, 'v' || :i); i = i + 1; end end^\nset term ;^\n";

// A link asking for a window, as a grid would.
class WindowLink : public TDataLink {};

class EditingTest : public ::testing::Test {
 protected:
  EditingTest() : db_(kSetup), c_(db_.Path()) { Use(table_, "R"); }
  void Use(TIBTable& table, const std::string& name) {
    table.SetDatabase(&c_.db);
    table.SetTransaction(&c_.tr);
    table.SetTableName(name);
    table.Open();
  }
  // One row of `sql` as the statement layer reads it, column by column.
  std::vector<std::string> Row(const std::string& sql) {
    auto q = c_.Sql(sql);
    q->ExecQuery();
    std::vector<std::string> row;
    for (int i = 0; i < q->Current().Count(); ++i)
      row.push_back(q->Fields(i).IsNull() ? "<null>" : q->Fields(i).AsString());
    return row;
  }
  long long Count(const std::string& sql) {
    auto q = c_.Sql(sql);
    q->ExecQuery();
    return q->Fields(0).AsInt64();
  }

  TempDatabase db_;
  Connection c_;
  TIBTable table_;
};

TEST_F(EditingTest, EditingOneCellWritesEveryOtherValueBackExactly) {
  // Raw forms of what isql stored, to compare after the round trip.
  const std::string raw =
      "select ID, Q, cast(TS as varchar(30)), cast(TM as varchar(20)), cast(N4 as "
      "varchar(30)), cast(N2 as varchar(30)), S, E, E is null, B, M, OK from R where ID = 1";
  const std::vector<std::string> before = Row(raw);
  table_.Edit();
  table_.FieldByName("Q")->SetAsInteger(6);
  table_.Post();
  c_.tr.Commit();
  c_.tr.StartTransaction();
  std::vector<std::string> after = Row(raw);
  EXPECT_EQ(after[1], "6");
  after[1] = before[1];
  EXPECT_EQ(after, before) << "timestamps, times, scaled extremes, '' and blobs unchanged";

  // An empty text typed into a string field is stored as NULL.
  table_.Open();
  table_.Edit();
  table_.FieldByName("S")->SetAsString("");
  table_.Post();
  EXPECT_EQ(Count("select count(*) from R where ID = 1 and S is null"), 1);
}

TEST_F(EditingTest, TheDbKeyAddressesOneOfTwoIdenticalRows) {
  TIBTable twin;
  Use(twin, "TWIN");
  twin.Edit();
  twin.FieldByName("B")->SetAsString("mine");
  twin.Post();
  EXPECT_EQ(Count("select count(*) from TWIN where B = 'same'"), 1);
  EXPECT_EQ(Count("select count(*) from TWIN where B = 'mine'"), 1);
  twin.Delete();
  EXPECT_EQ(Count("select count(*) from TWIN"), 1);
  EXPECT_EQ(twin.RecordCount(), 1);
  EXPECT_EQ(twin.FieldByName("B")->AsString(), "same");

  // A row inserted with a NULL into a table without a key is read back by all its
  // columns and can then be edited and deleted.
  twin.Append();
  twin.FieldByName("A")->SetAsInteger(7);
  twin.Post();
  twin.Edit();
  twin.FieldByName("B")->SetAsString("later");
  twin.Post();
  EXPECT_EQ(Count("select count(*) from TWIN where A = 7 and B = 'later'"), 1);
  twin.Delete();
  EXPECT_EQ(Count("select count(*) from TWIN where A = 7"), 0);
}

TEST_F(EditingTest, PostRefreshesComputedAndTriggerValuesAndChecksRequiredFields) {
  TIBTable c;
  Use(c, "C");
  EXPECT_TRUE(c.IsEmpty());
  EXPECT_FALSE(c.FieldByName("DOUBLED")->CanModify());
  c.Insert();
  c.FieldByName("ID")->SetAsInteger(21);
  // The before-insert trigger might fill NAME, so the engine judges the empty column.
  EXPECT_FALSE(c.FieldByName("NAME")->Required());
  EXPECT_THROW(c.Post(), EIBInterBaseError);
  EXPECT_EQ(c.State(), dsInsert);
  EXPECT_EQ(Count("select count(*) from C"), 0) << "nothing was stored";
  c.FieldByName("NAME")->SetAsString("n");
  c.Post();
  EXPECT_EQ(c.FieldByName("DOUBLED")->AsInteger(), 42);
  EXPECT_EQ(c.FieldByName("STAMP")->AsString(), "by trigger 21");

  // A unique-key violation keeps the insert and its values; corrected, one row lands.
  int after_post = 0;
  c.AfterPost = [&](TDataSet*) { ++after_post; };
  c.Append();
  c.FieldByName("ID")->SetAsInteger(21);
  c.FieldByName("NAME")->SetAsString("dup");
  EXPECT_THROW(c.Post(), EIBInterBaseError);
  EXPECT_EQ(c.State(), dsInsert);
  EXPECT_EQ(c.FieldByName("NAME")->AsString(), "dup");
  EXPECT_EQ(after_post, 0);
  c.FieldByName("ID")->SetAsInteger(22);
  c.Post();
  EXPECT_EQ(after_post, 1);
  EXPECT_EQ(Count("select count(*) from C"), 2);
  EXPECT_EQ(c.RecordCount(), 2);

  // A failed modify, then cancel: fields and cache as before.
  c.First();
  c.Edit();
  c.FieldByName("ID")->SetAsInteger(22);
  EXPECT_THROW(c.Post(), EIBInterBaseError);
  EXPECT_EQ(c.State(), dsEdit);
  c.Cancel();
  EXPECT_EQ(c.FieldByName("ID")->AsInteger(), 21);
  c.Next();
  c.Prior();
  EXPECT_EQ(c.FieldByName("ID")->AsInteger(), 21) << "the cache holds the old row too";
}

TEST_F(EditingTest, AWindowThatGrowsDuringAnInsertFetchesAroundIt) {
  TIBTable many;
  WindowLink link;
  TDataSource source;
  source.SetDataSet(&many);
  link.SetBufferCount(5);
  link.SetDataSource(&source);
  Use(many, "MANY");
  many.MoveBy(2);  // the third row of five
  many.Insert();
  many.FieldByName("ID")->SetAsInteger(25);
  // A larger grid: more rows are fetched while the insert stands in the window.
  link.SetBufferCount(12);
  many.FieldByName("V")->SetAsString("new");
  EXPECT_EQ(many.State(), dsInsert);
  EXPECT_EQ(many.FieldByName("ID")->AsInteger(), 25);
  many.Post();
  // Every stored row once, the new one once, in the order they were shown.
  std::vector<int> ids;
  many.First();
  while (!many.Eof()) {
    ids.push_back(many.FieldByName("ID")->AsInteger());
    many.Next();
  }
  ASSERT_EQ(ids.size(), 61u);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 25), 1);
  for (int id = 10; id <= 600; id += 10) EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 1) << id;
  EXPECT_EQ(Count("select count(*) from MANY"), 61);
}

TEST_F(EditingTest, AnInsertBeforeTheEndOfFetchingAppearsOnce) {
  TIBTable many;
  WindowLink link;
  TDataSource source;
  source.SetDataSet(&many);
  link.SetBufferCount(20);
  link.SetDataSource(&source);
  Use(many, "MANY");
  EXPECT_EQ(many.RecordCount(), 20);
  many.MoveBy(19);  // the window's last row: posting there reads no further rows
  many.Insert();
  many.FieldByName("ID")->SetAsInteger(555);  // sorts among rows not yet fetched
  many.FieldByName("V")->SetAsString("new");
  many.Post();
  EXPECT_EQ(many.RecordCount(), 21);
  many.Last();
  EXPECT_EQ(many.RecordCount(), 61);
  int seen = 0;
  many.First();
  while (!many.Eof()) {
    seen += many.FieldByName("ID")->AsInteger() == 555;
    many.Next();
  }
  EXPECT_EQ(seen, 1);

  // Cancelling an append returns to the row the user was on.
  many.Last();
  many.Append();
  many.Cancel();
  EXPECT_EQ(many.FieldByName("ID")->AsInteger(), 600);
  EXPECT_EQ(many.RecNo(), many.RecordCount());
}

TEST_F(EditingTest, AConflictingUpdateFailsTheOtherSideKeepsItsWorkAndCancelRestores) {
  table_.Edit();
  table_.FieldByName("S")->SetAsString("ours");
  Connection other(db_.Path());
  other.Run("update R set S = 'theirs' where ID = 1");
  other.tr.Commit();
  EXPECT_THROW(table_.Post(), EIBInterBaseError);
  EXPECT_EQ(table_.State(), dsEdit);
  EXPECT_EQ(table_.FieldByName("S")->AsString(), "ours");
  table_.Cancel();
  EXPECT_EQ(table_.FieldByName("S")->AsString(), "x");

  // A row deleted meanwhile (here by another statement of the same transaction): the
  // modify changes nothing, and that is an error, not a success.
  table_.Last();
  ASSERT_EQ(table_.FieldByName("ID")->AsInteger(), 2);
  c_.Run("delete from R where ID = 2");
  table_.Edit();
  table_.FieldByName("Q")->SetAsInteger(1);
  EXPECT_EQ(MessageOf<ERowChanged>([&] { table_.Post(); }), kRowChangedMessage);
  EXPECT_EQ(table_.State(), dsEdit);
  EXPECT_EQ(MessageOf<ERowChanged>([&] {
              table_.Cancel();
              table_.Delete();
            }),
            kRowChangedMessage);
  EXPECT_EQ(table_.RecordCount(), 2) << "a failed delete keeps the row";
}

TEST_F(EditingTest, APostNeverWritesOverAChangeItDidNotSee) {
  // Two views of one table in one transaction, as two pages are: each read row 1.
  TIBTable other;
  Use(other, "R");
  table_.Edit();
  table_.FieldByName("S")->SetAsString("first");
  table_.Post();
  // The second still shows the old S; its post of Q alone would write that S back.
  other.Edit();
  other.FieldByName("Q")->SetAsInteger(99);
  try {
    other.Post();
    FAIL() << "the stale post went through";
  } catch (const ERowChanged& error) {
    EXPECT_EQ(error.Message(), kRowChangedMessage);
    EXPECT_EQ(error.DataSet(), &other);
  }
  EXPECT_EQ(other.State(), dsEdit);
  EXPECT_EQ(other.FieldByName("Q")->AsInteger(), 99);  // the edit is kept
  EXPECT_EQ(Row("select S, Q from R where ID = 1"), (std::vector<std::string>{"first", "5"}));
  // Read again, the row shows the change and takes an edit on top of it.
  other.Cancel();
  other.RefreshRow();
  EXPECT_EQ(other.FieldByName("S")->AsString(), "first");
  other.Edit();
  other.FieldByName("Q")->SetAsInteger(99);
  other.Post();
  EXPECT_EQ(Row("select S, Q from R where ID = 1"), (std::vector<std::string>{"first", "99"}));

  // A delete of a row changed since it was read deletes nothing; NULLs compare as equal.
  table_.Last();
  c_.Run("update R set E = 'changed' where ID = 2");
  EXPECT_THROW(table_.Delete(), ERowChanged);
  table_.RefreshRow();
  table_.Delete();
  EXPECT_EQ(Count("select count(*) from R"), 1);
}

TEST_F(EditingTest, BlobStreamsWriteCancelAndReadBack) {
  table_.Edit();
  table_.FieldByName("M")->SetAsString("first draft");
  table_.Cancel();
  EXPECT_EQ(table_.FieldByName("M")->AsString(), "memo text") << "cancel restores the old contents";
  table_.Edit();
  table_.FieldByName("Q")->SetAsInteger(9);
  table_.Post();
  EXPECT_EQ(Row("select M from R where ID = 1")[0], "memo text")
      << "a cancelled write is not posted";

  table_.Edit();
  {
    std::unique_ptr<TStream> stream = table_.CreateBlobStream(table_.FieldByName("B"), bmWrite);
    const std::string bytes(70000, '\x01');
    stream->Write(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  table_.FieldByName("M")->SetAsString("second");
  table_.Post();
  EXPECT_EQ(Row("select M from R where ID = 1")[0], "second");
  EXPECT_EQ(Count("select char_length(B) from R where ID = 1"), 70000);
  EXPECT_EQ(table_.FieldByName("B")->AsString().size(), 70000u);

  table_.Close();
  table_.Open();
  EXPECT_EQ(MessageOf<EIBClientError>([&] {
              std::unique_ptr<TStream> s =
                  table_.CreateBlobStream(table_.FieldByName("M"), bmWrite);
              s->Write("x", 1);
            }),
            "Not in edit mode");
}

TEST_F(EditingTest, EventsComeInOrder) {
  std::vector<std::string> events;
  auto record = [&](const char* name) {
    return [&events, name](TDataSet*) { events.push_back(name); };
  };
  table_.BeforeEdit = record("BeforeEdit");
  table_.AfterEdit = record("AfterEdit");
  table_.BeforeInsert = record("BeforeInsert");
  table_.AfterInsert = record("AfterInsert");
  table_.OnNewRecord = record("OnNewRecord");
  table_.BeforePost = record("BeforePost");
  table_.AfterPost = record("AfterPost");
  table_.BeforeCancel = record("BeforeCancel");
  table_.AfterCancel = record("AfterCancel");
  table_.BeforeDelete = record("BeforeDelete");
  table_.AfterDelete = record("AfterDelete");
  table_.BeforeScroll = record("BeforeScroll");
  table_.AfterScroll = record("AfterScroll");
  table_.Edit();
  table_.FieldByName("Q")->SetAsInteger(3);
  table_.Post();
  table_.Insert();
  table_.Cancel();
  table_.Delete();
  EXPECT_EQ(events, (std::vector<std::string>{
                        "BeforeEdit", "AfterEdit", "BeforePost", "AfterPost", "BeforeInsert",
                        "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll", "BeforeCancel",
                        "BeforeScroll", "AfterCancel", "AfterScroll", "BeforeDelete",
                        "BeforeScroll", "AfterDelete", "AfterScroll"}));
}

TEST(EditingRights, ASelectOnlyUserOpensButCannotUpdate) {
  TempDatabase db(
      "create table T (ID integer);\ninsert into T values (1);\n"
      "grant select on T to READER;\n");
  TIBDatabase conn;
  conn.SetLoginPrompt(false);
  conn.SetDatabaseName(db.Path());
  conn.Params().Add("user_name=READER");
  TIBTransaction tr;
  conn.SetDefaultTransaction(&tr);
  conn.SetConnected(true);
  TIBTable t;
  t.SetDatabase(&conn);
  t.SetTableName("T");
  t.Open();
  EXPECT_EQ(t.FieldByName("ID")->AsInteger(), 1);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { t.Edit(); }), "Cannot update. (No update query)");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { t.Insert(); }),
            "Cannot insert into dataset. (No insert query)");
}

// The companion statements written by hand, as a table dataset would shape them.
class HandWritten : public TIBCustomDataSet {
 public:
  void Set(TIBSQL* sql, const std::string& text) {
    sql->SQL().Clear();
    sql->SQL().Add(text);
  }
  using TIBCustomDataSet::QInsert;
  using TIBCustomDataSet::QModify;
  using TIBCustomDataSet::QRefresh;
  using TIBCustomDataSet::QSelect;
};

TEST_F(EditingTest, HandWrittenStatementsBindExactNamesFirstAndAFailedRefreshStillPosts) {
  HandWritten p;
  p.SetDatabase(&c_.db);
  p.SetTransaction(&c_.tr);
  p.Set(p.QSelect(), "select P.*, RDB$DB_KEY as TAVREL_INTERNAL_DBKEY from P");
  // OLD_PRICE is a column of its own; OLD_ID is the key as it was.
  p.Set(p.QModify(),
        "update P set ID = :ID, PRICE = :PRICE, OLD_PRICE = :OLD_PRICE where ID = :OLD_ID");
  p.Set(p.QInsert(), "insert into P (ID, PRICE, OLD_PRICE) values (:ID, :PRICE, :OLD_PRICE)");
  // Runs for the row after the insert and fails there: division by zero.
  p.Set(p.QRefresh(),
        "select P.*, RDB$DB_KEY as TAVREL_INTERNAL_DBKEY from P where ID = :ID and 1 / (ID - "
        ":ID) = 1");
  p.Open();
  p.Edit();
  p.FieldByName("ID")->SetAsInteger(2);
  p.FieldByName("PRICE")->SetAsInteger(20);
  EXPECT_THROW(p.Post(), EIBInterBaseError) << "the refresh after it fails";
  EXPECT_EQ(p.State(), dsBrowse);
  EXPECT_EQ(Row("select ID, PRICE, OLD_PRICE from P"), (std::vector<std::string>{"2", "20", "5"}));

  p.Append();
  p.FieldByName("ID")->SetAsInteger(3);
  EXPECT_THROW(p.Post(), EIBInterBaseError);
  EXPECT_EQ(p.State(), dsBrowse) << "the row was written: the post is complete";
  EXPECT_EQ(p.RecordCount(), 2);
  EXPECT_EQ(Count("select count(*) from P"), 2) << "and is not inserted twice";
}

}  // namespace
