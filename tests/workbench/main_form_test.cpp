// The main window's controls, the key and click routing to its handlers, and the seam
// through which every box goes.
#include "workbench/main_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "grid/qt_text.h"
#include "support/qt_environment.h"
#include "workbench/dialogs.h"

namespace {

[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

void SendKey(QObject* target, QEvent::Type type, int key, const QString& text = {},
             bool auto_repeat = false) {
  QKeyEvent event(type, key, Qt::NoModifier, text, auto_repeat);
  QCoreApplication::sendEvent(target, &event);
}

void Type(QObject* target, int key, const QString& text) {
  SendKey(target, QEvent::KeyPress, key, text);
  SendKey(target, QEvent::KeyRelease, key, text);
}

// Records what reaches the handlers; a handler may be told to fail or to change the key.
class TRecordingForm : public TWorkbenchForm {
 public:
  void Edit1KeyPress(char& key) override {
    keys += key;
    if (key == 'x') throw EIBClientError(0, "Edit1 failed");
    if (key == 'q') throw EAbort();
    if (key == 'a') key = 'b';
    if (key == '\r') key = 0;
  }
  void TreeView1KeyPress(char& key) override { keys += key; }
  void BitBtn1Click() override { throw EDatabaseError("Cannot connect"); }
  void Abrir2Click() override { ++opens; }
  void RichEdit1KeyUp(int& key, Qt::KeyboardModifiers) override { released.push_back(key); }
  void DBGrid1KeyDown(int& key, Qt::KeyboardModifiers) override {
    pressed.push_back(key);
    if (key == Qt::Key_F4) key = 0;
  }

  std::string keys;
  int opens = 0;
  std::vector<int> released;
  std::vector<int> pressed;
};

class MainFormTest : public ::testing::Test {
 protected:
  TRecordingDialogs recorder;
  TScopedDialogs scoped{&recorder};
};

TEST_F(MainFormTest, ControlsStartWithTheirBoundsParentsAndVisibility) {
  TWorkbenchForm form;
  EXPECT_EQ(form.windowTitle(), "Tavrel - Gerenciador de Banco de Dados");
  EXPECT_EQ(form.OuterWidth(), 330);
  EXPECT_EQ(form.OuterHeight(), 80);
  EXPECT_EQ(form.Phase, 0);
  EXPECT_TRUE(form.ChosenDatabasePath.empty());

  QWidget* client = form.centralWidget();
  struct Expected {
    QWidget* control;
    QWidget* parent;
    QRect bounds;
    bool hidden;
  };
  const Expected expected[] = {
      {form.Image1, client, {0, 0, 33, 33}, true},
      {form.Panel1, client, {80, 40, 185, 121}, true},
      {form.Edit1, form.Panel1, {64, 16, 105, 21}, false},
      {form.Edit2, form.Panel1, {64, 40, 105, 21}, false},
      {form.BitBtn1, form.Panel1, {56, 88, 75, 25}, false},
      {form.TreeView1, client, {0, 40, 113, 273}, true},
      {form.PageControl1, client, {120, 40, 513, 313}, true},
      {form.RichEdit1, form.TabSheet1, {0, 24, 633, 241}, false},
      {form.DBGrid1, form.TabSheet2, {0, 16, 497, 249}, false},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.control->metaObject()->className());
    EXPECT_EQ(e.control->parentWidget(), e.parent);
    EXPECT_EQ(e.control->geometry(), e.bounds);
    EXPECT_EQ(e.control->isHidden(), e.hidden);
  }
  EXPECT_TRUE(form.Image1->Stretch());
  EXPECT_TRUE(form.base1->isHidden());
  EXPECT_EQ(form.base1->geometry().topLeft(), QPoint(40, 8));
  EXPECT_TRUE(form.base1->font().bold());

  // Labels keep their place and at least their width, and their text fits.
  const std::tuple<QLabel*, QWidget*, QRect, QString, bool> labels[] = {
      {form.Label1, form.Panel1, {8, 16, 50, 16}, "Usuário:", false},
      {form.Label2, form.Panel1, {8, 48, 51, 16}, "Senha   :", false},
      {form.Label3, form.TabSheet1, {80, 264, 91, 16}, "F9 - Executar", true},
      {form.Label4, form.TabSheet2, {80, 264, 157, 16}, "F4 - Gravar Alterações", true},
  };
  for (const auto& [label, parent, bounds, text, bold] : labels) {
    SCOPED_TRACE(text.toStdString());
    EXPECT_EQ(label->parentWidget(), parent);
    EXPECT_EQ(label->text(), text);
    EXPECT_EQ(label->geometry().topLeft(), bounds.topLeft());
    EXPECT_GE(label->width(), bounds.width());
    EXPECT_GE(label->width(), label->sizeHint().width());
    EXPECT_EQ(label->font().bold(), bold);
    EXPECT_EQ(label->font().pixelSize(), 13);
  }

  EXPECT_EQ(form.Edit2->echoMode(), QLineEdit::Password);
  EXPECT_EQ(form.BitBtn1->text(), "Conectar");
  EXPECT_EQ(form.TreeView1->indentation(), 19);
  // "TABELAS", then the other kinds of object, each filled when first opened.
  const char* roots[] = {"TABELAS",   "VIEWS",    "PROCEDIMENTOS", "GATILHOS",
                         "GERADORES", "EXCEÇÕES", "DOMÍNIOS",      "ÍNDICES"};
  ASSERT_EQ(form.TreeView1->topLevelItemCount(), 8);
  for (int i = 0; i < 8; ++i) {
    QTreeWidgetItem* item = form.TreeView1->topLevelItem(i);
    EXPECT_EQ(item->text(0), QString::fromUtf8(roots[i]));
    EXPECT_EQ(item->childCount(), 0);
    EXPECT_FALSE(item->flags() & Qt::ItemIsEditable);  // nodes name objects: never renamed
  }
  EXPECT_EQ(form.TreeView1->editTriggers(), QAbstractItemView::NoEditTriggers);
  ASSERT_EQ(form.PageControl1->count(), 2);
  EXPECT_EQ(form.PageControl1->tabText(0), "Sql");
  EXPECT_EQ(form.PageControl1->tabText(1), "Consulta SQL");
  EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet2);

