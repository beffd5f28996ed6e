// The dataset contract: states, open and close, navigation over a window of row
// buffers, field objects, and notifications to the controls bound through data sources.
// A concrete dataset supplies the rows (GetRecord and the Internal* hooks).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/core/component.h"
#include "data/core/stream.h"
#include "data/dataset/fields.h"
#include "data/errors/errors.h"

class TDataSet;
class TDataSource;
class TDataLink;

enum TDataSetState {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,
  dsFilter,
  dsNewValue,
  dsOldValue,
  dsCurValue,
  dsBlockRead,
  dsInternalCalc,
  dsOpening,
};

enum TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deLayoutChange,
  deUpdateRecord,
  deUpdateState,
  deCheckBrowseMode,
  dePropertyChange,
  deFieldListChange,
  deFocusControl,
  deDisabledStateChange,
};

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TDataAction { daFail, daAbort, daRetry };
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

using TRecordBuffer = char*;
// A row's bookmark: the dataset's own bytes; empty is no bookmark.
using TBookmark = std::vector<char>;

using TDataSetNotifyEvent = std::function<void(TDataSet* dataset)>;
using TDataSetErrorEvent =
    std::function<void(TDataSet* dataset, EDatabaseError& error, TDataAction& action)>;
using TFilterRecordEvent = std::function<void(TDataSet* dataset, bool& accept)>;

// The dataset contract's own messages.
inline constexpr const char* SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* SDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* SDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* SNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* SFieldNotFound = "Field '%s' not found";
inline constexpr const char* SFieldRequired = "Field '%s' must have a value";
inline constexpr const char* SFieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* SCircularDataLink = "Circular datalinks are not allowed";

// Raises EDatabaseError; with a named component the text is "Name: message".
[[noreturn]] void DatabaseError(const std::string& message, const TComponent* component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const char* pattern, const std::vector<TFormatArg>& args,
                                   const TComponent* component = nullptr);

class TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* owner = nullptr);
  ~TDataSet() override;

  TDataSetState State() const { return state_; }
  // A state other than inactive and opening.
  bool Active() const { return state_ != dsInactive && state_ != dsOpening; }
  // True opens, false closes. While loading the value is only remembered.
  void SetActive(bool value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }

  // Navigation: the ends are flags, never errors.
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // The number of rows actually moved.
  int MoveBy(int distance);
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const;
  virtual int RecNo() const { return -1; }
  virtual void SetRecNo(int) {}
  virtual int RecordCount() const { return -1; }
  // Whether RecNo and RecordCount are final.
  virtual bool IsSequenced() const { return false; }
  // Re-reads the data (InternalRefresh), keeping the window.
  virtual void Refresh();

  TBookmark GetBookmark() const;
  void GotoBookmark(const TBookmark& bookmark);
  virtual bool BookmarkValid(const TBookmark&) const { return false; }
  virtual int CompareBookmarks(const TBookmark&, const TBookmark&) const { return 0; }

  // Holds notifications back while the counter is above 0; enabling again sends one.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disable_count_ != 0; }

  // Row changes; post and cancel end an edit or insert.
  virtual void Edit();
  virtual void Insert();
  virtual void Append();
  virtual void Post();
  virtual void Cancel();
  virtual void Delete();
  // Posts pending changes when modified, else cancels them; controls hand over input.
  virtual void CheckBrowseMode();
  // Asks the controls to write their pending value into the fields.
  void UpdateRecord();
  bool Modified() const { return modified_; }
  virtual bool CanModify() const { return true; }
  void CheckActive() const;
  void CheckInactive() const;

  TFields& Fields() { return fields_; }
  const TFields& Fields() const { return fields_; }
  int FieldCount() const { return fields_.Count(); }
  TField* FindField(const std::string& name) const { return fields_.FindField(name); }
  // EDatabaseError "Field 'X' not found" when absent.
  TField* FieldByName(const std::string& name) const;
  TFieldDefs& FieldDefs() { return field_defs_; }
  const TFieldDefs& FieldDefs() const { return field_defs_; }
  // Field definitions of a closed dataset (prepares what is needed).
  void InitFieldDefs();
  bool DefaultFields() const { return default_fields_; }

  const std::string& Filter() const { return filter_; }
  virtual void SetFilter(const std::string& value) { filter_ = value; }
  bool Filtered() const { return filtered_; }
  virtual void SetFiltered(bool value) { filtered_ = value; }

  // The field's value in the active row, in its native form (see TField); false for
  // null or when there is no row.
  virtual bool GetFieldData(const TField* field, void* buffer) const = 0;
  // Stores a field's value (nullptr: null) in the active row and tells the controls.
  virtual void SetFieldData(TField* field, const void* buffer);
  // A text field's stored bytes, exactly (they may hold zero bytes); false for null. The
  // default reads them through GetFieldData up to the first zero byte.
  virtual bool GetFieldBytes(const TField* field, std::string& bytes) const;
  // Stores a text field's bytes; the default goes through SetFieldData.
  virtual void SetFieldBytes(TField* field, const std::string& bytes);
  virtual std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode);

  // Tells every data source (and through it every link) of `event`.
  void DataEvent(TDataEvent event, intptr_t info = 0);

  // The window of row buffers that bound controls see.
  int BufferCount() const { return buffer_count_; }
  // Buffers filled in the window.
  int WindowRecordCount() const { return record_count_; }
  int ActiveRecord() const { return active_record_; }
  TRecordBuffer ActiveBuffer() const;
  TRecordBuffer Buffer(int index) const { return buffers_.at(index); }

  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeEdit, AfterEdit, BeforeInsert, AfterInsert;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh, OnNewRecord;
  TDataSetErrorEvent OnPostError, OnEditError, OnDeleteError;
  TFilterRecordEvent OnFilterRecord;

 protected:
  friend class TDataSource;
  // Ends a DisableControls bracket in which the fields were made anew: bound controls
  // rebuild their columns before they hear of the rows, so none reads a freed field.
  void EnableControlsWithNewFields();
  friend class TDataLink;
  friend class TField;

  // --- Hooks of the concrete dataset ---
  virtual TRecordBuffer AllocRecordBuffer() = 0;
  virtual void FreeRecordBuffer(TRecordBuffer& buffer) = 0;
  // Reads the current, next or prior row into `buffer`.
  virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool do_check) = 0;
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual bool IsCursorOpen() const = 0;
  virtual void InternalInitFieldDefs() = 0;
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  // False when InternalLast stopped short of the end of the data: Last then leaves the
  // dataset on the last row read, with the rest still to come, not at its end.
  virtual bool InternalLastReachedEnd() const { return true; }
  // Makes the row in `buffer` the cursor's current row.
  virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
  virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const = 0;
  virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) = 0;
  virtual TBookmark GetBookmarkData(TRecordBuffer buffer) const = 0;
  virtual void SetBookmarkData(TRecordBuffer buffer, const TBookmark& bookmark) = 0;
  virtual void InternalGotoBookmark(const TBookmark& bookmark) = 0;
  virtual void InternalHandleException() {}
  // Raises a failure the concrete dataset met while reading rows and kept back, so that
  // an open or a move completes with the rows it could read before it is reported.
  virtual void RaisePendingError() {}
  virtual void InternalRefresh() {}
  virtual void InternalInitRecord(TRecordBuffer) {}
  virtual void InternalEdit() {}
  virtual void InternalInsert() {}
  virtual void InternalPost() {}
  virtual void InternalCancel() {}
  virtual void InternalDelete() {}
  // Puts a new row's buffer in place: after the last row (append) or before the
  // current one.
  virtual void InternalAddRecord(TRecordBuffer, bool) {}
  virtual void ClearCalcFields(TRecordBuffer) {}
  virtual void DataConvert(TField*, const void*, void*, bool) {}
  // EDatabaseError "Cannot modify a read-only dataset" unless CanModify().
  void CheckCanModify() const;
  // The concrete dataset's own refusals of an insert or a delete, before any event.
  virtual void CheckCanInsert() {}
  virtual void CheckCanDelete() {}
  // The dataset's own class for a field type (TIBStringField for strings, ...).
  virtual TField* CreateFieldObject(TFieldType type);
  // One field per definition, owned by the dataset, destroyed at close.
  void CreateFields();
  void DestroyFields();
  // Ties fields to their definitions' positions (FieldNo).
  virtual void BindFields(bool binding);

  // --- The window ---
  void SetState(TDataSetState value);
  void OpenCursor();
  void CloseCursor();
  // Closes and opens the cursor again without the open and close events or a state
  // change (the window is read anew).
  void ReopenCursor();
  // Resizes the window to the largest count any link asks for (at least 1).
  void UpdateBufferCount();
  void SetBufferCount(int count);
  // Empties the window, optionally keeping the active buffer as the only one.
  void ClearBuffers();
  void ActivateBuffers();
  bool GetNextRecord();
  bool GetPriorRecord();
  void GetNextRecords();
  void GetPriorRecords();
  // Re-reads the window around the current row (after post, cancel, delete, RecNo).
  void Resync(bool center = false);
  void UpdateCursorPos();
  // Where the cursor (the concrete dataset's navigation) points: a window slot or -1.
  int CurrentRecord() const { return current_record_; }
  void CursorPosChanged() { current_record_ = -1; }
  void SetModified(bool value) { modified_ = value; }
  void DoBeforeScroll();
  void DoAfterScroll();
  // Calls `event` when assigned.
  void Fire(const TDataSetNotifyEvent& event) {
    if (event) event(this);
  }
  // Runs `operation`; on EDatabaseError asks `handler` what to do (fail, abort, retry).
  void RunWithErrorRule(const std::function<void()>& operation, const TDataSetErrorEvent& handler);
  void Loaded() override;

  std::vector<TDataSource*> data_sources_;

 private:
  void DoInternalOpen();
  void DoInternalClose();
  void SetCurrentRecord(int index);
  void InsertOrAppend(bool append);
  // First or Last: the window read anew from that end.
  void MoveToEnd(bool last);
  void MoveBuffer(int from, int to);
  int GetMaxLinkBufferCount() const;
  void NotifyDataSources(TDataEvent event, intptr_t info);

  TDataSetState state_ = dsInactive;
  bool streamed_active_ = false;
  TFields fields_;
  TFieldDefs field_defs_;
  bool default_fields_ = false;
  std::string filter_;
  bool filtered_ = false;
  bool modified_ = false;
  bool bof_ = true;
  bool eof_ = true;
  int disable_count_ = 0;
  TDataSetState disable_state_ = dsInactive;
  bool enable_event_pending_ = false;
  // buffers_[buffer_count_] is the spare buffer.
  std::vector<TRecordBuffer> buffers_;
  int buffer_count_ = 0;
  int record_count_ = 0;
  int active_record_ = 0;
  int current_record_ = -1;
};

