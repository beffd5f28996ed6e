// One attachment to one database through the client library.
#pragma once

#include <ibase.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/core/component.h"
#include "data/core/string_list.h"

class TIBBase;
class TIBTransaction;
class TIBSchema;
class THostTimer;

// The generic connection part: the client datasets and the connect events.
class TCustomConnection : public TComponent {
 public:
  using TComponent::TComponent;

  // A client (a dataset) hears every connect change through `connect_change`:
  // true right after a connect, false right before a disconnect. Registering a client
  // again replaces its callback.
  void RegisterClient(TComponent* client, std::function<void(bool connected)> connect_change);
  void UnregisterClient(TComponent* client);
  int DataSetCount() const;
  TComponent* DataSets(int index) const;

  TNotifyEvent BeforeConnect;
  TNotifyEvent AfterConnect;
  TNotifyEvent BeforeDisconnect;
  TNotifyEvent AfterDisconnect;

 protected:
  void SendConnectEvent(bool connected);

 private:
  struct TClient {
    TComponent* client;  // null once it left during a round of notices
    std::function<void(bool)> connect_change;
  };
  std::vector<TClient> clients_;
  int notice_rounds_ = 0;
};

enum TTraceFlag : unsigned {
  tfQPrepare = 1,
  tfQExecute = 2,
  tfQFetch = 4,
  tfError = 8,
  tfStmt = 16,
  tfConnect = 32,
  tfTransact = 64,
  tfBlob = 128,
  tfService = 256,
  tfMisc = 512,
};
using TTraceFlags = unsigned;

class TIBDatabase : public TCustomConnection {
 public:
  // Raises client error 1 when the client library cannot be bound.
  explicit TIBDatabase(TComponent* owner = nullptr);
  // Ends active transactions by their DefaultAction, detaches (errors dropped), tells
  // every link that the connection is gone, and frees what it owns.
  ~TIBDatabase() override;

  // Setting true connects, false disconnects; while loading, true is only remembered.
  bool Connected() const { return handle_ != 0; }
  void SetConnected(bool connected);
  void Open() { SetConnected(true); }
  void Close() { SetConnected(false); }
  // Closes an open connection by force (errors of transactions, links and the detach are
  // dropped), firing BeforeDisconnect and AfterDisconnect but no connect change.
  void ForceClose();

  const std::string& DatabaseName() const { return database_name_; }
  void SetDatabaseName(const std::string& name);

  // Every change of the list raises client error 16 while connected.
  TStringList& Params() { return params_; }
  const TStringList& Params() const { return params_; }
  void SetParams(const TStringList& params) { params_.Assign(params); }

  bool LoginPrompt() const { return login_prompt_; }
  void SetLoginPrompt(bool value) { login_prompt_ = value; }

  TIBTransaction* DefaultTransaction() const { return default_transaction_; }
  // While set and active, statements read the metadata at prepare in this transaction
  // rather than their own, so that DDL committed since their own one started is seen,
  // as isql does; the console's runner sets it for its lifetime.
  TIBTransaction* PrepareTransaction() const { return prepare_transaction_; }
  void SetPrepareTransaction(TIBTransaction* transaction) { prepare_transaction_ = transaction; }
  // Client error 19 while the current default is active on this connection: leaving the
  // list would strand its work.
  void SetDefaultTransaction(TIBTransaction* transaction);

  // Milliseconds; 0 is off; negative raises client error 20.
  int IdleTimer() const { return idle_timer_; }
  void SetIdleTimer(int milliseconds);

  int SQLDialect() const { return sql_dialect_; }
  // Below 1, or above DBSQLDialect() while connected: client error 87.
  void SetSQLDialect(int dialect);
  int DBSQLDialect() const { return db_sql_dialect_; }
  // The connection's character set ("lc_ctype" of Params at connect; NONE without): the
  // set of SQL text, names and the text of columns not of NONE or OCTETS.
  int CharSetId() const { return char_set_id_; }
  // The set that the bytes of NONE columns are read and written in: the connection's
  // own when it is a one-byte set, else ISO8859_1.
  int LegacyCharSetId() const;
  // SQL text and names between the program's UTF-8 and the connection's set.
  std::string EncodeSql(const std::string& text) const;
  std::string DecodeName(const std::string& bytes) const;

