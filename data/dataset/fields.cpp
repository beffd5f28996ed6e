#include "data/dataset/fields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "data/core/text.h"
#include "data/dataset/dataset.h"
#include "data/errors/errors.h"

namespace {

// Room for every fixed-size native form, with slack should a dataset copy a wider slot.
constexpr size_t kScalarBufferSize = 32;

template <typename T>
bool ReadScalar(const TField* field, T& value) {
  alignas(8) char buffer[kScalarBufferSize] = {};
  if (!field->GetData(buffer)) return false;
  std::memcpy(&value, buffer, sizeof value);
  return true;
}

[[noreturn]] void RaiseInvalidConversion() {
  RaiseClientError(ceInvalidConversion);
}

// A value that an int32 read cannot hold is client error 38.
int32_t NarrowToInt32(int64_t value) {
  if (value < INT32_MIN || value > INT32_MAX) RaiseInvalidConversion();
  return static_cast<int32_t>(value);
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// a / b rounded half away from zero (b > 0).
int64_t DivideRounded(int64_t a, int64_t b) {
  const int64_t quotient = a / b;
  const int64_t remainder = a % b < 0 ? -(a % b) : a % b;
  if (remainder >= b - remainder) return quotient + (a < 0 ? -1 : 1);
  return quotient;
}

bool CheckedMultiply(int64_t a, int64_t b, int64_t& result) {
  return !__builtin_mul_overflow(a, b, &result);
}

// --- Scaled integers: raw * 10^scale, scale 0 or negative ---

// The nearest double, through the exact decimal form so the rounding is the parser's.
double ScaledToDouble(int64_t raw, int scale) {
  std::string text = std::to_string(raw) + "e" + std::to_string(scale);
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// The whole part rounded half away from zero; scale 0 or negative cannot overflow.
int64_t ScaledToInteger(int64_t raw, int scale) {
  if (scale >= 0) return raw;
  int64_t divisor = PowerOfTen(-scale);
  return divisor == 0 ? 0 : DivideRounded(raw, divisor);
}

// Ten-thousandths; false when it does not fit the currency range.
bool ScaledToCurrency(int64_t raw, int scale, Currency& result) {
  if (scale >= -4) {
    int64_t factor = PowerOfTen(scale + 4);
    return factor != 0 && CheckedMultiply(raw, factor, result.value);
  }
  int64_t divisor = PowerOfTen(-4 - scale);
  result.value = divisor == 0 ? 0 : DivideRounded(raw, divisor);
  return true;
}

bool CurrencyToScaled(Currency value, int scale, int64_t& raw) {
  if (scale >= -4) {
    int64_t divisor = PowerOfTen(scale + 4);
    if (divisor == 0) return false;
    raw = DivideRounded(value.value, divisor);
    return true;
  }
  int64_t factor = PowerOfTen(-4 - scale);
  return factor != 0 && CheckedMultiply(value.value, factor, raw);
}

enum class ParseResult { kOk, kBadText, kOutOfRange };

// Reads [sign] digits [separator digits] [e [sign] digits] into raw at `scale`, rounded
// half away from zero at the scale's last decimal.
ParseResult ParseScaled(const std::string& text, char separator, int scale, int64_t& raw) {
  std::string trimmed = Trim(text);
  size_t pos = 0;
  bool negative = false;
  if (pos < trimmed.size() && (trimmed[pos] == '-' || trimmed[pos] == '+'))
    negative = trimmed[pos++] == '-';
  std::string digits;
  int fraction_digits = 0;
  bool seen_separator = false;
  for (; pos < trimmed.size(); ++pos) {
    char c = trimmed[pos];
    if (c == separator && !seen_separator) {
      seen_separator = true;
    } else if (IsDigit(c)) {
      digits += c;
      if (seen_separator) ++fraction_digits;
    } else {
      break;
    }
  }
  if (digits.empty()) return ParseResult::kBadText;
  int exponent = 0;
  if (pos < trimmed.size() && (trimmed[pos] == 'e' || trimmed[pos] == 'E')) {
    ++pos;
    bool exponent_negative = false;
    if (pos < trimmed.size() && (trimmed[pos] == '-' || trimmed[pos] == '+'))
      exponent_negative = trimmed[pos++] == '-';
    size_t start = pos;
    for (; pos < trimmed.size() && IsDigit(trimmed[pos]); ++pos)
      if (exponent < 100000) exponent = exponent * 10 + (trimmed[pos] - '0');
    if (pos == start) return ParseResult::kBadText;
    if (exponent_negative) exponent = -exponent;
  }
  if (pos != trimmed.size()) return ParseResult::kBadText;

  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  // raw = digits * 10^shift
  const int64_t shift = static_cast<int64_t>(exponent) - fraction_digits - scale;
  bool round_up = false;
  if (shift < 0) {
    int64_t keep = static_cast<int64_t>(digits.size()) + shift;
    if (keep < 0) {
      digits.clear();
    } else {
      round_up = static_cast<size_t>(keep) < digits.size() && digits[keep] >= '5';
      digits.resize(static_cast<size_t>(keep));
    }
  } else if (!digits.empty()) {
    if (shift > 40) return ParseResult::kOutOfRange;
    digits.append(static_cast<size_t>(shift), '0');
  }
  if (digits.size() > 20) return ParseResult::kOutOfRange;
  unsigned __int128 magnitude = 0;
  for (char c : digits) magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
  if (round_up) ++magnitude;
  constexpr unsigned __int128 kLimit = std::numeric_limits<int64_t>::max();
  if (magnitude > kLimit + (negative ? 1 : 0)) return ParseResult::kOutOfRange;
  const auto value = static_cast<uint64_t>(magnitude);
  raw = static_cast<int64_t>(negative ? 0 - value : value);
  return ParseResult::kOk;
}

// Through 15 significant digits, as the text forms show a double, so 1.005 stores 1.005.
bool DoubleToScaled(double value, int scale, int64_t& raw) {
  if (!std::isfinite(value)) return false;
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  if (result.ec != std::errc()) return false;
  return ParseScaled(std::string(buffer, result.ptr), '.', scale, raw) == ParseResult::kOk;
}

}  // namespace

// ---------------------------------------------------------------------------------------

const char* FieldTypeName(TFieldType type) {
  switch (type) {
    case ftUnknown:
      return "Unknown";
    case ftString:
      return "String";
    case ftSmallint:
      return "Smallint";
    case ftInteger:
      return "Integer";
    case ftWord:
      return "Word";
    case ftBoolean:
      return "Boolean";
    case ftFloat:
      return "Float";
    case ftCurrency:
      return "Currency";
    case ftBCD:
      return "BCD";
    case ftDate:
      return "Date";
    case ftTime:
      return "Time";
    case ftDateTime:
      return "DateTime";
    case ftBytes:
      return "Bytes";
    case ftVarBytes:
      return "VarBytes";
    case ftAutoInc:
      return "AutoInc";
    case ftBlob:
      return "Blob";
    case ftMemo:
      return "Memo";
    case ftGraphic:
      return "Graphic";
    case ftFmtMemo:
      return "FmtMemo";
    case ftArray:
      return "Array";
    case ftLargeint:
      return "Largeint";
  }
  return "Unknown";
}

TFieldDef& TFieldDefs::Add(const std::string& name, TFieldType type, int size, bool required) {
  items_.push_back(std::make_unique<TFieldDef>(name, type, size, required, Count() + 1));
  return *items_.back();
}

int TFieldDefs::IndexOf(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[i]->Name() == name) return i;
  return -1;
}

TFieldDef* TFieldDefs::Find(const std::string& name) const {
  int index = IndexOf(name);
  return index < 0 ? nullptr : items_[index].get();
}

TField* TFields::FindField(const std::string& name) const {
  for (TField* field : items_)
    if (SameTextAscii(field->FieldName(), name)) return field;
  return nullptr;
}

int TFields::IndexOf(const TField* field) const {
  auto it = std::find(items_.begin(), items_.end(), field);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TFields::Remove(TField* field) {
  items_.erase(std::remove(items_.begin(), items_.end(), field), items_.end());
}

TField* CreateFieldOfType(TFieldType type, TComponent* owner) {
  switch (type) {
    case ftString:
      return new TIBStringField(owner);
    case ftSmallint:
      return new TSmallintField(owner);
    case ftInteger:
      return new TIntegerField(owner);
    case ftLargeint:
      return new TLargeintField(owner);
    case ftFloat:
      return new TFloatField(owner);
    case ftBCD:
      return new TIBBCDField(owner);
    case ftDate:
      return new TDateField(owner);
    case ftTime:
      return new TTimeField(owner);
    case ftDateTime:
      return new TDateTimeField(owner);
    case ftBoolean:
      return new TBooleanField(owner);
    case ftBlob:
      return new TBlobField(owner);
    case ftMemo:
      return new TMemoField(owner);
    default:
      return nullptr;
  }
}

// ---------------------------------------------------------------------------------------
// TField

TField::TField(TComponent* owner, TFieldType type) : TComponent(owner), data_type_(type) {}

TField::~TField() {
  // A dataset being destroyed has already lost its field list.
  if (dataset_ && !dataset_->IsDestroying()) dataset_->Fields().Remove(this);
}

void TField::SetDataSet(TDataSet* dataset) {
  if (dataset == dataset_) return;
  if (dataset_ && dataset_->Active()) DatabaseError(SDataSetOpen, dataset_);
  if (dataset && dataset->Active()) DatabaseError(SDataSetOpen, dataset);
  if (dataset_) dataset_->Fields().Remove(this);
  dataset_ = dataset;
  if (dataset_) dataset_->Fields().Add(this);
}

void TField::AssignFieldDef(const TFieldDef& def) {
  SetFieldName(def.Name());
  SetSize(def.Size());
  SetScale(def.Scale());
  SetRequired(def.Required());
  SetNotNull(def.Required() || (def.Attributes() & faNotNull) != 0);
  SetReadOnly((def.Attributes() & faReadonly) != 0);
  SetFieldNo(def.FieldNo());
  SetCharSet(def.CharSet());
}

int TField::Index() const {
  return dataset_ ? dataset_->Fields().IndexOf(this) : -1;
}

void TField::SetDisplayLabel(const std::string& value) {
  if (value == display_label_) return;
  display_label_ = value;
  PropertyChanged(true);
}

void TField::SetDisplayWidth(int value) {
  if (value == display_width_) return;
  display_width_ = value;
  PropertyChanged(true);
}

void TField::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  PropertyChanged(false);
}

void TField::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  PropertyChanged(true);
}

