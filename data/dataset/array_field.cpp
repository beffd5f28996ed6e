#include "data/dataset/array_field.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "data/client_api/client_api.h"
#include "data/core/charset.h"
#include "data/database/database.h"
#include "data/dataset/ib_dataset.h"
#include "data/errors/errors.h"
#include "data/transaction/transaction.h"

namespace {

// A cell shows the start of a large array; the rest is cut with "…".
constexpr size_t kShownElements = 1000;

std::string Scaled(int64_t value, int scale) {
  char digits[32];
  std::snprintf(digits, sizeof digits, "%" PRId64, value);
  std::string text = digits;
  if (scale >= 0) return scale == 0 ? text : text + std::string(static_cast<size_t>(scale), '0');
  const bool negative = value < 0;
  std::string body = negative ? text.substr(1) : text;
  const size_t places = static_cast<size_t>(-scale);
  if (body.size() <= places) body.insert(0, places - body.size() + 1, '0');
  body.insert(body.size() - places, ".");
  return negative ? "-" + body : body;
}

std::string Date(ISC_DATE date) {
  tm parts{};
  ClientApi().isc_decode_sql_date(&date, &parts);
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday);
  return text;
}

std::string Time(ISC_TIME time) {
  char text[48];
  const unsigned seconds = time / 10000, fraction = time % 10000;
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  std::string out = text;
  if (fraction != 0) {
    std::snprintf(text, sizeof text, ".%04u", fraction);
    out += text;
  }
  return out;
}

std::string Quoted(std::string_view bytes, int char_set) {
  std::string text = DecodeText(bytes, char_set);
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

template <typename T>
T Read(const char* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// One element at `at`, which has `size` bytes.
std::string Element(const ISC_ARRAY_DESC& desc, const char* at, size_t size, int char_set) {
  switch (desc.array_desc_dtype) {
    case blr_short:
      return Scaled(Read<int16_t>(at), desc.array_desc_scale);
    case blr_long:
      return Scaled(Read<int32_t>(at), desc.array_desc_scale);
    case blr_int64:
      return Scaled(Read<int64_t>(at), desc.array_desc_scale);
    case blr_float: {
      char text[32];
      std::snprintf(text, sizeof text, "%.7g", static_cast<double>(Read<float>(at)));
      return text;
    }
    case blr_double:
    case blr_d_float: {
      char text[32];
      std::snprintf(text, sizeof text, "%.15g", Read<double>(at));
      return text;
    }
    case blr_sql_date:
      return Date(Read<ISC_DATE>(at));
    case blr_sql_time:
      return Time(Read<ISC_TIME>(at));
    case blr_timestamp: {
      const auto stamp = Read<ISC_TIMESTAMP>(at);
      return Date(stamp.timestamp_date) + "T" + Time(stamp.timestamp_time);
    }
    case blr_bool:
      return at[0] ? "true" : "false";
    case blr_varying:
    case blr_varying2: {
      const auto length = static_cast<size_t>(std::max<int16_t>(Read<int16_t>(at), 0));
      return Quoted(std::string_view(at + 2, std::min(length, size - 2)), char_set);
    }
    case blr_text:
    case blr_text2: {
      std::string_view bytes(at, size);
      while (!bytes.empty() && bytes.back() == ' ') bytes.remove_suffix(1);
      return Quoted(bytes, char_set);
    }
    case blr_cstring:
    case blr_cstring2:
      return Quoted(std::string_view(at, strnlen(at, size)), char_set);
    default:
      return "?";
  }
}

size_t ElementSize(const ISC_ARRAY_DESC& desc) {
  switch (desc.array_desc_dtype) {
    case blr_varying:
    case blr_varying2:
      return static_cast<size_t>(desc.array_desc_length) + 2;
    default:
      return static_cast<size_t>(desc.array_desc_length);
  }
}

}  // namespace

std::string TArrayField::AsString() const {
  if (IsNull()) return "";
  const auto* dataset = dynamic_cast<const TIBCustomDataSet*>(DataSet());
  return dataset ? dataset->ArrayText(this) : "(ARRAY)";
}

std::string ReadArrayText(TIBDatabase& database, TIBTransaction& transaction,
                          const std::string& relation, const std::string& column, ISC_QUAD id) {
  const TClientApi& api = ClientApi();
  if (!api.isc_array_lookup_bounds || !api.isc_array_get_slice) return "(ARRAY)";
  const int names = database.CharSetId();
  const std::string relation_bytes = EncodeText(relation, names),
                    column_bytes = EncodeText(column, names);
  ISC_ARRAY_DESC desc{};
  transaction.Call(api.isc_array_lookup_bounds(ClientStatusVector(), database.HandleAddress(),
                                               transaction.HandleAddress(), relation_bytes.c_str(),
                                               column_bytes.c_str(), &desc),
                   true);
  const int dimensions = std::clamp<int>(desc.array_desc_dimensions, 1, 16);
  std::vector<size_t> extent(static_cast<size_t>(dimensions));
  size_t count = 1;
  for (int d = 0; d < dimensions; ++d) {
    const ISC_ARRAY_BOUND& bound = desc.array_desc_bounds[d];
    extent[d] = bound.array_bound_upper >= bound.array_bound_lower
                    ? static_cast<size_t>(bound.array_bound_upper - bound.array_bound_lower + 1)
                    : 0;
    count *= extent[d];
  }
  const size_t size = ElementSize(desc);
  if (count == 0 || size == 0) return "[]";
  std::vector<char> slice(count * size);
  ISC_LONG length = static_cast<ISC_LONG>(slice.size());
  transaction.Call(
      api.isc_array_get_slice(ClientStatusVector(), database.HandleAddress(),
                              transaction.HandleAddress(), &id, &desc, slice.data(), &length),
      true);
  // Elements come last index fastest: an opening bracket where an index starts at its
  // lower bound, a closing one where it ends.
  std::string text;
  int depth = 0;
  const size_t shown = std::min(count, kShownElements);
  for (size_t i = 0; i < shown; ++i) {
    size_t run = 1;
    int opened = 0;
    for (int d = dimensions - 1; d >= 0; --d) {
      run *= extent[d];
      if (i % run == 0) ++opened;
    }
    if (i > 0) text += ", ";
    text.append(static_cast<size_t>(opened), '[');
    text += Element(desc, slice.data() + i * size, size, database.CharSetId());
    int closed = 0;
    run = 1;
    for (int d = dimensions - 1; d >= 0; --d) {
      run *= extent[d];
      if ((i + 1) % run == 0) ++closed;
    }
    text.append(static_cast<size_t>(closed), ']');
    depth += opened - closed;
  }
  if (shown < count) text += ", …" + std::string(static_cast<size_t>(depth), ']');
  return text;
}
