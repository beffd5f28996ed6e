/* A test-only client library: every entry point reaches libfbclient.so.2 (the ones
   taking a status vector through a wrapper here, the rest through the loader, since
   this library names libfbclient.so.2 as a dependency), and the tests make the Nth call
   of one chosen entry point fail, once or from then on, with a status of their choice.
   Control is through the exported tavrel_fault_* functions, found with dlsym.
   The real library's calls between its own entry points (isc_dsql_execute calls
   isc_dsql_execute2) come through here as well, so they count and can fail too. */
#include <dlfcn.h>
#include <ibase.h>
#include <stdlib.h>
#include <string.h>

enum { kMaxStatus = 20, kMaxNames = 64 };

static char armed_name[64];
static int armed_nth;     /* calls of armed_name still to pass before the fault */
static int armed_forever; /* keep failing once the fault fired */
static int armed_fired;
static ISC_STATUS armed_status[kMaxStatus];
static int injected;

static struct {
  const char* name;
  int calls;
} counts[kMaxNames];

static void Count(const char* name) {
  for (int i = 0; i < kMaxNames; ++i) {
    if (!counts[i].name) counts[i].name = name;
    if (counts[i].name == name || strcmp(counts[i].name, name) == 0) {
      ++counts[i].calls;
      return;
    }
  }
}

/* Arms the fault: the nth call of `entry` from now on (1 = the next) fails with
   `status` (copied up to its isc_arg_end; string arguments must outlive the fault). */
void tavrel_fault_arm(const char* entry, int nth, int forever, const ISC_STATUS* status) {
  strncpy(armed_name, entry, sizeof armed_name - 1);
  armed_name[sizeof armed_name - 1] = 0;
  armed_nth = nth;
  armed_forever = forever;
  armed_fired = 0;
  memset(armed_status, 0, sizeof armed_status);
  for (int i = 0; i < kMaxStatus - 1; ++i) {
    armed_status[i] = status[i];
    if (i > 0 && status[i] == isc_arg_end) break;
  }
}

void tavrel_fault_clear(void) {
  armed_name[0] = 0;
}

/* Calls of `entry` since the library was loaded, failed ones included. */
int tavrel_fault_calls(const char* entry) {
  for (int i = 0; i < kMaxNames && counts[i].name; ++i)
    if (strcmp(counts[i].name, entry) == 0) return counts[i].calls;
  return 0;
}

int tavrel_fault_injected(void) {
  return injected;
}

static int Inject(const char* name, ISC_STATUS* status) {
  Count(name);
  if (!armed_name[0] || strcmp(armed_name, name) != 0) return 0;
  if (!armed_fired && --armed_nth > 0) return 0;
  if (armed_fired && !armed_forever) return 0;
  armed_fired = 1;
  ++injected;
  memcpy(status, armed_status, sizeof armed_status);
  return 1;
}

static void* Real(const char* name) {
  static void* library;
  if (!library) library = dlopen("libfbclient.so.2", RTLD_NOW | RTLD_LOCAL);
  void* symbol = library ? dlsym(library, name) : NULL;
  if (!symbol) abort();
  return symbol;
}

