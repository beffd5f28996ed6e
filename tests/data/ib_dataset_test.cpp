// The buffered dataset against real databases: fetching on demand, field definitions
// and exact values, navigation and its notices, the link's transaction and connection
// notices, and the failures.
#include "data/dataset/ib_dataset.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/database/database.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"
#include "support/expect_error.h"
#include "support/temp_database.h"

namespace {

// Publishes the statements' texts, execute and the row buffers; can refuse cache chunks.
class TestDataSet : public TIBCustomDataSet {
 public:
  using TIBCustomDataSet::TIBCustomDataSet;
  TStringList& SelectSQL() { return QSelect()->SQL(); }
  TStringList& ModifySQL() { return QModify()->SQL(); }
  void ExecSQL() { InternalExecQuery(); }
  const char* ActiveRow() const { return ActiveBuffer(); }
  // What a delete will leave in the cache.
  void MarkDeleted(int index) { ib_row::SetPackedStatus(CachedRow(index), usDeleted); }
  // Chunks still allowed; -1 is no limit.
  int chunk_budget = -1;

 protected:
  void* AllocateChunk(size_t bytes) override {
    if (chunk_budget == 0) return nullptr;
    if (chunk_budget > 0) --chunk_budget;
    return TIBCustomDataSet::AllocateChunk(bytes);
  }
};

// A control's view that records what it is told, and can ask for a number of buffers.
class RecordingLink : public TDataLink {
 public:
  std::vector<std::string> calls;

 protected:
  void ActiveChanged() override { calls.push_back(Active() ? "active" : "inactive"); }
  void DataSetChanged() override { calls.push_back("changed"); }
  void DataSetScrolled(int distance) override {
    calls.push_back("scrolled " + std::to_string(distance));
  }
};

// ROWS(ID 1..n, NAME 'Row i') made by one EXECUTE BLOCK.
std::string RowsTable(int count) {
  return "CREATE TABLE ROWS_T (ID INTEGER NOT NULL, NAME VARCHAR(20));\n"
         "GRANT SELECT ON ROWS_T TO READER;\n"
         "SET TERM ^ ;\n"
         "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= " +
         std::to_string(count) +
         ") DO BEGIN INSERT INTO ROWS_T VALUES (:I, 'Row ' || :I); I = I + 1; END END^\n"
         "SET TERM ; ^\n";
}

class DataSetTest : public ::testing::Test {
 protected:
  static void Configure(TIBDatabase& database, const TempDatabase& file, const std::string& user) {
    database.SetLoginPrompt(false);
    database.SetDatabaseName(file.Path());
    database.Params().Add("user_name=" + user);
  }
  void Connect(const TempDatabase& file, const std::string& user = "SYSDBA") {
    Configure(db, file, user);
    db.SetDefaultTransaction(&tr);
    db.SetConnected(true);
    ds.SetDatabase(&db);
  }
  // Binds `link` to the dataset, asking for `buffers` rows.
  void Bind(RecordingLink& link, int buffers) {
    source.SetDataSet(&ds);
    link.SetBufferCount(buffers);
    link.SetDataSource(&source);
  }

  TIBDatabase db;
  TIBTransaction tr;
  TestDataSet ds;
  TDataSource source;
};

TEST_F(DataSetTest, FetchesOnDemandAndGrowsByChunks) {
  TempDatabase file(RowsTable(2500));
  Connect(file);
  RecordingLink link;
  Bind(link, 20);
  ds.SelectSQL().Add("SELECT ID, NAME FROM ROWS_T");
  ds.Open();
  EXPECT_TRUE(tr.InTransaction());  // started on demand
  EXPECT_GE(ds.FetchedCount(), 20);
  EXPECT_LE(ds.FetchedCount(), 21);
  EXPECT_EQ(ds.RecordCount(), ds.FetchedCount());
  EXPECT_FALSE(ds.IsSequenced());

  EXPECT_EQ(ds.MoveBy(25), 25);
  EXPECT_EQ(ds.RecNo(), 26);
  EXPECT_EQ(ds.FieldByName("NAME")->AsString(), "Row 26");
  const TBookmark mark = ds.GetBookmark();

  ds.Last();
  EXPECT_TRUE(ds.IsSequenced());
  EXPECT_EQ(ds.RecordCount(), 2500);
  EXPECT_EQ(ds.RecNo(), 2500);
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 2500);
  // Rows are packed to their values: about 30 bytes each, not a row buffer's width.
  EXPECT_LT(ds.CacheSize(), 2500u * 64);
  EXPECT_GE(ds.CacheChunkCount(), 1);
  EXPECT_EQ(ds.MoveBy(5), 0);
  EXPECT_TRUE(ds.Eof());

