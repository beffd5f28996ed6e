// Field objects over a one-row in-memory dataset that stores each field's native form.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>

#include "data/dataset/dataset.h"
#include "memory_dataset.h"

namespace {

class FieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = FormatSettings();
    SetFormatSettings(TFormatSettings{});
  }
  void TearDown() override { SetFormatSettings(saved_); }
  static void UseDecimalComma() {
    TFormatSettings comma;
    comma.DecimalSeparator = ',';
    SetFormatSettings(comma);
  }

  template <typename F>
  F* Add(const std::string& name, int size = 0, int scale = 0) {
    F* field = new F(&data_);
    field->SetFieldName(name);
    field->SetSize(size);
    field->SetScale(scale);
    field->SetDataSet(&data_);
    return field;
  }

  static std::string ErrorText(const std::function<void()>& action) {
    try {
      action();
    } catch (const EIBClientError& e) {
      return "client error " + std::to_string(e.SqlErrorCode());
    } catch (const EDatabaseError& e) {
      return e.Message();
    }
    return "no error";
  }

  MemoryDataSet data_;
  TFormatSettings saved_;
};

const std::string kError38 = "client error " + std::to_string(ceInvalidConversion);

TEST_F(FieldsTest, IntegerFieldsParseCheckRangeAndKeepValueOnBadText) {
  auto* qty = Add<TIntegerField>("QTY");
  auto* small = Add<TSmallintField>("SMALL");
  auto* big = Add<TLargeintField>("BIG");

  EXPECT_TRUE(qty->IsNull());
  EXPECT_EQ(qty->AsString(), "");
  EXPECT_EQ(qty->AsInteger(), 0);
  EXPECT_TRUE(qty->AsVariant().IsNull());

  qty->SetAsString(" -42 ");
  EXPECT_EQ(data_.Get<int32_t>(qty), -42);
  EXPECT_EQ(qty->AsString(), "-42");
  EXPECT_EQ(qty->AsCurrency(), Currency::FromUnits(-42));
  EXPECT_EQ(ErrorText([&] { qty->SetAsString("abc"); }),
            "'abc' is not a valid integer value for field 'QTY'");
  EXPECT_EQ(ErrorText([&] { qty->SetAsString("1.5"); }),
            "'1.5' is not a valid integer value for field 'QTY'");
  EXPECT_EQ(qty->AsInteger(), -42);
  EXPECT_EQ(ErrorText([&] { qty->AsDateTime(); }), "Cannot access field 'QTY' as type DateTime");
  qty->SetAsFloat(2.5);
  EXPECT_EQ(qty->AsInteger(), 3);
  qty->SetAsCurrency(Currency{-25000});
  EXPECT_EQ(qty->AsInteger(), -3);
  qty->SetAsString("");
  EXPECT_TRUE(qty->IsNull());

  EXPECT_EQ(ErrorText([&] { small->SetAsInteger(40000); }),
            "40000 is not a valid value for field 'SMALL'. The allowed range is -32768 to 32767");
  EXPECT_TRUE(small->IsNull());
  EXPECT_EQ(ErrorText([&] { qty->SetAsLargeInt(int64_t{1} << 40); }),
            "1099511627776 is not a valid value for field 'QTY'. The allowed range is "
            "-2147483648 to 2147483647");
  small->SetAsVariant(TVariant(int32_t{7}));
  EXPECT_EQ(small->AsVariant(), TVariant(int16_t{7}));

  big->SetAsString("9223372036854775807");
  EXPECT_EQ(big->AsLargeInt(), INT64_MAX);
  EXPECT_EQ(big->AsString(), "9223372036854775807");
  EXPECT_EQ(ErrorText([&] { big->AsInteger(); }), kError38);
  EXPECT_EQ(ErrorText([&] { big->AsCurrency(); }), kError38);
  EXPECT_EQ(ErrorText([&] { big->SetAsFloat(1e19); }), "1E19 is not a valid value for field 'BIG'");
  EXPECT_EQ(big->AsLargeInt(), INT64_MAX);

  EXPECT_EQ(qty->Alignment(), taRightJustify);
  EXPECT_EQ(qty->DisplayWidth(), 10);
  EXPECT_EQ(big->DisplayWidth(), 15);
  EXPECT_TRUE(qty->IsValidChar('-'));
  EXPECT_TRUE(qty->IsValidChar('.')) << "judged with the whole text, not dropped";
  EXPECT_FALSE(qty->IsValidChar('e'));
}

