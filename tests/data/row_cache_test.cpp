// The packed row cache against real databases: every column type read back exactly
// (NULLs, empty and full-width text of 4-byte characters, CHAR padding), rows that grow
// and shrink on edits among inserts and deletes, and what survives a re-read.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "data/database/database.h"
#include "data/dataset/query.h"
#include "data/dataset/table.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"
#include "dataset_test_support.h"
#include "sql_test_support.h"
#include "support/temp_database.h"

namespace {

struct Utf8Link : Connection {
  explicit Utf8Link(const std::string& path) : Connection(path, "UTF8") {}
};

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

TempDatabaseOptions EveryType() {
  TempDatabaseOptions options;
  options.charset = "UTF8";
  options.names = "UTF8";
  const std::string emoji20 = Repeat("😀", 20), emoji5 = Repeat("😀", 5);
  options.setup =
      "create table ALL_T (ID integer not null primary key, S smallint, I integer, "
      "B bigint, N92 numeric(9,2), N184 numeric(18,4), F float, D double precision, "
      "DT date, TM time, TS timestamp, BO boolean, C char(5), O char(4) character set "
      "octets, V varchar(20), W varchar(8000), M blob sub_type text, BB blob);\n"
      "insert into ALL_T values (1, -32768, 2147483647, -9223372036854775808, "
      "-9999999.99, 99999999999999.9999, 1.5, -2.25e300, '2024-02-29', '23:59:59.9999', "
      "'1900-01-01 00:00:00.0001', true, 'ab', x'00FF0010', 'Ação', 'x', 'memo text', "
      "x'DEADBEEF');\n"
      "insert into ALL_T (ID) values (2);\n"
      "insert into ALL_T (ID, C, V, W, M) values (3, '', '', '', '');\n"
      "insert into ALL_T (ID, C, V, W, BO) values (4, '" +
      emoji5 + "', '" + emoji20 + "', '" + Repeat("Жизнь", 1600) +
      "', false);\n"
      "set term ^;\n"
      "execute block as declare i integer = 5; begin while (i <= 3000) do begin "
      "insert into ALL_T (ID, I, V, W, C) values (:i, :i, 'row ' || :i, "
      "lpad('', mod(:i, 300), 'é'), mod(:i, 7)); i = i + 1; end end^\n"
      "set term ;^\n";
  return options;
}

TEST(RowCache, EveryTypeReadsBackAsTheServerSentIt) {
  TempDatabase file(EveryType());
  Utf8Link link(file.Path());
  TIBQuery query;
  query.SetDatabase(&link.db);
  query.SQL().Add("select * from ALL_T order by ID");
  query.Open();
  query.Last();
  ASSERT_EQ(query.RecordCount(), 3000);
  TIBSQL sql;
  sql.SetDatabase(&link.db);
  sql.SQL().Add("select * from ALL_T order by ID");
  sql.ExecQuery();
  EXPECT_EQ(ExpectSameValues(query, sql), 3000);

  // The limits by hand: NULL against empty, full-width 4-byte text, CHAR padding.
  query.First();
  EXPECT_EQ(query.FieldByName("C")->AsString(), "ab   ");
  EXPECT_EQ(query.FieldByName("O")->AsString(), "00FF0010");
  query.Next();
  EXPECT_TRUE(query.FieldByName("V")->IsNull());
  EXPECT_TRUE(query.FieldByName("BO")->IsNull());
  query.Next();
  EXPECT_FALSE(query.FieldByName("V")->IsNull());
  EXPECT_EQ(query.FieldByName("V")->AsString(), "");
  EXPECT_EQ(query.FieldByName("C")->AsString(), "     ");
  query.Next();
  EXPECT_EQ(query.FieldByName("V")->AsString(), Repeat("😀", 20));
  EXPECT_EQ(query.FieldByName("C")->AsString(), Repeat("😀", 5));
  EXPECT_TRUE(query.FieldByName("W")->AsString() == Repeat("Жизнь", 1600));

  // A row buffer holds 8000 four-byte characters; the cache holds what the rows hold.
  EXPECT_GT(query.RecordBufferSize(), 32000u);
  EXPECT_LT(query.CacheSize(), 3000u * 1000);
  query.Close();
  EXPECT_EQ(query.CacheSize(), 0u);
}

class GrowingRows : public ::testing::Test {
 protected:
  GrowingRows()
      : file_(TempDatabaseOptions{
            .charset = "UTF8",
            .setup = "create table T (ID integer not null primary key, V varchar(4000), "
                     "C char(10));\n"
                     "set term ^;\n"
                     "execute block as declare i integer = 1; begin while (i <= 60) do begin "
                     "insert into T values (:i, 'v' || :i, 'c' || :i); i = i + 1; end end^\n"
                     "set term ;^\n",
            .names = "UTF8"}),
        link_(file_.Path()) {
    table_.SetDatabase(&link_.db);
    table_.SetTableName("T");
    table_.SetIndexFieldNames("ID");
    table_.Open();
  }
  void Go(int id) {
    table_.First();
    while (!table_.Eof() && table_.FieldByName("ID")->AsInteger() != id) table_.Next();
    ASSERT_FALSE(table_.Eof()) << id;
  }
  void SetV(int id, const std::string& text) {
    Go(id);
    table_.Edit();
    table_.FieldByName("V")->SetAsString(text);
    table_.Post();
  }
  std::string V(int id) {
    Go(id);
    return table_.FieldByName("V")->AsString();
  }
  // Every row the dataset shows is in the database as shown, and no other; an inserted
  // row sits after the rows fetched before it, so rows are matched by key.
  void ExpectAsStored() {
    std::map<int, std::string> shown, stored;
    for (table_.First(); !table_.Eof(); table_.Next())
      shown[table_.FieldByName("ID")->AsInteger()] =
          table_.FieldByName("V")->AsString() + "|" + table_.FieldByName("C")->AsString();
    TIBSQL sql;
    sql.SetDatabase(&link_.db);
    sql.SQL().Add("select ID, V, C from T");
    for (sql.ExecQuery(); !sql.Eof(); sql.Next())
      stored[sql.Fields(0).AsLong()] = sql.Fields(1).AsString() + "|" + sql.Fields(2).AsString();
    EXPECT_EQ(shown.size(), stored.size());
    EXPECT_TRUE(shown == stored) << "the dataset and the database differ";
  }

