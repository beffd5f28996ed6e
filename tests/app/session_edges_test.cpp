// The edges of a session in the real window: logging in again, closing and "Fechar
// Todos BDs" with work not yet committed, two pages writing the same row, a table that
// cannot be read, and databases of older character sets.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app_test_support.h"
#include "workbench/pages/page_close.h"
#include "workbench/pages/pages.h"
#include "workbench/pages/transaction_commands.h"

namespace {

const char kSetup[] =
    "create table CUSTOMERS (ID integer not null primary key, NAME varchar(20));\n"
    "insert into CUSTOMERS values (1, 'Ana');\n"
    "insert into CUSTOMERS values (2, 'Bia');\n"
    "create table MANY (ID integer not null primary key, V varchar(10));\n"
    "set term ^;\nexecute block as declare i integer = 1; begin while (i <= 60) do begin "
    "insert into MANY values (:i * 10, 'v' || :i); i = i + 1; end end^\nset term ;^\n";

class SessionEdgesTest : public LoggedInWindowTest {
 protected:
  SessionEdgesTest() : LoggedInWindowTest(kSetup) {}
  // Types into the first row's NAME and leaves the row in edit, not posted.
  TDBGrid* EditFirstName(const QString& text) {
    TDBGrid* grid = OpenTablePage(form, "CUSTOMERS");
    EXPECT_NE(grid, nullptr);
    grid->SetSelectedIndex(1);
    TypeIntoCell(grid, text);
    EXPECT_EQ(grid->DataSource()->DataSet()->State(), dsEdit);
    return grid;
  }
  int TablePages() const { return form.PageControl1->count() - 2; }
};

TEST_F(SessionEdgesTest, LoggingInAgainPostsTheEditAndAsksAboutPendingWork) {
  EditFirstName("x");
  // Cancelar: the session stays as it was, the row still in edit.
  recorder.yes_no_cancel_answers = {TDialogs::kCancel};
  form.ChooseDatabasePath(db.Path());
  ASSERT_EQ(recorder.questions.size(), 1u);
  EXPECT_NE(recorder.questions[0].find("Confirmar as alterações pendentes?"), std::string::npos);
  EXPECT_TRUE(form.IBDatabase1->Connected());
  EXPECT_EQ(TablePages(), 1);
  EXPECT_FALSE(form.Panel1->isVisible());
  EXPECT_EQ(ReadBack("select NAME from CUSTOMERS where ID = 1"), "Ana");

  // Sim: committed, then the old tree and pages go before the login panel shows.
  recorder.yes_no_cancel_answers = {TDialogs::kYes};
  form.ChooseDatabasePath(db.Path());
  EXPECT_FALSE(form.IBDatabase1->Connected());
  EXPECT_EQ(ReadBack("select NAME from CUSTOMERS where ID = 1"), "Anax");
  EXPECT_TRUE(form.Panel1->isVisible());
  EXPECT_FALSE(form.TreeView1->isVisible());
  EXPECT_FALSE(form.PageControl1->isVisible());
  EXPECT_EQ(TablePages(), 0);
  EXPECT_EQ(form.TablesNode()->childCount(), 0);

  // A failed login after it leaves nothing of the old session on screen.
  form.ChooseDatabasePath(db.Folder() + "/missing.fdb");
  form.Edit1->setText("SYSDBA");
  form.BitBtn1Click();
  EXPECT_FALSE(form.TreeView1->isVisible());
  EXPECT_EQ(form.TablesNode()->childCount(), 0);
}

TEST_F(SessionEdgesTest, NaoRollsBackAndNothingPendingAsksNothing) {
  EditFirstName("y");
  recorder.yes_no_cancel_answers = {TDialogs::kNo};
  form.Abrir1->trigger();  // "Fechar Todos BDs"
  EXPECT_EQ(recorder.questions.size(), 1u);
  EXPECT_FALSE(form.IBDatabase1->Connected());
  EXPECT_EQ(ReadBack("select NAME from CUSTOMERS where ID = 1"), "Ana");
  EXPECT_EQ(TablePages(), 0);

  form.Edit1->setText("SYSDBA");
  form.Edit2->setText("x");
  form.BitBtn1Click();
  ASSERT_TRUE(form.IBDatabase1->Connected());
  form.Abrir1->trigger();
  EXPECT_EQ(recorder.questions.size(), 1u) << "nothing pending: nothing asked";
}

TEST_F(SessionEdgesTest, ClosingTheWindowAsksAndCancelarKeepsItOpen) {
  EditFirstName("z");
  recorder.yes_no_cancel_answers = {TDialogs::kCancel};
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(recorder.questions.size(), 1u);
  recorder.yes_no_cancel_answers = {TDialogs::kYes};
  EXPECT_TRUE(form.close());
  EXPECT_EQ(ReadBack("select NAME from CUSTOMERS where ID = 1"), "Anaz");
}

TEST_F(SessionEdgesTest, APostFromAStalePageIsRefusedAndTheRowCanBeReadAgain) {
  TDBGrid* first = OpenTablePage(form, "CUSTOMERS");
  TDBGrid* second = OpenTablePage(form, "CUSTOMERS");
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_NE(second, first);
  first->SetSelectedIndex(1);
  TypeIntoCell(first, "1");
  SendKey(first, Qt::Key_Down, QString());  // posted
  ASSERT_EQ(first->DataSource()->DataSet()->State(), dsBrowse);

  // The second page still shows "Ana"; its post would write that back over "Ana1".
  second->SetSelectedIndex(1);
  TypeIntoCell(second, "2");
  recorder.confirm_answers = {false};  // keep the edit
  SendKey(second, Qt::Key_Down, QString());
  ASSERT_EQ(recorder.confirmations.size(), 1u);
  EXPECT_NE(recorder.confirmations[0].find("O registro foi alterado ou excluído depois de lido"),
            std::string::npos)
      << recorder.confirmations[0];
  TDataSet* stale = second->DataSource()->DataSet();
  EXPECT_EQ(stale->State(), dsEdit);
  EXPECT_EQ(stale->FieldByName("NAME")->AsString(), "Ana2");

  recorder.confirm_answers = {true};  // read it again
  SendKey(second, Qt::Key_Down, QString());
  EXPECT_EQ(stale->State(), dsBrowse);
  EXPECT_EQ(stale->FieldByName("NAME")->AsString(), "Ana1");
  SendKey(first, Qt::Key_F4, QString());
  EXPECT_EQ(ReadBack("select NAME from CUSTOMERS where ID = 1"), "Ana1");
}

TEST_F(SessionEdgesTest, AnInsertSurvivesTheGridGrowingUnderIt) {
  TDBGrid* grid = OpenTablePage(form, "MANY");
  ASSERT_NE(grid, nullptr);
  SendKey(grid, Qt::Key_Down, QString());
  SendKey(grid, Qt::Key_Down, QString());
  SendKey(grid, Qt::Key_Insert, QString());
  TDataSet* table = grid->DataSource()->DataSet();
  ASSERT_EQ(table->State(), dsInsert);
  TypeIntoCell(grid, "25");
  // A larger window fetches more rows while the new one stands among them.
  form.SetOuterSize(900, 1000);
  grid->SetSelectedIndex(1);
  TypeIntoCell(grid, "new");
  SendKey(grid, Qt::Key_Up, QString());  // posted
  ASSERT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  EXPECT_EQ(ReadBack("select count(*) from MANY"), "60");  // not committed yet
  std::vector<int> ids;
  table->First();
  while (!table->Eof()) {
    ids.push_back(table->FieldByName("ID")->AsInteger());
    table->Next();
  }
  EXPECT_EQ(ids.size(), 61u);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 25), 1) << "the new row once";
  for (int id = 10; id <= 600; id += 10)
    EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 1) << "the stored row " << id;
}

