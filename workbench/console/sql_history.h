// What the console ran, newest last, with its time and outcome; kept between runs in a
// file under the user's data folder and bounded to the last kLimit runs.
#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

struct THistoryEntry {
  QString sql;
  QDateTime when;
  QString outcome;  // what the status bar said, or the error
};

class TSqlHistory {
 public:
  static constexpr int kLimit = 1000;

  // The file: history.json in $TAVREL_DATA_DIR when set (tests), else in the
  // application's data folder.
  static QString DefaultFile();

  explicit TSqlHistory(QString file = DefaultFile());
  const QString& File() const { return file_; }
  const std::vector<THistoryEntry>& Entries() const { return entries_; }
  // Appends the run and writes the file; a file that cannot be written raises.
  void Add(const QString& sql, const QString& outcome);

  // Ctrl+Up and Ctrl+Down: steps to an older (-1) or newer (+1) entry from where the
  // last step left off; false past either end. As a shell does, the text being written
  // (`current`, when the step leaves it) is kept as the draft that a step past the
  // newest entry gives back. A new run starts from the draft again.
  bool Step(int direction, const QString& current, QString* sql);

 private:
  void Load();
  void Save() const;

  QString file_;
  std::vector<THistoryEntry> entries_;
  int step_ = 0;  // index of the entry last stepped to; size() for the draft
  QString draft_;
};
