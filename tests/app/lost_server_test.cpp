// The main window over a private server that is killed in the middle of a fetch, of a
// post and of a commit: one box says the connection is lost and what was lost with it,
// the connection and its pages go, and once the server is back the login panel connects
// again.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTreeWidgetItem>

#include "app_test_support.h"
#include "data/errors/errors.h"
#include "support/firebird_server.h"
#include "support/temp_database.h"
#include "workbench/pages/pages.h"
#include "workbench/pages/transaction_commands.h"

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
  // Opens CUSTOMERS and types `c` at the end of the first row's NAME, leaving it in edit.
  TDBGrid* TypeAtEndOfFirstName(char c) {
    TDBGrid* grid = OpenTablePage(form, "CUSTOMERS");
    if (!grid) return nullptr;
    grid->SetSelectedIndex(1);
    SendKey(grid, Qt::Key_F2, QString());
    QLineEdit* editor = grid->findChild<QLineEdit*>();
    if (!editor) return nullptr;
    SendKey(editor, Qt::Key_End, QString());
    SendKey(editor, c, QString(QChar(c)));
    return grid;
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

// The box's first words when the connection is lost.
const char kLost[] = "A conexão com o banco de dados foi perdida.\n\n";

TEST_F(LostServerTest, AFetchCutOffDropsTheConnectionAndSaysSoOnce) {
  form.RichEdit1->setPlainText("select * from BIG order by ID");
  SendKey(form.RichEdit1, Qt::Key_F9, QString());
  ASSERT_TRUE(form.IBQuery1->Active());
  server_->Kill();
  CtrlKey(form.DBGrid1, Qt::Key_End);
  ASSERT_EQ(recorder.errors.size(), 1u);
  EXPECT_EQ(recorder.errors[0].rfind(std::string(kLost) + kReadFailed, 0), 0u)
      << recorder.errors[0];
  EXPECT_FALSE(form.IBDatabase1->Connected());
  EXPECT_FALSE(form.IBQuery1->Active());
  EXPECT_TRUE(form.Panel1->isVisible());
  EXPECT_FALSE(form.TreeView1->isVisible());
  EXPECT_EQ(form.TablesNode()->childCount(), 0);

  // Nothing is left to drop.
  recorder.errors.clear();
  form.Abrir1->trigger();
  EXPECT_TRUE(recorder.errors.empty());

  server_->Restart();
  recorder.messages.clear();
  LogIn();
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"Conectado com Sucesso!"});
  EXPECT_EQ(form.TablesNode()->childCount(), 2);
  form.RichEdit1->setPlainText("select count(*) from BIG");
  SendKey(form.RichEdit1, Qt::Key_F9, QString());
  EXPECT_EQ(form.IBQuery1->Fields()[0]->AsInteger(), 3000);
}

TEST_F(LostServerTest, APostCutOffSaysTheRowInEditIsLostAndClosesThePages) {
  TDBGrid* grid = TypeAtEndOfFirstName('o');
  ASSERT_NE(grid, nullptr);
  server_->Kill();

  // F4 posts first: the post cannot reach the server.
  SendKey(grid, Qt::Key_F4, QString());
  ASSERT_EQ(recorder.errors.size(), 1u);
  EXPECT_NE(recorder.errors[0].find(kLost), std::string::npos) << recorder.errors[0];
  EXPECT_NE(recorder.errors[0].find("Perdeu-se o registro em edição."), std::string::npos);
  EXPECT_FALSE(form.IBDatabase1->Connected());
  EXPECT_EQ(form.PageControl1->count(), 2) << "the table's page is closed";
  EXPECT_TRUE(form.Panel1->isVisible());

  server_->Restart();
  LogIn();
  ASSERT_TRUE(form.IBDatabase1->Connected());
  form.RichEdit1->setPlainText("select NAME from CUSTOMERS where ID = 1");
  SendKey(form.RichEdit1, Qt::Key_F9, QString());
  EXPECT_EQ(form.IBQuery1->Fields()[0]->AsString(), "Ana") << "nothing half-saved";
}

TEST_F(LostServerTest, ACommitCutOffCountsThePostedRowsAndClearsTheMark) {
  TDBGrid* grid = TypeAtEndOfFirstName('x');
  ASSERT_NE(grid, nullptr);
  SendKey(grid, Qt::Key_Down, QString());  // posted, not committed
  ASSERT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  ASSERT_EQ(form.Pages->Transactions->Changes(), 1);
  server_->Kill();
  // F4 once emptied the grids as a commit would, the mark still on.
  SendKey(grid, Qt::Key_F4, QString());
  ASSERT_EQ(recorder.errors.size(), 1u);
  EXPECT_NE(recorder.errors[0].find("Perderam-se as alterações não confirmadas: 1 registro "
                                    "gravado desde a última confirmação."),
            std::string::npos)
      << recorder.errors[0];
  EXPECT_EQ(form.Pages->Transactions->Changes(), 0);
  EXPECT_FALSE(form.IBDatabase1->Connected());
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