// A database of an older program: default set NONE, Cyrillic and Western columns.
TempDatabaseOptions LegacyDatabase() {
  TempDatabaseOptions options;
  options.charset = "NONE";
  options.names = "UTF8";
  options.setup =
      "create table OLD (ID integer not null primary key, RU varchar(10) character set "
      "WIN1251, WE varchar(10) character set WIN1252, RAW varchar(10));\n"
      "insert into OLD values (1, 'Жизнь', 'Ação €', null);\n";
  return options;
}

class LegacyDatabaseTest : public ShellTest {
 protected:
  void LogIn(const std::string& charset) {
    form.SetConnectionCharSet(charset);
    ::LogIn(form, db.Path());
    TickUntilStopped(form);
  }
  TempDatabase db{LegacyDatabase()};
  TForm1 form;
};

TEST_F(LegacyDatabaseTest, EveryDeclaredColumnOpensByDefault) {
  LogIn("");
  ASSERT_TRUE(form.IBDatabase1->Connected());
  EXPECT_EQ(form.IBDatabase1->Params().Values("lc_ctype"), "UTF8");
  TDBGrid* grid = OpenTablePage(form, "OLD");
  ASSERT_NE(grid, nullptr);
  EXPECT_TRUE(recorder.errors.empty()) << recorder.errors.front();
  TDataSet* table = grid->DataSource()->DataSet();
  EXPECT_EQ(table->FieldByName("RU")->AsString(), "Жизнь");
  EXPECT_EQ(table->FieldByName("WE")->AsString(), "Ação €");
}

