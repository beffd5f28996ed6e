#include "data/dataset/ib_dataset.h"

#include <algorithm>
#include <climits>
#include <new>

#include "data/client_api/client_api.h"
#include "data/core/charset.h"
#include "data/core/text.h"
#include "data/database/database.h"
#include "data/database/ib_base.h"
#include "data/dataset/array_field.h"
#include "data/dataset/blob_stream.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"

using namespace ib_row;

namespace {

// Row offsets and sizes must also fit the descriptor's 32-bit data offset.
[[noreturn]] void RaiseRowTooLarge(const TComponent* dataset) {
  DatabaseError("The row is too large for a row buffer", dataset);
}

size_t CheckedAdd(size_t a, size_t b, const TComponent* dataset) {
  size_t result;
  if (__builtin_add_overflow(a, b, &result) || result > INT32_MAX) RaiseRowTooLarge(dataset);
  return result;
}

size_t CheckedMul(size_t a, size_t b, const TComponent* dataset) {
  size_t result;
  if (__builtin_mul_overflow(a, b, &result)) RaiseRowTooLarge(dataset);
  return result;
}

// Bytes a column takes in the data area: every value in its exact form (raw scaled
// integers, raw date and time counts), so nothing is rounded on the way in or out.
size_t DataSizeOf(int type, int scale, int length) {
  switch (type) {
    case SQL_DOUBLE:
    case SQL_FLOAT:
    case SQL_D_FLOAT:
    case SQL_INT64:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
      return 8;
    case SQL_SHORT:
    case SQL_LONG:
      return scale == 0 ? 4 : 8;
    case kSqlBoolean:
      return 1;
    default:
      return length < 0 ? 0 : static_cast<size_t>(length);
  }
}

}  // namespace

TIBCustomDataSet::TIBCustomDataSet(TComponent* owner) : TDataSet(owner) {
  CheckClientLibraryLoaded();
  base_ = std::make_unique<TIBBase>(this);
  // Registers the dataset as a client of its connection (nothing to do on the change).
  base_->ConnectChange = [](bool) {};
  base_->DatasetActive = [this] { return Active(); };
  auto fire = [this](const TNotifyEvent& event) {
    if (event) event(this);
  };
  base_->BeforeDatabaseDisconnect = [this](TIBBase*) { LinkBeforeDatabaseDisconnect(); };
  base_->AfterDatabaseDisconnect = [this, fire](TIBBase*) { fire(AfterDatabaseDisconnect); };
  base_->OnDatabaseFree = [this, fire](TIBBase*) { fire(DatabaseFree); };
  base_->BeforeTransactionEnd = [this](TIBBase*) { LinkBeforeTransactionEnd(); };
  base_->AfterTransactionEnd = [this, fire](TIBBase*) { fire(AfterTransactionEnd); };
  base_->OnTransactionFree = [this, fire](TIBBase*) { fire(TransactionFree); };
  base_->AfterRollbackRetaining = [this](TIBBase*) { LinkAfterRollbackRetaining(); };

  auto make = [this] {
    auto* sql = new TIBSQL(this);
    sql->SetGoToFirstRecordOnExecute(false);
    sql->OnSQLChanging = [this](TComponent* sender) { SQLChanging(static_cast<TIBSQL*>(sender)); };
    return sql;
  };
  q_delete_ = make();
  q_insert_ = make();
  q_refresh_ = make();
  q_select_ = make();
  q_modify_ = make();

  if (auto* database = dynamic_cast<TIBDatabase*>(owner))
    SetDatabase(database);
  else if (auto* transaction = dynamic_cast<TIBTransaction*>(owner))
    SetTransaction(transaction);
}

TIBCustomDataSet::~TIBCustomDataSet() {
  // Peers let go first, and a close while destroying fires no close events.
  BeginDestruction();
  try {
    Close();
    if (open_) InternalClose();
  } catch (const Exception&) {
    // A destructor cannot report; the server drops the cursor with the statement.
  }
  base_.reset();
}

TIBDatabase* TIBCustomDataSet::Database() const {
  return base_->Database();
}

TIBTransaction* TIBCustomDataSet::Transaction() const {
  return base_->Transaction();
}

void TIBCustomDataSet::SetDatabase(TIBDatabase* database) {
  if (database == base_->Database()) return;
  if (open_) RaiseClientError(ceDatasetOpen);
  // Statements prepared on the old connection cannot run on the new one.
  if (prepared_) {
    FreeStatementHandles();
    InternalUnPrepare();
  }
  base_->SetDatabase(database);
  for (TIBSQL* sql : {q_delete_, q_insert_, q_refresh_, q_select_, q_modify_})
    sql->SetDatabase(database);
}

void TIBCustomDataSet::SetTransaction(TIBTransaction* transaction) {
  if (transaction == base_->Transaction()) return;
  if (open_) RaiseClientError(ceDatasetOpen);
  base_->SetTransaction(transaction);
  for (TIBSQL* sql : {q_delete_, q_insert_, q_refresh_, q_select_, q_modify_})
    sql->SetTransaction(transaction);
}

// --- Link notices ---

void TIBCustomDataSet::LinkBeforeTransactionEnd() {
  Close();
  if (open_) InternalClose();
  FreeStatementHandles();
  prepared_ = false;
  live_.clear();
  if (BeforeTransactionEnd) BeforeTransactionEnd(this);
}

