// `tavrel --run SCRIPT DB` against isql: every script of tests/scripts/isql is run by both
// on fresh UTF8 databases, and the two databases must end up alike — metadata, rows and
// generator values — with tavrel reporting the failures the script's first line announces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "data/metadata_support.h"
#include "support/temp_database.h"

namespace {

const std::string kProgram = TAVREL_BINARY_DIR "/tavrel";
const std::string kCorpus = TAVREL_SOURCE_DIR "/tests/scripts/isql";

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t'))
      line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void Replace(std::string* text, const std::string& from, const std::string& to) {
  for (size_t at = text->find(from); at != std::string::npos; at = text->find(from, at + to.size()))
    text->replace(at, from.size(), to);
}

std::string QuotedName(const std::string& name) {
  std::string out = name;
  Replace(&out, "\"", "\"\"");
  return "\"" + out + "\"";
}

std::string Literal(const std::string& text) {
  std::string out = text;
  Replace(&out, "'", "''");
  return "'" + out + "'";
}

// Runs an isql script on `database`; standard error is kept in the output, so a failed
// dump shows up in the comparison instead of hiding a difference.
std::string RunIsql(const std::string& database, const std::string& script,
                    const std::string& folder) {
  const std::string file = folder + "/dump.sql";
  std::ofstream(file) << script;
  std::string output;
  RunCommand("isql-fb -q -ch UTF8 -user SYSDBA -i " + Quoted(file) + " " + Quoted(database),
             &output);
  return output;
}

// Each user table's columns (tab-separated, in field order) and each generator's current
// value, identity generators named after their column since their own names are internal.
const char kCatalogQuery[] = R"sql(set heading off;
set term ^;
execute block returns (line varchar(1000)) as
  declare r varchar(63); declare f varchar(63); declare t smallint; declare d smallint;
  declare g varchar(63); declare v bigint;
begin
  for select trim(rf.rdb$relation_name), trim(rf.rdb$field_name), f.rdb$field_type,
             coalesce(f.rdb$dimensions, 0), trim(rf.rdb$generator_name)
      from rdb$relation_fields rf
      join rdb$relations r on r.rdb$relation_name = rf.rdb$relation_name
      join rdb$fields f on f.rdb$field_name = rf.rdb$field_source
      where coalesce(r.rdb$system_flag, 0) = 0 and r.rdb$view_blr is null
      order by rf.rdb$relation_name, rf.rdb$field_position into r, f, t, d, g do
  begin
    line = 'C' || ascii_char(9) || r || ascii_char(9) || f || ascii_char(9) || t || ascii_char(9) || d;
    suspend;
    if (g is not null) then
    begin
      execute statement 'select gen_id("' || replace(g, '"', '""') || '", 0) from rdb$database' into v;
      line = 'G' || ascii_char(9) || r || '.' || f || ascii_char(9) || v;
      suspend;
    end
  end
  for select trim(rdb$generator_name) from rdb$generators
      where coalesce(rdb$system_flag, 0) = 0 order by 1 into g do
  begin
    execute statement 'select gen_id("' || replace(g, '"', '""') || '", 0) from rdb$database' into v;
    line = 'G' || ascii_char(9) || g || ascii_char(9) || v;
    suspend;
  end
end^
)sql";

struct Column {
  std::string name;
  bool orderable;  // neither a blob (type 261) nor an array
};

// The database as text: isql's extracted metadata, generator values, then every user
// table's rows ordered by all of its orderable columns, blobs printed whole.
std::vector<std::string> Dump(const std::string& database, const std::string& folder) {
  std::vector<std::string> dump;
  std::string metadata;
  RunCommand("isql-fb -x -ch UTF8 -user SYSDBA " + Quoted(database), &metadata);
  Replace(&metadata, database, "DATABASE");
  dump = Lines(metadata);

  std::map<std::string, std::vector<Column>> tables;
  dump.push_back("-- generators");
  for (const std::string& line : Lines(RunIsql(database, kCatalogQuery, folder))) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    if (fields.size() == 5 && fields[0] == "C")
      tables[fields[1]].push_back({fields[2], fields[3] != "261" && fields[4] == "0"});
    else if (fields.size() == 3 && fields[0] == "G")
      dump.push_back(line);
    else if (!line.empty())
      dump.push_back("catalogue: " + line);
  }

  std::string rows = "set list on;\nset blob all;\n";
  for (const auto& [table, columns] : tables) {
    std::string order;
    for (size_t i = 0; i < columns.size(); ++i)
      if (columns[i].orderable)
        order += (order.empty() ? " order by " : ", ") + std::to_string(i + 1);
    rows += "select " + Literal(table) + " as table_name from rdb$database;\n";
    rows += "select * from " + QuotedName(table) + order + ";\n";
  }
  // A blob's id depends on where the engine stored it; its contents follow on the next lines.
  static const std::regex blob_id(R"(^(.*\s)[0-9a-f]+:[0-9a-f]+$)");
  for (const std::string& line : Lines(RunIsql(database, rows, folder)))
    dump.push_back(std::regex_replace(line, blob_id, "$1<blob>"));
  return dump;
}

