#include <QFile>

#include "app/application.h"
#include "app/form1.h"

int main(int argc, char** argv) {
  TApplication application(argc, argv);
  try {
    application.Initialize();
    application.CreateForms();
    // A database file named on the command line is taken as the chosen database path.
    if (argc > 1)
      application.Form1()->ChooseDatabasePath(
          QFile::encodeName(QString::fromLocal8Bit(argv[1])).toStdString());
    return application.Run();
  } catch (...) {
    return HandleLastResort();
  }
}
