#include "app/application.h"

int main(int argc, char** argv) {
  TApplication application(argc, argv);
  try {
    application.Initialize();
    application.CreateForms();
    // A database file named on the command line is opened here (argv[1]).
    return application.Run();
  } catch (...) {
    return HandleLastResort();
  }
}
