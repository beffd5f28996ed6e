#include "data/database/database.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "data/client_api/client_api.h"
#include "data/core/charset.h"
#include "data/core/host_timer.h"
#include "data/core/slot_list.h"
#include "data/core/text.h"
#include "data/database/catalog.h"
#include "data/database/dpb.h"
#include "data/database/ib_base.h"
#include "data/errors/errors.h"
#include "data/transaction/transaction.h"

// The generic connection part.

void TCustomConnection::RegisterClient(TComponent* client,
                                       std::function<void(bool connected)> connect_change) {
  for (TClient& entry : clients_)
    if (entry.client == client) {
      entry.connect_change = std::move(connect_change);
      return;
    }
  clients_.push_back({client, std::move(connect_change)});
}

void TCustomConnection::UnregisterClient(TComponent* client) {
  auto leaves = [client](const TClient& entry) { return entry.client == client; };
  if (notice_rounds_ == 0) {
    std::erase_if(clients_, leaves);
    return;
  }
  // During a round the entry is only emptied, so the round's indexes stay true.
  for (TClient& entry : clients_)
    if (leaves(entry)) entry = TClient{nullptr, nullptr};
}

int TCustomConnection::DataSetCount() const {
  return static_cast<int>(std::count_if(clients_.begin(), clients_.end(),
                                        [](const TClient& entry) { return entry.client; }));
}

TComponent* TCustomConnection::DataSets(int index) const {
  for (const TClient& entry : clients_)
    if (entry.client && index-- == 0) return entry.client;
  throw std::out_of_range("TCustomConnection::DataSets");
}

void TCustomConnection::SendConnectEvent(bool connected) {
  // The live list by index: a client freed by another's handler is skipped, never called.
  struct TRound {
    TCustomConnection* connection;
    ~TRound() {
      if (--connection->notice_rounds_ == 0)
        std::erase_if(connection->clients_, [](const TClient& entry) { return !entry.client; });
    }
  };
  ++notice_rounds_;
  TRound round{this};
  for (size_t i = 0; i < clients_.size(); ++i) {
    if (!clients_[i].client || !clients_[i].connect_change) continue;
    // A copy: the handler may replace its own entry or grow the list while it runs.
    std::function<void(bool)> notice = clients_[i].connect_change;
    notice(connected);
  }
}

// The connection.

TIBDatabase::TIBDatabase(TComponent* owner) : TCustomConnection(owner) {
  CheckClientLibraryLoaded();
  params_.OnChanging = [this](TStringList&) { ParamsChanging(); };
  params_.OnChange = [this](TStringList&) { params_changed_ = true; };
  internal_transaction_ = new TIBTransaction(this);
  internal_transaction_->SetDefaultDatabase(this);
  timer_ = CreateHostTimer();
  timer_->OnTimer = [this] { IdleTimerTick(); };
  schema_ = std::make_unique<TIBSchema>(this);
}

TIBDatabase::~TIBDatabase() {
  timer_->Stop();
  if (Connected()) {
    // Nothing may escape a destructor: the close itself is forced, the events are guarded.
    try {
      if (BeforeDisconnect) BeforeDisconnect(this);
    } catch (...) {
    }
    InternalClose(true);
    try {
      if (AfterDisconnect) AfterDisconnect(this);
    } catch (...) {
    }
  }
  for (size_t i = 0; i < sql_objects_.size(); ++i) {
    if (!sql_objects_[i]) continue;
    try {
      sql_objects_[i]->DoDatabaseFree();
    } catch (...) {
    }
    // A receiver that raised before unlinking is unlinked here.
    if (i < sql_objects_.size() && sql_objects_[i]) UnregisterSQLObject(static_cast<int>(i));
  }
  for (size_t i = 0; i < transactions_.size(); ++i)
    if (transactions_[i]) UnregisterTransaction(static_cast<int>(i));
  // The schema's own statement goes before the owned components.
  schema_.reset();
  BeginDestruction();
  DestroyComponents();
  internal_transaction_ = nullptr;
}

void TIBDatabase::SetConnected(bool connected) {
  if (IsLoading()) {
    streamed_connected_ = connected;
    return;
  }
  if (connected == Connected()) return;
  if (connected)
    Connect();
  else
    Disconnect();
}