void TIBCustomDataSet::LinkAfterRollbackRetaining() {
  if (!Active()) return;
  // What an unposted edit began from may be undone too.
  if (State() == dsEdit || State() == dsInsert) Cancel();
  // What it shows may be undone: read again, back on the same row where it still is.
  ReopenAtSameRow();
}

void TIBCustomDataSet::ReopenAtSameRow() {
  CheckActive();
  uint64_t key = 0;
  if (TRecordBuffer row = ActiveBuffer(); row && GetBookmarkFlag(row) == bfCurrent)
    key = Get<uint64_t>(row, kDbKey);
  auto key_here = [&] { return Get<uint64_t>(ActiveBuffer(), kDbKey) == key; };
  DisableControls();
  try {
    ReopenCursor();
    if (key != 0) {
      // Back to the same row: from the first, fetching as needed.
      First();
      while (!key_here() && !Eof()) Next();
      if (Eof() && !key_here()) First();
    }
  } catch (...) {
    EnableControlsWithNewFields();
    // A select that no longer opens (a bad filter) leaves the dataset closed.
    if (!IsCursorOpen()) Close();
    throw;
  }
  EnableControlsWithNewFields();
}

void TIBCustomDataSet::LinkBeforeDatabaseDisconnect() {
  Close();
  if (open_) InternalClose();
  prepared_ = false;
  live_.clear();
  if (BeforeDatabaseDisconnect) BeforeDatabaseDisconnect(this);
}

void TIBCustomDataSet::FreeStatementHandles() {
  for (TIBSQL* sql : {q_delete_, q_insert_, q_refresh_, q_select_, q_modify_}) {
    if (sql->Open()) sql->Close();
    sql->FreeHandle();
  }
}

// A full close rather than the bare internal one: default fields go away at close, and
// bound controls must hear of it before they touch them again.
void TIBCustomDataSet::SQLChanging(TIBSQL* statement) {
  Close();
  if (open_) InternalClose();
  if (prepared_) InternalUnPrepare();
  if (statement == q_select_) FieldDefs().Clear();
}

// --- Prepare and execute ---

void TIBCustomDataSet::ActivateConnection() {
  TIBDatabase* database = Database();
  if (!database) RaiseClientError(ceDatabaseNotAssigned);
  if (!Transaction()) RaiseClientError(ceTransactionNotAssigned);
  if (!database->Connected()) database->Open();
}

bool TIBCustomDataSet::ActivateTransaction() {
  if (Transaction()->InTransaction()) return false;
  Transaction()->StartTransaction();
  return true;
}

TIBSQLTypes TIBCustomDataSet::StatementType() const {
  return q_select_->SQLType();
}

bool TIBCustomDataSet::SelectIsQuery() const {
  return q_select_->SQLType() == SQLSelect || q_select_->SQLType() == SQLSelectForUpdate;
}

bool TIBCustomDataSet::IsLive(const TIBSQL* statement) const {
  return std::find(live_.begin(), live_.end(), statement) != live_.end();
}

bool TIBCustomDataSet::CanModify() const {
  for (const TIBSQL* sql : {q_insert_, q_modify_, q_delete_})
    if (IsLive(sql) && !Trim(sql->SQL().Text()).empty()) return true;
  return false;
}

void TIBCustomDataSet::InternalPrepare() {
  if (Trim(q_select_->SQL().Text()).empty()) RaiseClientError(ceEmptySqlStatement);
  ActivateConnection();
  const bool started = ActivateTransaction();
  try {
    base_->RequireDatabase();
    base_->RequireTransaction();
    if (!q_select_->Prepared()) {
      q_select_->SetParamCheck(param_check_);
      q_select_->Prepare();
    }
    live_.clear();
    for (TIBSQL* sql : {q_delete_, q_insert_, q_modify_, q_refresh_}) {
      if (Trim(sql->SQL().Text()).empty()) continue;
      try {
        if (!sql->Prepared()) sql->Prepare();
        live_.push_back(sql);
      } catch (const EIBInterBaseRoleError&) {
        // No permission: the statement is simply not live.
      }
    }
    prepared_ = true;
    BuildFieldDefs();
  } catch (...) {
    if (started) Transaction()->CheckAutoStop();
    throw;
  }
  if (started) Transaction()->CheckAutoStop();
}

void TIBCustomDataSet::InternalUnPrepare() {
  prepared_ = false;
  live_.clear();
  FieldDefs().Clear();
  column_map_.clear();
}

void TIBCustomDataSet::InternalInitFieldDefs() {
  if (!prepared_) {
    InternalPrepare();
    return;
  }
  BuildFieldDefs();
}

