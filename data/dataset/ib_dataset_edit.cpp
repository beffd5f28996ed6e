// The buffered dataset's writing half: field writes into the active row, edit, insert,
// post, cancel and delete through the companion statements, row refresh, blob streams.
#include <algorithm>
#include <cstring>

#include "data/core/text.h"
#include "data/database/database.h"
#include "data/database/identifiers.h"
#include "data/dataset/blob_stream.h"
#include "data/dataset/ib_dataset.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"

using namespace ib_row;

namespace {

bool IsText(int type) {
  return type == SQL_TEXT || type == SQL_VARYING;
}

uint64_t KeyOf(const char* row) {
  return Get<uint64_t>(row, kDbKey);
}

}  // namespace

// A field's view of its row's blob stream: reads from the start, and a write marks the
// dataset modified and, when the view goes, tells the controls the field changed.
// It keeps its stream: held past a close of the dataset (a commit), it reads what the
// stream held, and refuses writes.
class TIBDSBlobStream : public TStream {
 public:
  TIBDSBlobStream(TIBCustomDataSet* dataset, TField* field, std::shared_ptr<TIBBlobStream> blob,
                  int column, TBlobStreamMode mode)
      : dataset_(dataset),
        alive_(dataset->alive_),
        field_(field),
        blob_(std::move(blob)),
        column_(column) {
    blob_->SetPosition(0);
    if (mode == bmWrite) {
      CheckWriting();
      blob_->Truncate();
      written_ = true;
    }
  }
  ~TIBDSBlobStream() override {
    if (!written_ || !field_ || alive_.expired()) return;
    try {
      dataset_->DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field_));
    } catch (const Exception&) {
      // A control's failure cannot travel out of a destructor; the value is stored.
    }
  }
  int64_t Read(void* buffer, int64_t count) override { return blob_->Read(buffer, count); }
  int64_t Write(const void* buffer, int64_t count) override {
    CheckWriting();
    const int64_t n = blob_->Write(buffer, count);
    written_ = true;
    return n;
  }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override { return blob_->Seek(offset, origin); }
  int64_t Size() override { return blob_->Size(); }
  void SetSize(int64_t size) override {
    CheckWriting();
    blob_->SetSize(size);
    written_ = true;
  }

 private:
  void CheckWriting() {
    // The row this stream belonged to is gone with the dataset's close.
    if (alive_.expired() || (dataset_->State() != dsEdit && dataset_->State() != dsInsert))
      RaiseClientError(ceNotEditing);
    dataset_->SetModified(true);
    dataset_->MarkAssigned(column_);
  }

  TIBCustomDataSet* dataset_;
  std::weak_ptr<const uint32_t> alive_;
  TField* field_;
  std::shared_ptr<TIBBlobStream> blob_;
  int column_;
  bool written_ = false;
};

bool TIBCustomDataSet::Available(const TIBSQL* statement) const {
  return IsLive(statement) && !Trim(statement->SQL().Text()).empty();
}

void TIBCustomDataSet::CheckCanInsert() {
  if (!Available(q_insert_)) RaiseClientError(ceNoInsertQuery);
}

void TIBCustomDataSet::CheckCanDelete() {
  if (!Available(q_delete_)) RaiseClientError(ceNoDeleteQuery);
}

void TIBCustomDataSet::CheckEditState() const {
  switch (State()) {
    case dsEdit:
      if (!Available(q_modify_)) RaiseClientError(ceNoUpdateQuery);
      break;
    case dsInsert:
      if (!Available(q_insert_)) RaiseClientError(ceNoInsertQuery);
      break;
    case dsSetKey:
    case dsCalcFields:
    case dsFilter:
    case dsNewValue:
    case dsInternalCalc:
      break;
    default:
      RaiseClientError(ceNotEditing);
  }
}

void TIBCustomDataSet::PlaceInsertedRow(char* row) {
  Put<int32_t>(row, kRecordNumber, fetched_);
  current_ = fetched_;
}

void TIBCustomDataSet::WriteToCache(const char* row) {
  const int record = Get<int32_t>(row, kRecordNumber);
  if (record >= 0) StoreRow(record, row);
}