void TField::PropertyChanged(bool layout) {
  if (dataset_ && dataset_->Active())
    dataset_->DataEvent(layout ? deLayoutChange : deDataSetChange);
}

bool TField::CanModify() const {
  return !read_only_ && field_kind_ == fkData && dataset_ && dataset_->CanModify();
}

bool TField::GetData(void* buffer) const {
  return dataset_ && dataset_->GetFieldData(this, buffer);
}

void TField::SetData(const void* buffer) {
  if (!dataset_) DatabaseErrorFmt("Field '%s' has no dataset", {DisplayName()});
  dataset_->SetFieldData(this, buffer);
}

bool TField::IsNull() const {
  const size_t size = static_cast<size_t>(std::max(DataSize(), 0));
  if (size + 8 <= kScalarBufferSize) {
    alignas(8) char buffer[kScalarBufferSize] = {};
    return !GetData(buffer);
  }
  std::vector<char> buffer(size + 8);
  return !GetData(buffer.data());
}

void TField::RaiseConvertError(const std::string& text, const char* type_name) const {
  DatabaseErrorFmt("'%s' is not a valid %s value for field '%s'", {text, type_name, DisplayName()});
}

void TField::RaiseAccessError(const char* type_name) const {
  DatabaseErrorFmt("Cannot access field '%s' as type %s", {DisplayName(), type_name});
}

