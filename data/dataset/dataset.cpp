#include "data/dataset/dataset.h"

#include <vector>

#include <cstring>

#include <algorithm>

namespace {

bool IsEditState(TDataSetState state) {
  return state == dsEdit || state == dsInsert;
}

}  // namespace

void DatabaseError(const std::string& message, const TComponent* component) {
  if (component && !component->Name().empty())
    throw EDatabaseError(Format("%s: %s", {component->Name(), message}));
  throw EDatabaseError(message);
}

void DatabaseErrorFmt(const char* pattern, const std::vector<TFormatArg>& args,
                      const TComponent* component) {
  DatabaseError(Format(pattern, args), component);
}

// ---------------------------------------------------------------------------------------
// TDataSet

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
  // A concrete dataset closes in its own destructor, while its hooks still exist.
  BeginDestruction();
  while (!data_sources_.empty()) data_sources_.back()->SetDataSet(nullptr);
  DestroyFields();
  DestroyComponents();
}

void TDataSet::Loaded() {
  if (streamed_active_) SetActive(true);
}

void TDataSet::SetActive(bool value) {
  if (IsLoading()) {
    streamed_active_ = value;
    return;
  }
  if (value == Active()) return;
  if (value) {
    Fire(BeforeOpen);
    try {
      OpenCursor();
    } catch (...) {
      SetState(dsInactive);
      CloseCursor();
      throw;
    }
    SetState(dsBrowse);
    Fire(AfterOpen);
    RaisePendingError();
  } else {
    if (!IsDestroying()) Fire(BeforeClose);
    SetState(dsInactive);
    CloseCursor();
    if (!IsDestroying()) Fire(AfterClose);
  }
}

void TDataSet::OpenCursor() {
  SetState(dsOpening);
  DoInternalOpen();
}

void TDataSet::DoInternalOpen() {
  InternalOpen();
  UpdateBufferCount();
  ClearBuffers();
  InternalFirst();
  GetNextRecords();
  bof_ = true;
  eof_ = record_count_ == 0;
}

void TDataSet::CloseCursor() {
  SetBufferCount(0);
  record_count_ = 0;
  active_record_ = 0;
  current_record_ = -1;
  bof_ = eof_ = true;
  DoInternalClose();
}

void TDataSet::ReopenCursor() {
  // Opening again, quietly: steps that close an active dataset leave this one be, and
  // the controls keep their state.
  const TDataSetState state = state_;
  state_ = dsOpening;
  try {
    SetBufferCount(0);
    ClearBuffers();
    DoInternalClose();
    DoInternalOpen();
  } catch (...) {
    SetState(dsInactive);
    try {
      CloseCursor();
    } catch (const Exception&) {
      // The open's failure is the one to report.
    }
    throw;
  }
  state_ = state;
}

void TDataSet::DoInternalClose() {
  InternalClose();
}

void TDataSet::SetState(TDataSetState value) {
  if (state_ == value) return;
  state_ = value;
  modified_ = false;
  // Controls see an opening dataset only once it is open.
  if (value != dsOpening) DataEvent(deUpdateState, 0);
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError(SDataSetClosed, this);
}

void TDataSet::CheckInactive() const {
  if (Active()) DatabaseError(SDataSetOpen, this);
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
}

bool TDataSet::IsEmpty() const {
  return Active() && record_count_ == 0 && bof_ && eof_;
}

TField* TDataSet::FieldByName(const std::string& name) const {
  TField* field = fields_.FindField(name);
  if (!field) DatabaseErrorFmt(SFieldNotFound, {name}, this);
  return field;
}

void TDataSet::InitFieldDefs() {
  if (IsCursorOpen()) return;
  InternalInitFieldDefs();
}

TField* TDataSet::CreateFieldObject(TFieldType type) {
  return CreateFieldOfType(type, this);
}

void TDataSet::CreateFields() {
  for (int i = 0; i < field_defs_.Count(); ++i) {
    const TFieldDef& def = field_defs_.Items(i);
    TField* field = CreateFieldObject(def.DataType());
    if (!field) continue;
    field->AssignFieldDef(def);
    if (def.InternalCalcField()) field->SetFieldKind(fkInternalCalc);
    field->SetDataSet(this);
  }
  default_fields_ = true;
}

void TDataSet::DestroyFields() {
  TFields fields = fields_;
  fields_.Clear();
  for (int i = 0; i < fields.Count(); ++i) delete fields[i];
  default_fields_ = false;
}

