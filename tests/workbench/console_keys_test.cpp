// The console's keys beyond F9 and F10, pressed in the real window over a real
// database: the statement under the cursor, a selection, a script, markers, the plan,
// the history, .sql files and the cancel of a long statement.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "data/core/charset.h"
#include "data/statement/long_call.h"
#include "support/log_in.h"
#include "support/qt_environment.h"
#include "support/temp_database.h"
#include "workbench/console/long_call_window.h"
#include "workbench/console/sql_console.h"
#include "workbench/main_form.h"
#include "workbench/pages/pages.h"
#include "workbench/pages/transaction_commands.h"

namespace {

[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

const char* const kSetup =
    "create table T (ID integer not null primary key, NAME varchar(30));\n"
    "insert into T values (1, 'one');\n"
    "insert into T values (2, 'two');\n"
    "insert into T values (3, 'three');\n";

// The history goes to a folder of the test's own, never the person's; the program's
// folder comes back afterwards.
struct TDataFolder {
  TDataFolder() : previous(qgetenv("TAVREL_DATA_DIR")) {
    setenv("TAVREL_DATA_DIR", folder.Path().c_str(), 1);
  }
  ~TDataFolder() { setenv("TAVREL_DATA_DIR", previous.constData(), 1); }
  QByteArray previous;
  TempFolder folder;
};

class ConsoleKeysTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(); }
  void Start() {
    form = std::make_unique<TWorkbenchForm>();
    LogIn(*form, db.Path());
    ASSERT_TRUE(form->IBDatabase1->Connected());
    recorder.messages.clear();
  }
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(form->RichEdit1, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(form->RichEdit1, &release);
  }
  // Puts the text in the editor with the cursor at the first `|`, which is dropped.
  void Type(const QString& text) {
    QString plain = text;
    const qsizetype at = plain.indexOf('|');
    plain.remove('|');
    form->RichEdit1->setPlainText(plain);
    QTextCursor cursor = form->RichEdit1->textCursor();
    cursor.setPosition(at < 0 ? 0 : static_cast<int>(at));
    form->RichEdit1->setTextCursor(cursor);
  }
  QString Status() const { return form->Console->StatusText->text(); }
  // Reads one value with Ctrl+Enter.
  TField* Select(const QString& sql, const std::string& field) {
    Type(sql);
    Press(Qt::Key_Return);
    return form->IBQuery1->Active() ? form->IBQuery1->FieldByName(field) : nullptr;
  }
  std::vector<std::string> Errors() { return std::exchange(recorder.errors, {}); }
  std::string Count(const QString& from) {
    TField* count = Select("select count(*) from " + from, "COUNT");
    return count ? count->AsString() : "<no rows>";
  }
  QStringList Tables() const {
    QStringList tables;
    for (int i = 0; i < form->TablesNode()->childCount(); ++i)
      tables << form->TablesNode()->child(i)->text(0);
    return tables;
  }
  // Presses Esc on the progress box once it shows, after checking what `check` checks.
  void CancelWhenShown(bool* shown, std::function<void()> check = {}) {
    QTimer::singleShot(1500, form.get(), [this, shown, check] {
      auto* progress = form->findChild<QDialog*>("LongCallProgress");
      ASSERT_NE(progress, nullptr);
      *shown = progress->isVisible();
      if (check) check();
      QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QCoreApplication::sendEvent(progress, &escape);
    });
  }

  TRecordingDialogs recorder;
  TScopedDialogs scoped{&recorder};
  TempDatabase db{kSetup};
  TDataFolder data;
  std::unique_ptr<TWorkbenchForm> form;
};