void TField::RaiseRangeError(const std::string& value, const std::string& min,
                             const std::string& max) const {
  if (min.empty())
    DatabaseErrorFmt("%s is not a valid value for field '%s'", {value, DisplayName()});
  DatabaseErrorFmt("%s is not a valid value for field '%s'. The allowed range is %s to %s",
                   {value, DisplayName(), min, max});
}

std::string TField::AsString() const {
  RaiseAccessError("String");
}
int32_t TField::AsInteger() const {
  RaiseAccessError("Integer");
}
double TField::AsFloat() const {
  RaiseAccessError("Float");
}
Currency TField::AsCurrency() const {
  RaiseAccessError("Currency");
}
TDateTime TField::AsDateTime() const {
  RaiseAccessError("DateTime");
}
bool TField::AsBoolean() const {
  RaiseAccessError("Boolean");
}
TVariant TField::AsVariant() const {
  if (IsNull()) return TVariant::Null();
  RaiseAccessError("Variant");
}

void TField::SetAsString(const std::string&) {
  RaiseAccessError("String");
}
void TField::SetAsInteger(int32_t) {
  RaiseAccessError("Integer");
}
void TField::SetAsLargeInt(int64_t value) {
  if (value < INT32_MIN || value > INT32_MAX) RaiseRangeError(std::to_string(value));
  SetAsInteger(static_cast<int32_t>(value));
}
void TField::SetAsFloat(double) {
  RaiseAccessError("Float");
}
void TField::SetAsCurrency(Currency) {
  RaiseAccessError("Currency");
}
void TField::SetAsDateTime(TDateTime) {
  RaiseAccessError("DateTime");
}
void TField::SetAsBoolean(bool) {
  RaiseAccessError("Boolean");
}

