#include "workbench/console/sql_editor.h"

#include <QPainter>
#include <QTextBlock>

namespace {

const char* const kKeywords[] = {
    "ADD",        "ALL",       "ALTER",      "AND",      "AS",        "ASC",      "BEGIN",
    "BETWEEN",    "BIGINT",    "BLOB",       "BOOLEAN",  "BY",        "CASE",     "CHAR",
    "CHECK",      "COMMIT",    "CONSTRAINT", "CREATE",   "DATE",      "DECIMAL",  "DECLARE",
    "DEFAULT",    "DELETE",    "DESC",       "DISTINCT", "DO",        "DOUBLE",   "DROP",
    "ELSE",       "END",       "EXCEPTION",  "EXECUTE",  "EXISTS",    "FOR",      "FOREIGN",
    "FROM",       "GENERATOR", "GRANT",      "GROUP",    "HAVING",    "IF",       "IN",
    "INDEX",      "INNER",     "INSERT",     "INTEGER",  "INTO",      "IS",       "JOIN",
    "KEY",        "LEFT",      "LIKE",       "NOT",      "NULL",      "NUMERIC",  "ON",
    "OR",         "ORDER",     "OUTER",      "PLAN",     "PRECISION", "PRIMARY",  "PROCEDURE",
    "REFERENCES", "RETAIN",    "RETURNING",  "RETURNS",  "RIGHT",     "ROLLBACK", "ROWS",
    "SELECT",     "SEQUENCE",  "SET",        "SMALLINT", "SUSPEND",   "TABLE",    "TERM",
    "THEN",       "TIME",      "TIMESTAMP",  "TO",       "TRIGGER",   "UNION",    "UNIQUE",
    "UPDATE",     "VALUES",    "VARCHAR",    "VARIABLE", "VIEW",      "WHEN",     "WHERE",
    "WHILE",      "WITH"};

QRegularExpression KeywordPattern() {
  QStringList words;
  for (const char* word : kKeywords) words << QString::fromLatin1(word);
  return QRegularExpression("\\b(" + words.join('|') + ")\\b",
                            QRegularExpression::CaseInsensitiveOption);
}

}  // namespace

TSqlHighlighter::TSqlHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document),
      keywords_(KeywordPattern()),
      numbers_(QStringLiteral("\\b\\d+(\\.\\d+)?([eE][-+]?\\d+)?\\b")) {
  keyword_format.setForeground(QColor(0, 0, 160));
  keyword_format.setFontWeight(QFont::Bold);
  literal_format.setForeground(QColor(160, 0, 0));
  comment_format.setForeground(QColor(0, 128, 0));
  comment_format.setFontItalic(true);
  number_format.setForeground(QColor(128, 0, 128));
}