void TIBDatabase::Connect() {
  if (BeforeConnect) BeforeConnect(this);
  RequireInactive();
  if (database_name_.empty()) RaiseClientError(ceDatabaseNameMissing);
  if (!login_prompt_ && !hidden_password_.empty()) {
    hidden_password_.clear();
    params_changed_ = true;
  }
  if (login_prompt_) {
    TStringList login_params = params_;
    Login(login_params);
  }
  if (params_changed_) {
    TStringList source = params_;
    if (login_prompt_ && !hidden_password_.empty()) source.Add("password=" + hidden_password_);
    dpb_ = BuildDpb(source);
    params_changed_ = false;
  }
  {
    const int id = CharSetIdOf(Trim(params_.Values("lc_ctype")));
    char_set_id_ = id < 0 ? csNone : id;
  }
  // A name too long for the 16-bit length goes as a terminated string (length 0).
  short name_length =
      database_name_.size() <= SHRT_MAX ? static_cast<short>(database_name_.size()) : 0;
  if (Call(
          ClientApi().isc_attach_database(ClientStatusVector(), name_length, database_name_.c_str(),
                                          &handle_, static_cast<short>(dpb_.size()), dpb_.data()),
          false) > 0) {
    handle_ = 0;
    RaiseStatusError();
  }
  ReadDialect();
  if (db_sql_dialect_ < sql_dialect_) {
    sql_dialect_ = db_sql_dialect_;
    if (OnDialectDowngradeWarning) OnDialectDowngradeWarning(this);
  }
  SendConnectEvent(true);
  if (AfterConnect) AfterConnect(this);
}

int TIBDatabase::LegacyCharSetId() const {
  switch (char_set_id_) {
    case csNone:
    case csOctets:
    case csUtf8:
    case csUnicodeFss:
      return csIso8859_1;
    default:
      return BytesPerChar(char_set_id_) == 1 ? char_set_id_ : csIso8859_1;
  }
}

std::string TIBDatabase::EncodeSql(const std::string& text) const {
  // A NONE connection takes the bytes as they are; UTF-8 is what they are here.
  if (char_set_id_ == csNone || char_set_id_ == csOctets) return text;
  return EncodeText(text, char_set_id_);
}

std::string TIBDatabase::DecodeName(const std::string& bytes) const {
  if (char_set_id_ == csNone || char_set_id_ == csOctets) return bytes;
  return DecodeText(bytes, char_set_id_);
}

void TIBDatabase::Login(TStringList& login_params) {
  if (!OnLogin) RaiseClientError(ceOperationCancelled);
  OnLogin(this, login_params);
  // The user name goes back into Params; the password is held apart from them.
  int user = login_params.IndexOfName("user_name");
  if (user >= 0) {
    std::string line = login_params.Strings(user);
    int own = params_.IndexOfName("user_name");
    if (own < 0)
      params_.Add(line);
    else if (params_.Strings(own) != line)
      params_.SetStrings(own, line);
  }
  hidden_password_ = login_params.Values("password");
  params_changed_ = true;
}

void TIBDatabase::ReadDialect() {
  char item = isc_info_db_sql_dialect;
  char buffer[512] = {};
  Call(ClientApi().isc_database_info(ClientStatusVector(), &handle_, 1, &item, sizeof buffer,
                                     buffer),
       true);
  if (buffer[0] != isc_info_db_sql_dialect) {
    db_sql_dialect_ = 1;
    return;
  }
  int length = ClientApi().isc_vax_integer(buffer + 1, 2);
  db_sql_dialect_ =
      ClientApi().isc_vax_integer(buffer + 3, static_cast<short>(std::clamp(length, 0, 4)));
}

void TIBDatabase::Disconnect() {
  if (BeforeDisconnect) BeforeDisconnect(this);
  SendConnectEvent(false);
  InternalClose(false);
  db_sql_dialect_ = 1;
  if (AfterDisconnect) AfterDisconnect(this);
}

void TIBDatabase::ForceClose() {
  if (!Connected()) return;
  if (BeforeDisconnect) BeforeDisconnect(this);
  InternalClose(true);
  if (AfterDisconnect) AfterDisconnect(this);
}

void TIBDatabase::InternalClose(bool force) {
  RequireActive();
  NotifySlots(transactions_, force,
              [this](TIBTransaction* transaction) { transaction->BeforeDatabaseDisconnect(this); });
  NotifySlots(sql_objects_, force, [](TIBBase* link) { link->DoBeforeDatabaseDisconnect(); });
  if (Call(ClientApi().isc_detach_database(ClientStatusVector(), &handle_), false) > 0 && !force)
    RaiseStatusError();
  handle_ = 0;
  NotifySlots(sql_objects_, force, [](TIBBase* link) { link->DoAfterDatabaseDisconnect(); });
}

void TIBDatabase::IdleTimerTick() {
  if (!Connected()) return;
  if (!can_time_out_) {
    can_time_out_ = true;
    return;
  }
  ForceClose();
  if (OnIdleTimer) OnIdleTimer(this);
}

