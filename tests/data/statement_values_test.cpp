// Values through real tables: every SQL type written by parameter and read back, and the
// conversions between them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "data/core/format_settings.h"
#include "data/database/database.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"
#include "sql_test_support.h"
#include "support/temp_database.h"

namespace {

// One pinned locale for every test here: day first, comma decimals.
class PinnedFormats {
 public:
  PinnedFormats() {
    saved_ = FormatSettings();
    TFormatSettings pinned;
    pinned.DecimalSeparator = ',';
    pinned.DateSeparator = '/';
    pinned.TimeSeparator = ':';
    pinned.ShortDateFormat = "dd/mm/yyyy";
    pinned.LongTimeFormat = "hh:nn:ss";
    SetFormatSettings(pinned);
  }
  ~PinnedFormats() { SetFormatSettings(saved_); }

 private:
  TFormatSettings saved_;
};

int ClientErrorCode(const std::function<void()>& action) {
  try {
    action();
  } catch (const EIBClientError& e) {
    return e.SqlErrorCode();
  }
  return -1;
}

const char* kAllTypes =
    "CREATE TABLE V (ID INTEGER NOT NULL, S SMALLINT, I INTEGER, B BIGINT,"
    " S2 NUMERIC(4,2), I2 NUMERIC(9,2), B4 NUMERIC(18,4), I6 NUMERIC(9,6), B8 NUMERIC(18,8),"
    " F FLOAT, D DOUBLE PRECISION, C CHAR(6), VC VARCHAR(10), DT DATE, TM TIME, TS TIMESTAMP,"
    " BT BLOB SUB_TYPE 1, BB BLOB SUB_TYPE 0);";

std::string BinaryBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
  return bytes;
}

TEST(StatementValues, EveryTypeRoundTripsThroughATable) {
  PinnedFormats formats;
  TempDatabase file(TempDatabaseOptions{.setup = kAllTypes});
  Connection c(file.Path());
  const std::string text_blob(70000, 'x');
  const std::string binary_blob = BinaryBytes(100000);  // several segments, all byte values
  const TDateTime when = CombineDateTime(EncodeDate(2024, 2, 29), EncodeTime(13, 45, 30, 0));

  auto insert = c.Sql(
      "insert into V values (:ID, :S, :I, :B, :S2, :I2, :B4, :I6, :B8, :F, :D, :C, :VC, :DT, "
      ":TM, :TS, :BT, :BB)");
  insert->ParamByName("ID").SetAsLong(1);
  insert->ParamByName("S").SetAsShort(-32768);
  insert->ParamByName("I").SetAsLong(2147483647);
  insert->ParamByName("B").SetAsInt64(-9223372036854775807LL);
  insert->ParamByName("S2").SetAsCurrency(Currency{-123400});  // -12.34
  insert->ParamByName("I2").SetAsString("1234567.89");         // the server reads its own format
  insert->ParamByName("B4").SetAsCurrency(Currency{123456789012345LL});
  insert->ParamByName("I6").SetAsDouble(-2.5);
  insert->ParamByName("B8").SetAsDouble(0.12345678);
  insert->ParamByName("F").SetAsFloat(1.5f);
  insert->ParamByName("D").SetAsDouble(1e-7);
  insert->ParamByName("C").SetAsString("ab");
  insert->ParamByName("VC").SetAsString("h\u00e9llo");
  insert->ParamByName("DT").SetAsDate(when);
  insert->ParamByName("TM").SetAsTime(when);
  insert->ParamByName("TS").SetAsDateTime(when);
  insert->ParamByName("BT").SetAsString(text_blob);
  insert->ParamByName("BB").SetAsString(binary_blob);
  insert->ExecQuery();

  auto row = c.Sql("select * from V where ID = 1");
  row->ExecQuery();
  ASSERT_FALSE(row->Eof());
  EXPECT_EQ(row->FieldByName("S").AsShort(), -32768);
  EXPECT_EQ(row->FieldByName("I").AsLong(), 2147483647);
  EXPECT_EQ(row->FieldByName("B").AsInt64(), -9223372036854775807LL);
  EXPECT_EQ(row->FieldByName("B").AsString(), "-9223372036854775807");
  EXPECT_EQ(row->FieldByName("S2").AsCurrency(), Currency{-123400});
  EXPECT_EQ(row->FieldByName("S2").AsString(), "-12,34");
  EXPECT_EQ(row->FieldByName("S2").AsLong(), -12);
  EXPECT_EQ(row->FieldByName("I2").AsDouble(), 1234567.89);
  EXPECT_EQ(row->FieldByName("B4").AsCurrency(), Currency{123456789012345LL});
  EXPECT_EQ(row->FieldByName("B4").AsString(), "12345678901,2345");
  EXPECT_EQ(row->FieldByName("I6").AsDouble(), -2.5);
  EXPECT_EQ(row->FieldByName("I6").AsString(), "-2,500000");  // every decimal of the scale
  EXPECT_EQ(row->FieldByName("I6").AsCurrency(), Currency{-25000});
  EXPECT_EQ(row->FieldByName("B8").AsDouble(), 0.12345678);
  EXPECT_EQ(row->FieldByName("B8").AsCurrency(), Currency{1235});  // rounded at 4 places
  EXPECT_EQ(row->FieldByName("F").AsDouble(), 1.5);
  EXPECT_EQ(row->FieldByName("F").AsString(), "1,5");
  EXPECT_EQ(row->FieldByName("D").AsString(), "1E-7");
  EXPECT_EQ(row->FieldByName("C").AsString(), "ab    ");  // trailing blanks kept
  EXPECT_EQ(row->FieldByName("C").AsTrimString(), "ab");
  EXPECT_EQ(row->FieldByName("VC").AsString(), "h\u00e9llo");
  EXPECT_EQ(row->FieldByName("DT").AsDateTime(), EncodeDate(2024, 2, 29));
  EXPECT_EQ(row->FieldByName("DT").AsString(), "29/02/2024");
  EXPECT_EQ(row->FieldByName("TM").AsString(), "13:45:30");
  EXPECT_EQ(row->FieldByName("TS").AsDateTime(), when);
  EXPECT_EQ(row->FieldByName("TS").AsString(), "29/02/2024 13:45:30");
  EXPECT_EQ(row->FieldByName("BT").AsString(), text_blob);
  EXPECT_EQ(row->FieldByName("BB").AsString(), binary_blob);
  EXPECT_EQ(row->FieldByName("BB").SqlSubtype(), 0);
}

