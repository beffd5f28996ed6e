// CSV export of real tables: every type's text form, quoting, NULLs, blobs and non-ASCII
// text read back by an RFC 4180 parser; stopping, and a file that cannot be written.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/core/format_settings.h"
#include "data/database/database.h"
#include "data/dataset/table.h"
#include "data/errors/errors.h"
#include "data/export/csv_writer.h"
#include "data/transaction/transaction.h"
#include "sql_test_support.h"
#include "support/csv_reader.h"
#include "support/temp_database.h"

namespace {

TempDatabaseOptions Database() {
  TempDatabaseOptions options;
  options.charset = "UTF8";
  options.names = "UTF8";
  options.setup =
      "create table T (ID integer not null primary key, NAME varchar(40), L varchar(20) "
      "character set ISO8859_1, C char(3), AMOUNT numeric(9,2), BIG numeric(18,4), F double "
      "precision, D date, TM time, TS timestamp, B boolean, M blob sub_type text, BIN blob "
      "sub_type 0, S smallint, N bigint);\n"
      "insert into T (ID) values (1);\n"
      "insert into T values (2, 'say \"hi\", then go', 'Ação, é', 'é', -0.05, "
      "123456789012.3456, 0.1, '2024-02-29', '13:45:07.1234', '1850-01-01 00:00:00', true, "
      "'line one' || ascii_char(10) || 'line two' || ascii_char(13) || ascii_char(10) || 'end', "
      "x'00FF41', -32768, -9223372036854775808);\n"
      "insert into T values (3, 'Жизнь 中文 😀', '', '', 0, -0.0001, -2.5e-300, '9999-12-31', "
      "'00:00:00', '2020-06-01 23:59:59.9999', false, 'Жизнь и 中文', x'', 0, 9223372036854775807);"
      "\n";
  return options;
}

class CsvWriterTest : public ::testing::Test {
 protected:
  TempDatabase file{Database()};
  Connection c{file.Path(), "UTF8"};
  TIBTable table;

  void SetUp() override {
    table.SetDatabase(&c.db);
    table.SetTableName("T");
    table.Open();
  }
  std::vector<TField*> Fields() {
    std::vector<TField*> fields;
    for (int i = 0; i < table.FieldCount(); ++i) fields.push_back(table.Fields()[i]);
    return fields;
  }
  std::string Export() {
    std::ostringstream out;
    TOstreamCsvSink sink(out);
    const TCsvExportResult result = ExportCsv(table, Fields(), sink);
    EXPECT_EQ(result.rows, 3);
    EXPECT_FALSE(result.cancelled);
    return out.str();
  }
};

TEST_F(CsvWriterTest, EveryTypeReadsBackAsItsExactValue) {
  const CsvRows rows = ParseCsv(Export());
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"ID", "NAME", "L", "C", "AMOUNT", "BIG", "F", "D",
                                               "TM", "TS", "B", "M", "BIN", "S", "N"}));
  EXPECT_EQ(rows[1],
            (std::vector<std::string>{"1", "", "", "", "", "", "", "", "", "", "", "", "", "", ""}))
      << "NULL is an empty field";
  EXPECT_EQ(rows[2], (std::vector<std::string>{
                         "2", "say \"hi\", then go", "Ação, é", "é  ", "-0.05", "123456789012.3456",
                         "0.1", "2024-02-29", "13:45:07.1234", "1850-01-01T00:00:00", "true",
                         "line one\nline two\r\nend", "00FF41", "-32768", "-9223372036854775808"}));
  EXPECT_EQ(rows[3], (std::vector<std::string>{"3", "Жизнь 中文 😀", "", "   ", "0.00", "-0.0001",
                                               "-2.5e-300", "9999-12-31", "00:00:00",
                                               "2020-06-01T23:59:59.9999", "false", "Жизнь и 中文",
                                               "", "0", "9223372036854775807"}))
      << "empty texts and blobs are empty, a CHAR keeps its padding";
}