void TIBCustomDataSet::BuildFieldDefs() {
  needs_refresh_ = false;
  FieldDefs().Clear();
  column_map_.clear();
  TIBXSQLDA& out = q_select_->Current();
  TIBDatabase* database = Database();
  for (int i = 0; i < out.Count(); ++i) {
    const TIBXSQLVAR& var = out[i];
    const std::string name = var.AliasName();
    if (name == kDbKeyAlias) continue;
    const int type = var.SqlType();
    const int scale = var.SqlScale();
    TFieldType field_type;
    int size = 0, precision = 0, def_scale = 0;
    switch (type) {
      case SQL_VARYING:
      case SQL_TEXT:
        // The server sizes text in bytes of the set it sends; the field counts characters.
        field_type = ftString;
        size = var.Size() / std::max(BytesPerChar(var.SqlSubtype() & 0xFF), 1);
        break;
      case SQL_DOUBLE:
      case SQL_FLOAT:
        field_type = ftFloat;
        precision = type == SQL_FLOAT ? 7 : 15;  // shown to their own precision
        break;
      case SQL_SHORT:
      case SQL_LONG:
      case SQL_INT64:
        if (scale == 0) {
          field_type = type == SQL_SHORT ? ftSmallint : type == SQL_LONG ? ftInteger : ftLargeint;
        } else if (scale >= -4 || type == SQL_SHORT) {
          field_type = ftBCD;
          size = -scale;
          precision = type == SQL_SHORT ? 4 : type == SQL_LONG ? 9 : 18;
          def_scale = scale;
        } else {
          // A float field over the raw scaled integer: its text stays exact.
          field_type = ftFloat;
          def_scale = scale;
        }
        break;
      case SQL_TIMESTAMP:
        field_type = ftDateTime;
        break;
      case SQL_TYPE_TIME:
        field_type = ftTime;
        break;
      case SQL_TYPE_DATE:
        field_type = ftDate;
        break;
      case SQL_BLOB:
        field_type = var.SqlSubtype() == 1 ? ftMemo : ftBlob;
        size = 8;
        break;
      case kSqlBoolean:
        field_type = ftBoolean;
        break;
      case SQL_ARRAY:
        field_type = ftArray;
        size = 8;
        break;
      default:
        continue;  // quads, D_FLOAT: no field
    }
    const std::string relation = var.RelName(), column = var.SqlName();
    const bool in_table = database && !relation.empty() && !column.empty();
    const bool computed = in_table && database->HasComputedValue(relation, column);
    // A NOT NULL column the engine fills on insert (a default, an identity, a trigger)
    // must not be refused here: the engine judges it.
    const bool required =
        !var.IsNullable() && !computed && !(in_table && database->FilledOnInsert(relation, column));
    TFieldDef& def = FieldDefs().Add(name, field_type, size, required);
    def.SetPrecision(precision);
    def.SetScale(def_scale);
    if (var.CharSetId() >= 0) {
      // NONE columns hold bytes of the set older programs wrote them in.
      const int set = var.CharSetId() == csNone && database ? database->LegacyCharSetId()
                      : var.CharSetId() == csNone           ? csIso8859_1
                                                            : var.CharSetId();
      def.SetCharSet(set);
    }
    unsigned attributes = required ? unsigned{faRequired} : 0u;
    if (!var.IsNullable() && !computed) attributes |= faNotNull;
    if (type == SQL_TEXT) attributes |= faFixed;
    // Arrays are shown, never written: their slices are not edited here.
    if (type == SQL_ARRAY) attributes |= faReadonly;
    if (computed) {
      attributes |= faReadonly;
      def.SetInternalCalcField(true);
      needs_refresh_ = true;
    } else if (in_table && !database->HasDefaultValue(relation, column)) {
      needs_refresh_ = true;
    }
    def.SetAttributes(attributes);
    column_map_.push_back(i + 1);
  }
}

void TIBCustomDataSet::InternalExecQuery() {
  ActivateConnection();
  const bool started = ActivateTransaction();
  try {
    if (q_select_->SQL().Text().empty()) RaiseClientError(ceEmptyQuery);
    if (!prepared_) InternalPrepare();
    if (SelectIsQuery()) RaiseClientError(ceSelectNeedsOpen);
    q_select_->ExecQuery();
    rows_affected_ = q_select_->RowsAffected();
  } catch (...) {
    if (started) Transaction()->CheckAutoStop();
    throw;
  }
  if (started) Transaction()->CheckAutoStop();
}

// --- Open and close ---

TField* TIBCustomDataSet::CreateFieldObject(TFieldType type) {
  if (type == ftArray) return new TArrayField(this);
  return CreateFieldOfType(type, this);
}

std::string TIBCustomDataSet::ArrayText(const TField* field) const {
  ISC_QUAD id{};
  const int column = field->FieldNo() - 1;
  if (column < 0 || column >= q_select_->Current().Count() || !GetFieldData(field, &id)) return "";
  uint64_t key;
  std::memcpy(&key, &id, sizeof key);
  for (const auto& [known, text] : array_texts_)
    if (known == key) return text;
  const TIBXSQLVAR& var = q_select_->Current()[column];
  std::string text = ReadArrayText(*Database(), *Transaction(), var.RelName(), var.SqlName(), id);
  if (array_texts_.size() >= 256) array_texts_.erase(array_texts_.begin());
  array_texts_.emplace_back(key, text);
  return text;
}

// Fields read the column at FieldNo: the definition's output position, which skips the
// columns that have no definition (arrays, the DB key).
void TIBCustomDataSet::BindFields(bool binding) {
  TDataSet::BindFields(binding);
  if (!binding) return;
  for (int i = 0; i < FieldCount(); ++i) {
    TField* field = Fields()[i];
    if (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc) continue;
    const int index = FieldDefs().IndexOf(field->FieldName());
    if (index >= 0 && index < static_cast<int>(column_map_.size())) {
      field->SetFieldNo(column_map_[index]);
      // The bytes are in the column's set, whoever made the field.
      field->SetCharSet(FieldDefs().Items(index).CharSet());
    }
  }
}

