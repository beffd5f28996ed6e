// Any script through the main window over a UTF8 database: names in the tree and the
// grid's titles, cells, a value typed in the grid and read back by isql byte for byte,
// and the console's F9 and F10 with text outside Latin-1.
#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QLineEdit>

#include "app_test_support.h"
#include "data/dataset/dataset.h"
#include "support/log_in.h"
#include "support/temp_database.h"

namespace {

TempDatabaseOptions Shop() {
  TempDatabaseOptions options;
  options.charset = "UTF8";
  options.names = "UTF8";
  options.setup =
      "create table \"Notas Fiscais\" (\"Número\" integer not null primary key, "
      "\"Descrição\" varchar(20));\n"
      "insert into \"Notas Fiscais\" values (1, 'Ação');\n"
      "insert into \"Notas Fiscais\" values (2, 'Жизнь');\n"
      "insert into \"Notas Fiscais\" values (3, '中文 😀');\n";
  return options;
}

class UnicodeWindowTest : public ShellTest {
 protected:
  TempDatabase db{Shop()};
  TForm1 form;

  void SetUp() override {
    LogIn(form, db.Path());
    TickUntilStopped(form);
    recorder.messages.clear();
  }
  void Console(const QString& line, int key) {
    form.RichEdit1->setPlainText(line);
    SendKey(form.RichEdit1, key, QString());
  }
  std::vector<std::string> Column(TDataSet* data, const std::string& name) {
    std::vector<std::string> values;
    for (data->First(); !data->Eof(); data->Next())
      values.push_back(data->FieldByName(name)->AsString());
    return values;
  }
};

TEST_F(UnicodeWindowTest, NamesValuesAndTypedTextKeepEveryScript) {
  ASSERT_EQ(form.TablesNode()->childCount(), 1);
  EXPECT_EQ(form.TablesNode()->child(0)->text(0), QString::fromUtf8("Notas Fiscais"));
  TDBGrid* grid = OpenTablePage(form, "Notas Fiscais");
  ASSERT_NE(grid, nullptr);
  ASSERT_EQ(grid->Columns().Count(), 2);
  EXPECT_EQ(grid->Columns()[1].Title().Caption(), "Descrição");
  TDataSet* table = grid->DataSource()->DataSet();
  EXPECT_EQ(Column(table, "Descrição"), (std::vector<std::string>{"Ação", "Жизнь", "中文 😀"}));

  // Typed into the cell editor: a key of a Cyrillic layout, then what an input method
  // commits.
  table->First();
  SendKey(grid, Qt::Key_Tab, "\t");
  SendKey(grid, Qt::Key_F2, QString());
  auto* editor = grid->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  SendKey(editor, Qt::Key_End, QString());
  SendKey(editor, 0x0416, QString::fromUtf8("ж"));  // the Ж key
  QInputMethodEvent committed;
  committed.setCommitString(QString::fromUtf8(" 日本 👍"));
  QCoreApplication::sendEvent(editor, &committed);
  SendKey(editor, Qt::Key_Return, "\r");
  SendKey(grid, Qt::Key_Down, QString());
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  SendKey(grid, Qt::Key_F4, QString());

  // The console: a select, an update and F10's filter with text outside Latin-1.
  Console("select \"Descrição\" from \"Notas Fiscais\" where \"Número\" = 1", Qt::Key_F9);
  EXPECT_EQ(Column(form.IBQuery1, "Descrição"), std::vector<std::string>{"Açãoж 日本 👍"});
  Console("update \"Notas Fiscais\" set \"Descrição\" = 'Съешь' where \"Número\" = 2", Qt::Key_F9);
  EXPECT_EQ(recorder.messages.back(), "Comando Executado com Sucesso!");
  Console("select * from \"Notas Fiscais\" where \"Descrição\" = 'Съешь'", Qt::Key_F10);
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(Column(form.IBTable1, "Número"), std::vector<std::string>{"2"});
  SendKey(form.DBGrid1, Qt::Key_F4, QString());
  form.Abrir1Click();  // disconnects, so isql may open the file

  const std::string isql = db.RunSql(
      "set heading off;\nselect '[' || \"Descrição\" || ']' from \"Notas Fiscais\" order by 1;",
      "SYSDBA", "UTF8");
  EXPECT_NE(isql.find("[Açãoж 日本 👍]"), std::string::npos) << isql;
  EXPECT_NE(isql.find("[Съешь]"), std::string::npos) << isql;
}

}  // namespace
