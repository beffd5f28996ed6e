#include "support/temp_database.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

std::string MakeTempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/tavrel-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  return pattern;
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

int RunCommand(const std::string& command, std::string* output) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    if (output) output->append(buffer, n);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TempFolder::TempFolder() : path_(MakeTempFolder()) {}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

TempDatabase::TempDatabase(const TempDatabaseOptions& options)
    : folder_(MakeTempFolder()), path_(folder_ + "/" + options.file_name) {
  std::string script = (options.names.empty() ? "" : "SET NAMES " + options.names + ";\n") +
                       "SET SQL DIALECT " + std::to_string(options.dialect) +
                       ";\nCREATE DATABASE '" + path_ + "' USER 'SYSDBA' DEFAULT CHARACTER SET " +
                       options.charset + ";\n";
  script += options.setup;
  script += "\nCOMMIT;\n";
  try {
    std::string output;
    const std::string file = folder_ + "/create.sql";
    std::ofstream(file) << script;
    if (RunCommand("isql-fb -q -b -i " + Quoted(file), &output) != 0)
      throw std::runtime_error("creating the test database failed:\n" + output);
    std::filesystem::remove(file);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    throw;
  }
}

TempDatabase::~TempDatabase() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string TempDatabase::RunSql(const std::string& script, const std::string& user,
                                 const std::string& names) const {
  const std::string file = folder_ + "/run.sql";
  std::ofstream(file) << (names.empty() ? "" : "SET NAMES " + names + ";\n") << "CONNECT '"
                      << path_ << "' USER '" << user << "';\n"
                      << script << "\nCOMMIT;\n";
  std::string output;
  int code = RunCommand("isql-fb -q -b -i " + Quoted(file), &output);
  std::filesystem::remove(file);
  if (code != 0) throw std::runtime_error("isql failed:\n" + output);
  return output;
}
