// The first road through the program: choose a database file, log in, see the tables.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTreeWidgetItem>
#include <fstream>

#include "app_test_support.h"
#include "data/statement/sql.h"
#include "grid/qt_text.h"
#include "support/temp_database.h"

namespace {

const char kConnected[] = "Conectado com Sucesso!";
const char kFailed[] = "Ocorreu um Erro e o Bd não Conectou!";

std::vector<std::string> Children(const QTreeWidgetItem* node) {
  std::vector<std::string> names;
  for (int i = 0; i < node->childCount(); ++i)
    names.push_back(node->child(i)->text(0).toStdString());
  return names;
}

class OpenLoginTest : public ShellTest {
 protected:
  TempDatabase db{
      "CREATE TABLE ZEBRA (ID INTEGER NOT NULL PRIMARY KEY);\n"
      "CREATE TABLE ALPHA (ID INTEGER);\n"
      "CREATE TABLE PRICE$LIST (ID INTEGER);\n"
      "CREATE VIEW EVERY_ZEBRA AS SELECT ID FROM ZEBRA;\n"};
  TForm1 form;

  void SetUp() override { form.show(); }

  void LogIn(const QString& user, const QString& password) {
    form.Edit1->setText(user);
    form.Edit2->setText(password);
    form.BitBtn1Click();
  }
};

TEST_F(OpenLoginTest, SuccessfulConnectListsTheUserTablesAndGrowsTheWindow) {
  form.RichEdit1->setPlainText("select * from ZEBRA");
  form.ChooseDatabasePath(db.Path());
  EXPECT_EQ(form.Phase, 1);
  EXPECT_EQ(form.base1->text(), FileNameText(db.Path()));
  EXPECT_TRUE(form.Panel1->isVisible());
  EXPECT_TRUE(form.Image1->isVisible());
  EXPECT_EQ(form.focusWidget(), form.Edit1);
  TickUntilStopped(form);
  EXPECT_EQ(form.OuterHeight(), 230);

  LogIn("SYSDBA", "masterkey");
  EXPECT_EQ(recorder.messages, std::vector<std::string>{kConnected});
  EXPECT_TRUE(form.IBDatabase1->Connected());
  EXPECT_EQ(form.IBDatabase1->Params().Lines(),
            (std::vector<std::string>{"user_name=SYSDBA", "password=masterkey", "lc_ctype=UTF8",
                                      "connect_timeout=15"}));
  // Tables in name order, "$" names included, views and system tables left out.
  EXPECT_EQ(Children(form.TablesNode()),
            (std::vector<std::string>{"ALPHA", "PRICE$LIST", "ZEBRA"}));
  EXPECT_EQ(form.TreeView1->topLevelItem(1)->childCount(), 0);
  EXPECT_EQ(form.TreeView1->topLevelItem(2)->childCount(), 0);
  EXPECT_FALSE(form.Panel1->isVisible());
  EXPECT_TRUE(form.TreeView1->isVisible());
  EXPECT_TRUE(form.PageControl1->isVisible());
  EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet2);
  EXPECT_EQ(form.focusWidget(), form.TreeView1);
  EXPECT_EQ(form.RichEdit1->toPlainText(), "select * from ZEBRA");
  EXPECT_FALSE(form.IBTransaction1->Active());  // the listing has a transaction of its own
  EXPECT_EQ(form.Phase, 2);
  TickUntilStopped(form);
  EXPECT_EQ(form.OuterWidth(), 651);
  EXPECT_EQ(form.OuterHeight(), 452);

  // A second connect replaces the names instead of repeating them.
  LogIn("SYSDBA", "masterkey");
  EXPECT_EQ(recorder.messages, (std::vector<std::string>{kConnected, kConnected}));
  EXPECT_EQ(Children(form.TablesNode()),
            (std::vector<std::string>{"ALPHA", "PRICE$LIST", "ZEBRA"}));
}

TEST_F(OpenLoginTest, FailedConnectShowsItsMessageAndKeepsTheLoginPanel) {
  TempFolder folder;
  const std::string not_a_database = folder.Path() + "/notes.gdb";
  std::ofstream(not_a_database) << "just some text, not a database\n";
  for (const std::string& path : {folder.Path() + "/missing.gdb", not_a_database}) {
    recorder.messages.clear();
    form.ChooseDatabasePath(path);
    LogIn("", "");
    ASSERT_EQ(recorder.messages.size(), 1u) << path;
    // The engine's reason under the box's own words, naming the file.
    EXPECT_EQ(recorder.messages[0].rfind(std::string(kFailed) + "\n\n", 0), 0u);
    EXPECT_NE(recorder.messages[0].find(path), std::string::npos) << recorder.messages[0];
    // Empty user and password still send all three lines.
    EXPECT_EQ(form.IBDatabase1->Params().Lines(),
              (std::vector<std::string>{"user_name=", "password=", "lc_ctype=UTF8",
                                        "connect_timeout=15"}));
    EXPECT_FALSE(form.IBDatabase1->Connected());
    EXPECT_TRUE(form.Panel1->isVisible());
    EXPECT_FALSE(form.TreeView1->isVisible());
    EXPECT_FALSE(form.PageControl1->isVisible());
    EXPECT_EQ(form.Phase, 1);
    EXPECT_EQ(form.TablesNode()->childCount(), 0);
  }
}

