// `tavrel --ddl FILE`: the program run as a child with no display at all, as over ssh.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "data/metadata_support.h"
#include "support/temp_database.h"

namespace {

const std::string kProgram = TAVREL_BINARY_DIR "/tavrel";

// Runs the program with no display and no Qt platform; stdout and stderr kept apart.
int RunWithoutDisplay(const std::string& arguments, const TempFolder& folder, std::string* out,
                      std::string* err) {
  const std::string out_file = folder.Path() + "/out.txt", err_file = folder.Path() + "/err.txt";
  std::string ignored;
  const int code = RunCommand("(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + kProgram +
                                  " " + arguments + " > " + out_file + " 2> " + err_file + ")",
                              &ignored);
  RunCommand("cat " + out_file, out);
  RunCommand("cat " + err_file, err);
  return code;
}

TEST(DdlCommand, WritesAScriptThatRebuildsTheDatabaseWithoutAWindow) {
  ASSERT_TRUE(std::filesystem::exists(kProgram)) << "build the tavrel target first";
  RichDatabase original;
  TempFolder folder;
  std::string out, err;
  ASSERT_EQ(RunWithoutDisplay("--ddl '" + original.Path() + "' --user SYSDBA --password x", folder,
                              &out, &err),
            0)
      << err;
  EXPECT_EQ(err, "");
  EXPECT_NE(out.find("CREATE TABLE \"Pessoa Física\" ("), std::string::npos) << out;
  EXPECT_NE(out.find("CREATE TRIGGER TIPOS_BI FOR TIPOS ACTIVE BEFORE INSERT POSITION 0"),
            std::string::npos);
  // isql takes it as it stands, in a new database named on its command line.
  TempDatabase copy(EmptyDatabase("UTF8"));
  const std::string script = copy.Folder() + "/ddl.sql";
  std::ofstream(script) << out;
  std::string output;
  EXPECT_EQ(RunCommand("isql-fb -q -b -ch UTF8 -i " + script + " '" + copy.Path() + "'", &output),
            0)
      << output;
}

TEST(DdlCommand, ErrorsGoToStandardErrorWithAnExitCode) {
  TempFolder folder;
  std::string out, err;
  EXPECT_EQ(RunWithoutDisplay("--ddl " + folder.Path() + "/none.fdb", folder, &out, &err), 1);
  EXPECT_EQ(out, "");
  EXPECT_NE(err.find("tavrel: "), std::string::npos);
  EXPECT_NE(err.find("none.fdb"), std::string::npos) << err;
  EXPECT_EQ(RunWithoutDisplay("--ddl", folder, &out, &err), 2);
  EXPECT_NE(err.find("uso: tavrel --ddl"), std::string::npos);
}

}  // namespace
