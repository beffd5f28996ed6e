#include "data/transaction/transaction.h"

#include <algorithm>

#include "data/client_api/client_api.h"
#include "data/core/host_timer.h"
#include "data/core/slot_list.h"
#include "data/database/database.h"
#include "data/database/ib_base.h"
#include "data/errors/errors.h"
#include "data/transaction/tpb.h"

namespace {

// One transaction-existence block per connection, as isc_start_multiple reads them.
struct TTransactionExistenceBlock {
  isc_db_handle* db;
  int tpb_length;
  const char* tpb;
};

}  // namespace

TIBTransaction::TIBTransaction(TComponent* owner) : TComponent(owner) {
  CheckClientLibraryLoaded();
  params_.OnChanging = [this](TStringList&) { ParamsChanging(); };
  params_.OnChange = [this](TStringList&) { params_changed_ = true; };
  timer_ = CreateHostTimer();
  timer_->OnTimer = [this] { IdleTimerTick(); };
}

TIBTransaction::~TIBTransaction() {
  timer_->Stop();
  // A forced end never raises.
  if (InTransaction()) EndByDefaultAction();
  NotifySlots(sql_objects_, true, [](TIBBase* link) { link->DoTransactionFree(); });
  RemoveSQLObjects();
  RemoveDatabases();
  BeginDestruction();
  DestroyComponents();
}

void TIBTransaction::SetActive(bool active) {
  if (IsLoading()) {
    streamed_active_ = active;
    return;
  }
  if (active && !InTransaction())
    StartTransaction();
  else if (!active && InTransaction())
    Rollback();
}

void TIBTransaction::StartTransaction() {
  CheckNotInTransaction();
  if (DatabaseCount() == 0) RaiseClientError(ceNoDatabasesInTransaction);
  for (TIBDatabase* database : databases_) {
    if (!database || database->Connected()) continue;
    if (!database->streamed_connected_) RaiseClientError(ceDatabaseNotOpen);
    database->streamed_connected_ = false;
    database->Connect();  // Open() would only remember the wish while loading
  }
  if (params_changed_) {
    params_changed_ = false;
    tpb_ = BuildTpb(params_);
  }
  std::vector<TTransactionExistenceBlock> blocks;
  for (TIBDatabase* database : databases_)
    if (database)
      blocks.push_back({database->HandleAddress(), static_cast<int>(tpb_.size()),
                        tpb_.empty() ? nullptr : tpb_.data()});
  if (Call(ClientApi().isc_start_multiple(ClientStatusVector(), &handle_,
                                          static_cast<short>(blocks.size()), blocks.data()),
           false) > 0) {
    handle_ = 0;
    RaiseStatusError();
  }
}

void TIBTransaction::EndNotices(bool before, bool force) {
  // A forced end must finish whatever a dataset says.
  NotifySlots(sql_objects_, force, [before](TIBBase* link) {
    if (before)
      link->DoBeforeTransactionEnd();
    else
      link->DoAfterTransactionEnd();
  });
}

void TIBTransaction::EndTransaction(TTransactionAction action, bool force) {
  CheckInTransaction();
  const TClientApi& api = ClientApi();
  switch (action) {
    case TACommit:
    case TARollback: {
      EndNotices(true, force);
      ISC_STATUS result = 0;
      if (InTransaction()) {
        result =
            Call(action == TACommit ? api.isc_commit_transaction(ClientStatusVector(), &handle_)
                                    : api.isc_rollback_transaction(ClientStatusVector(), &handle_),
                 false);
        if (force && result > 0)
          Call(api.isc_rollback_transaction(ClientStatusVector(), &handle_), false);
      }
      if (force)
        handle_ = 0;
      else if (result > 0)
        RaiseStatusError();
      EndNotices(false, force);
      break;
    }
    case TACommitRetaining:
      Call(api.isc_commit_retaining(ClientStatusVector(), &handle_), true);
      break;
    case TARollbackRetaining:
      Call(api.isc_rollback_retaining(ClientStatusVector(), &handle_), true);
      // Open datasets would go on showing undone rows and addressing rows by DB keys
      // the rollback freed.
      NotifySlots(sql_objects_, false, [](TIBBase* link) { link->DoAfterRollbackRetaining(); });
      break;
  }
}

void TIBTransaction::EndByDefaultAction() {
  if (!InTransaction()) return;
  bool commit = default_action_ == TACommit || default_action_ == TACommitRetaining;
  EndTransaction(commit ? TACommit : TARollback, true);
}

void TIBTransaction::BeforeDatabaseDisconnect(TIBDatabase*) {
  EndByDefaultAction();
}

void TIBTransaction::CheckInTransaction() const {
  if (handle_ == 0) RaiseClientError(ceTransactionNotActive);
}