TEST(StatementValues, NullsReadAsEmptyValues) {
  PinnedFormats formats;
  TempDatabase file(TempDatabaseOptions{.setup = kAllTypes});
  Connection c(file.Path());
  auto insert = c.Sql("insert into V (ID, I, VC, TS, BT) values (2, :I, :VC, :TS, :BT)");
  insert->ParamByName("I").SetAsLong(5);
  insert->ParamByName("I").SetIsNull(true);
  insert->ParamByName("VC").SetAsVariant(TVariant::Null());
  insert->ParamByName("TS").SetAsString("");  // an empty text is null for a non-text column
  insert->ParamByName("BT").Clear();
  insert->ExecQuery();

  auto row = c.Sql("select * from V where ID = 2");
  row->ExecQuery();
  for (int i = 1; i < row->Current().Count(); ++i) {
    TIBXSQLVAR& var = row->Fields(i);
    SCOPED_TRACE(var.Name());
    EXPECT_TRUE(var.IsNull());
    EXPECT_EQ(var.AsString(), "");
    EXPECT_EQ(var.AsVariant(), TVariant::Null());
  }
  EXPECT_EQ(row->FieldByName("I").AsLong(), 0);
  EXPECT_EQ(row->FieldByName("I").AsDouble(), 0.0);
  EXPECT_EQ(row->FieldByName("TS").AsDateTime(), 0.0);
  EXPECT_FALSE(row->FieldByName("ID").IsNullable());
}