TEST_F(CsvWriterTest, TheLinesEndInCrLfAndOnlyFieldsThatNeedItAreQuoted) {
  const std::string text = Export();
  EXPECT_EQ(text.substr(0, text.find("\r\n") + 2),
            "ID,NAME,L,C,AMOUNT,BIG,F,D,TM,TS,B,M,BIN,S,N\r\n");
  EXPECT_NE(text.find("\r\n1,,,,,,,,,,,,,,\r\n"), std::string::npos);
  EXPECT_NE(text.find(",\"say \"\"hi\"\", then go\",\"Ação, é\",é  ,"), std::string::npos);
  EXPECT_NE(text.find(",\"line one\nline two\r\nend\","), std::string::npos);
}

TEST_F(CsvWriterTest, AStopKeepsTheRowsWrittenAndEndsThere) {
  std::ostringstream out;
  TOstreamCsvSink sink(out);
  std::vector<int64_t> heard;
  const TCsvExportResult result = ExportCsv(
      table, Fields(), sink,
      [&](int64_t rows, bool& stop) {
        heard.push_back(rows);
        stop = rows == 2;
      },
      1);
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.rows, 2);
  EXPECT_EQ(heard, (std::vector<int64_t>{1, 2}));
  EXPECT_EQ(ParseCsv(out.str()).size(), 3u) << "the header and two rows";
  EXPECT_FALSE(table.ControlsDisabled());
}

TEST_F(CsvWriterTest, AFileSinkWritesTheFileAndRefusesAFolderThatIsNotThere) {
  TempFolder folder;
  const std::string path = folder.Path() + "/out.csv";
  {
    TFileCsvSink sink(path);
    ExportCsv(table, Fields(), sink);
    sink.Close();
  }
  std::ifstream in(path, std::ios::binary);
  std::stringstream read;
  read << in.rdbuf();
  EXPECT_EQ(read.str(), Export());

  try {
    TFileCsvSink sink(folder.Path() + "/missing/out.csv");
    FAIL() << "no error";
  } catch (const EOSError& error) {
    EXPECT_EQ(error.Message(), "Não foi possível gravar " + folder.Path() +
                                   "/missing/out.csv: No such file or directory");
  }
}

}  // namespace

// FLOAT and DOUBLE PRECISION by their own precision, and the cases of the write-out
// that the table above leaves untried.
TEST(CsvValues, FloatsShowTheirOwnShortestDigitsAndEdgesStayExact) {
  TempDatabaseOptions options;
  options.charset = "UTF8";
  options.setup =
      "create table V (ID integer not null primary key, F float, D double precision, "
      "N numeric(9,2), TM time, TXT varchar(5));\n"
      "insert into V values (1, 0.1, 0.1, 0.12, '12:00:00.0500', 'a' || ascii_char(13) || "
      "'b');\n";
  TempDatabase file(options);
  Connection c(file.Path(), "UTF8");
  TIBTable table;
  table.SetDatabase(&c.db);
  table.SetTableName("V");
  table.Open();
  // A FLOAT's 0.1 once showed as 0.100000001490116 and exported as 0.10000000149011612.
  EXPECT_EQ(table.FieldByName("F")->AsString(), FloatToStr(0.1));
  EXPECT_EQ(table.FieldByName("D")->AsString(), FloatToStr(0.1));
  std::ostringstream out;
  TOstreamCsvSink sink(out);
  std::vector<TField*> fields;
  for (int i = 0; i < table.FieldCount(); ++i) fields.push_back(table.Fields()[i]);
  ExportCsv(table, fields, sink);
  const CsvRows rows = ParseCsv(out.str());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1],
            (std::vector<std::string>{"1", "0.1", "0.1", "0.12", "12:00:00.0500", "a\rb"}));
  // A lone carriage return is quoted, or a reader would end the line there.
  EXPECT_NE(out.str().find(",\"a\rb\"\r\n"), std::string::npos);
}