TEST_F(FieldsTest, ScaledIntegersKeepEveryDigit) {
  auto* price = Add<TIBBCDField>("PRICE", 2, -2);
  auto* exact = Add<TFloatField>("EXACT", 0, -9);

  data_.Put<int64_t>(price, INT64_MAX);  // NUMERIC(18,2)
  EXPECT_EQ(price->AsString(), "92233720368547758.07");
  EXPECT_EQ(ErrorText([&] { price->AsCurrency(); }), kError38);
  EXPECT_EQ(ErrorText([&] { price->AsInteger(); }), kError38);
  EXPECT_EQ(price->AsLargeInt(), 92233720368547758);
  EXPECT_EQ(price->AsVariant(), TVariant("92233720368547758.07"));
  data_.Put<int64_t>(exact, 123456789123456789);  // NUMERIC(18,9)
  EXPECT_EQ(exact->AsString(), "123456789.123456789");
  EXPECT_DOUBLE_EQ(exact->AsFloat(), 123456789.123456789);

  // Every decimal of the scale; small and negative values.
  for (auto [raw, text] : {std::pair<int64_t, const char*>{1230, "12.30"},
                           {1200, "12.00"},
                           {-5, "-0.05"},
                           {0, "0.00"},
                           {INT64_MIN, "-92233720368547758.08"}}) {
    data_.Put<int64_t>(price, raw);
    EXPECT_EQ(price->AsString(), text);
  }

  data_.Put<int64_t>(price, 1235);
  EXPECT_EQ(price->AsFloat(), 12.35);
  EXPECT_EQ(price->AsCurrency(), Currency{123500});
  EXPECT_EQ(price->AsVariant(), TVariant(Currency{123500}));
  EXPECT_EQ(price->AsInteger(), 12);

  // Text in: the settings' separator, rounded half away from zero at the scale.
  UseDecimalComma();
  price->SetAsString(" 12,345 ");
  EXPECT_EQ(data_.Get<int64_t>(price), 1235);
  EXPECT_EQ(price->AsString(), "12,35");
  price->SetAsString("-0,005");
  EXPECT_EQ(data_.Get<int64_t>(price), -1);
  price->SetAsString("1,5e2");
  EXPECT_EQ(data_.Get<int64_t>(price), 15000);
  EXPECT_EQ(ErrorText([&] { price->SetAsString("12.5"); }),
            "'12.5' is not a valid BCD value for field 'PRICE'");
  EXPECT_EQ(ErrorText([&] { price->SetAsString("99999999999999999999"); }),
            "99999999999999999999 is not a valid value for field 'PRICE'");
  EXPECT_EQ(data_.Get<int64_t>(price), 15000);
  exact->SetAsString("123456789,123456789");
  EXPECT_EQ(data_.Get<int64_t>(exact), 123456789123456789);
  EXPECT_EQ(ErrorText([&] { exact->SetAsString("x1"); }),
            "'x1' is not a valid floating point value for field 'EXACT'");
  SetFormatSettings(TFormatSettings{});

  // Numbers in: doubles through their shown digits, currency and integers exactly.
  price->SetAsFloat(1.005);
  EXPECT_EQ(data_.Get<int64_t>(price), 101);
  price->SetAsCurrency(Currency{-12345});
  EXPECT_EQ(data_.Get<int64_t>(price), -123);
  price->SetAsLargeInt(7);
  EXPECT_EQ(data_.Get<int64_t>(price), 700);
  EXPECT_EQ(ErrorText([&] { price->SetAsLargeInt(INT64_MAX / 10); }),
            "922337203685477580 is not a valid value for field 'PRICE'");

  EXPECT_EQ(price->DisplayWidth(), 10);
  price->SetPrecision(18);
  EXPECT_EQ(price->DisplayWidth(), 19);
  EXPECT_TRUE(price->IsValidChar('.'));
  EXPECT_FALSE(price->IsValidChar('e'));
}

