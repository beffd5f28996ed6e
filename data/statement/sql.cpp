#include "data/statement/sql.h"

#include <exception>
#include <random>

#include "data/client_api/client_api.h"
#include "data/core/text.h"
#include "data/database/database.h"
#include "data/database/ib_base.h"
#include "data/errors/errors.h"
#include "data/statement/long_call.h"
#include "data/statement/sql_params.h"
#include "data/transaction/transaction.h"

namespace {

std::string RandomDigits(int count) {
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> digit(0, 9);
  std::string result;
  for (int i = 0; i < count; ++i) result += static_cast<char>('0' + digit(generator));
  return result;
}

// The statement's side of the link: a transaction end closes the cursor, a disconnect
// also frees the server statement.
class TIBSQLBase : public TIBBase {
 public:
  explicit TIBSQLBase(TIBSQL* sql) : TIBBase(sql), sql_(sql) {}
  void DoBeforeTransactionEnd() override {
    if (sql_->Open()) sql_->Close();
    TIBBase::DoBeforeTransactionEnd();
  }
  void DoBeforeDatabaseDisconnect() override {
    if (sql_->Handle()) {
      sql_->Close();
      sql_->FreeHandle();
    }
    TIBBase::DoBeforeDatabaseDisconnect();
  }

 private:
  TIBSQL* sql_;
};

}  // namespace

TIBSQL::TIBSQL(TComponent* owner) : TComponent(owner) {
  CheckClientLibraryLoaded();
  base_ = std::make_unique<TIBSQLBase>(this);
  params_ = std::make_unique<TIBXSQLDA>(this);
  row_ = std::make_unique<TIBXSQLDA>(this);
  cursor_name_ = Name() + RandomDigits(8);
  sql_.OnChanging = [this](TStringList& list) { SQLChanging(list); };
}

TIBSQL::~TIBSQL() {
  try {
    if (open_) Close();
  } catch (const Exception&) {
    // A destructor cannot report; the handle is freed all the same.
  }
  FreeHandleQuietly();
  base_.reset();
}

TIBDatabase* TIBSQL::Database() const {
  return base_->Database();
}
void TIBSQL::SetDatabase(TIBDatabase* database) {
  base_->SetDatabase(database);
}
TIBTransaction* TIBSQL::Transaction() const {
  return base_->Transaction();
}
void TIBSQL::SetTransaction(TIBTransaction* transaction) {
  base_->SetTransaction(transaction);
}
isc_db_handle* TIBSQL::DBHandle() {
  return base_->DBHandle();
}
isc_tr_handle* TIBSQL::TRHandle() {
  return base_->TRHandle();
}

int TIBSQL::SQLDialect() const {
  return Database() ? Database()->SQLDialect() : 3;
}

ISC_STATUS TIBSQL::Call(ISC_STATUS result, bool raise_on_failure) {
  if (Transaction()) return Transaction()->Call(result, raise_on_failure);
  if (result > 0 && raise_on_failure) RaiseStatusError();
  return result;
}

void TIBSQL::SetSQL(const TStringList& sql) {
  if (sql == sql_) return;
  sql_.Assign(sql);
}

void TIBSQL::SQLChanging(TStringList&) {
  if (OnSQLChanging) OnSQLChanging(this);
  if (open_) Close();
  if (handle_) FreeHandle();
}

void TIBSQL::CheckClosed() const {
  if (open_) RaiseClientError(ceStatementOpen);
}

void TIBSQL::CheckOpen() const {
  if (!open_) RaiseClientError(ceStatementClosed);
}

void TIBSQL::CheckValidStatement() const {
  if (!handle_) RaiseClientError(ceInvalidStatementHandle);
}

std::string TIBSQL::SqlInfoReply(char item, size_t size) {
  std::string reply(size, '\0');
  Call(ClientApi().isc_dsql_sql_info(ClientStatusVector(), &handle_, 1, &item,
                                     static_cast<short>(size), reply.data()),
       true);
  return reply;
}

