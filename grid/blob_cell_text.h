// What a blob column's cell shows: the start of a text blob's text (its first line, cut
// at about a hundred characters), or a binary blob's size, "(binário, 2.345 bytes)". The
// texts are kept by blob identifier, so painting reads each blob from the server once.
#pragma once

#include <QString>
#include <cstdint>
#include <map>
#include <string>

class TField;

// Digits grouped by "." as the program writes counts: 2345 is "2.345".
QString GroupedDigits(int64_t number);
// "(binário, 2.345 bytes)", "(binário, 1 byte)".
QString BinarySizeText(int64_t size);
// The first line of `text`, cut at `max_chars` characters; "…" marks what was left out.
QString TextStart(const QString& text, int max_chars = 100);

class TBlobCellText {
 public:
  // The cell text of the blob field `field` in its dataset's active row, which is not
  // null. A row being edited is read through its stream, which holds the edit.
  QString Text(const TField& field);
  void Clear() { cache_.clear(); }

 private:
  std::map<std::string, QString> cache_;
};