TEST_F(ConsoleKeysTest, CtrlEnterRunsTheStatementUnderTheCursorByItsPreparedType) {
  Type(
      "select * from T where NAME = 'a;b';\n"
      "update T set NAME = 'selected; yes' |where ID = 2;\n"
      "select * from T");
  Press(Qt::Key_Return);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  // An update whose literal holds "select" is an update, and says what it changed.
  EXPECT_TRUE(Status().startsWith("1 linha alterada em "));
  EXPECT_FALSE(form->IBQuery1->Active());
  // The Enter went nowhere: the text is as typed.
  EXPECT_EQ(form->RichEdit1->blockCount(), 3);
  EXPECT_EQ(form->Console->LineText->text(), "Linha 2");

  TField* name = Select("select NAME from T where ID = 2", "NAME");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->AsString(), "selected; yes");
  EXPECT_EQ(form->DBGrid1->DataSource(), form->DsQuery);
  EXPECT_EQ(form->PageControl1->currentIndex(), 1);
  EXPECT_TRUE(Status().startsWith("1 linha lida em "));

  Type("create table NEW_ONE (A integer)|");
  Press(Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_TRUE(Status().startsWith("CREATE TABLE executado em "));

  // The tree reads the objects again once the transaction that made them ends.
  Type("commit|");
  Press(Qt::Key_Return);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  QApplication::processEvents();
  QStringList tables;
  for (int i = 0; i < form->TablesNode()->childCount(); ++i)
    tables << form->TablesNode()->child(i)->text(0);
  EXPECT_TRUE(tables.contains("NEW_ONE")) << tables.join(' ').toStdString();

  Type("set transaction|");
  Press(Qt::Key_Return);
  EXPECT_EQ(Errors(), std::vector<std::string>{
                          "Use F4 para gravar; SET TRANSACTION não é aceito no console!"});
}

TEST_F(ConsoleKeysTest, ASelectionRunsTheSelectedText) {
  Type("this line is no SQL\nselect * from T where ID = 3\nnor is this");
  QTextCursor cursor = form->RichEdit1->textCursor();
  cursor.setPosition(20);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  form->RichEdit1->setTextCursor(cursor);
  Press(Qt::Key_Return);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  ASSERT_TRUE(form->IBQuery1->Active());
  EXPECT_EQ(form->IBQuery1->FieldByName("NAME")->AsString(), "three");
}