  TempDatabase file_;
  Utf8Link link_;
  TIBTable table_;
};

TEST_F(GrowingRows, EditsThatGrowAndShrinkKeepEveryOtherRow) {
  const std::string long_text = Repeat("中", 4000);  // the column's full width
  Go(20);
  const TBookmark at20 = table_.GetBookmark();
  Go(21);
  const TBookmark at21 = table_.GetBookmark();
  SetV(20, long_text);
  SetV(21, "x");
  SetV(20, long_text.substr(0, 30));  // shrinks in its new room
  SetV(22, Repeat("é", 300));         // a length of two bytes in the cache
  // A delete and an insert among the grown rows.
  Go(30);
  table_.Delete();
  table_.Append();
  table_.FieldByName("ID")->SetAsInteger(1000);
  table_.FieldByName("V")->SetAsString(long_text);
  table_.Post();

  table_.GotoBookmark(at20);
  EXPECT_EQ(table_.FieldByName("V")->AsString(), long_text.substr(0, 30));
  table_.GotoBookmark(at21);
  EXPECT_EQ(table_.FieldByName("V")->AsString(), "x");
  EXPECT_EQ(table_.FieldByName("C")->AsString(), "c21       ");
  EXPECT_EQ(V(19), "v19");
  EXPECT_EQ(V(23), "v23");
  EXPECT_TRUE(V(1000) == long_text);
  ExpectAsStored();
  EXPECT_EQ(table_.RecordCount(), 60);

  // A re-read finds the grown rows as stored, and the bookmarks their rows by DB key.
  table_.Refresh();
  ExpectAsStored();
  table_.GotoBookmark(at20);
  EXPECT_EQ(table_.FieldByName("ID")->AsInteger(), 20);
  EXPECT_EQ(table_.FieldByName("V")->AsString(), long_text.substr(0, 30));
}

TEST_F(GrowingRows, RollbackRetainingOverGrownRowsShowsTheOldRows) {
  SetV(5, Repeat("😀", 4000));
  SetV(6, Repeat("a", 3999));
  Go(5);
  const TBookmark at5 = table_.GetBookmark();
  link_.tr.RollbackRetaining();
  ASSERT_TRUE(table_.Active());
  EXPECT_EQ(table_.FieldByName("ID")->AsInteger(), 5) << "back at the same row";
  EXPECT_EQ(table_.FieldByName("V")->AsString(), "v5");
  EXPECT_EQ(V(6), "v6");
  ExpectAsStored();
  table_.GotoBookmark(at5);
  EXPECT_EQ(table_.FieldByName("V")->AsString(), "v5");
  // The re-read row grows again and is written back whole.
  SetV(5, Repeat("ç", 4000));
  link_.tr.CommitRetaining();
  ExpectAsStored();
  EXPECT_TRUE(V(5) == Repeat("ç", 4000));
}

}  // namespace
