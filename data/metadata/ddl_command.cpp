#include "data/metadata/ddl_command.h"

#include <cstring>
#include <exception>
#include <ostream>
#include <string>

#include "data/database/database.h"
#include "data/errors/errors.h"
#include "data/metadata/ddl.h"
#include "data/transaction/transaction.h"

namespace {

const char kUsage[] = "uso: tavrel --ddl ARQUIVO [--user NOME --password SENHA]\n";

}  // namespace

int RunDdlCommandIfAsked(int argc, char** argv, std::ostream& out, std::ostream& err) {
  bool asked = false;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--ddl") == 0) asked = true;
  if (!asked) return -1;
  std::string file, user = "SYSDBA", password;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc || (option != "--ddl" && option != "--user" && option != "--password")) {
      err << kUsage;
      return 2;
    }
    (option == "--ddl" ? file : option == "--user" ? user : password) = argv[++i];
  }
  try {
    TIBDatabase database;
    TIBTransaction transaction;
    database.SetLoginPrompt(false);
    database.SetDatabaseName(file);
    database.Params().Add("user_name=" + user);
    if (!password.empty()) database.Params().Add("password=" + password);
    // Names and sources come as UTF-8, whatever the database's own character set.
    database.Params().Add("lc_ctype=UTF8");
    database.SetDefaultTransaction(&transaction);
    database.SetConnected(true);
    out << DatabaseDdl(&database);
    out.flush();
    database.SetConnected(false);
    return out ? 0 : 1;
  } catch (const Exception& error) {
    err << "tavrel: " << error.Message() << "\n";
  } catch (const std::exception& error) {
    err << "tavrel: " << error.what() << "\n";
  }
  return 1;
}
