// Parameter values against a real database: repeated names, markers after literals,
// range checks instead of wrapped numbers, sub-second times, values just before midnight
// and texts longer than their column.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "data/core/format_settings.h"
#include "data/dataset/query.h"
#include "data/statement/sql.h"
#include "sql_test_support.h"
#include "support/expect_error.h"
#include "support/temp_database.h"

namespace {

const char* kSetup =
    "create table P (ID integer not null primary key, SM smallint, I integer, "
    "N numeric(9,2), V varchar(5), TM time, TS timestamp);\n"
    "insert into P (ID, SM, V, TM, TS) values (1, 1, 'one', '23:59:59.9999', "
    "'2024-12-31 23:59:59.9999');\n"
    "insert into P (ID, SM, V) values (2, 2, 'two');\n"
    "insert into P (ID, SM, V) values (3, 3, 'a\"b');\n";

class ParameterValuesTest : public ::testing::Test {
 protected:
  ParameterValuesTest() : db_(kSetup), c_(db_.Path()) {
    saved_ = FormatSettings();
    TFormatSettings pinned;  // day first, "." decimals
    SetFormatSettings(pinned);
    q_.SetDatabase(&c_.db);
    q_.SetTransaction(&c_.tr);
  }
  ~ParameterValuesTest() override { SetFormatSettings(saved_); }

  void Console(const std::string& line) {
    q_.Close();
    q_.SQL().Clear();
    q_.SQL().Add(line);
  }
  // One value as the database itself writes it as text.
  std::string Text(const std::string& expression, int id) {
    auto sql = c_.Sql("select cast(" + expression +
                      " as varchar(40)) from P where ID = " + std::to_string(id));
    sql->ExecQuery();
    return sql->Eof() ? "(no row)" : sql->Fields(0).AsString();
  }
  // TM and TS of a row as the database writes them as text.
  std::string Times(int id) { return Text("TM", id) + " | " + Text("TS", id); }
  // Writes TM and TS of row 2 through `set`, which fills the two parameters.
  void WriteTimes(const std::function<void(TIBXSQLVAR& tm, TIBXSQLVAR& ts)>& set) {
    auto update = c_.Sql("update P set TM = :TM, TS = :TS where ID = 2");
    set(update->ParamByName("TM"), update->ParamByName("TS"));
    update->ExecQuery();
  }
  // The IDs a query's rows hold, in order.
  std::string Ids() {
    std::string ids;
    q_.Open();
    for (q_.First(); !q_.Eof(); q_.Next()) ids += q_.FieldByName("ID")->AsString() + " ";
    return ids;
  }