void TIBTransaction::CheckNotInTransaction() const {
  if (handle_ != 0) RaiseClientError(ceTransactionActive);
}

int TIBTransaction::FindDatabase(const TIBDatabase* database) const {
  return FindSlot(databases_, database);
}

int TIBTransaction::DatabaseCount() const {
  return static_cast<int>(std::count_if(databases_.begin(), databases_.end(),
                                        [](TIBDatabase* database) { return database; }));
}

int TIBTransaction::AddDatabase(TIBDatabase* database) {
  if (!database) return -1;
  int index = FindDatabase(database);
  if (index >= 0) return index;
  index = TakeSlot(databases_, database);
  if (database->FindTransaction(this) < 0) database->RegisterTransaction(this);
  return index;
}

void TIBTransaction::RemoveDatabase(int index) {
  if (index < 0 || index >= DatabaseSlotCount() || !databases_[index]) return;
  TIBDatabase* database = databases_[index];
  databases_[index] = nullptr;
  if (default_database_ == database) default_database_ = nullptr;
  int own = database->FindTransaction(this);
  if (own >= 0) database->UnregisterTransaction(own);
}

void TIBTransaction::RemoveDatabases() {
  for (size_t i = 0; i < databases_.size(); ++i) RemoveDatabase(static_cast<int>(i));
}

int TIBTransaction::AddSQLObject(TIBBase* link) {
  return TakeSlot(sql_objects_, link);
}

void TIBTransaction::RemoveSQLObject(int index) {
  if (index < 0 || index >= SQLObjectCount() || !sql_objects_[index]) return;
  TIBBase* link = sql_objects_[index];
  sql_objects_[index] = nullptr;
  if (link->transaction_ == this) {
    link->transaction_ = nullptr;
    link->transaction_index_ = -1;
  }
}

void TIBTransaction::RemoveSQLObjects() {
  for (size_t i = 0; i < sql_objects_.size(); ++i) RemoveSQLObject(static_cast<int>(i));
}

void TIBTransaction::SetDefaultDatabase(TIBDatabase* database) {
  if (database == default_database_) return;
  TIBDatabase* old = default_database_;
  default_database_ = nullptr;
  if (old) RemoveDatabase(FindDatabase(old));
  if (!database) return;
  AddDatabase(database);
  default_database_ = database;
  for (size_t i = 0; i < sql_objects_.size(); ++i)
    if (sql_objects_[i] && !sql_objects_[i]->Database()) sql_objects_[i]->SetDatabase(database);
}

TIBDatabase* TIBTransaction::FindDefaultDatabase() const {
  if (default_database_) return default_database_;
  for (TIBDatabase* database : databases_)
    if (database && database->DefaultTransaction() == this) return database;
  return nullptr;
}

void TIBTransaction::ParamsChanging() {
  CheckNotInTransaction();
}

void TIBTransaction::SetDefaultAction(TTransactionAction action) {
  if (action == TARollbackRetaining && ClientLibraryVersion() < 6)
    RaiseClientError(ceNeedsVersion6, {"isc_rollback_retaining"});
  default_action_ = action;
}

void TIBTransaction::CheckAutoStop() {
  if (auto_stop_action_ == saNone || !InTransaction()) return;
  for (TIBBase* link : sql_objects_)
    if (link && link->DatasetActive && link->DatasetActive()) return;
  static constexpr TTransactionAction kActions[] = {TARollback, TARollback, TACommit,
                                                    TARollbackRetaining, TACommitRetaining};
  EndTransaction(kActions[auto_stop_action_], false);
}

void TIBTransaction::SetIdleTimer(int milliseconds) {
  if (milliseconds < 0) RaiseClientError(ceNegativeTimeout);
  idle_timer_ = milliseconds;
  if (milliseconds == 0) {
    timer_->Stop();
    timer_->SetInterval(0);
    return;
  }
  timer_->SetInterval(milliseconds);
  if (!IsDesigning()) {
    // A flag armed under an earlier timing must not end the transaction at the first tick.
    can_time_out_ = false;
    timer_->Start();
  }
}

void TIBTransaction::IdleTimerTick() {
  if (!InTransaction()) return;
  if (can_time_out_) {
    EndByDefaultAction();
    can_time_out_ = true;
    if (OnIdleTimer) OnIdleTimer(this);
  } else {
    can_time_out_ = true;
  }
}

ISC_STATUS TIBTransaction::Call(ISC_STATUS result, bool raise_on_failure) {
  can_time_out_ = false;
  for (TIBDatabase* database : databases_)
    if (database) database->ClearCanTimeOut();
  if (result > 0 && raise_on_failure) RaiseStatusError();
  return result;
}