#define FORWARD(name, params, args)                   \
  ISC_STATUS ISC_EXPORT name params {                 \
    static __typeof__(&name) real;                    \
    if (Inject(#name, status)) return status[1];      \
    if (!real) real = (__typeof__(&name))Real(#name); \
    return real args;                                 \
  }

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

FORWARD(isc_attach_database,
        (ISC_STATUS * status, short n, const ISC_SCHAR* file, isc_db_handle* db, short dpb_n,
         const ISC_SCHAR* dpb),
        (status, n, file, db, dpb_n, dpb))
FORWARD(isc_detach_database, (ISC_STATUS * status, isc_db_handle* db), (status, db))
FORWARD(isc_drop_database, (ISC_STATUS * status, isc_db_handle* db), (status, db))
FORWARD(isc_database_info,
        (ISC_STATUS * status, isc_db_handle* db, short n, const ISC_SCHAR* items, short size,
         ISC_SCHAR* out),
        (status, db, n, items, size, out))
FORWARD(isc_start_multiple, (ISC_STATUS * status, isc_tr_handle* tr, short n, void* teb),
        (status, tr, n, teb))
FORWARD(isc_commit_transaction, (ISC_STATUS * status, isc_tr_handle* tr), (status, tr))
FORWARD(isc_commit_retaining, (ISC_STATUS * status, isc_tr_handle* tr), (status, tr))
FORWARD(isc_rollback_transaction, (ISC_STATUS * status, isc_tr_handle* tr), (status, tr))
FORWARD(isc_rollback_retaining, (ISC_STATUS * status, isc_tr_handle* tr), (status, tr))
FORWARD(isc_prepare_transaction, (ISC_STATUS * status, isc_tr_handle* tr), (status, tr))
FORWARD(isc_prepare_transaction2,
        (ISC_STATUS * status, isc_tr_handle* tr, ISC_USHORT n, const ISC_UCHAR* message),
        (status, tr, n, message))
FORWARD(isc_dsql_alloc_statement2, (ISC_STATUS * status, isc_db_handle* db, isc_stmt_handle* stmt),
        (status, db, stmt))
FORWARD(isc_dsql_free_statement, (ISC_STATUS * status, isc_stmt_handle* stmt, unsigned short o),
        (status, stmt, o))
FORWARD(isc_dsql_prepare,
        (ISC_STATUS * status, isc_tr_handle* tr, isc_stmt_handle* stmt, unsigned short n,
         const ISC_SCHAR* sql, unsigned short dialect, XSQLDA* out),
        (status, tr, stmt, n, sql, dialect, out))
FORWARD(isc_dsql_describe,
        (ISC_STATUS * status, isc_stmt_handle* stmt, unsigned short d, XSQLDA* out),
        (status, stmt, d, out))
FORWARD(isc_dsql_describe_bind,
        (ISC_STATUS * status, isc_stmt_handle* stmt, unsigned short d, XSQLDA* in),
        (status, stmt, d, in))
FORWARD(isc_dsql_execute,
        (ISC_STATUS * status, isc_tr_handle* tr, isc_stmt_handle* stmt, unsigned short d,
         const XSQLDA* in),
        (status, tr, stmt, d, in))
FORWARD(isc_dsql_execute2,
        (ISC_STATUS * status, isc_tr_handle* tr, isc_stmt_handle* stmt, unsigned short d,
         const XSQLDA* in, const XSQLDA* out),
        (status, tr, stmt, d, in, out))
FORWARD(isc_dsql_execute_immediate,
        (ISC_STATUS * status, isc_db_handle* db, isc_tr_handle* tr, unsigned short n,
         const ISC_SCHAR* sql, unsigned short d, const XSQLDA* in),
        (status, db, tr, n, sql, d, in))
FORWARD(isc_dsql_fetch,
        (ISC_STATUS * status, isc_stmt_handle* stmt, unsigned short d, const XSQLDA* out),
        (status, stmt, d, out))
FORWARD(isc_dsql_set_cursor_name,
        (ISC_STATUS * status, isc_stmt_handle* stmt, const ISC_SCHAR* name, unsigned short t),
        (status, stmt, name, t))
FORWARD(isc_dsql_sql_info,
        (ISC_STATUS * status, isc_stmt_handle* stmt, short n, const ISC_SCHAR* items, short size,
         ISC_SCHAR* out),
        (status, stmt, n, items, size, out))
FORWARD(isc_open_blob2,
        (ISC_STATUS * status, isc_db_handle* db, isc_tr_handle* tr, isc_blob_handle* blob,
         ISC_QUAD* id, ISC_USHORT n, const ISC_UCHAR* bpb),
        (status, db, tr, blob, id, n, bpb))
FORWARD(isc_create_blob2,
        (ISC_STATUS * status, isc_db_handle* db, isc_tr_handle* tr, isc_blob_handle* blob,
         ISC_QUAD* id, short n, const ISC_SCHAR* bpb),
        (status, db, tr, blob, id, n, bpb))
FORWARD(isc_get_segment,
        (ISC_STATUS * status, isc_blob_handle* blob, unsigned short* got, unsigned short size,
         ISC_SCHAR* buffer),
        (status, blob, got, size, buffer))
FORWARD(isc_put_segment,
        (ISC_STATUS * status, isc_blob_handle* blob, unsigned short n, const ISC_SCHAR* data),
        (status, blob, n, data))
FORWARD(isc_close_blob, (ISC_STATUS * status, isc_blob_handle* blob), (status, blob))
FORWARD(isc_blob_info,
        (ISC_STATUS * status, isc_blob_handle* blob, short n, const ISC_SCHAR* items, short size,
         ISC_SCHAR* out),
        (status, blob, n, items, size, out))
FORWARD(isc_cancel_events, (ISC_STATUS * status, isc_db_handle* db, ISC_LONG* id), (status, db, id))
FORWARD(isc_que_events,
        (ISC_STATUS * status, isc_db_handle* db, ISC_LONG* id, short n, const ISC_UCHAR* events,
         ISC_EVENT_CALLBACK callback, void* argument),
        (status, db, id, n, events, callback, argument))