void TField::SetAsVariant(const TVariant& value) {
  switch (value.VarType()) {
    case varEmpty:
    case varNull:
      Clear();
      return;
    case varSmallint:
    case varInteger:
    case varByte:
    case varInt64:
      SetAsLargeInt(value.Integer());
      return;
    case varSingle:
    case varDouble:
      SetAsFloat(value.Real());
      return;
    case varCurrency:
      SetAsCurrency(Currency{value.Integer()});
      return;
    case varDate:
      SetAsDateTime(value.Real());
      return;
    case varBoolean:
      SetAsBoolean(value.Integer() != 0);
      return;
    case varString:
    case varOleStr:
      SetAsString(value.Text());
      return;
    default:
      DatabaseErrorFmt("Invalid variant type conversion for field '%s'", {DisplayName()});
  }
}

bool TField::IsValidChar(char c) const {
  return c != '\0';
}

// ---------------------------------------------------------------------------------------
// TStringField

TStringField::TStringField(TComponent* owner) : TField(owner, ftString) {}

void TStringField::AssignFieldDef(const TFieldDef& def) {
  TField::AssignFieldDef(def);
  SetFixedChar((def.Attributes() & faFixed) != 0);
}

int TStringField::DataSize() const {
  return std::max(Size(), 0) * BytesPerChar(CharSet()) + 1;
}

std::string TStringField::AsString() const {
  std::string bytes;
  if (!DataSet() || !DataSet()->GetFieldBytes(this, bytes)) return "";
  std::string text = DecodeText(bytes, CharSet());
  // OCTETS read as two digits a byte, whatever their padding.
  if (CharSet() == csOctets) return text;
  // A field narrower than its column cannot show the value (and must not cut it).
  if (!FixedChar() && CharacterCount(text) > static_cast<size_t>(std::max(Size(), 0)))
    RaiseClientError(ceFieldSizeMismatch, {FieldName()});
  if (FixedChar()) {
    // Padded by characters: a CHAR holds its declared characters, whatever their bytes.
    const size_t size = static_cast<size_t>(std::max(Size(), 0));
    text.resize(Utf8Prefix(text, size).size());
    const size_t length = CharacterCount(text);
    if (length < size) text.append(size - length, ' ');
  }
  return text;
}

template <typename T>
T TStringField::ParseText(bool (*parse)(const std::string&, T&), const char* type_name) const {
  std::string text = AsString();
  T value{};
  if (Trim(text).empty()) return value;
  if (!parse(text, value)) RaiseConvertError(text, type_name);
  return value;
}

int32_t TStringField::AsInteger() const {
  return ParseText<int32_t>(TryStrToInt, "integer");
}
int64_t TStringField::AsLargeInt() const {
  return ParseText<int64_t>(TryStrToInt64, "integer");
}
double TStringField::AsFloat() const {
  return ParseText<double>(TryStrToFloat, "floating point");
}
Currency TStringField::AsCurrency() const {
  return ParseText<Currency>(TryStrToCurr, "currency");
}
TDateTime TStringField::AsDateTime() const {
  return ParseText<TDateTime>(TryStrToDateTime, "date and time");
}

bool TStringField::AsBoolean() const {
  std::string text = Trim(AsString());
  if (text.empty()) return false;
  switch (LowerAscii(text[0])) {
    case 't':
    case 'y':
    case '1':
      return true;
    case 'f':
    case 'n':
    case '0':
      return false;
    default:
      RaiseConvertError(text, "boolean");
  }
}

