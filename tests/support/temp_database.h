// A fresh database file in a temporary folder, made by the embedded engine and removed
// afterwards. Tests never mock the database.
#pragma once

#include <string>

struct TempDatabaseOptions {
  int dialect = 3;
  std::string charset = "ISO8859_1";
  // SQL run right after the database is made (isql syntax; a final COMMIT is added).
  std::string setup;
  std::string file_name = "test.fdb";
  // The character set isql's connection uses for the setup (SET NAMES); empty: NONE.
  std::string names{};
};

class TempDatabase {
 public:
  explicit TempDatabase(const TempDatabaseOptions& options = {});
  explicit TempDatabase(const std::string& setup)
      : TempDatabase(TempDatabaseOptions{.setup = setup}) {}
  ~TempDatabase();
  TempDatabase(const TempDatabase&) = delete;
  TempDatabase& operator=(const TempDatabase&) = delete;

  const std::string& Path() const { return path_; }
  const std::string& Folder() const { return folder_; }

  // Runs a script through isql as `user`; throws std::runtime_error carrying isql's
  // output when it fails. Only while no connection of this process holds the file.
  std::string RunSql(const std::string& script, const std::string& user = "SYSDBA",
                     const std::string& names = "") const;

 private:
  std::string folder_;
  std::string path_;
};

// A fresh empty temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Runs a command through the shell; returns its exit code and fills `output`.
int RunCommand(const std::string& command, std::string* output);
