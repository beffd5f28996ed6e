#include "data/statement/xsqlda.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "data/core/charset.h"
#include "data/core/text.h"
#include "data/database/database.h"
#include "data/database/identifiers.h"
#include "data/errors/errors.h"
#include "data/statement/blob_io.h"
#include "data/statement/sql.h"

namespace {

constexpr int kMaxNameLength = 31;
// A text value's length must fit the slot's 16-bit length.
constexpr size_t kMaxTextLength = 32767;

[[noreturn]] void RaiseConversionError() {
  RaiseClientError(ceInvalidConversion);
}

bool IsKnownType(int type) {
  switch (type) {
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_BLOB:
    case SQL_ARRAY:
    case SQL_QUAD:
    case SQL_BOOLEAN:
    case SQL_NULL:  // a parameter of "? is null": it carries only its null indicator
      return true;
    default:
      return false;
  }
}

bool IsIntegerType(int type) {
  return type == SQL_SHORT || type == SQL_LONG || type == SQL_INT64;
}
bool IsFloatType(int type) {
  return type == SQL_FLOAT || type == SQL_DOUBLE || type == SQL_D_FLOAT;
}

std::string SlotText(const char* text, short length) {
  size_t n = length < 0 ? 0 : std::min<size_t>(static_cast<size_t>(length), 32);
  return std::string(text, n);
}

// Rounds to `decimals` places by way of 15 significant digits, as the text forms do.
double RoundDecimals(double value, int decimals) {
  if (!std::isfinite(value)) return value;
  char buffer[400];
  auto general =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  double rounded = value;
  std::from_chars(buffer, general.ptr, rounded);
  auto fixed =
      std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, decimals);
  if (fixed.ec != std::errc()) return rounded;
  double result = rounded;
  std::from_chars(buffer, fixed.ptr, result);
  return result;
}

int32_t TruncToInt32(double value) {
  double truncated = std::trunc(value);
  if (!(truncated >= -2147483648.0 && truncated <= 2147483647.0)) RaiseConversionError();
  return static_cast<int32_t>(truncated);
}

int64_t TruncToInt64(double value) {
  double truncated = std::trunc(value);
  if (!(truncated >= -9223372036854775808.0 && truncated < 9223372036854775808.0))
    RaiseConversionError();
  return static_cast<int64_t>(truncated);
}

int64_t CheckedMultiply(int64_t value, int64_t factor) {
  int64_t result = 0;
  if (__builtin_mul_overflow(value, factor, &result)) RaiseConversionError();
  return result;
}