  EXPECT_EQ(form.Arquivo1->title(), "Arquivo");
  EXPECT_EQ(form.Abrir2->text(), "Abrir");
  EXPECT_EQ(form.Abrir1->text(), "Fechar Todos BDs");
  EXPECT_EQ(form.Fechar1->text(), "Fechar");
  EXPECT_EQ(form.Sobre1->text(), "Sobre");
  // "Arquivo", "Transação" and the top-level "Sobre".
  EXPECT_EQ(form.menuBar()->actions().size(), 3);
  EXPECT_TRUE(form.Abrir1->isEnabled() && form.Fechar1->isEnabled());

  EXPECT_FALSE(form.Timer1->isActive());
  EXPECT_EQ(form.Timer1->interval(), 1);
  EXPECT_EQ(form.OpenDialog1.DefaultExt(), "gdb");
}

TEST_F(MainFormTest, TabOrderRunsFromTheLoginPanelToTreeToPages) {
  TWorkbenchForm form;
  const std::vector<QWidget*> order = {form.Edit1, form.Edit2, form.BitBtn1, form.TreeView1,
                                       form.PageControl1};
  std::vector<QWidget*> seen;
  QWidget* w = form.Edit1;
  do {
    if (std::find(order.begin(), order.end(), w) != order.end()) seen.push_back(w);
    w = w->nextInFocusChain();
  } while (w != form.Edit1 && seen.size() < order.size());
  EXPECT_EQ(seen, order);
}

TEST_F(MainFormTest, TheSqlEditorIsClippedByItsPage) {
  TWorkbenchForm form;
  form.PageControl1->show();
  form.show();
  form.PageControl1->setCurrentWidget(form.TabSheet1);
  QApplication::processEvents();
  EXPECT_LT(form.TabSheet1->width(), form.RichEdit1->geometry().right());
  EXPECT_LT(form.RichEdit1->visibleRegion().boundingRect().width(), 633);
  // The labels of both pages lie inside their page.
  EXPECT_LE(form.Label3->geometry().bottom(), form.TabSheet1->height());
  EXPECT_LE(form.Label4->geometry().bottom(), form.TabSheet2->height());
}

TEST_F(MainFormTest, KeysReachTheirHandlersWhichMaySwallowOrReplaceThem) {
  TRecordingForm form;
  Type(form.Edit1, Qt::Key_C, "c");
  Type(form.Edit1, Qt::Key_A, "a");        // replaced by 'b'
  Type(form.Edit1, Qt::Key_Return, "\r");  // swallowed
  Type(form.Edit1, Qt::Key_F1, "");        // types nothing: no key press
  Type(form.TreeView1, Qt::Key_Return, "\r");
  EXPECT_EQ(form.keys, "ca\r\r");
  EXPECT_EQ(form.Edit1->text(), "cb");
  EXPECT_TRUE(recorder.errors.empty());

  SendKey(form.RichEdit1, QEvent::KeyRelease, Qt::Key_F9, {}, true);  // auto-repeat
  SendKey(form.RichEdit1, QEvent::KeyRelease, Qt::Key_F9);
  EXPECT_EQ(form.released, std::vector<int>{Qt::Key_F9});
  SendKey(form.DBGrid1, QEvent::KeyPress, Qt::Key_F4);
  EXPECT_EQ(form.pressed, std::vector<int>{Qt::Key_F4});
}

