// Bad input through the main window over real database files: damaged and read-only
// files, a path outside Latin-1, awkward table names and a date the field cannot read.
// Each gives a clear error or the right result, never a crash or a silent change.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLineEdit>
#include <filesystem>

#include "app_test_support.h"
#include "grid/qt_text.h"
#include "support/temp_database.h"

namespace {

namespace fs = std::filesystem;

const char kConnected[] = "Conectado com Sucesso!";
const char kFailed[] = "Ocorreu um Erro e o Bd não Conectou!";

class BadInputTest : public ShellTest {
 protected:
  TForm1 form;
  void SetUp() override { form.show(); }
  // Logs in to `path`; the messages shown on the way.
  std::vector<std::string> LogIn(const std::string& path) {
    recorder.messages.clear();
    form.ChooseDatabasePath(path);
    form.Edit1->setText("SYSDBA");
    form.Edit2->setText("x");
    form.BitBtn1->click();
    return recorder.messages;
  }
  std::vector<std::string> TableNames() {
    std::vector<std::string> names;
    for (int i = 0; i < form.TablesNode()->childCount(); ++i)
      names.push_back(FromQt(form.TablesNode()->child(i)->text(0)));
    return names;
  }
  // Types `text` over the current cell of `grid` and presses F4.
  void TypeAndCommit(TDBGrid* grid, int column, const QString& text) {
    grid->SetSelectedIndex(column);
    SendKey(grid, Qt::Key_F2, QString());
    QLineEdit* editor = grid->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    for (QChar c : text) SendKey(editor, c.unicode(), QString(c));
    SendKey(grid, Qt::Key_F4, QString());
  }
};

TEST_F(BadInputTest, TruncatedFilesAreRefusedAndAFileShortOfUnusedPagesStillReads) {
  TempDatabase db("CREATE TABLE T (ID INTEGER);\nINSERT INTO T VALUES (1);\n");
  const auto size = fs::file_size(db.Path());
  for (uintmax_t keep : {uintmax_t{0}, uintmax_t{100}, uintmax_t{1024}, size / 2}) {
    TempFolder folder;
    const std::string path = folder.Path() + "/cut.fdb";
    fs::copy_file(db.Path(), path);
    fs::resize_file(path, keep);
    const std::vector<std::string> messages = LogIn(path);
    ASSERT_EQ(messages.size(), 1u) << keep;
    // The box says why under its own words: here, the file is shorter than it should be.
    EXPECT_EQ(messages[0].rfind(std::string(kFailed) + "\n\n", 0), 0u) << messages[0];
    EXPECT_NE(messages[0].find("cut.fdb"), std::string::npos) << messages[0];
    EXPECT_EQ(messages[0].find('\r'), std::string::npos);
    EXPECT_FALSE(form.IBDatabase1->Connected());
    EXPECT_TRUE(form.Panel1->isVisible());
  }
  // The pages at the end of a fresh file are unused: losing them loses no row.
  for (uintmax_t keep : {size - 8192, size - 1}) {
    TempFolder folder;
    const std::string path = folder.Path() + "/cut.fdb";
    fs::copy_file(db.Path(), path);
    fs::resize_file(path, keep);
    EXPECT_EQ(LogIn(path), std::vector<std::string>{kConnected}) << keep;
    TDBGrid* grid = OpenTablePage(form, "T");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->DataSource()->DataSet()->FieldByName("ID")->AsInteger(), 1);
    form.Abrir1->trigger();
  }
  EXPECT_TRUE(recorder.errors.empty());
}

