#include "data/errors/errors.h"

#include <array>
#include <cstdio>
#include <mutex>

#include "data/client_api/client_api.h"
#include "data/core/charset.h"

namespace {

struct TClientErrorText {
  const char* name;
  const char* message;
};

// Written once, read-only afterwards.
constexpr std::array<TClientErrorText, kClientErrorCount> kClientErrors = {{
    {"ceUnknownError", "Unknown error"},
    {"ceClientLibraryMissing",
     "InterBase library gds32.dll not found in the path. Please install InterBase to use this "
     "functionality"},
    {"ceInstallLibraryMissing",
     "InterBase Install DLL ibinstall.dll not found in the path. Please install InterBase 6 to use "
     "this functionality"},
    {"ceNeedsVersion6",
     "%s is an InterBase 6 function. Please upgrade to InterBase 6 to use this functonality"},
    {"ceUnsupportedFeature", "Unsupported feature"},
    {"ceNotPermitted", "Not permitted"},
    {"ceTempFileAccess", "Temporary file access error"},
    {"ceConnectionTimedOut", "Database connection timed out"},
    {"ceCannotSetDatabase", "Cannot set database"},
    {"ceCannotSetTransaction", "Cannot set transaction"},
    {"ceOperationCancelled", "Operation cancelled at user's request"},
    {"ceDpbConstantUnsupported", "DPB Constant (isc_dpb_%s) is unsupported"},
    {"ceDpbConstantUnknownCode", "DPB Constant (%d) is unknown"},
    {"ceTpbConstantUnsupported", "TPB Constant (isc_tpb_%s) is unsupported"},
    {"ceTpbConstantUnknownCode", "TPB Constant (%d) is unknown"},
    {"ceDatabaseNotOpen", "Cannot perform operation -- DB is not open"},
    {"ceDatabaseOpen", "Cannot perform operation -- DB is currently open"},
    {"ceDatabaseNameMissing", "Database name is missing"},
    {"ceTransactionNotActive", "Transaction is not active"},
    {"ceTransactionActive", "Transaction is active"},
    {"ceNegativeTimeout", "Timeout values cannot be negative"},
    {"ceNoDatabasesInTransaction", "No databases are listed in transaction component"},
    {"ceWrongDatabase", "Updating wrong database"},
    {"ceWrongTransaction", "Updating wrong transaction. Unique transaction expected in set"},
    {"ceDatabaseNotAssigned", "Database not assigned"},
    {"ceTransactionNotAssigned", "Transaction not assigned"},
    {"ceXsqldaIndexOutOfRange", "XSQLDA index out of range"},
    {"ceXsqldaNameMissing", "XSQLDA name does not exist (%s)"},
    {"ceEndOfFile", "End of file"},
    {"ceBeginningOfFile", "Beginning of file"},
    {"ceInvalidStatementHandle", "Invalid statement handle"},
    {"ceStatementOpen", "IBSQL Open"},
    {"ceStatementClosed", "IBSQL Closed"},
    {"ceDatasetOpen", "Dataset open"},
    {"ceDatasetClosed", "Dataset closed"},
    {"ceUnknownSqlDataType", "Unknown SQL Data type (%d)"},
    {"ceColumnIndexOutOfRange", "Invalid column index (index exceeds permitted range)"},
    {"ceParamIndexOutOfRange", "Invalid parameter index (index exceeds permitted range)"},
    {"ceInvalidConversion", "Invalid data conversion"},
    {"ceColumnNotNullable", "Column cannot be set to null (%s)"},
    {"ceBlobNotReadable", "Blob stream cannot be read"},
    {"ceBlobNotWritable", "Blob stream cannot be written"},
    {"ceEmptyQuery", "Empty query"},
    {"ceOpenNonSelect", "Cannot \"open\" a non-select statement. Use ExecQuery"},
    {"ceNoFieldAccess", "No access to field \"%s\""},
    {"ceFieldReadOnly", "Field \"%s\" is read-only"},
    {"ceFieldNotFound", "Field \"%s\" not found"},
    {"ceNotEditing", "Not in edit mode"},
    {"ceNoInsertQuery", "Cannot insert into dataset. (No insert query)"},
    {"ceNoPostQuery", "Cannot post. (No update/insert query)"},
    {"ceNoUpdateQuery", "Cannot update. (No update query)"},
    {"ceNoDeleteQuery", "Cannot delete from dataset. (No delete query)"},
    {"ceNoRefreshQuery", "Cannot refresh row. (No refresh query)"},
    {"ceBufferNotSet", "Buffer not set"},
    {"ceCircularReference", "Circular references not permitted"},
    {"ceSqlParseError", "SQL Parse Error:\r\n\r\n%s"},
    {"ceUserAbort", "User abort"},
    {"ceUnidirectional", "Data set is uni-directional"},
    {"ceSharedResourceFailed", "Cannot create shared resource. (Windows error %d)"},
    {"ceWindowsApiError", "Windows API error. (Windows error %d [$%.8x])"},
    {"ceColumnListMismatch", "Column lists do not match"},
    {"ceColumnTypeMismatch", "Column types don't match. (From index: %d; To index: %d)"},
    {"ceCannotEndSharedTransaction",
     "Can't end a shared transaction unless it is forced and equal to the transaction's "
     "TimeoutAction"},
    {"ceUnsupportedFieldType", "Unsupported Field Type"},
    {"ceCircularDataLink", "Circular DataLink Reference"},
    {"ceEmptySqlStatement", "Empty SQL Statement"},
    {"ceSelectNeedsOpen", "use Open for a Select Statement"},
    {"ceRequiredParamNotSet", "Required Param value not set"},
    {"ceNoProcedureName", "No Stored Procedure Name assigned"},
    {"ceProcedureNeedsExecProc", "use ExecProc for Procedure; use TQuery for Select procedures"},
    {"ceUpdateFailed", "Update Failed"},
    {"ceCachedUpdatesOff", "CachedUpdates not enabled"},
    {"ceRequestNotLive", "Request is not live - cannot modify"},
    {"ceNoProvider", "No Provider"},
    {"ceNoRecordsAffected", "No Records Affected"},
    {"ceNoTableName", "No Table Name assigned"},
    {"cePrimaryIndexAutomatic", "Cannot Create Primary Index; are created automatically"},
    {"ceSystemIndexDrop", "Cannot Drop System Index"},
    {"ceTableNameMismatch", "Table Name Mismatch"},
    {"ceIndexFieldMissing", "Index Field Missing"},
    {"ceEventsBusy", "Cannot Cancel events while processing"},
    {"ceInvalidEvent", "Invalid Event"},
    {"ceTooManyEvents", "Exceded Maximum Event limits"},
    {"ceNoEventsRegistered", "No Events Registered"},
    {"ceInvalidQueueing", "Invalid Queueing"},
    {"ceInvalidRegistration", "Invalid Registration"},
    {"ceInvalidBatchMove", "Invalid Batch Move"},
    {"ceSqlDialectInvalid", "SQL Dialect Invalid"},
    {"ceSpbConstantUnsupported", "SPB Constant Not supported"},
    {"ceSpbConstantUnknown", "SPB Constant Unknown"},
    {"ceServiceNotAttached", "Cannot perform operation -- service is not attached"},
    {"ceServiceAttached", "Cannot perform operation -- service is attached"},
    {"ceServerNameMissing", "Server Name Missing"},
    {"ceQueryParamsInvalid", "Query Parameters missing or incorrect"},
    {"ceStartParamsInvalid", "start Parameters missing or incorrect"},
    {"ceUnexpectedOutput", "Unexpected Output buffer value"},
    {"ceGenericServiceStart",
     "Generic ServiceStart not applicable: Use Specific Procedures to set configuration params"},
    {"ceMonitorPresent", "SQL Monitor Instance is already present"},
    {"ceCannotPrint", "Cannot print value"},
    {"ceEofReached", "SEOFReached"},
    {"ceEofInComment", "EOF in comment detected"},
    {"ceEofInString", "EOF in string detected"},
    {"ceParamNameExpected", "Parameter name expected"},
    {"ceSuccess", "Successful execution"},
    {"ceWrappedException", "%s"},
    {"ceNoInstallOptions", "No Install Options selected"},
    {"ceNoDestinationDirectory", "DestinationDirectory is not set"},
    {"ceNoSourceDirectory", "SourceDirectory is not set"},
    {"ceNoUninstallFile", "Uninstall File Name is not set"},
    {"ceNeedsClient", "%s component requires Client to function properly"},
    {"ceNeedsServer", "%s component requires Server to function properly"},
    {"ceInvalidOption", "Invalid option specified"},
    {"ceBadOnErrorResult", "Unexpected onError return value"},
    {"ceBadOnStatusResult", "Unexpected onStatus return value"},
    {"ceDpbConstantUnknown", "DPB Constant (%s) is unknown"},
    {"ceTpbConstantUnknown", "TPB Constant (%s) is unknown"},
    {"cePlanUnavailable", "Unknown Error - Can't retrieve plan"},
    {"ceFieldSizeMismatch", "Size Mismatch - Field %s size is too small for data"},
    {"ceEventsRegistered", "Events already registered"},
    {"ceStringTooLong",
     "Trying to store a string of length %d into a field that can only contain %d"},
}};

std::mutex& MessageOptionsLock() {
  static std::mutex lock;
  return lock;
}
TIBErrorMessages g_message_options = emClientText | emSqlText;

// Room for the library's longest text; the bounded call never writes past it.
constexpr size_t kInterpretBufferSize = 20480;
constexpr int kStatusVectorWords = ISC_STATUS_LENGTH;

thread_local ISC_STATUS t_status_vector[kStatusVectorWords];

}  // namespace