void TIBCustomDataSet::KeepEditInCache(const char* row) {
  // A row being inserted has no place in the cache until it is posted: the record number
  // it carries is the next fetch's, and a fetch meanwhile (a grid that grows) lands there,
  // so writing it would overwrite that fetched row.
  if (State() == dsInsert) return;
  WriteToCache(row);
}

bool TIBCustomDataSet::IsInsertedKey(uint64_t key) const {
  if (inserted_keys_.empty() || key == 0) return false;
  return std::find(inserted_keys_.begin(), inserted_keys_.end(), key) != inserted_keys_.end();
}

// --- Writing a field ---

void TIBCustomDataSet::SetFieldData(TField* field, const void* buffer) {
  const char* text = static_cast<const char*>(buffer);
  const int column = field ? field->FieldNo() : 0;
  if (buffer && column > 0 && ActiveBuffer() &&
      column <= Get<int16_t>(ActiveBuffer(), kColumnCount) &&
      IsText(
          Get<int16_t>(ActiveBuffer(), ColumnOffset(static_cast<size_t>(column - 1)) + kSqlType))) {
    const size_t d = ColumnOffset(static_cast<size_t>(column - 1));
    const size_t size = static_cast<size_t>(Get<int16_t>(ActiveBuffer(), d + kDataSize));
    WriteField(field, text, strnlen(text, size));
    return;
  }
  WriteField(field, buffer, 0);
}

void TIBCustomDataSet::SetFieldBytes(TField* field, const std::string& bytes) {
  WriteField(field, bytes.data(), bytes.size());
}

void TIBCustomDataSet::WriteField(TField* field, const void* buffer, size_t length) {
  CheckEditState();
  char* row = ActiveBuffer();
  if (!row || !field) return;
  if (State() == dsInsert && !Modified()) PlaceInsertedRow(row);
  const int column = field->FieldNo();
  if (column > 0 && column <= Get<int16_t>(row, kColumnCount)) {
    MarkAssigned(column - 1);
    const size_t d = ColumnOffset(static_cast<size_t>(column - 1));
    const int type = Get<int16_t>(row, d + kSqlType);
    const size_t size = static_cast<size_t>(Get<int16_t>(row, d + kDataSize));
    char* data = row + Get<int32_t>(row, d + kDataOffset);
    bool null = buffer == nullptr;
    if (!null && IsText(type)) {
      // Bytes past the column's room would be cut: refused before anything changes.
      if (length > size) RaiseClientError(ceStringTooLong, {length, size});
      // An empty text is stored as NULL.
      if (length == 0 && field->DataType() == ftString) {
        null = true;
      } else {
        std::memcpy(data, buffer, length);
        Put<int16_t>(row, d + kDataLength, static_cast<int16_t>(length));
      }
    } else if (!null) {
      const size_t n = std::min(static_cast<size_t>(std::max(field->DataSize(), 0)), size);
      std::memcpy(data, buffer, n);
      std::memset(data + n, 0, size - n);
    }
    Put<uint8_t>(row, d + kNull, null);
    if (Get<uint8_t>(row, kUpdateStatus) == usUnmodified)
      Put<uint8_t>(row, kUpdateStatus, State() == dsInsert ? usInserted : usModified);
    KeepEditInCache(row);
    SetModified(true);
  }
  if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue)
    DataEvent(deFieldChange, reinterpret_cast<intptr_t>(field));
}

// --- Edit, insert, post, cancel, delete ---

void TIBCustomDataSet::InternalEdit() {
  if (!Available(q_modify_)) RaiseClientError(ceNoUpdateQuery);
  std::memcpy(old_row_.get(), ActiveBuffer(), row_size_);
}

void TIBCustomDataSet::InternalInsert() {
  insert_saved_current_ = current_;
  assigned_.assign(static_cast<size_t>(Get<int16_t>(model_row_.get(), kColumnCount)), false);
}

void TIBCustomDataSet::MarkAssigned(int column) {
  if (State() == dsInsert && column >= 0 && column < static_cast<int>(assigned_.size()))
    assigned_[static_cast<size_t>(column)] = true;
}

void TIBCustomDataSet::InternalAddRecord(TRecordBuffer buffer, bool) {
  Put<uint8_t>(buffer, kUpdateStatus, usInserted);
}