TEST(StatementValues, ScaledIntegersReadEveryWay) {
  PinnedFormats formats;
  TempDatabase file(TempDatabaseOptions{
      .setup = "CREATE TABLE N (S NUMERIC(4,2), I NUMERIC(9,2), B NUMERIC(18,2), "
               "I0 NUMERIC(9,0), BN NUMERIC(18,3));"
               "INSERT INTO N VALUES (12.34, 12.34, 12.34, 7, -0.005);"
               "INSERT INTO N VALUES (-12.34, -12.34, -12.34, -7, 1.999);"});
  Connection c(file.Path());
  auto sql = c.Sql("select * from N");
  sql->ExecQuery();
  for (int sign : {1, -1}) {
    for (const char* name : {"S", "I", "B"}) {
      SCOPED_TRACE(name);
      TIBXSQLVAR& var = sql->FieldByName(name);
      EXPECT_EQ(var.SqlScale(), -2);
      EXPECT_EQ(var.AsDouble(), sign * 12.34);
      EXPECT_EQ(var.AsCurrency(), Currency{sign * 123400});
      EXPECT_EQ(var.AsLong(), sign * 12);
      EXPECT_EQ(var.AsInt64(), sign * 12);
      EXPECT_EQ(var.AsString(), sign > 0 ? "12,34" : "-12,34");
      EXPECT_EQ(var.AsVariant(), TVariant(Currency{sign * 123400}));
    }
    EXPECT_EQ(sql->FieldByName("I0").AsString(), sign > 0 ? "7" : "-7");
    EXPECT_EQ(sql->FieldByName("BN").AsCurrency(), Currency{sign > 0 ? -50 : 19990});
    EXPECT_EQ(sql->FieldByName("BN").AsString(), sign > 0 ? "-0,005" : "1,999");
    sql->Next();
  }
}

TEST(StatementValues, ScaledIntegersNearTheirLimits) {
  PinnedFormats formats;
  TempDatabase file(TempDatabaseOptions{
      .setup = "CREATE TABLE L (ID INTEGER, B4 NUMERIC(18,4), B2 NUMERIC(18,2), "
               "B3 NUMERIC(18,3), B9 NUMERIC(18,9));"
               "INSERT INTO L VALUES (1, 922337203685.478, 92233720368548, 9223372036855, "
               "123456789.123456789);"
               "INSERT INTO L SELECT 2, -B4, -B2, -B3, -B9 FROM L WHERE ID = 1;"
               "INSERT INTO L VALUES (3, 922337203685477.5807, 92233720368547758.07, "
               "9223372036854775.807, 9223372036.854775807);"
               "INSERT INTO L SELECT 4, -B4 - 0.0001, -B2 - 0.01, -B3 - 0.001, "
               "-B9 - 0.000000001 FROM L WHERE ID = 3;"});
  Connection c(file.Path());
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  constexpr int64_t kNone = 0x7eadbeef;  // beyond the currency range: error 38
  struct Case {
    int id;
    const char* column;
    const char* text;
    int64_t whole;
    int64_t currency;
  };
  const Case cases[] = {
      {1, "B4", "922337203685,4780", 922337203685, 9223372036854780},
      {1, "B2", "92233720368548,00", 92233720368548, 922337203685480000},
      {1, "B3", "9223372036855,000", 9223372036855, 92233720368550000},
      {1, "B9", "123456789,123456789", 123456789, 1234567891235},
      {2, "B4", "-922337203685,4780", -922337203685, -9223372036854780},
      {2, "B2", "-92233720368548,00", -92233720368548, -922337203685480000},
      {2, "B9", "-123456789,123456789", -123456789, -1234567891235},
      {3, "B4", "922337203685477,5807", 922337203685477, std::numeric_limits<int64_t>::max()},
      {3, "B2", "92233720368547758,07", 92233720368547758, kNone},
      {3, "B3", "9223372036854775,807", 9223372036854775, kNone},
      {3, "B9", "9223372036,854775807", 9223372036, 92233720368548},
      {4, "B4", "-922337203685477,5808", -922337203685477, kMin},
      {4, "B2", "-92233720368547758,08", -92233720368547758, kNone},
      {4, "B9", "-9223372036,854775808", -9223372036, -92233720368548},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::string(test.column) + " of row " + std::to_string(test.id));
    auto sql = c.Sql("select " + std::string(test.column) +
                     " from L where ID = " + std::to_string(test.id));
    sql->ExecQuery();
    TIBXSQLVAR& var = sql->Fields(0);
    EXPECT_EQ(var.AsString(), test.text);
    EXPECT_EQ(var.AsInt64(), test.whole);
    std::string plain = test.text;
    std::replace(plain.begin(), plain.end(), ',', '.');
    EXPECT_NEAR(var.AsDouble(), std::stod(plain), std::fabs(std::stod(plain)) * 1e-14);
    if (test.currency == kNone) {
      EXPECT_EQ(ClientErrorCode([&] { var.AsCurrency(); }), ceInvalidConversion);
    } else {
      EXPECT_EQ(var.AsCurrency(), Currency{test.currency});
      if (var.SqlScale() >= -4) {
        EXPECT_EQ(var.AsVariant(), TVariant(Currency{test.currency}));
      }
    }
    if (test.whole == static_cast<int32_t>(test.whole)) {
      EXPECT_EQ(var.AsLong(), test.whole);
    } else {
      EXPECT_EQ(ClientErrorCode([&] { var.AsLong(); }), ceInvalidConversion);
    }
    EXPECT_EQ(ClientErrorCode([&] { var.AsShort(); }), ceInvalidConversion);
  }
}