TVariant TStringField::AsVariant() const {
  if (IsNull()) return TVariant::Null();
  return TVariant(AsString());
}

void TStringField::SetAsString(const std::string& value) {
  const size_t size = static_cast<size_t>(std::max(Size(), 0));
  // Refused whole: a cut text would store something else than what was typed. OCTETS
  // are typed two digits a byte.
  const size_t length =
      CharSet() == csOctets ? value.size() / 2 + value.size() % 2 : CharacterCount(value);
  if (length > size)
    DatabaseErrorFmt("Field '%s' holds at most %d characters; the text has %d",
                     {DisplayName(), Size(), length});
  if (!DataSet()) DatabaseErrorFmt("Field '%s' has no dataset", {DisplayName()});
  DataSet()->SetFieldBytes(this, EncodeText(value, CharSet()));
}

void TStringField::SetAsInteger(int32_t value) {
  SetAsString(std::to_string(value));
}
void TStringField::SetAsLargeInt(int64_t value) {
  SetAsString(std::to_string(value));
}
void TStringField::SetAsFloat(double value) {
  SetAsString(FloatToStr(value));
}
void TStringField::SetAsCurrency(Currency value) {
  SetAsString(CurrToStr(value));
}
void TStringField::SetAsDateTime(TDateTime value) {
  SetAsString(DateTimeToStr(value));
}
void TStringField::SetAsBoolean(bool value) {
  SetAsString(value ? "True" : "False");
}

// ---------------------------------------------------------------------------------------
// Numbers

TNumericField::TNumericField(TComponent* owner, TFieldType type, int precision)
    : TField(owner, type), precision_(precision) {
  SetAlignment(taRightJustify);
}

bool TNumericField::IsValidChar(char c) const {
  // Both separators and a group separator are let through, so that a number typed in
  // another form is refused whole when written, never read with a character dropped.
  if (IsDigit(c) || c == '+' || c == '-' || c == '.' || c == ',' || c == ' ' ||
      c == FormatSettings().DecimalSeparator)
    return true;
  return DataType() == ftFloat && (c == 'e' || c == 'E');
}

// --- TIntegerField, TSmallintField: int32 ---

TIntegerField::TIntegerField(TComponent* owner, TFieldType type) : TNumericField(owner, type) {}

int32_t TIntegerField::AsInteger() const {
  int32_t value = 0;
  return ReadScalar(this, value) ? value : 0;
}

std::string TIntegerField::AsString() const {
  int32_t value = 0;
  return ReadScalar(this, value) ? std::to_string(value) : "";
}

double TIntegerField::AsFloat() const {
  return AsInteger();
}

TVariant TIntegerField::AsVariant() const {
  int32_t value = 0;
  if (!ReadScalar(this, value)) return TVariant::Null();
  if (DataType() == ftSmallint) return TVariant(static_cast<int16_t>(value));
  return TVariant(value);
}

void TIntegerField::SetAsLargeInt(int64_t value) {
  if (value < MinValue() || value > MaxValue())
    RaiseRangeError(std::to_string(value), std::to_string(MinValue()), std::to_string(MaxValue()));
  int32_t native = static_cast<int32_t>(value);
  SetData(&native);
}

void TIntegerField::SetAsFloat(double value) {
  const double rounded = std::round(value);
  if (!(rounded >= static_cast<double>(MinValue()) && rounded <= static_cast<double>(MaxValue())))
    RaiseRangeError(FloatToStr(value), std::to_string(MinValue()), std::to_string(MaxValue()));
  SetAsLargeInt(static_cast<int64_t>(rounded));
}

void TIntegerField::SetAsCurrency(Currency value) {
  SetAsLargeInt(DivideRounded(value.value, 10000));
}

void TIntegerField::SetAsString(const std::string& value) {
  if (Trim(value).empty()) return Clear();
  int64_t number = 0;
  if (!TryStrToInt64(value, number)) RaiseConvertError(value, "integer");
  SetAsLargeInt(number);
}

// --- TLargeintField: int64 ---

int64_t TLargeintField::AsLargeInt() const {
  int64_t value = 0;
  return ReadScalar(this, value) ? value : 0;
}

int32_t TLargeintField::AsInteger() const {
  return NarrowToInt32(AsLargeInt());
}

