// The console's editor: SQL highlighting (keywords, literals, comments, numbers) and
// line numbers in a margin on its left.
#pragma once

#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class TSqlHighlighter : public QSyntaxHighlighter {
 public:
  explicit TSqlHighlighter(QTextDocument* document);

  // Block states: inside a literal, a quoted name or a block comment that goes on.
  // Inside a q'x...x' literal the state is kInQLiteral plus its closing character
  // times 256.
  enum TState { kPlain = 0, kInLiteral = 1, kInQuotedName = 2, kInComment = 3, kInQLiteral = 4 };

  QTextCharFormat keyword_format;
  QTextCharFormat literal_format;
  QTextCharFormat comment_format;
  QTextCharFormat number_format;

 protected:
  void highlightBlock(const QString& text) override;

 private:
  QRegularExpression keywords_;
  QRegularExpression numbers_;
};

class TSqlEditor : public QPlainTextEdit {
 public:
  explicit TSqlEditor(QWidget* parent);
  TSqlHighlighter* Highlighter() const { return highlighter_; }
  // The margin's width: room for the widest line number.
  int LineNumberWidth() const;
  // The line the cursor is on, from 1.
  int CurrentLine() const { return textCursor().blockNumber() + 1; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PaintLineNumbers(QPaintEvent* event);
  void UpdateMargin();

  class TLineNumberArea;
  TLineNumberArea* margin_;
  TSqlHighlighter* highlighter_;
};
