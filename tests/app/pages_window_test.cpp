// The main window for daily use, on real databases: the layout follows the window and
// is remembered, pages close, Shift+F4 rolls back, the status bar's row and pending
// marks, and a long Ctrl+End that can be cancelled.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>

#include "app_test_support.h"
#include "workbench/console/sql_console.h"
#include "workbench/pages/long_fetch.h"
#include "workbench/pages/pages.h"
#include "workbench/pages/status_bar.h"
#include "workbench/pages/transaction_commands.h"
#include "workbench/pages/window_layout.h"

namespace {

const char kSetup[] =
    "create table CUSTOMERS (ID integer not null primary key, NAME varchar(20));\n"
    "insert into CUSTOMERS values (1, 'Ana');\n"
    "insert into CUSTOMERS values (2, 'Bia');\n"
    "insert into CUSTOMERS values (3, 'Caio');\n"
    "create table BIG (ID integer not null primary key, TXT varchar(20));\n"
    "set term ^;\n"
    "execute block as declare i integer = 1; begin while (i <= 5000) do begin\n"
    "  insert into BIG values (:i, 'row'); i = i + 1; end end^\n"
    "set term ;^\n";

void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QCoreApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QCoreApplication::sendEvent(target, &release);
}

class PagesWindowTest : public LoggedInWindowTest {
 protected:
  PagesWindowTest() : LoggedInWindowTest(kSetup) {}
  QLabel* Label(const char* name) { return form.statusBar()->findChild<QLabel*>(name); }
  bool Pending() { return !Label("PendingMark")->isHidden(); }
};