TEST_F(ConsoleKeysTest, AScriptCreatesAProcedureUnderSetTermAndCallsIt) {
  Type(
      "create table LOG_T (N integer);\n"
      "commit;\n"
      "set term ^ ;\n"
      "create procedure ADD_LOG (V integer) returns (TOTAL integer) as\n"
      "begin\n"
      "  insert into LOG_T values (:V);\n"
      "\n"
      "  select count(*) from LOG_T into :TOTAL;\n"
      "end^\n"
      "set term ; ^\n"
      "commit;\n"
      "select * from T;\n"
      "execute procedure ADD_LOG 5;\n"
      "execute procedure ADD_LOG 7;\n"
      "select N from LOG_T order by N;\n");
  Press(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_TRUE(Status().startsWith("8 comandos executados em ")) << Status().toStdString();
  // The last select's rows are the ones shown.
  ASSERT_TRUE(form->IBQuery1->Active());
  EXPECT_EQ(form->IBQuery1->FieldByName("N")->AsString(), "5");
  EXPECT_EQ(form->DBGrid1->DataSource(), form->DsQuery);

  Type("execute procedure ADD_LOG 9");
  Press(Qt::Key_Return);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_TRUE(Status().startsWith("EXECUTE PROCEDURE: TOTAL = 3 em ")) << Status().toStdString();
}

TEST_F(ConsoleKeysTest, AFailingScriptStatementNamesItsLineAndTheScriptGoesOnUnlessBailIsOn) {
  const QString script =
      "update T set NAME = 'first' where ID = 1;\n"
      "\n"
      "select * from\n"
      "  NO_SUCH_TABLE;\n"
      "show tables;\n"
      "update T set NAME = 'after' where ID = 1;\n";
  Type(script);
  Press(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
  const std::vector<std::string> errors = Errors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Linha 3: ", 0), 0u) << errors[0];
  EXPECT_NE(errors[0].find("NO_SUCH_TABLE"), std::string::npos);
  // isql's own commands are named, not left to the engine's "Token unknown".
  EXPECT_NE(errors[0].find("\nLinha 5: SHOW é um comando do isql"), std::string::npos) << errors[0];
  EXPECT_EQ(form->RichEdit1->textCursor().blockNumber(), 2);
  EXPECT_TRUE(Status().startsWith("2 comandos executados, 2 com erro, 0 ignorados em "))
      << Status().toStdString();
  TField* name = Select("select NAME from T where ID = 1", "NAME");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->AsString(), "after");  // as isql: the script went on

  // With bail on the first failure ends it.
  Type("set bail on;\n" + script);
  Press(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_TRUE(Status().startsWith("2 comandos executados, 1 com erro, 2 ignorados em "))
      << Status().toStdString();
  name = Select("select NAME from T where ID = 1", "NAME");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->AsString(), "first");
}

TEST_F(ConsoleKeysTest, MarkersAreAskedTypedAndMayBeNull) {
  recorder.parameter_answers = {{{"", "", "", true}, {"", "", " 2 ", false}}};
  Type("update T set NAME = :NAME where ID = :ID");
  Press(Qt::Key_Return);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  ASSERT_EQ(recorder.parameter_requests.size(), 1u);
  const std::vector<TParameterValue>& asked = recorder.parameter_requests[0];
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].name, "NAME");
  EXPECT_EQ(asked[0].type_name, "VARCHAR(30)");
  EXPECT_EQ(asked[1].name, "ID");
  EXPECT_EQ(asked[1].type_name, "INTEGER");
  EXPECT_TRUE(Status().startsWith("1 linha alterada")) << Status().toStdString();

  // A select takes its values too; a name used twice is asked once.
  recorder.parameter_answers = {{{"", "", "2", false}}};
  TField* name = Select("select NAME from T where ID = :ID or ID = :ID + 10", "NAME");
  ASSERT_NE(name, nullptr);
  EXPECT_TRUE(name->IsNull());
  EXPECT_EQ(recorder.parameter_requests.back().size(), 1u);

  // A value that does not read as its type is refused while the dialog stays open, and
  // the value typed again runs.
  recorder.parameter_answers = {{{"", "", "abc", false}}, {{"", "", "3", false}}};
  Type("delete from T where ID = :ID");
  Press(Qt::Key_Return);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_EQ(recorder.parameter_refusals,
            std::vector<std::string>{"'abc' não é um inteiro válido para ID (INTEGER)"});
  EXPECT_TRUE(Status().startsWith("1 linha excluída")) << Status().toStdString();
  // A cancelled dialog runs nothing and says nothing.
  Press(Qt::Key_Return);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_EQ(recorder.messages, std::vector<std::string>{});
}

TEST_F(ConsoleKeysTest, CtrlLShowsThePlanWithoutRunning) {
  Type("delete from T where ID = 1");
  Press(Qt::Key_L);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_FALSE(form->Console->PlanView->isHidden());
  EXPECT_TRUE(form->Console->PlanView->toPlainText().contains("INDEX"))
      << form->Console->PlanView->toPlainText().toStdString();
  EXPECT_LE(form->RichEdit1->geometry().bottom(), form->Console->PlanView->geometry().top());
  TField* name = Select("select NAME from T where ID = 1", "NAME");
  ASSERT_NE(name, nullptr);  // still there: the delete never ran
  EXPECT_TRUE(form->Console->PlanView->isHidden());
}

