// Ending the program by a signal: the real program, connected to a database, ends on
// SIGTERM, SIGINT or SIGHUP as a closed main window does; a failed post cannot stop it;
// a second signal while the end runs ends the program at once.
#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTreeWidgetItem>
#include <chrono>
#include <memory>
#include <thread>

#include "app/end_signals.h"
#include "app_test_support.h"
#include "support/temp_database.h"

namespace {

const char kSetup[] =
    "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10));\n"
    "INSERT INTO T VALUES (1, 'a');\n";

// Starts the program on `path`, logged in, with `line` run by F9; waits for both boxes.
void StartConnected(QProcess& program, const std::string& path, const QString& line) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("TAVREL_BOXES_TO_STDERR", "1");
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("TAVREL_LOGIN_AS", "SYSDBA:x");
  environment.insert("TAVREL_RUN_LINE", line);
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(TAVREL_BINARY_DIR "/tavrel"), {QString::fromStdString(path)});
  ASSERT_TRUE(program.waitForStarted(10000));
  QByteArray seen;
  QElapsedTimer clock;
  clock.start();
  while (!seen.contains("Comando Executado") && clock.elapsed() < 30000) {
    program.waitForReadyRead(200);
    seen += program.readAllStandardError();
  }
  ASSERT_TRUE(seen.contains("Conectado com Sucesso!")) << seen.toStdString();
  ASSERT_TRUE(seen.contains("Comando Executado com Sucesso!")) << seen.toStdString();
}

TEST(EndSignalsTest, EachSignalEndsTheConnectedProgramCommittingItsWork) {
  ASSERT_TRUE(QFile::exists(TAVREL_BINARY_DIR "/tavrel")) << "build the tavrel target first";
  TempDatabase db(kSetup);
  int id = 10;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    QProcess program;
    StartConnected(program, db.Path(), QString("insert into T values (%1, 'typed')").arg(++id));
    QElapsedTimer clock;
    clock.start();
    ::kill(static_cast<pid_t>(program.processId()), sig);
    const bool ended = program.waitForFinished(10000);
    if (!ended) program.kill(), program.waitForFinished(5000);
    ASSERT_TRUE(ended) << "still running 10 s after the signal";
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QByteArray said = program.readAllStandardError();
    EXPECT_FALSE(said.contains("not saved") || said.contains("Error")) << said.toStdString();
    // The transaction ended by its default action, a commit, and the file is free again.
    EXPECT_NE(db.RunSql("SELECT NAME FROM T WHERE ID = " + std::to_string(id) + ";").find("typed"),
              std::string::npos);
  }
}

class CloseForSignalTest : public ShellTest {
 protected:
  TempDatabase db{kSetup};
  std::unique_ptr<TForm1> form = std::make_unique<TForm1>();
};

TEST_F(CloseForSignalTest, AFailedPostGoesToStandardErrorAndTheOtherEditsAreSaved) {
  form->show();
  form->ChooseDatabasePath(db.Path());
  form->Edit1->setText("SYSDBA");
  form->Edit2->setText("x");
  form->BitBtn1Click();
  TDataSet* refused = OpenTablePage(*form, "T")->DataSource()->DataSet();
  TDataSet* saved = OpenTablePage(*form, "T")->DataSource()->DataSet();
  refused->Append();
  refused->FieldByName("ID")->SetAsInteger(1);  // a key already there
  saved->Edit();
  saved->FieldByName("NAME")->SetAsString("saved");

  testing::internal::CaptureStderr();
  form->CloseForSignal();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("edits not saved: violation of PRIMARY or UNIQUE KEY"), std::string::npos)
      << said;
  EXPECT_FALSE(form->isVisible()) << "a failed post cannot keep the window open";
  EXPECT_TRUE(recorder.errors.empty()) << "no box waits for a person";
  form.reset();
  EXPECT_NE(db.RunSql("SELECT NAME FROM T WHERE ID = 1;").find("saved"), std::string::npos);
}

// The death test's child: the first signal starts the end, which is then interrupted by
// a second one; the child must die of that second signal while the end still runs.
[[noreturn]] void SecondSignalDuringTheEnd() {
  BlockEndSignals();
  TEndSignals watcher([] {
    std::fprintf(stderr, "ending\n");
    raise(SIGTERM);
    std::this_thread::sleep_for(std::chrono::seconds(10));
    std::_Exit(2);
  });
  raise(SIGTERM);  // blocked: waits in the signalfd for the event loop
  for (int i = 0; i < 500; ++i) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::_Exit(3);
}

TEST(EndSignalsDeathTest, ASecondSignalWhileTheEndRunsEndsTheProgramAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(SecondSignalDuringTheEnd(), testing::KilledBySignal(SIGTERM), "ending");
}

}  // namespace