  TempDatabase db_;
  Connection c_;
  TIBQuery q_;
  TFormatSettings saved_;
};

TEST_F(ParameterValuesTest, ARepeatedNameSetByNameFillsEveryPlace) {
  Console("select ID from P where ID = :A or SM = :a + 1 order by ID");
  ASSERT_EQ(q_.Params().Count(), 2);
  q_.ParamByName("A").SetAsInteger(1);
  EXPECT_EQ(Ids(), "1 2 ") << "ID = 1 or SM = 1 + 1: both places hold 1";
  q_.Close();
  q_.ParamByName("a").SetAsInteger(2);
  EXPECT_EQ(q_.Params()[1].Value(), TVariant(int32_t{2}));
  EXPECT_EQ(Ids(), "2 3 ");
  q_.Close();
  q_.ParamByName("A").Clear();
  EXPECT_EQ(Ids(), "") << "a name set null is null in every place";

  // The statement itself: one write fills both places, whatever their types.
  auto sql = c_.Sql("select count(*) from P where ID = :K or V = :K");
  sql->ParamByName("K").SetAsString("3");
  sql->ExecQuery();
  EXPECT_EQ(sql->Fields(0).AsLong(), 1);
}

TEST_F(ParameterValuesTest, MarkersAfterLiteralsAndCommentsAreFound) {
  Console("select ID from P where V <> 'a\"b' /* it's */ and \"ID\" = :K -- :L");
  ASSERT_EQ(q_.Params().Count(), 1);
  q_.ParamByName("K").SetAsInteger(2);
  EXPECT_EQ(Ids(), "2 ");

  Console("select ID from P where V = 'a\"b' or ID = :K");
  q_.ParamByName("K").SetAsInteger(1);
  EXPECT_EQ(Ids(), "1 3 ");

  // A marker inside a literal stays text.
  Console("select ID from P where V = ':K' or V = q'{it's :K}' or ID = :K");
  ASSERT_EQ(q_.Params().Count(), 1);
  q_.ParamByName("K").SetAsInteger(3);
  EXPECT_EQ(Ids(), "3 ");
}

TEST_F(ParameterValuesTest, NarrowingsRaiseTheRangeErrorAndStoreNothing) {
  Console("update P set SM = :S where ID = 1");
  TParam& s = q_.ParamByName("S");
  s.SetDataType(ftSmallint);
  s.SetValue(TVariant(int32_t{70000}));
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { q_.ExecSQL(); }),
            "70000 is not a valid value for parameter 'S'. The allowed range is -32768 to 32767");
  EXPECT_EQ(Text("SM", 1), "1") << "nothing was written";
  s.SetValue(TVariant(int32_t{-32768}));
  q_.ExecSQL();
  EXPECT_EQ(Text("SM", 1), "-32768");

  Console("update P set I = :I where ID = 1");
  q_.ParamByName("I").SetDataType(ftInteger);
  q_.ParamByName("I").SetValue(TVariant(int64_t{1} << 32));
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { q_.ExecSQL(); }),
            "4294967296 is not a valid value for parameter 'I'. The allowed range is "
            "-2147483648 to 2147483647");
  q_.ParamByName("I").SetDataType(ftWord);
  q_.ParamByName("I").SetValue(TVariant(int32_t{65536}));
  EXPECT_NE(MessageOf<EDatabaseError>([&] { q_.ExecSQL(); }).find("0 to 65535"), std::string::npos);
  q_.ParamByName("I").SetValue(TVariant(int32_t{40000}));
  q_.ExecSQL();
  EXPECT_EQ(Text("I", 1), "40000") << "a word above 32767 is not made negative";

  Console("update P set N = :N where ID = 1");
  q_.ParamByName("N").SetDataType(ftCurrency);
  q_.ParamByName("N").SetValue(TVariant(int64_t{1} << 62));
  EXPECT_NE(MessageOf<EDatabaseError>([&] { q_.ExecSQL(); }).find("is not a valid value"),
            std::string::npos);
  EXPECT_EQ(Text("N", 1), "") << "still null";
}

TEST_F(ParameterValuesTest, TimesKeepTheirFractionOfASecond) {
  const TDateTime when = CombineDateTime(EncodeDate(2024, 2, 29), EncodeTime(10, 20, 30, 123));
  WriteTimes([&](TIBXSQLVAR& tm, TIBXSQLVAR& ts) {
    tm.SetAsTime(when);
    ts.SetAsDateTime(when);
  });
  EXPECT_EQ(Times(2), "10:20:30.1230 | 2024-02-29 10:20:30.1230");

  // The query's items travel the same way.
  Console("update P set TM = :TM, TS = :TS where ID = 3");
  q_.ParamByName("TM").SetAsTime(when);
  q_.ParamByName("TS").SetAsDateTime(when);
  q_.ExecSQL();
  EXPECT_EQ(Times(3), "10:20:30.1230 | 2024-02-29 10:20:30.1230");

  // Read back, the fraction is kept and shown.
  auto row = c_.Sql("select TM, TS from P where ID = 2");
  row->ExecQuery();
  EXPECT_EQ(row->Fields(0).AsString(), "10:20:30.123");
  EXPECT_EQ(row->Fields(1).AsString(), "29/02/2024 10:20:30.123");
  EXPECT_EQ(row->Fields(1).AsDateTime(), when);
  row->Close();

  // A text with ten-thousandths, as the database holds them.
  WriteTimes([](TIBXSQLVAR& tm, TIBXSQLVAR& ts) {
    tm.SetAsString("12:00:00.5");
    ts.SetAsString("01/03/2024 00:00:00.0001");
  });
  EXPECT_EQ(Times(2), "12:00:00.5000 | 2024-03-01 00:00:00.0001");

  // Our day and time counts are the engine's, at both ends of the calendar.
  struct Moment {
    TDateTime value;
    const char* text;
  };
  const Moment moments[] = {
      {EncodeDate(1, 1, 1), "0001-01-01 00:00:00.0000"},
      {EncodeDate(1858, 11, 17), "1858-11-17 00:00:00.0000"},
      {-1.25, "1899-12-29 06:00:00.0000"},
      {IscTimestampToDateTime(15018 + static_cast<int32_t>(DaysFromCivil(9999, 12, 31)), 863999999),
       "9999-12-31 23:59:59.9999"},
  };
  for (const Moment& moment : moments) {
    WriteTimes([&](TIBXSQLVAR&, TIBXSQLVAR& ts) { ts.SetAsDateTime(moment.value); });
    EXPECT_EQ(Text("TS", 2), moment.text);
  }
}