void TDataSet::BindFields(bool binding) {
  for (int i = 0; i < fields_.Count(); ++i) {
    TField* field = fields_[i];
    if (!binding) {
      field->SetFieldNo(0);
      continue;
    }
    const TFieldDef* def = field_defs_.Find(field->FieldName());
    field->SetFieldNo(def ? def->FieldNo() : 0);
  }
}

void TDataSet::SetFieldData(TField*, const void*) {
  DatabaseError(SDataSetReadOnly, this);
}

bool TDataSet::GetFieldBytes(const TField* field, std::string& bytes) const {
  const size_t size = static_cast<size_t>(std::max(field->DataSize(), 0));
  std::vector<char> buffer(size + 8, '\0');
  if (!GetFieldData(field, buffer.data())) return false;
  bytes.assign(buffer.data(), strnlen(buffer.data(), size));
  return true;
}

void TDataSet::SetFieldBytes(TField* field, const std::string& bytes) {
  std::vector<char> buffer(
      std::max(static_cast<size_t>(std::max(field->DataSize(), 0)), bytes.size()) + 1, '\0');
  std::memcpy(buffer.data(), bytes.data(), bytes.size());
  SetFieldData(field, buffer.data());
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField*, TBlobStreamMode) {
  DatabaseError(SDataSetReadOnly, this);
}

// --- Events to data sources ---

void TDataSet::DataEvent(TDataEvent event, intptr_t info) {
  if (disable_count_ != 0) {
    // Held still: only a state change passes, as a disabled-state change.
    if (event == deUpdateState)
      NotifyDataSources(deDisabledStateChange, Active() ? 1 : 0);
    else if (event != deCheckBrowseMode && event != deUpdateRecord)
      enable_event_pending_ = true;
    if (event == deCheckBrowseMode || event == deUpdateRecord) NotifyDataSources(event, info);
    return;
  }
  NotifyDataSources(event, info);
}

void TDataSet::NotifyDataSources(TDataEvent event, intptr_t info) {
  // A handler may unbind a source; walk a copy and skip what has left.
  std::vector<TDataSource*> sources = data_sources_;
  for (TDataSource* source : sources)
    if (std::find(data_sources_.begin(), data_sources_.end(), source) != data_sources_.end())
      source->DataEvent(event, info);
}

void TDataSet::DisableControls() {
  if (disable_count_ == 0) {
    disable_state_ = state_;
    enable_event_pending_ = false;
  }
  ++disable_count_;
}

void TDataSet::EnableControls() {
  if (disable_count_ == 0) return;
  if (--disable_count_ != 0) return;
  if (disable_state_ != state_) NotifyDataSources(deUpdateState, 0);
  if (disable_state_ != dsInactive && state_ != dsInactive && enable_event_pending_)
    NotifyDataSources(deDataSetChange, 0);
  enable_event_pending_ = false;
}

void TDataSet::EnableControlsWithNewFields() {
  if (disable_count_ == 1 && IsCursorOpen()) NotifyDataSources(deLayoutChange, 0);
  EnableControls();
}

// --- The window ---

TRecordBuffer TDataSet::ActiveBuffer() const {
  if (record_count_ == 0 || active_record_ >= static_cast<int>(buffers_.size())) return nullptr;
  return buffers_[active_record_];
}

int TDataSet::GetMaxLinkBufferCount() const {
  int count = 1;
  for (TDataSource* source : data_sources_)
    for (TDataLink* link : source->links_) count = std::max(count, link->buffer_count_);
  return count;
}

void TDataSet::UpdateBufferCount() {
  if (!IsCursorOpen()) return;
  SetBufferCount(GetMaxLinkBufferCount());
  for (TDataSource* source : data_sources_)
    for (TDataLink* link : source->links_) link->UpdateRange();
}

void TDataSet::MoveBuffer(int from, int to) {
  if (from == to) return;
  TRecordBuffer buffer = buffers_[from];
  buffers_.erase(buffers_.begin() + from);
  buffers_.insert(buffers_.begin() + to, buffer);
}