TEST_F(BadInputTest, AReadOnlyDatabaseRefusesThePostAndKeepsTheTypedValue) {
  TempDatabase db("CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY);\nINSERT INTO T VALUES (1);\n");
  std::string output;
  ASSERT_EQ(RunCommand("gfix -mode read_only -user SYSDBA '" + db.Path() + "'", &output), 0)
      << output;
  if (geteuid() != 0) {
    // A file the user may not write is refused outright (root writes any file).
    chmod(db.Path().c_str(), 0444);
    EXPECT_EQ(LogIn(db.Path()), std::vector<std::string>{kFailed});
    chmod(db.Path().c_str(), 0644);
  }
  ASSERT_EQ(LogIn(db.Path()), std::vector<std::string>{kConnected});
  TDBGrid* grid = OpenTablePage(form, "T");
  ASSERT_NE(grid, nullptr);
  TypeAndCommit(grid, 0, "2");
  ASSERT_EQ(recorder.errors.size(), 1u);
  EXPECT_NE(recorder.errors[0].find("read-only database"), std::string::npos) << recorder.errors[0];
  EXPECT_EQ(grid->DataSource()->DataSet()->State(), dsEdit);
  EXPECT_EQ(grid->DataSource()->DataSet()->FieldByName("ID")->AsInteger(), 2);
  form.Abrir1->trigger();  // refused while the post fails: the value stays on screen
  EXPECT_TRUE(form.IBDatabase1->Connected());
}

TEST_F(BadInputTest, APathOutsideLatin1OpensAndShowsAsTheFileSystemNamesIt) {
  TempDatabase db("CREATE TABLE T (ID INTEGER);\n");
  TempFolder folder;
  const std::string dir = folder.Path() + "/\xD0\xB4\xD0\xB1 \xE6\x95\xB0\xE6\x8D\xAE";  // дб 数据
  fs::create_directory(dir);
  const std::string path = dir + "/\xE2\x82\xAC.fdb";  // €.fdb
  fs::copy_file(db.Path(), path);
  EXPECT_EQ(LogIn(path), std::vector<std::string>{kConnected});
  EXPECT_EQ(form.base1->text(), QString::fromUtf8(path.c_str()));
  EXPECT_EQ(TableNames(), std::vector<std::string>{"T"});
}

TEST_F(BadInputTest, QuotedAndLongestTableNamesOpenEditAndRefuseABadDate) {
  const std::string longest(31, 'L');
  const std::string quoted = "Say \"\"hi\"\" in a name of 31 chars!";  // 31 once undoubled
  TempDatabase db("CREATE TABLE " + longest + " (ID INTEGER);\nINSERT INTO " + longest +
                  " VALUES (31);\nCREATE TABLE \"" + quoted +
                  "\" (ID INTEGER NOT NULL PRIMARY KEY, D DATE);\nINSERT INTO \"" + quoted +
                  "\" VALUES (1, '2024-02-29');\n");
  const std::string name = "Say \"hi\" in a name of 31 chars!";
  ASSERT_EQ(name.size(), 31u);
  ASSERT_EQ(LogIn(db.Path()), std::vector<std::string>{kConnected});
  EXPECT_EQ(TableNames(), (std::vector<std::string>{longest, name}));
  TDBGrid* grid = OpenTablePage(form, longest);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->DataSource()->DataSet()->FieldByName("ID")->AsInteger(), 31);

  grid = OpenTablePage(form, name);
  ASSERT_NE(grid, nullptr);
  TDataSet* table = grid->DataSource()->DataSet();
  const std::string before = table->FieldByName("D")->AsString();
  TypeAndCommit(grid, 1, "31/02/2024");
  ASSERT_EQ(recorder.errors.size(), 1u);
  EXPECT_NE(recorder.errors[0].find("is not a valid date value for field 'D'"), std::string::npos)
      << recorder.errors[0];
  EXPECT_EQ(table->FieldByName("D")->AsString(), before) << "the stored date is unchanged";
  SendKey(grid, Qt::Key_Escape, QString());
  SendKey(grid, Qt::Key_Escape, QString());
  recorder.errors.clear();
  TypeAndCommit(grid, 0, "7");
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors[0];
  form.Abrir1->trigger();
  EXPECT_NE(db.RunSql("SELECT ID FROM \"" + quoted + "\";").find('7'), std::string::npos);
}

}  // namespace