void TSqlHighlighter::highlightBlock(const QString& text) {
  // Words and numbers first; literals and comments are laid over them afterwards.
  for (auto it = keywords_.globalMatch(text); it.hasNext();) {
    const auto match = it.next();
    setFormat(static_cast<int>(match.capturedStart()), static_cast<int>(match.capturedLength()),
              keyword_format);
  }
  for (auto it = numbers_.globalMatch(text); it.hasNext();) {
    const auto match = it.next();
    setFormat(static_cast<int>(match.capturedStart()), static_cast<int>(match.capturedLength()),
              number_format);
  }
  const int n = static_cast<int>(text.size());
  int state = previousBlockState() < 0 ? kPlain : previousBlockState();
  int i = 0;
  int start = 0;
  while (i < n) {
    if (state == kPlain) {
      const QChar c = text[i];
      start = i;
      const bool word_before = i > 0 && (text[i - 1].isLetterOrNumber() || text[i - 1] == '_' ||
                                         text[i - 1] == '$');
      if ((c == 'q' || c == 'Q') && !word_before && i + 2 < n && text[i + 1] == '\'' &&
          !text[i + 2].isSpace()) {
        // q'{...}': closed by the matching delimiter and a quote, whatever is inside.
        const QChar open = text[i + 2];
        const QChar close = open == '(' ? ')' : open == '[' ? ']' : open == '{' ? '}'
                          : open == '<' ? '>' : open;
        state = kInQLiteral + (close.unicode() << 8);
        i += 3;
      } else if (c == '\'' || c == '"') {
        state = c == '\'' ? kInLiteral : kInQuotedName;
        ++i;
      } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
        setFormat(i, n - i, comment_format);
        i = n;
      } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
        state = kInComment;
        i += 2;
      } else {
        ++i;
      }
      continue;
    }
    if (state == kInComment) {
      const int end = static_cast<int>(text.indexOf(QStringLiteral("*/"), i));
      const int stop = end < 0 ? n : end + 2;
      setFormat(start, stop - start, comment_format);
      if (end >= 0) state = kPlain;
      i = stop;
      start = i;
      continue;
    }
    if ((state & 0xFF) == kInQLiteral) {
      const QString closing = QString(QChar(static_cast<char16_t>(state >> 8))) + '\'';
      const int end = static_cast<int>(text.indexOf(closing, i));
      const int stop = end < 0 ? n : end + 2;
      setFormat(start, stop - start, literal_format);
      if (end >= 0) state = kPlain;
      i = stop;
      start = i;
      continue;
    }
    // Inside a literal or a quoted name: a doubled quote stands for one.
    const QChar quote = state == kInLiteral ? '\'' : '"';
    int j = i;
    while (j < n && !(text[j] == quote && !(j + 1 < n && text[j + 1] == quote))) {
      j += text[j] == quote ? 2 : 1;
    }
    const int stop = j < n ? j + 1 : n;
    // A quoted name is a name: it keeps the plain look, only its keywords are undone.
    setFormat(start, stop - start, state == kInLiteral ? literal_format : QTextCharFormat());
    if (j < n) state = kPlain;
    i = stop;
    start = i;
  }
  setCurrentBlockState(state);
}

class TSqlEditor::TLineNumberArea : public QWidget {
 public:
  explicit TLineNumberArea(TSqlEditor* editor) : QWidget(editor), editor_(editor) {}
  QSize sizeHint() const override { return {editor_->LineNumberWidth(), 0}; }

 protected:
  void paintEvent(QPaintEvent* event) override { editor_->PaintLineNumbers(event); }

 private:
  TSqlEditor* editor_;
};

TSqlEditor::TSqlEditor(QWidget* parent)
    : QPlainTextEdit(parent), margin_(new TLineNumberArea(this)) {
  highlighter_ = new TSqlHighlighter(document());
  connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { UpdateMargin(); });
  connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
    if (dy)
      margin_->scroll(0, dy);
    else
      margin_->update(0, rect.y(), margin_->width(), rect.height());
  });
  UpdateMargin();
}

int TSqlEditor::LineNumberWidth() const {
  int digits = 1;
  for (int max = std::max(1, blockCount()); max >= 10; max /= 10) ++digits;
  return 6 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(2, digits);
}

void TSqlEditor::UpdateMargin() {
  setViewportMargins(LineNumberWidth(), 0, 0, 0);
  const QRect area = contentsRect();
  margin_->setGeometry(area.left(), area.top(), LineNumberWidth(), area.height());
}

void TSqlEditor::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  UpdateMargin();
}

void TSqlEditor::PaintLineNumbers(QPaintEvent* event) {
  QPainter painter(margin_);
  painter.fillRect(event->rect(), palette().window());
  painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  while (block.isValid() && top <= event->rect().bottom()) {
    const int height = qRound(blockBoundingRect(block).height());
    if (block.isVisible() && top + height >= event->rect().top()) {
      painter.drawText(0, top, margin_->width() - 3, fontMetrics().height(), Qt::AlignRight,
                       QString::number(block.blockNumber() + 1));
    }
    block = block.next();
    top += height;
  }
}
