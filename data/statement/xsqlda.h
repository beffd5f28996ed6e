// A statement's input and output descriptors: the client's XSQLDA block and one typed
// variable per slot.
#pragma once

#include <ibase.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/core/format_settings.h"
#include "data/core/string_list.h"
#include "data/core/variant.h"

class TIBDatabase;
class TIBSQL;
class TIBXSQLDA;

// One parameter or column. Setters change every variable of the descriptor that bears
// the same name, so each use of a repeated parameter name receives the value.
class TIBXSQLVAR {
 public:
  TIBXSQLVAR(TIBXSQLDA* parent, int index);
  TIBXSQLVAR(const TIBXSQLVAR&) = delete;
  TIBXSQLVAR& operator=(const TIBXSQLVAR&) = delete;

  int Index() const { return index_; }
  const std::string& Name() const { return name_; }
  bool Modified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }
  // The declared length for text and varying, else 0.
  int MaxLen() const { return max_len_; }
  // The character set the server described text in (a text column's, or a text blob's),
  // -1 for other types. Text is read and written as UTF-8 and converted at this edge.
  int CharSetId() const { return char_set_; }
  // The characters the declared length holds in that set.
  int MaxChars() const;

  // The client's slot: type code with the nullable bit, scale, subtype, length, buffers.
  XSQLVAR* SqlVar() const { return slot_; }
  int SqlType() const { return slot_->sqltype & ~1; }
  int SqlScale() const { return slot_->sqlscale; }
  int SqlSubtype() const { return slot_->sqlsubtype; }
  int Size() const { return slot_->sqllen; }
  std::string SqlName() const;
  std::string RelName() const;
  std::string OwnName() const;
  std::string AliasName() const;

  bool IsNullable() const { return (slot_->sqltype & 1) != 0; }
  void SetIsNullable(bool value);
  bool IsNull() const;
  void SetIsNull(bool value);
  void Clear() { SetIsNull(true); }

  // Reads; a null value reads as the empty or zero value of the asked type.
  std::string AsString() const;
  // AsString without trailing blanks and control characters.
  std::string AsTrimString() const;
  // Client error 38 outside the 16-bit range.
  int16_t AsShort() const;
  int32_t AsLong() const;
  int64_t AsInt64() const;
  double AsDouble() const;
  float AsFloat() const { return static_cast<float>(AsDouble()); }
  Currency AsCurrency() const;
  TDateTime AsDateTime() const;
  ISC_QUAD AsQuad() const;
  // A boolean reads as itself, a number as non-zero, a text "true" or "false" in any case.
  bool AsBoolean() const;
  TVariant AsVariant() const;

  // Writes; each sets the type of the variable to the value's own and lets the server
  // convert.
  void SetAsShort(int16_t value);
  void SetAsLong(int32_t value);
  void SetAsInt64(int64_t value);
  void SetAsDouble(double value);
  void SetAsFloat(float value) { SetAsDouble(value); }
  void SetAsCurrency(Currency value);
  void SetAsDateTime(TDateTime value);
  void SetAsDate(TDateTime value);
  void SetAsTime(TDateTime value);
  void SetAsQuad(const ISC_QUAD& value);
  void SetAsBoolean(bool value);
  // Exact forms, as a dataset's row holds them: a scaled integer with its scale, and the
  // client's own date, time and timestamp counts. Nothing is rounded on the way.
  void SetAsScaledInt64(int64_t value, int scale) {
    WriteValue(SQL_INT64, scale, &value, sizeof value);
  }
  void SetAsIscDate(ISC_DATE value) { WriteValue(SQL_TYPE_DATE, 0, &value, sizeof value); }
  void SetAsIscTime(ISC_TIME value) { WriteValue(SQL_TYPE_TIME, 0, &value, sizeof value); }
  void SetAsIscTimestamp(const ISC_TIMESTAMP& value) {
    WriteValue(SQL_TIMESTAMP, 0, &value, sizeof value);
  }
  // Copies Size() bytes from `data` as text; a null pointer sets null when nullable.
  void SetAsPointer(const void* data);
  // UTF-8 text, stored in the variable's character set; what the set cannot hold and
  // text longer than the variable are refused.
  void SetAsString(const std::string& value);
  // Bytes already in the variable's character set (a row read by the same connection),
  // stored as they are.
  void SetAsRawText(const std::string& bytes);
  // The value's bytes as the server sent them, for text; AsString() for other types.
  std::string AsRawText() const;
  // A boolean variant writes a boolean where the server described one, else 1 or 0.
  void SetAsVariant(const TVariant& value);

 private:
  friend class TIBXSQLDA;

  int Dialect() const;
  const char* Data() const { return slot_->sqldata; }
  // The same-named variables of the descriptor, this one included.
  std::vector<TIBXSQLVAR*> Namesakes() const;
  // Stores `length` bytes as the new value of every namesake: not null, type `type`,
  // scale and length, buffer resized.
  void WriteValue(int type, int scale, const void* bytes, int length);
  void ResizeBuffer(size_t size);
  // Stores `value`, UTF-8 unless `raw`, as text in every namesake.
  void SetTextValue(const std::string& value, bool raw = false);
  // Text bytes of this variable's set and UTF-8, both ways.
  std::string DecodeValue(const std::string& bytes) const;
  std::string EncodeValue(const std::string& text) const;
  std::string NameText(const char* text, short length) const;
  const TIBDatabase* Connection() const;
  // The set this variable's text is in and the set NONE bytes are read in; false when
  // its bytes go as they are (text the server described in no set, over NONE).
  bool TextSets(int& id, int& legacy) const;
  std::string ReadBlob() const;
  ISC_QUAD WriteBlob(const std::string& value);
  double ScaledDouble(double value) const;

  TIBXSQLDA* parent_;
  int index_;
  XSQLVAR* slot_ = nullptr;
  std::string name_;
  bool modified_ = false;
  int max_len_ = 0;
  // The type the server described, kept while writes change the slot's own.
  int described_type_ = 0;
  int char_set_ = -1;
  std::vector<char> data_;
  short null_indicator_ = 0;
};

