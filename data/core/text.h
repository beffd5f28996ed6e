// Trimming as the layer does it everywhere: blanks and control characters; and the
// character count of a text.
#pragma once

#include "data/core/charset.h"

#include <string>

inline std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

inline std::string TrimRight(std::string text) {
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
  return text;
}

// The characters UTF-8 `text` holds, as a column's size counts them; every length check
// counts through here.
inline size_t CharacterCount(const std::string& text) {
  return Utf8Length(text);
}
