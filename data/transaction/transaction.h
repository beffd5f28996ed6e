// One client transaction, possibly spanning several connections.
#pragma once

#include <ibase.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/core/component.h"
#include "data/core/string_list.h"

class TIBBase;
class TIBDatabase;
class THostTimer;

enum TTransactionAction { TARollback, TACommit, TARollbackRetaining, TACommitRetaining };
enum TAutoStopAction { saNone, saRollback, saCommit, saRollbackRetaining, saCommitRetaining };

class TIBTransaction : public TComponent {
 public:
  // Raises client error 1 when the client library cannot be bound.
  explicit TIBTransaction(TComponent* owner = nullptr);
  // Ends an active transaction by DefaultAction (forced), tells every link that the
  // transaction is gone, and leaves every connection.
  ~TIBTransaction() override;

  bool InTransaction() const { return handle_ != 0; }
  // true starts unless active; false rolls back if active. While loading it is only
  // remembered: the connection starts a stored-active transaction after it connects.
  bool Active() const { return InTransaction(); }
  void SetActive(bool active);

  void StartTransaction();
  void Commit() { EndTransaction(TACommit, false); }
  void Rollback() { EndTransaction(TARollback, false); }
  void CommitRetaining() { EndTransaction(TACommitRetaining, false); }
  void RollbackRetaining() { EndTransaction(TARollbackRetaining, false); }
  // The one worker of the four ends. Commit and rollback tell every link before and after;
  // forced, a refused commit is followed by a rollback and the handle is dropped without
  // raising. The retaining forms send no notices and ignore `force`.
  void EndTransaction(TTransactionAction action, bool force);
  // Forced end by DefaultAction: a commit for TACommit and TACommitRetaining, else a
  // rollback. Does nothing when not in transaction.
  void EndByDefaultAction();

  // Client error 18 when not in transaction; client error 19 when in transaction.
  void CheckInTransaction() const;
  void CheckNotInTransaction() const;

  // The connections spanned: slot lists (removal empties a slot, addition fills the first
  // empty one). Adding also registers this transaction with the connection; removing
  // unregisters it there.
  int AddDatabase(TIBDatabase* database);
  void RemoveDatabase(int index);
  void RemoveDatabases();
  int FindDatabase(const TIBDatabase* database) const;
  int DatabaseCount() const;  // non-empty slots
  int DatabaseSlotCount() const { return static_cast<int>(databases_.size()); }
  TIBDatabase* Databases(int index) const { return databases_.at(index); }

  // The links of the statements and datasets using this transaction.
  int AddSQLObject(TIBBase* link);
  // Also sets that link's transaction to none.
  void RemoveSQLObject(int index);
  void RemoveSQLObjects();
  int SQLObjectCount() const { return static_cast<int>(sql_objects_.size()); }
  TIBBase* SQLObjects(int index) const { return sql_objects_.at(index); }

  // Called by a connection for each of its transactions before it closes: an active
  // transaction ends by EndByDefaultAction().
  void BeforeDatabaseDisconnect(TIBDatabase* database);

  TIBDatabase* DefaultDatabase() const { return default_database_; }
  void SetDefaultDatabase(TIBDatabase* database);
  // DefaultDatabase(), else the first listed connection whose DefaultTransaction is this.
  TIBDatabase* FindDefaultDatabase() const;

  // One TPB item per line; any change raises client error 19 while in transaction.
  TStringList& Params() { return params_; }
  const TStringList& Params() const { return params_; }
  void SetParams(const TStringList& params) { params_.Assign(params); }

  TTransactionAction DefaultAction() const { return default_action_; }
  // TARollbackRetaining needs a version 6 client library (client error 3).
  void SetDefaultAction(TTransactionAction action);
  TAutoStopAction AutoStopAction() const { return auto_stop_action_; }
  void SetAutoStopAction(TAutoStopAction action) { auto_stop_action_ = action; }
  // Ends the transaction (not forced) by AutoStopAction when that is not saNone, the
  // transaction is active and no link belongs to an open dataset. Datasets call it.
  void CheckAutoStop();

  // Milliseconds; 0 is off; negative raises client error 20.
  int IdleTimer() const { return idle_timer_; }
  void SetIdleTimer(int milliseconds);
  TNotifyEvent OnIdleTimer;

  isc_tr_handle Handle() const { return handle_; }
  isc_tr_handle* HandleAddress() { return &handle_; }

  // The status check for every client call made in this transaction (statements use it
  // too): clears the idle flag of the transaction and of every listed connection; a result
  // above 0 raises from the status vector when asked; returns `result`.
  // Usage: `tr->Call(ClientApi().isc_xxx(ClientStatusVector(), ...), true);`
  ISC_STATUS Call(ISC_STATUS result, bool raise_on_failure);

  // The TPB of the last successful build.
  const std::string& Tpb() const { return tpb_; }

 private:
  friend class TIBDatabase;

  void IdleTimerTick();
  void ParamsChanging();
  void EndNotices(bool before, bool force);

  isc_tr_handle handle_ = 0;
  std::vector<TIBDatabase*> databases_;
  std::vector<TIBBase*> sql_objects_;
  TIBDatabase* default_database_ = nullptr;
  TStringList params_;
  bool params_changed_ = true;
  std::string tpb_;
  TTransactionAction default_action_ = TACommit;
  TAutoStopAction auto_stop_action_ = saNone;
  std::unique_ptr<THostTimer> timer_;
  int idle_timer_ = 0;
  bool can_time_out_ = false;
  bool streamed_active_ = false;
};