void TIBSQL::Prepare() {
  CheckClosed();
  base_->RequireDatabase();
  base_->RequireTransaction();
  if (prepared_) return;
  if (sql_.Count() == 0) RaiseClientError(ceEmptyQuery);
  std::string text;
  for (const std::string& line : sql_.Lines()) text += line + "\r\n";
  TProcessedSql processed;
  if (param_check_)
    processed = PreprocessSql(text, generate_param_names_);
  else
    processed.text = text;
  if (processed.text.empty()) RaiseClientError(ceEmptyQuery);
  // The text goes out in the connection's character set; what it cannot hold is
  // refused here rather than sent as something else.
  processed_sql_ = Database() ? Database()->EncodeSql(processed.text) : processed.text;

  const int dialect = SQLDialect();
  try {
    Call(ClientApi().isc_dsql_alloc_statement2(ClientStatusVector(), DBHandle(), &handle_), true);
    if (PrepareText(dialect) > 0) RaiseStatusError();
    std::string reply = SqlInfoReply(isc_info_sql_stmt_type, 8);
    if (reply[0] != isc_info_sql_stmt_type) RaiseClientError(ceUnknownError);
    int length = ClientApi().isc_vax_integer(reply.data() + 1, 2);
    if (length < 0 || length > 4) RaiseClientError(ceUnknownError);
    sql_type_ = static_cast<TIBSQLTypes>(
        ClientApi().isc_vax_integer(reply.data() + 3, static_cast<short>(length)));
    switch (sql_type_) {
      case SQLGetSegment:
      case SQLPutSegment:
      case SQLStartTransaction:
        FreeHandle();
        RaiseClientError(ceNotPermitted);
      case SQLSelect:
      case SQLInsert:
      case SQLUpdate:
      case SQLDelete:
      case SQLDDL:
      case SQLExecProcedure:
      case SQLCommit:
      case SQLRollback:
      case SQLSelectForUpdate:
      case SQLSetGenerator: {
        if (param_check_) {
          params_->SetCount(static_cast<int>(processed.names.size()));
          for (size_t i = 0; i < processed.names.size(); ++i)
            params_->AddName(processed.names[i], static_cast<int>(i));
          if (params_->AsXSQLDA())
            Call(ClientApi().isc_dsql_describe_bind(ClientStatusVector(), &handle_,
                                                    static_cast<unsigned short>(dialect),
                                                    params_->AsXSQLDA()),
                 true);
        } else {
          // Without the rewrite the server tells how many "?" markers there are.
          Describe(*params_, ClientApi().isc_dsql_describe_bind, dialect);
        }
        params_->Initialize();
        if (sql_type_ == SQLSelect || sql_type_ == SQLExecProcedure ||
            sql_type_ == SQLSelectForUpdate) {
          Describe(*row_, ClientApi().isc_dsql_describe, dialect);
          row_->Initialize();
        }
        break;
      }
      default:
        break;
    }
    prepared_ = true;
  } catch (...) {
    FreeHandleQuietly();
    throw;
  }
}

ISC_STATUS TIBSQL::PrepareText(int dialect) {
  isc_tr_handle* transaction = TRHandle();
  if (TIBTransaction* metadata = Database() ? Database()->PrepareTransaction() : nullptr;
      metadata && metadata->InTransaction())
    transaction = metadata->HandleAddress();
  return Call(ClientApi().isc_dsql_prepare(ClientStatusVector(), transaction, &handle_, 0,
                                           processed_sql_.c_str(),
                                           static_cast<unsigned short>(dialect), nullptr),
              false);
}

void TIBSQL::FreeHandleQuietly() {
  if (!handle_) return;
  try {
    FreeHandle();
  } catch (const Exception&) {
    // An earlier failure is the one to report.
  }
}

void TIBSQL::Describe(TIBXSQLDA& descriptor, TDescribeCall describe, int dialect) {
  // One variable first; a second describe once the server has said how many there are.
  descriptor.SetCount(1);
  auto run = [&] {
    Call(describe(ClientStatusVector(), &handle_, static_cast<unsigned short>(dialect),
                  descriptor.AsXSQLDA()),
         true);
  };
  run();
  const XSQLDA* block = descriptor.AsXSQLDA();
  if (block->sqld > block->sqln) {
    descriptor.SetCount(block->sqld);
    run();
  } else if (block->sqld == 0) {
    descriptor.SetCount(0);
  }
}

void TIBSQL::ExecQuery() {
  CheckClosed();
  if (!prepared_) Prepare();
  base_->RequireTransaction();
  CheckValidStatement();
  const unsigned short dialect = static_cast<unsigned short>(SQLDialect());
  XSQLDA* in = params_->Count() > 0 ? params_->AsXSQLDA() : nullptr;
  XSQLDA* out = row_->Count() > 0 ? row_->AsXSQLDA() : nullptr;
  // Taken here: a long call may run on another thread, whose status vector is its own.
  ISC_STATUS* status = ClientStatusVector();
  isc_tr_handle* transaction = TRHandle();
  switch (sql_type_) {
    case SQLSelect:
    case SQLSelectForUpdate:
      Call(RunLongCall([&, status, transaction] {
             return ClientApi().isc_dsql_execute2(status, transaction, &handle_, dialect, in,
                                                  nullptr);
           }),
           true);
      Call(ClientApi().isc_dsql_set_cursor_name(ClientStatusVector(), &handle_,
                                                cursor_name_.c_str(), 0),
           true);
      open_ = true;
      bof_ = true;
      eof_ = false;
      record_count_ = 0;
      if (go_to_first_record_on_execute_) Next();
      break;
    case SQLExecProcedure:
      // Never run a second time after a failure: the first run may have done its work
      // (an autonomous transaction, a cancel that came late) and its error is the one.
      Call(RunLongCall([&, status, transaction] {
             return ClientApi().isc_dsql_execute2(status, transaction, &handle_, dialect, in, out);
           }),
           true);
      break;
    default:
      Call(RunLongCall([&, status, transaction] {
             return ClientApi().isc_dsql_execute(status, transaction, &handle_, dialect, in);
           }),
           true);
      break;
  }
}

