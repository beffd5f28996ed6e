#include "data/statement/sql_params.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "data/dataset/params.h"
#include "data/errors/errors.h"

namespace {

using Names = std::vector<std::string>;

std::string ParseError(const std::string& sql, bool generate = false) {
  try {
    PreprocessSql(sql, generate);
  } catch (const EIBClientError& e) {
    EXPECT_EQ(e.SqlErrorCode(), ceSqlParseError);
    return e.Message();
  }
  return "<nothing raised>";
}

TEST(MarkerScan, NamedMarkersBecomeQuestionMarksInOrder) {
  TProcessedSql p = PreprocessSql("select * from T where A = :A and B = :A or C=:c_1$\r\n", false);
  EXPECT_EQ(p.text, "select * from T where A = ? and B = ? or C=?\r\n");
  EXPECT_EQ(p.names, (Names{"A", "A", "c_1$"}));

  // The character right after a name is copied without being looked at.
  p = PreprocessSql("values(:a,:b)\r\n", false);
  EXPECT_EQ(p.text, "values(?,?)\r\n");
  EXPECT_EQ(p.names, (Names{"a", "b"}));
}

TEST(MarkerScan, QuotedNamesHoldAnyCharacters) {
  TProcessedSql p = PreprocessSql("where X = :\"my name: 'x'\" and Y = :\"b\"\r\n", false);
  EXPECT_EQ(p.text, "where X = ? and Y = ?\r\n");
  EXPECT_EQ(p.names, (Names{"my name: 'x'", "b"}));
}

TEST(MarkerScan, StringsAndCommentsHideMarkers) {
  TProcessedSql p = PreprocessSql(
      "select 'it''s :no', \"Col:x\" /* :nor ? this */ from T where A = :yes\r\n", false);
  EXPECT_EQ(p.text, "select 'it''s :no', \"Col:x\" /* :nor ? this */ from T where A = ?\r\n");
  EXPECT_EQ(p.names, Names{"yes"});

  // A line comment runs to the end of its line; the next line is read again.
  p = PreprocessSql("select 1 from T -- :x 'y\r\nwhere A = :z", false);
  EXPECT_EQ(p.text, "select 1 from T -- :x 'y\r\nwhere A = ?");
  EXPECT_EQ(p.names, Names{"z"});
}

// Each kind of piece hides the markers inside it and none after it, as the engine reads
// the text; a closed piece may end the text.
TEST(MarkerScan, EveryLiteralAndCommentKindIsSkippedExactly) {
  struct Case {
    const char* sql;
    Names names;
  };
  const Case cases[] = {
      {"where S = 'a\"b' and K = :K", {"K"}},
      {"where \"Col'x\" = :K and S = 'it''s :no'", {"K"}},
      {"where S = 'x' || :A || \"A\"\"B:c\"", {"A"}},
      {"where S = q'{it's :no}' and K = :K", {"K"}},
      {"where S = Q'!a:b!' and K = :K", {"K"}},
      {"where S = q'(x)' || q'<y>' || q'[z]' and K = :K", {"K"}},
      {"where seq'x' = :K", {"K"}},  // seq is a word, 'x' a plain literal
      {"where K = :K -- and L = :L", {"K"}},
      {"where K = :K /* :no */ and L = :L--", {"K", "L"}},
      {"where K = :K'x:y'", {"K"}},  // the literal right after a name is still seen
      {"where K = :\"a b\"'c:d'", {"a b"}},
      {"set \"A\"\"B\" = :\"A\"\"B\", C = :C", {"A\"B", "C"}},  // a doubled quote is one
      {"where K = 'done'", {}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.sql);
    TProcessedSql p = PreprocessSql(test.sql, false);
    EXPECT_EQ(p.names, test.names);
    // The query's parse finds the same markers, item for item.
    TParams params;
    ParseParamMarkers(test.sql, &params);
    Names query_names;
    for (int i = 0; i < params.Count(); ++i) query_names.push_back(params[i].Name());
    EXPECT_EQ(query_names, test.names);
  }
  EXPECT_EQ(ParseError("where S = q'{abc}"), "SQL Parse Error:\r\n\r\nEOF in string detected");
  // What follows a NUL byte never reaches the server.
  TProcessedSql p = PreprocessSql(std::string("select :A\0 :B", 13), false);
  EXPECT_EQ(p.text, "select ?");
  EXPECT_EQ(p.names, Names{"A"});
}

TEST(MarkerScan, ParseErrors) {
  EXPECT_EQ(ParseError("where A = : B\r\n"), "SQL Parse Error:\r\n\r\nParameter name expected");
  EXPECT_EQ(ParseError("where A = ?\r\n"), "SQL Parse Error:\r\n\r\nParameter name expected");
  EXPECT_EQ(ParseError("select 'abc\r\n"), "SQL Parse Error:\r\n\r\nEOF in string detected");
  EXPECT_EQ(ParseError("select \"abc\r\n"), "SQL Parse Error:\r\n\r\nEOF in string detected");
  EXPECT_EQ(ParseError("select 1 /* abc\r\n"), "SQL Parse Error:\r\n\r\nEOF in comment detected");
  // A quoted name that never closes has no name.
  EXPECT_EQ(ParseError("where A = :\"abc\r\n", true),
            "SQL Parse Error:\r\n\r\nParameter name expected");
}

TEST(MarkerScan, GeneratedNamesCountFromZero) {
  TProcessedSql p = PreprocessSql("insert into T values (?, ?, :x, ?)\r\n", true);
  EXPECT_EQ(p.text, "insert into T values (?, ?, ?, ?)\r\n");
  EXPECT_EQ(p.names, (Names{"TavrelParam0", "TavrelParam1", "x", "TavrelParam2"}));
}

TEST(MarkerScan, TextWithoutMarkersIsUnchanged) {
  const std::string sql = "select \"A\"\"B\", '' from T /* */\r\n";
  TProcessedSql p = PreprocessSql(sql, false);
  EXPECT_EQ(p.text, sql);
  EXPECT_TRUE(p.names.empty());
  EXPECT_TRUE(PreprocessSql("", false).text.empty());
}

// Random texts made of the characters that steer the scan: it either rewrites or raises
// the parse error, never anything else, and its output never outgrows the input.
TEST(MarkerScan, RandomTextsNeverBreakTheScanner) {
  const std::string alphabet = "'\"/*:?- \r\nAa_$9\x01\xe9\xff";
  std::mt19937 random(20240611);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 40);
  int parsed = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string sql;
    for (int i = length(random); i > 0; --i) sql += alphabet[pick(random)];
    if (round % 2) sql += "\r\n";
    for (bool generate : {false, true}) {
      try {
        TProcessedSql p = PreprocessSql(sql, generate);
        ASSERT_LE(p.text.size(), sql.size()) << sql;
        ++parsed;
      } catch (const EIBClientError& e) {
        ASSERT_EQ(e.SqlErrorCode(), ceSqlParseError) << sql;
      }
    }
  }
  EXPECT_GT(parsed, 100);
}

}  // namespace