void TDataSet::SetBufferCount(int count) {
  if (count == buffer_count_ && static_cast<int>(buffers_.size()) == (count ? count + 1 : 0))
    return;
  if (count < buffer_count_ && record_count_ > count) {
    // Drop rows from the front while the active row would fall outside.
    int drop = std::max(0, active_record_ - count + 1);
    for (int i = 0; i < drop; ++i) MoveBuffer(0, static_cast<int>(buffers_.size()) - 1);
    active_record_ -= drop;
    record_count_ = std::min(record_count_ - drop, count);
    CursorPosChanged();
  }
  const int wanted = count ? count + 1 : 0;  // the window and its spare buffer
  while (static_cast<int>(buffers_.size()) > wanted) {
    TRecordBuffer buffer = buffers_.back();
    buffers_.pop_back();
    FreeRecordBuffer(buffer);
  }
  while (static_cast<int>(buffers_.size()) < wanted) buffers_.push_back(AllocRecordBuffer());
  const bool grew = count > buffer_count_;
  buffer_count_ = count;
  if (grew && record_count_ > 0 && IsCursorOpen()) {
    GetNextRecords();
    GetPriorRecords();
    RaisePendingError();
  }
}

void TDataSet::ClearBuffers() {
  record_count_ = 0;
  active_record_ = 0;
  current_record_ = -1;
  bof_ = eof_ = true;
}

void TDataSet::ActivateBuffers() {
  record_count_ = 1;
  active_record_ = 0;
  current_record_ = 0;
  bof_ = eof_ = false;
}

void TDataSet::SetCurrentRecord(int index) {
  if (current_record_ == index) return;
  TRecordBuffer buffer = buffers_[index];
  switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted:
      InternalSetToRecord(buffer);
      break;
    case bfBOF:
      InternalFirst();
      break;
    case bfEOF:
      InternalLast();
      break;
  }
  current_record_ = index;
}

void TDataSet::UpdateCursorPos() {
  if (record_count_ > 0) SetCurrentRecord(active_record_);
}