TEST_F(FieldsTest, PlainFloatField) {
  auto* ratio = Add<TFloatField>("RATIO");
  ratio->SetAsString("2.5e-3");
  EXPECT_EQ(data_.Get<double>(ratio), 0.0025);
  EXPECT_EQ(ratio->AsString(), "0.0025");
  ratio->SetAsFloat(1e300);
  EXPECT_EQ(ErrorText([&] { ratio->AsCurrency(); }), kError38);
  EXPECT_EQ(ErrorText([&] { ratio->AsInteger(); }), kError38);
  ratio->SetAsFloat(-2.5);
  EXPECT_EQ(ratio->AsInteger(), -3);
  EXPECT_EQ(ratio->AsVariant(), TVariant(-2.5));
  EXPECT_TRUE(ratio->IsValidChar('E'));
}

TEST_F(FieldsTest, DateAndTimeFieldsConvertFirebirdFormsExactly) {
  auto* stamp = Add<TDateTimeField>("STAMP");
  auto* day = Add<TDateField>("DAY");
  auto* time = Add<TTimeField>("AT");
  EXPECT_EQ(day->DataSize(), 4);
  EXPECT_EQ(time->DataSize(), 4);
  EXPECT_EQ(stamp->DataSize(), 8);
  EXPECT_EQ(stamp->DisplayWidth(), 18);
  EXPECT_EQ(day->DisplayWidth(), 10);
  EXPECT_EQ(time->DisplayWidth(), 10);

  // 17 November 1858 is Firebird's day 0; 30 December 1899 is TDateTime's.
  data_.Put<ISC_DATE>(day, 0);
  EXPECT_EQ(day->AsString(), "17/11/1858");
  data_.Put<ISC_DATE>(day, 15018);
  EXPECT_EQ(day->AsDateTime(), 0);
  day->SetAsString("15/03/2024 10:00");
  EXPECT_EQ(data_.Get<ISC_DATE>(day), 15018 + DaysFromCivil(2024, 3, 15));
  EXPECT_EQ(day->AsString(), "15/03/2024");
  EXPECT_EQ(ErrorText([&] { day->SetAsString("31/02/2024"); }),
            "'31/02/2024' is not a valid date value for field 'DAY'");
  EXPECT_EQ(day->AsString(), "15/03/2024");

  // 10:20:30.1234 survives a read and a write back.
  const ISC_TIME ticks = ((10 * 60 + 20) * 60 + 30) * 10000 + 1234;
  data_.Put(stamp, ISC_TIMESTAMP{15018 + 45366, ticks});
  EXPECT_EQ(stamp->AsString(), "15/03/2024 10:20:30.123");
  stamp->SetAsDateTime(stamp->AsDateTime());
  EXPECT_EQ(data_.Get<ISC_TIMESTAMP>(stamp).timestamp_time, ticks);
  EXPECT_EQ(data_.Get<ISC_TIMESTAMP>(stamp).timestamp_date, 15018 + 45366);
  stamp->SetAsString("1/1/2000");
  EXPECT_EQ(stamp->AsString(), "01/01/2000");
  // Before the zero day the fraction counts backwards: 29 December 1899, 06:00.
  stamp->SetAsDateTime(-1.25);
  EXPECT_EQ(data_.Get<ISC_TIMESTAMP>(stamp).timestamp_date, 15017);
  EXPECT_EQ(data_.Get<ISC_TIMESTAMP>(stamp).timestamp_time, 6u * 3600 * 10000);
  EXPECT_EQ(stamp->AsDateTime(), -1.25);
  EXPECT_EQ(ErrorText([&] { stamp->SetAsDateTime(EncodeDate(1, 1, 1) - 1); }),
            "-693594 is not a valid value for field 'STAMP'");

  time->SetAsString("23:59:58");
  EXPECT_EQ(data_.Get<ISC_TIME>(time), 863980000u);
  EXPECT_EQ(time->AsString(), "23:59:58");
  time->SetAsDateTime(45366.5);  // the day is ignored
  EXPECT_EQ(data_.Get<ISC_TIME>(time), 432000000u);
  EXPECT_EQ(ErrorText([&] { time->SetAsString("25:00"); }),
            "'25:00' is not a valid time value for field 'AT'");
  EXPECT_TRUE(time->IsValidChar(':'));
  EXPECT_FALSE(time->IsValidChar('x'));
}

