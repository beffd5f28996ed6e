#include "data/database/ib_base.h"

#include "data/database/database.h"
#include "data/errors/errors.h"
#include "data/transaction/transaction.h"

TIBBase::TIBBase(TComponent* owner) : owner_(owner) {}

TIBBase::~TIBBase() {
  // Destructors must not throw; leaving the lists never raises.
  SetDatabase(nullptr);
  SetTransaction(nullptr);
}

void TIBBase::SetDatabase(TIBDatabase* database) {
  if (database_ == database) return;
  if (database_) database_->UnregisterSQLObject(database_index_);
  database_ = database;
  database_index_ = -1;
  if (!database_) return;
  database_index_ = database_->RegisterSQLObject(this);
  if (!transaction_) SetTransaction(database_->ChooseDefaultTransaction());
}

void TIBBase::SetTransaction(TIBTransaction* transaction) {
  if (transaction_ == transaction) return;
  if (transaction_) transaction_->RemoveSQLObject(transaction_index_);
  transaction_ = transaction;
  transaction_index_ = -1;
  if (!transaction_) return;
  transaction_index_ = transaction_->AddSQLObject(this);
  if (!database_) SetDatabase(transaction_->FindDefaultDatabase());
}

isc_db_handle* TIBBase::DBHandle() {
  RequireDatabase();
  return database_->HandleAddress();
}

isc_tr_handle* TIBBase::TRHandle() {
  RequireTransaction();
  return transaction_->HandleAddress();
}

void TIBBase::RequireDatabase() {
  if (!database_) RaiseClientError(ceDatabaseNotAssigned);
  database_->RequireActive();
}

void TIBBase::RequireTransaction() {
  if (!transaction_) RaiseClientError(ceTransactionNotAssigned);
  transaction_->CheckInTransaction();
}

void TIBBase::DoBeforeDatabaseDisconnect() {
  if (BeforeDatabaseDisconnect) BeforeDatabaseDisconnect(this);
}

void TIBBase::DoAfterDatabaseDisconnect() {
  if (AfterDatabaseDisconnect) AfterDatabaseDisconnect(this);
}

void TIBBase::DoDatabaseFree() {
  if (OnDatabaseFree) OnDatabaseFree(this);
  SetDatabase(nullptr);
  SetTransaction(nullptr);
}

void TIBBase::DoBeforeTransactionEnd() {
  if (BeforeTransactionEnd) BeforeTransactionEnd(this);
}

void TIBBase::DoAfterTransactionEnd() {
  if (AfterTransactionEnd) AfterTransactionEnd(this);
}

void TIBBase::DoAfterRollbackRetaining() {
  if (AfterRollbackRetaining) AfterRollbackRetaining(this);
}

void TIBBase::DoTransactionFree() {
  if (OnTransactionFree) OnTransactionFree(this);
  transaction_ = nullptr;
  transaction_index_ = -1;
}
