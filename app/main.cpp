#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/application.h"
#include "app/end_signals.h"
#include "app/form1.h"
#include "data/core/charset.h"
#include "data/metadata/ddl_command.h"
#include "data/script/run_command.h"
#include "grid/qt_text.h"

namespace {

// A relative file name is made absolute, so the path label says which file it is;
// a "host:path" name goes to the server as typed.
QString DatabaseArgument(const char* argument) {
  const QString name = QString::fromLocal8Bit(argument);
  if (name.contains(':') || !QFileInfo(name).isRelative()) return name;
  return QFileInfo(name).absoluteFilePath();
}

// For start-up checks without a person at the screen: with TAVREL_QUIT_AFTER_MS=n the
// program writes the caption of its shown main window on stdout n milliseconds into its
// message loop, then ends.
void QuitAfterDelayIfAsked(TApplication& application) {
  const char* delay = std::getenv("TAVREL_QUIT_AFTER_MS");
  if (!delay || !*delay) return;
  QTimer::singleShot(std::atoi(delay), &application, [&application] {
    if (application.Form1()->isVisible()) {
      std::printf("main window: %s\n", application.Form1()->windowTitle().toUtf8().constData());
    }
    std::fflush(stdout);
    application.quit();
  });
}

// For checks of a connected program without a person at the screen: with a database
// named on the command line and TAVREL_LOGIN_AS=user:password, the login panel is filled
// in and "Login" pressed once the message loop runs; TAVREL_RUN_LINE then puts a line in
// the SQL console and presses F9.
void LogInIfAsked(TApplication& application) {
  const char* login = std::getenv("TAVREL_LOGIN_AS");
  if (!login || !*login) return;
  QTimer::singleShot(0, &application, [&application, as = QString::fromLocal8Bit(login)] {
    TForm1* form = application.Form1();
    form->Edit1->setText(as.section(u':', 0, 0));
    form->Edit2->setText(as.section(u':', 1));
    form->BitBtn1->click();
    const char* line = std::getenv("TAVREL_RUN_LINE");
    if (!line || !*line) return;
    form->RichEdit1->setPlainText(QString::fromLocal8Bit(line));
    RunHandler([form] {
      int key = Qt::Key_F9;
      form->RichEdit1KeyUp(key, Qt::NoModifier);
    });
  });
}

// `--charset NAME` (or TAVREL_CHARSET) names the connection's character set; without
// it the login chooses. The first other argument names the database.
struct TArguments {
  std::string charset;
  int connect_timeout = 15;
  const char* database = nullptr;
  bool bad = false;
};
TArguments ReadArguments(int argc, char** argv) {
  TArguments arguments;
  if (const char* chosen = std::getenv("TAVREL_CHARSET")) arguments.charset = chosen;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--charset" && i + 1 < argc)
      arguments.charset = argv[++i];
    else if (argument == "--connect-timeout" && i + 1 < argc)
      arguments.connect_timeout = std::atoi(argv[++i]);
    else if (argument.rfind("--charset=", 0) == 0)
      arguments.charset = argument.substr(10);
    else if (!arguments.database)
      arguments.database = argv[i];
  }
  if (!arguments.charset.empty() && CharSetIdOf(arguments.charset) < 0) {
    std::fprintf(stderr, "tavrel: unknown character set %s\n", arguments.charset.c_str());
    arguments.bad = true;
  } else if (!arguments.charset.empty() && !CanConvertCharSet(CharSetIdOf(arguments.charset))) {
    // Text would go to the server unconverted and be stored as other characters.
    std::fprintf(stderr, "tavrel: character set %s cannot be converted here; use UTF8\n",
                 arguments.charset.c_str());
    arguments.bad = true;
  }
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  // `--ddl FILE` writes the database's DDL and ends before any Qt object exists, so it
  // runs with no display.
  if (const int code = RunDdlCommandIfAsked(argc, argv, std::cout, std::cerr); code >= 0)
    return code;
  // `--run SCRIPT DATABASE` likewise runs a script headless.
  if (const int code = RunScriptCommandIfAsked(argc, argv, std::cout, std::cerr); code >= 0)
    return code;
  const TArguments arguments = ReadArguments(argc, argv);
  if (arguments.bad) return 2;
  // Before any thread starts, so that all of them leave the signals to TEndSignals.
  BlockEndSignals();
  TApplication application(argc, argv);
  try {
    application.Initialize();
    application.CreateForms();
    // A signal ends the program as closing the main window does, but cannot be refused.
    TEndSignals end_signals([&application] {
      application.Form1()->CloseForSignal();
      application.quit();
    });
    application.Form1()->SetConnectionCharSet(arguments.charset);
    application.Form1()->SetConnectTimeout(arguments.connect_timeout);
    // A database file named on the command line is taken as the chosen database path.
    if (arguments.database) {
      application.Form1()->ChooseDatabasePath(FileNameBytes(DatabaseArgument(arguments.database)));
      LogInIfAsked(application);
    }
    QuitAfterDelayIfAsked(application);
    return application.Run();
  } catch (...) {
    return HandleLastResort();
  }
}