bool TDataSet::GetNextRecord() {
  TGetMode mode = gmNext;
  if (record_count_ > 0) {
    SetCurrentRecord(record_count_ - 1);
    // A pending insert at the end stands on the row that follows it.
    if (state_ == dsInsert && current_record_ == active_record_ &&
        GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
      mode = gmCurrent;
  }
  const bool found = GetRecord(buffers_[record_count_], mode, true) == grOK;
  if (found) {
    if (record_count_ == 0) {
      ActivateBuffers();
    } else if (record_count_ < buffer_count_) {
      ++record_count_;
    } else {
      MoveBuffer(0, record_count_);
      if (active_record_ > 0) --active_record_;
    }
    current_record_ = record_count_ - 1;
  } else {
    CursorPosChanged();
  }
  return found;
}

bool TDataSet::GetPriorRecord() {
  if (record_count_ > 0) SetCurrentRecord(0);
  const bool found = GetRecord(buffers_[record_count_], gmPrior, true) == grOK;
  if (found) {
    if (record_count_ == 0) {
      ActivateBuffers();
    } else {
      MoveBuffer(record_count_, 0);
      if (record_count_ < buffer_count_) ++record_count_;
      // The active row moved one buffer on, unless it fell off the end.
      if (active_record_ < record_count_ - 1) ++active_record_;
    }
    current_record_ = 0;
  } else {
    CursorPosChanged();
  }
  return found;
}

void TDataSet::GetNextRecords() {
  while (record_count_ < buffer_count_ && GetNextRecord()) {
  }
}

void TDataSet::GetPriorRecords() {
  while (record_count_ < buffer_count_ && GetPriorRecord()) {
  }
}

void TDataSet::DoBeforeScroll() {
  Fire(BeforeScroll);
}
void TDataSet::DoAfterScroll() {
  Fire(AfterScroll);
}

void TDataSet::First() {
  MoveToEnd(false);
}

void TDataSet::Last() {
  MoveToEnd(true);
}

void TDataSet::MoveToEnd(bool last) {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  auto finish = [&] {
    if (last)
      eof_ = InternalLastReachedEnd();
    else
      bof_ = true;
    DataEvent(deDataSetChange);
  };
  try {
    if (last) {
      InternalLast();
      GetPriorRecords();
      GetNextRecords();
    } else {
      InternalFirst();
      GetNextRecords();
      GetPriorRecords();
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  DoAfterScroll();
  RaisePendingError();
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  int moved = 0;
  DoBeforeScroll();
  if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
    bof_ = eof_ = false;
    const int old_count = record_count_;
    int scrolled = 0;
    auto notify = [&] {
      if (record_count_ != old_count)
        DataEvent(deDataSetChange);
      else
        DataEvent(deDataSetScroll, scrolled);
    };
    try {
      while (distance > 0) {
        if (active_record_ < record_count_ - 1) {
          ++active_record_;
        } else {
          const int shift = record_count_ < buffer_count_ ? 0 : 1;
          if (!GetNextRecord()) {
            eof_ = true;
            break;
          }
          scrolled -= shift;
          active_record_ = record_count_ - 1;
        }
        --distance;
        ++moved;
      }
      while (distance < 0) {
        if (active_record_ > 0) {
          --active_record_;
        } else {
          const int shift = record_count_ < buffer_count_ ? 0 : 1;
          if (!GetPriorRecord()) {
            bof_ = true;
            break;
          }
          scrolled += shift;
          active_record_ = 0;
        }
        ++distance;
        --moved;
      }
    } catch (...) {
      notify();
      throw;
    }
    notify();
  }
  DoAfterScroll();
  RaisePendingError();
  return moved;
}

void TDataSet::Resync(bool center) {
  const int old_active = active_record_;
  TRecordBuffer buffer = buffers_.at(0);
  if (GetRecord(buffer, gmCurrent, false) != grOK && GetRecord(buffer, gmNext, false) != grOK &&
      GetRecord(buffer, gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange);
    return;
  }
  ActivateBuffers();
  const int target = center ? (buffer_count_ - 1) / 2 : std::min(old_active, buffer_count_ - 1);
  try {
    while (active_record_ < target && GetPriorRecord()) {
    }
    GetNextRecords();
    GetPriorRecords();
  } catch (...) {
    DataEvent(deDataSetChange);
    throw;
  }
  DataEvent(deDataSetChange);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  Fire(BeforeRefresh);
  UpdateCursorPos();
  InternalRefresh();
  Resync();
  Fire(AfterRefresh);
  RaisePendingError();
}

TBookmark TDataSet::GetBookmark() const {
  TRecordBuffer buffer = ActiveBuffer();
  if (!Active() || !buffer || GetBookmarkFlag(buffer) != bfCurrent) return {};
  return GetBookmarkData(buffer);
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  if (bookmark.empty()) return;
  CheckBrowseMode();
  DoBeforeScroll();
  InternalGotoBookmark(bookmark);
  Resync(true);
  DoAfterScroll();
  RaisePendingError();
}

// --- Row changes ---

void TDataSet::RunWithErrorRule(const std::function<void()>& operation,
                                const TDataSetErrorEvent& handler) {
  for (;;) {
    try {
      operation();
      return;
    } catch (EDatabaseError& error) {
      TDataAction action = daFail;
      if (handler) handler(this, error, action);
      if (action == daFail) throw;
      if (action == daAbort) throw EAbort();
    }
  }
}

void TDataSet::UpdateRecord() {
  if (!IsEditState(state_) && state_ != dsSetKey) DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode);
  if (IsEditState(state_)) {
    UpdateRecord();
    if (modified_)
      Post();
    else
      Cancel();
  } else if (state_ == dsSetKey) {
    Post();
  }
}

void TDataSet::Edit() {
  if (IsEditState(state_)) return;
  if (record_count_ == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  CheckCanModify();
  UpdateCursorPos();
  RunWithErrorRule([this] { InternalEdit(); }, OnEditError);
  Fire(BeforeEdit);
  SetState(dsEdit);
  DataEvent(deRecordChange);
  Fire(AfterEdit);
}

void TDataSet::Insert() {
  InsertOrAppend(false);
}

void TDataSet::Append() {
  InsertOrAppend(true);
}

void TDataSet::InsertOrAppend(bool append) {
  CheckBrowseMode();
  CheckCanModify();
  CheckCanInsert();
  Fire(BeforeInsert);
  DoBeforeScroll();
  // The concrete dataset hears before the window moves, while the cursor still stands
  // on the row the user left.
  UpdateCursorPos();
  InternalInsert();
  TRecordBuffer buffer = nullptr;
  if (append) {
    // The new row stands after every row, with the rows before it read anew.
    ClearBuffers();
    buffer = buffers_.at(0);
    InternalInitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    ActivateBuffers();
    CursorPosChanged();  // the cursor is not on the new row: reading back starts at the end
    GetPriorRecords();
    active_record_ = record_count_ - 1;
    bof_ = false;
    eof_ = true;
  } else if (record_count_ == 0) {
    buffer = buffers_.at(0);
    InternalInitRecord(buffer);
    SetBookmarkFlag(buffer, bfBOF);
    ActivateBuffers();
    bof_ = eof_ = true;
  } else {
    // The spare buffer takes the active place; the rows from there on move down.
    MoveBuffer(record_count_, active_record_);
    buffer = buffers_[active_record_];
    InternalInitRecord(buffer);
    SetBookmarkData(buffer, GetBookmarkData(buffers_[active_record_ + 1]));
    SetBookmarkFlag(buffer, bfInserted);
    if (record_count_ < buffer_count_) ++record_count_;
    CursorPosChanged();
  }
  InternalAddRecord(ActiveBuffer(), append);
  SetState(dsInsert);
  try {
    Fire(OnNewRecord);
  } catch (...) {
    SetState(dsBrowse);
    UpdateCursorPos();
    Resync();
    throw;
  }
  modified_ = false;
  DataEvent(deDataSetChange);
  Fire(AfterInsert);
  DoAfterScroll();
}

void TDataSet::Post() {
  if (!IsEditState(state_) && state_ != dsSetKey) DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord);
  if (state_ == dsSetKey) return;
  DataEvent(deCheckBrowseMode);
  Fire(BeforePost);
  // A row being inserted has no place yet: the concrete dataset keeps its own.
  if (state_ != dsInsert) UpdateCursorPos();
  RunWithErrorRule([this] { InternalPost(); }, OnPostError);
  SetState(dsBrowse);
  Resync();
  Fire(AfterPost);
}

void TDataSet::Cancel() {
  if (!IsEditState(state_)) return;
  DataEvent(deCheckBrowseMode);
  Fire(BeforeCancel);
  const bool inserting = state_ == dsInsert;
  if (inserting)
    DoBeforeScroll();
  else
    UpdateCursorPos();
  InternalCancel();
  SetState(dsBrowse);
  Resync();
  Fire(AfterCancel);
  if (inserting) DoAfterScroll();
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert || state_ == dsSetKey) {
    Cancel();
    return;
  }
  if (record_count_ == 0) DatabaseError(SDataSetEmpty, this);
  DataEvent(deCheckBrowseMode);
  CheckCanModify();
  CheckCanDelete();
  Fire(BeforeDelete);
  DoBeforeScroll();
  UpdateCursorPos();
  RunWithErrorRule([this] { InternalDelete(); }, OnDeleteError);
  SetState(dsBrowse);
  Resync();
  Fire(AfterDelete);
  DoAfterScroll();
}

