// Reading CSV back in the tests, as a spreadsheet would: RFC 4180, strictly.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

using CsvRows = std::vector<std::vector<std::string>>;

// RFC 4180: fields split by commas, records by CRLF; a quoted field holds anything, its
// quotes doubled. Fails the test on a bare LF or a stray quote.
inline CsvRows ParseCsv(const std::string& text) {
  CsvRows rows;
  std::vector<std::string> row;
  std::string field;
  size_t i = 0;
  bool quoted = false;
  while (i < text.size()) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        i += 2;
      } else if (c == '"') {
        quoted = false;
        ++i;
      } else {
        field += c;
        ++i;
      }
    } else if (c == '"') {
      EXPECT_TRUE(field.empty()) << "a quote inside an unquoted field at " << i;
      quoted = true;
      ++i;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
      ++i;
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      i += 2;
    } else {
      EXPECT_NE(c, '\n') << "a bare line feed at " << i;
      EXPECT_NE(c, '\r') << "a bare carriage return at " << i;
      field += c;
      ++i;
    }
  }
  EXPECT_FALSE(quoted) << "an unterminated quoted field";
  EXPECT_TRUE(row.empty() && field.empty()) << "the last line lacks its CRLF";
  return rows;
}
