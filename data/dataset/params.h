// A query's parameter list: one item per marker of its text, with a typed value.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/core/variant.h"
#include "data/dataset/fields.h"

class TParam {
 public:
  explicit TParam(std::string name = {}) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  TFieldType DataType() const { return data_type_; }
  void SetDataType(TFieldType value) { data_type_ = value; }
  // Set by any value assignment; an item never given a value is sent as null.
  bool Bound() const { return bound_; }
  void SetBound(bool value) { bound_ = value; }
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

 private:
  void Assign(TFieldType type, const TVariant& value);

  std::string name_;
  TFieldType data_type_ = ftUnknown;
  TVariant value_;
  bool bound_ = false;
};

class TParams {
 public:
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
  std::vector<std::unique_ptr<TParam>> items_;
};

// Scans `text` for ":name" markers, replacing each marker and its name by "?"; one item
// per marker, in order, even when a name repeats. "::" outside quotes reads as ":".
std::string ParseParamMarkers(const std::string& text, TParams* params);