TEST_F(OpenLoginTest, KeyboardAloneLogsIn) {
  form.ChooseDatabasePath(db.Path());
  for (QChar c : QString("SYSDBA")) SendKey(form.Edit1, c.unicode(), QString(c));
  SendKey(form.Edit1, Qt::Key_Return, "\r");
  EXPECT_EQ(form.focusWidget(), form.Edit2);
  for (QChar c : QString("pw")) SendKey(form.Edit2, c.unicode(), QString(c));
  SendKey(form.Edit2, Qt::Key_Return, "\r");
  EXPECT_EQ(form.focusWidget(), form.BitBtn1);
  SendKey(form.BitBtn1, Qt::Key_Return, "\r");
  EXPECT_EQ(recorder.messages, std::vector<std::string>{kConnected});
  EXPECT_EQ(form.IBDatabase1->Params().Strings(0), "user_name=SYSDBA");
  EXPECT_EQ(form.IBDatabase1->Params().Strings(1), "password=pw");
}

TEST_F(OpenLoginTest, TheConnectionsCharacterSetIsChosenByTheDatabaseOrTheUser) {
  auto char_set_shown = [&] {
    auto* label = form.findChild<QLabel*>("CharSetLabel");
    return label ? label->text().toStdString() : std::string("<no label>");
  };
  // Any script in the login panel goes as typed.
  form.ChooseDatabasePath(db.Path());
  LogIn(QString::fromUtf8("\xE7\x94\xA8\xE6\x88\xB7"), "x");
  ASSERT_TRUE(form.IBDatabase1->Connected());
  EXPECT_EQ(form.IBDatabase1->Params().Strings(0), "user_name=\xE7\x94\xA8\xE6\x88\xB7");
  EXPECT_EQ(form.IBDatabase1->Params().Values("lc_ctype"), "UTF8");
  EXPECT_EQ(char_set_shown(), "Conjunto de caracteres: UTF8");

  // A database whose default set is NONE is read in ISO8859_1, as older programs wrote it.
  TempDatabaseOptions none;
  none.charset = "NONE";
  none.setup = "create table OLD (ID integer);\n";
  TempDatabase old(none);
  form.Abrir1Click();
  form.ChooseDatabasePath(old.Path());
  LogIn("SYSDBA", "x");
  ASSERT_TRUE(form.IBDatabase1->Connected());
  EXPECT_EQ(form.IBDatabase1->Params().Values("lc_ctype"), "ISO8859_1");
  EXPECT_EQ(char_set_shown(), "Conjunto de caracteres: ISO8859_1");

  // The user's choice holds over both.
  form.SetConnectionCharSet("WIN1252");
  LogIn("SYSDBA", "x");
  EXPECT_EQ(form.IBDatabase1->Params().Values("lc_ctype"), "WIN1252");
  EXPECT_EQ(char_set_shown(), "Conjunto de caracteres: WIN1252");
}

TEST_F(OpenLoginTest, OpenDialogChoosesThePathAndACancelKeepsTheEarlierOne) {
  form.Abrir2Click();  // cancelled, nothing chosen before: nothing happens
  EXPECT_EQ(form.Phase, 0);
  EXPECT_FALSE(form.Panel1->isVisible());
  EXPECT_EQ(recorder.open_default_exts, std::vector<std::string>{"gdb"});

  recorder.open_answers.push_back({true, "/data/shop"});
  form.Abrir2Click();
  EXPECT_EQ(form.ChosenDatabasePath, "/data/shop.gdb");
  EXPECT_EQ(form.Phase, 1);
  EXPECT_TRUE(form.Panel1->isVisible());

  form.Panel1->hide();
  form.Abrir2Click();  // cancelled: the login panel again, for the earlier path
  EXPECT_EQ(form.ChosenDatabasePath, "/data/shop.gdb");
  EXPECT_TRUE(form.Panel1->isVisible());
}

TEST_F(OpenLoginTest, CloseAllDisconnectsCommittingAndShowsTheLoginPanelAgain) {
  form.ChooseDatabasePath(db.Path());
  LogIn("SYSDBA", "x");
  ASSERT_EQ(form.TablesNode()->childCount(), 3);
  {
    form.IBTransaction1->StartTransaction();
    TIBSQL insert;
    insert.SetDatabase(form.IBDatabase1);
    insert.SetTransaction(form.IBTransaction1);
    insert.SQL().Add("INSERT INTO ALPHA (ID) VALUES (7)");
    insert.ExecQuery();
  }
  form.Abrir1Click();
  EXPECT_FALSE(form.IBDatabase1->Connected());
  EXPECT_FALSE(form.IBTransaction1->Active());
  // The login panel keeps the user name but not the password.
  EXPECT_EQ(form.Edit1->text(), "SYSDBA");
  EXPECT_EQ(form.Edit2->text(), "");
  EXPECT_EQ(form.TablesNode()->childCount(), 0);
  EXPECT_TRUE(form.Panel1->isVisible());
  EXPECT_FALSE(form.TreeView1->isVisible());
  EXPECT_EQ(form.Phase, 1);
  // The open transaction ended by its default action, a commit.
  EXPECT_NE(db.RunSql("SELECT ID FROM ALPHA;").find('7'), std::string::npos);

  LogIn("SYSDBA", "x");
  EXPECT_EQ(form.TablesNode()->childCount(), 3);
}

}  // namespace