  ds.SetRecNo(1000);
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 1000);
  EXPECT_TRUE(ds.BookmarkValid(mark));
  EXPECT_LT(ds.CompareBookmarks(mark, ds.GetBookmark()), 0);
  ds.GotoBookmark(mark);
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 26);
  const std::vector<char> past{char(0xC4), 0x09, 0, 0};  // 2500: one past the last row
  EXPECT_FALSE(ds.BookmarkValid(past));
  EXPECT_FALSE(ds.BookmarkValid({char(-1), char(-1), char(-1), char(-1)}));
}

TEST_F(DataSetTest, EveryTypeGetsItsFieldAndExactValue) {
  TempDatabase file(
      "CREATE TABLE ALL_T (ID INTEGER NOT NULL, S SMALLINT, BI BIGINT, C10 CHAR(10),"
      " VC VARCHAR(20), ARR INTEGER[3], N92 NUMERIC(9,2), N182 NUMERIC(18,2),"
      " N189 NUMERIC(18,9), N42 NUMERIC(4,2), D DOUBLE PRECISION, F FLOAT, DT DATE, TM TIME,"
      " TS TIMESTAMP, M BLOB SUB_TYPE 1, B BLOB SUB_TYPE 0, FLAG BOOLEAN,"
      " TWICE COMPUTED BY (ID * 2), DEF_COL INTEGER DEFAULT 5);\n"
      "INSERT INTO ALL_T (ID, S, BI, C10, VC, N92, N182, N189, N42, D, F, DT, TM, TS, M, B, FLAG)"
      " VALUES (1, -7, 9223372036854775807, 'AB', 'hello', 12.35, 92233720368547758.07,"
      " 123456789.123456789, -12.34, 1.5, 2.5, '2024-02-29', '13:14:15.1234',"
      " '2024-02-29 13:14:15.1234', 'memo text', 'blob', TRUE);\n"
      "INSERT INTO ALL_T (ID) VALUES (2);\n");
  Connect(file);
  ds.SelectSQL().Add("SELECT * FROM ALL_T");
  ds.Open();

  struct Expected {
    const char* name;
    TFieldType type;
    int size;
  };
  const std::vector<Expected> expected{
      {"ID", ftInteger, 0},     {"S", ftSmallint, 0},     {"BI", ftLargeint, 0},
      {"C10", ftString, 10},    {"VC", ftString, 20},     {"ARR", ftArray, 8},
      {"N92", ftBCD, 2},        {"N182", ftBCD, 2},       {"N189", ftFloat, 0},
      {"N42", ftBCD, 2},        {"D", ftFloat, 0},        {"F", ftFloat, 0},
      {"DT", ftDate, 0},        {"TM", ftTime, 0},        {"TS", ftDateTime, 0},
      {"M", ftMemo, 8},         {"B", ftBlob, 8},         {"FLAG", ftBoolean, 0},
      {"TWICE", ftLargeint, 0}, {"DEF_COL", ftInteger, 0}};
  ASSERT_EQ(ds.FieldCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < ds.FieldCount(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(ds.Fields()[i]->FieldName(), expected[i].name);
    EXPECT_EQ(ds.Fields()[i]->DataType(), expected[i].type);
    EXPECT_EQ(ds.Fields()[i]->Size(), expected[i].size);
  }
  EXPECT_NE(dynamic_cast<TIBBCDField*>(ds.FieldByName("N182")), nullptr);
  EXPECT_NE(dynamic_cast<TBooleanField*>(ds.FieldByName("FLAG")), nullptr);
  EXPECT_EQ(ds.FieldDefs().Find("N182")->Precision(), 18);
  EXPECT_TRUE(ds.FieldByName("ID")->Required());
  EXPECT_TRUE(ds.FieldByName("TWICE")->ReadOnly());
  EXPECT_TRUE(ds.FieldDefs().Find("TWICE")->InternalCalcField());
  EXPECT_FALSE(ds.FieldByName("DEF_COL")->ReadOnly());
  EXPECT_TRUE(ds.FieldDefs().Find("C10")->Attributes() & faFixed);

  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 1);
  EXPECT_EQ(ds.FieldByName("BI")->AsString(), "9223372036854775807");
  EXPECT_EQ(ds.FieldByName("C10")->AsString(), "AB        ");
  EXPECT_EQ(ds.FieldByName("VC")->AsString(), "hello");
  EXPECT_EQ(ds.FieldByName("N92")->AsString(), "12.35");
  EXPECT_EQ(ds.FieldByName("N182")->AsString(), "92233720368547758.07");
  EXPECT_EQ(ds.FieldByName("N189")->AsString(), "123456789.123456789");
  EXPECT_EQ(ds.FieldByName("N42")->AsString(), "-12.34");
  EXPECT_EQ(ds.FieldByName("D")->AsFloat(), 1.5);
  EXPECT_EQ(ds.FieldByName("F")->AsFloat(), 2.5);
  EXPECT_EQ(ds.FieldByName("M")->AsString(), "memo text");
  EXPECT_EQ(ds.FieldByName("B")->AsString(), "blob");
  EXPECT_TRUE(ds.FieldByName("FLAG")->AsBoolean());
  EXPECT_EQ(ds.FieldByName("FLAG")->AsString(), "True");
  EXPECT_EQ(ds.FieldByName("TWICE")->AsInteger(), 2);
  EXPECT_EQ(ds.FieldByName("DEF_COL")->AsInteger(), 5);

  // Exact forms in the row buffer: the raw scaled integer and the raw timestamp.
  int64_t scaled = 0;
  ASSERT_TRUE(ds.FieldByName("N92")->GetData(&scaled));
  EXPECT_EQ(scaled, 1235);
  ISC_TIMESTAMP stamp{};
  ASSERT_TRUE(ds.FieldByName("TS")->GetData(&stamp));
  EXPECT_EQ(stamp.timestamp_time % 10000, 1234u);
  EXPECT_EQ(stamp.timestamp_time / 10000, 13u * 3600 + 14 * 60 + 15);
  ISC_TIME time[2] = {};  // room for either width of the time form
  ASSERT_TRUE(ds.FieldByName("TM")->GetData(time));
  EXPECT_EQ(time[0] % 10000, 1234u);

  ds.Next();
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 2);
  for (const char* name : {"S", "C10", "VC", "N182", "TS", "M", "FLAG"})
    EXPECT_TRUE(ds.FieldByName(name)->IsNull()) << name;
}