// A number text is read by the decimal separator in use, or refused whole with the
// conversion error; it is never read as another number.
TEST_F(FieldsTest, NumberTextsFollowTheDecimalSeparatorOrAreRefused) {
  auto* price = Add<TIBBCDField>("PRICE", 2, -2);
  auto* ratio = Add<TFloatField>("RATIO");
  auto* qty = Add<TIntegerField>("QTY");
  for (char c : {'.', ',', ' '}) {
    EXPECT_TRUE(price->IsValidChar(c)) << c;
    EXPECT_TRUE(ratio->IsValidChar(c)) << c;
    EXPECT_TRUE(qty->IsValidChar(c)) << c;
  }
  price->SetAsString("1.50");
  ratio->SetAsString("2.5");
  qty->SetAsString("7");
  for (const char* text : {"10,75", "1,000.50", "1.2.3", "10.75a", "1 000"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ErrorText([&] { price->SetAsString(text); }),
              "'" + std::string(text) + "' is not a valid BCD value for field 'PRICE'");
    EXPECT_EQ(ErrorText([&] { ratio->SetAsString(text); }),
              "'" + std::string(text) + "' is not a valid floating point value for field 'RATIO'");
    EXPECT_EQ(ErrorText([&] { qty->SetAsString(text); }),
              "'" + std::string(text) + "' is not a valid integer value for field 'QTY'");
  }
  EXPECT_EQ(data_.Get<int64_t>(price), 150);
  EXPECT_EQ(price->AsString(), "1.50");
  EXPECT_EQ(ratio->AsFloat(), 2.5);
  EXPECT_EQ(qty->AsInteger(), 7);

  UseDecimalComma();
  price->SetAsString("10,75");
  EXPECT_EQ(data_.Get<int64_t>(price), 1075);
  EXPECT_EQ(price->AsString(), "10,75");
  ratio->SetAsString("-0,5");
  EXPECT_EQ(ratio->AsFloat(), -0.5);
  for (const char* text : {"10.75", "1.075,50", "1,2,3"}) {
    SCOPED_TRACE(text);
    EXPECT_NE(ErrorText([&] { price->SetAsString(text); }).find("is not a valid BCD value"),
              std::string::npos);
    EXPECT_NE(ErrorText([&] { ratio->SetAsString(text); }).find("not a valid floating point"),
              std::string::npos);
  }
  EXPECT_EQ(data_.Get<int64_t>(price), 1075);
  EXPECT_EQ(ratio->AsFloat(), -0.5);
}

