// Logging in through the main window's login panel, as the tests of its flows begin.
#pragma once

#include <QLineEdit>
#include <string>

#include "workbench/main_form.h"

// Picks the database file, types SYSDBA and a password, and presses "Conectar".
inline void LogIn(TWorkbenchForm& form, const std::string& path) {
  form.show();
  form.ChooseDatabasePath(path);
  form.Edit1->setText("SYSDBA");
  form.Edit2->setText("x");
  form.BitBtn1Click();
}