void TIBCustomDataSet::InternalOpen() {
  ActivateConnection();
  ActivateTransaction();
  if (q_select_->SQL().Text().empty()) RaiseClientError(ceEmptyQuery);
  if (!prepared_) InternalPrepare();
  exhausted_ = false;
  fetch_failed_ = false;
  fetch_error_ = nullptr;
  current_ = -1;
  ++open_generation_;
  alive_ = std::make_shared<const uint32_t>(open_generation_);
  if (SelectIsQuery()) {
    if (FieldCount() == 0) CreateFields();
    BindFields(true);
    q_select_->ExecQuery();
    LayOut();
  } else {
    // A non-select runs once; the dataset is open with no rows.
    q_select_->ExecQuery();
    exhausted_ = true;
    LayOut();
  }
  open_ = true;
  rows_affected_ = q_select_->RowsAffected();
}

void TIBCustomDataSet::LayOut() {
  TIBXSQLDA& out = q_select_->Current();
  const int count = SelectIsQuery() ? out.Count() : 0;
  db_key_column_ = -1;
  blob_slot_of_column_.assign(static_cast<size_t>(count), -1);
  blob_slot_count_ = 0;

  size_t size =
      CheckedAdd(kHeaderSize, CheckedMul(static_cast<size_t>(count), kColumnSize, this), this);
  struct TPlace {
    size_t data_size = 0, offset = 0;
  };
  std::vector<TPlace> places(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const TIBXSQLVAR& var = out[i];
    if (var.AliasName() == kDbKeyAlias && var.Size() <= static_cast<int>(kDbKeySize)) {
      db_key_column_ = i;
      continue;
    }
    places[i].data_size = DataSizeOf(var.SqlType(), var.SqlScale(), var.Size());
    places[i].offset = size;
    size = CheckedAdd(size, places[i].data_size, this);
    if (var.SqlType() == SQL_BLOB && var.AliasName() != kDbKeyAlias)
      blob_slot_of_column_[i] = blob_slot_count_++;
  }
  blob_area_ = size;
  size = CheckedAdd(size, CheckedMul(static_cast<size_t>(blob_slot_count_), kBlobSlotSize, this),
                    this);

  TRow model(static_cast<char*>(std::calloc(size, 1)));
  if (!model) throw std::bad_alloc();
  char* row = model.get();
  Put<uint8_t>(row, kBookmarkFlag, bfCurrent);
  Put<int16_t>(row, kColumnCount, static_cast<int16_t>(count));
  Put<int32_t>(row, kRecordNumber, -1);
  Put<uint8_t>(row, kUpdateStatus, usUnmodified);
  for (int i = 0; i < count; ++i) {
    if (i == db_key_column_) continue;
    const TIBXSQLVAR& var = out[i];
    const size_t d = ColumnOffset(static_cast<size_t>(i));
    Put<int16_t>(row, d + kSqlType, static_cast<int16_t>(var.SqlType()));
    Put<int16_t>(row, d + kScale, static_cast<int16_t>(var.SqlScale()));
    Put<uint8_t>(row, d + kNullable, var.IsNullable());
    Put<uint8_t>(row, d + kNull, 1);
    Put<int16_t>(row, d + kDataSize, static_cast<int16_t>(places[i].data_size));
    Put<int16_t>(row, d + kDataLength, 0);
    Put<int32_t>(row, d + kDataOffset, static_cast<int32_t>(places[i].offset));
  }

  row_size_ = size;
  model_row_ = std::move(model);
  old_row_.reset(static_cast<char*>(std::malloc(size)));
  if (!old_row_) throw std::bad_alloc();
  std::memcpy(old_row_.get(), model_row_.get(), size);
  scratch_pending_ = false;
  fetched_packed_.assign(PackedBound(size, count), 0);
  pack_ = {blob_area_, blob_slot_count_};
  packed_scratch_.assign(PackedBound(size, count), 0);
  store_ = std::make_unique<TRowStore>([this](size_t bytes) { return AllocateChunk(bytes); },
                                       static_cast<size_t>(buffer_chunks_));
}

void TIBCustomDataSet::InternalClose() {
  struct TReset {
    TIBCustomDataSet* dataset;
    ~TReset() {
      TIBCustomDataSet& d = *dataset;
      // Blob views still held elsewhere see the dataset gone.
      d.alive_.reset();
      d.streams_.clear();
      d.inserted_keys_.clear();
      d.array_texts_.clear();
      d.deleted_rows_.clear();
      d.assigned_.clear();
      d.model_row_.reset();
      d.old_row_.reset();
      d.current_ = -1;
      d.open_ = false;
      d.fetched_ = 0;
      d.row_size_ = 0;
      d.store_.reset();
      for (std::vector<char>* buffer : {&d.packed_scratch_, &d.fetched_packed_}) {
        buffer->clear();
        buffer->shrink_to_fit();
      }
      d.scratch_pending_ = false;
      d.exhausted_ = false;
      d.fetch_failed_ = false;
      d.BindFields(false);
      if (d.DefaultFields()) d.DestroyFields();
    }
  };
  {
    TReset reset{this};
    if (q_select_->Open()) q_select_->Close();
  }
  // Last, so that an auto-stop ending the transaction finds the dataset closed.
  if (Transaction()) Transaction()->CheckAutoStop();
}

