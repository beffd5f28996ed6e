// What the application's tests share: one application object per test program, key and
// mouse input, and ticking the growth animation to its end.
#pragma once

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidgetItem>
#include <string>

#include "app/application.h"
#include "app/form1.h"
#include "data/sql_test_support.h"
#include "support/log_in.h"
#include "support/qt_environment.h"
#include "support/temp_database.h"
#include "workbench/dialogs.h"

class AppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = new TApplication(argc_, argv_); }
  void TearDown() override { delete app_; }

 private:
  int argc_ = 1;
  char name_[5] = "test";
  char* argv_[2] = {name_, nullptr};
  TApplication* app_ = nullptr;
  TDataFolderEnvironment data_folder_;
};
inline auto* const g_environment = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

inline void SendKey(QWidget* target, int key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(target, &release);
}

// A left click at a point of a window, delivered to the control under it.
inline void Click(QWidget* window, QPoint point) {
  QWidget* target = window->childAt(point) ? window->childAt(point) : window;
  const QPointF local = target->mapFrom(window, point);
  const QPointF global = window->mapToGlobal(point);
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(target, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(target, &release);
}

// Enter on the table's node under "TABELAS": the grid of the page it opens.
inline TDBGrid* OpenTablePage(TWorkbenchForm& form, const std::string& name) {
  QTreeWidgetItem* tables = form.TablesNode();
  for (int i = 0; i < tables->childCount(); ++i)
    if (tables->child(i)->text(0).toStdString() == name)
      form.TreeView1->setCurrentItem(tables->child(i));
  SendKey(form.TreeView1, Qt::Key_Return, "\r");
  return form.PageControl1->currentWidget()->findChild<TDBGrid*>();
}

class ShellTest : public ::testing::Test {
 protected:
  TRecordingDialogs recorder;
  TScopedDialogs scoped{&recorder};
};

// Ticks until the timer stops; returns the number of ticks that changed the size.
inline int TickUntilStopped(TForm1& form) {
  int growing = 0;
  for (int tick = 0; tick < 1000 && form.Timer1->isActive(); ++tick) {
    const QSize before = form.frameGeometry().size();
    form.Timer1Timer();
    if (form.frameGeometry().size() != before) ++growing;
  }
  return growing;
}

// The main window logged in on a fresh database made by `setup`, grown to its working
// size, with the boxes recorded.
class LoggedInWindowTest : public ShellTest {
 protected:
  explicit LoggedInWindowTest(const std::string& setup) : db(setup) {}
  void SetUp() override {
    LogIn(form, db.Path());
    TickUntilStopped(form);
    recorder.messages.clear();
  }
  // The first value `sql` reads over a connection of its own: what is committed.
  std::string ReadBack(const std::string& sql) {
    Connection other(db.Path());
    auto q = other.Sql(sql);
    q->ExecQuery();
    return q->Fields(0).AsString();
  }
  // Opens the cell editor with F2 and types `text` at the end of the cell's text.
  void TypeIntoCell(TDBGrid* grid, const QString& text) {
    SendKey(grid, Qt::Key_F2, QString());
    QLineEdit* editor = grid->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    SendKey(editor, Qt::Key_End, QString());
    for (QChar c : text) SendKey(editor, c.unicode(), QString(c));
  }

  TempDatabase db;
  TForm1 form;
};
