#include "workbench/console/sql_history.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include "data/errors/errors.h"
#include "grid/qt_text.h"

QString TSqlHistory::DefaultFile() {
  const QByteArray chosen = qgetenv("TAVREL_DATA_DIR");
  const QString folder = chosen.isEmpty()
                             ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                             : QString::fromLocal8Bit(chosen);
  return QDir(folder).filePath(QStringLiteral("history.json"));
}

TSqlHistory::TSqlHistory(QString file) : file_(std::move(file)) {
  Load();
}

void TSqlHistory::Load() {
  QFile file(file_);
  if (file.open(QIODevice::ReadOnly)) {
    // A damaged file is no reason to refuse the console: it starts a new history.
    for (const QJsonValue& value : QJsonDocument::fromJson(file.readAll()).array()) {
      const QJsonObject item = value.toObject();
      entries_.push_back({item.value("sql").toString(),
                          QDateTime::fromString(item.value("when").toString(), Qt::ISODateWithMs),
                          item.value("outcome").toString()});
    }
  }
  if (entries_.size() > kLimit) entries_.erase(entries_.begin(), entries_.end() - kLimit);
  step_ = static_cast<int>(entries_.size());
}

void TSqlHistory::Save() const {
  QJsonArray items;
  for (const THistoryEntry& entry : entries_) {
    items.append(QJsonObject{{"sql", entry.sql},
                             {"when", entry.when.toString(Qt::ISODateWithMs)},
                             {"outcome", entry.outcome}});
  }
  QDir().mkpath(QFileInfo(file_).absolutePath());
  QSaveFile file(file_);
  if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(items).toJson()) < 0 ||
      !file.commit())
    throw Exception(FromQt(QString::fromUtf8("Não foi possível gravar o histórico em ") + file_ +
                           ": " + file.errorString()));
}

void TSqlHistory::Add(const QString& sql, const QString& outcome) {
  entries_.push_back({sql, QDateTime::currentDateTime(), outcome});
  if (entries_.size() > kLimit) entries_.erase(entries_.begin());
  step_ = static_cast<int>(entries_.size());
  Save();
}

bool TSqlHistory::Step(int direction, const QString& current, QString* sql) {
  const int size = static_cast<int>(entries_.size());
  const int next = step_ + (direction < 0 ? -1 : 1);
  if (next < 0 || next > size) return false;
  if (step_ == size) draft_ = current;
  step_ = next;
  *sql = step_ == size ? draft_ : entries_[static_cast<size_t>(step_)].sql;
  return true;
}
