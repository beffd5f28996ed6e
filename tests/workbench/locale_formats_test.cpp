// The date, time and number forms taken from the user's locale, and a number typed into
// a grid cell over a real table read by the decimal separator of that locale.
#include <QCoreApplication>

#include "data/core/format_settings.h"
#include "data/database/database.h"
#include "data/dataset/table.h"
#include "data/transaction/transaction.h"
#include "grid/grid_test_support.h"
#include "support/temp_database.h"
#include "workbench/host_services.h"

namespace {

class LocaleFormatsTest : public ::testing::Test {
 protected:
  LocaleFormatsTest() : saved_(FormatSettings()) {}
  ~LocaleFormatsTest() override { SetFormatSettings(saved_); }

  TFormatSettings saved_;
};

const TDateTime kBirthday = EncodeDate(1988, 12, 28);

TEST(QtTranslations, QtsOwnTextsFollowAPortugueseLocale) {
  // The standard buttons and file dialogs stayed English under a Portuguese locale.
  ASSERT_TRUE(InstallQtTranslations(QLocale(QLocale::Portuguese, QLocale::Brazil)));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancelar");
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Sim");
  // A language Qt has no translation for keeps the last one in place.
  EXPECT_FALSE(InstallQtTranslations(QLocale(QLocale::Zulu, QLocale::SouthAfrica)));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancelar");
}

TEST_F(LocaleFormatsTest, TheCLocaleGivesIsoDatesAndPointDecimals) {
  for (const QLocale& locale :
       {QLocale::c(), QLocale(QStringLiteral("C")), QLocale(QStringLiteral("POSIX"))}) {
    SetFormatSettings(FormatSettingsFromLocale(locale));
    EXPECT_EQ(FormatSettings().DecimalSeparator, '.');
    EXPECT_EQ(DateToStr(kBirthday), "1988-12-28");
    EXPECT_EQ(DateTimeToStr(kBirthday + EncodeTime(10, 20, 30, 0)), "1988-12-28 10:20:30");
    EXPECT_EQ(ScaledToStr(1050, -2), "10.50");
    TDateTime read = 0;
    ASSERT_TRUE(TryStrToDateTime("1988-12-28 10:20:30.5", read));
    EXPECT_EQ(DateTimeToStr(read), "1988-12-28 10:20:30.500");
  }
}

TEST_F(LocaleFormatsTest, OtherLocalesKeepTheirOrderWithFourDigitYears) {
  struct Case {
    QLocale locale;
    const char* date;
    char decimal;
  };
  const Case cases[] = {
      {QLocale(QLocale::Portuguese, QLocale::Brazil), "28/12/1988", ','},
      {QLocale(QLocale::Portuguese, QLocale::Portugal), "28/12/1988", ','},
      {QLocale(QLocale::German, QLocale::Germany), "28.12.1988", ','},
      {QLocale(QLocale::English, QLocale::UnitedStates), "12/28/1988", '.'},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.locale.name().toStdString());
    SetFormatSettings(FormatSettingsFromLocale(test.locale));
    EXPECT_EQ(DateToStr(kBirthday), test.date);
    EXPECT_EQ(FormatSettings().DecimalSeparator, test.decimal);
    EXPECT_EQ(ScaledToStr(1050, -2), std::string("10") + test.decimal + "50");
    // Each reads back its own text, in the century it was written.
    TDateTime read = 0;
    ASSERT_TRUE(TryStrToDateTime(DateToStr(EncodeDate(1899, 12, 30)), read));
    EXPECT_EQ(read, 0.0);
    EXPECT_EQ(TimeToStr(EncodeTime(23, 59, 59, 999)), "23:59:59.999");
  }
}

// A table with a NUMERIC(9,2) cell in a grid, as a table page shows it.
class LocaleGridTest : public LocaleFormatsTest {
 protected:
  LocaleGridTest()
      : file(
            "create table T (ID integer not null primary key, PRICE numeric(9,2), D date);\n"
            "insert into T values (1, 1.5, '1988-12-28');\n") {
    db.SetLoginPrompt(false);
    db.SetDatabaseName(file.Path());
    db.Params().Add("user_name=SYSDBA");
    db.SetDefaultTransaction(&tr);
    db.SetConnected(true);
    table.SetDatabase(&db);
    table.SetTableName("T");
    source.SetDataSet(&table);
    grid.resize(400, 200);
    grid.SetDataSource(&source);
    grid.show();
    QApplication::setActiveWindow(&grid);
    grid.setFocus();
  }
  ~LocaleGridTest() override { db.SetConnected(false); }

  // Types `text` into the PRICE cell of the first row and leaves the cell.
  void TypePrice(const QString& text) {
    table.Open();
    Press(Qt::Key_Home);
    Press(Qt::Key_Tab);
    Type(text);
    Press(Qt::Key_Tab);
  }
  std::string StoredPrice() {
    TIBTable other;
    other.SetDatabase(&db);
    other.SetTableName("T");
    other.Open();
    return other.FieldByName("PRICE")->AsString();
  }

  TRecordingGridHooks hooks;
  TScopedGridHooks scoped{&hooks};
  TempDatabase file;
  TIBDatabase db;
  TIBTransaction tr;
  TIBTable table;
  TDataSource source;
  TDBGrid grid;
};

TEST_F(LocaleGridTest, ADecimalCommaIsRefusedWhereThePointIsInUse) {
  SetFormatSettings(FormatSettingsFromLocale(QLocale::c()));
  TypePrice("10,75");
  EXPECT_EQ(hooks.beeps, 0) << "no character is dropped";
  ASSERT_EQ(hooks.errors.size(), 1u);
  EXPECT_EQ(hooks.errors[0], "'10,75' is not a valid BCD value for field 'PRICE'");
  EXPECT_EQ(grid.InplaceEditor()->text(), "10,75") << "the edit is kept";
  EXPECT_EQ(table.FieldByName("PRICE")->AsString(), "1.50");
  EXPECT_EQ(table.FieldByName("D")->DisplayText(), "1988-12-28");
  Press(Qt::Key_Escape);
  Press(Qt::Key_Escape);
  EXPECT_EQ(StoredPrice(), "1.50");
}

TEST_F(LocaleGridTest, APortugueseLocaleReadsTheCommaAsTheDecimalSeparator) {
  SetFormatSettings(FormatSettingsFromLocale(QLocale(QLocale::Portuguese, QLocale::Brazil)));
  TypePrice("10,75");
  EXPECT_TRUE(hooks.errors.empty()) << hooks.errors.front();
  Press(Qt::Key_Down);  // leaves the row: it is posted
  EXPECT_EQ(StoredPrice(), "10,75");
  Press(Qt::Key_Up);
  EXPECT_EQ(table.FieldByName("PRICE")->DisplayText(), "10,75");
  EXPECT_EQ(table.FieldByName("D")->DisplayText(), "28/12/1988");
}

}  // namespace