const std::string& ClientErrorMessage(TClientErrorCode code) {
  static const std::vector<std::string> table = [] {
    std::vector<std::string> texts;
    for (const auto& e : kClientErrors) texts.emplace_back(e.message);
    return texts;
  }();
  static const std::string none;
  return code >= 0 && code < kClientErrorCount ? table[code] : none;
}

const char* ClientErrorName(TClientErrorCode code) {
  return code >= 0 && code < kClientErrorCount ? kClientErrors[code].name : "";
}

std::string Format(const std::string& pattern, const std::vector<TFormatArg>& args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      out += pattern[i];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < pattern.size() &&
           std::string_view("-+ #0123456789.").find(pattern[j]) != std::string_view::npos)
      ++j;
    if (j >= pattern.size())
      throw EConvertError("Format '" + pattern + "' invalid or incompatible with argument");
    const std::string directive = pattern.substr(i, j - i);
    const char kind = pattern[j];
    if (next >= args.size())
      throw EConvertError("Format '" + pattern + "' invalid or incompatible with argument");
    const auto& value = args[next++].Value();
    char buffer[64];
    if (kind == 's' && std::holds_alternative<std::string>(value)) {
      out += std::get<std::string>(value);  // width and precision are never used with text here
    } else if ((kind == 'd' || kind == 'x' || kind == 'X') &&
               std::holds_alternative<long long>(value)) {
      long long n = std::get<long long>(value);
      const std::string f = directive + (kind == 'd' ? "lld" : kind == 'x' ? "llx" : "llX");
      // %x shows the 32-bit pattern, as the messages expect.
      if (kind != 'd') n = static_cast<unsigned long long>(static_cast<uint32_t>(n));
      std::snprintf(buffer, sizeof buffer, f.c_str(), n);
      out += buffer;
    } else if (kind == 'p' && std::holds_alternative<const void*>(value)) {
      std::snprintf(buffer, sizeof buffer, "%08llX",
                    static_cast<unsigned long long>(
                        reinterpret_cast<uintptr_t>(std::get<const void*>(value))));
      out += buffer;
    } else {
      throw EConvertError("Format '" + pattern + "' invalid or incompatible with argument");
    }
    i = j;
  }
  return out;
}