// --- Row cache ---

void* TIBCustomDataSet::AllocateChunk(size_t bytes) {
  return std::malloc(bytes);
}

void TIBCustomDataSet::RaiseCacheFull() const {
  DatabaseErrorFmt("Out of memory: the row cache cannot grow beyond %d rows",
                   {static_cast<long long>(fetched_)}, this);
}

void TIBCustomDataSet::ReadRow(int index, char* buffer) const {
  Unpack(store_->Row(index), model_row_.get(), pack_, index, buffer);
}

void TIBCustomDataSet::StorePacked(int index, const char* packed, size_t size) {
  const size_t old =
      index < store_->Count() ? PackedLength(store_->Row(index), model_row_.get(), pack_) : 0;
  char* room = store_->Place(index, size, old);
  if (!room) RaiseCacheFull();
  std::memcpy(room, packed, size);
}

void TIBCustomDataSet::StoreRow(int index, const char* row) {
  // Packed once, into room for any row, then copied: one walk over the columns.
  StorePacked(index, packed_scratch_.data(), Pack(row, pack_, packed_scratch_.data()));
}

void TIBCustomDataSet::StoreFetched() {
  StorePacked(fetched_, fetched_packed_.data(), fetched_size_);
  scratch_pending_ = false;
  ++fetched_;
}

bool TIBCustomDataSet::FetchNext() {
  if (scratch_pending_) {
    StoreFetched();
    return true;
  }
  if (exhausted_ || fetch_failed_ || !open_ || !q_select_->Open()) return false;
  if (fetched_ == INT_MAX) DatabaseError("Too many rows for the row cache", this);
  // Index room first; the row's own room is known once it is here, and it waits
  // packed when there is none.
  if (!store_->ReserveIndex()) RaiseCacheFull();
  for (;;) {
    try {
      if (!q_select_->Next()) {
        exhausted_ = true;
        return false;
      }
    } catch (const Exception& error) {
      // The cursor is gone but its end was never seen: not sequenced. The rows before
      // it stay usable; the error is reported once the navigation has finished.
      fetch_failed_ = true;
      fetch_error_ = NamingColumns(error);
      return false;
    }
    uint64_t key;
    fetched_size_ = PackSelectRow(fetched_packed_.data(), key);
    // A row inserted here is in the cache already; the cursor may bring it again.
    if (!IsInsertedKey(key)) break;
  }
  scratch_pending_ = true;
  StoreFetched();
  return true;
}

void TIBCustomDataSet::RaisePendingError() {
  if (!fetch_error_) return;
  std::exception_ptr error = fetch_error_;
  fetch_error_ = nullptr;
  std::rethrow_exception(error);
}

bool TIBCustomDataSet::FetchAll() {
  int step = 0;
  while (FetchNext()) {
    if (!OnFetchProgress || ++step < kFetchProgressRows) continue;
    step = 0;
    bool stop = false;
    OnFetchProgress(this, fetched_, stop);
    if (stop) return false;
  }
  return true;
}

void TIBCustomDataSet::FetchRowInto(TIBSQL* statement, char* row, int record_number) {
  if (record_number >= 0 && blob_slot_count_ > 0)
    std::memset(row + blob_area_, 0, static_cast<size_t>(blob_slot_count_) * kBlobSlotSize);
  Put<uint8_t>(row, kBookmarkFlag, bfCurrent);
  Put<int16_t>(row, kColumnCount, Get<int16_t>(model_row_.get(), kColumnCount));
  Put<int32_t>(row, kRecordNumber, record_number);
  Put<uint8_t>(row, kUpdateStatus, usUnmodified);
  FillRow(statement, row, false);
  if (record_number >= 0) StoreRow(record_number, row);
}

namespace {

// A fetched value as a row keeps it: text as the bytes the server sent (bounded by the
// column's room); any other value in its exact form at the row's width, converted into
// `scratch` (zero-filled) or, for a wider raw value, read where it is.
struct TFetchedValue {
  const char* bytes;
  size_t length;
};

TFetchedValue FetchedValue(const XSQLVAR* var, int type, size_t size, char (&scratch)[8]) {
  const char* source = var->sqldata;
  const size_t sqllen = var->sqllen < 0 ? 0 : static_cast<size_t>(var->sqllen);
  std::memset(scratch, 0, sizeof scratch);
  switch (type) {
    case SQL_VARYING: {
      const int16_t length = Get<int16_t>(source, 0);
      return {source + 2, std::min<size_t>(length < 0 ? 0 : static_cast<size_t>(length), size)};
    }
    case SQL_TEXT:
      return {source, std::min(sqllen, size)};
    case SQL_FLOAT:
      Put<double>(scratch, 0, Get<float>(source, 0));
      break;
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
      const int64_t value = type == SQL_SHORT  ? Get<int16_t>(source, 0)
                            : type == SQL_LONG ? Get<int32_t>(source, 0)
                                               : Get<int64_t>(source, 0);
      if (size == 4)
        Put<int32_t>(scratch, 0, static_cast<int32_t>(value));
      else
        Put<int64_t>(scratch, 0, value);
      break;
    }
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
      std::memcpy(scratch, source, 4);
      break;
    case kSqlBoolean:
      scratch[0] = source[0] != 0;
      break;
    default:
      if (size > sizeof scratch) return {source, std::min(sqllen, size)};
      std::memcpy(scratch, source, std::min(sqllen, size));
      break;
  }
  return {scratch, std::min(size, sizeof scratch)};
}

