// The layer's exception family and its status-vector reporting.
#pragma once

class TDataSet;

#include <ibase.h>

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

// The common base: every exception of the system carries its message text.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }

 private:
  std::string message_;
};

#define TAVREL_EXCEPTION_CLASS_NAME(name)  \
  const char* ClassName() const override { \
    return #name;                          \
  }

// The silent abort: the error box shows nothing for it.
class EAbort : public Exception {
 public:
  using Exception::Exception;
  EAbort() : Exception("Operation aborted") {}
  TAVREL_EXCEPTION_CLASS_NAME(EAbort)
};

class EConvertError : public Exception {
 public:
  using Exception::Exception;
  TAVREL_EXCEPTION_CLASS_NAME(EConvertError)
};

class EOSError : public Exception {
 public:
  EOSError(int code, std::string message) : Exception(std::move(message)), error_code_(code) {}
  int ErrorCode() const { return error_code_; }
  TAVREL_EXCEPTION_CLASS_NAME(EOSError)

 private:
  int error_code_;
};

class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
  TAVREL_EXCEPTION_CLASS_NAME(EDatabaseError)
};

class EIBError : public EDatabaseError {
 public:
  EIBError(int32_t sql_code, std::string message)
      : EDatabaseError(std::move(message)), sql_error_code_(sql_code) {}
  EIBError(int32_t sql_code, int32_t status_code, std::string message)
      : EDatabaseError(std::move(message)), sql_error_code_(sql_code), status_code_(status_code) {}
  int32_t SqlErrorCode() const { return sql_error_code_; }
  int32_t StatusCode() const { return status_code_; }
  TAVREL_EXCEPTION_CLASS_NAME(EIBError)

 private:
  int32_t sql_error_code_ = 0;
  int32_t status_code_ = 0;
};

class EIBInterBaseError : public EIBError {
 public:
  using EIBError::EIBError;
  TAVREL_EXCEPTION_CLASS_NAME(EIBInterBaseError)
};

// SQLCODE -551 (no permission); deliberately not an EIBInterBaseError.
class EIBInterBaseRoleError : public EIBError {
 public:
  using EIBError::EIBError;
  TAVREL_EXCEPTION_CLASS_NAME(EIBInterBaseRoleError)
};

class EIBClientError : public EIBError {
 public:
  using EIBError::EIBError;
  TAVREL_EXCEPTION_CLASS_NAME(EIBClientError)
};

// A row's update or delete found no row with the values it had read: another page, a
// statement or another user changed or deleted it meanwhile, and writing over that
// change would lose it.
class ERowChanged : public EIBClientError {
 public:
  // `dataset`, whose row it was, is valid where the error is first caught.
  explicit ERowChanged(TDataSet* dataset);
  TDataSet* DataSet() const { return dataset_; }
  TAVREL_EXCEPTION_CLASS_NAME(ERowChanged)

 private:
  TDataSet* dataset_;
};
extern const char* const kRowChangedMessage;