TEST_F(DataSetTest, TellsControlsInOrder) {
  TempDatabase file(RowsTable(10));
  Connect(file);
  RecordingLink link;
  Bind(link, 3);
  std::vector<std::string>& log = link.calls;
  for (auto [event, name] : {std::pair{&ds.AfterOpen, "AfterOpen"},
                             {&ds.BeforeScroll, "BeforeScroll"},
                             {&ds.AfterScroll, "AfterScroll"},
                             {&ds.AfterClose, "AfterClose"}})
    *event = [&log, name = std::string(name)](TDataSet*) { log.push_back(name); };
  ds.SelectSQL().Add("SELECT ID FROM ROWS_T");

  ds.Open();
  EXPECT_EQ(log, (std::vector<std::string>{"active", "AfterOpen"}));
  log.clear();
  ds.Next();  // inside the window
  ds.Next();
  ds.Next();  // past it: the window scrolls by one
  EXPECT_EQ(log, (std::vector<std::string>{"BeforeScroll", "scrolled 0", "AfterScroll",
                                           "BeforeScroll", "scrolled 0", "AfterScroll",
                                           "BeforeScroll", "scrolled -1", "AfterScroll"}));
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 4);
  EXPECT_EQ(link.ActiveRecord(), 2);
  log.clear();
  ds.Last();
  EXPECT_EQ(log, (std::vector<std::string>{"BeforeScroll", "changed", "AfterScroll"}));
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 10);
  ds.Prior();
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 9);
  log.clear();
  ds.Close();
  EXPECT_EQ(log, (std::vector<std::string>{"inactive", "AfterClose"}));
}

TEST_F(DataSetTest, NavigationSkipsDeletedRows) {
  TempDatabase file(RowsTable(6));
  Connect(file);
  ds.SelectSQL().Add("SELECT ID FROM ROWS_T");
  ds.Open();
  ds.Last();
  ds.SetRecNo(2);
  const TBookmark second = ds.GetBookmark();
  ds.SetRecNo(4);
  const TBookmark fourth = ds.GetBookmark();
  ds.MarkDeleted(1);
  ds.MarkDeleted(2);
  ds.MarkDeleted(5);
  ds.First();
  std::vector<int> seen;
  for (; !ds.Eof(); ds.Next()) seen.push_back(ds.FieldByName("ID")->AsInteger());
  EXPECT_EQ(seen, (std::vector<int>{1, 4, 5}));
  ds.Prior();
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 4);
  ds.Prior();
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 1);
  EXPECT_FALSE(ds.BookmarkValid(second));
  EXPECT_TRUE(ds.BookmarkValid(fourth));
}

