#include "data/export/csv_writer.h"

#include <ibase.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <ostream>

#include "data/core/charset.h"
#include "data/core/format_settings.h"
#include "data/dataset/dataset.h"
#include "data/dataset/fields.h"
#include "data/errors/errors.h"

namespace {

// The buffer goes to the sink when it holds this much.
constexpr size_t kFlushSize = 1 << 16;
constexpr char kHexDigits[] = "0123456789ABCDEF";

// Firebird counts days from 17 November 1858; CivilFromDays from 30 December 1899.
constexpr int32_t kIscDateOf1899_12_30 = 15018;

void AppendDigits(std::string& out, int value, int width) {
  char digits[12];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  (void)error;
  for (int n = static_cast<int>(end - digits); n < width; ++n) out += '0';
  out.append(digits, end);
}

template <typename T>
void AppendNumber(std::string& out, T value) {
  char digits[32];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  (void)error;
  out.append(digits, end);
}

void AppendDate(std::string& out, int32_t isc_date) {
  int year = 0, month = 0, day = 0;
  CivilFromDays(static_cast<int64_t>(isc_date) - kIscDateOf1899_12_30, year, month, day);
  AppendDigits(out, year, 4);
  out += '-';
  AppendDigits(out, month, 2);
  out += '-';
  AppendDigits(out, day, 2);
}

// Ten-thousandths of a second since midnight; the fraction only when there is one.
void AppendTime(std::string& out, uint32_t isc_time) {
  const uint32_t seconds = isc_time / 10000;
  AppendDigits(out, static_cast<int>(seconds / 3600), 2);
  out += ':';
  AppendDigits(out, static_cast<int>(seconds / 60 % 60), 2);
  out += ':';
  AppendDigits(out, static_cast<int>(seconds % 60), 2);
  if (const uint32_t fraction = isc_time % 10000) {
    out += '.';
    AppendDigits(out, static_cast<int>(fraction), 4);
  }
}

// The exact decimal text of raw * 10^scale, with '.'.
void AppendScaled(std::string& out, int64_t raw, int scale) {
  if (scale >= 0) {
    AppendNumber(out, raw);
    if (raw != 0) out.append(static_cast<size_t>(scale), '0');
    return;
  }
  const uint64_t magnitude = raw < 0 ? 0 - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw);
  char digits[32];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, magnitude);
  (void)error;
  const size_t count = static_cast<size_t>(end - digits);
  const size_t decimals = static_cast<size_t>(-scale);
  if (raw < 0) out += '-';
  if (count <= decimals) {
    out += "0.";
    out.append(decimals - count, '0');
    out.append(digits, count);
  } else {
    out.append(digits, count - decimals);
    out += '.';
    out.append(digits + count - decimals, decimals);
  }
}

// The field's native value; false for NULL.
template <typename T>
bool Read(const TField& field, T& value) {
  alignas(8) char raw[16] = {};
  if (!field.GetData(raw)) return false;
  std::memcpy(&value, raw, sizeof value);
  return true;
}

bool NeedsQuotes(std::string_view text) {
  for (char c : text)
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  return false;
}

// Text fields whose bytes are already UTF-8 (or ASCII) as the row holds them.
bool BytesAreUtf8(int char_set) {
  return char_set == csUtf8 || char_set == csUnicodeFss || char_set == csAscii;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Sinks

TFileCsvSink::TFileCsvSink(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) Fail(errno);
}

TFileCsvSink::~TFileCsvSink() {
  if (file_) std::fclose(file_);
}

void TFileCsvSink::Fail(int code) const {
  throw EOSError(code, "Não foi possível gravar " + path_ + ": " + std::strerror(code));
}

void TFileCsvSink::Write(const char* data, size_t size) {
  if (!file_) Fail(EBADF);
  if (size != 0 && std::fwrite(data, 1, size, file_) != size) Fail(errno ? errno : EIO);
}

void TFileCsvSink::Close() {
  if (!file_) return;
  const bool flushed = std::fflush(file_) == 0;
  const int code = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed || !closed) Fail(code ? code : EIO);
}

void TOstreamCsvSink::Write(const char* data, size_t size) {
  out_.write(data, static_cast<std::streamsize>(size));
}

// ---------------------------------------------------------------------------------------
// The writer

TCsvWriter::TCsvWriter(TCsvSink& sink) : sink_(sink) {
  buffer_.reserve(kFlushSize + 4096);
}

