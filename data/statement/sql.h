// One SQL statement bound to one connection and one transaction.
#pragma once

#include <ibase.h>

#include <functional>
#include <memory>
#include <string>

#include "data/core/component.h"
#include "data/core/string_list.h"
#include "data/statement/xsqlda.h"

class TIBBase;
class TIBDatabase;
class TIBTransaction;

// The server's statement types.
enum TIBSQLTypes {
  SQLUnknown,
  SQLSelect,
  SQLInsert,
  SQLUpdate,
  SQLDelete,
  SQLDDL,
  SQLGetSegment,
  SQLPutSegment,
  SQLExecProcedure,
  SQLStartTransaction,
  SQLCommit,
  SQLRollback,
  SQLSelectForUpdate,
  SQLSetGenerator,
};

class TIBSQL : public TComponent {
 public:
  // Raises client error 1 when the client library cannot be bound.
  explicit TIBSQL(TComponent* owner = nullptr);
  // Closes an open cursor and frees a held statement handle.
  ~TIBSQL() override;

  TIBBase* Base() const { return base_.get(); }
  TIBDatabase* Database() const;
  void SetDatabase(TIBDatabase* database);
  TIBTransaction* Transaction() const;
  void SetTransaction(TIBTransaction* transaction);
  isc_db_handle* DBHandle();
  isc_tr_handle* TRHandle();
  // The connection's SQL dialect (3 without a connection).
  int SQLDialect() const;

  // Changing the text fires OnSQLChanging first and frees a held statement handle.
  TStringList& SQL() { return sql_; }
  const TStringList& SQL() const { return sql_; }
  void SetSQL(const TStringList& sql);
  // The text actually prepared.
  const std::string& ProcessedSQL() const { return processed_sql_; }

  bool ParamCheck() const { return param_check_; }
  void SetParamCheck(bool value) { param_check_ = value; }
  bool GenerateParamNames() const { return generate_param_names_; }
  void SetGenerateParamNames(bool value) { generate_param_names_ = value; }
  bool GoToFirstRecordOnExecute() const { return go_to_first_record_on_execute_; }
  void SetGoToFirstRecordOnExecute(bool value) { go_to_first_record_on_execute_ = value; }

  isc_stmt_handle Handle() const { return handle_; }
  bool Prepared() const { return prepared_; }
  bool Open() const { return open_; }
  bool Bof() const { return bof_; }
  // True at the end of the cursor, or when no cursor is open.
  bool Eof() const { return eof_ || !open_; }
  int RecordCount() const { return record_count_; }
  TIBSQLTypes SQLType() const { return sql_type_; }
  // A select, with or without "for update": it opens a cursor.
  bool IsSelect() const { return sql_type_ == SQLSelect || sql_type_ == SQLSelectForUpdate; }
  const std::string& CursorName() const { return cursor_name_; }

  void Prepare();
  void ExecQuery();
  // The current row, or null at the end of the cursor.
  TIBXSQLDA* Next();
  void Close();
  // Frees the server statement; the statement is no longer prepared.
  void FreeHandle();

  // The input descriptor, prepared first if needed.
  TIBXSQLDA& Params();
  // Client error 27 when no parameter has that name.
  TIBXSQLVAR& ParamByName(const std::string& name);
  TIBXSQLDA& Current() { return *row_; }
  // Client error 46 outside 0 to count - 1, with the index as the name.
  TIBXSQLVAR& Fields(int index);
  // Client error 46 when no column has that name.
  TIBXSQLVAR& FieldByName(const std::string& name);
  int FieldIndex(const std::string& name) const;

  // Rows changed by the last update, delete or insert; -1 otherwise.
  int RowsAffected();
  std::string Plan();
  std::string UniqueRelationName() const;

  TNotifyEvent OnSQLChanging;

  // The transaction's status check (clears the idle flags); raises when asked.
  ISC_STATUS Call(ISC_STATUS result, bool raise_on_failure);

 private:
  void SQLChanging(TStringList& list);
  void DoBeforeTransactionEnd();
  void DoBeforeDatabaseDisconnect();
  void CheckClosed() const;
  void CheckOpen() const;
  void CheckValidStatement() const;
  std::string SqlInfoReply(char item, size_t size);
  using TDescribeCall = ISC_STATUS (*)(ISC_STATUS*, isc_stmt_handle*, unsigned short, XSQLDA*);
  void Describe(TIBXSQLDA& descriptor, TDescribeCall describe, int dialect);
  // Prepares the processed text on the held handle; returns the status, never raises.
  ISC_STATUS PrepareText(int dialect);
  // FreeHandle with its failure dropped, when a handle is held.
  void FreeHandleQuietly();

  std::unique_ptr<TIBBase> base_;
  TStringList sql_;
  std::string processed_sql_;
  bool param_check_ = true;
  bool generate_param_names_ = false;
  bool go_to_first_record_on_execute_ = true;
  isc_stmt_handle handle_ = 0;
  bool prepared_ = false;
  bool open_ = false;
  bool bof_ = false;
  bool eof_ = false;
  int record_count_ = 0;
  TIBSQLTypes sql_type_ = SQLUnknown;
  std::string cursor_name_;
  std::unique_ptr<TIBXSQLDA> params_;
  std::unique_ptr<TIBXSQLDA> row_;
};