// The link between one dataset and the controls that show it.
class TDataSource : public TComponent {
 public:
  explicit TDataSource(TComponent* owner = nullptr);
  ~TDataSource() override;

  TDataSet* DataSet() const { return dataset_; }
  void SetDataSet(TDataSet* dataset);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // The dataset's state, inactive without a dataset or while disabled.
  TDataSetState State() const { return state_; }
  int LinkCount() const { return static_cast<int>(links_.size()); }
  TDataLink* Links(int index) const { return links_.at(index); }

  TNotifyEvent OnStateChange;
  // The changed field, or null when the whole row or dataset changed.
  std::function<void(TComponent* sender, TField* field)> OnDataChange;
  TNotifyEvent OnUpdateData;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TDataSet;
  friend class TDataLink;

  void AddLink(TDataLink* link);
  void RemoveLink(TDataLink* link);
  void NotifyDataLinks(TDataEvent event, intptr_t info);
  void DataEvent(TDataEvent event, intptr_t info);
  void SetState(TDataSetState value);
  void UpdateState();

  TDataSet* dataset_ = nullptr;
  bool enabled_ = true;
  TDataSetState state_ = dsInactive;
  std::vector<TDataLink*> links_;
};

// A control's view of a dataset through a data source: a sub-window of BufferCount
// buffers, and the notifications as virtual calls.
class TDataLink {
 public:
  TDataLink();
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return data_source_; }
  void SetDataSource(TDataSource* source);
  TDataSet* DataSet() const;
  // The source is enabled and its dataset active.
  bool Active() const { return active_; }
  bool Editing() const { return editing_; }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value);
  int BufferCount() const { return buffer_count_; }
  void SetBufferCount(int value);
  // The active row's index inside this link's sub-window.
  int ActiveRecord() const;
  void SetActiveRecord(int value);
  // Filled buffers of this link's sub-window.
  int RecordCount() const;
  // Puts the dataset in edit state; false when it cannot.
  bool Edit();
  // Writes pending input into the field (UpdateData) unless already doing so.
  void UpdateRecord();

 protected:
  friend class TDataSet;
  friend class TDataSource;

  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int) { DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void FocusControl(TField**) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField*) {}
  virtual void UpdateData() {}
  virtual void PropertyChanged() {}
  // Routes a dataset event to the virtual calls above.
  virtual void DataEvent(TDataEvent event, intptr_t info);

 private:
  void UpdateState();
  void SetActive(bool value);
  void SetEditing(bool value);
  void UpdateRange();

  TDataSource* data_source_ = nullptr;
  bool active_ = false;
  bool editing_ = false;
  bool read_only_ = false;
  bool updating_ = false;
  int buffer_count_ = 1;
  // The window index of this link's first buffer.
  int first_ = 0;
};
