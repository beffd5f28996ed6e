// Cutting SQL text into statements as isql does: terminators inside literals, comments and
// quoted names, blank lines inside statements, "set term", the statement under the
// cursor; and what each statement is before the engine sees it.
#include <gtest/gtest.h>

#include "data/script/sql_script.h"
#include "data/script/statement_class.h"

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

TEST(SplitScript, OnlyTheTerminatorEndsAStatementNeverABlankLine) {
  // A blank line once cut the delete from its where: every row went.
  EXPECT_EQ(
      Texts("delete from ORDERS\n\nwhere ID = 42;\nselect 2\n  \t\nfrom T\n"),
      (std::vector<std::string>{"delete from ORDERS\n\nwhere ID = 42", "select 2\n  \t\nfrom T"}));
  EXPECT_EQ(Texts(";;\n\n-- only a comment\n;  /* and another */"), std::vector<std::string>{});
  // A line comment, a blank line, then a statement: the comment is no statement.
  EXPECT_EQ(Texts("-- first; not a statement\n\nselect 1 from T;\n-- tail\n\nselect 2 from T"),
            (std::vector<std::string>{"select 1 from T", "select 2 from T"}));
}

TEST(SplitScript, QLiteralsOfEveryDelimiterHoldTerminatorsAndQuotes) {
  EXPECT_EQ(Texts("insert into T values (q'{a;b'c}'); insert into T values (q'[;]');"
                  "insert into T values (q'(x';)'); insert into T values (Q'<;'>');"
                  "insert into T values (q'!it's; fine!'); select 1 from T"),
            (std::vector<std::string>{
                "insert into T values (q'{a;b'c}')", "insert into T values (q'[;]')",
                "insert into T values (q'(x';)')", "insert into T values (Q'<;'>')",
                "insert into T values (q'!it's; fine!')", "select 1 from T"}));
  // A name that ends in q is no q-literal.
  EXPECT_EQ(Texts("select seq'a;b' from T; select 2 from T"),
            (std::vector<std::string>{"select seq'a;b' from T", "select 2 from T"}));
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
  // A two-character terminator, with a lone "!" inside a statement.
  EXPECT_EQ(Texts("set term !! ;\nselect 1 from T where A != 2!!select 2 from T!!"),
            (std::vector<std::string>{"select 1 from T where A != 2", "select 2 from T"}));
  // "set term" right after the terminator, in upper case, without a blank before ";".
  EXPECT_EQ(Texts("SET TERM ^;\ncreate procedure P as begin end^SET TERM ;^\nselect 1 from T;"),
            (std::vector<std::string>{"create procedure P as begin end", "select 1 from T"}));
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
  TScriptStatement whole;
  ASSERT_TRUE(StatementAt("delete from T\n\nwhere ID = 4", 2, &whole));
  EXPECT_EQ(whole.text, "delete from T\n\nwhere ID = 4");
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

TEST(ClassifyStatement, KnowsTransactionEndsAndIsqlCommandsBeforeTheEngine) {
  TStatementClass end = ClassifyStatement("commit /* now */ work retaining");
  EXPECT_EQ(end.kind, TStatementKind::kTransactionEnd);
  EXPECT_TRUE(end.commit);
  EXPECT_TRUE(end.retaining);
  end = ClassifyStatement("Rollback Retain");
  EXPECT_EQ(end.kind, TStatementKind::kTransactionEnd);
  EXPECT_FALSE(end.commit);
  EXPECT_TRUE(end.retaining);
  // A savepoint's rollback is the engine's.
  EXPECT_EQ(ClassifyStatement("rollback to savepoint S1").kind, TStatementKind::kSql);

  EXPECT_EQ(ClassifyStatement("set autoddl off").on, 0);
  EXPECT_EQ(ClassifyStatement("SET AUTO ON").kind, TStatementKind::kAutoDdl);
  EXPECT_EQ(ClassifyStatement("set bail").on, -1);
  EXPECT_EQ(ClassifyStatement("set names win1252").value, "WIN1252");
  EXPECT_EQ(ClassifyStatement("set sql dialect 3").kind, TStatementKind::kDialect);
  EXPECT_EQ(ClassifyStatement("set transaction read committed").kind,
            TStatementKind::kSetTransaction);
  for (const char* sql : {"show tables", "set list on", "input 'x.sql'", "output out.txt",
                          "connect 'a.fdb'", "create database 'b.fdb'", "set time on"})
    EXPECT_EQ(ClassifyStatement(sql).kind, TStatementKind::kIsqlCommand) << sql;
  EXPECT_EQ(ClassifyStatement("set list on").command, "SET LIST");
  EXPECT_EQ(ClassifyStatement("create database 'b.fdb'").command, "CREATE DATABASE");
  // SQL that starts like them stays SQL.
  for (const char* sql : {"set generator G to 5", "set statistics index I",
                          "create table T (A int)", "set time zone 'UTC'", "exit_code"})
    EXPECT_EQ(ClassifyStatement(sql).kind, TStatementKind::kSql) << sql;
  EXPECT_EQ(ClassifyStatement("exit").kind, TStatementKind::kExit);
  EXPECT_EQ(ClassifyStatement("QUIT").kind, TStatementKind::kQuit);
}

}  // namespace