// Conversions cut to the shown precision: the last ten-thousandth of a day stays in its
// day and second, and what is shown, written back, keeps the day.
TEST_F(FieldsTest, ValuesJustBeforeMidnightStayInTheirDay) {
  auto* stamp = Add<TDateTimeField>("STAMP");
  auto* time = Add<TTimeField>("AT");
  const ISC_DATE new_years_eve = 15018 + static_cast<ISC_DATE>(DaysFromCivil(2024, 12, 31));
  const ISC_TIME last_tick = 864000000u - 1;
  data_.Put(stamp, ISC_TIMESTAMP{new_years_eve, last_tick});
  data_.Put<ISC_TIME>(time, last_tick);
  EXPECT_EQ(stamp->AsString(), "31/12/2024 23:59:59.999");
  EXPECT_EQ(time->AsString(), "23:59:59.999");

  stamp->SetAsDateTime(stamp->AsDateTime());
  EXPECT_EQ(data_.Get<ISC_TIMESTAMP>(stamp).timestamp_date, new_years_eve);
  EXPECT_EQ(data_.Get<ISC_TIMESTAMP>(stamp).timestamp_time, last_tick);
  time->SetAsDateTime(time->AsDateTime());
  EXPECT_EQ(data_.Get<ISC_TIME>(time), last_tick);

  stamp->SetAsString(stamp->AsString());
  EXPECT_EQ(data_.Get<ISC_TIMESTAMP>(stamp).timestamp_date, new_years_eve);
  EXPECT_EQ(data_.Get<ISC_TIMESTAMP>(stamp).timestamp_time, last_tick - 9);
  time->SetAsString(time->AsString());
  EXPECT_EQ(data_.Get<ISC_TIME>(time), last_tick - 9);

  // A value between two ten-thousandths is cut, not carried into the next day.
  stamp->SetAsDateTime(CombineDateTime(EncodeDate(2024, 12, 31), (86400 - 0.00004) / 86400));
  EXPECT_EQ(data_.Get<ISC_TIMESTAMP>(stamp).timestamp_date, new_years_eve);
  EXPECT_EQ(data_.Get<ISC_TIMESTAMP>(stamp).timestamp_time, last_tick);
  // Four decimals typed are the stored four.
  time->SetAsString("00:00:00.0001");
  EXPECT_EQ(data_.Get<ISC_TIME>(time), 1u);
  time->SetAsString("10:00:00.5");
  EXPECT_EQ(data_.Get<ISC_TIME>(time), 360005000u);
  EXPECT_EQ(time->AsString(), "10:00:00.500");
  time->SetAsString("10:00:00");
  EXPECT_EQ(time->AsString(), "10:00:00") << "no milliseconds, none shown";
}

TEST_F(FieldsTest, StringFieldRefusesLongTextPadsAndConverts) {
  auto* name = Add<TIBStringField>("NAME", 5);
  auto* code = Add<TIBStringField>("CODE", 4);
  code->SetFixedChar(true);
  EXPECT_EQ(name->DataSize(), 21) << "room for five characters of UTF-8";
  EXPECT_EQ(name->DisplayWidth(), 5);
  EXPECT_EQ(name->Alignment(), taLeftJustify);

  // A text longer than the column is refused whole; the stored value stays.
  name->SetAsString("abcde");
  EXPECT_EQ(ErrorText([&] { name->SetAsString("abcdefgh"); }),
            "Field 'NAME' holds at most 5 characters; the text has 8");
  EXPECT_EQ(std::string(data_.values[name->Index()].data()), "abcde");
  EXPECT_EQ(ErrorText([&] { code->SetAsString("ABCDE"); }),
            "Field 'CODE' holds at most 4 characters; the text has 5");
  EXPECT_TRUE(code->IsNull());
  EXPECT_EQ(ErrorText([&] { code->SetAsFloat(3.14159); }),
            "Field 'CODE' holds at most 4 characters; the text has 7");
  code->SetAsString("AB");
  EXPECT_EQ(code->AsString(), "AB  ");
  EXPECT_EQ(code->DisplayText(), "AB  ");

  name->SetAsInteger(123);
  EXPECT_EQ(name->AsInteger(), 123);
  EXPECT_EQ(ErrorText([&] { code->AsInteger(); }),
            "'AB  ' is not a valid integer value for field 'CODE'");
  name->SetAsBoolean(false);
  EXPECT_EQ(name->AsString(), "False");
  EXPECT_FALSE(name->AsBoolean());
  name->Clear();
  EXPECT_EQ(name->AsString(), "");
  EXPECT_TRUE(name->AsVariant().IsNull());
}