bool IsTextType(int type) {
  return type == SQL_TEXT || type == SQL_VARYING;
}

}  // namespace

// Every copy is bounded by the slot it goes to. Another statement's columns go to the
// select's columns of the same name and must be of the same type.
void TIBCustomDataSet::FillRow(TIBSQL* statement, char* row, bool fresh) {
  TIBXSQLDA& out = statement->Current();
  const bool is_select = statement == q_select_;
  char scratch[8];
  for (int i = 0; i < out.Count(); ++i) {
    const XSQLVAR* var = out[i].SqlVar();
    int target = i;
    if (!is_select) {
      target = q_select_->Current().IndexOfName(out[i].Name());
      if (target < 0) continue;
    }
    if (target == db_key_column_) {
      const size_t length = std::min<size_t>(var->sqllen < 0 ? 0 : var->sqllen, kDbKeySize);
      std::memset(row + kDbKey, 0, kDbKeySize);
      std::memcpy(row + kDbKey, var->sqldata, length);
      continue;
    }
    const size_t d = ColumnOffset(static_cast<size_t>(target));
    const int type = Get<int16_t>(row, d + kSqlType);
    const int scale = Get<int16_t>(row, d + kScale);
    const size_t size = static_cast<size_t>(Get<int16_t>(row, d + kDataSize));
    char* data = row + Get<int32_t>(row, d + kDataOffset);
    const int source_type = var->sqltype & ~1;
    if (!is_select && (source_type != type || var->sqlscale != scale))
      RaiseClientError(ceColumnTypeMismatch, {i, target});
    const bool null = (var->sqltype & 1) && var->sqlind && *var->sqlind == -1;
    Put<uint8_t>(row, d + kNull, null);
    Put<int16_t>(row, d + kDataLength, 0);
    if (!fresh) std::memset(data, 0, size);
    if (null) continue;
    const TFetchedValue value = FetchedValue(var, type, size, scratch);
    std::memcpy(data, value.bytes, value.length);
    if (IsTextType(type)) Put<int16_t>(row, d + kDataLength, static_cast<int16_t>(value.length));
  }
}

// The select's current row packed straight from the client's buffers, as Pack would
// pack it once read into a row buffer: one pass, nothing written twice.
size_t TIBCustomDataSet::PackSelectRow(char* out, uint64_t& key) const {
  TIBXSQLDA& vars = q_select_->Current();
  const char* model = model_row_.get();
  const int columns = Get<int16_t>(model, kColumnCount);
  out[kPackedStatus] = static_cast<char>(usUnmodified);
  std::memset(out + kPackedDbKey, 0, kDbKeySize);
  char* nulls = out + kPackedHeaderSize;
  const size_t null_bytes = (static_cast<size_t>(columns) + 7) / 8;
  std::memset(nulls, 0, null_bytes);
  char* at = nulls + null_bytes;
  char scratch[8];
  for (int i = 0; i < columns && i < vars.Count(); ++i) {
    const XSQLVAR* var = vars[i].SqlVar();
    if (i == db_key_column_) {
      const size_t length = std::min<size_t>(var->sqllen < 0 ? 0 : var->sqllen, kDbKeySize);
      std::memcpy(out + kPackedDbKey, var->sqldata, length);
      continue;
    }
    const size_t d = ColumnOffset(static_cast<size_t>(i));
    const size_t size = static_cast<size_t>(Get<int16_t>(model, d + kDataSize));
    if (size == 0) continue;
    if ((var->sqltype & 1) && var->sqlind && *var->sqlind == -1) {
      nulls[i / 8] = static_cast<char>(nulls[i / 8] | (1 << (i % 8)));
      continue;
    }
    const int type = Get<int16_t>(model, d + kSqlType);
    const TFetchedValue value = FetchedValue(var, type, size, scratch);
    size_t kept = value.length;
    if (type == SQL_TEXT) {
      kept = TrimmedLength(value.bytes, value.length);
      at = PutPackedLength(PutPackedLength(at, kept), value.length - kept);
    } else if (type == SQL_VARYING) {
      at = PutPackedLength(at, kept);
    }
    std::memcpy(at, value.bytes, kept);
    if (!IsTextType(type) && kept < size) std::memset(at + kept, 0, size - kept);
    at += IsTextType(type) ? kept : size;
  }
  const size_t slots = static_cast<size_t>(blob_slot_count_) * kBlobSlotSize;
  std::memset(at, 0, slots);
  key = Get<uint64_t>(out, kPackedDbKey);
  return static_cast<size_t>(at - out) + slots;
}

// --- Row buffers and navigation ---

TRecordBuffer TIBCustomDataSet::AllocRecordBuffer() {
  const size_t size = std::max(row_size_, kHeaderSize);
  char* buffer = static_cast<char*>(std::calloc(size, 1));
  if (!buffer) throw std::bad_alloc();
  if (model_row_) std::memcpy(buffer, model_row_.get(), row_size_);
  return buffer;
}