TEST_F(ConsoleKeysTest, HistoryIsKeptAcrossANewWindowAndSteppedThrough) {
  Select("select * from T where ID = 1", "ID");
  Type("select * from NOWHERE");
  Press(Qt::Key_Return);
  ASSERT_EQ(Errors().size(), 1u);
  form.reset();
  Start();

  const std::vector<THistoryEntry>& entries = form->Console->History().Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].sql, "select * from T where ID = 1");
  EXPECT_TRUE(entries[0].outcome.startsWith("1 linha lida"));
  EXPECT_TRUE(entries[1].outcome.contains("NOWHERE"));
  EXPECT_TRUE(entries[1].when.isValid());

  Type("");
  Press(Qt::Key_Up);
  EXPECT_EQ(form->RichEdit1->toPlainText(), "select * from NOWHERE");
  Press(Qt::Key_Up);
  EXPECT_EQ(form->RichEdit1->toPlainText(), "select * from T where ID = 1");
  Press(Qt::Key_Up);  // nothing older
  EXPECT_EQ(form->RichEdit1->toPlainText(), "select * from T where ID = 1");
  Press(Qt::Key_Down);
  EXPECT_EQ(form->RichEdit1->toPlainText(), "select * from NOWHERE");

  form->Console->HistoryButton->click();
  EXPECT_FALSE(form->Console->HistoryPanel->isHidden());
  EXPECT_EQ(form->Console->HistoryList->count(), 2);
  form->Console->HistorySearch->setText("where id");
  ASSERT_EQ(form->Console->HistoryList->count(), 1);
  Type("");
  QListWidgetItem* found = form->Console->HistoryList->item(0);
  emit form->Console->HistoryList->itemDoubleClicked(found);
  EXPECT_EQ(form->RichEdit1->toPlainText(), "select * from T where ID = 1");
  EXPECT_TRUE(form->Console->HistoryPanel->isHidden());
}

TEST_F(ConsoleKeysTest, HistoryKeepsTheLastThousandRuns) {
  const QString file = QString::fromStdString(data.folder.Path() + "/bounded.json");
  QJsonArray items;
  for (int i = 0; i < TSqlHistory::kLimit + 3; ++i)
    items.append(QJsonObject{{"sql", QString::number(i)}, {"when", ""}, {"outcome", "ok"}});
  QFile written(file);
  ASSERT_TRUE(written.open(QIODevice::WriteOnly));
  written.write(QJsonDocument(items).toJson());
  written.close();

  TSqlHistory history(file);
  ASSERT_EQ(history.Entries().size(), static_cast<size_t>(TSqlHistory::kLimit));
  EXPECT_EQ(history.Entries().front().sql, "3");
  history.Add("newest", "ok");
  TSqlHistory again(file);
  ASSERT_EQ(again.Entries().size(), static_cast<size_t>(TSqlHistory::kLimit));
  EXPECT_EQ(again.Entries().front().sql, "4");
  EXPECT_EQ(again.Entries().back().sql, "newest");
}

TEST_F(ConsoleKeysTest, CtrlSAndCtrlOSaveAndOpenUtf8SqlFiles) {
  const QString file = QString::fromStdString(data.folder.Path() + "/script.sql");
  const QString text = QString::fromUtf8("select 'pre\xC3\xA7o \xE2\x82\xAC' from T");
  Type(text);
  recorder.sql_file_answers = {file};
  Press(Qt::Key_S);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  QFile saved(file);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), text.toUtf8());

  Type("other");
  recorder.sql_file_answers = {file};
  Press(Qt::Key_O);
  EXPECT_EQ(form->RichEdit1->toPlainText(), text);
  Press(Qt::Key_O);  // cancelled: the text stays
  EXPECT_EQ(form->RichEdit1->toPlainText(), text);
}

