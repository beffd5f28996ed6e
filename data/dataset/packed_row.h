// The row cache's form of a row: what a row buffer holds, packed to the values' actual
// length. A row buffer is as wide as the widest value each column could hold; the cache
// keeps millions of rows, so it keeps only this.
//
//   status   uint8   the row's TUpdateStatus
//   DB key   8 bytes
//   nulls    one bit per column, set for NULL
//   values   per column that is not NULL, in order: a text as its length (1 or 2 bytes,
//            see PutLength) and its bytes, a CHAR as its length less the trailing
//            spaces, the number of those spaces and the bytes before them; any other
//            value in its row-buffer width (numbers, dates, blob ids)
//   slots    the row buffer's blob slots (there from the start, so that reading a
//            blob, which fills its slot, never makes the row grow)
//
// A column that the row buffer gives no room (the DB key column) has no value here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ib_row {

inline constexpr size_t kPackedStatus = 0;
inline constexpr size_t kPackedDbKey = 1;
inline constexpr size_t kPackedHeaderSize = 9;

// Where a row buffer's blob slots are, which the descriptors do not say.
struct TPackLayout {
  size_t blob_area = 0;
  int blob_slots = 0;
};

// Room enough for any row of a row buffer of `row_size` bytes and `columns` columns.
inline size_t PackedBound(size_t row_size, int columns) {
  return kPackedHeaderSize + row_size + 4 * static_cast<size_t>(columns);
}
// Packs `row` (a row buffer) into `out`, which has PackedBound bytes; returns the bytes
// written.
size_t Pack(const char* row, const TPackLayout& layout, char* out);
// Unpacks into `row`, a buffer laid out as `model`: descriptors from the model, values,
// status, DB key and blob slots from `packed`, and `record` as its record number.
void Unpack(const char* packed, const char* model, const TPackLayout& layout, int record,
            char* row);
// The bytes a packed row takes, read from the row itself.
size_t PackedLength(const char* packed, const char* model, const TPackLayout& layout);

// A text length as packed rows hold it: one byte below 128, else two with the top bit
// set (lengths reach 32767).
inline char* PutPackedLength(char* out, size_t length) {
  if (length < 0x80) {
    *out = static_cast<char>(length);
    return out + 1;
  }
  out[0] = static_cast<char>(0x80 | (length >> 8));
  out[1] = static_cast<char>(length & 0xFF);
  return out + 2;
}
// A CHAR's length without its trailing spaces: the server pads every value to the
// column's full width.
inline size_t TrimmedLength(const char* data, size_t length) {
  while (length > 0 && data[length - 1] == ' ') --length;
  return length;
}

inline uint8_t PackedStatus(const char* packed) {
  return static_cast<uint8_t>(packed[kPackedStatus]);
}
inline void SetPackedStatus(char* packed, uint8_t status) {
  packed[kPackedStatus] = static_cast<char>(status);
}
inline uint64_t PackedKey(const char* packed) {
  uint64_t key;
  std::memcpy(&key, packed + kPackedDbKey, sizeof key);
  return key;
}

}  // namespace ib_row