void TIBDatabase::SetDatabaseName(const std::string& name) {
  if (name == database_name_) return;
  RequireInactive();
  database_name_ = name;
  schema_->FreeNodes();
}

void TIBDatabase::ParamsChanging() {
  RequireInactive();
}

void TIBDatabase::SetDefaultTransaction(TIBTransaction* transaction) {
  if (transaction == default_transaction_) return;
  TIBTransaction* old = default_transaction_;
  if (old && old->InTransaction() && old->FindDatabase(this) >= 0)
    RaiseClientError(ceTransactionActive);
  default_transaction_ = nullptr;
  // Leaving is mutual, so that neither side keeps a pointer the other may outlive.
  if (old && old->DefaultDatabase() != this) {
    int index = FindTransaction(old);
    if (index >= 0) UnregisterTransaction(index);
  }
  if (transaction) transaction->AddDatabase(this);
  default_transaction_ = transaction;
}

void TIBDatabase::SetIdleTimer(int milliseconds) {
  if (milliseconds < 0) RaiseClientError(ceNegativeTimeout);
  idle_timer_ = milliseconds;
  if (milliseconds == 0) {
    timer_->Stop();
    timer_->SetInterval(0);
    return;
  }
  // A flag armed under an earlier timing must not close at the first new tick.
  can_time_out_ = false;
  timer_->SetInterval(milliseconds);
  timer_->Start();
}

void TIBDatabase::SetSQLDialect(int dialect) {
  if (dialect < 1 || (Connected() && dialect > db_sql_dialect_))
    RaiseClientError(ceSqlDialectInvalid);
  sql_dialect_ = dialect;
}

void TIBDatabase::RequireActive() const {
  if (handle_ == 0) RaiseClientError(ceDatabaseNotOpen);
}

void TIBDatabase::RequireInactive() const {
  if (handle_ != 0) RaiseClientError(ceDatabaseOpen);
}

int TIBDatabase::FindTransaction(const TIBTransaction* transaction) const {
  return FindSlot(transactions_, transaction);
}

int TIBDatabase::RegisterTransaction(TIBTransaction* transaction) {
  if (!transaction) return -1;
  int index = FindTransaction(transaction);
  if (index >= 0) return index;
  index = TakeSlot(transactions_, transaction);
  if (transaction->FindDatabase(this) < 0) transaction->AddDatabase(this);
  return index;
}

void TIBDatabase::UnregisterTransaction(int index) {
  if (index < 0 || index >= TransactionCount() || !transactions_[index]) return;
  TIBTransaction* transaction = transactions_[index];
  transactions_[index] = nullptr;
  if (default_transaction_ == transaction) default_transaction_ = nullptr;
  int own = transaction->FindDatabase(this);
  if (own >= 0) transaction->RemoveDatabase(own);
}

int TIBDatabase::RegisterSQLObject(TIBBase* link) {
  int index = TakeSlot(sql_objects_, link);
  if (link->ConnectChange && link->Owner()) RegisterClient(link->Owner(), link->ConnectChange);
  return index;
}

void TIBDatabase::UnregisterSQLObject(int index) {
  if (index < 0 || index >= SQLObjectCount() || !sql_objects_[index]) return;
  TIBBase* link = sql_objects_[index];
  sql_objects_[index] = nullptr;
  // Unconditional: the hook may have been cleared since, and a stale client would dangle.
  if (link->Owner()) UnregisterClient(link->Owner());
  link->database_ = nullptr;
  link->database_index_ = -1;
}

TIBTransaction* TIBDatabase::ChooseDefaultTransaction() const {
  if (default_transaction_) return default_transaction_;
  for (TIBTransaction* transaction : transactions_)
    if (transaction && transaction != internal_transaction_ &&
        transaction->FindDefaultDatabase() == this)
      return transaction;
  return nullptr;
}

ISC_STATUS TIBDatabase::Call(ISC_STATUS result, bool raise_on_failure) {
  can_time_out_ = false;
  if (result > 0 && raise_on_failure) RaiseStatusError();
  return result;
}

void TIBDatabase::Loaded() {
  TCustomConnection::Loaded();
  bool connect = streamed_connected_;
  streamed_connected_ = false;
  if (!allow_streamed_connected_) {
    for (TIBTransaction* transaction : transactions_)
      if (transaction) transaction->streamed_active_ = false;
    return;
  }
  if (!connect) return;
  if (!Connected()) Open();
  // The stored-active transactions start here, after the connect, loaded or not yet.
  for (size_t i = 0; i < transactions_.size(); ++i) {
    TIBTransaction* transaction = transactions_[i];
    if (transaction && transaction->streamed_active_) {
      transaction->streamed_active_ = false;
      if (!transaction->InTransaction()) transaction->StartTransaction();
    }
  }
}
