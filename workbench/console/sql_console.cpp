#include "workbench/console/sql_console.h"

#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include "grid/qt_text.h"
#include "workbench/console/long_call_window.h"
#include "workbench/main_form.h"
#include "workbench/objects/object_tree.h"
#include "workbench/pages/pages.h"
#include "workbench/pages/status_bar.h"
#include "workbench/pages/transaction_commands.h"
#include "workbench/pages/window_layout.h"

namespace {

constexpr int kPlanHeight = 90;

// The statements of `text`, each converted on its own: the offsets come from the
// one-byte-per-unit form, so they hold for the QString too. Lines count from `first_line`.
std::vector<TScriptStatement> ReadStatements(const QString& text, int first_line) {
  std::vector<TScriptStatement> statements = SplitScript(text.toLatin1().toStdString());
  for (TScriptStatement& statement : statements) {
    statement.line += first_line - 1;
    try {
      statement.text = FromQt(text.mid(static_cast<qsizetype>(statement.begin),
                                       static_cast<qsizetype>(statement.end - statement.begin)));
    } catch (const Exception& error) {
      throw EDatabaseError("Linha " + std::to_string(statement.line) + ": " + error.Message());
    }
  }
  return statements;
}

// Client calls made while the window shows rows or ends the transaction run in place:
// a grid is busy then, and must not be painted half done.
class TInPlaceCalls {
 public:
  TInPlaceCalls() : previous_(SetLongCallRunner({})) {}
  ~TInPlaceCalls() { SetLongCallRunner(std::move(previous_)); }
  TInPlaceCalls(const TInPlaceCalls&) = delete;
  TInPlaceCalls& operator=(const TInPlaceCalls&) = delete;

 private:
  TLongCallRunner previous_;
};

}  // namespace

TSqlConsole::TSqlConsole(TWorkbenchForm* form)
    : QObject(form), form_(form), history_(std::make_unique<TSqlHistory>()) {
  QWidget* page = form->TabSheet1;
  PlanView = new QPlainTextEdit(page);
  PlanView->setObjectName(QStringLiteral("PlanView"));
  PlanView->setReadOnly(true);
  PlanView->hide();

  HistoryButton = new QPushButton(QStringLiteral("Histórico"), page);
  HistoryButton->setGeometry(0, 1, 75, 22);
  // As isql's AUTODDL: DDL committed at once in a transaction of its own. Remembered.
  AutoDdl = new QCheckBox(QStringLiteral("AutoDDL"), page);
  AutoDdl->setObjectName(QStringLiteral("AutoDdl"));
  AutoDdl->setToolTip(
      QStringLiteral("Confirmar cada comando DDL (CREATE, ALTER, DROP...) logo ao executá-lo"));
  AutoDdl->setGeometry(82, 3, 90, 18);
  AutoDdl->setChecked(UserSettings().value(QStringLiteral("console/autoddl"), true).toBool());
  connect(AutoDdl, &QCheckBox::toggled, this,
          [](bool on) { UserSettings().setValue(QStringLiteral("console/autoddl"), on); });
  HistoryPanel = new QWidget(page);
  HistoryPanel->setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(HistoryPanel);
  layout->setContentsMargins(0, 0, 0, 0);
  HistorySearch = new QLineEdit(HistoryPanel);
  HistorySearch->setPlaceholderText(QStringLiteral("Procurar no histórico"));
  HistoryList = new QListWidget(HistoryPanel);
  layout->addWidget(HistorySearch);
  layout->addWidget(HistoryList);
  HistoryPanel->hide();

  connect(HistoryButton, &QPushButton::clicked, this, [this] {
    if (HistoryPanel->isVisible()) {
      HistoryPanel->hide();
    } else {
      ShowHistory(HistorySearch->text());
    }
  });
  connect(HistorySearch, &QLineEdit::textChanged, this, [this] { FillHistoryList(); });
  connect(HistoryList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    RunHandler([&] { PutBackHistoryRow(HistoryList->row(item)); });
  });
  connect(form->RichEdit1, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    if (!form_->PageControl1->isVisible()) return;  // no status bar on the login panel
    EnsureStatusBar();
    LineText->setText(
        QStringLiteral("Linha %1").arg(form_->RichEdit1->textCursor().blockNumber() + 1));
  });
  form->RichEdit1->installEventFilter(this);
  LayOutEditor();
}

TSqlConsole::~TSqlConsole() = default;

void TSqlConsole::EnsureStatusBar() {
  if (StatusText) return;
  const TStatusBarLabels& labels = form_->Pages->Status->Ensure();
  StatusText = labels.Message;
  LineText = labels.Line;
}

void TSqlConsole::Report(const QString& text) {
  EnsureStatusBar();
  StatusText->setText(text);
}

void TSqlConsole::LayOutEditor() {
  QPlainTextEdit* editor = form_->RichEdit1;
  const QRect full(0, 24, editor->width(), 241);
  const int plan = PlanView->isVisible() ? kPlanHeight : 0;
  editor->setGeometry(full.adjusted(0, 0, 0, -plan));
  PlanView->setGeometry(0, full.bottom() + 1 - plan, form_->TabSheet1->width(), plan);
  HistoryPanel->setGeometry(0, 24, form_->TabSheet1->width(), 241);
}