TEST_F(ParameterValuesTest, ValuesJustBeforeMidnightKeepTheirDay) {
  auto row = c_.Sql("select TM, TS from P where ID = 1");
  row->ExecQuery();
  EXPECT_EQ(row->Fields(0).AsString(), "23:59:59.999");
  EXPECT_EQ(row->Fields(1).AsString(), "31/12/2024 23:59:59.999");
  int year, month, day;
  DecodeDate(row->Fields(1).AsDateTime(), year, month, day);
  EXPECT_EQ(year * 10000 + month * 100 + day, 20241231);
  const std::string time_text = row->Fields(0).AsString();
  const std::string stamp_text = row->Fields(1).AsString();
  const TDateTime stamp = row->Fields(1).AsDateTime();
  row->Close();

  // Written back from its own text, or as the value read, it keeps its day.
  WriteTimes([&](TIBXSQLVAR& tm, TIBXSQLVAR& ts) {
    tm.SetAsString(time_text);
    ts.SetAsString(stamp_text);
  });
  EXPECT_EQ(Times(2), "23:59:59.9990 | 2024-12-31 23:59:59.9990");
  WriteTimes([&](TIBXSQLVAR& tm, TIBXSQLVAR& ts) {
    tm.SetAsTime(stamp);
    ts.SetAsDateTime(stamp);
  });
  EXPECT_EQ(Times(2), "23:59:59.9999 | 2024-12-31 23:59:59.9999");

  // The query's fields show the same.
  Console("select TM, TS from P where ID = 1");
  q_.Open();
  EXPECT_EQ(q_.FieldByName("TM")->AsString(), "23:59:59.999");
  EXPECT_EQ(q_.FieldByName("TS")->AsString(), "31/12/2024 23:59:59.999");
}

TEST_F(ParameterValuesTest, TextLongerThanItsColumnIsRefusedInEveryPlace) {
  auto update = c_.Sql("update P set V = :V where ID = 1");
  EXPECT_EQ(MessageOf<EIBClientError>([&] { update->ParamByName("V").SetAsString("abcdefgh"); }),
            "Trying to store a string of length 8 into a field that can only contain 5");
  // The first place of the name is a number: the text place still holds it whole or not.
  auto reversed = c_.Sql("update P set I = :A, V = :A where ID = 2");
  EXPECT_EQ(reversed->ParamByName("A").SqlType(), SQL_LONG);
  EXPECT_EQ(MessageOf<EIBClientError>([&] { reversed->ParamByName("A").SetAsString("123456"); }),
            "Trying to store a string of length 6 into a field that can only contain 5");
  reversed->ParamByName("A").SetAsString("12345");
  reversed->ExecQuery();
  EXPECT_EQ(Text("V", 2), "12345");
  EXPECT_EQ(Text("V", 1), "one");
}

}  // namespace
