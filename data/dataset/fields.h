// Field definitions and field objects: what a dataset's columns are, and the typed view
// through which controls read and write one column of the active row.
#pragma once

#include <ibase.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/core/component.h"
#include "data/core/format_settings.h"
#include "data/core/variant.h"

class TDataSet;

enum TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftBCD,
  ftDate,
  ftTime,
  ftDateTime,
  ftBytes,
  ftVarBytes,
  ftAutoInc,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftLargeint,
  ftArray,
};

// The type's name as the grid and messages show it ("String", "Integer", "Memo", ...).
const char* FieldTypeName(TFieldType type);

// faNotNull: the column is NOT NULL, whether or not the engine fills it on insert.
enum TFieldAttribute : unsigned {
  faHiddenCol = 1,
  faReadonly = 2,
  faRequired = 4,
  faFixed = 8,
  faNotNull = 16
};
enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// One column as the dataset describes it when it prepares.
class TFieldDef {
 public:
  TFieldDef(std::string name, TFieldType type, int size, bool required, int field_no)
      : name_(std::move(name)),
        data_type_(type),
        size_(size),
        required_(required),
        field_no_(field_no) {}

  const std::string& Name() const { return name_; }
  TFieldType DataType() const { return data_type_; }
  int Size() const { return size_; }
  bool Required() const { return required_; }
  // The column's 1-based position in the select's output.
  int FieldNo() const { return field_no_; }
  void SetFieldNo(int value) { field_no_ = value; }
  int Precision() const { return precision_; }
  void SetPrecision(int value) { precision_ = value; }
  // The decimal scale of a stored scaled integer (0 or negative); see TField::Scale.
  int Scale() const { return scale_; }
  void SetScale(int value) { scale_ = value; }
  unsigned Attributes() const { return attributes_; }
  void SetAttributes(unsigned value) { attributes_ = value; }
  bool InternalCalcField() const { return internal_calc_; }
  void SetInternalCalcField(bool value) { internal_calc_ = value; }
  // The character set a text column's bytes are in (UTF8 unless the dataset says).
  int CharSet() const { return char_set_; }
  void SetCharSet(int value) { char_set_ = value; }

 private:
  std::string name_;
  TFieldType data_type_;
  int size_;
  bool required_;
  int field_no_;
  int precision_ = 0;
  int scale_ = 0;
  unsigned attributes_ = 0;
  bool internal_calc_ = false;
  int char_set_ = 4;  // UTF8
};

class TFieldDefs {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TFieldDef& Items(int index) const { return *items_.at(index); }
  TFieldDef& Add(const std::string& name, TFieldType type, int size, bool required);
  void Clear() { items_.clear(); }
  int IndexOf(const std::string& name) const;  // exact name, -1 when absent
  TFieldDef* Find(const std::string& name) const;

 private:
  std::vector<std::unique_ptr<TFieldDef>> items_;
};

// A field reads and writes its value through its dataset (GetFieldData, SetFieldData),
// as raw bytes in the field's native storage form, DataSize() bytes long:
//   TIBStringField   characters, zero-terminated (Size() + 1 bytes)
//   TSmallintField,
//   TIntegerField    int32
//   TLargeintField   int64
//   TFloatField      double when Scale() is 0; else int64, the value times 10^-Scale()
//   TIBBCDField      int64, the value times 10^-Scale()
//   TDateField       ISC_DATE (int32 days since 17 November 1858), 4 bytes
//   TTimeField       ISC_TIME (uint32 ten-thousandths of a second since midnight), 4 bytes
//   TDateTimeField   ISC_TIMESTAMP (date then time as above)
//   TBooleanField    one byte, 0 or 1
//   TBlobField,
//   TMemoField       ISC_QUAD blob identifier; contents through the dataset's blob stream
// These are Firebird's own exact forms, so nothing is rounded on the way to the row
// buffer and back; conversions happen when a field is read or written as another type.
class TField : public TComponent {
 public:
  TField(TComponent* owner, TFieldType type);
  ~TField() override;

  TDataSet* DataSet() const { return dataset_; }
  // Joins `dataset`'s field list (leaves the old one's).
  void SetDataSet(TDataSet* dataset);

  const std::string& FieldName() const { return field_name_; }
  void SetFieldName(const std::string& value) { field_name_ = value; }
  TFieldType DataType() const { return data_type_; }
  TFieldKind FieldKind() const { return field_kind_; }
  void SetFieldKind(TFieldKind value) { field_kind_ = value; }
  // The column's 1-based position in the select's output; 0 when unbound.
  int FieldNo() const { return field_no_; }
  void SetFieldNo(int value) { field_no_ = value; }
  // The position in the dataset's field list.
  int Index() const;
  int Size() const { return size_; }
  virtual void SetSize(int value) { size_ = value; }
  int Scale() const { return scale_; }
  void SetScale(int value) { scale_ = value; }
  // The character set of a text or memo field's stored bytes; the field reads and
  // writes UTF-8 and converts. Size() counts characters.
  int CharSet() const { return char_set_; }
  void SetCharSet(int value) { char_set_ = value; }
  // Bytes of the native storage form.
  virtual int DataSize() const { return 0; }
  // Takes a definition's name, size, scale, flags and position (precision and fixed
  // width in the classes that have them); what a dataset does for its default fields.
  virtual void AssignFieldDef(const TFieldDef& def);