void TIBCustomDataSet::CheckRequiredFields() {
  for (int i = 0; i < FieldCount(); ++i) {
    TField* field = Fields()[i];
    if (!field->Required() || field->ReadOnly() || field->FieldKind() != fkData || !field->IsNull())
      continue;
    // The control that takes the focus clears the pointer it is handed.
    TField* focus = field;
    DataEvent(deFocusControl, reinterpret_cast<intptr_t>(&focus));
    // This message never carries the dataset's name.
    throw EDatabaseError(Format(SFieldRequired, {field->DisplayName()}));
  }
}

void TIBCustomDataSet::Post() {
  TDataSet::Post();
  if (pending_post_error_) {
    std::exception_ptr error = pending_post_error_;
    pending_post_error_ = nullptr;
    std::rethrow_exception(error);
  }
}

void TIBCustomDataSet::InternalPost() {
  CheckRequiredFields();
  CheckEditState();
  char* row = ActiveBuffer();
  const bool inserting = State() == dsInsert;
  TIBSQL* statement = q_modify_;
  if (inserting) {
    statement = q_insert_;
    Put<uint8_t>(row, kUpdateStatus, usInserted);
    PlaceInsertedRow(row);
    WriteToCache(row);
    // Only what was set is sent: the engine gives the other columns their defaults.
    std::vector<std::string> assigned;
    const TIBXSQLDA& columns = q_select_->Current();
    for (size_t i = 0; i < assigned_.size() && i < static_cast<size_t>(columns.Count()); ++i)
      if (assigned_[i]) assigned.push_back(columns[static_cast<int>(i)].AliasName());
    PrepareRowInsert(assigned);
  } else if (Get<uint8_t>(row, kUpdateStatus) == usUnmodified) {
    Put<uint8_t>(row, kUpdateStatus, usModified);
  }
  WriteRow(statement, row);
  if (inserting) ++fetched_;
  // An insert that returned the stored row (its DB key and what the engine filled in)
  // needs no refresh; without it, a refresh by the untouched key placeholder could
  // read another row.
  const bool returned = inserting && q_insert_->SQLType() == SQLExecProcedure;
  // The row is in the database now: the post completes whatever the refresh says.
  if (!returned && (forced_refresh_ || needs_refresh_) && Available(q_refresh_)) {
    try {
      RefreshRowBuffer(row);
    } catch (...) {
      pending_post_error_ = std::current_exception();
    }
  }
  if (inserting && KeyOf(row) != 0) inserted_keys_.push_back(KeyOf(row));
}

void TIBCustomDataSet::WriteRow(TIBSQL* statement, char* row) {
  const int columns = Get<int16_t>(row, kColumnCount);
  for (int column = 0; column < columns; ++column) {
    TIBBlobStream* stream = SlotStream(row, column);
    // Only a written stream becomes a new blob; an untouched one keeps its identifier.
    if (!stream || !stream->Modified()) continue;
    stream->Finalize();
    const size_t d = ColumnOffset(static_cast<size_t>(column));
    Put<ISC_QUAD>(row + Get<int32_t>(row, d + kDataOffset), 0, stream->BlobID());
    Put<uint8_t>(row, d + kNull, stream->Size() == 0);
  }
  SetParamsFromRow(statement, row);
  statement->ExecQuery();
  rows_affected_ = statement->RowsAffected();
  // An insert with RETURNING hands back the row as stored.
  if (statement == q_insert_ && statement->SQLType() == SQLExecProcedure)
    FillRow(statement, row, false);
  // A modify or delete that found no row (changed or deleted meanwhile, or a row whose
  // DB key was never read back) has not saved anything: say so.
  if (statement != q_insert_ && rows_affected_ == 0) throw ERowChanged(this);
  Put<uint8_t>(row, kUpdateStatus, usUnmodified);
  SetModified(false);
  WriteToCache(row);
}

void TIBCustomDataSet::InternalCancel() {
  char* row = ActiveBuffer();
  if (!row) return;
  // Streams written since the edit began go back to their blobs.
  const int columns = Get<int16_t>(row, kColumnCount);
  for (int column = 0; column < columns; ++column)
    if (TIBBlobStream* stream = SlotStream(row, column)) stream->Cancel();
  if (State() == dsEdit) {
    std::memcpy(row, old_row_.get(), row_size_);
    WriteToCache(row);
  } else {
    std::memcpy(row, model_row_.get(), row_size_);
    Put<uint8_t>(row, kUpdateStatus, usDeleted);
    SetBookmarkFlag(row, bfEOF);
    current_ = insert_saved_current_;
  }
}

