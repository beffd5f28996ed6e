// A value of one of the layer's scalar kinds, or empty, or null.
#pragma once

#include <cstdint>
#include <string>

#include "data/core/format_settings.h"

// The kinds, numbered as the platform's variant type codes.
enum TVarType : unsigned {
  varEmpty = 0,
  varNull = 1,
  varSmallint = 2,
  varInteger = 3,
  varSingle = 4,
  varDouble = 5,
  varCurrency = 6,
  varDate = 7,
  varOleStr = 8,
  varDispatch = 9,
  varError = 10,
  varBoolean = 11,
  varVariant = 12,
  varUnknown = 13,
  varByte = 17,
  varInt64 = 20,
  varString = 0x100,
  varArray = 0x2000,
  varByRef = 0x4000,
};

class TVariant {
 public:
  TVariant() = default;
  TVariant(int16_t value) : type_(varSmallint), integer_(value) {}
  TVariant(int32_t value) : type_(varInteger), integer_(value) {}
  TVariant(int64_t value) : type_(varInt64), integer_(value) {}
  TVariant(uint8_t value) : type_(varByte), integer_(value) {}
  TVariant(bool value) : type_(varBoolean), integer_(value ? 1 : 0) {}
  TVariant(float value) : type_(varSingle), real_(value) {}
  TVariant(double value) : type_(varDouble), real_(value) {}
  TVariant(Currency value) : type_(varCurrency), integer_(value.value) {}
  TVariant(std::string value) : type_(varString), text_(std::move(value)) {}
  TVariant(const char* value) : type_(varString), text_(value ? value : "") {}

  static TVariant Null() { return OfType(varNull); }
  static TVariant FromDate(TDateTime value) {
    TVariant v;
    v.type_ = varDate;
    v.real_ = value;
    return v;
  }
  // A value of a kind that carries nothing this layer reads (arrays, interfaces, ...).
  static TVariant OfType(TVarType type) {
    TVariant v;
    v.type_ = type;
    return v;
  }

  TVarType VarType() const { return type_; }
  bool IsEmpty() const { return type_ == varEmpty; }
  bool IsNull() const { return type_ == varNull; }
  bool IsEmptyOrNull() const { return type_ == varEmpty || type_ == varNull; }

  // Raw stores, by kind: integers, booleans and currency (ten-thousandths) in Integer(),
  // single, double and date in Real(), strings in Text().
  int64_t Integer() const { return integer_; }
  double Real() const { return real_; }
  const std::string& Text() const { return text_; }

  bool operator==(const TVariant&) const = default;

 private:
  TVarType type_ = varEmpty;
  int64_t integer_ = 0;
  double real_ = 0;
  std::string text_;
};