// The first stretch where the two dumps part, with a line of context on each side.
std::string FirstDifference(const std::vector<std::string>& expected,
                            const std::vector<std::string>& actual) {
  size_t head = 0;
  while (head < expected.size() && head < actual.size() && expected[head] == actual[head]) ++head;
  size_t tail = 0;
  while (tail < expected.size() - head && tail < actual.size() - head &&
         expected[expected.size() - 1 - tail] == actual[actual.size() - 1 - tail])
    ++tail;
  const size_t shown = 12;
  std::ostringstream out;
  out << "first difference at dump line " << head + 1 << " (- isql, + tavrel)";
  for (size_t i = head; i-- > 0;)
    if (expected[i].rfind("TABLE_NAME", 0) == 0) {
      out << ", in the rows of " << expected[i].substr(expected[i].find_first_not_of(' ', 10));
      break;
    }
  out << ":\n";
  if (head > 0) out << "  " << expected[head - 1] << "\n";
  for (size_t i = head; i < expected.size() - tail && i < head + shown; ++i)
    out << "- " << expected[i] << "\n";
  for (size_t i = head; i < actual.size() - tail && i < head + shown; ++i)
    out << "+ " << actual[i] << "\n";
  if (tail > 0) out << "  " << expected[expected.size() - tail] << "\n";
  return out.str();
}

struct RunResult {
  int code = -1;
  std::string out, err;
};

// The program with no display at all, as a script runner would be on a server; a run that
// hangs (a DDL waiting on its own pending rows, say) is cut short instead of the test.
RunResult RunTavrel(const std::string& arguments, const std::string& folder) {
  const std::string out_file = folder + "/out.txt", err_file = folder + "/err.txt";
  RunResult result;
  std::string ignored;
  result.code =
      RunCommand("(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 120 " + kProgram +
                     " " + arguments + " > " + out_file + " 2> " + err_file + ")",
                 &ignored);
  result.out = ReadFile(out_file);
  result.err = ReadFile(err_file);
  return result;
}

int CountFailureLines(const std::string& err) {
  int count = 0;
  for (const std::string& line : Lines(err))
    if (line.rfind("line ", 0) == 0) ++count;
  return count;
}

// The number in the script's first line, `-- failures: N`; -1 when the line is missing.
int AnnouncedFailures(const std::string& script) {
  static const std::regex header(R"(^-- failures: (\d+)\r?$)");
  std::istringstream in(ReadFile(script));
  std::string first;
  std::getline(in, first);
  std::smatch match;
  return std::regex_match(first, match, header) ? std::stoi(match[1]) : -1;
}

std::vector<std::string> CorpusScripts() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpus, error))
    if (entry.path().extension() == ".sql") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class IsqlEquivalence : public ::testing::TestWithParam<std::string> {};

TEST_P(IsqlEquivalence, LeavesTheDatabaseIsqlLeaves) {
  ASSERT_TRUE(std::filesystem::exists(kProgram)) << "build the tavrel target first";
  const std::string script = kCorpus + "/" + GetParam() + ".sql";
  const int failures = AnnouncedFailures(script);
  ASSERT_GE(failures, 0) << script << " must start with `-- failures: N`";

  TempDatabase by_tavrel(EmptyDatabase("UTF8")), by_isql(EmptyDatabase("UTF8"));
  TempFolder work;
  const RunResult run = RunTavrel(
      "--run " + Quoted(script) + " " + Quoted(by_tavrel.Path()) + " --user SYSDBA --charset UTF8",
      work.Path());
  ASSERT_NE(run.code, 124) << "tavrel --run did not finish in 120 s\n" << run.err;
  std::string isql_output;
  RunCommand("(isql-fb -q -user SYSDBA -ch UTF8 -i " + Quoted(script) + " " +
                 Quoted(by_isql.Path()) + " 2>&1 > /dev/null)",
             &isql_output);

  const std::vector<std::string> expected = Dump(by_isql.Path(), work.Path());
  const std::vector<std::string> actual = Dump(by_tavrel.Path(), work.Path());
  EXPECT_TRUE(expected == actual) << FirstDifference(expected, actual) << "\ntavrel's errors:\n"
                                  << run.err << "isql's errors:\n"
                                  << isql_output;
  EXPECT_EQ(run.code, failures > 0 ? 1 : 0) << run.err;
  EXPECT_EQ(CountFailureLines(run.err), failures) << "tavrel's errors:\n"
                                                  << run.err << "isql's errors:\n"
                                                  << isql_output;
}