bool TSqlConsole::eventFilter(QObject* watched, QEvent* event) {
  if (watched != form_->RichEdit1 || event->type() != QEvent::KeyPress)
    return QObject::eventFilter(watched, event);
  auto* key_event = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers mods =
      key_event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  const int key = key_event->key();
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  std::function<void()> action;
  if (enter && mods == Qt::ControlModifier)
    action = [this] { RunStatementOrSelection(); };
  else if (enter && mods == (Qt::ControlModifier | Qt::ShiftModifier))
    action = [this] { RunScript(); };
  else if (mods == Qt::ControlModifier && key == Qt::Key_L)
    action = [this] { ShowPlan(); };
  else if (mods == Qt::ControlModifier && key == Qt::Key_Up)
    action = [this] { StepHistory(-1); };
  else if (mods == Qt::ControlModifier && key == Qt::Key_Down)
    action = [this] { StepHistory(1); };
  else if (mods == Qt::ControlModifier && key == Qt::Key_O)
    action = [this] { OpenSqlFile(); };
  else if (mods == Qt::ControlModifier && key == Qt::Key_S)
    action = [this] { SaveSqlFile(); };
  if (!action) return false;
  RunHandler(action);
  return true;
}

namespace {

// What Ctrl+Enter and Ctrl+L take: the selection's statements, or the one under the
// cursor. Empty when there is nothing to run.
std::vector<TScriptStatement> ChosenStatements(QPlainTextEdit* editor, QString* shown) {
  const QTextCursor cursor = editor->textCursor();
  if (cursor.hasSelection()) {
    *shown = cursor.selectedText().replace(QChar(0x2029), QLatin1Char('\n'));
    const int first_line = editor->document()->findBlock(cursor.selectionStart()).blockNumber() + 1;
    return ReadStatements(*shown, first_line);
  }
  const QString text = editor->toPlainText();
  TScriptStatement statement;
  if (!StatementAt(text.toLatin1().toStdString(), static_cast<size_t>(cursor.position()),
                   &statement))
    return {};
  *shown = text.mid(static_cast<qsizetype>(statement.begin),
                    static_cast<qsizetype>(statement.end - statement.begin));
  statement.text = FromQt(*shown);
  return {statement};
}

// Says so when there is nothing to run, as F9 does.
bool NothingToRun(const std::vector<TScriptStatement>& statements) {
  if (!statements.empty()) return false;
  ShowMessage("Não tem o que Executar!");
  return true;
}

}  // namespace

void TSqlConsole::RunStatementOrSelection() {
  QString shown;
  const std::vector<TScriptStatement> statements = ChosenStatements(form_->RichEdit1, &shown);
  if (NothingToRun(statements)) return;
  Run(shown, statements, statements.size() > 1);
}

void TSqlConsole::RunScript() {
  const QString text = form_->RichEdit1->toPlainText();
  const std::vector<TScriptStatement> statements = ReadStatements(text, 1);
  if (NothingToRun(statements)) return;
  Run(text, statements, true);
}

void TSqlConsole::Run(const QString& shown, const std::vector<TScriptStatement>& statements,
                      bool script) {
  PlanView->hide();
  HistoryPanel->hide();
  LayOutEditor();
  if (!script) {
    RunOne(shown, statements.front().text);
    return;
  }
  TScriptReport report;
  {
    TLongCallWindow long_calls(form_, [form = form_] { return form->IBDatabase1->Handle(); });
    TStatementRunner runner(*form_->IBQuery1, *this);
    runner.SetAutoDdl(AutoDdl->isChecked());
    report = runner.RunScript(statements);
  }
  GiveBackRows();
  if (report.pending) form_->Pages->Transactions->NoteChangesLeft();
  if (report.aborted && report.ran == 0 && report.failed == 0) return;  // a cancelled dialog
  const QString outcome = ToQt(ReportText(report));
  Report(outcome);
  history_->Add(shown, outcome);
  if (report.failures.empty()) return;
  const int line = report.failures.front().line;
  form_->RichEdit1->setTextCursor(
      QTextCursor(form_->RichEdit1->document()->findBlockByNumber(line - 1)));
  if (report.cancelled && report.failures.size() == 1) {
    ShowMessage(kCancelledText);
    return;
  }
  std::string text;
  for (const TScriptFailure& failure : report.failures)
    text += (text.empty() ? "" : "\n") + ("Linha " + std::to_string(failure.line) + ": ") +
            failure.message;
  throw EDatabaseError(text);
}

void TSqlConsole::RunOne(const QString& shown, const std::string& sql) {
  TRunReport report;
  {
    TLongCallWindow long_calls(form_, [form = form_] { return form->IBDatabase1->Handle(); });
    TStatementRunner runner(*form_->IBQuery1, *this);
    runner.SetAutoDdl(AutoDdl->isChecked());
    try {
      report = runner.Run(sql);
    } catch (const EAbort&) {
      GiveBackRows();
      throw;
    } catch (const std::exception& error) {
      GiveBackRows();
      const bool cancelled = IsCancelError(error);
      const QString outcome = cancelled ? ToQt(kCancelledText) : ToQt(error.what());
      Report(outcome);
      history_->Add(shown, outcome);
      if (!cancelled) throw;
      ShowMessage(kCancelledText);
      return;
    }
  }
  if (report.pending) form_->Pages->Transactions->NoteChangesLeft();
  const QString outcome = ToQt(ReportText(report));
  Report(outcome);
  history_->Add(shown, outcome);
}