std::string TLargeintField::AsString() const {
  int64_t value = 0;
  return ReadScalar(this, value) ? std::to_string(value) : "";
}

double TLargeintField::AsFloat() const {
  return static_cast<double>(AsLargeInt());
}

Currency TLargeintField::AsCurrency() const {
  Currency result;
  if (!CheckedMultiply(AsLargeInt(), 10000, result.value)) RaiseInvalidConversion();
  return result;
}

TVariant TLargeintField::AsVariant() const {
  int64_t value = 0;
  return ReadScalar(this, value) ? TVariant(value) : TVariant::Null();
}

void TLargeintField::SetAsLargeInt(int64_t value) {
  SetData(&value);
}

void TLargeintField::SetAsFloat(double value) {
  const double rounded = std::round(value);
  if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
    RaiseRangeError(FloatToStr(value));
  SetAsLargeInt(static_cast<int64_t>(rounded));
}

void TLargeintField::SetAsCurrency(Currency value) {
  SetAsLargeInt(DivideRounded(value.value, 10000));
}

void TLargeintField::SetAsString(const std::string& value) {
  if (Trim(value).empty()) return Clear();
  int64_t number = 0;
  if (!TryStrToInt64(value, number)) RaiseConvertError(value, "integer");
  SetAsLargeInt(number);
}

// --- Scaled integers (TBCDField, and TFloatField with a negative scale) ---

std::string TNumericField::ScaledString() const {
  int64_t raw = 0;
  return ReadScalar(this, raw) ? ScaledToStr(raw, Scale()) : "";
}

double TNumericField::ScaledFloat() const {
  int64_t raw = 0;
  return ReadScalar(this, raw) ? ScaledToDouble(raw, Scale()) : 0;
}

int64_t TNumericField::ScaledLargeInt() const {
  int64_t raw = 0;
  return ReadScalar(this, raw) ? ScaledToInteger(raw, Scale()) : 0;
}

Currency TNumericField::ScaledCurrency() const {
  int64_t raw = 0;
  Currency result;
  if (ReadScalar(this, raw) && !ScaledToCurrency(raw, Scale(), result)) RaiseInvalidConversion();
  return result;
}

void TNumericField::SetScaledLargeInt(int64_t value) {
  int64_t raw = 0;
  const int64_t factor = PowerOfTen(-Scale());
  if (factor == 0 || !CheckedMultiply(value, factor, raw)) RaiseRangeError(std::to_string(value));
  SetData(&raw);
}

void TNumericField::SetScaledFloat(double value) {
  int64_t raw = 0;
  if (!DoubleToScaled(value, Scale(), raw)) RaiseRangeError(FloatToStr(value));
  SetData(&raw);
}

void TNumericField::SetScaledCurrency(Currency value) {
  int64_t raw = 0;
  if (!CurrencyToScaled(value, Scale(), raw)) RaiseRangeError(CurrToStr(value));
  SetData(&raw);
}

void TNumericField::SetScaledString(const std::string& value, const char* type_name) {
  if (Trim(value).empty()) return Clear();
  int64_t raw = 0;
  switch (ParseScaled(value, FormatSettings().DecimalSeparator, Scale(), raw)) {
    case ParseResult::kOk:
      SetData(&raw);
      return;
    case ParseResult::kOutOfRange:
      RaiseRangeError(value);
    case ParseResult::kBadText:
      RaiseConvertError(value, type_name);
  }
}

// --- TFloatField: double, or a scaled int64 when Scale() < 0 ---

void TFloatField::AssignFieldDef(const TFieldDef& def) {
  TField::AssignFieldDef(def);
  if (def.Precision() > 0) SetPrecision(def.Precision());
}

std::string TFloatField::AsString() const {
  if (Scale() < 0) return ScaledString();
  double value = 0;
  return ReadScalar(this, value) ? FloatToStr(value, SinglePrecision()) : "";
}

double TFloatField::AsFloat() const {
  if (Scale() < 0) return ScaledFloat();
  double value = 0;
  return ReadScalar(this, value) ? value : 0;
}

int64_t TFloatField::AsLargeInt() const {
  if (Scale() < 0) return ScaledLargeInt();
  const double rounded = std::round(AsFloat());
  if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
    RaiseInvalidConversion();
  return static_cast<int64_t>(rounded);
}

