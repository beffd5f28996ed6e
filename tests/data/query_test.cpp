// The query dataset against real databases: the console's way of using it, parameters,
// commands, and values identical to the statement layer's.
#include <gtest/gtest.h>

#include "data/dataset/query.h"
#include "data/statement/sql.h"
#include "dataset_test_support.h"
#include "sql_test_support.h"
#include "support/expect_error.h"
#include "support/temp_database.h"

namespace {

const char* kSetup =
    "create table T (ID integer not null primary key, NAME varchar(20), PRICE numeric(18,4), "
    "STAMP timestamp, B boolean, MEMO blob sub_type 1, D date, F double precision);\n"
    "insert into T values (1, 'one', 922337203685.4775, '2024-02-29 23:59:59.1234', true, "
    "'first memo', '0001-01-01', 1.5);\n"
    "insert into T values (2, NULL, -922337203685.4775, NULL, false, NULL, NULL, NULL);\n"
    "insert into T values (3, 'three', 0.0001, '1899-12-30 00:00:00', NULL, '', '9999-12-31', "
    "-2.25e300);\n";

struct TestQuery : TIBQuery {
  using TIBQuery::QSelect;
};

class QueryTest : public ::testing::Test {
 protected:
  QueryTest() : db_(kSetup), c_(db_.Path()) {
    q_.SetDatabase(&c_.db);
    q_.SetTransaction(&c_.tr);
  }
  // The console's steps: close, empty the lines, add the one line.
  void Console(const std::string& line) {
    q_.Close();
    q_.SQL().Clear();
    q_.SQL().Add(line);
  }

  TempDatabase db_;
  Connection c_;
  TestQuery q_;
};

TEST_F(QueryTest, ConsoleSequenceShowsRowsAndSameTextKeepsItOpen) {
  Console("select ID, NAME from T order by ID");
  EXPECT_EQ(q_.QSelect()->SQL().Count(), 1);
  EXPECT_EQ(q_.Text(), "select ID, NAME from T order by ID\r\n");
  q_.Open();
  EXPECT_EQ(q_.FieldByName("NAME")->AsString(), "one");
  q_.Next();
  EXPECT_TRUE(q_.FieldByName("NAME")->IsNull());
  TStringList same;
  same.Add("select ID, NAME from T order by ID");
  q_.SetSQL(same);
  EXPECT_TRUE(q_.Active()) << "the same text changes nothing";
  EXPECT_EQ(q_.RecNo(), 2);

  EXPECT_FALSE(q_.CanModify());
  EXPECT_FALSE(q_.FieldByName("NAME")->CanModify());
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { q_.Edit(); }), "Cannot modify a read-only dataset");

  // A change of the lines closes and unprepares.
  q_.SQL().Add("");
  EXPECT_FALSE(q_.Active());
  EXPECT_FALSE(q_.Prepared());
}

TEST_F(QueryTest, ShortAndMisreadTextsFailAsTheConsoleShowsThem) {
  Console("x");
  EXPECT_THROW(q_.Open(), EIBInterBaseError) << "one character reaches the server";
  EXPECT_FALSE(q_.Active());
  Console("");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { q_.Open(); }), "Empty SQL Statement");
  q_.SQL().Clear();
  EXPECT_EQ(MessageOf<EIBClientError>([&] { q_.ExecSQL(); }), "Empty SQL Statement");

  Console("Select * from T");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { q_.ExecSQL(); }), "use Open for a Select Statement");
  EXPECT_TRUE(q_.Prepared()) << "prepared, nothing executed";

  // A command that contains "select", opened: it runs once and shows no rows.
  Console("insert into T (ID, NAME) select ID + 10, NAME from T");
  q_.Open();
  EXPECT_TRUE(q_.Active());
  EXPECT_TRUE(q_.IsEmpty());
  auto count = c_.Sql("select count(*) from T");
  count->ExecQuery();
  EXPECT_EQ(count->Fields(0).AsLong(), 6);
  Console("select * from T");
  q_.Open();
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { q_.ExecSQL(); }),
            "Cannot perform this operation on an open dataset");
}

TEST_F(QueryTest, MarkersGiveOneItemEachAndTravelByPosition) {
  Console("select ID from T where ID = :A or ID = :A + 1 or NAME = :\"Odd Name\" order by ID");
  ASSERT_EQ(q_.Params().Count(), 3);
  EXPECT_EQ(q_.Params()[0].Name(), "A");
  EXPECT_EQ(q_.Params()[1].Name(), "A");
  EXPECT_EQ(q_.Params()[2].Name(), "Odd Name");
  q_.Params()[0].SetAsInteger(1);
  EXPECT_EQ(q_.Params()[1].Value(), TVariant(int32_t{1})) << "one name, one value: 1 + 1";
  q_.Open();
  EXPECT_EQ(q_.FieldByName("ID")->AsInteger(), 1);
  q_.Next();
  EXPECT_EQ(q_.FieldByName("ID")->AsInteger(), 2);
  q_.Next();
  EXPECT_TRUE(q_.Eof()) << "an item never given a value is sent as null";

  // Values survive a re-parse by name.
  q_.Close();
  q_.SQL().Add("");
  EXPECT_EQ(q_.ParamByName("A").Value().Integer(), 1);

  Console("select ID from T where NAME = 'a::b' and ID = 1::integer");
  EXPECT_EQ(q_.Params().Count(), 0);
  EXPECT_NE(MessageOf<EIBClientError>([&] { q_.Open(); }).find("Parameter name expected"),
            std::string::npos);
}

TEST_F(QueryTest, ExecuteReportsRowsAffectedAndCommitsNothing) {
  Console("update T set NAME = 'x' where ID < 3");
  EXPECT_EQ(q_.RowsAffected(), -1);
  q_.ExecSQL();
  EXPECT_EQ(q_.RowsAffected(), 2);
  q_.ExecSQL();  // prepared once, run twice
  EXPECT_EQ(q_.RowsAffected(), 2);

  Connection other(db_.Path());
  auto seen = other.Sql("select count(*) from T where NAME = 'x'");
  seen->ExecQuery();
  EXPECT_EQ(seen->Fields(0).AsLong(), 0);
  seen->Close();
  other.tr.Commit();
  c_.tr.Commit();
  EXPECT_FALSE(q_.Prepared()) << "the transaction's end unprepares";
  other.tr.StartTransaction();
  seen->ExecQuery();
  EXPECT_EQ(seen->Fields(0).AsLong(), 2);
}

TEST_F(QueryTest, EveryValueReadsAsTheStatementLayerReadsIt) {
  Console("select * from T order by ID");
  q_.Open();
  auto sql = c_.Sql("select * from T order by ID");
  sql->ExecQuery();
  EXPECT_EQ(ExpectSameValues(q_, *sql), 3);
}

}  // namespace