void TSqlConsole::NoteFirstLineRun(const std::string& line, const std::string& outcome) {
  history_->Add(ToQt(line), ToQt(outcome));
}

void TSqlConsole::ShowPlan() {
  QString shown;
  const std::vector<TScriptStatement> statements = ChosenStatements(form_->RichEdit1, &shown);
  if (NothingToRun(statements)) return;
  TStatementRunner runner(*form_->IBQuery1, *this);
  const std::string plan = runner.Plan(statements.front().text);
  PlanView->setPlainText(plan.empty() ? QStringLiteral("(sem plano para este comando)")
                                      : ToQt(plan));
  PlanView->show();
  LayOutEditor();
}

void TSqlConsole::StepHistory(int direction) {
  QPlainTextEdit* editor = form_->RichEdit1;
  QString sql;
  if (!history_->Step(direction, editor->toPlainText(), &sql)) return;
  // One edit on the undo stack, so Ctrl+Z brings back what the step replaced.
  QTextCursor cursor(editor->document());
  cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.insertText(sql);
  cursor.endEditBlock();
  editor->moveCursor(QTextCursor::End);
}

void TSqlConsole::ReloadHistory() {
  history_ = std::make_unique<TSqlHistory>(history_->File());
  FillHistoryList();
}

void TSqlConsole::ShowHistory(const QString& search) {
  HistorySearch->setText(search);
  FillHistoryList();
  HistoryPanel->show();
  HistoryPanel->raise();
}

void TSqlConsole::FillHistoryList() {
  HistoryList->clear();
  const std::vector<THistoryEntry>& entries = history_->Entries();
  const QString search = HistorySearch->text();
  for (size_t i = entries.size(); i-- > 0;) {
    const THistoryEntry& entry = entries[i];
    if (!entry.sql.contains(search, Qt::CaseInsensitive)) continue;
    auto* item =
        new QListWidgetItem(entry.sql.simplified() + QStringLiteral("   [") +
                                entry.when.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")) +
                                QStringLiteral(" - ") + entry.outcome + ']',
                            HistoryList);
    item->setData(Qt::UserRole, static_cast<int>(i));
    item->setToolTip(entry.sql);
  }
}

void TSqlConsole::PutBackHistoryRow(int row) {
  const QListWidgetItem* item = HistoryList->item(row);
  if (!item) return;
  const int index = item->data(Qt::UserRole).toInt();
  form_->RichEdit1->setPlainText(history_->Entries()[static_cast<size_t>(index)].sql);
  HistoryPanel->hide();
  form_->RichEdit1->setFocus();
}

void TSqlConsole::OpenSqlFile() {
  const QString name = Dialogs().ChooseSqlFile(form_, false);
  if (name.isEmpty()) return;
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly))
    throw Exception(
        FromQt(QStringLiteral("Não foi possível abrir ") + name + ": " + file.errorString()));
  form_->RichEdit1->setPlainText(QString::fromUtf8(file.readAll()));
  Report(QStringLiteral("Aberto: ") + name);
}

void TSqlConsole::SaveSqlFile() {
  const QString name = Dialogs().ChooseSqlFile(form_, true);
  if (name.isEmpty()) return;
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(form_->RichEdit1->toPlainText().toUtf8()) < 0 || !file.commit())
    throw Exception(
        FromQt(QStringLiteral("Não foi possível gravar ") + name + ": " + file.errorString()));
  Report(QStringLiteral("Gravado: ") + name);
}

void TSqlConsole::EndTransaction(bool commit, bool retaining) {
  TInPlaceCalls in_place;
  form_->EndSharedTransaction(commit, retaining);
}

bool TSqlConsole::AskParameters(std::vector<TParameterValue>* values,
                                const TParameterCheck& check) {
  return Dialogs().AskParameters(form_, values, check);
}

void TSqlConsole::SchemaChanged(bool committed) {
  NoteSchemaChange(form_, committed);
}

void TSqlConsole::BeforeRows() {
  // The rows' grid lets go of the query while it opens, so a repaint meanwhile never
  // reads a dataset halfway through its open.
  if (form_->DBGrid1->DataSource() == form_->DsQuery) {
    form_->DBGrid1->SetDataSource(nullptr);
    rows_detached_ = true;
  }
}

void TSqlConsole::GiveBackRows() {
  if (!rows_detached_) return;
  rows_detached_ = false;
  TInPlaceCalls in_place;
  form_->DBGrid1->SetDataSource(form_->DsQuery);
}

void TSqlConsole::ShowRows() {
  TInPlaceCalls in_place;
  rows_detached_ = false;
  form_->ShowResult(form_->DsQuery);
}