int32_t TFloatField::AsInteger() const {
  return NarrowToInt32(AsLargeInt());
}

Currency TFloatField::AsCurrency() const {
  if (Scale() < 0) return ScaledCurrency();
  double value = AsFloat();
  if (!(std::fabs(value) < 9.2e14)) RaiseInvalidConversion();
  return Currency::FromDouble(value);
}

TVariant TFloatField::AsVariant() const {
  if (IsNull()) return TVariant::Null();
  return TVariant(AsFloat());
}

void TFloatField::SetAsFloat(double value) {
  if (Scale() < 0) return SetScaledFloat(value);
  SetData(&value);
}

void TFloatField::SetAsLargeInt(int64_t value) {
  if (Scale() < 0) return SetScaledLargeInt(value);
  SetAsFloat(static_cast<double>(value));
}

void TFloatField::SetAsCurrency(Currency value) {
  if (Scale() < 0) return SetScaledCurrency(value);
  SetAsFloat(value.ToDouble());
}

void TFloatField::SetAsString(const std::string& value) {
  if (Scale() < 0) return SetScaledString(value, "floating point");
  if (Trim(value).empty()) return Clear();
  double number = 0;
  if (!TryStrToFloat(value, number)) RaiseConvertError(value, "floating point");
  SetAsFloat(number);
}

// --- TBCDField: int64 scaled by Scale() ---

void TBCDField::AssignFieldDef(const TFieldDef& def) {
  TField::AssignFieldDef(def);
  SetPrecision(def.Precision());
  // A definition that only gives the decimals as its size still reads right.
  if (def.Scale() == 0 && def.Size() > 0) SetScale(-def.Size());
}

std::string TBCDField::AsString() const {
  return ScaledString();
}
int64_t TBCDField::AsLargeInt() const {
  return ScaledLargeInt();
}
int32_t TBCDField::AsInteger() const {
  return NarrowToInt32(AsLargeInt());
}
double TBCDField::AsFloat() const {
  return ScaledFloat();
}
Currency TBCDField::AsCurrency() const {
  return ScaledCurrency();
}

TVariant TBCDField::AsVariant() const {
  int64_t raw = 0;
  if (!ReadScalar(this, raw)) return TVariant::Null();
  // Currency when it holds the value exactly; else the exact text rather than a rounded value.
  Currency currency;
  int64_t back = 0;
  if (ScaledToCurrency(raw, Scale(), currency) && CurrencyToScaled(currency, Scale(), back) &&
      back == raw)
    return TVariant(currency);
  return TVariant(ScaledToStr(raw, Scale()));
}

void TBCDField::SetAsLargeInt(int64_t value) {
  SetScaledLargeInt(value);
}
void TBCDField::SetAsFloat(double value) {
  SetScaledFloat(value);
}
void TBCDField::SetAsCurrency(Currency value) {
  SetScaledCurrency(value);
}
void TBCDField::SetAsString(const std::string& value) {
  SetScaledString(value, "BCD");
}

// ---------------------------------------------------------------------------------------
// TDateTimeField, TDateField, TTimeField

TDateTimeField::TDateTimeField(TComponent* owner, TFieldType type) : TField(owner, type) {}

TDateTime TDateTimeField::AsDateTime() const {
  switch (DataType()) {
    case ftDate: {
      ISC_DATE date = 0;
      return ReadScalar(this, date) ? IscDateToDateTime(date) : 0;
    }
    case ftTime: {
      ISC_TIME time = 0;
      return ReadScalar(this, time) ? IscTimeToDateTime(time) : 0;
    }
    default: {
      ISC_TIMESTAMP stamp{};
      return ReadScalar(this, stamp)
                 ? IscTimestampToDateTime(stamp.timestamp_date, stamp.timestamp_time)
                 : 0;
    }
  }
}

std::string TDateTimeField::AsString() const {
  if (IsNull()) return "";
  const TDateTime value = AsDateTime();
  switch (DataType()) {
    case ftDate:
      return DateToStr(value);
    case ftTime:
      return TimeToStr(value);
    default:
      return DateTimeToStr(value);
  }
}

TVariant TDateTimeField::AsVariant() const {
  if (IsNull()) return TVariant::Null();
  return TVariant::FromDate(AsDateTime());
}

