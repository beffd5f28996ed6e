// A dataset's rows as CSV (RFC 4180): UTF-8, CRLF line ends, a header line of field
// names, and each value in a form that reads back the same whatever the locale:
//   NULL                  an empty field
//   integers, scaled      the exact stored digits, '.' as the decimal separator
//   floating point        the shortest text that reads back as the same double
//   DATE, TIME, TIMESTAMP ISO 8601: YYYY-MM-DD, HH:MM:SS[.ffff], YYYY-MM-DDTHH:MM:SS[.ffff]
//   BOOLEAN               true / false
//   text, text blobs      the text
//   binary blobs          hexadecimal digits, two a byte, upper case
// A field with a comma, a double quote, CR or LF is quoted, its quotes doubled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

class TDataSet;
class TField;

// Where the CSV bytes go.
class TCsvSink {
 public:
  virtual ~TCsvSink() = default;
  virtual void Write(const char* data, size_t size) = 0;
};

// A file, created or emptied. A failure to open or write raises EOSError naming the file.
class TFileCsvSink : public TCsvSink {
 public:
  explicit TFileCsvSink(const std::string& path);
  ~TFileCsvSink() override;
  TFileCsvSink(const TFileCsvSink&) = delete;
  TFileCsvSink& operator=(const TFileCsvSink&) = delete;
  void Write(const char* data, size_t size) override;
  // Flushes and closes; a full disk shows only here, so it raises too.
  void Close();

 private:
  [[noreturn]] void Fail(int code) const;
  std::string path_;
  std::FILE* file_ = nullptr;
};

class TOstreamCsvSink : public TCsvSink {
 public:
  explicit TOstreamCsvSink(std::ostream& out) : out_(out) {}
  void Write(const char* data, size_t size) override;

 private:
  std::ostream& out_;
};

// Formats rows into a buffer handed to the sink in large pieces.
class TCsvWriter {
 public:
  explicit TCsvWriter(TCsvSink& sink);
  TCsvWriter(const TCsvWriter&) = delete;
  TCsvWriter& operator=(const TCsvWriter&) = delete;

  // The fields' names.
  void WriteHeader(const std::vector<TField*>& fields);
  // The fields' values in the dataset's active row.
  void WriteRow(const std::vector<TField*>& fields);
  // Hands what is buffered to the sink.
  void Flush();

 private:
  void AppendValue(const TField& field);
  void AppendText(std::string_view text);
  void AppendLatin1(std::string_view bytes);
  void EndLine();

  TCsvSink& sink_;
  std::string buffer_;
  std::string bytes_;  // a text field's bytes, reused row after row
};

struct TCsvExportResult {
  int64_t rows = 0;
  bool cancelled = false;
};

// Writes `fields` of every row of `dataset`, from the first, with the header line; the
// dataset fetches as it goes and its controls hear nothing until the end (the active row
// is then the last one reached). `progress` is told the rows written every `step` rows and
// may set `stop`; the rows written so far then reach the sink.
TCsvExportResult ExportCsv(TDataSet& dataset, const std::vector<TField*>& fields, TCsvSink& sink,
                           const std::function<void(int64_t rows, bool& stop)>& progress = nullptr,
                           int64_t step = 2000);
