#include "data/dataset/params.h"

#include <strings.h>

#include <cmath>
#include <limits>

#include "data/dataset/dataset.h"
#include "data/statement/sql_params.h"

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

void TParam::SetValue(const TVariant& value) {
  if (data_type_ == ftUnknown) {
    switch (value.VarType()) {
      case varSmallint:
        data_type_ = ftSmallint;
        break;
      case varInteger:
      case varByte:
        data_type_ = ftInteger;
        break;
      case varInt64:
        data_type_ = ftLargeint;
        break;
      case varSingle:
      case varDouble:
        data_type_ = ftFloat;
        break;
      case varCurrency:
        data_type_ = ftCurrency;
        break;
      case varDate:
        data_type_ = ftDateTime;
        break;
      case varBoolean:
        data_type_ = ftBoolean;
        break;
      case varString:
        data_type_ = ftString;
        break;
      default:
        break;
    }
  }
  value_ = value;
  bound_ = true;
  Spread();
}

void TParam::Assign(TFieldType type, const TVariant& value) {
  data_type_ = type;
  value_ = value;
  bound_ = true;
  Spread();
}

void TParam::SetDataType(TFieldType value) {
  data_type_ = value;
  Spread();
}

void TParam::SetBound(bool value) {
  bound_ = value;
  Spread();
}

void TParam::Spread() {
  if (!owner_) return;
  for (const auto& item : owner_->items_) {
    if (item.get() == this || !SameName(item->name_, name_)) continue;
    item->data_type_ = data_type_;
    item->value_ = value_;
    item->bound_ = bound_;
  }
}

// --- reads as the statement is sent them ---

namespace {

[[noreturn]] void RaiseParamValue(const std::string& name) {
  throw EConvertError(Format("Invalid value for parameter '%s'", {name}));
}

}  // namespace

void TParam::RaiseRangeError(const std::string& value, const std::string& min,
                             const std::string& max) const {
  if (min.empty()) DatabaseErrorFmt("%s is not a valid value for parameter '%s'", {value, name_});
  DatabaseErrorFmt("%s is not a valid value for parameter '%s'. The allowed range is %s to %s",
                   {value, name_, min, max});
}

int64_t TParam::InRange(int64_t value, int64_t min, int64_t max) const {
  if (value < min || value > max)
    RaiseRangeError(std::to_string(value), std::to_string(min), std::to_string(max));
  return value;
}

std::string TParam::AsString() const {
  const TVariant& v = value_;
  switch (v.VarType()) {
    case varString:
      return v.Text();
    case varSmallint:
    case varInteger:
    case varInt64:
    case varByte:
      return std::to_string(v.Integer());
    case varBoolean:
      return v.Integer() ? "True" : "False";
    case varSingle:
    case varDouble:
      return FloatToStr(v.Real());
    case varCurrency:
      return CurrToStr(Currency{v.Integer()});
    case varDate:
      return DateTimeToStr(v.Real());
    default:
      return {};
  }
}

int64_t TParam::AsLargeInt() const {
  const TVariant& v = value_;
  switch (v.VarType()) {
    case varSmallint:
    case varInteger:
    case varInt64:
    case varByte:
    case varBoolean:
      return v.Integer();
    case varCurrency:
      return v.Integer() / 10000;
    case varSingle:
    case varDouble:
    case varDate: {
      const double rounded = std::round(v.Real());
      if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
        RaiseRangeError(FloatToStr(v.Real()));
      return static_cast<int64_t>(rounded);
    }
    case varString: {
      int64_t value = 0;
      if (!TryStrToInt64(v.Text(), value)) RaiseParamValue(name_);
      return value;
    }
    default:
      RaiseParamValue(name_);
  }
}

int32_t TParam::AsInteger() const {
  return static_cast<int32_t>(InRange(AsLargeInt(), std::numeric_limits<int32_t>::min(),
                                      std::numeric_limits<int32_t>::max()));
}

int16_t TParam::AsSmallInt() const {
  return static_cast<int16_t>(InRange(AsLargeInt(), std::numeric_limits<int16_t>::min(),
                                      std::numeric_limits<int16_t>::max()));
}