void TIBCustomDataSet::FreeRecordBuffer(TRecordBuffer& buffer) {
  std::free(buffer);
  buffer = nullptr;
}

void TIBCustomDataSet::InternalInitRecord(TRecordBuffer buffer) {
  if (model_row_) std::memcpy(buffer, model_row_.get(), row_size_);
}

bool TIBCustomDataSet::RowVisible(const char* row) const {
  return Get<uint8_t>(row, kUpdateStatus) != usDeleted || State() == dsOldValue;
}

TGetResult TIBCustomDataSet::GetRecord(TRecordBuffer buffer, TGetMode mode, bool) {
  for (;;) {
    TGetResult result = grOK;
    switch (mode) {
      case gmCurrent:
        if (current_ < 0) {
          result = grBOF;
          break;
        }
        while (current_ >= fetched_ && FetchNext()) {
        }
        if (current_ >= fetched_) current_ = fetched_ - 1;
        if (current_ < 0) result = grEOF;
        break;
      case gmNext:
        if (current_ >= fetched_) {
          result = grEOF;
        } else if (current_ + 1 >= fetched_) {
          if (FetchNext()) {
            ++current_;
          } else {
            current_ = fetched_;
            result = grEOF;
          }
        } else {
          ++current_;
        }
        break;
      case gmPrior:
        if (current_ == 0) {
          current_ = -1;
          result = grBOF;
        } else if (current_ >= 1 && current_ <= fetched_) {
          --current_;
        } else {
          result = current_ == -1 ? grBOF : grError;
        }
        break;
    }
    if (result != grOK) {
      if (model_row_) std::memcpy(buffer, model_row_.get(), row_size_);
      SetBookmarkFlag(buffer, result == grBOF ? bfBOF : bfEOF);
      return result;
    }
    ReadRow(current_, buffer);
    if (!RowVisible(buffer)) {
      if (mode == gmCurrent) mode = gmNext;
      continue;
    }
    if (Filtered() && OnFilterRecord) {
      bool accept = true;
      filter_row_ = buffer;
      try {
        OnFilterRecord(this, accept);
      } catch (...) {
        filter_row_ = nullptr;
        throw;
      }
      filter_row_ = nullptr;
      if (!accept) {
        if (mode == gmCurrent) mode = gmPrior;
        continue;
      }
    }
    SetBookmarkFlag(buffer, bfCurrent);
    return grOK;
  }
}

void TIBCustomDataSet::InternalLast() {
  last_stopped_ = !FetchAll();
  current_ = fetched_;
}

void TIBCustomDataSet::InternalSetToRecord(TRecordBuffer buffer) {
  current_ = Get<int32_t>(buffer, kRecordNumber);
}

TBookmarkFlag TIBCustomDataSet::GetBookmarkFlag(TRecordBuffer buffer) const {
  return static_cast<TBookmarkFlag>(Get<uint8_t>(buffer, kBookmarkFlag));
}

void TIBCustomDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) {
  Put<uint8_t>(buffer, kBookmarkFlag, static_cast<uint8_t>(flag));
}

// A bookmark: the row's cache position, its DB key and the open it was taken in, so
// that after a re-run of the select it names the same row or none.
namespace {
constexpr size_t kMarkRecord = 0, kMarkKey = 4, kMarkGeneration = 12, kMarkSize = 16;
}

TBookmark TIBCustomDataSet::GetBookmarkData(TRecordBuffer buffer) const {
  TBookmark bookmark(kMarkSize);
  std::memcpy(bookmark.data() + kMarkRecord, buffer + kRecordNumber, sizeof(int32_t));
  std::memcpy(bookmark.data() + kMarkKey, buffer + kDbKey, kDbKeySize);
  Put<uint32_t>(bookmark.data(), kMarkGeneration, open_generation_);
  return bookmark;
}

void TIBCustomDataSet::SetBookmarkData(TRecordBuffer buffer, const TBookmark& bookmark) {
  if (bookmark.size() == kMarkSize)
    std::memcpy(buffer + kRecordNumber, bookmark.data() + kMarkRecord, sizeof(int32_t));
}

int TIBCustomDataSet::ResolveBookmark(const TBookmark& bookmark) {
  if (!open_ || bookmark.size() != kMarkSize) return -1;
  const int32_t n = Get<int32_t>(bookmark.data(), kMarkRecord);
  const uint64_t key = Get<uint64_t>(bookmark.data(), kMarkKey);
  auto live = [&](int index) { return PackedStatus(store_->Row(index)) != usDeleted; };
  if (Get<uint32_t>(bookmark.data(), kMarkGeneration) == open_generation_)
    return n >= 0 && n < fetched_ && live(n) ? n : -1;
  if (key == 0) return -1;
  for (int i = 0;; ++i) {
    if (i >= fetched_ && !FetchNext()) return -1;
    if (PackedKey(store_->Row(i)) == key && live(i)) return i;
  }
}

void TIBCustomDataSet::InternalGotoBookmark(const TBookmark& bookmark) {
  const int index = ResolveBookmark(bookmark);
  RaisePendingError();
  if (index < 0) DatabaseError("The bookmarked row is no longer in the dataset", this);
  current_ = index;
}