  // The label defaults to the field name.
  std::string DisplayLabel() const { return display_label_.empty() ? field_name_ : display_label_; }
  void SetDisplayLabel(const std::string& value);
  std::string DisplayName() const { return DisplayLabel(); }
  // The class default unless set.
  int DisplayWidth() const { return display_width_ > 0 ? display_width_ : DefaultDisplayWidth(); }
  void SetDisplayWidth(int value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value) { read_only_ = value; }
  bool Required() const { return required_; }
  void SetRequired(bool value) { required_ = value; }
  // NOT NULL in the database: an insert may leave it to the engine (a default, a
  // trigger), an edit of a stored row may not clear it.
  bool NotNull() const { return not_null_; }
  void SetNotNull(bool value) { not_null_ = value; }
  bool Calculated() const { return field_kind_ == fkCalculated; }
  bool IsBlob() const {
    return data_type_ == ftBlob || data_type_ == ftMemo || data_type_ == ftGraphic;
  }
  // Not read-only, a data field, and the dataset can modify.
  bool CanModify() const;

  // Reads; a null value reads as the empty or zero value of the asked type.
  bool IsNull() const;
  virtual std::string AsString() const;
  virtual int32_t AsInteger() const;
  virtual int64_t AsLargeInt() const { return AsInteger(); }
  virtual double AsFloat() const;
  virtual Currency AsCurrency() const;
  virtual TDateTime AsDateTime() const;
  virtual bool AsBoolean() const;
  virtual TVariant AsVariant() const;
  // The text shown in a cell, and the text given to an editor.
  virtual std::string DisplayText() const { return AsString(); }
  virtual std::string Text() const { return AsString(); }

  // Writes go through the dataset, which checks its state (SetFieldData). A text the
  // field cannot take raises EDatabaseError naming the text and the field.
  virtual void SetAsString(const std::string& value);
  virtual void SetAsInteger(int32_t value);
  // Outside the 32-bit range raises the range error; classes that hold more override it.
  virtual void SetAsLargeInt(int64_t value);
  virtual void SetAsFloat(double value);
  virtual void SetAsCurrency(Currency value);
  virtual void SetAsDateTime(TDateTime value);
  virtual void SetAsBoolean(bool value);
  // A null or empty variant clears the field.
  virtual void SetAsVariant(const TVariant& value);
  virtual void SetText(const std::string& value) { SetAsString(value); }
  void Clear() { SetData(nullptr); }

  // Whether an editor may accept `c` for this field. Numeric fields take every character
  // a number text of any locale may hold, so that the text is judged whole when written.
  virtual bool IsValidChar(char c) const;

  // The raw native form; false (and nothing copied) for null or no active row.
  bool GetData(void* buffer) const;
  // nullptr stores null.
  void SetData(const void* buffer);

 protected:
  virtual int DefaultDisplayWidth() const { return 10; }
  // "'abc' is not a valid integer value for field 'QTY'"
  [[noreturn]] void RaiseConvertError(const std::string& text, const char* type_name) const;
  // "Cannot access field 'QTY' as type DateTime"
  [[noreturn]] void RaiseAccessError(const char* type_name) const;
  // "40000 is not a valid value for field 'QTY'", with the range when one is given.
  [[noreturn]] void RaiseRangeError(const std::string& value, const std::string& min = "",
                                    const std::string& max = "") const;
  // Sends a layout change to the dataset's controls.
  void PropertyChanged(bool layout);

 private:
  TDataSet* dataset_ = nullptr;
  std::string field_name_;
  TFieldType data_type_;
  TFieldKind field_kind_ = fkData;
  int field_no_ = 0;
  int size_ = 0;
  int scale_ = 0;
  int char_set_ = 4;  // UTF8
  std::string display_label_;
  int display_width_ = 0;
  TAlignment alignment_ = taLeftJustify;
  bool visible_ = true;
  bool read_only_ = false;
  bool required_ = false;
  bool not_null_ = false;
};