TEST(StatementValues, BooleansReadAndWriteAsBooleans) {
  TempDatabase file(TempDatabaseOptions{.setup = "CREATE TABLE BT (ID INTEGER, FLAG BOOLEAN);"});
  Connection c(file.Path());
  auto insert = c.Sql("insert into BT values (:ID, :FLAG)");
  TIBXSQLVAR& flag = insert->ParamByName("FLAG");
  EXPECT_EQ(flag.SqlType(), SQL_BOOLEAN);
  int id = 0;
  auto add = [&](const std::function<void()>& write) {
    insert->ParamByName("ID").SetAsLong(++id);
    write();
    insert->ExecQuery();
  };
  add([&] { flag.SetAsBoolean(true); });
  add([&] { flag.SetAsBoolean(false); });
  add([&] { flag.Clear(); });
  add([&] { flag.SetAsVariant(TVariant(true)); });
  add([&] { flag.SetAsString("False"); });  // the server reads its own texts

  auto sql = c.Sql("select FLAG, ID, cast(FLAG as varchar(5)) from BT order by ID");
  sql->ExecQuery();
  const bool expected[] = {true, false, false, true, false};
  for (bool value : expected) {
    SCOPED_TRACE(sql->Fields(1).AsLong());
    TIBXSQLVAR& var = sql->Fields(0);
    const bool null = sql->Fields(1).AsLong() == 3;
    EXPECT_EQ(var.IsNull(), null);
    EXPECT_EQ(var.AsBoolean(), value);
    EXPECT_EQ(var.AsString(), null ? "" : value ? "True" : "False");
    EXPECT_EQ(var.AsVariant(), null ? TVariant::Null() : TVariant(value));
    if (!null) {
      EXPECT_EQ(sql->Fields(2).AsBoolean(), value);  // "TRUE" or "FALSE" as text
      EXPECT_EQ(ClientErrorCode([&] { var.AsDateTime(); }), ceInvalidConversion);
    }
    sql->Next();
  }

  // The server describes the parameter of "? is null" with the null type.
  auto is_null = c.Sql("select count(*) from BT where :P is null");
  EXPECT_EQ(is_null->ParamByName("P").SqlType(), SQL_NULL);
  is_null->ParamByName("P").Clear();
  is_null->ExecQuery();
  EXPECT_EQ(is_null->Fields(0).AsLong(), 5);
  is_null->Close();
  is_null->ParamByName("P").SetAsLong(1);
  is_null->ExecQuery();
  EXPECT_EQ(is_null->Fields(0).AsLong(), 0);
}

TEST(StatementValues, ConversionsBetweenTypes) {
  PinnedFormats formats;
  TempDatabase file(TempDatabaseOptions{
      .setup = "CREATE TABLE X (T VARCHAR(30), D DOUBLE PRECISION, I INTEGER, TS TIMESTAMP, "
               "A VARCHAR(3), B BLOB);"
               "INSERT INTO X VALUES (' 42 ', 2.75, 3, '1899-12-29 06:00:00', 'abc', NULL);"
               "INSERT INTO X VALUES ('31/12/1999 23:59:58', -2.75, NULL, NULL, NULL, NULL);"});
  Connection c(file.Path());
  auto sql = c.Sql("select * from X");
  sql->ExecQuery();
  TIBXSQLVAR& t = sql->FieldByName("T");
  TIBXSQLVAR& d = sql->FieldByName("D");
  EXPECT_EQ(t.AsLong(), 42);
  EXPECT_EQ(t.AsInt64(), 42);
  EXPECT_EQ(t.AsDouble(), 42.0);
  EXPECT_EQ(ClientErrorCode([&] { t.AsDateTime(); }), ceInvalidConversion);
  EXPECT_EQ(d.AsLong(), 2);
  EXPECT_EQ(d.AsCurrency(), Currency{27500});  // the fraction is kept
  EXPECT_EQ(d.AsString(), "2,75");
  EXPECT_EQ(ClientErrorCode([&] { d.AsDateTime(); }), ceInvalidConversion);
  EXPECT_EQ(ClientErrorCode([&] { d.AsQuad(); }), ceInvalidConversion);
  EXPECT_EQ(ClientErrorCode([&] { sql->FieldByName("I").AsDateTime(); }), ceInvalidConversion);
  EXPECT_EQ(ClientErrorCode([&] { sql->FieldByName("A").AsLong(); }), ceInvalidConversion);
  // Before the zero day the time counts backwards.
  EXPECT_EQ(sql->FieldByName("TS").AsDateTime(), -1.25);
  EXPECT_EQ(sql->FieldByName("TS").AsString(), "29/12/1899 06:00:00");
  EXPECT_EQ(ClientErrorCode([&] { sql->FieldByName("TS").AsLong(); }), ceInvalidConversion);
  sql->Next();
  EXPECT_EQ(t.AsDateTime(), CombineDateTime(EncodeDate(1999, 12, 31), EncodeTime(23, 59, 58, 0)));
  EXPECT_EQ(d.AsLong(), -2);
  EXPECT_EQ(d.AsInt64(), -2);

  // A short read never wraps.
  auto wide = c.Sql("select 70000, -32768, -32769 from RDB$DATABASE");
  wide->ExecQuery();
  EXPECT_EQ(ClientErrorCode([&] { wide->Fields(0).AsShort(); }), ceInvalidConversion);
  EXPECT_EQ(wide->Fields(1).AsShort(), -32768);
  EXPECT_EQ(ClientErrorCode([&] { wide->Fields(2).AsShort(); }), ceInvalidConversion);
}