  TTraceFlags TraceFlags() const { return trace_flags_; }
  void SetTraceFlags(TTraceFlags flags) { trace_flags_ = flags; }
  bool AllowStreamedConnected() const { return allow_streamed_connected_; }
  void SetAllowStreamedConnected(bool value) { allow_streamed_connected_ = value; }

  // Gets a copy of Params() to fill in when LoginPrompt() is true; always accepted.
  std::function<void(TIBDatabase* database, TStringList& login_params)> OnLogin;
  TNotifyEvent OnIdleTimer;
  TNotifyEvent OnDialectDowngradeWarning;

  isc_db_handle Handle() const { return handle_; }
  isc_db_handle* HandleAddress() { return &handle_; }

  // Client error 15 when not connected; client error 16 when connected.
  void RequireActive() const;
  void RequireInactive() const;

  // Slot lists: a removal empties its slot, an addition fills the first empty one.
  int RegisterTransaction(TIBTransaction* transaction);
  void UnregisterTransaction(int index);
  int FindTransaction(const TIBTransaction* transaction) const;
  int TransactionCount() const { return static_cast<int>(transactions_.size()); }
  TIBTransaction* Transactions(int index) const { return transactions_.at(index); }
  int RegisterSQLObject(TIBBase* link);
  void UnregisterSQLObject(int index);
  int SQLObjectCount() const { return static_cast<int>(sql_objects_.size()); }
  TIBBase* SQLObjects(int index) const { return sql_objects_.at(index); }

  // DefaultTransaction(), else the first listed transaction whose default database is
  // this connection (the internal one excepted), else none.
  TIBTransaction* ChooseDefaultTransaction() const;

  // The connection's own transaction for catalogue reads; never for dataset rows.
  TIBTransaction* InternalTransaction() const { return internal_transaction_; }

  // Catalogue queries (catalog.cpp).
  void FillTableNames(TStringList& list, bool system_tables);
  bool HasComputedValue(const std::string& relation, const std::string& field);
  bool HasDefaultValue(const std::string& relation, const std::string& field);
  bool FilledOnInsert(const std::string& relation, const std::string& field);
  // The database's default character set ("NONE" when it has none), asked in the
  // internal transaction.
  std::string DefaultCharSetName();
  // True when a user column holds text in a character set other than NONE, OCTETS,
  // ASCII and `set`: a connection in `set` could not read it.
  bool HasTextOutside(int set);
  // The text columns of `relation` in a set other than NONE, OCTETS, ASCII, UTF8 and
  // `set`, with their sets' names, in the relation's order.
  std::vector<std::pair<std::string, std::string>> TextColumnsOutside(const std::string& relation,
                                                                      int set);
  TIBSchema* Schema() const { return schema_.get(); }

  // The status check for every client call made for this connection: clears the idle
  // flag; a result above 0 raises from the status vector when asked; returns `result`.
  // Usage: `db->Call(ClientApi().isc_xxx(ClientStatusVector(), ...), true);`
  ISC_STATUS Call(ISC_STATUS result, bool raise_on_failure);

  // The DPB of the last successful build (including the version byte).
  const std::string& Dpb() const { return dpb_; }

 protected:
  void Loaded() override;

 private:
  friend class TIBTransaction;

  void Connect();
  void Disconnect();
  void InternalClose(bool force);
  void Login(TStringList& login_params);
  void ReadDialect();
  void IdleTimerTick();
  void ParamsChanging();
  void ClearCanTimeOut() { can_time_out_ = false; }

  isc_db_handle handle_ = 0;
  std::string database_name_;
  TStringList params_;
  bool params_changed_ = true;
  std::string dpb_;
  std::string hidden_password_;
  bool login_prompt_ = true;
  TIBTransaction* prepare_transaction_ = nullptr;
  TIBTransaction* default_transaction_ = nullptr;
  std::vector<TIBTransaction*> transactions_;
  std::vector<TIBBase*> sql_objects_;
  TIBTransaction* internal_transaction_ = nullptr;
  std::unique_ptr<THostTimer> timer_;
  int idle_timer_ = 0;
  bool can_time_out_ = false;
  int sql_dialect_ = 3;
  int db_sql_dialect_ = 3;
  int char_set_id_ = 0;
  TTraceFlags trace_flags_ = 0;
  bool allow_streamed_connected_ = true;
  bool streamed_connected_ = false;
  std::unique_ptr<TIBSchema> schema_;
};
