// The console editor's highlighting and line-number margin.
#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextLayout>

#include "support/qt_environment.h"
#include "workbench/console/sql_editor.h"

namespace {

[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// The format the highlighter gave the character at `column` of line `line` (from 0).
QTextCharFormat FormatAt(const TSqlEditor& editor, int line, int column) {
  const QTextBlock block = editor.document()->findBlockByNumber(line);
  for (const QTextLayout::FormatRange& range : block.layout()->formats())
    if (column >= range.start && column < range.start + range.length) return range.format;
  return {};
}

TEST(SqlEditor, QLiteralsAreLiteralsAcrossLinesWhateverTheyHold) {
  TSqlEditor editor(nullptr);
  const TSqlHighlighter& h = *editor.Highlighter();
  editor.setPlainText(
      "select q'{it's -- no comment}', seq from T\n"
      "where A = q'!one\n"
      "two' from!' and B = 1");
  EXPECT_EQ(FormatAt(editor, 0, 7), h.literal_format);   // q'{
  EXPECT_EQ(FormatAt(editor, 0, 16), h.literal_format);  // "-- no comment" is inside
  EXPECT_EQ(FormatAt(editor, 0, 36), h.keyword_format);  // from, after it
  EXPECT_EQ(FormatAt(editor, 2, 3), h.literal_format);   // a lone quote does not end it
  EXPECT_EQ(FormatAt(editor, 2, 5), h.literal_format);   // nor is "from" a keyword there
  EXPECT_EQ(FormatAt(editor, 2, 12), h.keyword_format);  // and, after !'
}

TEST(SqlEditor, HighlightsKeywordsLiteralsCommentsAndNumbers) {
  TSqlEditor editor(nullptr);
  const TSqlHighlighter& h = *editor.Highlighter();
  editor.setPlainText(
      "select 'from' , \"select\", 42 -- where\n"
      "from T /* a comment\n"
      "still 'the comment' */ where X = 'it''s\n"
      "and on' or 7");
  EXPECT_EQ(FormatAt(editor, 0, 0), h.keyword_format);   // select
  EXPECT_EQ(FormatAt(editor, 0, 8), h.literal_format);   // 'from' is a literal
  EXPECT_NE(FormatAt(editor, 0, 17), h.keyword_format);  // "select" is a name
  EXPECT_EQ(FormatAt(editor, 0, 26), h.number_format);   // 42
  EXPECT_EQ(FormatAt(editor, 0, 32), h.comment_format);  // -- where
  EXPECT_EQ(FormatAt(editor, 1, 0), h.keyword_format);   // from
  EXPECT_EQ(FormatAt(editor, 1, 10), h.comment_format);  // the block comment...
  EXPECT_EQ(FormatAt(editor, 2, 8), h.comment_format);   // ...goes on, literal and all
  EXPECT_EQ(FormatAt(editor, 2, 23), h.keyword_format);  // where, after it
  EXPECT_EQ(FormatAt(editor, 2, 36), h.literal_format);  // a doubled quote stays inside
  EXPECT_EQ(FormatAt(editor, 3, 1), h.literal_format);   // the literal's second line
  EXPECT_EQ(FormatAt(editor, 3, 8), h.keyword_format);   // or
  EXPECT_EQ(FormatAt(editor, 3, 11), h.number_format);   // 7
}

TEST(SqlEditor, TheMarginMakesRoomForTheWidestLineNumber) {
  TSqlEditor editor(nullptr);
  editor.setPlainText("select 1");
  const int narrow = editor.LineNumberWidth();
  EXPECT_GT(narrow, 0);
  EXPECT_GE(editor.viewport()->geometry().left(), narrow);
  editor.setPlainText(QString("x\n").repeated(1200));
  EXPECT_GT(editor.LineNumberWidth(), narrow);
  EXPECT_GE(editor.viewport()->geometry().left(), editor.LineNumberWidth());
  QTextCursor cursor(editor.document()->findBlockByNumber(41));
  editor.setTextCursor(cursor);
  EXPECT_EQ(editor.CurrentLine(), 42);
}

}  // namespace
