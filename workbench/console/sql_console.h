// The console's keys beyond F9 and F10: the statement under the cursor or the selection
// (Ctrl+Enter), the whole text as a script (Ctrl+Shift+Enter), the plan (Ctrl+L), the
// history (Ctrl+Up, Ctrl+Down, the "Histórico" list), and .sql files (Ctrl+O, Ctrl+S).
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "data/script/statement_runner.h"
#include "workbench/console/sql_history.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class TWorkbenchForm;

class TSqlConsole : public QObject, public TConsoleHost {
 public:
  explicit TSqlConsole(TWorkbenchForm* form);
  ~TSqlConsole() override;

  // The keys' actions; each raises what fails, as handlers do.
  void RunStatementOrSelection();
  void RunScript();
  void ShowPlan();
  void StepHistory(int direction);
  void OpenSqlFile();
  void SaveSqlFile();

  TSqlHistory& History() { return *history_; }
  // Reads the history file again (a new main window does so when it starts).
  void ReloadHistory();
  // Shows the history list with the entries that hold `search` (any case).
  void ShowHistory(const QString& search = {});
  // Puts the history list's row back in the editor, as a double click does.
  void PutBackHistoryRow(int row);

  // The status bar's labels: the last run's report and the cursor's line.
  QLabel* StatusText = nullptr;
  QLabel* LineText = nullptr;
  QPlainTextEdit* PlanView = nullptr;
  QPushButton* HistoryButton = nullptr;
  QCheckBox* AutoDdl = nullptr;
  QWidget* HistoryPanel = nullptr;
  QLineEdit* HistorySearch = nullptr;
  QListWidget* HistoryList = nullptr;

  // TConsoleHost.
  void EndTransaction(bool commit, bool retaining) override;
  bool AskParameters(std::vector<TParameterValue>* values, const TParameterCheck& check) override;
  void BeforeRows() override;
  void ShowRows() override;
  void SchemaChanged(bool committed) override;

  // F9 ran its line: the history keeps it as the console's own runs.
  void NoteFirstLineRun(const std::string& line, const std::string& outcome);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Runs `statements` (one statement when `script` is false), reports and keeps the run
  // in the history as `shown` (what the person ran).
  void Run(const QString& shown, const std::vector<TScriptStatement>& statements, bool script);
  void RunOne(const QString& shown, const std::string& sql);
  void Report(const QString& text);
  // After a failed run: the rows' grid shows the query again, as before the run.
  void GiveBackRows();
  void EnsureStatusBar();
  void FillHistoryList();
  void LayOutEditor();

  TWorkbenchForm* form_;
  std::unique_ptr<TSqlHistory> history_;
  bool rows_detached_ = false;
};
