// The main window over a private server that is killed in the middle of a fetch and of a
// post: the error box names the network error, nothing typed is dropped unannounced, and
// once the server is back "Fechar Todos BDs" and the login panel connect again.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTreeWidgetItem>

#include "app_test_support.h"
#include "data/errors/errors.h"
#include "support/firebird_server.h"
#include "support/temp_database.h"

namespace {

class LostServerTest : public ShellTest {
 protected:
  static void SetUpTestSuite() { server_ = new FirebirdServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    form.show();
    form.ChooseDatabasePath(server_->Url(db.Path()));
    LogIn();
  }
  void TearDown() override { server_->Restart(); }

  void LogIn() {
    form.Edit1->setText(FirebirdServer::User());
    form.Edit2->setText(FirebirdServer::Password());
    form.BitBtn1Click();
    TickUntilStopped(form);
  }
  void CtrlKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
    QCoreApplication::sendEvent(target, &press);
  }

  static inline FirebirdServer* server_ = nullptr;
  TempDatabase db{
      "CREATE TABLE BIG (ID INTEGER NOT NULL PRIMARY KEY, FILLER VARCHAR(200));\n"
      "SET TERM ^;\n"
      "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 3000) DO BEGIN "
      "INSERT INTO BIG VALUES (:I, LPAD('', 200, 'x')); I = I + 1; END END^\n"
      "SET TERM ;^\n"
      "CREATE TABLE CUSTOMERS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20));\n"
      "INSERT INTO CUSTOMERS VALUES (1, 'Ana');\n"};
  TForm1 form;
};

const char kReadFailed[] = "Error reading data from the connection.";
const char kWriteFailed[] = "Error writing data to the connection.";

TEST_F(LostServerTest, FetchCutOffShowsTheNetworkErrorAndCloseAllDropsTheConnection) {
  form.RichEdit1->setPlainText("select * from BIG order by ID");
  SendKey(form.RichEdit1, Qt::Key_F9, QString());
  ASSERT_TRUE(form.IBQuery1->Active());
  server_->Kill();
  CtrlKey(form.DBGrid1, Qt::Key_End);
  EXPECT_EQ(recorder.errors, std::vector<std::string>{kReadFailed});
  EXPECT_TRUE(form.isVisible());

  // The detach cannot reach the server: the menu drops the connection instead of refusing.
  recorder.errors.clear();
  form.Abrir1->trigger();
  EXPECT_EQ(recorder.errors, std::vector<std::string>{kWriteFailed});
  EXPECT_FALSE(form.IBDatabase1->Connected());
  EXPECT_FALSE(form.IBQuery1->Active());
  EXPECT_TRUE(form.Panel1->isVisible());
  EXPECT_EQ(form.TablesNode()->childCount(), 0);

  server_->Restart();
  recorder.messages.clear();
  LogIn();
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"Conectado com Sucesso!"});
  EXPECT_EQ(form.TablesNode()->childCount(), 2);
  form.RichEdit1->setPlainText("select count(*) from BIG");
  SendKey(form.RichEdit1, Qt::Key_F9, QString());
  EXPECT_EQ(form.IBQuery1->Fields()[0]->AsInteger(), 3000);
}

TEST_F(LostServerTest, PostCutOffKeepsTheTypedRowUntilCloseAllDropsIt) {
  TDBGrid* grid = OpenTablePage(form, "CUSTOMERS");
  ASSERT_NE(grid, nullptr);
  TDataSet* table = grid->DataSource()->DataSet();
  grid->SetSelectedIndex(1);
  SendKey(grid, Qt::Key_F2, QString());
  QLineEdit* editor = grid->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  SendKey(editor, Qt::Key_End, QString());
  SendKey(editor, 'o', "o");
  server_->Kill();

  // F4 posts first: the post fails, the row stays in edit with what was typed.
  SendKey(grid, Qt::Key_F4, QString());
  EXPECT_EQ(recorder.errors, std::vector<std::string>{kReadFailed});
  EXPECT_EQ(table->State(), dsEdit);
  EXPECT_EQ(table->FieldByName("NAME")->AsString(), "Anao");
  // A post on a broken connection cannot succeed later: it fails again, still keeping it.
  SendKey(grid, Qt::Key_F4, QString());
  EXPECT_EQ(recorder.errors.size(), 2u);
  EXPECT_EQ(table->FieldByName("NAME")->AsString(), "Anao");

  recorder.errors.clear();
  form.Abrir1->trigger();
  EXPECT_EQ(recorder.errors, std::vector<std::string>{kWriteFailed}) << "told before dropping";
  EXPECT_FALSE(form.IBDatabase1->Connected());
  EXPECT_FALSE(table->Active());
  EXPECT_TRUE(form.Panel1->isVisible());

  server_->Restart();
  LogIn();
  ASSERT_TRUE(form.IBDatabase1->Connected());
  form.RichEdit1->setPlainText("select NAME from CUSTOMERS where ID = 1");
  SendKey(form.RichEdit1, Qt::Key_F9, QString());
  EXPECT_EQ(form.IBQuery1->Fields()[0]->AsString(), "Ana") << "nothing half-saved";
}

TEST_F(LostServerTest, CloseAllStillRefusesWhileTheServerRefusesAPost) {
  TDBGrid* grid = OpenTablePage(form, "CUSTOMERS");
  ASSERT_NE(grid, nullptr);
  TDataSet* table = grid->DataSource()->DataSet();
  table->Append();
  table->FieldByName("ID")->SetAsInteger(1);  // the key of the row already there
  recorder.errors.clear();
  form.Abrir1->trigger();
  ASSERT_EQ(recorder.errors.size(), 1u);
  EXPECT_TRUE(form.IBDatabase1->Connected()) << "a refusal that is not a lost connection";
  EXPECT_EQ(table->State(), dsInsert);
}

}  // namespace