TEST(StatementValues, WritesCheckLengthAndKind) {
  PinnedFormats formats;
  TempDatabase file(TempDatabaseOptions{
      .setup = "CREATE TABLE W (ID INTEGER, A VARCHAR(3), TS TIMESTAMP, N NUMERIC(9,2));"});
  Connection c(file.Path());
  auto insert = c.Sql("insert into W values (:ID, :A, :TS, :N)");
  TIBXSQLVAR& a = insert->ParamByName("A");
  EXPECT_EQ(a.MaxLen(), 3);
  try {
    a.SetAsString("abcd");
    FAIL() << "a text longer than the column was taken";
  } catch (const EIBClientError& e) {
    EXPECT_EQ(e.Message(),
              "Trying to store a string of length 4 into a field that can only contain 3");
  }
  EXPECT_EQ(ClientErrorCode([&] { insert->ParamByName("ID").SetAsQuad(ISC_QUAD{}); }),
            ceInvalidConversion);
  EXPECT_EQ(ClientErrorCode([&] { insert->ParamByName("TS").SetAsString("yesterday"); }),
            ceInvalidConversion);
  EXPECT_EQ(ClientErrorCode([&] { a.SetAsVariant(TVariant::OfType(varArray)); }),
            ceUnsupportedFeature);
  EXPECT_EQ(ClientErrorCode([&] { a.SetAsVariant(TVariant::OfType(varDispatch)); }),
            ceNotPermitted);
  insert->ParamByName("ID").SetAsVariant(TVariant(true));
  a.SetAsVariant(TVariant("xyz"));
  insert->ParamByName("TS").SetAsString("01/02/2003 04:05:06");
  insert->ParamByName("N").SetAsVariant(TVariant(Currency{12345}));
  insert->ExecQuery();
  insert->ParamByName("ID").SetAsVariant(TVariant(2.0));
  insert->ParamByName("TS").SetAsVariant(TVariant::FromDate(EncodeDate(2000, 1, 1)));
  insert->ParamByName("N").SetAsString("7.5");  // written as text, read by the server in its format
  insert->ExecQuery();

  auto sql = c.Sql("select ID, A, TS, N from W order by ID");
  sql->ExecQuery();
  EXPECT_EQ(sql->Fields(0).AsLong(), 1);
  EXPECT_EQ(sql->Fields(1).AsString(), "xyz");
  EXPECT_EQ(sql->Fields(2).AsString(), "01/02/2003 04:05:06");
  EXPECT_EQ(sql->Fields(3).AsString(), "1,23");
  sql->Next();
  EXPECT_EQ(sql->Fields(0).AsLong(), 2);
  EXPECT_EQ(sql->Fields(2).AsString(), "01/01/2000");  // midnight leaves the time out
  EXPECT_EQ(sql->Fields(3).AsString(), "7,50");
}