TEST_F(DataSetTest, FollowsTransactionAndConnection) {
  TempDatabase file(RowsTable(10));
  Connect(file);
  std::vector<std::string> log;
  ds.BeforeTransactionEnd = [&](TComponent*) { log.push_back("before end"); };
  ds.AfterTransactionEnd = [&](TComponent*) { log.push_back("after end"); };
  ds.BeforeDatabaseDisconnect = [&](TComponent*) { log.push_back("before disconnect"); };
  ds.AfterDatabaseDisconnect = [&](TComponent*) { log.push_back("after disconnect"); };
  ds.AfterClose = [&](TDataSet*) { log.push_back("closed"); };
  ds.SelectSQL().Add("SELECT ID FROM ROWS_T");
  ds.Open();

  tr.CommitRetaining();
  EXPECT_TRUE(ds.Active());
  ds.Last();  // the cursor survived
  EXPECT_EQ(ds.RecordCount(), 10);
  EXPECT_TRUE(log.empty());

  EXPECT_EQ(MessageOf<EIBClientError>([&] { ds.SetTransaction(nullptr); }), "Dataset open");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { ds.SetDatabase(nullptr); }), "Dataset open");

  tr.Commit();
  EXPECT_FALSE(ds.Active());
  EXPECT_FALSE(ds.Prepared());
  EXPECT_EQ(log, (std::vector<std::string>{"closed", "before end", "after end"}));

  log.clear();
  ds.Open();
  EXPECT_TRUE(tr.InTransaction());
  db.SetConnected(false);
  EXPECT_FALSE(ds.Active());
  EXPECT_EQ(log.front(), "closed");
  EXPECT_EQ(log.back(), "after disconnect");
  ds.Open();  // connects again
  EXPECT_TRUE(db.Connected());
  ds.Last();
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 10);

  // A new select text closes and unprepares; a select for update opens like a select.
  ds.SelectSQL().Clear();
  EXPECT_FALSE(ds.Active());
  EXPECT_EQ(ds.FieldDefs().Count(), 0);
  ds.SelectSQL().Add("SELECT ID, RDB$DB_KEY AS TAVREL_INTERNAL_DBKEY FROM ROWS_T FOR UPDATE");
  ds.Open();
  EXPECT_EQ(ds.FieldCount(), 1);  // no field for the DB key
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 1);
  const char* key = ds.ActiveRow() + ib_row::kDbKey;
  EXPECT_NE(std::string(key, ib_row::kDbKeySize), std::string(ib_row::kDbKeySize, '\0'));
}

TEST_F(DataSetTest, FailuresReportTheirTexts) {
  TempDatabase file(RowsTable(3));
  ds.SelectSQL().Add("SELECT ID FROM ROWS_T");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { ds.Open(); }), "Database not assigned");
  TIBDatabase lone;
  Configure(lone, file, "SYSDBA");
  ds.SetDatabase(&lone);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { ds.Open(); }), "Transaction not assigned");
  ds.SetDatabase(nullptr);
  Connect(file);

  ds.SelectSQL().Clear();
  EXPECT_EQ(MessageOf<EIBClientError>([&] { ds.Open(); }), "Empty query");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { ds.ExecSQL(); }), "Empty query");
  ds.SelectSQL().Add("   ");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { ds.Open(); }), "Empty SQL Statement");
  EXPECT_FALSE(ds.Active());
  ds.SelectSQL().Clear();
  ds.SelectSQL().Add("SELECT ID FROM NO_SUCH_TABLE");
  EXPECT_NE(MessageOf<EIBInterBaseError>([&] { ds.Open(); }), "<nothing raised>");
  EXPECT_FALSE(ds.Active());

  ds.SelectSQL().Clear();
  ds.SelectSQL().Add("SELECT ID FROM ROWS_T");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { ds.ExecSQL(); }), "use Open for a Select Statement");
  ds.SetName("IBTable1");
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds.Next(); }),
            "IBTable1: Cannot perform this operation on a closed dataset");

  // A companion statement that fails for any reason but permission fails the open.
  ds.ModifySQL().Add("UPDATE NO_SUCH_TABLE SET ID = 1");
  EXPECT_NE(MessageOf<EIBInterBaseError>([&] { ds.Open(); }), "<nothing raised>");
  ds.ModifySQL().Clear();
  ds.ModifySQL().Add("UPDATE ROWS_T SET NAME = 'x' WHERE ID = :ID");
  ds.Open();
  EXPECT_TRUE(ds.CanModify());

  // A persistent field narrower than its column.
  ds.Close();
  ds.SelectSQL().Clear();
  ds.SelectSQL().Add("SELECT NAME FROM ROWS_T");
  auto* narrow = new TIBStringField(&ds);
  narrow->SetFieldName("NAME");
  narrow->SetSize(3);
  narrow->SetDataSet(&ds);
  ds.Open();
  EXPECT_EQ(MessageOf<EIBClientError>([&] { narrow->AsString(); }),
            "Size Mismatch - Field NAME size is too small for data");

  ds.Close();
  ds.SelectSQL().Clear();
  ds.SelectSQL().Add("UPDATE ROWS_T SET NAME = 'changed'");
  ds.ExecSQL();
  EXPECT_EQ(ds.RowsAffected(), 3);
}