TEST_F(LegacyDatabaseTest, ATableThatCannotBeReadSaysSoAndTakesNoInsert) {
  LogIn("WIN1252");  // the Cyrillic column cannot come in this set
  ASSERT_TRUE(form.IBDatabase1->Connected());
  TDBGrid* grid = OpenTablePage(form, "OLD");
  ASSERT_NE(grid, nullptr);
  ASSERT_EQ(recorder.errors.size(), 1u);
  // The engine does not say which column; the box names the one of another set.
  EXPECT_NE(recorder.errors[0].find("não lê: RU (WIN1251)"), std::string::npos)
      << recorder.errors[0];
  QWidget* page = form.PageControl1->currentWidget();
  QWidget* failure = page->findChild<QWidget*>("OpenFailure");
  ASSERT_NE(failure, nullptr);
  EXPECT_TRUE(failure->isVisible());
  EXPECT_FALSE(grid->isVisible());
  TDataSet* table = grid->DataSource()->DataSet();
  EXPECT_FALSE(table->Active());
  EXPECT_THROW(table->Insert(), EDatabaseError);
  // Opening again fails the same way and says so again.
  auto* again = failure->findChild<QPushButton*>("OpenAgain");
  ASSERT_NE(again, nullptr);
  again->click();
  EXPECT_EQ(recorder.errors.size(), 2u);
  EXPECT_FALSE(table->Active());
  EXPECT_TRUE(failure->isVisible());
}

// A loopback port that takes connections and never answers, as a hung server does.
class SilentServer {
 public:
  SilentServer() {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(socket_, 4);
    socklen_t length = sizeof address;
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() { ::close(socket_); }
  int Port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = 0;
};

TEST_F(ShellTest, ALoginToAServerThatNeverAnswersGivesUpAfterItsTimeout) {
  SilentServer silent;
  TForm1 form;
  form.SetConnectTimeout(2);
  QElapsedTimer clock;
  clock.start();
  ::LogIn(form, "127.0.0.1/" + std::to_string(silent.Port()) + ":/nowhere/none.fdb");
  EXPECT_LT(clock.elapsed(), 20000) << "it once waited 180 s";
  EXPECT_FALSE(form.IBDatabase1->Connected());
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].rfind(TWorkbenchForm::kLoginFailed, 0), 0u);
}

}  // namespace
