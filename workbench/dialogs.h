// The one road of every modal box and dialog of the program, so that tests can put
// recorders in its place and never block on a box.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "data/errors/errors.h"
#include "data/script/parameter_value.h"

class QWidget;

// The application title: the caption of the message box and the error box.
const QString& ApplicationTitle();
void SetApplicationTitle(const QString& title);

// The error box's text: "." appended when the message is not empty and its last
// character's code is above that of the full stop.
std::string ErrorBoxText(const std::string& message);

// The file-open dialog's settings and result.
class TOpenDialog {
 public:
  const std::string& DefaultExt() const { return default_ext_; }
  void SetDefaultExt(const std::string& ext) { default_ext_ = ext; }
  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& name) { file_name_ = name; }
  // A dialog that names a file to write: the real box is a save box.
  bool ForSaving() const { return for_saving_; }
  void SetForSaving(bool value) { for_saving_ = value; }
  // Shows the dialog; true and FileName set when the user confirmed a name.
  bool Execute(QWidget* parent = nullptr);

 private:
  std::string default_ext_;
  std::string file_name_;
  bool for_saving_ = false;
};

// Appends "." and the default extension to a name whose last part has no extension.
std::string ApplyDefaultExt(const std::string& file_name, const std::string& default_ext);

struct TOpenFileResult {
  bool confirmed = false;
  std::string file_name;  // the file system's bytes
};

// What shows the boxes. The default shows real modal boxes.
class TDialogs {
 public:
  virtual ~TDialogs() = default;
  virtual void ShowMessage(const std::string& text);
  // Shows the error box text as given (the "." rule is already applied).
  virtual void ShowErrorText(const std::string& text);
  // The last-resort box: "Application Error", error icon, one "OK".
  virtual void ShowApplicationError(const std::string& text);
  virtual TOpenFileResult OpenFile(QWidget* parent, const TOpenDialog& dialog);
  // The confirmation box: question icon, "OK" and "Cancel"; true for OK. Escape or
  // closing the box answers Cancel.
  virtual bool Confirm(QWidget* parent, const std::string& caption, const std::string& text);
  // The question box with "Sim" (the default, on Enter), "Não" and "Cancelar"; Escape
  // or closing the box answers Cancelar.
  enum TAnswer { kYes, kNo, kCancel };
  virtual TAnswer AskYesNoCancel(QWidget* parent, const std::string& caption,
                                 const std::string& text);
  virtual void Beep();
  // The console's marker values (name, value, NULL box); false when cancelled. OK with a
  // value that `check` refuses keeps the box open, the refusal beside that value.
  virtual bool AskParameters(QWidget* parent, std::vector<TParameterValue>* values,
                             const TParameterCheck& check);
  // A .sql file to open or to save; empty when cancelled.
  virtual QString ChooseSqlFile(QWidget* parent, bool save);
};

// Writes every box to standard error instead of showing it; for runs without a person.
class TStderrDialogs : public TDialogs {
 public:
  void ShowMessage(const std::string& text) override;
  void ShowErrorText(const std::string& text) override;
  void ShowApplicationError(const std::string& text) override;
  TOpenFileResult OpenFile(QWidget* parent, const TOpenDialog& dialog) override;
  // No one can answer: Cancel.
  bool Confirm(QWidget* parent, const std::string& caption, const std::string& text) override;
  // No one can answer: Sim, what the program did before it asked.
  TAnswer AskYesNoCancel(QWidget* parent, const std::string& caption,
                         const std::string& text) override;
  void Beep() override {}
  bool AskParameters(QWidget*, std::vector<TParameterValue>*, const TParameterCheck&) override {
    return false;
  }
  QString ChooseSqlFile(QWidget*, bool) override { return {}; }
};

// Records what would have been shown; open-file answers are taken from a queue.
class TRecordingDialogs : public TDialogs {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowErrorText(const std::string& text) override { errors.push_back(text); }
  void ShowApplicationError(const std::string& text) override {
    application_errors.push_back(text);
  }
  TOpenFileResult OpenFile(QWidget* parent, const TOpenDialog& dialog) override;
  bool Confirm(QWidget* parent, const std::string& caption, const std::string& text) override;
  // Answers from the front of `yes_no_cancel_answers`; none means Cancelar.
  TAnswer AskYesNoCancel(QWidget* parent, const std::string& caption,
                         const std::string& text) override;
  void Beep() override { ++beeps; }
  // Each answer, taken from the front of `parameter_answers`, gives the values' texts
  // and NULL boxes by position; none means cancelled. What was asked is recorded, and
  // what `check` refused, after which the next answer is taken as the box stays open.
  bool AskParameters(QWidget* parent, std::vector<TParameterValue>* values,
                     const TParameterCheck& check) override;
  QString ChooseSqlFile(QWidget* parent, bool save) override;

  std::vector<std::string> messages;
  std::vector<std::string> errors;
  std::vector<std::string> application_errors;
  std::vector<TOpenFileResult> open_answers;   // taken from the front; none means cancelled
  std::vector<std::string> open_default_exts;  // the DefaultExt of each open call
  std::vector<std::string> confirmations;      // "caption: text" of each confirmation
  std::vector<bool> confirm_answers;           // taken from the front; none means Cancel
  std::vector<std::string> questions;          // "caption: text" of each three-way question
  std::vector<TAnswer> yes_no_cancel_answers;
  std::vector<std::vector<TParameterValue>> parameter_requests;
  std::vector<std::vector<TParameterValue>> parameter_answers;
  std::vector<std::string> parameter_refusals;
  std::vector<QString> sql_file_answers;  // taken from the front; none means cancelled
  int beeps = 0;
};

// Puts `dialogs` in place (nullptr restores the real boxes); returns the previous one.
TDialogs* SetDialogs(TDialogs* dialogs);
TDialogs& Dialogs();

// Installs a recorder for the lifetime of a scope.
class TScopedDialogs {
 public:
  explicit TScopedDialogs(TDialogs* dialogs) : previous_(SetDialogs(dialogs)) {}
  ~TScopedDialogs() { SetDialogs(previous_); }
  TScopedDialogs(const TScopedDialogs&) = delete;
  TScopedDialogs& operator=(const TScopedDialogs&) = delete;

 private:
  TDialogs* previous_;
};

// Makes the grids show their confirmations, beeps and errors through these boxes (the
// error box for whatever a grid's event handler raises). Idempotent.
void InstallGridHooks();

// The program's message box.
void ShowMessage(const std::string& text);
// The error box for an exception; EAbort shows nothing.
void ShowErrorBox(const std::exception& error);
// The error box for the exception being handled (call inside a catch block). A row
// changed since it was read asks instead whether to drop the edit and read it again; a
// lost connection goes to the handler below, when one is in place.
void ShowCurrentException();

// What a lost connection does instead of the error box (the main window drops it and
// says what was lost); the last one put in place acts. Removed by the same `owner`.
void SetConnectionLostHandler(const void* owner,
                              std::function<void(const std::exception&)> handler);
void RemoveConnectionLostHandler(const void* owner);
extern const char* const kReadRowAgainQuestion;

// Runs an event handler so that no exception leaves it: whatever it raises is shown in
// the error box and the program goes on.
template <typename F>
void RunHandler(F&& handler) noexcept {
  try {
    handler();
  } catch (...) {
    ShowCurrentException();
  }
}