TEST_F(PagesWindowTest, TheControlsFollowTheWindowAndTheSplitter) {
  // At the working size the original bounds hold.
  EXPECT_EQ(form.TreeView1->geometry(), QRect(0, 40, 113, 273));
  EXPECT_EQ(form.PageControl1->geometry(), QRect(120, 40, 513, 313));
  TDBGrid* grid = OpenTablePage(form, "CUSTOMERS");
  ASSERT_NE(grid, nullptr);
  QWidget* page = form.PageControl1->currentWidget();

  form.SetOuterSize(1000, 700);
  QCoreApplication::processEvents();
  const int wider = 1000 - 651, higher = 700 - 452;
  EXPECT_EQ(form.TreeView1->geometry(), QRect(0, 40, 113, 273 + higher));
  EXPECT_EQ(form.PageControl1->geometry(), QRect(120, 40, 513 + wider, 313 + higher));
  EXPECT_EQ(grid->size(), page->size() - QSize(1, 15));
  form.PageControl1->setCurrentWidget(form.TabSheet2);
  EXPECT_EQ(form.DBGrid1->geometry(), QRect(0, 16, 497 + wider, 249 + higher));
  EXPECT_EQ(form.Label4->y(), 264 + higher);
  form.PageControl1->setCurrentWidget(form.TabSheet1);
  EXPECT_EQ(form.RichEdit1->size(), QSize(633 + wider, 241)) << "the editor keeps its height";
  EXPECT_EQ(form.Console->HistoryPanel->width(), form.TabSheet1->width());

  // Dragging the splitter moves the boundary; the pages keep their right edge.
  QWidget* handle = form.Pages->Layout->Splitter;
  ASSERT_TRUE(handle->isVisible());
  const QPoint at = handle->rect().center();
  QMouseEvent press(QEvent::MouseButtonPress, at, handle->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(handle, &press);
  const QPoint to = at + QPoint(40, 0);
  QMouseEvent move(QEvent::MouseMove, to, handle->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(handle, &move);
  EXPECT_EQ(form.TreeView1->width(), 153);
  EXPECT_EQ(form.PageControl1->geometry(), QRect(160, 40, 473 + wider, 313 + higher));
  form.Pages->Layout->SetSplitOffset(-1000);  // the tree keeps a usable width
  EXPECT_GE(form.TreeView1->width(), 60);

  // Maximised, and back below the working size once grown: the pages follow.
  form.Pages->Layout->SetSplitOffset(0);
  form.showMaximized();
  QCoreApplication::processEvents();
  EXPECT_EQ(form.PageControl1->geometry().right() + 1, form.frameGeometry().width() - (651 - 633));
  form.showNormal();
  form.SetOuterSize(600, 400);
  QCoreApplication::processEvents();
  EXPECT_EQ(form.PageControl1->size(), QSize(513 - 51, 313 - 52));
}

TEST_F(PagesWindowTest, SizeAndSplitterAreRememberedBetweenRuns) {
  const QByteArray folder = qgetenv("TAVREL_DATA_DIR");
  ASSERT_FALSE(folder.isEmpty());
  QFile::remove(QString::fromLocal8Bit(folder) + "/settings.ini");
  form.SetOuterSize(900, 600);
  form.Pages->Layout->SetSplitOffset(30);
  QCoreApplication::processEvents();
  form.close();
  ASSERT_TRUE(QFile::exists(QString::fromLocal8Bit(folder) + "/settings.ini"));

  TForm1 next;
  next.show();
  EXPECT_EQ(next.frameGeometry().size(), QSize(330, 80)) << "the login panel as always";
  LogIn(next, db.Path());
  EXPECT_EQ(TickUntilStopped(next), 0) << "already at its remembered size";
  EXPECT_EQ(next.frameGeometry().size(), QSize(900, 600));
  EXPECT_EQ(next.Pages->Layout->SplitOffset(), 30);
  EXPECT_EQ(next.TreeView1->width(), 143);
  QFile::remove(QString::fromLocal8Bit(folder) + "/settings.ini");
}

TEST_F(PagesWindowTest, TablePagesClosePostingFirstAndStayWhenThePostFails) {
  QTabBar* tabs = form.PageControl1->tabBar();
  auto button = [&](int index) {
    QWidget* right = tabs->tabButton(index, QTabBar::RightSide);
    return right ? right : tabs->tabButton(index, QTabBar::LeftSide);
  };
  EXPECT_EQ(button(0), nullptr);
  EXPECT_EQ(button(1), nullptr);
  const int components = form.ComponentCount();
  TDBGrid* grid = OpenTablePage(form, "CUSTOMERS");
  ASSERT_NE(grid, nullptr);
  ASSERT_NE(button(2), nullptr);

  // Ctrl+W on "Sql" closes nothing.
  form.PageControl1->setCurrentWidget(form.TabSheet1);
  Press(form.RichEdit1, Qt::Key_W, Qt::ControlModifier);
  EXPECT_EQ(form.PageControl1->count(), 3);

  // A typed cell is posted by Ctrl+W, then the page and its dataset go.
  form.PageControl1->setCurrentIndex(2);
  grid->SetSelectedIndex(1);
  TypeIntoCell(grid, "na");
  Press(grid->findChild<QLineEdit*>(), Qt::Key_W, Qt::ControlModifier);
  EXPECT_TRUE(recorder.errors.empty());
  EXPECT_EQ(form.PageControl1->count(), 2);
  EXPECT_EQ(form.ComponentCount(), components);
  EXPECT_TRUE(Pending());
  form.IBTransaction1->Commit();
  EXPECT_EQ(ReadBack("select NAME from CUSTOMERS where ID = 1"), "Anana");

  // A post the database refuses keeps the page and the typed value.
  grid = OpenTablePage(form, "CUSTOMERS");
  grid->SetSelectedIndex(0);
  SendKey(grid, Qt::Key_F2, QString());
  QLineEdit* editor = grid->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  SendKey(editor, Qt::Key_Backspace, QString());
  SendKey(editor, Qt::Key_2, "2");  // a key that exists
  Press(grid, Qt::Key_W, Qt::ControlModifier);
  ASSERT_EQ(recorder.errors.size(), 1u) << ::testing::PrintToString(recorder.errors);
  SCOPED_TRACE(recorder.errors.front());
  EXPECT_EQ(form.PageControl1->count(), 3);
  TDataSet* dataset = grid->DataSource()->DataSet();
  EXPECT_EQ(dataset->State(), dsEdit);
  EXPECT_EQ(dataset->FieldByName("ID")->AsInteger(), 2);
  // Given up, the page closes by its button.
  dataset->Cancel();
  ASSERT_NE(qobject_cast<QAbstractButton*>(button(2)), nullptr);
  qobject_cast<QAbstractButton*>(button(2))->click();
  EXPECT_EQ(form.PageControl1->count(), 2);
  EXPECT_EQ(recorder.errors.size(), 1u);
}

TEST_F(PagesWindowTest, ShiftF4RollsBackWhatWasPostedAfterAsking) {
  QMenu* menu = form.Pages->Transactions->Menu;
  EXPECT_EQ(menu->title(), "Transação");
  EXPECT_EQ(form.menuBar()->actions().at(1), menu->menuAction());
  EXPECT_EQ(form.Pages->Transactions->Confirm->text(), "Confirmar\tF4");
  EXPECT_EQ(form.Pages->Transactions->Undo->text(), "Desfazer\tShift+F4");

  TDBGrid* grid = OpenTablePage(form, "CUSTOMERS");
  ASSERT_NE(grid, nullptr);
  EXPECT_FALSE(Pending());
  grid->SetSelectedIndex(1);
  TypeIntoCell(grid, "x");
  SendKey(grid, Qt::Key_Down, QString());  // posted on leaving the row
  EXPECT_TRUE(Pending());
  TypeIntoCell(grid, "y");  // typed, not posted

  // "No" leaves everything as it was.
  Press(grid, Qt::Key_F4, Qt::ShiftModifier);
  EXPECT_EQ(recorder.confirmations, std::vector<std::string>{std::string("Desfazer: ") +
                                                             TTransactionCommands::kUndoQuestion});
  TDataSet* dataset = grid->DataSource()->DataSet();
  EXPECT_TRUE(dataset->Active());
  EXPECT_TRUE(Pending());

  recorder.confirm_answers = {true};
  Press(grid, Qt::Key_F4, Qt::ShiftModifier);
  EXPECT_TRUE(recorder.errors.empty());
  EXPECT_FALSE(dataset->Active()) << "the grids empty as after a commit";
  EXPECT_FALSE(form.IBTransaction1->InTransaction());
  EXPECT_FALSE(Pending());
  EXPECT_EQ(ReadBack("select NAME from CUSTOMERS where ID = 1"), "Ana");
  EXPECT_EQ(ReadBack("select NAME from CUSTOMERS where ID = 2"), "Bia");

  // Nothing posted: no question. A console insert counts, and the menu undoes it.
  Press(OpenTablePage(form, "CUSTOMERS"), Qt::Key_F4, Qt::ShiftModifier);
  EXPECT_EQ(recorder.confirmations.size(), 2u);
  form.PageControl1->setCurrentWidget(form.TabSheet1);
  form.RichEdit1->setPlainText("insert into CUSTOMERS values (9, 'Nova')");
  Press(form.RichEdit1, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_TRUE(Pending());
  recorder.confirm_answers = {true};
  form.Pages->Transactions->Undo->trigger();
  EXPECT_EQ(recorder.confirmations.size(), 3u);
  EXPECT_EQ(ReadBack("select count(*) from CUSTOMERS"), "3");

  // F4, by key or menu, clears the mark as it commits.
  grid = OpenTablePage(form, "CUSTOMERS");
  grid->SetSelectedIndex(1);
  TypeIntoCell(grid, "z");
  form.Pages->Transactions->Confirm->trigger();
  EXPECT_FALSE(Pending());
  EXPECT_EQ(ReadBack("select NAME from CUSTOMERS where ID = 1"), "Anaz");
}

TEST(StatusTextTest, RowsAreCountedWithGroupedDigits) {
  EXPECT_EQ(TStatusBarLabels::RowText(37, 1000, false), "Linha 37 de 1.000+");
  EXPECT_EQ(TStatusBarLabels::RowText(1234567, 1234567, true), "Linha 1.234.567 de 1.234.567");
  EXPECT_EQ(TStatusBarLabels::Grouped(999), "999");
}

TEST_F(PagesWindowTest, ACancelledCtrlEndKeepsTheRowsFetchedAndThePageUsable) {
  TDBGrid* grid = OpenTablePage(form, "BIG");
  ASSERT_NE(grid, nullptr);
  auto* dataset = dynamic_cast<TIBCustomDataSet*>(grid->DataSource()->DataSet());
  ASSERT_NE(dataset, nullptr);
  QLabel* row = Label("RowPosition");
  EXPECT_TRUE(row->text().startsWith("Linha 1 de ")) << row->text().toStdString();
  EXPECT_TRUE(row->text().endsWith("+"));

  form.Pages->LongFetch->DelayMs = 0;  // the box at once, so the test need not wait
  QString shown;
  QTimer escape;
  QObject::connect(&escape, &QTimer::timeout, [&] {
    auto* box = form.findChild<QProgressDialog*>("FetchProgress");
    if (!box || !box->isVisible()) return;
    shown = box->labelText();
    SendKey(box, Qt::Key_Escape, QString());
  });
  escape.start(0);
  Press(grid, Qt::Key_End, Qt::ControlModifier);
  escape.stop();
  EXPECT_TRUE(shown.startsWith("Lendo registros... 1.0")) << shown.toStdString();
  EXPECT_TRUE(recorder.errors.empty());
  EXPECT_TRUE(dataset->Active());
  EXPECT_FALSE(dataset->IsSequenced());
  EXPECT_LT(dataset->RecordCount(), 5000);
  const int fetched = dataset->RecordCount();
  EXPECT_EQ(dataset->RecNo(), fetched) << "on the last row fetched";
  EXPECT_EQ(row->text(), TStatusBarLabels::RowText(fetched, fetched, false));

  // The page goes on: the next rows come on demand, edits post, and a Ctrl+End left
  // alone reaches the end.
  SendKey(grid, Qt::Key_Down, QString());
  EXPECT_EQ(dataset->RecNo(), fetched + 1);
  grid->SetSelectedIndex(1);
  TypeIntoCell(grid, "!");
  SendKey(grid, Qt::Key_Up, QString());
  EXPECT_EQ(dataset->State(), dsBrowse);
  Press(grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_TRUE(dataset->IsSequenced());
  EXPECT_EQ(dataset->RecordCount(), 5000);
  EXPECT_EQ(row->text(), "Linha 5.000 de 5.000");
  EXPECT_EQ(form.findChild<QProgressDialog*>("FetchProgress"), nullptr) << "the box is gone";
  SendKey(grid, Qt::Key_F4, QString());
  EXPECT_EQ(ReadBack("select TXT from BIG where ID = " + std::to_string(fetched + 1)), "row!");
}

}  // namespace