void TDateTimeField::SetAsDateTime(TDateTime value) {
  ISC_DATE date = 0;
  ISC_TIME time = 0;
  // A time field keeps the time of day whatever day comes with it.
  const bool valid =
      DataType() == ftTime ? TimeOfDayToIsc(value, time) : DateTimeToIsc(value, date, time);
  if (!valid) RaiseRangeError(FloatToStr(value));
  switch (DataType()) {
    case ftDate:
      SetData(&date);
      return;
    case ftTime:
      SetData(&time);
      return;
    default: {
      ISC_TIMESTAMP stamp{date, time};
      SetData(&stamp);
    }
  }
}

void TDateTimeField::SetAsString(const std::string& value) {
  if (Trim(value).empty()) return Clear();
  TDateTime parsed = 0;
  if (!TryStrToDateTime(value, parsed)) {
    const char* name = DataType() == ftDate   ? "date"
                       : DataType() == ftTime ? "time"
                                              : "date and time";
    RaiseConvertError(value, name);
  }
  SetAsDateTime(parsed);
}

bool TDateTimeField::IsValidChar(char c) const {
  const TFormatSettings& settings = FormatSettings();
  if (IsDigit(c) || c == ' ' || c == '.' || c == settings.DateSeparator ||
      c == settings.TimeSeparator)
    return true;
  // AM and PM
  switch (LowerAscii(c)) {
    case 'a':
    case 'p':
    case 'm':
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------------------
// TBooleanField: one byte

bool TBooleanField::AsBoolean() const {
  uint8_t value = 0;
  return ReadScalar(this, value) && value != 0;
}

std::string TBooleanField::AsString() const {
  uint8_t value = 0;
  if (!ReadScalar(this, value)) return "";
  return value != 0 ? "True" : "False";
}

TVariant TBooleanField::AsVariant() const {
  uint8_t value = 0;
  return ReadScalar(this, value) ? TVariant(value != 0) : TVariant::Null();
}

void TBooleanField::SetAsBoolean(bool value) {
  uint8_t native = value ? 1 : 0;
  SetData(&native);
}

void TBooleanField::SetAsString(const std::string& value) {
  std::string text = Trim(value);
  if (text.empty()) return Clear();
  auto is_prefix_of = [&text](const std::string& word) {
    return text.size() <= word.size() && SameTextAscii(text, word.substr(0, text.size()));
  };
  if (text == "1" || is_prefix_of("True")) return SetAsBoolean(true);
  if (text == "0" || is_prefix_of("False")) return SetAsBoolean(false);
  RaiseConvertError(value, "boolean");
}

bool TBooleanField::IsValidChar(char c) const {
  const char lower = LowerAscii(c);
  return (lower >= 'a' && lower <= 'z') || c == '0' || c == '1';
}

// ---------------------------------------------------------------------------------------
// TBlobField, TMemoField: an ISC_QUAD, contents through the dataset's blob stream

TBlobField::TBlobField(TComponent* owner, TFieldType type) : TField(owner, type) {}

std::string TBlobField::AsString() const {
  if (!DataSet()) return "";
  std::unique_ptr<TStream> stream =
      DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
  if (!stream) return "";
  std::string contents;
  const int64_t size = stream->Size();
  if (size > 0) contents.reserve(static_cast<size_t>(size));
  char chunk[16384];
  for (;;) {
    const int64_t n = stream->Read(chunk, sizeof chunk);
    if (n <= 0) break;
    contents.append(chunk, static_cast<size_t>(n));
  }
  // A memo's bytes are text of its set; other blobs are bytes.
  return DataType() == ftMemo ? DecodeText(contents, CharSet()) : contents;
}

TVariant TBlobField::AsVariant() const {
  if (IsNull()) return TVariant::Null();
  return TVariant(AsString());
}

std::string TBlobField::DisplayText() const {
  std::string text = std::string("(") + FieldTypeName(DataType()) + ")";
  if (!IsNull())
    for (char& c : text) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return text;
}

void TBlobField::SetAsString(const std::string& value) {
  if (!DataSet()) DatabaseErrorFmt("Field '%s' has no dataset", {DisplayName()});
  const std::string bytes = DataType() == ftMemo ? EncodeText(value, CharSet()) : value;
  std::unique_ptr<TStream> stream = DataSet()->CreateBlobStream(this, bmWrite);
  if (!stream) RaiseAccessError("String");
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}
