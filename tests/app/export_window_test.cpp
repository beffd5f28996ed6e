// "Arquivo" > "Exportar CSV..." through the main window: a table page and the console's
// result exported and read back, the action's enabling, a cancel by Esc that leaves the
// page as it was, and a file that cannot be written.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QProgressDialog>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "app_test_support.h"
#include "support/csv_reader.h"
#include "support/log_in.h"
#include "support/temp_database.h"
#include "workbench/pages/csv_export.h"

namespace {

TempDatabaseOptions Shop() {
  TempDatabaseOptions options;
  options.charset = "UTF8";
  options.names = "UTF8";
  options.setup =
      "create table T (ID integer not null primary key, NAME varchar(40), NOTE blob sub_type "
      "text, BIN blob sub_type 0, D date, AMOUNT numeric(9,2));\n"
      "insert into T values (1, 'plain', 'one line', x'CAFE', '2024-01-31', 12.50);\n"
      "insert into T values (2, 'a \"quote\", a comma', 'two' || ascii_char(13) || "
      "ascii_char(10) || 'lines', null, null, -0.01);\n"
      "insert into T values (3, 'Жизнь 中文 😀', 'Ação', x'', '1900-02-28', null);\n"
      "insert into T (ID) values (4);\n"
      "create table BIG (ID integer not null primary key, NAME varchar(20));\n"
      "set term ^;\nexecute block as declare i integer = 1; begin while (i <= 20000) do "
      "begin insert into BIG values (:i, 'row ' || :i); i = i + 1; end end^\nset term ;^\n";
  return options;
}

const CsvRows kTableRows = {
    {"ID", "NAME", "NOTE", "BIN", "D", "AMOUNT"},
    {"1", "plain", "one line", "CAFE", "2024-01-31", "12.50"},
    {"2", "a \"quote\", a comma", "two\r\nlines", "", "", "-0.01"},
    {"3", "Жизнь 中文 😀", "Ação", "", "1900-02-28", ""},
    {"4", "", "", "", "", ""},
};

class ExportWindowTest : public ShellTest {
 protected:
  TempDatabase db{Shop()};
  TempFolder folder;
  TForm1 form;

  void SetUp() override {
    LogIn(form, db.Path());
    TickUntilStopped(form);
    recorder.messages.clear();
  }
  // The menu as the user opens it, then the export to `name` in the folder.
  bool Export(const std::string& name) {
    emit form.Arquivo1->aboutToShow();
    if (!form.CsvExport->Action->isEnabled()) return false;
    recorder.open_answers.push_back({true, folder.Path() + "/" + name});
    form.CsvExport->Action->trigger();
    return true;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(folder.Path() + "/" + name, std::ios::binary);
    if (!in) return "<no file>";
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
};

TEST_F(ExportWindowTest, ATablePageReadsBackAsItsValuesAndStaysOnItsRow) {
  ASSERT_EQ(form.PageControl1->currentWidget(), form.TabSheet2);
  emit form.Arquivo1->aboutToShow();
  EXPECT_FALSE(form.CsvExport->Action->isEnabled()) << "\"Consulta SQL\" shows nothing yet";
  EXPECT_EQ(form.CsvExport->Action->text(), "Exportar CSV...");
  EXPECT_EQ(form.Arquivo1->actions().indexOf(form.CsvExport->Action), 1) << "after Abrir";

  TDBGrid* grid = OpenTablePage(form, "T");
  ASSERT_NE(grid, nullptr);
  TDataSet* table = grid->DataSource()->DataSet();
  SendKey(grid, Qt::Key_Down, QString());
  ASSERT_EQ(table->FieldByName("ID")->AsInteger(), 2);
  ASSERT_TRUE(Export("t"));
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(recorder.open_default_exts.back(), "csv");
  EXPECT_EQ(ParseCsv(Read("t.csv")), kTableRows) << "the default extension is added";
  EXPECT_EQ(Read("t.csv.part"), "<no file>");
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 2);
  EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(ExportWindowTest, TheConsoleResultIsExportedInItsOwnOrder) {
  form.RichEdit1->setPlainText("select ID, NAME from T order by ID desc");
  SendKey(form.RichEdit1, Qt::Key_F9, QString());
  ASSERT_EQ(form.PageControl1->currentWidget(), form.TabSheet2);
  ASSERT_TRUE(Export("q.csv"));
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  const CsvRows rows = ParseCsv(Read("q.csv"));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"ID", "NAME"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"4", ""}));
  EXPECT_EQ(rows[4], (std::vector<std::string>{"1", "plain"}));
}

TEST_F(ExportWindowTest, EscInTheProgressBoxStopsWithNoFileAndThePageGoesOn) {
  TDBGrid* grid = OpenTablePage(form, "BIG");
  ASSERT_NE(grid, nullptr);
  TDataSet* table = grid->DataSource()->DataSet();
  SendKey(grid, Qt::Key_Down, QString());
  SendKey(grid, Qt::Key_Down, QString());
  ASSERT_EQ(table->FieldByName("ID")->AsInteger(), 3);
  form.CsvExport->DelayMs = 0;
  form.CsvExport->RowsPerStep = 500;
  QString label;
  QTimer::singleShot(0, &form, [&] {
    auto* box = form.findChild<QProgressDialog*>("ExportProgress");
    ASSERT_NE(box, nullptr);
    label = box->labelText();
    SendKey(box, Qt::Key_Escape, "\x1b");
  });
  ASSERT_TRUE(Export("big.csv"));
  EXPECT_EQ(label, "Exportando... 500 linhas gravadas");
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(Read("big.csv"), "<no file>");
  EXPECT_EQ(Read("big.csv.part"), "<no file>");
  EXPECT_EQ(form.findChild<QProgressDialog*>("ExportProgress"), nullptr);
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 3);
  EXPECT_TRUE(grid->updatesEnabled());
  SendKey(grid, Qt::Key_Down, QString());
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 4);

  form.CsvExport->DelayMs = 60000;
  ASSERT_TRUE(Export("big.csv"));
  const CsvRows rows = ParseCsv(Read("big.csv"));
  ASSERT_EQ(rows.size(), 20001u);
  EXPECT_EQ(rows.back(), (std::vector<std::string>{"20000", "row 20000"}));
  EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 4);
}

TEST_F(ExportWindowTest, AFileThatCannotBeWrittenShowsTheErrorBoxAndLeavesTheOldFile) {
  TDBGrid* grid = OpenTablePage(form, "T");
  ASSERT_NE(grid, nullptr);
  ASSERT_TRUE(Export("missing/t.csv"));
  EXPECT_EQ(recorder.errors,
            std::vector<std::string>{"Não foi possível gravar " + folder.Path() +
                                     "/missing/t.csv: No such file or directory."});
  recorder.errors.clear();
  std::ofstream(folder.Path() + "/old.csv") << "old";
  recorder.open_answers.push_back({false, ""});
  form.CsvExport->Action->trigger();
  EXPECT_EQ(Read("old.csv"), "old") << "a cancelled file box writes nothing";
  EXPECT_TRUE(recorder.errors.empty());
}

}  // namespace