const char* const kRowChangedMessage = "O registro foi alterado ou excluído depois de lido";

ERowChanged::ERowChanged(TDataSet* dataset)
    : EIBClientError(ceNoRecordsAffected, kRowChangedMessage), dataset_(dataset) {}

void RaiseClientError(TClientErrorCode code, const std::vector<TFormatArg>& args) {
  throw EIBClientError(code, Format(ClientErrorMessage(code), args));
}

ISC_STATUS* ClientStatusVector() {
  return t_status_vector;
}

TIBErrorMessages ErrorMessageOptions() {
  std::lock_guard<std::mutex> guard(MessageOptionsLock());
  return g_message_options;
}

void SetErrorMessageOptions(TIBErrorMessages options) {
  std::lock_guard<std::mutex> guard(MessageOptionsLock());
  g_message_options = options;
}

void RaiseStatusError() {
  ISC_STATUS* status = ClientStatusVector();
  const auto status_code = static_cast<int32_t>(status[1]);
  TIBErrorMessages options = ErrorMessageOptions();
  const TClientApi& api = ClientApi();
  const auto sql_code = static_cast<int32_t>(api.isc_sqlcode(status));

  std::string text;
  if (options & emSqlCode) text += "SQLCODE: " + std::to_string(sql_code);
  options &= ~static_cast<TIBErrorMessages>(emSqlText);
  if (options & emClientText) {
    if (options & emSqlCode) text += "\r\n";
    std::vector<char> buffer(kInterpretBufferSize + 1, '\0');
    const ISC_STATUS* cursor = status;
    for (;;) {
      ISC_LONG length;
      if (api.fb_interpret) {
        length = api.fb_interpret(buffer.data(), kInterpretBufferSize, &cursor);
      } else {
        // Older libraries only have the unbounded call; the buffer is the size it expects.
        auto* moving = const_cast<ISC_STATUS*>(cursor);
        length = api.isc_interprete(buffer.data(), &moving);
        cursor = moving;
      }
      if (length <= 0) break;
      buffer[kInterpretBufferSize] = '\0';
      if (!text.empty() && text.back() != '\n') text += "\r\n";
      text += buffer.data();
    }
  }
  if (!text.empty() && text.back() == '.') text.pop_back();
  // Names in the texts come in the connection's character set; one that is not UTF-8
  // is an older one-byte set, read as ISO8859_1 rather than shown broken.
  if (!IsValidUtf8(text)) text = Latin1ToUtf8(text);
  if (sql_code == -551) throw EIBInterBaseRoleError(sql_code, status_code, text);
  throw EIBInterBaseError(sql_code, status_code, text);
}

bool StatusVectorHas(std::initializer_list<ISC_STATUS> codes) {
  const ISC_STATUS* status = ClientStatusVector();
  int i = 0;
  // Bounded by the vector's size: a malformed vector never leads past its end.
  while (i < kStatusVectorWords && status[i] != isc_arg_end) {
    const ISC_STATUS type = status[i];
    if ((type == isc_arg_gds || type == isc_arg_number) && i + 1 < kStatusVectorWords) {
      for (ISC_STATUS code : codes)
        if (status[i + 1] == code) return true;
    }
    i += type == isc_arg_cstring ? 3 : 2;
  }
  return false;
}

bool IsConnectionLost(const std::exception& error) {
  const auto* failure = dynamic_cast<const EIBInterBaseError*>(&error);
  if (!failure) return false;
  switch (failure->StatusCode()) {
    case isc_network_error:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_lost_db_connection:
    case isc_conn_lost:
    case isc_att_shutdown:
    case isc_shutdown:
    case isc_net_server_shutdown:
      return true;
    default:
      return false;
  }
}
