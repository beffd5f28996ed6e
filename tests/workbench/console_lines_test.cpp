// The SQL console over a real database: only the line that runs is read, whatever the
// lines below it hold, and a wide result shows in the grid already on screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include "support/log_in.h"
#include "support/qt_environment.h"
#include "support/temp_database.h"
#include "workbench/main_form.h"

namespace {

[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

std::string WideTable() {
  std::string columns = "ID integer not null primary key";
  std::string values = "1";
  for (int i = 0; i < 12; ++i) {
    columns += ", COLUMN_" + std::to_string(i) + " varchar(20)";
    values += ", 'value'";
  }
  return "create table WIDE (" + columns + ");\ninsert into WIDE values (" + values + ");\n";
}

class ConsoleLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LogIn(form, db.Path());
    ASSERT_TRUE(form.IBDatabase1->Connected());
    recorder.messages.clear();
  }
  void Run(const QString& text, int key) {
    form.RichEdit1->setPlainText(text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(form.RichEdit1, &release);
  }

  TRecordingDialogs recorder;
  TScopedDialogs scoped{&recorder};
  TempDatabase db{WideTable()};
  TWorkbenchForm form;
};

TEST_F(ConsoleLinesTest, OnlyTheLineThatRunsIsRead) {
  const QString later = QString::fromUtf8("\n-- pre\xC3\xA7o em \xE2\x82\xAC\n");
  Run("select * from WIDE" + later, Qt::Key_F9);
  EXPECT_EQ(recorder.errors, std::vector<std::string>{});
  EXPECT_TRUE(form.IBQuery1->Active());
  EXPECT_EQ(form.DBGrid1->DataSource(), form.DsQuery);
  // The result grid was on screen before the rows came; its columns reach past it.
  QApplication::processEvents();
  EXPECT_TRUE(form.DBGrid1->horizontalScrollBar()->isVisible());

  Run("select * from WIDE where ID = 1" + later, Qt::Key_F10);
  EXPECT_EQ(recorder.errors, std::vector<std::string>{});
  EXPECT_TRUE(form.IBTable1->Active());
  EXPECT_EQ(form.IBTable1->Filter(), "ID = 1");

  // In the line that runs it reaches the engine whole, and comes back.
  Run(QString::fromUtf8("select '\xE2\x82\xAC' from WIDE"), Qt::Key_F9);
  EXPECT_EQ(recorder.errors, std::vector<std::string>{});
  EXPECT_EQ(form.IBQuery1->Fields()[0]->AsString(), "\xE2\x82\xAC");
}

}  // namespace
