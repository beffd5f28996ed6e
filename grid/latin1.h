// Text crossing between the data layer (ISO8859_1 bytes) and Qt (Unicode).
#pragma once

#include <QFile>
#include <QString>
#include <string>

#include "data/errors/errors.h"

inline QString FromLatin1(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Refuses what ISO8859_1 cannot hold rather than storing a replacement '?'.
inline std::string ToLatin1(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar c : text) {
    if (c.unicode() > 0xFF) {
      throw EConvertError(Format("Character U+%04X cannot be represented in ISO8859_1",
                                 {static_cast<int>(c.unicode())}));
    }
    out += static_cast<char>(c.unicode());
  }
  return out;
}

// File names are the file system's bytes, not ISO8859_1 text: they go to the client
// library as they are, so a path with accents still names the file on disk.
inline std::string FileNameBytes(const QString& file_name) {
  return QFile::encodeName(file_name).toStdString();
}
inline QString FileNameText(const std::string& file_name) {
  return QFile::decodeName(QByteArray::fromStdString(file_name));
}