// ---------------------------------------------------------------------------------------
// TDataSource

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  // A source going away tells its links, not its handlers, whose owners may be gone.
  OnStateChange = nullptr;
  OnDataChange = nullptr;
  OnUpdateData = nullptr;
  BeginDestruction();
  while (!links_.empty()) links_.back()->SetDataSource(nullptr);
  SetDataSet(nullptr);
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == dataset_) SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataset) {
  if (dataset == dataset_) return;
  if (dataset_) {
    auto& list = dataset_->data_sources_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    RemoveFreeNotification(dataset_);
  }
  dataset_ = dataset;
  if (dataset_) {
    dataset_->data_sources_.push_back(this);
    FreeNotification(dataset_);
    dataset_->UpdateBufferCount();
  }
  UpdateState();
}

void TDataSource::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  UpdateState();
}

void TDataSource::AddLink(TDataLink* link) {
  links_.push_back(link);
  link->data_source_ = this;
  if (dataset_) dataset_->UpdateBufferCount();
  link->UpdateState();
}

void TDataSource::RemoveLink(TDataLink* link) {
  links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
  link->data_source_ = nullptr;
  link->UpdateState();
  if (dataset_) dataset_->UpdateBufferCount();
}

void TDataSource::SetState(TDataSetState value) {
  if (state_ == value) return;
  state_ = value;
  // Editing begins or ends: every link hears before the handler runs.
  for (TDataLink* link : std::vector<TDataLink*>(links_)) link->UpdateState();
  if (OnStateChange) OnStateChange(this);
}

void TDataSource::UpdateState() {
  SetState(enabled_ && dataset_ ? dataset_->State() : dsInactive);
}