TEST_F(ConsoleKeysTest, EscCancelsALongStatementAndTheConnectionGoesOn) {
  ASSERT_NE(Select("select * from T", "ID"), nullptr);
  ASSERT_EQ(form->DBGrid1->DataSource(), form->DsQuery);
  // Billions of rows to count: minutes of work unless cancelled.
  Type("select count(*) from RDB$TYPES A, RDB$TYPES B, RDB$TYPES C, RDB$TYPES D");
  bool progress_seen = false;
  QTimer::singleShot(1500, form.get(), [&] {
    auto* progress = form->findChild<QDialog*>("LongCallProgress");
    ASSERT_NE(progress, nullptr);
    progress_seen = progress->isVisible();
    // The result grid is off the query that is opening, so no repaint reads it.
    EXPECT_EQ(form->DBGrid1->DataSource(), nullptr);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(progress, &escape);
  });
  const auto start = std::chrono::steady_clock::now();
  Press(Qt::Key_Return);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(progress_seen);
  EXPECT_LT(seconds, 10.0);
  EXPECT_GE(seconds, 1.5);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"Operação cancelada"});
  EXPECT_FALSE(LongCallRunning());
  EXPECT_EQ(form->DBGrid1->DataSource(), form->DsQuery);  // given back after the cancel
  EXPECT_EQ(Status(), "Opera\u00E7\u00E3o cancelada");

  TField* name = Select("select NAME from T where ID = 3", "NAME");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->AsString(), "three");
  EXPECT_TRUE(form->IBTransaction1->InTransaction());
}

TEST_F(ConsoleKeysTest, ABlankLineInsideAStatementNeverCutsIt) {
  Type("delete from T\n\nwhere ID = 2;\n\nselect * from T;");
  Press(Qt::Key_Return);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_TRUE(Status().startsWith("1 linha excluída")) << Status().toStdString();
  EXPECT_EQ(Count("T"), "2");
}