void TIBCustomDataSet::InternalDelete() {
  char* row = ActiveBuffer();
  SetParamsFromRow(q_delete_, row);
  q_delete_->ExecQuery();
  rows_affected_ = q_delete_->RowsAffected();
  if (rows_affected_ == 0) throw ERowChanged(this);
  Put<uint8_t>(row, kUpdateStatus, usDeleted);
  WriteToCache(row);
  const int record = Get<int32_t>(row, kRecordNumber);
  deleted_rows_.insert(std::lower_bound(deleted_rows_.begin(), deleted_rows_.end(), record),
                       record);
}

// --- Parameters from a row ---

void TIBCustomDataSet::SetParamsFromRow(TIBSQL* statement, const char* row) {
  if (!row) RaiseClientError(ceBufferNotSet);
  if (!prepared_) InternalPrepare();
  if (!statement->Prepared()) statement->Prepare();
  TIBXSQLDA& params = statement->Params();
  const TIBXSQLDA& columns = q_select_->Current();
  const int dialect = Database()->SQLDialect();
  // The row as it was before the edit, read at most once.
  std::unique_ptr<char[]> old;
  auto old_row = [&]() -> const char* {
    if (old) return old.get();
    old = std::make_unique<char[]>(row_size_);
    const int record = Get<int32_t>(row, kRecordNumber);
    if (record >= 0 && record < fetched_)
      ReadRow(record, old.get());
    else
      std::memcpy(old.get(), row, row_size_);
    if (Get<int32_t>(old_row_.get(), kRecordNumber) == record)
      std::memcpy(old.get(), old_row_.get(), row_size_);
    return old.get();
  };
  for (int i = 0; i < params.Count(); ++i) {
    TIBXSQLVAR& param = params[i];
    const std::string& name = param.Name();
    if (name == kDbKeyAlias && db_key_column_ >= 0) {
      param.SetAsPointer(row + kDbKey);
      continue;
    }
    // The exact column first: a column may itself be named OLD_X.
    const char* source = row;
    int column = columns.IndexOfName(QuoteSqlIdentifier(dialect, name));
    if (column < 0 && name.size() > 4 &&
        (name.compare(0, 4, "OLD_") == 0 || name.compare(0, 4, "NEW_") == 0)) {
      column = columns.IndexOfName(QuoteSqlIdentifier(dialect, name.substr(4)));
      if (name[0] == 'O' && column >= 0) source = old_row();
    }
    if (column < 0 || column == db_key_column_) continue;
    BindColumn(param, source, column);
  }
}

void TIBCustomDataSet::BindColumn(TIBXSQLVAR& param, const char* row, int column) const {
  const size_t d = ColumnOffset(static_cast<size_t>(column));
  if (Get<uint8_t>(row, d + kNull)) {
    param.SetIsNull(true);
    return;
  }
  const int type = Get<int16_t>(row, d + kSqlType);
  const int scale = Get<int16_t>(row, d + kScale);
  const char* data = row + Get<int32_t>(row, d + kDataOffset);
  // Each value goes back in the exact form the row holds.
  switch (type) {
    case SQL_VARYING:
    case SQL_TEXT:
      // The bytes as this connection read them: no conversion, so NONE and OCTETS
      // values go back exactly.
      param.SetAsRawText(
          std::string(data, static_cast<size_t>(Get<int16_t>(row, d + kDataLength))));
      break;
    case SQL_DOUBLE:
    case SQL_FLOAT:
    case SQL_D_FLOAT:
      param.SetAsDouble(Get<double>(data, 0));
      break;
    case SQL_SHORT:
    case SQL_LONG:
      if (scale == 0)
        param.SetAsLong(Get<int32_t>(data, 0));
      else
        param.SetAsScaledInt64(Get<int64_t>(data, 0), scale);
      break;
    case SQL_INT64:
      if (scale == 0)
        param.SetAsInt64(Get<int64_t>(data, 0));
      else
        param.SetAsScaledInt64(Get<int64_t>(data, 0), scale);
      break;
    case SQL_TIMESTAMP:
      param.SetAsIscTimestamp(Get<ISC_TIMESTAMP>(data, 0));
      break;
    case SQL_TYPE_TIME:
      param.SetAsIscTime(Get<ISC_TIME>(data, 0));
      break;
    case SQL_TYPE_DATE:
      param.SetAsIscDate(Get<ISC_DATE>(data, 0));
      break;
    case kSqlBoolean:
      param.SetAsBoolean(Get<uint8_t>(data, 0) != 0);
      break;
    default:  // blobs, arrays, quads: the identifier
      param.SetAsQuad(Get<ISC_QUAD>(data, 0));
      break;
  }
}