class TStringField : public TField {
 public:
  explicit TStringField(TComponent* owner = nullptr);
  // Room for Size() characters of the field's set, and a terminating zero.
  int DataSize() const override;
  bool FixedChar() const { return fixed_char_; }
  void SetFixedChar(bool value) { fixed_char_ = value; }
  std::string AsString() const override;
  int32_t AsInteger() const override;
  int64_t AsLargeInt() const override;
  double AsFloat() const override;
  Currency AsCurrency() const override;
  TDateTime AsDateTime() const override;
  bool AsBoolean() const override;
  TVariant AsVariant() const override;
  // A text longer than the field is refused, with an EDatabaseError naming the field and
  // its size; the stored value stays.
  void SetAsString(const std::string& value) override;
  void SetAsInteger(int32_t value) override;
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsCurrency(Currency value) override;
  void SetAsDateTime(TDateTime value) override;
  void SetAsBoolean(bool value) override;
  void AssignFieldDef(const TFieldDef& def) override;

 protected:
  int DefaultDisplayWidth() const override { return Size(); }

 private:
  // The text read with `parse`; blank text reads as the type's zero.
  template <typename T>
  T ParseText(bool (*parse)(const std::string&, T&), const char* type_name) const;

  bool fixed_char_ = false;
};

class TIBStringField : public TStringField {
 public:
  explicit TIBStringField(TComponent* owner = nullptr) : TStringField(owner) {}
};

class TNumericField : public TField {
 public:
  TNumericField(TComponent* owner, TFieldType type, int precision = 0);
  // Decimal digits of the column (15 for a double); 0 when unknown.
  int Precision() const { return precision_; }
  void SetPrecision(int value) { precision_ = value; }
  const std::string& DisplayFormat() const { return display_format_; }
  void SetDisplayFormat(const std::string& value) { display_format_ = value; }
  bool IsValidChar(char c) const override;

 protected:
  // A scaled integer's reads and writes (raw int64, value * 10^-Scale()); reads beyond
  // the asked type raise client error 38, writes beyond the raw range a range error.
  std::string ScaledString() const;
  double ScaledFloat() const;
  int64_t ScaledLargeInt() const;
  Currency ScaledCurrency() const;
  void SetScaledLargeInt(int64_t value);
  void SetScaledFloat(double value);
  void SetScaledCurrency(Currency value);
  void SetScaledString(const std::string& value, const char* type_name);

 private:
  int precision_;
  std::string display_format_;
};

class TIntegerField : public TNumericField {
 public:
  explicit TIntegerField(TComponent* owner = nullptr) : TIntegerField(owner, ftInteger) {}
  int DataSize() const override { return 4; }
  std::string AsString() const override;
  int32_t AsInteger() const override;
  double AsFloat() const override;
  Currency AsCurrency() const override { return Currency::FromUnits(AsInteger()); }
  bool AsBoolean() const override { return AsInteger() != 0; }
  TVariant AsVariant() const override;
  void SetAsString(const std::string& value) override;
  void SetAsInteger(int32_t value) override { SetAsLargeInt(value); }
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsCurrency(Currency value) override;
  void SetAsBoolean(bool value) override { SetAsInteger(value ? 1 : 0); }

 protected:
  TIntegerField(TComponent* owner, TFieldType type);
  // The type's range; a value outside raises "%s is not a valid value for field '%s'...".
  virtual int64_t MinValue() const { return INT32_MIN; }
  virtual int64_t MaxValue() const { return INT32_MAX; }
};

class TSmallintField : public TIntegerField {
 public:
  explicit TSmallintField(TComponent* owner = nullptr) : TIntegerField(owner, ftSmallint) {}

 protected:
  int64_t MinValue() const override { return INT16_MIN; }
  int64_t MaxValue() const override { return INT16_MAX; }
};

class TLargeintField : public TNumericField {
 public:
  explicit TLargeintField(TComponent* owner = nullptr) : TNumericField(owner, ftLargeint) {}
  int DataSize() const override { return 8; }
  std::string AsString() const override;
  int32_t AsInteger() const override;  // error when it does not fit
  int64_t AsLargeInt() const override;
  double AsFloat() const override;
  Currency AsCurrency() const override;
  bool AsBoolean() const override { return AsLargeInt() != 0; }
  TVariant AsVariant() const override;
  void SetAsString(const std::string& value) override;
  void SetAsInteger(int32_t value) override { SetAsLargeInt(value); }
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsCurrency(Currency value) override;

 protected:
  int DefaultDisplayWidth() const override { return 15; }
};

class TFloatField : public TNumericField {
 public:
  explicit TFloatField(TComponent* owner = nullptr) : TNumericField(owner, ftFloat, 15) {}
  int DataSize() const override { return 8; }
  // A FLOAT column (precision 7): its value is a float's, and shows as one.
  bool SinglePrecision() const { return Precision() > 0 && Precision() <= 7; }
  // A scaled column's text is its exact decimal value.
  std::string AsString() const override;
  int32_t AsInteger() const override;
  int64_t AsLargeInt() const override;
  double AsFloat() const override;
  Currency AsCurrency() const override;
  TVariant AsVariant() const override;
  void SetAsString(const std::string& value) override;
  void SetAsInteger(int32_t value) override { SetAsLargeInt(value); }
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsCurrency(Currency value) override;
  void AssignFieldDef(const TFieldDef& def) override;
};