TIBXSQLDA* TIBSQL::Next() {
  if (eof_) return nullptr;
  CheckOpen();
  XSQLDA* out = row_->Count() > 0 ? row_->AsXSQLDA() : nullptr;
  // One reference captured: the call fits in the function object itself, so a fetch
  // allocates nothing.
  struct {
    ISC_STATUS* status;
    isc_stmt_handle* handle;
    unsigned short dialect;
    XSQLDA* out;
  } fetch{ClientStatusVector(), &handle_, static_cast<unsigned short>(SQLDialect()), out};
  ISC_STATUS result = Call(RunLongCall([&fetch] {
                             return ClientApi().isc_dsql_fetch(fetch.status, fetch.handle,
                                                               fetch.dialect, fetch.out);
                           }),
                           false);
  if (result == 100 || (result > 0 && StatusVectorHas({isc_dsql_cursor_err}))) {
    eof_ = true;
    return nullptr;
  }
  if (result > 0) {
    try {
      RaiseStatusError();
    } catch (...) {
      try {
        Close();
      } catch (const Exception&) {
        // The fetch's failure is the one to report.
      }
      throw;
    }
  }
  ++record_count_;
  bof_ = false;
  return row_.get();
}

void TIBSQL::Close() {
  struct TReset {
    TIBSQL* sql;
    ~TReset() {
      sql->eof_ = false;
      sql->bof_ = false;
      sql->open_ = false;
      sql->record_count_ = 0;
    }
  } reset{this};
  if (handle_ && IsSelect() && open_) {
    ISC_STATUS result = Call(
        ClientApi().isc_dsql_free_statement(ClientStatusVector(), &handle_, DSQL_close), false);
    if (result > 0 && ClientStatusVector()[0] == 1 &&
        !StatusVectorHas({isc_bad_stmt_handle, isc_dsql_cursor_close_err}))
      RaiseStatusError();
  }
}

void TIBSQL::FreeHandle() {
  struct TReset {
    TIBSQL* sql;
    ~TReset() {
      sql->prepared_ = false;
      sql->handle_ = 0;
    }
  } reset{this};
  params_->SetCount(0);
  row_->SetCount(0);
  if (handle_) {
    ISC_STATUS result =
        Call(ClientApi().isc_dsql_free_statement(ClientStatusVector(), &handle_, DSQL_drop), false);
    if (result > 0 && ClientStatusVector()[0] == 1 && !StatusVectorHas({isc_bad_stmt_handle}))
      RaiseStatusError();
  }
}

TIBXSQLDA& TIBSQL::Params() {
  if (!prepared_) Prepare();
  return *params_;
}

TIBXSQLVAR& TIBSQL::ParamByName(const std::string& name) {
  TIBXSQLVAR* var = Params().ByName(name);
  if (!var) RaiseClientError(ceXsqldaNameMissing, {name});
  return *var;
}

TIBXSQLVAR& TIBSQL::Fields(int index) {
  if (index < 0 || index >= row_->Count())
    RaiseClientError(ceFieldNotFound, {std::to_string(index)});
  return row_->Vars(index);
}

TIBXSQLVAR& TIBSQL::FieldByName(const std::string& name) {
  TIBXSQLVAR* var = row_->ByName(name);
  if (!var) RaiseClientError(ceFieldNotFound, {name});
  return *var;
}

int TIBSQL::FieldIndex(const std::string& name) const {
  return row_->IndexOfName(name);
}

int TIBSQL::RowsAffected() {
  if (!prepared_) return -1;
  std::string reply = SqlInfoReply(isc_info_sql_records, 1049);
  if (reply[0] != isc_info_sql_records) return -1;
  int offset;
  switch (sql_type_) {
    case SQLUpdate:
      offset = 6;
      break;
    case SQLDelete:
      offset = 13;
      break;
    case SQLInsert:
      offset = 27;
      break;
    default:
      return -1;
  }
  return ClientApi().isc_vax_integer(reply.data() + offset, 4);
}

std::string TIBSQL::Plan() {
  if (!prepared_ || (sql_type_ != SQLSelect && sql_type_ != SQLUpdate && sql_type_ != SQLDelete &&
                     sql_type_ != SQLSelectForUpdate))
    return "";
  std::string reply = SqlInfoReply(isc_info_sql_get_plan, 16385);
  if (reply[0] != isc_info_sql_get_plan) RaiseClientError(cePlanUnavailable);
  int length = ClientApi().isc_vax_integer(reply.data() + 1, 2);
  // Never past the reply, whatever the length word says.
  size_t n = length < 0 ? 0 : std::min<size_t>(static_cast<size_t>(length), reply.size() - 3);
  return Trim(reply.substr(3, n));
}

std::string TIBSQL::UniqueRelationName() const {
  if (prepared_ && IsSelect()) return row_->UniqueRelationName();
  return "";
}
