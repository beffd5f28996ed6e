// The link through which a statement or a dataset reaches one connection and one
// transaction, and hears when either ends or goes away.
#pragma once

#include <ibase.h>

#include <functional>

class TComponent;
class TIBDatabase;
class TIBTransaction;

class TIBBase {
 public:
  // `owner` is the statement or dataset that made the link.
  explicit TIBBase(TComponent* owner);
  // Leaves the connection's and the transaction's lists.
  virtual ~TIBBase();
  TIBBase(const TIBBase&) = delete;
  TIBBase& operator=(const TIBBase&) = delete;

  TComponent* Owner() const { return owner_; }
  TIBDatabase* Database() const { return database_; }
  TIBTransaction* Transaction() const { return transaction_; }

  // Leaves the old connection's list and joins the new one; a link without a
  // transaction then takes the connection's ChooseDefaultTransaction().
  virtual void SetDatabase(TIBDatabase* database);
  // Leaves the old transaction's list and joins the new one; a link without a
  // connection then takes the transaction's default database.
  virtual void SetTransaction(TIBTransaction* transaction);

  // Addresses of the connection's and the transaction's handles, after
  // RequireDatabase() and RequireTransaction() respectively.
  virtual isc_db_handle* DBHandle();
  virtual isc_tr_handle* TRHandle();

  // Client error 24 without a connection, else the connection's RequireActive().
  virtual void RequireDatabase();
  // Client error 25 without a transaction, else client error 18 when it is not active.
  virtual void RequireTransaction();

  // Receivers of the notices: the connection sends the first three, the transaction the
  // other three. Each calls the matching callback below when assigned.
  virtual void DoBeforeDatabaseDisconnect();
  virtual void DoAfterDatabaseDisconnect();
  // Then forgets connection and transaction (leaving their lists).
  virtual void DoDatabaseFree();
  virtual void DoBeforeTransactionEnd();
  virtual void DoAfterTransactionEnd();
  // Then forgets the transaction without touching the transaction's list.
  virtual void DoTransactionFree();
  // After a rollback that kept the transaction: what the link's dataset holds may be
  // undone, and its DB keys may name other rows.
  virtual void DoAfterRollbackRetaining();

  std::function<void(TIBBase* sender)> BeforeDatabaseDisconnect;
  std::function<void(TIBBase* sender)> AfterDatabaseDisconnect;
  std::function<void(TIBBase* sender)> OnDatabaseFree;
  std::function<void(TIBBase* sender)> BeforeTransactionEnd;
  std::function<void(TIBBase* sender)> AfterTransactionEnd;
  std::function<void(TIBBase* sender)> OnTransactionFree;
  std::function<void(TIBBase* sender)> AfterRollbackRetaining;

  // Hooks for a dataset that owns the link (statements leave them empty):
  // - ConnectChange: when assigned before the link joins a connection, the owner is
  //   registered as a client of that connection (TIBDatabase::RegisterClient) and hears
  //   every connect change (true after connect, false before disconnect); leaving the
  //   connection unregisters it.
  // - DatasetActive: tells whether the owning dataset is open; the transaction's
  //   auto-stop only ends a transaction that no open dataset uses.
  std::function<void(bool connected)> ConnectChange;
  std::function<bool()> DatasetActive;

 private:
  friend class TIBDatabase;
  friend class TIBTransaction;

  TComponent* owner_;
  TIBDatabase* database_ = nullptr;
  TIBTransaction* transaction_ = nullptr;
  int database_index_ = -1;
  int transaction_index_ = -1;
};
