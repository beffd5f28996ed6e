// The buffered dataset: runs one select, fetches its rows as navigation reaches them
// into a row cache, and lets fields read them from fixed-layout row buffers. Writing
// rows back through the companion statements builds on the seams marked below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/dataset/dataset.h"
#include "data/dataset/packed_row.h"
#include "data/dataset/row_store.h"
#include "data/statement/sql.h"

class TIBBase;
class TIBBlobStream;
class TIBDatabase;
class TIBTransaction;
class TIBSQL;
class TIBXSQLVAR;

// The row buffer: a header, one descriptor per output column of the select, the data
// area, then one blob slot per blob or memo field. It is packed, so every member is
// read and written through Get/Put (memcpy), never through a cast. Row buffers are as
// wide as the widest values; only the few the dataset's window needs exist. The cache
// holds its rows packed (packed_row.h).
namespace ib_row {

// Header.
inline constexpr size_t kBookmarkFlag = 0;  // uint8: TBookmarkFlag
inline constexpr size_t kColumnCount = 1;   // int16
inline constexpr size_t kRecordNumber = 3;  // int32: index in the cache, -1 unplaced
inline constexpr size_t kUpdateStatus = 7;  // uint8: TUpdateStatus
inline constexpr size_t kDbKey = 8;         // 8 bytes, zero-filled past its length
inline constexpr size_t kDbKeySize = 8;
inline constexpr size_t kHeaderSize = 16;

// Column descriptor, relative to ColumnOffset(i).
inline constexpr size_t kSqlType = 0;      // int16, nullable bit cleared
inline constexpr size_t kScale = 2;        // int16
inline constexpr size_t kNullable = 4;     // uint8
inline constexpr size_t kNull = 5;         // uint8
inline constexpr size_t kDataSize = 6;     // int16: bytes reserved
inline constexpr size_t kDataLength = 8;   // int16: characters held (text)
inline constexpr size_t kDataOffset = 10;  // int32: from the start of the row
inline constexpr size_t kColumnSize = 14;

inline constexpr size_t kBlobSlotSize = 8;

inline constexpr size_t ColumnOffset(size_t index) {
  return kHeaderSize + index * kColumnSize;
}

template <typename T>
T Get(const char* row, size_t offset) {
  T value;
  std::memcpy(&value, row + offset, sizeof value);
  return value;
}
template <typename T>
void Put(char* row, size_t offset, T value) {
  std::memcpy(row + offset, &value, sizeof value);
}

}  // namespace ib_row

enum TUpdateStatus : uint8_t { usUnmodified, usModified, usInserted, usDeleted };

// Firebird's BOOLEAN (the client header of this platform may lack the name).
inline constexpr int kSqlBoolean = 32764;

// The alias of the select column that carries a row's RDB$DB_KEY.
inline constexpr const char* kDbKeyAlias = "TAVREL_INTERNAL_DBKEY";

class TIBCustomDataSet : public TDataSet {
 public:
  // Raises client error 1 when the client library cannot be bound. An owner that is a
  // connection or a transaction becomes the Database or Transaction.
  explicit TIBCustomDataSet(TComponent* owner = nullptr);
  ~TIBCustomDataSet() override;

  TIBBase* Base() const { return base_.get(); }
  TIBDatabase* Database() const;
  // Client error 33 while open; the five statements follow.
  void SetDatabase(TIBDatabase* database);
  TIBTransaction* Transaction() const;
  void SetTransaction(TIBTransaction* transaction);

  // The rows by which the cache's index grows; 0 or below stores 1000; takes effect at
  // the next open.
  int BufferChunks() const { return buffer_chunks_; }
  void SetBufferChunks(int value) { buffer_chunks_ = value > 0 ? value : 1000; }
  bool ParamCheck() const { return param_check_; }
  void SetParamCheck(bool value) { param_check_ = value; }
  bool ForcedRefresh() const { return forced_refresh_; }
  void SetForcedRefresh(bool value) { forced_refresh_ = value; }
  bool Prepared() const { return prepared_; }
  int RowsAffected() const { return rows_affected_; }
  // The prepared select statement's type (a query, a command, a commit, ...).
  TIBSQLTypes StatementType() const;

