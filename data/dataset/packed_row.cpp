#include "data/dataset/packed_row.h"

#include <ibase.h>

#include <algorithm>

#include "data/dataset/ib_dataset.h"

namespace ib_row {

namespace {

inline const char* GetLength(const char* in, size_t& length) {
  const auto first = static_cast<unsigned char>(in[0]);
  if (first < 0x80) {
    length = first;
    return in + 1;
  }
  length = (static_cast<size_t>(first & 0x7F) << 8) | static_cast<unsigned char>(in[1]);
  return in + 2;
}

// One column of a row buffer, as its descriptor says.
struct TColumnView {
  int type;
  size_t size;
  size_t offset;
  size_t length;
  bool null;
};
inline TColumnView ViewOf(const char* row, int i) {
  const size_t d = ColumnOffset(static_cast<size_t>(i));
  return {Get<int16_t>(row, d + kSqlType), static_cast<size_t>(Get<int16_t>(row, d + kDataSize)),
          static_cast<size_t>(Get<int32_t>(row, d + kDataOffset)),
          static_cast<size_t>(std::max<int16_t>(Get<int16_t>(row, d + kDataLength), 0)),
          Get<uint8_t>(row, d + kNull) != 0};
}

inline size_t NullBytes(int columns) {
  return (static_cast<size_t>(columns) + 7) / 8;
}

inline size_t SlotBytes(const TPackLayout& layout) {
  return static_cast<size_t>(layout.blob_slots) * kBlobSlotSize;
}

}  // namespace

size_t Pack(const char* row, const TPackLayout& layout, char* out) {
  const int columns = Get<int16_t>(row, kColumnCount);
  out[kPackedStatus] = row[kUpdateStatus];
  std::memcpy(out + kPackedDbKey, row + kDbKey, kDbKeySize);
  char* nulls = out + kPackedHeaderSize;
  std::memset(nulls, 0, NullBytes(columns));
  char* at = nulls + NullBytes(columns);
  for (int i = 0; i < columns; ++i) {
    const TColumnView c = ViewOf(row, i);
    if (c.size == 0) continue;
    if (c.null) {
      nulls[i / 8] = static_cast<char>(nulls[i / 8] | (1 << (i % 8)));
      continue;
    }
    const char* data = row + c.offset;
    if (c.type == SQL_VARYING) {
      at = PutPackedLength(at, c.length);
      std::memcpy(at, data, c.length);
      at += c.length;
    } else if (c.type == SQL_TEXT) {
      const size_t kept = TrimmedLength(data, c.length);
      at = PutPackedLength(PutPackedLength(at, kept), c.length - kept);
      std::memcpy(at, data, kept);
      at += kept;
    } else {
      std::memcpy(at, data, c.size);
      at += c.size;
    }
  }
  std::memcpy(at, row + layout.blob_area, SlotBytes(layout));
  return static_cast<size_t>(at - out) + SlotBytes(layout);
}

void Unpack(const char* packed, const char* model, const TPackLayout& layout, int record,
            char* row) {
  const int columns = Get<int16_t>(model, kColumnCount);
  // The descriptors never change; the data area is written column by column.
  std::memcpy(row, model, ColumnOffset(static_cast<size_t>(columns)));
  Put<int32_t>(row, kRecordNumber, record);
  row[kUpdateStatus] = packed[kPackedStatus];
  std::memcpy(row + kDbKey, packed + kPackedDbKey, kDbKeySize);
  const char* nulls = packed + kPackedHeaderSize;
  const char* at = nulls + NullBytes(columns);
  for (int i = 0; i < columns; ++i) {
    const size_t d = ColumnOffset(static_cast<size_t>(i));
    const TColumnView c = ViewOf(model, i);
    if (c.size == 0) continue;
    const bool null = (nulls[i / 8] >> (i % 8)) & 1;
    Put<uint8_t>(row, d + kNull, null);
    Put<int16_t>(row, d + kDataLength, 0);
    if (null) continue;
    char* data = row + c.offset;
    if (c.type == SQL_VARYING) {
      size_t length;
      at = GetLength(at, length);
      std::memcpy(data, at, length);
      at += length;
      Put<int16_t>(row, d + kDataLength, static_cast<int16_t>(length));
    } else if (c.type == SQL_TEXT) {
      size_t kept, pad;
      at = GetLength(GetLength(at, kept), pad);
      std::memcpy(data, at, kept);
      std::memset(data + kept, ' ', pad);
      at += kept;
      Put<int16_t>(row, d + kDataLength, static_cast<int16_t>(kept + pad));
    } else {
      std::memcpy(data, at, c.size);
      at += c.size;
    }
  }
  std::memcpy(row + layout.blob_area, at, SlotBytes(layout));
}

size_t PackedLength(const char* packed, const char* model, const TPackLayout& layout) {
  const int columns = Get<int16_t>(model, kColumnCount);
  const char* nulls = packed + kPackedHeaderSize;
  const char* at = nulls + NullBytes(columns);
  for (int i = 0; i < columns; ++i) {
    const TColumnView c = ViewOf(model, i);
    if (c.size == 0 || ((nulls[i / 8] >> (i % 8)) & 1)) continue;
    size_t length;
    if (c.type == SQL_VARYING) {
      at = GetLength(at, length);
      at += length;
    } else if (c.type == SQL_TEXT) {
      size_t pad;
      at = GetLength(GetLength(at, length), pad);
      at += length;
    } else {
      at += c.size;
    }
  }
  return static_cast<size_t>(at - packed) + SlotBytes(layout);
}

}  // namespace ib_row
