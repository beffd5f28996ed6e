// A query's parameter list: one item per marker of its text, with a typed value.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/core/variant.h"
#include "data/dataset/fields.h"

class TParams;

// One marker of a query's text. Items of one list that bear the same name (in any case)
// are one parameter: whatever sets the type, the value or the bound flag of one sets them
// on all, so every place of a repeated name is sent the same value.
class TParam {
 public:
  explicit TParam(std::string name = {}) : name_(std::move(name)) {}
  TParam(const TParam&) = delete;
  TParam& operator=(const TParam&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  TFieldType DataType() const { return data_type_; }
  void SetDataType(TFieldType value);
  // Set by any value assignment; an item never given a value is sent as null.
  bool Bound() const { return bound_; }
  void SetBound(bool value);
  bool IsNull() const { return value_.IsEmptyOrNull(); }
  const TVariant& Value() const { return value_; }
  // Takes the value's own type when the item has none yet.
  void SetValue(const TVariant& value);
  void Clear() { SetValue(TVariant::Null()); }

  void SetAsString(const std::string& value) { Assign(ftString, TVariant(value)); }
  void SetAsSmallInt(int16_t value) { Assign(ftSmallint, TVariant(value)); }
  void SetAsInteger(int32_t value) { Assign(ftInteger, TVariant(value)); }
  void SetAsLargeInt(int64_t value) { Assign(ftLargeint, TVariant(value)); }
  void SetAsFloat(double value) { Assign(ftFloat, TVariant(value)); }
  void SetAsCurrency(Currency value) { Assign(ftCurrency, TVariant(value)); }
  void SetAsBoolean(bool value) { Assign(ftBoolean, TVariant(value)); }
  void SetAsDate(TDateTime value) { Assign(ftDate, TVariant::FromDate(value)); }
  void SetAsTime(TDateTime value) { Assign(ftTime, TVariant::FromDate(value)); }
  void SetAsDateTime(TDateTime value) { Assign(ftDateTime, TVariant::FromDate(value)); }
  void SetAsMemo(const std::string& value) { Assign(ftMemo, TVariant(value)); }
  void SetAsBlob(const std::string& value) { Assign(ftBlob, TVariant(value)); }

  // The value read as the asked type, as it is sent to the statement. A text that does
  // not read as that type raises EConvertError naming the parameter; a number outside
  // the type's range raises the range error, never a wrapped value.
  std::string AsString() const;
  int64_t AsLargeInt() const;
  int32_t AsInteger() const;
  int16_t AsSmallInt() const;
  // 0 to 65535.
  int32_t AsWord() const;
  double AsFloat() const;
  Currency AsCurrency() const;
  TDateTime AsDateTime() const;

 private:
  friend class TParams;

  void Assign(TFieldType type, const TVariant& value);
  // Hands this item's type, value and bound flag to its namesakes.
  void Spread();
  // "70000 is not a valid value for parameter 'S'", with the range when one is given.
  [[noreturn]] void RaiseRangeError(const std::string& value, const std::string& min = "",
                                    const std::string& max = "") const;
  int64_t InRange(int64_t value, int64_t min, int64_t max) const;

  TParams* owner_ = nullptr;
  std::string name_;
  TFieldType data_type_ = ftUnknown;
  TVariant value_;
  bool bound_ = false;
};

class TParams {
 public:
  TParams() = default;
  TParams(TParams&& other) noexcept { *this = std::move(other); }
  TParams& operator=(TParams&& other) noexcept;

  int Count() const { return static_cast<int>(items_.size()); }
  TParam& Items(int index) const { return *items_.at(index); }
  TParam& operator[](int index) const { return Items(index); }
  TParam& Add(const std::string& name);
  void Clear() { items_.clear(); }
  // Case-insensitive; the first of that name, or null.
  TParam* FindParam(const std::string& name) const;
  // EDatabaseError "Parameter 'X' not found" when absent.
  TParam& ParamByName(const std::string& name) const;
  // Copies into every item the value of the first item of `source` with its name.
  void AssignValues(const TParams& source);

 private:
  friend class TParam;

  std::vector<std::unique_ptr<TParam>> items_;
};

// Scans `text` for ":name" markers, replacing each marker and its name by "?"; one item
// per marker, in order, even when a name repeats. Literals, quoted identifiers and
// comments are skipped as the engine reads them, and a name is read as the statement's
// marker rewrite reads it, so the two lists line up item for item. "::" outside them
// reads as ":".
std::string ParseParamMarkers(const std::string& text, TParams* params);
