// The console's reading of its first line.
#include "data/script/console_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsoleText, F9TakesTheFirstTypedLineAndFindsQueriesInAnyCase) {
  const std::string long_line(500, 'x');
  EXPECT_EQ(FirstLogicalLine(long_line + "\r\nsecond"), long_line) << "word wrap does not cut it";
  EXPECT_EQ(FirstLogicalLine("one\nsecond"), "one");
  EXPECT_EQ(FirstLogicalLine(""), "");
  EXPECT_TRUE(LooksLikeQuery("Select * from T"));
  EXPECT_TRUE(LooksLikeQuery("insert into T select * from U"));
  EXPECT_FALSE(LooksLikeQuery("update T set X = 1"));
  EXPECT_TRUE(HasParameterMarkers("update T set X = :X"));
  EXPECT_FALSE(HasParameterMarkers("select ':x', 1::integer from T"));
  EXPECT_TRUE(ContainsWord("COMMIT retaining", "RETAINING"));
  EXPECT_FALSE(ContainsWord("select RETAININGS from T", "retaining"));
}

TEST(ConsoleText, F10ReadsNameAndConditionAsTheWorkedExamplesDo) {
  TQuickView v = ParseQuickView("select * from CLIENTES where CODIGO = 1");
  EXPECT_TRUE(v.has_from);
  EXPECT_EQ(v.shown_name, "CLIENTES ");
  EXPECT_EQ(v.table_name, "CLIENTES");
  EXPECT_EQ(v.condition, "CODIGO = 1");

  v = ParseQuickView("select * FROM clientes");
  EXPECT_EQ(v.table_name, "CLIENTES");
  EXPECT_EQ(v.condition, "");

  v = ParseQuickView("select * from clientes where");
  EXPECT_EQ(v.condition, "where") << "a single word after the name is the condition";

  v = ParseQuickView("select fromage from cheese where age > 2");
  EXPECT_EQ(v.table_name, "CHEESE") << "'from' is found as a word";
  EXPECT_EQ(v.condition, "age > 2");

  v = ParseQuickView("select * from \"My \"\"Odd\"\" table\" where x = 'a b'");
  EXPECT_EQ(v.table_name, "My \"Odd\" table");
  EXPECT_EQ(v.condition, "x = 'a b'");

  v = ParseQuickView("select * from  T");
  EXPECT_EQ(v.table_name, "") << "two blanks: an empty name, as typed";
  EXPECT_FALSE(ParseQuickView("clientes").has_from);
  EXPECT_FALSE(ParseQuickView("select * fromT").has_from);
  EXPECT_TRUE(ParseQuickView("select * from").has_from);
  EXPECT_EQ(ParseQuickView("select * from").table_name, "");
}

}  // namespace