// Firebird's own counts, to the ten-thousandth; client error 38 outside the years 1 to
// 9999.
void ToIsc(TDateTime value, ISC_DATE& date, ISC_TIME& time) {
  if (!DateTimeToIsc(value, date, time)) RaiseConversionError();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TIBXSQLVAR

TIBXSQLVAR::TIBXSQLVAR(TIBXSQLDA* parent, int index) : parent_(parent), index_(index) {}

const TIBDatabase* TIBXSQLVAR::Connection() const {
  const TIBSQL* statement = parent_->Statement();
  return statement ? statement->Database() : nullptr;
}

// Names come in the connection's character set.
std::string TIBXSQLVAR::NameText(const char* text, short length) const {
  const std::string bytes = SlotText(text, length);
  return Connection() ? Connection()->DecodeName(bytes) : bytes;
}
std::string TIBXSQLVAR::SqlName() const {
  return NameText(slot_->sqlname, slot_->sqlname_length);
}
std::string TIBXSQLVAR::RelName() const {
  return NameText(slot_->relname, slot_->relname_length);
}
std::string TIBXSQLVAR::OwnName() const {
  return NameText(slot_->ownname, slot_->ownname_length);
}
std::string TIBXSQLVAR::AliasName() const {
  return NameText(slot_->aliasname, slot_->aliasname_length);
}

int TIBXSQLVAR::MaxChars() const {
  return char_set_ < 0 ? max_len_ : max_len_ / std::max(BytesPerChar(char_set_), 1);
}

bool TIBXSQLVAR::TextSets(int& id, int& legacy) const {
  const TIBDatabase* database = Connection();
  id = char_set_ >= 0 ? char_set_ : database ? database->CharSetId() : csNone;
  legacy = database ? database->LegacyCharSetId() : csIso8859_1;
  // Text of a NONE connection that the server described in no set goes as it is.
  return char_set_ >= 0 || id != csNone;
}

std::string TIBXSQLVAR::DecodeValue(const std::string& bytes) const {
  int id, legacy;
  return TextSets(id, legacy) ? DecodeText(bytes, id, legacy) : bytes;
}

std::string TIBXSQLVAR::EncodeValue(const std::string& text) const {
  int id, legacy;
  return TextSets(id, legacy) ? EncodeText(text, id, legacy) : text;
}

int TIBXSQLVAR::Dialect() const {
  return parent_->Dialect();
}

std::vector<TIBXSQLVAR*> TIBXSQLVAR::Namesakes() const {
  std::vector<TIBXSQLVAR*> result;
  if (name_.empty()) {
    result.push_back(const_cast<TIBXSQLVAR*>(this));
    return result;
  }
  for (int i = 0; i < parent_->count_; ++i) {
    TIBXSQLVAR* var = parent_->vars_[i].get();
    if (var->name_ == name_) result.push_back(var);
  }
  return result;
}

void TIBXSQLVAR::ResizeBuffer(size_t size) {
  data_.resize(size < 1 ? 1 : size);
  slot_->sqldata = data_.data();
}

bool TIBXSQLVAR::IsNull() const {
  return IsNullable() && slot_->sqlind != nullptr && *slot_->sqlind == -1;
}

void TIBXSQLVAR::SetIsNullable(bool value) {
  for (TIBXSQLVAR* var : Namesakes()) {
    if (var->IsNullable() == value) continue;
    if (value) {
      var->slot_->sqltype |= 1;
      var->null_indicator_ = 0;
      var->slot_->sqlind = &var->null_indicator_;
    } else {
      var->slot_->sqltype &= ~1;
      var->slot_->sqlind = nullptr;
    }
  }
}

void TIBXSQLVAR::SetIsNull(bool value) {
  if (value) {
    if (!IsNullable()) SetIsNullable(true);
    for (TIBXSQLVAR* var : Namesakes()) {
      if (var->slot_->sqlind) *var->slot_->sqlind = -1;
      var->modified_ = true;
    }
  } else if (IsNullable()) {
    for (TIBXSQLVAR* var : Namesakes()) {
      if (var->slot_->sqlind) *var->slot_->sqlind = 0;
      var->modified_ = true;
    }
  }
}

void TIBXSQLVAR::WriteValue(int type, int scale, const void* bytes, int length) {
  if (IsNullable()) SetIsNull(false);
  for (TIBXSQLVAR* var : Namesakes()) {
    var->slot_->sqltype = static_cast<ISC_SHORT>(type | (var->slot_->sqltype & 1));
    var->slot_->sqlscale = static_cast<ISC_SHORT>(scale);
    var->slot_->sqllen = static_cast<ISC_SHORT>(length);
    var->ResizeBuffer(static_cast<size_t>(length));
    std::memcpy(var->data_.data(), bytes, static_cast<size_t>(length));
    var->modified_ = true;
  }
}

// --- reads -----------------------------------------------------------------------------

namespace {

int64_t RawInteger(int type, const char* data) {
  switch (type) {
    case SQL_SHORT: {
      int16_t v;
      std::memcpy(&v, data, sizeof v);
      return v;
    }
    case SQL_LONG: {
      int32_t v;
      std::memcpy(&v, data, sizeof v);
      return v;
    }
    default: {
      int64_t v;
      std::memcpy(&v, data, sizeof v);
      return v;
    }
  }
}

double RawFloat(int type, const char* data) {
  if (type == SQL_FLOAT) {
    float v;
    std::memcpy(&v, data, sizeof v);
    return v;
  }
  double v;
  std::memcpy(&v, data, sizeof v);
  return v;
}

}  // namespace

double TIBXSQLVAR::ScaledDouble(double value) const {
  return SqlScale() != 0 ? RoundDecimals(value, std::abs(SqlScale())) : value;
}

std::string TIBXSQLVAR::AsRawText() const {
  if (IsNull()) return "";
  switch (SqlType()) {
    case SQL_TEXT:
      return std::string(Data(), std::min<size_t>(static_cast<size_t>(Size()), data_.size()));
    case SQL_VARYING: {
      int16_t length;
      std::memcpy(&length, Data(), sizeof length);
      // Never past the buffer, whatever the length word says.
      size_t n = length < 0 ? 0 : static_cast<size_t>(length);
      n = std::min(n, data_.size() >= 2 ? data_.size() - 2 : 0);
      return std::string(Data() + 2, n);
    }
    default:
      return AsString();
  }
}

std::string TIBXSQLVAR::AsString() const {
  if (IsNull()) return "";
  const int type = SqlType();
  switch (type) {
    case SQL_TEXT: {
      std::string text = DecodeValue(AsRawText());
      // A CHAR of a set of several bytes a character comes padded to its bytes: it holds
      // its declared characters.
      if (char_set_ >= 0 && BytesPerChar(char_set_) > 1)
        text = std::string(Utf8Prefix(text, static_cast<size_t>(MaxChars())));
      return text;
    }
    case SQL_VARYING:
      return DecodeValue(AsRawText());
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
      return ScaledToStr(RawInteger(type, Data()), SqlScale());
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return FloatToStr(AsDouble(), type == SQL_FLOAT);
    case SQL_TIMESTAMP:
      return DateTimeToStr(AsDateTime());
    case SQL_TYPE_TIME:
      return TimeToStr(AsDateTime());
    case SQL_TYPE_DATE:
      if (Dialect() >= 3) return DateToStr(AsDateTime());
      if (Dialect() == 1) return DateTimeToStr(AsDateTime());
      return "";
    case SQL_BLOB:
      return char_set_ >= 0 ? DecodeValue(ReadBlob()) : ReadBlob();
    case SQL_ARRAY:
      return "(Array)";
    case SQL_BOOLEAN:
      return AsBoolean() ? "True" : "False";
    case SQL_NULL:
      return "";
    default:
      RaiseConversionError();
  }
}

std::string TIBXSQLVAR::AsTrimString() const {
  return TrimRight(AsString());
}

int16_t TIBXSQLVAR::AsShort() const {
  const int32_t value = AsLong();
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
    RaiseConversionError();
  return static_cast<int16_t>(value);
}

int32_t TIBXSQLVAR::AsLong() const {
  if (IsNull()) return 0;
  const int type = SqlType();
  if (type == SQL_TEXT || type == SQL_VARYING) {
    int32_t value = 0;
    if (!TryStrToInt(AsString(), value)) RaiseConversionError();
    return value;
  }
  if (IsIntegerType(type))
    return TruncToInt32(static_cast<double>(RawInteger(type, Data())) * std::pow(10.0, SqlScale()));
  if (IsFloatType(type)) return TruncToInt32(RawFloat(type, Data()));
  RaiseConversionError();
}

int64_t TIBXSQLVAR::AsInt64() const {
  if (IsNull()) return 0;
  const int type = SqlType();
  if (type == SQL_TEXT || type == SQL_VARYING) {
    int64_t value = 0;
    if (!TryStrToInt64(AsString(), value)) RaiseConversionError();
    return value;
  }
  if (IsIntegerType(type)) {
    int64_t value = RawInteger(type, Data());
    if (SqlScale() > 0) {
      int64_t factor = PowerOfTen(SqlScale());
      if (factor == 0) RaiseConversionError();
      return CheckedMultiply(value, factor);
    }
    if (SqlScale() < 0) {
      int64_t divisor = PowerOfTen(-SqlScale());
      return divisor == 0 ? 0 : value / divisor;
    }
    return value;
  }
  if (IsFloatType(type)) return TruncToInt64(RawFloat(type, Data()));
  RaiseConversionError();
}

double TIBXSQLVAR::AsDouble() const {
  if (IsNull()) return 0;
  const int type = SqlType();
  if (type == SQL_TEXT || type == SQL_VARYING) {
    double value = 0;
    if (!TryStrToFloat(AsString(), value)) RaiseConversionError();
    return ScaledDouble(value);
  }
  if (IsIntegerType(type)) {
    double value = static_cast<double>(RawInteger(type, Data()));
    if (SqlScale() > 0) value *= std::pow(10.0, SqlScale());
    if (SqlScale() < 0) value /= std::pow(10.0, -SqlScale());
    return ScaledDouble(value);
  }
  if (IsFloatType(type)) return ScaledDouble(RawFloat(type, Data()));
  RaiseConversionError();
}

Currency TIBXSQLVAR::AsCurrency() const {
  if (IsNull()) return Currency{};
  if (Dialect() < 3) {
    double value = AsDouble();
    if (!(std::fabs(value) < 9.2e14)) RaiseConversionError();
    return Currency::FromDouble(value);
  }
  const int type = SqlType();
  if (type == SQL_TEXT || type == SQL_VARYING) {
    Currency value;
    if (!TryStrToCurr(AsString(), value)) RaiseConversionError();
    return value;
  }
  if (IsIntegerType(type)) {
    int64_t value = RawInteger(type, Data());
    if (SqlScale() < 0) {
      Currency result;
      if (!TryStrToCurr(ScaledToStr(value, SqlScale()), result)) RaiseConversionError();
      return result;
    }
    int64_t factor = PowerOfTen(SqlScale() + 4);
    if (factor == 0) RaiseConversionError();
    return Currency{CheckedMultiply(value, factor)};
  }
  if (IsFloatType(type)) {
    // Kept to the ten-thousandth; cutting to a whole number would lose the fraction.
    double value = RawFloat(type, Data());
    if (!(std::fabs(value) < 9.2e14)) RaiseConversionError();
    return Currency::FromDouble(value);
  }
  RaiseConversionError();
}

TDateTime TIBXSQLVAR::AsDateTime() const {
  if (IsNull()) return 0;
  switch (SqlType()) {
    case SQL_TEXT:
    case SQL_VARYING: {
      TDateTime value = 0;
      if (!TryStrToDateTime(AsString(), value)) RaiseConversionError();
      return value;
    }
    case SQL_TIMESTAMP: {
      ISC_TIMESTAMP stamp;
      std::memcpy(&stamp, Data(), sizeof stamp);
      return IscTimestampToDateTime(stamp.timestamp_date, stamp.timestamp_time);
    }
    case SQL_TYPE_DATE: {
      ISC_DATE date;
      std::memcpy(&date, Data(), sizeof date);
      return IscDateToDateTime(date);
    }
    case SQL_TYPE_TIME: {
      ISC_TIME time;
      std::memcpy(&time, Data(), sizeof time);
      return IscTimeToDateTime(time);
    }
    default:
      RaiseConversionError();
  }
}

ISC_QUAD TIBXSQLVAR::AsQuad() const {
  ISC_QUAD quad{};
  if (IsNull()) return quad;
  const int type = SqlType();
  if (type != SQL_BLOB && type != SQL_ARRAY && type != SQL_QUAD) RaiseConversionError();
  std::memcpy(&quad, Data(), std::min(sizeof quad, data_.size()));
  return quad;
}

bool TIBXSQLVAR::AsBoolean() const {
  if (IsNull()) return false;
  const int type = SqlType();
  if (type == SQL_BOOLEAN) return Data()[0] != 0;
  if (IsIntegerType(type)) return RawInteger(type, Data()) != 0;
  if (IsFloatType(type)) return RawFloat(type, Data()) != 0;
  if (type == SQL_TEXT || type == SQL_VARYING) {
    std::string text = Trim(AsString());
    for (char& c : text)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (text == "TRUE") return true;
    if (text == "FALSE") return false;
  }
  RaiseConversionError();
}

TVariant TIBXSQLVAR::AsVariant() const {
  if (IsNull()) return TVariant::Null();
  const int type = SqlType();
  switch (type) {
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_BLOB:
      return TVariant(AsString());
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
      if (SqlScale() == 0) {
        int64_t value = RawInteger(type, Data());
        if (type == SQL_SHORT) return TVariant(static_cast<int16_t>(value));
        if (type == SQL_LONG) return TVariant(static_cast<int32_t>(value));
        return TVariant(value);
      }
      if (SqlScale() >= -4 && Dialect() >= 3) return TVariant(AsCurrency());
      return TVariant(AsDouble());
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return TVariant(AsDouble());
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
      return TVariant::FromDate(AsDateTime());
    case SQL_ARRAY:
      return TVariant::OfType(varArray);
    case SQL_BOOLEAN:
      return TVariant(AsBoolean());
    case SQL_NULL:
      return TVariant::Null();
    default:
      RaiseConversionError();
  }
}

// --- blobs -----------------------------------------------------------------------------

std::string TIBXSQLVAR::ReadBlob() const {
  return ReadBlobContents(*parent_->Statement()->Base(), AsQuad());
}

ISC_QUAD TIBXSQLVAR::WriteBlob(const std::string& value) {
  return WriteBlobContents(*parent_->Statement()->Base(), value);
}

// --- writes ----------------------------------------------------------------------------

void TIBXSQLVAR::SetAsShort(int16_t value) {
  WriteValue(SQL_SHORT, 0, &value, sizeof value);
}

void TIBXSQLVAR::SetAsLong(int32_t value) {
  WriteValue(SQL_LONG, 0, &value, sizeof value);
}

void TIBXSQLVAR::SetAsInt64(int64_t value) {
  WriteValue(SQL_INT64, 0, &value, sizeof value);
}

void TIBXSQLVAR::SetAsDouble(double value) {
  WriteValue(SQL_DOUBLE, 0, &value, sizeof value);
}

void TIBXSQLVAR::SetAsCurrency(Currency value) {
  if (Dialect() < 3) {
    SetAsDouble(value.ToDouble());
    return;
  }
  WriteValue(SQL_INT64, -4, &value.value, sizeof value.value);
}

void TIBXSQLVAR::SetAsDateTime(TDateTime value) {
  ISC_TIMESTAMP stamp;
  ToIsc(value, stamp.timestamp_date, stamp.timestamp_time);
  SetAsIscTimestamp(stamp);
}

void TIBXSQLVAR::SetAsDate(TDateTime value) {
  if (Dialect() < 3) {
    SetAsDateTime(value);
    return;
  }
  ISC_DATE date;
  ISC_TIME time;
  ToIsc(value, date, time);
  SetAsIscDate(date);
}

void TIBXSQLVAR::SetAsTime(TDateTime value) {
  if (Dialect() < 3) {
    SetAsDateTime(value);
    return;
  }
  // The time of day whatever day comes with it.
  ISC_TIME time;
  if (!TimeOfDayToIsc(value, time)) RaiseConversionError();
  SetAsIscTime(time);
}

void TIBXSQLVAR::SetAsQuad(const ISC_QUAD& value) {
  std::vector<TIBXSQLVAR*> vars = Namesakes();
  for (TIBXSQLVAR* var : vars)
    if (var->SqlType() != SQL_BLOB && var->SqlType() != SQL_ARRAY) RaiseConversionError();
  if (IsNullable()) SetIsNull(false);
  for (TIBXSQLVAR* var : vars) {
    var->slot_->sqllen = sizeof value;
    var->ResizeBuffer(sizeof value);
    std::memcpy(var->data_.data(), &value, sizeof value);
    var->modified_ = true;
  }
}

void TIBXSQLVAR::SetAsBoolean(bool value) {
  const FB_BOOLEAN byte = value ? FB_TRUE : FB_FALSE;
  WriteValue(SQL_BOOLEAN, 0, &byte, sizeof byte);
}

void TIBXSQLVAR::SetAsPointer(const void* data) {
  // Without bytes to copy there is no value: null, never a read through nothing.
  if (data == nullptr) {
    SetIsNull(true);
    return;
  }
  const int length = Size();
  WriteValue(SQL_TEXT, SqlScale(), data, length);
}

void TIBXSQLVAR::SetTextValue(const std::string& value, bool raw) {
  std::vector<TIBXSQLVAR*> vars = Namesakes();
  // Every check first, so that a refused text leaves all namesakes as they were. Each
  // namesake described as text holds the text whole or refuses it, whatever type the
  // first of them has; nothing is cut. A key parameter (RDB$DB_KEY = ?) is described as
  // an unnamed CHAR(8): its length holds it.
  std::vector<std::string> bytes;
  bytes.reserve(vars.size());
  const size_t length = raw ? value.size() : CharacterCount(value);
  for (TIBXSQLVAR* var : vars) {
    bytes.push_back(raw ? value : var->EncodeValue(value));
    if (var->max_len_ <= 0) continue;
    // OCTETS text is two digits a byte: its bytes are what must fit.
    const bool by_bytes = raw || var->char_set_ == csOctets;
    const size_t counted = by_bytes ? bytes.back().size() : length;
    const size_t room = static_cast<size_t>(by_bytes ? var->max_len_ : var->MaxChars());
    if (counted > room || bytes.back().size() > static_cast<size_t>(var->max_len_))
      RaiseClientError(ceStringTooLong, {counted, room});
  }
  for (const std::string& text : bytes)
    if (text.size() > kMaxTextLength)
      RaiseClientError(ceStringTooLong, {text.size(), kMaxTextLength});
  if (IsNullable()) SetIsNull(false);
  for (size_t i = 0; i < vars.size(); ++i) {
    TIBXSQLVAR* var = vars[i];
    const std::string& text = bytes[i];
    var->slot_->sqltype = static_cast<ISC_SHORT>(SQL_TEXT | (var->slot_->sqltype & 1));
    var->slot_->sqllen = static_cast<ISC_SHORT>(text.size());
    var->ResizeBuffer(text.size() + 1);
    std::memcpy(var->data_.data(), text.data(), text.size());
    var->data_[text.size()] = '\0';
    var->modified_ = true;
  }
}

void TIBXSQLVAR::SetAsRawText(const std::string& bytes) {
  SetTextValue(bytes, true);
}

void TIBXSQLVAR::SetAsString(const std::string& value) {
  const int type = SqlType();
  if (type == SQL_TEXT || type == SQL_VARYING) {
    SetTextValue(value);
  } else if (type == SQL_BLOB) {
    SetAsQuad(WriteBlob(char_set_ >= 0 ? EncodeValue(value) : value));
  } else if (value.empty()) {
    SetIsNull(true);
  } else if (type == SQL_TIMESTAMP || type == SQL_TYPE_DATE || type == SQL_TYPE_TIME) {
    TDateTime date_time = 0;
    if (!TryStrToDateTime(value, date_time)) RaiseConversionError();
    SetAsDateTime(date_time);
  } else {
    SetTextValue(value);
  }
}

void TIBXSQLVAR::SetAsVariant(const TVariant& value) {
  const unsigned type = value.VarType();
  if (type & varArray) RaiseClientError(ceUnsupportedFeature);
  if (type & varByRef) RaiseClientError(ceNotPermitted);
  switch (type) {
    case varEmpty:
    case varNull:
      SetIsNull(true);
      break;
    case varBoolean:
      if (described_type_ == SQL_BOOLEAN) {
        SetAsBoolean(value.Integer() != 0);
        break;
      }
      [[fallthrough]];
    case varSmallint:
    case varInteger:
    case varByte:
      SetAsLong(static_cast<int32_t>(value.Integer()));
      break;
    case varInt64:
      SetAsInt64(value.Integer());
      break;
    case varSingle:
    case varDouble:
      SetAsDouble(value.Real());
      break;
    case varCurrency:
      SetAsCurrency(Currency{value.Integer()});
      break;
    case varDate:
      SetAsDateTime(value.Real());
      break;
    case varString:
    case varOleStr:
      SetAsString(value.Text());
      break;
    default:
      RaiseClientError(ceNotPermitted);
  }
}

// ---------------------------------------------------------------------------------------
// TIBXSQLDA

TIBXSQLDA::TIBXSQLDA(TIBSQL* statement) : statement_(statement) {}

TIBXSQLDA::~TIBXSQLDA() {
  std::free(block_);
}

int TIBXSQLDA::Dialect() const {
  return statement_ ? statement_->SQLDialect() : 3;
}

std::string TIBXSQLDA::Normalize(const std::string& name) const {
  return NormalizeSqlIdentifier(Dialect(), name);
}

void TIBXSQLDA::SetCount(int count) {
  names_.Clear();
  if (count < 0) count = 0;
  count_ = count;
  if (count == 0) {
    unique_relation_name_.clear();
    return;
  }
  if (count > size_) {
    const size_t old_bytes = size_ > 0 ? XSQLDA_LENGTH(size_) : 0;
    const size_t new_bytes = XSQLDA_LENGTH(count);
    void* grown = std::realloc(block_, new_bytes);
    if (!grown) throw std::bad_alloc();
    block_ = static_cast<XSQLDA*>(grown);
    std::memset(reinterpret_cast<char*>(block_) + old_bytes, 0, new_bytes - old_bytes);
    block_->version = SQLDA_VERSION1;
    for (int i = size_; i < count; ++i) vars_.push_back(std::make_unique<TIBXSQLVAR>(this, i));
    size_ = count;
    for (int i = 0; i < size_; ++i) vars_[i]->slot_ = &block_->sqlvar[i];
  }
  block_->sqln = static_cast<ISC_SHORT>(count);
  block_->sqld = static_cast<ISC_SHORT>(count);
}

TIBXSQLVAR& TIBXSQLDA::Vars(int index) const {
  if (index < 0 || index >= count_) RaiseClientError(ceXsqldaIndexOutOfRange);
  return *vars_[index];
}

int TIBXSQLDA::IndexOfName(const std::string& name) const {
  const std::string wanted = Normalize(name);
  const int n = std::min(count_, names_.Count());
  for (int i = 0; i < n; ++i)
    if (names_.Strings(i) == wanted) return i;
  return -1;
}

TIBXSQLVAR* TIBXSQLDA::ByName(const std::string& name) const {
  int index = IndexOfName(name);
  return index < 0 ? nullptr : vars_[index].get();
}

void TIBXSQLDA::AddName(const std::string& name, int index) {
  const std::string normalized = Normalize(name);
  names_.Add(normalized);
  if (index >= 0 && index < size_) vars_[index]->name_ = normalized;
}

void TIBXSQLDA::Initialize() {
  unique_relation_name_.clear();
  bool relations_differ = false;
  const bool had_names = names_.Count() > 0;
  for (int i = 0; i < count_; ++i) {
    TIBXSQLVAR& var = *vars_[i];
    XSQLVAR* slot = var.slot_;

    const std::string relation = var.RelName();
    if (!relation.empty() && !relations_differ) {
      if (unique_relation_name_.empty()) {
        unique_relation_name_ = relation;
      } else if (unique_relation_name_ != relation) {
        unique_relation_name_.clear();
        relations_differ = true;
      }
    }

    if (!had_names) {
      std::string base = var.AliasName();
      std::string name = base;
      int next = 1;
      if (base.empty()) {
        base = "F_";
        name = "F_1";
        next = 2;
      }
      while (IndexOfName(name) >= 0) {
        const std::string suffix = std::to_string(next++);
        name = base.substr(0, kMaxNameLength - suffix.size()) + suffix;
      }
      // The slot keeps names in the connection's set, as the server wrote them.
      const TIBDatabase* database = statement_ ? statement_->Database() : nullptr;
      const std::string stored = database ? database->EncodeSql(name) : name;
      std::memset(slot->aliasname, 0, sizeof slot->aliasname);
      std::memcpy(slot->aliasname, stored.data(), std::min(stored.size(), sizeof slot->aliasname));
      slot->aliasname_length =
          static_cast<ISC_SHORT>(std::min(stored.size(), sizeof slot->aliasname));
      AddName(name, i);
    }

    const int type = var.SqlType();
    var.max_len_ = (type == SQL_TEXT || type == SQL_VARYING) ? slot->sqllen : 0;
    // Text columns carry their set in the sub-type, text blobs in the scale.
    var.char_set_ = type == SQL_TEXT || type == SQL_VARYING     ? slot->sqlsubtype & 0xFF
                    : type == SQL_BLOB && slot->sqlsubtype == 1 ? slot->sqlscale & 0xFF
                                                                : -1;
    if (!IsKnownType(type)) RaiseClientError(ceUnknownSqlDataType, {type});
    var.described_type_ = type;
    const size_t length = slot->sqllen < 0 ? 0 : static_cast<size_t>(slot->sqllen);
    var.data_.assign(type == SQL_VARYING ? length + 2 : std::max<size_t>(length, 1), 0);
    slot->sqldata = var.data_.data();
    var.null_indicator_ = 0;
    slot->sqlind = var.IsNullable() ? &var.null_indicator_ : nullptr;
    var.modified_ = false;
  }
}