TEST_F(DataSetTest, WithoutPermissionTheCompanionIsNotLive) {
  TempDatabase file(RowsTable(3));
  Connect(file, "READER");
  ds.SelectSQL().Add("SELECT ID FROM ROWS_T");
  ds.ModifySQL().Add("UPDATE ROWS_T SET NAME = 'x' WHERE ID = :ID");
  ds.Open();
  EXPECT_FALSE(ds.CanModify());
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 1);
}

TEST_F(DataSetTest, AFailedFetchIsNotTheEnd) {
  TempDatabase file(RowsTable(50));
  Connect(file);
  RecordingLink link;
  Bind(link, 5);
  ds.SelectSQL().Add("SELECT ID, 100 / (30 - ID) AS Q FROM ROWS_T");
  ds.Open();
  EXPECT_THROW(ds.Last(), EIBInterBaseError);
  EXPECT_EQ(ds.FetchedCount(), 29);
  EXPECT_FALSE(ds.IsSequenced());
  EXPECT_TRUE(ds.Active());
  ds.First();
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 1);
  ds.SetRecNo(29);
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 29);
}

TEST_F(DataSetTest, ACacheThatCannotGrowKeepsItsRows) {
  TempDatabase file(RowsTable(50));
  Connect(file);
  ds.SetBufferChunks(10);
  ds.chunk_budget = 2;
  ds.SelectSQL().Add("SELECT ID FROM ROWS_T");
  ds.Open();
  // The index grows by BufferChunks rows: its second step is refused.
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { ds.Last(); }),
            "Out of memory: the row cache cannot grow beyond 10 rows");
  EXPECT_EQ(ds.FetchedCount(), 10);
  EXPECT_FALSE(ds.IsSequenced());
  ds.SetRecNo(10);
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 10);
}

TEST_F(DataSetTest, ALastStoppedByItsProgressStandsOnTheLastRowRead) {
  TempDatabase file(RowsTable(2500));
  Connect(file);
  ds.SelectSQL().Add("SELECT ID FROM ROWS_T");
  ds.Open();
  ds.OnFetchProgress = [](TIBCustomDataSet*, int, bool& stop) { stop = true; };
  ds.Last();
  const int held = ds.FetchedCount();
  ASSERT_LT(held, 1100);
  EXPECT_FALSE(ds.Eof()) << "rows are still to come";
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), held);
  ds.Next();
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), held + 1);
  ds.OnFetchProgress = nullptr;
  ds.Last();
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), 2500);
}

TEST_F(DataSetTest, ARowFetchedWithoutRoomWaitsForIt) {
  TempDatabase file(RowsTable(2000));
  Connect(file);
  ds.chunk_budget = 2;  // the index and the first block of rows
  ds.SelectSQL().Add("SELECT ID, NAME FROM ROWS_T");
  ds.Open();
  EXPECT_THROW(ds.Last(), EDatabaseError);
  const int held = ds.FetchedCount();
  ASSERT_GT(held, 100);
  ASSERT_LT(held, 2000);
  // The row fetched when the block ran out is placed first, not lost.
  ds.chunk_budget = -1;
  ds.Last();
  EXPECT_EQ(ds.RecordCount(), 2000);
  ds.SetRecNo(held + 1);
  EXPECT_EQ(ds.FieldByName("ID")->AsInteger(), held + 1);
  EXPECT_EQ(ds.FieldByName("NAME")->AsString(), "Row " + std::to_string(held + 1));
}

}  // namespace
