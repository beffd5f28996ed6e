#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "app/form1.h"
#include "workbench/latin1.h"

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

}  // namespace

int main(int argc, char** argv) {
  TApplication application(argc, argv);
  try {
    application.Initialize();
    application.CreateForms();
    // A database file named on the command line is taken as the chosen database path.
    if (argc > 1) application.Form1()->ChooseDatabasePath(FileNameBytes(DatabaseArgument(argv[1])));
    QuitAfterDelayIfAsked(application);
    return application.Run();
  } catch (...) {
    return HandleLastResort();
  }
}
