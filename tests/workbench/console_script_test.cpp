// Cutting the console's text into statements: terminators inside literals, comments and
// quoted names, blank lines, "set term", and the statement under the cursor.
#include <gtest/gtest.h>

#include "workbench/console/sql_script.h"

namespace {

std::vector<std::string> Texts(const std::string& script) {
  std::vector<std::string> texts;
  for (const TScriptStatement& statement : SplitScript(script)) texts.push_back(statement.text);
  return texts;
}

TEST(SplitScript, SemicolonsInsideLiteralsCommentsAndQuotedNamesDoNotEnd) {
  EXPECT_EQ(Texts("select 'a;b' from T; select \"x;y\" from T;"),
            (std::vector<std::string>{"select 'a;b' from T", "select \"x;y\" from T"}));
  EXPECT_EQ(Texts("select 1 -- no; end\nfrom T; select /* ; */ 2 from T"),
            (std::vector<std::string>{"select 1 -- no; end\nfrom T", "select /* ; */ 2 from T"}));
  // A doubled quote stays inside its literal.
  EXPECT_EQ(Texts("update T set A = 'it''s; selected'; commit"),
            (std::vector<std::string>{"update T set A = 'it''s; selected'", "commit"}));
  // An unclosed literal runs to the end rather than being cut.
  EXPECT_EQ(Texts("select 'open; from T"), std::vector<std::string>{"select 'open; from T"});
}

TEST(SplitScript, BlankLinesEndStatementsAndEmptyOnesAreDropped) {
  EXPECT_EQ(Texts("select 1 from T\n  \t\nselect 2\nfrom T\n"),
            (std::vector<std::string>{"select 1 from T", "select 2\nfrom T"}));
  EXPECT_EQ(Texts(";;\n\n-- only a comment\n;  /* and another */"), std::vector<std::string>{});
  // A blank line inside a comment or a literal is part of it.
  EXPECT_EQ(Texts("select /*\n\n*/ 'a\n\nb' from T"),
            std::vector<std::string>{"select /*\n\n*/ 'a\n\nb' from T"});
}

TEST(SplitScript, SetTermChangesTheTerminatorAndBlankLinesNoLongerSplit) {
  const std::string script =
      "create table T (A integer);\n"
      "SET TERM ^ ;\n"
      "create procedure P returns (N integer) as\n"
      "begin\n"
      "  N = 1;\n"
      "\n"
      "  suspend;\n"
      "end^\n"
      "set term ; ^\n"
      "select N from P;\n";
  const std::vector<TScriptStatement> statements = SplitScript(script);
  ASSERT_EQ(statements.size(), 3u);
  EXPECT_EQ(statements[0].text, "create table T (A integer)");
  EXPECT_EQ(statements[1].text,
            "create procedure P returns (N integer) as\nbegin\n  N = 1;\n\n  suspend;\nend");
  EXPECT_EQ(statements[2].text, "select N from P");
  EXPECT_EQ(statements[0].line, 1);
  EXPECT_EQ(statements[1].line, 3);
  EXPECT_EQ(statements[2].line, 10);
  // A multi-character terminator.
  EXPECT_EQ(Texts("set term !! ;\nselect 1 from T!!select 2 from T!!"),
            (std::vector<std::string>{"select 1 from T", "select 2 from T"}));
}

TEST(SplitScript, OffsetsAndLinesPointAtTheFirstWord) {
  const std::string script = "\n-- first\n  select 1 from T ;\n\n\n /* c */ update T set A = 1";
  const std::vector<TScriptStatement> statements = SplitScript(script);
  ASSERT_EQ(statements.size(), 2u);
  EXPECT_EQ(script.substr(statements[0].begin, statements[0].end - statements[0].begin),
            "select 1 from T");
  EXPECT_EQ(statements[0].line, 3);
  EXPECT_EQ(script[statements[0].stop - 1], ';');
  EXPECT_EQ(statements[1].line, 6);
  EXPECT_EQ(statements[1].text, "update T set A = 1");
  EXPECT_EQ(LineOfOffset(script, statements[1].begin), 6);
}

TEST(StatementAt, TakesTheStatementTheCursorStandsInOrJustAfter) {
  const std::string text = "select 'x;' from A;\nselect 2 from B;\n\nselect 3 from C";
  TScriptStatement statement;
  ASSERT_TRUE(StatementAt(text, 3, &statement));
  EXPECT_EQ(statement.text, "select 'x;' from A");
  ASSERT_TRUE(StatementAt(text, text.find(';', 12) + 1, &statement));  // just after its ';'
  EXPECT_EQ(statement.text, "select 'x;' from A");
  ASSERT_TRUE(StatementAt(text, text.find("2 from"), &statement));
  EXPECT_EQ(statement.text, "select 2 from B");
  ASSERT_TRUE(StatementAt(text, text.size(), &statement));
  EXPECT_EQ(statement.text, "select 3 from C");
  EXPECT_FALSE(StatementAt("  -- nothing\n", 2, &statement));
}

}  // namespace