TEST_F(MainFormTest, AFailingHandlerShowsTheErrorBoxAndTheFormGoesOn) {
  TRecordingForm form;
  Type(form.Edit1, Qt::Key_X, "x");
  Type(form.Edit1, Qt::Key_Q, "q");  // the silent abort
  form.BitBtn1->click();
  form.Abrir2->trigger();
  EXPECT_EQ(recorder.errors, (std::vector<std::string>{"Edit1 failed.", "Cannot connect."}));
  EXPECT_EQ(form.Edit1->text(), "");  // the failed key was not typed
  EXPECT_EQ(form.opens, 1);
  Type(form.Edit1, Qt::Key_C, "c");
  EXPECT_EQ(form.Edit1->text(), "c");
}

TEST(ErrorBoxTextTest, AppendsAFullStopOnlyAfterCharactersAboveIt) {
  for (const char* kept : {"", "Done.", "Stop!", "f(x)", "a,", "a-", "a ", "a\r\n"}) {
    EXPECT_EQ(ErrorBoxText(kept), kept) << kept;
  }
  for (const char* extended : {"abc", "code 9", "a/b", "Z", "Usuário"}) {
    EXPECT_EQ(ErrorBoxText(extended), std::string(extended) + ".") << extended;
  }
}

TEST_F(MainFormTest, ErrorBoxIsSilentForAbortAndTakesAnyExceptionsText) {
  ShowErrorBox(EAbort());
  ShowErrorBox(EIBInterBaseError(-902, "I/O error."));
  ShowErrorBox(std::runtime_error("plain"));
  RunHandler([] { throw 42; });
  EXPECT_EQ(recorder.errors,
            (std::vector<std::string>{"I/O error.", "plain.", "Unknown exception."}));
  ShowMessage("hello");
  EXPECT_EQ(recorder.messages, std::vector<std::string>{"hello"});
}

TEST_F(MainFormTest, OpenDialogAddsTheDefaultExtensionToANameWithoutOne) {
  TOpenDialog dialog;
  dialog.SetDefaultExt("gdb");
  recorder.open_answers = {{true, "/data/clients"},
                           {true, "/data/clients.fdb"},
                           {true, "/data/v1.2/clients"},
                           {false, "/ignored"}};
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/data/clients.gdb");
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/data/clients.fdb");
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/data/v1.2/clients.gdb");
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), "/data/v1.2/clients.gdb");  // cancel keeps the last name
  EXPECT_EQ(recorder.open_default_exts.size(), 4u);
  EXPECT_EQ(recorder.open_default_exts[0], "gdb");
}

TEST(QtTextTest, AnyScriptCrossesBetweenUtf8AndQtWhole) {
  const std::string text = "Usuário Жизнь 中文 😀";
  EXPECT_EQ(ToQt(text), QString::fromUtf8("Usuário Жизнь 中文 😀"));
  EXPECT_EQ(ToQt(text).size(), 19) << "the emoji is two UTF-16 units";
  EXPECT_EQ(FromQt(ToQt(text)), text);
}

// The real boxes, closed by a key from a timer so that the test never waits on them.
// `closed` tells whether the key alone closed the box.
void CloseActiveModalWith(int key, bool* closed) {
  QTimer::singleShot(50, [key, closed] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) return;
    QWidget* target = box->focusWidget() ? box->focusWidget() : box;
    SendKey(target, QEvent::KeyPress, key);
    SendKey(target, QEvent::KeyRelease, key);
    *closed = !box->isVisible();
    if (box->isVisible()) static_cast<QDialog*>(box)->done(99);  // never hang
  });
}

TEST(RealBoxesTest, MessageBoxHasTheTitleOneDefaultOkAndClosesOnEnterOrEsc) {
  SetApplicationTitle("Tavrel");
  for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
    bool closed = false;
    QString caption, button_text;
    bool is_default = false;
    QTimer::singleShot(20, [&] {
      QWidget* box = QApplication::activeModalWidget();
      if (!box) return;
      caption = box->windowTitle();
      auto buttons = box->findChildren<QPushButton*>();
      if (buttons.size() == 1) {
        button_text = buttons[0]->text();
        is_default = buttons[0]->isDefault();
      }
    });
    CloseActiveModalWith(key, &closed);
    TDialogs().ShowMessage("Banco de dados aberto\tcom sucesso");
    EXPECT_EQ(caption, "Tavrel");
    EXPECT_EQ(button_text, "OK");
    EXPECT_TRUE(is_default);
    EXPECT_TRUE(closed);
  }
}

TEST(RealBoxesTest, ErrorBoxIsACriticalBoxCaptionedWithTheTitle) {
  SetApplicationTitle("Tavrel");
  bool closed = false;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString caption, text;
  QTimer::singleShot(20, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      icon = box->icon();
      caption = box->windowTitle();
      text = box->text();
    }
  });
  CloseActiveModalWith(Qt::Key_Return, &closed);
  TDialogs().ShowErrorText(ErrorBoxText("Unsuccessful execution"));
  EXPECT_TRUE(closed);
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_EQ(caption, "Tavrel");
  EXPECT_EQ(text, "Unsuccessful execution.");
}

}  // namespace