class TIBXSQLDA {
 public:
  explicit TIBXSQLDA(TIBSQL* statement);
  ~TIBXSQLDA();
  TIBXSQLDA(const TIBXSQLDA&) = delete;
  TIBXSQLDA& operator=(const TIBXSQLDA&) = delete;

  TIBSQL* Statement() const { return statement_; }
  int Count() const { return count_; }
  // Empties the names; grows the block and the variables when needed, never shrinks;
  // room and used counts become `count`. Count 0 also empties the unique relation name.
  void SetCount(int count);
  // The client block; null until a count above 0 was set.
  XSQLDA* AsXSQLDA() const { return block_; }
  // Client error 26 outside 0 to Count() - 1.
  TIBXSQLVAR& Vars(int index) const;
  TIBXSQLVAR& operator[](int index) const { return Vars(index); }
  // The variable whose normalised name equals the normalised `name`, or null.
  TIBXSQLVAR* ByName(const std::string& name) const;
  int IndexOfName(const std::string& name) const;
  // Names variable `index`, recording the name in normalised form.
  void AddName(const std::string& name, int index);
  const TStringList& Names() const { return names_; }
  // The one table all variables come from, or empty.
  const std::string& UniqueRelationName() const { return unique_relation_name_; }
  // Sets up the variables after a describe: names, maximum lengths, buffers, indicators.
  void Initialize();
  // The SQL dialect names and values follow (the connection's).
  int Dialect() const;

 private:
  friend class TIBXSQLVAR;

  std::string Normalize(const std::string& name) const;

  TIBSQL* statement_;
  int count_ = 0;
  int size_ = 0;
  XSQLDA* block_ = nullptr;
  std::vector<std::unique_ptr<TIBXSQLVAR>> vars_;
  TStringList names_;
  std::string unique_relation_name_;
};