class TBCDField : public TNumericField {
 public:
  explicit TBCDField(TComponent* owner = nullptr) : TNumericField(owner, ftBCD) {}
  int DataSize() const override { return 8; }
  // Exact decimal value with every decimal of the scale; client error 38 where a narrower read
  // (AsCurrency beyond its range, AsInteger) cannot hold it.
  std::string AsString() const override;
  int32_t AsInteger() const override;
  int64_t AsLargeInt() const override;
  double AsFloat() const override;
  Currency AsCurrency() const override;
  TVariant AsVariant() const override;
  void SetAsString(const std::string& value) override;
  void SetAsInteger(int32_t value) override { SetAsLargeInt(value); }
  void SetAsLargeInt(int64_t value) override;
  void SetAsFloat(double value) override;
  void SetAsCurrency(Currency value) override;
  void AssignFieldDef(const TFieldDef& def) override;

 protected:
  int DefaultDisplayWidth() const override { return Precision() > 0 ? Precision() + 1 : 10; }
};

class TIBBCDField : public TBCDField {
 public:
  explicit TIBBCDField(TComponent* owner = nullptr) : TBCDField(owner) {}
};

class TDateTimeField : public TField {
 public:
  explicit TDateTimeField(TComponent* owner = nullptr) : TDateTimeField(owner, ftDateTime) {}
  int DataSize() const override { return 8; }
  std::string AsString() const override;
  double AsFloat() const override { return AsDateTime(); }
  TDateTime AsDateTime() const override;
  TVariant AsVariant() const override;
  void SetAsString(const std::string& value) override;
  void SetAsFloat(double value) override { SetAsDateTime(value); }
  void SetAsDateTime(TDateTime value) override;
  bool IsValidChar(char c) const override;

 protected:
  TDateTimeField(TComponent* owner, TFieldType type);
  int DefaultDisplayWidth() const override { return 18; }
};

class TDateField : public TDateTimeField {
 public:
  explicit TDateField(TComponent* owner = nullptr) : TDateTimeField(owner, ftDate) {}
  int DataSize() const override { return 4; }

 protected:
  int DefaultDisplayWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
 public:
  explicit TTimeField(TComponent* owner = nullptr) : TDateTimeField(owner, ftTime) {}
  int DataSize() const override { return 4; }

 protected:
  int DefaultDisplayWidth() const override { return 10; }
};

class TBooleanField : public TField {
 public:
  explicit TBooleanField(TComponent* owner = nullptr) : TField(owner, ftBoolean) {}
  int DataSize() const override { return 1; }
  // "True" / "False"
  std::string AsString() const override;
  int32_t AsInteger() const override { return AsBoolean() ? 1 : 0; }
  bool AsBoolean() const override;
  TVariant AsVariant() const override;
  void SetAsString(const std::string& value) override;
  void SetAsInteger(int32_t value) override { SetAsBoolean(value != 0); }
  void SetAsBoolean(bool value) override;
  bool IsValidChar(char c) const override;
};

class TBlobField : public TField {
 public:
  explicit TBlobField(TComponent* owner = nullptr) : TBlobField(owner, ftBlob) {}
  int DataSize() const override { return 8; }
  // The whole contents, read through the dataset's blob stream.
  std::string AsString() const override;
  TVariant AsVariant() const override;
  // "(Blob)" / "(Memo)", upper case when the field is not null.
  std::string DisplayText() const override;
  // The cell text too: the contents are not edited as a line of text.
  std::string Text() const override { return DisplayText(); }
  // Replaces the contents through the dataset's blob stream.
  void SetAsString(const std::string& value) override;

 protected:
  TBlobField(TComponent* owner, TFieldType type);
};

class TMemoField : public TBlobField {
 public:
  explicit TMemoField(TComponent* owner = nullptr) : TBlobField(owner, ftMemo) {}
};

// Makes the field object of `type` (TIBStringField for ftString, TIBBCDField for ftBCD),
// or null for a type without a class.
TField* CreateFieldOfType(TFieldType type, TComponent* owner);

// A dataset's field list, in order; the dataset owns the fields.
class TFields {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TField* Fields(int index) const { return items_.at(index); }
  TField* operator[](int index) const { return Fields(index); }
  // Case-insensitive; null when absent.
  TField* FindField(const std::string& name) const;
  int IndexOf(const TField* field) const;
  void Add(TField* field) { items_.push_back(field); }
  void Remove(TField* field);
  void Clear() { items_.clear(); }

 private:
  std::vector<TField*> items_;
};