  int RecNo() const override;
  void SetRecNo(int value) override;
  // Rows fetched so far, less the deleted ones.
  int RecordCount() const override;
  // Only once the server has reported the end of the cursor.
  bool IsSequenced() const override;
  bool BookmarkValid(const TBookmark& bookmark) const override;
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) const override;
  // At least one of insert, modify and delete has text and prepared.
  bool CanModify() const override;

  bool GetFieldData(const TField* field, void* buffer) const override;
  // Stores a field's value in the active row (client errors 47, 48 and 50 outside the
  // states and statements that allow it); an empty text is stored as NULL.
  void SetFieldData(TField* field, const void* buffer) override;
  // Text bytes exactly as the row holds them (in the column's set as the server sent it).
  bool GetFieldBytes(const TField* field, std::string& bytes) const override;
  void SetFieldBytes(TField* field, const std::string& bytes) override;
  // The row's stream for a blob or memo field, made once per row and field; writing it
  // needs edit or insert state.
  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;
  // Posts as the contract does; a refresh that failed after the row was written is
  // raised once the post is complete.
  void Post() override;
  // Re-reads the active row through the refresh statement (client error 52 without).
  void RefreshRow();
  // The active row's array in `field` as text ("[1, 2, 3]"), read from the server.
  std::string ArrayText(const TField* field) const;

  // The row cache.
  size_t RecordBufferSize() const { return row_size_; }
  int FetchedCount() const { return fetched_; }
  // The cache's blocks, and the bytes they and its index hold.
  int CacheChunkCount() const { return store_ ? store_->BlockCount() : 0; }
  size_t CacheSize() const { return store_ ? store_->Bytes() : 0; }

  TNotifyEvent BeforeDatabaseDisconnect, AfterDatabaseDisconnect, DatabaseFree;
  TNotifyEvent BeforeTransactionEnd, AfterTransactionEnd, TransactionFree;
  // Heard every kFetchProgressRows rows while Last fetches to the end; setting `stop`
  // ends the fetching there, with the rows fetched kept and the rest still to come.
  std::function<void(TIBCustomDataSet* sender, int fetched, bool& stop)> OnFetchProgress;
  static constexpr int kFetchProgressRows = 1000;

 protected:
  TIBSQL* QDelete() const { return q_delete_; }
  TIBSQL* QInsert() const { return q_insert_; }
  TIBSQL* QRefresh() const { return q_refresh_; }
  TIBSQL* QSelect() const { return q_select_; }
  TIBSQL* QModify() const { return q_modify_; }

  // Client errors 24 and 25 without connection or transaction; connects when needed.
  void ActivateConnection();
  // Starts the transaction when it is not active; true when it did.
  bool ActivateTransaction();
  // Prepares the select and the companion statements and builds the field definitions.
  void InternalPrepare();
  // Forgets the field definitions and the live set; the statements stay prepared.
  void InternalUnPrepare();
  // Runs the select's text as a non-select statement (client errors 42 and 66).
  void InternalExecQuery();

  // --- Seams for the write side ---
  // Copies `statement`'s current row into `row` laid out by the select's columns
  // (another statement's columns match the select's by name) and, for a record number
  // of 0 or more, into the cache.
  void FetchRowInto(TIBSQL* statement, char* row, int record_number);
  // Row `index` of the cache, packed.
  char* CachedRow(int index) const { return store_->Row(index); }
  const char* ModelRow() const { return model_row_.get(); }
  char* OldRow() const { return old_row_.get(); }
  // The cache's block allocator (malloc); null means no memory.
  virtual void* AllocateChunk(size_t bytes);
  bool IsLive(const TIBSQL* statement) const;
  // Live, and with a text.
  bool Available(const TIBSQL* statement) const;
  // Called before a row is re-read by the refresh statement; a descendant may choose
  // the refresh text for that row here.
  virtual void PrepareRowRefresh(const char* /*row*/) {}
  // Called before a row is inserted, with the names (as the select names them) of the
  // columns set since
  // the insert began; a descendant may choose the insert text for that row here.
  virtual void PrepareRowInsert(const std::vector<std::string>& /*assigned*/) {}
  // Re-runs the select quietly and goes back to the row that was active, found by its
  // DB key (the first row when it is gone); bound controls then hear of a new layout.
  void ReopenAtSameRow();

  // --- Dataset contract ---
  TRecordBuffer AllocRecordBuffer() override;
  void FreeRecordBuffer(TRecordBuffer& buffer) override;
  TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool do_check) override;
  void InternalOpen() override;
  void InternalClose() override;
  bool IsCursorOpen() const override { return open_; }
  void InternalInitFieldDefs() override;
  void InternalFirst() override { current_ = -1; }
  void InternalLast() override;
  bool InternalLastReachedEnd() const override { return !last_stopped_; }
  void RaisePendingError() override;
  void InternalSetToRecord(TRecordBuffer buffer) override;
  TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const override;
  void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override;
  TBookmark GetBookmarkData(TRecordBuffer buffer) const override;
  void SetBookmarkData(TRecordBuffer buffer, const TBookmark& bookmark) override;
  void InternalGotoBookmark(const TBookmark& bookmark) override;
  void InternalInitRecord(TRecordBuffer buffer) override;
  TField* CreateFieldObject(TFieldType type) override;
  void BindFields(bool binding) override;
  void InternalEdit() override;
  void InternalInsert() override;
  void InternalAddRecord(TRecordBuffer buffer, bool append) override;
  void InternalPost() override;
  void InternalCancel() override;
  void InternalDelete() override;
  void CheckCanInsert() override;
  void CheckCanDelete() override;

 private:
  struct TRowFree {
    void operator()(char* row) const { std::free(row); }
  };
  using TRow = std::unique_ptr<char, TRowFree>;

  void SQLChanging(TIBSQL* statement);
  void LinkBeforeTransactionEnd();
  void LinkAfterRollbackRetaining();
  void LinkBeforeDatabaseDisconnect();
  void FreeStatementHandles();
  bool SelectIsQuery() const;
  void BuildFieldDefs();
  void LayOut();
  // Fetches the select's next row into the cache; false at the end of the cursor. A
  // failed fetch keeps the rows before it; RaisePendingError raises its error once.
  bool FetchNext();
  // False when OnFetchProgress stopped it.
  bool FetchAll();
  void ReadRow(int index, char* buffer) const;
  // Packs `row` into the cache as row `index` (a new last row at the cache's count).
  void StoreRow(int index, const char* row);
  void StorePacked(int index, const char* packed, size_t size);
  // Places the fetched row that waits packed.
  void StoreFetched();
  // Packs the select's current row from the client's buffers into `out` (PackedBound
  // bytes); returns its size, and its DB key in `key`.
  size_t PackSelectRow(char* out, uint64_t& key) const;
  [[noreturn]] void RaiseCacheFull() const;
  bool RowVisible(const char* row) const;
  // Copies `source`'s values into `row`; a fresh row is a copy of the model row.
  void FillRow(TIBSQL* statement, char* row, bool fresh);
  const char* RowForState() const;

  // --- Writing ---
  friend class TIBDSBlobStream;
  // Client error 47, 48 or 50 when the state or the missing statement forbids a write.
  void CheckEditState() const;
  // Stores `buffer` (`length` bytes for text) as the field's value in the active row.
  void WriteField(TField* field, const void* buffer, size_t length);
  // A row being inserted takes the place after the last fetched row on its first change.
  void PlaceInsertedRow(char* row);
  void WriteToCache(const char* row);
  void CheckRequiredFields();
  // Finalizes written blobs, binds, executes (client error 74 when a modify or delete
  // changes no row), and stores the row as unchanged.
  void WriteRow(TIBSQL* statement, char* row);
  // Binds a statement's parameters from a row: exact column names first, then the OLD_
  // and NEW_ prefixes, and the DB key.
  void SetParamsFromRow(TIBSQL* statement, const char* row);
  void BindColumn(TIBXSQLVAR& param, const char* row, int column) const;
  // Writes a row being edited to the cache; one being inserted waits for its post.
  void KeepEditInCache(const char* row);
  // A fetch's error; one of transliteration names the columns of other sets.
  std::exception_ptr NamingColumns(const Exception& error);
  void RefreshRowBuffer(char* row);
  TIBBlobStream* SlotStream(const char* row, int column) const;
  std::shared_ptr<TIBBlobStream> SlotStreamShared(const char* row, int column) const;
  // Notes that a column of the row being inserted was set.
  void MarkAssigned(int column);
  bool IsInsertedKey(uint64_t key) const;
  // The cache position a bookmark names now: its own within the same open, else the
  // row with its DB key; -1 when neither holds.
  int ResolveBookmark(const TBookmark& bookmark);
  // Cache position `index` among the rows shown (deleted ones left out), 0-based.
  int VisiblePosition(int index) const;

  std::unique_ptr<TIBBase> base_;
  // Owned as components, created in this order.
  TIBSQL* q_delete_ = nullptr;
  TIBSQL* q_insert_ = nullptr;
  TIBSQL* q_refresh_ = nullptr;
  TIBSQL* q_select_ = nullptr;
  TIBSQL* q_modify_ = nullptr;
  std::vector<const TIBSQL*> live_;
  // Columns (by output position) set since the current insert began.
  std::vector<bool> assigned_;
  // Cache positions of deleted rows, ascending: RecNo counts the rows shown.
  std::vector<int> deleted_rows_;
  // Which open of the dataset bookmarks and blob views belong to.
  uint32_t open_generation_ = 0;
  std::shared_ptr<const uint32_t> alive_;
  // A fetch failure not yet reported.
  std::exception_ptr fetch_error_;

  int buffer_chunks_ = 1000;
  bool param_check_ = true;
  bool forced_refresh_ = false;
  bool prepared_ = false;
  bool open_ = false;
  bool needs_refresh_ = false;
  // Only the server's end of cursor sets it.
  bool exhausted_ = false;
  // A fetch failed: the cursor is closed without its end having been seen.
  bool fetch_failed_ = false;
  int rows_affected_ = 0;

  // For each field definition, the 1-based output position of its column.
  std::vector<int> column_map_;
  // Per output column of the select: its blob slot, or -1.
  std::vector<int> blob_slot_of_column_;
  int blob_slot_count_ = 0;
  // The output column carrying the DB key, or -1.
  int db_key_column_ = -1;
  size_t blob_area_ = 0;

  size_t row_size_ = 0;
  TRow model_row_;
  TRow old_row_;
  int current_ = -1;
  int fetched_ = 0;
  std::unique_ptr<TRowStore> store_;
  ib_row::TPackLayout pack_;
  // A fetched row, packed; it waits there when the cache had no room for it, so that no
  // fetched row is lost.
  std::vector<char> fetched_packed_;
  size_t fetched_size_ = 0;
  bool scratch_pending_ = false;
  // The last Last was stopped by OnFetchProgress.
  bool last_stopped_ = false;
  // Where a row buffer is packed before it goes into the cache.
  std::vector<char> packed_scratch_;
  // The blob streams made for rows; a row's blob slot holds an index here plus 1.
  std::vector<std::shared_ptr<TIBBlobStream>> streams_;
  // The current row index before an insert began, for its cancel.
  int insert_saved_current_ = -1;
  // DB keys of rows inserted since the open: the open cursor may deliver them again.
  std::vector<uint64_t> inserted_keys_;
  // A refresh that failed after a post had written its row.
  std::exception_ptr pending_post_error_;
  // Arrays shown since the open, by id: a grid asks for a cell's text at every paint.
  mutable std::vector<std::pair<uint64_t, std::string>> array_texts_;
  // The row offered to OnFilterRecord while it decides.
  const char* filter_row_ = nullptr;
};
