// Text crossing between the data layer (UTF-8 in std::string) and Qt (QString).
#pragma once

#include <QFile>
#include <QString>
#include <string>

// Data-layer text as Qt's.
inline QString ToQt(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Qt's text as the data layer's, whole: UTF-8 holds every character.
inline std::string FromQt(const QString& text) {
  return text.toUtf8().toStdString();
}

// File names are the file system's bytes, not text of a character set: they go to the
// client library as they are, so a path with accents still names the file on disk.
inline std::string FileNameBytes(const QString& file_name) {
  return QFile::encodeName(file_name).toStdString();
}
inline QString FileNameText(const std::string& file_name) {
  return QFile::decodeName(QByteArray::fromStdString(file_name));
}