TEST_F(ConsoleKeysTest, DdlIsCommittedAtOnceAndDmlWaitsForF4AsInIsql) {
  Type("create table U (A integer);\ninsert into U values (1);\nselect count(*) from U;");
  Press(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  ASSERT_TRUE(form->IBQuery1->Active());
  EXPECT_EQ(form->IBQuery1->FieldByName("COUNT")->AsString(), "1");
  EXPECT_EQ(form->Pages->Transactions->Changes(), 1);  // the insert waits
  QApplication::processEvents();
  EXPECT_TRUE(Tables().contains("U"));  // the tree read the committed table at once
  form->EndSharedTransaction(false, false);
  EXPECT_EQ(Count("U"), "0");  // the table stayed, its row went with the rollback

  // "set autoddl off" in a script, and the console's box, keep DDL in the transaction.
  Type("set autoddl off;\ncreate table V (A integer);");
  Press(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  form->EndSharedTransaction(false, false);
  form->Console->AutoDdl->setChecked(false);
  Type("create table W (A integer)");
  Press(Qt::Key_Return);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  form->EndSharedTransaction(false, false);
  EXPECT_EQ(Count("RDB$RELATIONS where RDB$RELATION_NAME in ('V', 'W')"), "0");
  // The box is remembered by the next window.
  form.reset();
  Start();
  EXPECT_FALSE(form->Console->AutoDdl->isChecked());
  form->Console->AutoDdl->setChecked(true);
}

TEST_F(ConsoleKeysTest, SetNamesAndDialectAreTakenOnlyWhenTheyMatchTheConnection) {
  Type("set names " + QString::fromStdString(CharSetName(form->IBDatabase1->CharSetId())) +
       ";\nset sql dialect 3;\nset names WIN1251;\nset sql dialect 1;\nset list on;");
  Press(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
  const std::vector<std::string> errors = Errors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("Linha 3: SET NAMES WIN1251 não é o conjunto de caracteres da conexão"),
            std::string::npos)
      << errors[0];
  EXPECT_NE(errors[0].find("Linha 4: SET SQL DIALECT 1 não é o dialeto da conexão (3)"),
            std::string::npos);
  EXPECT_NE(errors[0].find("Linha 5: SET LIST é um comando do isql"), std::string::npos);
}

TEST_F(ConsoleKeysTest, HistoryKeepsTheDraftAndF9RunsAndCtrlZUndoesAStep) {
  Select("select * from T where ID = 1", "ID");
  Type("select * from T where ID = 2");
  Press(Qt::Key_F9, Qt::NoModifier);  // F9 runs are kept too
  ASSERT_EQ(form->Console->History().Entries().size(), 2u);
  EXPECT_EQ(form->Console->History().Entries().back().sql, "select * from T where ID = 2");

  Type("update T set NAME = 'draft, not saved'");
  Press(Qt::Key_Up);
  EXPECT_EQ(form->RichEdit1->toPlainText(), "select * from T where ID = 2");
  Press(Qt::Key_Up);
  EXPECT_EQ(form->RichEdit1->toPlainText(), "select * from T where ID = 1");
  Press(Qt::Key_Down);
  Press(Qt::Key_Down);  // past the newest: the draft comes back
  EXPECT_EQ(form->RichEdit1->toPlainText(), "update T set NAME = 'draft, not saved'");
  Press(Qt::Key_Down);  // nothing newer
  EXPECT_EQ(form->RichEdit1->toPlainText(), "update T set NAME = 'draft, not saved'");
  Press(Qt::Key_Up);
  form->RichEdit1->undo();  // Ctrl+Z takes the step back
  EXPECT_EQ(form->RichEdit1->toPlainText(), "update T set NAME = 'draft, not saved'");
}

TEST_F(ConsoleKeysTest, ACancelledBlockRunsOnceAndNothingReadsTheTreeDuringALongCall) {
  Type("create table LOG (N integer);\ncommit;");
  Press(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(Errors(), std::vector<std::string>{});
  QApplication::processEvents();
  // The script's DDL queues a read of the tree; the long block that follows holds the
  // connection, so the read waits for it (it once ran inside the wait and hung the
  // window), and Esc cancels the block: it is never run a second time.
  Type(
      "create table LATER (A integer);\n"
      "set term ^ ;\n"
      "execute block as declare i integer = 0; begin\n"
      "  in autonomous transaction do insert into LOG values (1);\n"
      "  while (i < 2000000000) do i = i + 1;\n"
      "end^\n"
      "set term ; ^\n");
  bool shown = false;
  bool tree_read_during_the_call = false;
  CancelWhenShown(&shown, [&] {
    EXPECT_TRUE(LongCallRunning());
    tree_read_during_the_call = Tables().contains("LATER");
  });
  Press(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(shown);
  EXPECT_FALSE(tree_read_during_the_call);
  EXPECT_EQ(Errors(), std::vector<std::string>{});
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"Operação cancelada"});
  QApplication::processEvents();
  EXPECT_TRUE(Tables().contains("LATER"));
  form->EndSharedTransaction(false, false);  // a new snapshot sees the autonomous row
  EXPECT_EQ(Count("LOG"), "1");
}

TEST(ParameterDialog, ARefusedValueKeepsTheDialogOpenWithWhatWasTyped) {
  TDialogs dialogs;
  std::vector<TParameterValue> values{{"ID", "INTEGER", "", false},
                                      {"NAME", "VARCHAR(5)", "", false}};
  const TParameterCheck check = [](size_t index, const TParameterValue& value) -> std::string {
    return index == 0 && value.text != "7" ? "'" + value.text + "' não é um inteiro" : "";
  };
  bool stayed_open = false;
  QString refusal, kept;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 2);
    edits[0]->setText("abc");
    edits[1]->setText("x");
    QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    ok->click();
    stayed_open = dialog->isVisible();
    for (QLabel* label : dialog->findChildren<QLabel*>("Refusal"))
      if (!label->isHidden()) refusal += label->text();
    kept = edits[1]->text();
    edits[0]->setText("7");
    ok->click();
  });
  ASSERT_TRUE(dialogs.AskParameters(nullptr, &values, check));
  EXPECT_TRUE(stayed_open);
  EXPECT_EQ(refusal, "'abc' não é um inteiro");
  EXPECT_EQ(kept, "x");
  EXPECT_EQ(values[0].text, "7");
  EXPECT_EQ(values[1].text, "x");
}

}  // namespace