bool TIBCustomDataSet::BookmarkValid(const TBookmark& bookmark) const {
  // Finding a row of an earlier open by its DB key may fetch; that changes no row.
  return const_cast<TIBCustomDataSet*>(this)->ResolveBookmark(bookmark) >= 0;
}

int TIBCustomDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  const bool has_a = a.size() == kMarkSize, has_b = b.size() == kMarkSize;
  if (!has_a || !has_b) return has_a == has_b ? 0 : has_a ? 1 : -1;
  const int32_t x = Get<int32_t>(a.data(), kMarkRecord), y = Get<int32_t>(b.data(), kMarkRecord);
  return x < y ? -1 : x > y ? 1 : 0;
}

int TIBCustomDataSet::VisiblePosition(int index) const {
  const auto before = std::lower_bound(deleted_rows_.begin(), deleted_rows_.end(), index);
  return index - static_cast<int>(before - deleted_rows_.begin());
}

int TIBCustomDataSet::RecNo() const {
  if (!open_ || WindowRecordCount() == 0) return 0;
  const char* row = ActiveBuffer();
  if (!row) return 0;
  const int index = Get<int32_t>(row, kRecordNumber);
  return index < 0 ? 0 : VisiblePosition(index) + 1;
}

void TIBCustomDataSet::SetRecNo(int value) {
  CheckBrowseMode();
  if (value < 1) value = 1;
  if (value > RecordCount()) {
    FetchAll();
    value = std::min(value, RecordCount());
  }
  if (value < 1 || value == RecNo()) {
    RaisePendingError();
    return;
  }
  // The cache position of the value-th row shown: past every deleted row before it.
  int index = value - 1;
  for (int deleted : deleted_rows_)
    if (deleted <= index) ++index;
  DoBeforeScroll();
  current_ = index;
  Resync();
  DoAfterScroll();
  RaisePendingError();
}

int TIBCustomDataSet::RecordCount() const {
  return fetched_ - static_cast<int>(deleted_rows_.size());
}

bool TIBCustomDataSet::IsSequenced() const {
  return open_ && exhausted_;
}

// --- Reading fields ---

const char* TIBCustomDataSet::RowForState() const {
  if (filter_row_) return filter_row_;
  switch (State()) {
    case dsBrowse:
      return WindowRecordCount() == 0 ? nullptr : ActiveBuffer();
    case dsEdit:
    case dsInsert:
    case dsNewValue:
      return ActiveBuffer();
    case dsOldValue: {
      const char* active = ActiveBuffer();
      if (old_row_ && active &&
          Get<int32_t>(old_row_.get(), kRecordNumber) == Get<int32_t>(active, kRecordNumber))
        return old_row_.get();
      return active;
    }
    default:
      return open_ ? ActiveBuffer() : nullptr;
  }
}

bool TIBCustomDataSet::GetFieldData(const TField* field, void* buffer) const {
  const char* row = RowForState();
  if (!row || !field || !RowVisible(row)) return false;
  const int column = field->FieldNo();
  if (column <= 0 || column > Get<int16_t>(row, kColumnCount)) return false;
  const size_t d = ColumnOffset(static_cast<size_t>(column - 1));
  if (Get<uint8_t>(row, d + kNull)) return false;
  if (!buffer) return true;
  const int type = Get<int16_t>(row, d + kSqlType);
  const size_t size = static_cast<size_t>(Get<int16_t>(row, d + kDataSize));
  const char* data = row + Get<int32_t>(row, d + kDataOffset);
  char* out = static_cast<char*>(buffer);
  if (type == SQL_TEXT || type == SQL_VARYING) {
    const int length = Get<int16_t>(row, d + kDataLength);
    const int field_size = std::max(field->DataSize() - 1, 0);
    if (field_size < length) RaiseClientError(ceFieldSizeMismatch, {field->FieldName()});
    // Only string fields have ftString; no cast on the path every painted cell takes.
    if (field->DataType() == ftString && static_cast<const TStringField*>(field)->FixedChar()) {
      std::memset(out, ' ', static_cast<size_t>(field_size));
      std::memcpy(out, data, static_cast<size_t>(length));
      out[field_size] = '\0';
    } else {
      std::memcpy(out, data, static_cast<size_t>(length));
      out[length] = '\0';
    }
    return true;
  }
  const size_t wanted = static_cast<size_t>(std::max(field->DataSize(), 0));
  const size_t n = std::min(wanted, size);
  std::memcpy(out, data, n);
  std::memset(out + n, 0, wanted - n);
  return true;
}

bool TIBCustomDataSet::GetFieldBytes(const TField* field, std::string& bytes) const {
  const char* row = RowForState();
  if (!row || !field || !RowVisible(row)) return false;
  const int column = field->FieldNo();
  if (column <= 0 || column > Get<int16_t>(row, kColumnCount)) return false;
  const size_t d = ColumnOffset(static_cast<size_t>(column - 1));
  const int type = Get<int16_t>(row, d + kSqlType);
  if (type != SQL_TEXT && type != SQL_VARYING) return TDataSet::GetFieldBytes(field, bytes);
  if (Get<uint8_t>(row, d + kNull)) return false;
  const char* data = row + Get<int32_t>(row, d + kDataOffset);
  bytes.assign(data, static_cast<size_t>(Get<int16_t>(row, d + kDataLength)));
  return true;
}
