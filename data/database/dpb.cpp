#include "data/database/dpb.h"

#include <array>
#include <cstdint>

#include "data/core/format_settings.h"
#include "data/core/parameter_buffer.h"
#include "data/errors/errors.h"

namespace {

// Position + 1 is the parameter's code.
constexpr std::array<const char*, 67> kDpbNames = {"cdd_pathname",
                                                   "allocation",
                                                   "journal",
                                                   "page_size",
                                                   "num_buffers",
                                                   "buffer_length",
                                                   "debug",
                                                   "garbage_collect",
                                                   "verify",
                                                   "sweep",
                                                   "enable_journal",
                                                   "disable_journal",
                                                   "dbkey_scope",
                                                   "number_of_users",
                                                   "trace",
                                                   "no_garbage_collect",
                                                   "damaged",
                                                   "license",
                                                   "sys_user_name",
                                                   "encrypt_key",
                                                   "activate_shadow",
                                                   "sweep_interval",
                                                   "delete_shadow",
                                                   "force_write",
                                                   "begin_log",
                                                   "quit_log",
                                                   "no_reserve",
                                                   "user_name",
                                                   "password",
                                                   "password_enc",
                                                   "sys_user_name_enc",
                                                   "interp",
                                                   "online_dump",
                                                   "old_file_size",
                                                   "old_num_files",
                                                   "old_file",
                                                   "old_start_page",
                                                   "old_start_seqno",
                                                   "old_start_file",
                                                   "drop_walfile",
                                                   "old_dump_id",
                                                   "wal_backup_dir",
                                                   "wal_chkptlen",
                                                   "wal_numbufs",
                                                   "wal_bufsize",
                                                   "wal_grp_cmt_wait",
                                                   "lc_messages",
                                                   "lc_ctype",
                                                   "cache_manager",
                                                   "shutdown",
                                                   "online",
                                                   "shutdown_delay",
                                                   "reserved",
                                                   "overwrite",
                                                   "sec_attach",
                                                   "disable_wal",
                                                   "connect_timeout",
                                                   "dummy_packet_interval",
                                                   "gbak_attach",
                                                   "sql_role_name",
                                                   "set_page_buffers",
                                                   "working_directory",
                                                   "sql_dialect",
                                                   "set_db_readonly",
                                                   "set_db_sql_dialect",
                                                   "gfix_attach",
                                                   "gstat_attach"};

// A decimal 32-bit integer; else the conversion error.
int32_t ReadInteger(const std::string& value) {
  int32_t number = 0;
  if (!TryStrToInt(value, number))
    throw EConvertError("'" + value + "' is not a valid integer value");
  return number;
}

void AppendText(std::string& dpb, int code, const std::string& value) {
  AppendCountedValue(dpb, code, value,
                     "DPB Constant (isc_dpb_" + std::string(kDpbNames[code - 1]) + ")");
}

}  // namespace

const char* DpbParameterName(int code) {
  return code >= 1 && code <= 67 ? kDpbNames[code - 1] : "";
}

std::string BuildDpb(const TStringList& params) {
  std::string dpb(1, static_cast<char>(isc_dpb_version1));
  for (const std::string& line : params.Lines()) {
    size_t eq = line.find('=');
    std::string written = eq == std::string::npos ? std::string() : line.substr(0, eq);
    if (IsBlankOnly(written)) continue;
    const std::string name = ParameterName(written, "isc_dpb_");
    std::string value = line.substr(eq + 1);
    int code = 0;
    for (int i = 0; i < 67; ++i)
      if (name == kDpbNames[i]) code = i + 1;
    switch (code) {
      case 0:
        RaiseClientError(ceDpbConstantUnknown, {written});
      case isc_dpb_license:
      case isc_dpb_sys_user_name:
      case isc_dpb_encrypt_key:
      case isc_dpb_user_name:
      case isc_dpb_password:
      case isc_dpb_password_enc:
      case isc_dpb_lc_messages:
      case isc_dpb_lc_ctype:
      case isc_dpb_sql_role_name:
        AppendText(dpb, code, value);
        break;
      case isc_dpb_sql_dialect:
        // The digit travels as a byte; an empty value has no digit to send.
        if (value.empty()) throw EConvertError("'' is not a valid integer value");
        value[0] = static_cast<char>(value[0] - '0');
        AppendText(dpb, code, value);
        break;
      case isc_dpb_num_buffers:
      case isc_dpb_verify:
      case isc_dpb_dbkey_scope:
      case isc_dpb_damaged:
      case isc_dpb_force_write:
      case isc_dpb_no_reserve:
        dpb += {static_cast<char>(code), 1, static_cast<char>(ReadInteger(value) & 0xFF)};
        break;
      case isc_dpb_sweep:
        dpb += {static_cast<char>(code), 1, 2};
        break;
      case isc_dpb_activate_shadow:
      case isc_dpb_delete_shadow:
      case isc_dpb_begin_log:
      case isc_dpb_quit_log:
        dpb += {static_cast<char>(code), 1, 0};
        break;
      // A server that does not answer is given up after this many seconds.
      case isc_dpb_connect_timeout:
      case isc_dpb_sweep_interval: {
        uint32_t number = static_cast<uint32_t>(ReadInteger(value));
        dpb += {static_cast<char>(code), 4};
        for (int i = 0; i < 4; ++i) dpb += static_cast<char>((number >> (8 * i)) & 0xFF);
        break;
      }
      default:
        RaiseClientError(ceDpbConstantUnsupported, {std::string(kDpbNames[code - 1])});
    }
  }
  CheckBufferLength(dpb, "DPB");
  return dpb;
}