INSTANTIATE_TEST_SUITE_P(Corpus, IsqlEquivalence, ::testing::ValuesIn(CorpusScripts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST(IsqlEquivalenceCorpus, HasTheScripts) {
  EXPECT_GE(CorpusScripts().size(), 80u) << kCorpus;
}

// Where tavrel must part from isql on purpose, or the check is of tavrel's own output.
class RunCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kProgram)) << "build the tavrel target first";
  }
  std::string WriteScript(const std::string& text) const {
    const std::string file = work_.Path() + "/script.sql";
    std::ofstream(file) << text;
    return file;
  }
  // One value per line from a select on `database`, through isql.
  std::vector<std::string> Column(const std::string& database, const std::string& query) const {
    std::vector<std::string> values;
    for (const std::string& line :
         Lines(RunIsql(database, "set heading off;\n" + query + ";\n", work_.Path())))
      if (!line.empty()) values.push_back(line.substr(line.find_first_not_of(' ')));
    return values;
  }
  TempFolder work_;
};

TEST_F(RunCommandLine, AMissingScriptOrAnUnopenableDatabaseIsABadStart) {
  TempDatabase database(EmptyDatabase("UTF8"));
  RunResult run = RunTavrel(
      "--run " + Quoted(work_.Path() + "/none.sql") + " " + Quoted(database.Path()), work_.Path());
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("none.sql"), std::string::npos) << run.err;

  const std::string script = WriteScript("create table nunca (id integer);\n");
  run = RunTavrel(
      "--run " + Quoted(script) + " " + Quoted(work_.Path() + "/no/such/db.fdb") + " --user SYSDBA",
      work_.Path());
  EXPECT_EQ(run.code, 2);
  EXPECT_FALSE(run.err.empty());
  EXPECT_FALSE(std::filesystem::exists(work_.Path() + "/no/such/db.fdb"));
}

TEST_F(RunCommandLine, AnIsqlCommandItDoesNotRunFailsAloneAndTheScriptGoesOn) {
  TempDatabase database(EmptyDatabase("UTF8"));
  const std::string script = WriteScript(
      "create table antes_e_depois (id integer primary key);\n"
      "insert into antes_e_depois values (1);\n"
      "show tables;\n"
      "insert into antes_e_depois values (2);\n");
  const RunResult run = RunTavrel(
      "--run " + Quoted(script) + " " + Quoted(database.Path()) + " --user SYSDBA --charset UTF8",
      work_.Path());
  EXPECT_EQ(run.code, 1) << run.err;
  ASSERT_EQ(CountFailureLines(run.err), 1) << run.err;
  for (std::string line : Lines(run.err)) {
    if (line.rfind("line ", 0) != 0) continue;
    EXPECT_EQ(line.rfind("line 3: ", 0), 0u) << line;
    std::transform(line.begin(), line.end(), line.begin(),
                   [](unsigned char c) { return std::toupper(c); });
    EXPECT_NE(line.find("SHOW"), std::string::npos) << line;
  }
  EXPECT_EQ(Column(database.Path(), "select id from antes_e_depois order by id"),
            (std::vector<std::string>{"1", "2"}));
}

TEST_F(RunCommandLine, AFailureNamesTheLineItsStatementStartsOn) {
  TempDatabase database(EmptyDatabase("UTF8"));
  const std::string script = WriteScript(
      "create table linhas (id integer primary key, nome varchar(5));\n"
      "insert into linhas values (1, 'um');\n"
      "\n"
      "insert into linhas\n"
      "  values (1,\n"
      "          'repetido');\n"
      "set term ^ ;\n"
      "execute block as\n"
      "begin\n"
      "  insert into linhas values (2, 'longo demais');\n"
      "end^\n"
      "set term ; ^\n"
      "insert into linhas values (3, 'três');\n");
  const RunResult run = RunTavrel(
      "--run " + Quoted(script) + " " + Quoted(database.Path()) + " --user SYSDBA --charset UTF8",
      work_.Path());
  EXPECT_EQ(run.code, 1);
  std::vector<std::string> starts;
  for (const std::string& line : Lines(run.err))
    if (line.rfind("line ", 0) == 0) starts.push_back(line.substr(0, line.find(':')));
  EXPECT_EQ(starts, (std::vector<std::string>{"line 4", "line 8"})) << run.err;
  EXPECT_EQ(Lines(run.out).size(), 1u) << run.out;
  EXPECT_EQ(Column(database.Path(), "select id from linhas order by id"),
            (std::vector<std::string>{"1", "3"}));
}

TEST_F(RunCommandLine, WithNoArgumentsItPrintsItsUsage) {
  const RunResult run = RunTavrel("--run", work_.Path());
  EXPECT_EQ(run.code, 2);
  const std::vector<std::string> lines = Lines(run.err);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return line.rfind("uso: tavrel --run", 0) == 0;
  })) << run.err;
}

}  // namespace