enum TClientErrorCode : int {
  ceUnknownError,
  ceClientLibraryMissing,
  ceInstallLibraryMissing,
  ceNeedsVersion6,
  ceUnsupportedFeature,
  ceNotPermitted,
  ceTempFileAccess,
  ceConnectionTimedOut,
  ceCannotSetDatabase,
  ceCannotSetTransaction,
  ceOperationCancelled,
  ceDpbConstantUnsupported,
  ceDpbConstantUnknownCode,
  ceTpbConstantUnsupported,
  ceTpbConstantUnknownCode,
  ceDatabaseNotOpen,
  ceDatabaseOpen,
  ceDatabaseNameMissing,
  ceTransactionNotActive,
  ceTransactionActive,
  ceNegativeTimeout,
  ceNoDatabasesInTransaction,
  ceWrongDatabase,
  ceWrongTransaction,
  ceDatabaseNotAssigned,
  ceTransactionNotAssigned,
  ceXsqldaIndexOutOfRange,
  ceXsqldaNameMissing,
  ceEndOfFile,
  ceBeginningOfFile,
  ceInvalidStatementHandle,
  ceStatementOpen,
  ceStatementClosed,
  ceDatasetOpen,
  ceDatasetClosed,
  ceUnknownSqlDataType,
  ceColumnIndexOutOfRange,
  ceParamIndexOutOfRange,
  ceInvalidConversion,
  ceColumnNotNullable,
  ceBlobNotReadable,
  ceBlobNotWritable,
  ceEmptyQuery,
  ceOpenNonSelect,
  ceNoFieldAccess,
  ceFieldReadOnly,
  ceFieldNotFound,
  ceNotEditing,
  ceNoInsertQuery,
  ceNoPostQuery,
  ceNoUpdateQuery,
  ceNoDeleteQuery,
  ceNoRefreshQuery,
  ceBufferNotSet,
  ceCircularReference,
  ceSqlParseError,
  ceUserAbort,
  ceUnidirectional,
  ceSharedResourceFailed,
  ceWindowsApiError,
  ceColumnListMismatch,
  ceColumnTypeMismatch,
  ceCannotEndSharedTransaction,
  ceUnsupportedFieldType,
  ceCircularDataLink,
  ceEmptySqlStatement,
  ceSelectNeedsOpen,
  ceRequiredParamNotSet,
  ceNoProcedureName,
  ceProcedureNeedsExecProc,
  ceUpdateFailed,
  ceCachedUpdatesOff,
  ceRequestNotLive,
  ceNoProvider,
  ceNoRecordsAffected,
  ceNoTableName,
  cePrimaryIndexAutomatic,
  ceSystemIndexDrop,
  ceTableNameMismatch,
  ceIndexFieldMissing,
  ceEventsBusy,
  ceInvalidEvent,
  ceTooManyEvents,
  ceNoEventsRegistered,
  ceInvalidQueueing,
  ceInvalidRegistration,
  ceInvalidBatchMove,
  ceSqlDialectInvalid,
  ceSpbConstantUnsupported,
  ceSpbConstantUnknown,
  ceServiceNotAttached,
  ceServiceAttached,
  ceServerNameMissing,
  ceQueryParamsInvalid,
  ceStartParamsInvalid,
  ceUnexpectedOutput,
  ceGenericServiceStart,
  ceMonitorPresent,
  ceCannotPrint,
  ceEofReached,
  ceEofInComment,
  ceEofInString,
  ceParamNameExpected,
  ceSuccess,
  ceWrappedException,
  ceNoInstallOptions,
  ceNoDestinationDirectory,
  ceNoSourceDirectory,
  ceNoUninstallFile,
  ceNeedsClient,
  ceNeedsServer,
  ceInvalidOption,
  ceBadOnErrorResult,
  ceBadOnStatusResult,
  ceDpbConstantUnknown,
  ceTpbConstantUnknown,
  cePlanUnavailable,
  ceFieldSizeMismatch,
  ceEventsRegistered,
  ceStringTooLong,
};
inline constexpr int kClientErrorCount = 120;

// The unformatted message of a client error ("" for an out-of-range code).
const std::string& ClientErrorMessage(TClientErrorCode code);
// The enumeration name of a client error, e.g. "ceDatabaseNotOpen".
const char* ClientErrorName(TClientErrorCode code);

// One argument of Format: text, integer or pointer.
class TFormatArg {
 public:
  TFormatArg(std::string text) : value_(std::move(text)) {}
  TFormatArg(const char* text) : value_(std::string(text ? text : "")) {}
  template <typename T>
  requires std::is_integral_v<T> TFormatArg(T number) : value_(static_cast<long long>(number)) {}
  TFormatArg(const void* pointer) : value_(pointer) {}
  const std::variant<std::string, long long, const void*>& Value() const { return value_; }

 private:
  std::variant<std::string, long long, const void*> value_;
};

// Fills the placeholders %s, %d, %x (with optional flags, width and precision), %p and %%.
// A placeholder without its argument, or of the wrong kind, is a programming error and
// raises EConvertError instead of reading past the arguments.
std::string Format(const std::string& pattern, const std::vector<TFormatArg>& args);

[[noreturn]] void RaiseClientError(TClientErrorCode code, const std::vector<TFormatArg>& args = {});

// The calling thread's status vector, passed first to every client call.
ISC_STATUS* ClientStatusVector();

// Turns the calling thread's status vector into EIBInterBaseError or EIBInterBaseRoleError.
[[noreturn]] void RaiseStatusError();

// True for a failure that means the connection to the server is gone (network errors,
// a lost or shut down attachment): nothing more can reach the server through it.
bool IsConnectionLost(const std::exception& error);

// True when the calling thread's status vector holds one of the given library error codes.
bool StatusVectorHas(std::initializer_list<ISC_STATUS> codes);

enum TIBErrorMessage { emSqlCode = 1, emClientText = 2, emSqlText = 4 };
using TIBErrorMessages = unsigned;

TIBErrorMessages ErrorMessageOptions();
void SetErrorMessageOptions(TIBErrorMessages options);
