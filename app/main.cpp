#include <QFileInfo>

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

}  // namespace

int main(int argc, char** argv) {
  TApplication application(argc, argv);
  try {
    application.Initialize();
    application.CreateForms();
    // A database file named on the command line is taken as the chosen database path.
    if (argc > 1) application.Form1()->ChooseDatabasePath(FileNameBytes(DatabaseArgument(argv[1])));
    return application.Run();
  } catch (...) {
    return HandleLastResort();
  }
}