TEST_F(FieldsTest, BooleanAndBlobFields) {
  auto* flag = Add<TBooleanField>("FLAG");
  auto* memo = Add<TMemoField>("NOTES");
  auto* blob = Add<TBlobField>("PICTURE");

  EXPECT_EQ(flag->AsString(), "");
  flag->SetAsString("t");
  EXPECT_EQ(data_.Get<uint8_t>(flag), 1);
  EXPECT_EQ(flag->AsString(), "True");
  flag->SetAsString("FALSE");
  EXPECT_EQ(flag->AsString(), "False");
  EXPECT_EQ(flag->AsVariant(), TVariant(false));
  EXPECT_EQ(ErrorText([&] { flag->SetAsString("maybe"); }),
            "'maybe' is not a valid boolean value for field 'FLAG'");
  EXPECT_EQ(flag->AsInteger(), 0);
  EXPECT_EQ(flag->DisplayWidth(), 10);

  EXPECT_EQ(memo->DisplayText(), "(Memo)");
  EXPECT_EQ(blob->DisplayText(), "(Blob)");
  memo->SetAsString("first line\nsecond");
  EXPECT_EQ(data_.blobs[memo->Index()], "first line\nsecond");
  EXPECT_EQ(memo->AsString(), "first line\nsecond");
  EXPECT_EQ(memo->DisplayText(), "(MEMO)");
  EXPECT_EQ(memo->Text(), "(MEMO)");
  data_.blobs[blob->Index()] = std::string(40000, 'x');
  data_.values[blob->Index()].assign(8, '\1');
  EXPECT_EQ(blob->AsString().size(), 40000u);
  EXPECT_EQ(blob->DisplayText(), "(BLOB)");
}

TEST_F(FieldsTest, FieldListsDefinitionsAndClasses) {
  TFieldDefs defs;
  TFieldDef& def = defs.Add("AMOUNT", ftBCD, 2, true);
  def.SetPrecision(9);
  def.SetScale(-2);
  def.SetFieldNo(4);
  def.SetAttributes(faReadonly);
  EXPECT_EQ(defs.IndexOf("AMOUNT"), 0);
  EXPECT_EQ(defs.Find("amount"), nullptr);

  TField* amount = CreateFieldOfType(def.DataType(), &data_);
  ASSERT_NE(dynamic_cast<TIBBCDField*>(amount), nullptr);
  amount->AssignFieldDef(def);
  amount->SetDataSet(&data_);
  EXPECT_EQ(amount->FieldNo(), 4);
  EXPECT_EQ(amount->Scale(), -2);
  EXPECT_TRUE(amount->Required());
  EXPECT_FALSE(amount->CanModify());
  EXPECT_EQ(amount->DisplayWidth(), 10);
  EXPECT_EQ(amount->DisplayLabel(), "AMOUNT");
  amount->SetDisplayLabel("Amount");
  EXPECT_EQ(amount->DisplayName(), "Amount");

  for (TFieldType type : {ftString, ftSmallint, ftInteger, ftLargeint, ftFloat, ftDate, ftTime,
                          ftDateTime, ftBoolean, ftBlob, ftMemo}) {
    std::unique_ptr<TField> field(CreateFieldOfType(type, nullptr));
    ASSERT_NE(field, nullptr) << FieldTypeName(type);
    EXPECT_EQ(field->DataType(), type);
  }
  std::unique_ptr<TField> text(CreateFieldOfType(ftString, nullptr));
  EXPECT_NE(dynamic_cast<TIBStringField*>(text.get()), nullptr);
  EXPECT_EQ(CreateFieldOfType(ftGraphic, nullptr), nullptr);
  EXPECT_STREQ(FieldTypeName(ftMemo), "Memo");

  auto* other = Add<TIntegerField>("Other");
  EXPECT_EQ(data_.FindField("OTHER"), other);
  EXPECT_EQ(other->Index(), 1);
  EXPECT_TRUE(other->CanModify());
  delete amount;
  EXPECT_EQ(other->Index(), 0);
  EXPECT_EQ(data_.FieldCount(), 1);

  TIntegerField loose;
  EXPECT_TRUE(loose.IsNull());
  EXPECT_EQ(ErrorText([&] { loose.SetAsInteger(1); }), "Field '' has no dataset");
}

}  // namespace