int32_t TParam::AsWord() const {
  return static_cast<int32_t>(InRange(AsLargeInt(), 0, std::numeric_limits<uint16_t>::max()));
}

double TParam::AsFloat() const {
  const TVariant& v = value_;
  switch (v.VarType()) {
    case varSingle:
    case varDouble:
    case varDate:
      return v.Real();
    case varCurrency:
      return Currency{v.Integer()}.ToDouble();
    case varString: {
      double value = 0;
      if (!TryStrToFloat(v.Text(), value)) RaiseParamValue(name_);
      return value;
    }
    default:
      return static_cast<double>(AsLargeInt());
  }
}

Currency TParam::AsCurrency() const {
  const TVariant& v = value_;
  switch (v.VarType()) {
    case varCurrency:
      return Currency{v.Integer()};
    case varSingle:
    case varDouble:
      if (!(std::fabs(v.Real()) < 9.2e14)) RaiseRangeError(FloatToStr(v.Real()));
      return Currency::FromDouble(v.Real());
    case varString: {
      Currency value;
      if (!TryStrToCurr(v.Text(), value)) RaiseParamValue(name_);
      return value;
    }
    default: {
      constexpr int64_t kLimit = std::numeric_limits<int64_t>::max() / 10000;
      return Currency::FromUnits(InRange(AsLargeInt(), -kLimit, kLimit));
    }
  }
}

TDateTime TParam::AsDateTime() const {
  if (value_.VarType() == varString) {
    TDateTime value = 0;
    if (!TryStrToDateTime(value_.Text(), value)) RaiseParamValue(name_);
    return value;
  }
  return AsFloat();
}

TParams& TParams::operator=(TParams&& other) noexcept {
  items_ = std::move(other.items_);
  other.items_.clear();
  for (const auto& item : items_) item->owner_ = this;
  return *this;
}

TParam& TParams::Add(const std::string& name) {
  items_.push_back(std::make_unique<TParam>(name));
  TParam& item = *items_.back();
  item.owner_ = this;
  // A repeated name is the same parameter: it starts with the value given so far.
  if (const TParam* first = FindParam(name); first != &item) {
    item.data_type_ = first->data_type_;
    item.value_ = first->value_;
    item.bound_ = first->bound_;
  }
  return item;
}

TParam* TParams::FindParam(const std::string& name) const {
  for (const auto& item : items_)
    if (SameName(item->Name(), name)) return item.get();
  return nullptr;
}

TParam& TParams::ParamByName(const std::string& name) const {
  TParam* param = FindParam(name);
  if (!param) DatabaseErrorFmt("Parameter '%s' not found", {name});
  return *param;
}

void TParams::AssignValues(const TParams& source) {
  for (const auto& item : items_) {
    const TParam* from = source.FindParam(item->Name());
    if (!from) continue;
    item->data_type_ = from->DataType();
    item->value_ = from->Value();
    item->bound_ = from->Bound();
  }
}

// The text is ISO8859_1, one byte per character, so no character spans two bytes.
std::string ParseParamMarkers(const std::string& text, TParams* params) {
  std::string out;
  out.reserve(text.size());
  const size_t length = text.size();
  size_t i = 0;
  while (i < length) {
    const TSqlSkip skip = SkipLiteralOrComment(text, i, length);
    if (skip.kind != TSqlSkip::kNone) {
      out.append(text, i, skip.end - i);
      i = skip.end;
      continue;
    }
    const char c = text[i++];
    if (c != ':') {
      out += c;
      continue;
    }
    if (i < length && text[i] == ':') {
      out += ':';
      ++i;
      continue;
    }
    // A marker; its name as the statement's rewrite reads it. An unclosed quoted name
    // runs to the end, and a marker without a name still makes an item, so that the two
    // lists keep their count (the statement then refuses the text).
    std::string name;
    if (i < length && text[i] == '"') {
      TQuotedName quoted = ReadQuotedName(text, i, length);
      name = std::move(quoted.name);
      i = quoted.end;
    } else {
      const size_t start = i;
      while (i < length && IsMarkerNameChar(text[i])) ++i;
      name = text.substr(start, i - start);
    }
    if (params) params->Add(name);
    out += '?';
  }
  return out;
}