// --- Row refresh ---

void TIBCustomDataSet::RefreshRow() {
  char* row = ActiveBuffer();
  if (!row) {
    if (!Available(q_refresh_)) RaiseClientError(ceNoRefreshQuery);
    return;
  }
  RefreshRowBuffer(row);
  DataEvent(deRecordChange);
}

void TIBCustomDataSet::RefreshRowBuffer(char* row) {
  PrepareRowRefresh(row);
  if (!Available(q_refresh_)) RaiseClientError(ceNoRefreshQuery);
  SetParamsFromRow(q_refresh_, row);
  struct TCloser {
    TIBSQL* sql;
    ~TCloser() {
      try {
        if (sql->Open()) sql->Close();
      } catch (const Exception&) {
        // The refresh's own failure, if any, is the one to report.
      }
    }
  } closer{q_refresh_};
  q_refresh_->ExecQuery();
  const bool procedure = q_refresh_->SQLType() == SQLExecProcedure;
  if (!procedure && !q_refresh_->Next()) return;
  const int record = Get<int32_t>(row, kRecordNumber);
  FetchRowInto(q_refresh_, row, -1);
  Put<int32_t>(row, kRecordNumber, record);
  // Several rows alike (no key): none of their DB keys names this row for sure.
  if (!procedure && q_refresh_->Next()) std::memset(row + kDbKey, 0, kDbKeySize);
  WriteToCache(row);
}

// --- Blob streams ---

std::shared_ptr<TIBBlobStream> TIBCustomDataSet::SlotStreamShared(const char* row,
                                                                  int column) const {
  if (column < 0 || column >= static_cast<int>(blob_slot_of_column_.size())) return nullptr;
  const int slot = blob_slot_of_column_[static_cast<size_t>(column)];
  if (slot < 0) return nullptr;
  const uint64_t index = Get<uint64_t>(row, blob_area_ + static_cast<size_t>(slot) * kBlobSlotSize);
  return index > 0 && index <= streams_.size() ? streams_[index - 1] : nullptr;
}

TIBBlobStream* TIBCustomDataSet::SlotStream(const char* row, int column) const {
  return SlotStreamShared(row, column).get();
}

std::unique_ptr<TStream> TIBCustomDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode) {
  auto make_stream = [this](const ISC_QUAD* id) {
    auto stream = std::make_shared<TIBBlobStream>();
    stream->SetDatabase(Database());
    stream->SetTransaction(Transaction());
    if (id) stream->SetBlobID(*id);
    streams_.push_back(std::move(stream));
    return streams_.back();
  };
  char* row = const_cast<char*>(RowForState());
  const int column = field ? field->FieldNo() - 1 : -1;
  std::shared_ptr<TIBBlobStream> stream;
  if (row && column >= 0 && column < Get<int16_t>(row, kColumnCount) &&
      blob_slot_of_column_[static_cast<size_t>(column)] >= 0) {
    stream = SlotStreamShared(row, column);
    if (!stream) {
      if (State() == dsInsert && !Modified()) PlaceInsertedRow(row);
      const size_t d = ColumnOffset(static_cast<size_t>(column));
      ISC_QUAD id{};
      if (!Get<uint8_t>(row, d + kNull))
        id = Get<ISC_QUAD>(row + Get<int32_t>(row, d + kDataOffset), 0);
      stream = make_stream(&id);
      const int slot = blob_slot_of_column_[static_cast<size_t>(column)];
      Put<uint64_t>(row, blob_area_ + static_cast<size_t>(slot) * kBlobSlotSize,
                    static_cast<uint64_t>(streams_.size()));
      KeepEditInCache(row);
    }
  } else {
    stream = make_stream(nullptr);
  }
  return std::make_unique<TIBDSBlobStream>(this, field, std::move(stream), column, mode);
}