void TDataSource::NotifyDataLinks(TDataEvent event, intptr_t info) {
  std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->DataEvent(event, info);
}

void TDataSource::DataEvent(TDataEvent event, intptr_t info) {
  if (event == deUpdateState || event == deDisabledStateChange) {
    if (event == deDisabledStateChange && info == 0)
      SetState(dsInactive);
    else
      UpdateState();
    return;
  }
  if (!enabled_ || state_ == dsInactive) return;
  NotifyDataLinks(event, info);
  switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange)
        OnDataChange(this, event == deFieldChange ? reinterpret_cast<TField*>(info) : nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------
// TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  if (data_source_) data_source_->RemoveLink(this);
}

TDataSet* TDataLink::DataSet() const {
  return data_source_ ? data_source_->DataSet() : nullptr;
}

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == data_source_) return;
  if (data_source_) data_source_->RemoveLink(this);
  if (source) source->AddLink(this);
}

void TDataLink::SetReadOnly(bool value) {
  if (read_only_ == value) return;
  read_only_ = value;
  UpdateState();
}

void TDataLink::UpdateState() {
  const bool active = data_source_ && data_source_->State() != dsInactive;
  SetActive(active);
  const TDataSetState state = data_source_ ? data_source_->State() : dsInactive;
  SetEditing((state == dsEdit || state == dsInsert || state == dsSetKey) && !read_only_);
}

void TDataLink::SetActive(bool value) {
  if (active_ == value) return;
  active_ = value;
  first_ = 0;
  if (value) UpdateRange();
  ActiveChanged();
}

void TDataLink::SetEditing(bool value) {
  if (editing_ == value) return;
  editing_ = value;
  EditingChanged();
}

void TDataLink::SetBufferCount(int value) {
  value = std::max(1, value);
  if (buffer_count_ == value) return;
  buffer_count_ = value;
  if (TDataSet* dataset = DataSet(); active_ && dataset) dataset->UpdateBufferCount();
  UpdateRange();
}

void TDataLink::UpdateRange() {
  TDataSet* dataset = DataSet();
  if (!active_ || !dataset) {
    first_ = 0;
    return;
  }
  // Keep the active row inside this link's sub-window, and the sub-window inside the
  // filled part of the dataset's window.
  const int active = dataset->active_record_;
  const int filled = dataset->record_count_;
  first_ = std::min(first_, std::max(0, filled - buffer_count_));
  if (first_ > active) first_ = active;
  if (active >= first_ + buffer_count_) first_ = active - buffer_count_ + 1;
  first_ = std::max(0, first_);
}

int TDataLink::ActiveRecord() const {
  TDataSet* dataset = DataSet();
  if (!active_ || !dataset) return 0;
  return dataset->active_record_ - first_;
}

void TDataLink::SetActiveRecord(int value) {
  TDataSet* dataset = DataSet();
  if (active_ && dataset) dataset->active_record_ = value + first_;
}

int TDataLink::RecordCount() const {
  TDataSet* dataset = DataSet();
  if (!active_ || !dataset) return 0;
  return std::clamp(dataset->record_count_ - first_, 0, buffer_count_);
}

bool TDataLink::Edit() {
  TDataSet* dataset = DataSet();
  if (!read_only_ && dataset && active_ && !editing_) dataset->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  if (updating_) return;
  updating_ = true;
  try {
    UpdateData();
  } catch (...) {
    updating_ = false;
    throw;
  }
  updating_ = false;
}

void TDataLink::DataEvent(TDataEvent event, intptr_t info) {
  if (!active_) return;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!updating_) RecordChanged(reinterpret_cast<TField*>(info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      // The window scrolled by `info` buffers (negative forward) and this link's first
      // buffer with it; the range then keeps the active row in view. What is left is
      // how far this link's rows moved, negative forward too.
      const int shifted = first_ + (event == deDataSetScroll ? static_cast<int>(info) : 0);
      first_ = shifted;
      UpdateRange();
      if (event == deDataSetScroll)
        DataSetScrolled(shifted - first_);
      else if (event == deLayoutChange)
        LayoutChanged();
      else
        DataSetChanged();
      break;
    }
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      FocusControl(reinterpret_cast<TField**>(info));
      break;
    case dePropertyChange:
      PropertyChanged();
      break;
    case deFieldListChange:
      LayoutChanged();
      break;
    default:
      break;
  }
}