TEST(StatementValues, DialectOneReadsCurrencyAsDouble) {
  PinnedFormats formats;
  TempDatabase file(
      TempDatabaseOptions{.dialect = 1,
                          .charset = "NONE",
                          .setup = "CREATE TABLE D1 (N NUMERIC(9,2), DT DATE);"
                                   "INSERT INTO D1 VALUES (12.34, '2001-02-03 04:05:06');"});
  Connection c(file.Path());
  EXPECT_EQ(c.db.SQLDialect(), 1);
  auto sql = c.Sql("select N, DT from D1");
  sql->ExecQuery();
  EXPECT_EQ(sql->Fields(0).AsCurrency(), Currency{123400});
  EXPECT_EQ(sql->Fields(1).AsString(), "03/02/2001 04:05:06");  // dialect 1 dates keep time

  auto insert = c.Sql("insert into D1 values (:N, :DT)");
  insert->ParamByName("N").SetAsCurrency(Currency{5});
  EXPECT_EQ(insert->ParamByName("N").SqlType(), SQL_DOUBLE);
  insert->ParamByName("DT").SetAsDate(EncodeDate(2001, 1, 1));
  EXPECT_EQ(insert->ParamByName("DT").SqlType(), SQL_TIMESTAMP);
  insert->ExecQuery();
}

TEST(FormatSettings, DatesTextAndNumbers) {
  PinnedFormats formats;
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 3, 1), 61.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  int y, m, d;
  DecodeDate(-1.25, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 18991229);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz 'at' d/m/yy", 36526.5 + 1.0 / 86400000),
            "2000-01-01 12:00:00.001 at 1/1/00");
  EXPECT_EQ(DateToStr(EncodeDate(1, 1, 1)), "01/01/0001");  // four letters, four digits
  EXPECT_EQ(FormatDateTime("yy", EncodeDate(987, 6, 5)), "87");
  TDateTime value = 0;
  EXPECT_TRUE(TryStrToDateTime("31/12/1999", value));
  EXPECT_EQ(value, EncodeDate(1999, 12, 31));
  EXPECT_TRUE(TryStrToDateTime("10:30", value));
  EXPECT_EQ(value, EncodeTime(10, 30, 0, 0));
  EXPECT_FALSE(TryStrToDateTime("31/02/1999", value));
  EXPECT_FALSE(TryStrToDateTime("1999-12-31", value));
  EXPECT_EQ(FloatToStr(1e15), "1E15");
  EXPECT_EQ(FloatToStr(-0.1), "-0,1");
  // The shortest text that reads back to the same value, in the value's own precision.
  EXPECT_EQ(FloatToStr(1.0 / 3), "0,3333333333333333");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0,30000000000000004");
  EXPECT_EQ(FloatToStr(static_cast<double>(0.1f), true), "0,1");
  EXPECT_EQ(FloatToStr(static_cast<double>(0.1f)), "0,10000000149011612");
  EXPECT_EQ(FloatToStr(1249950.0), "1249950");
  EXPECT_EQ(FloatToStr(0.00015), "0,00015");
  EXPECT_EQ(FloatToStr(1.5e-5), "1,5E-5");
  EXPECT_EQ(FloatToStr(123456789012345678.0), "1,2345678901234568E17");
  EXPECT_EQ(CurrToStr(Currency{-5}), "-0,0005");
  Currency money;
  EXPECT_TRUE(TryStrToCurr(" 1,23456 ", money));
  EXPECT_EQ(money, Currency{12346});
  EXPECT_FALSE(TryStrToCurr("1.5", money));  // not this locale's separator
  // The limits hold for the final value, one further on the negative side.
  EXPECT_TRUE(TryStrToCurr("922337203685477,5807", money));
  EXPECT_EQ(money, Currency{std::numeric_limits<int64_t>::max()});
  EXPECT_FALSE(TryStrToCurr("922337203685477,5808", money));
  EXPECT_FALSE(TryStrToCurr("922337203685477,58075", money));  // rounds up past the limit
  EXPECT_TRUE(TryStrToCurr("-922337203685477,5808", money));
  EXPECT_EQ(money, Currency{std::numeric_limits<int64_t>::min()});
  EXPECT_FALSE(TryStrToCurr("-922337203685477,5809", money));
  EXPECT_FALSE(TryStrToCurr("99999999999999999999999", money));
  double real = 0;
  EXPECT_FALSE(TryStrToFloat("1.5", real));
  EXPECT_TRUE(TryStrToFloat("-1,5E3", real));
  EXPECT_EQ(real, -1500.0);
}

}  // namespace
