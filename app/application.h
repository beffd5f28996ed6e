// The application object: title, icon, the two windows, and the event-boundary catch.
#pragma once

#include <QApplication>
#include <exception>
#include <memory>
#include <string>

#include "workbench/dialogs.h"

class TForm1;
class TForm2;

// The title rule: the file name without directory and without everything from its first
// ".", with every character after the first one lower-cased.
QString TitleFromExecutable(const QString& path);

// The last-resort text: "Exception <class> in module <module> at <offset>.\r\n<message>[.]\r\n".
std::string LastResortText(const std::exception& error, const std::string& module,
                           const void* offset);

// For main's outermost catch: shows the "Application Error" box for the exception being
// handled and returns the exit code 1.
[[gnu::noinline]] int HandleLastResort() noexcept;

class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  ~TApplication() override;

  // Title and icon.
  void Initialize();
  // The main window first (it becomes the main form), then the about window, hidden.
  void CreateForms();
  // Shows the main form and runs the message loop until it is closed.
  int Run();

  TForm1* Form1() const { return form1_.get(); }
  TForm2* Form2() const { return form2_.get(); }

  // No exception ever crosses Qt's event loop: it is shown in the error box instead.
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  std::unique_ptr<TStderrDialogs> stderr_dialogs_;
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TForm2> form2_;
};