void TCsvWriter::Flush() {
  if (buffer_.empty()) return;
  sink_.Write(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void TCsvWriter::EndLine() {
  buffer_ += "\r\n";
  if (buffer_.size() >= kFlushSize) Flush();
}

void TCsvWriter::AppendText(std::string_view text) {
  if (!NeedsQuotes(text)) {
    buffer_.append(text);
    return;
  }
  buffer_ += '"';
  for (char c : text) {
    if (c == '"') buffer_ += '"';
    buffer_ += c;
  }
  buffer_ += '"';
}

// ISO8859_1 bytes are their own code points: converted in place, with no text made.
void TCsvWriter::AppendLatin1(std::string_view bytes) {
  bool ascii = true;
  for (char c : bytes) ascii &= static_cast<unsigned char>(c) < 0x80;
  if (ascii) return AppendText(bytes);
  const bool quoted = NeedsQuotes(bytes);
  if (quoted) buffer_ += '"';
  for (char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x80) {
      if (c == '"' && quoted) buffer_ += '"';
      buffer_ += c;
    } else {
      buffer_ += static_cast<char>(0xC0 | (u >> 6));
      buffer_ += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  if (quoted) buffer_ += '"';
}

void TCsvWriter::WriteHeader(const std::vector<TField*>& fields) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) buffer_ += ',';
    AppendText(fields[i]->FieldName());
  }
  EndLine();
}

void TCsvWriter::WriteRow(const std::vector<TField*>& fields) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) buffer_ += ',';
    AppendValue(*fields[i]);
  }
  EndLine();
}

void TCsvWriter::AppendValue(const TField& field) {
  int32_t int32 = 0;
  int64_t int64 = 0;
  double real = 0;
  uint32_t time = 0;
  ISC_TIMESTAMP stamp{};
  uint8_t flag = 0;
  switch (field.DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
      if (Read(field, int32)) AppendNumber(buffer_, int32);
      return;
    case ftLargeint:
      if (Read(field, int64)) AppendNumber(buffer_, int64);
      return;
    case ftBCD:
      if (Read(field, int64)) AppendScaled(buffer_, int64, field.Scale());
      return;
    case ftFloat:
      if (field.Scale() < 0) {
        if (Read(field, int64)) AppendScaled(buffer_, int64, field.Scale());
      } else if (Read(field, real)) {
        // A FLOAT's value reads back from the float's own shortest digits.
        const auto* real_field = dynamic_cast<const TFloatField*>(&field);
        if (real_field && real_field->SinglePrecision())
          AppendNumber(buffer_, static_cast<float>(real));
        else
          AppendNumber(buffer_, real);
      }
      return;
    case ftDate:
      if (Read(field, int32)) AppendDate(buffer_, int32);
      return;
    case ftTime:
      if (Read(field, time)) AppendTime(buffer_, time);
      return;
    case ftDateTime:
      if (!Read(field, stamp)) return;
      AppendDate(buffer_, stamp.timestamp_date);
      buffer_ += 'T';
      AppendTime(buffer_, stamp.timestamp_time);
      return;
    case ftBoolean:
      if (Read(field, flag)) buffer_ += flag ? "true" : "false";
      return;
    case ftString: {
      const auto& text_field = static_cast<const TStringField&>(field);
      // The common sets straight from the row's bytes; padding, OCTETS and the other
      // sets as the field itself reads them.
      if (!text_field.FixedChar() && field.DataSet() &&
          (BytesAreUtf8(field.CharSet()) || field.CharSet() == csIso8859_1)) {
        if (!field.DataSet()->GetFieldBytes(&field, bytes_)) return;
        if (field.CharSet() == csIso8859_1)
          AppendLatin1(bytes_);
        else
          AppendText(bytes_);
        return;
      }
      if (!field.IsNull()) AppendText(field.AsString());
      return;
    }
    case ftBlob:
    case ftGraphic: {
      if (field.IsNull()) return;
      const std::string bytes = field.AsString();
      buffer_.reserve(buffer_.size() + bytes.size() * 2);
      for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        buffer_ += kHexDigits[u >> 4];
        buffer_ += kHexDigits[u & 0x0F];
      }
      return;
    }
    default:  // text blobs, and any other type as its own text
      if (!field.IsNull()) AppendText(field.AsString());
      return;
  }
}

TCsvExportResult ExportCsv(TDataSet& dataset, const std::vector<TField*>& fields, TCsvSink& sink,
                           const std::function<void(int64_t rows, bool& stop)>& progress,
                           int64_t step) {
  TCsvExportResult result;
  TCsvWriter writer(sink);
  dataset.DisableControls();
  try {
    writer.WriteHeader(fields);
    int64_t until_progress = step;
    for (dataset.First(); !dataset.Eof(); dataset.Next()) {
      writer.WriteRow(fields);
      ++result.rows;
      if (progress && --until_progress == 0) {
        until_progress = step;
        bool stop = false;
        progress(result.rows, stop);
        if (stop) {
          result.cancelled = true;
          break;
        }
      }
    }
    writer.Flush();
  } catch (...) {
    dataset.EnableControls();
    throw;
  }
  dataset.EnableControls();
  return result;
}
