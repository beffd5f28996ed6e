// Firebird's character sets at the client edge: the bytes the library hands over or
// takes, in a column's or the connection's character set, against the program's UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Firebird's character set numbers (the low byte of a text column's sub-type).
enum TCharSetId : int {
  csNone = 0,
  csOctets = 1,
  csAscii = 2,
  csUnicodeFss = 3,
  csUtf8 = 4,
  csIso8859_1 = 21,
};

// The number of a character set name as Firebird spells it ("UTF8", "WIN1252"); -1 for
// a name it does not know.
int CharSetIdOf(std::string_view name);
// The name of a character set number, empty when unknown.
std::string CharSetName(int id);

// True when text converts to and from the set: Firebird knows some sets (CYRL) that
// nothing here can convert, and those are refused rather than passed through.
bool CanConvertCharSet(int id);
// The most bytes one character takes in the set (UTF8 4, UNICODE_FSS 3, most 1).
int BytesPerChar(int id);

// How a text column's bytes read: `id` is the column's character set as described;
// `legacy` is the set that bytes of NONE columns are taken in (ISO8859_1 unless the
// user chose another). OCTETS come out as hexadecimal digits. Bytes the set does not
// define raise EConvertError naming the set.
std::string DecodeText(std::string_view bytes, int id, int legacy = csIso8859_1);
// The bytes of UTF-8 `text` in set `id` (NONE: in `legacy`; OCTETS: `text` read as
// hexadecimal digits). A character the set cannot hold raises EConvertError naming the
// character and the set; nothing is ever replaced by '?'.
std::string EncodeText(std::string_view text, int id, int legacy = csIso8859_1);

// True when `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);
// Characters in UTF-8 text (code points; a broken sequence counts per byte).
size_t Utf8Length(std::string_view text);
// The first `count` characters of UTF-8 text, never splitting a sequence.
std::string_view Utf8Prefix(std::string_view text, size_t count);
// ISO8859_1 bytes as UTF-8, and back (raising EConvertError past U+00FF).
std::string Latin1ToUtf8(std::string_view bytes);
std::string Utf8ToLatin1(std::string_view text);
