/* A stand-in client library that lacks one required entry point (isc_dsql_fetch). */
#include "data/client_api/entry_points.h"

#define DEFINE_ENTRY(name) void name(void) {}
#define isc_dsql_fetch isc_dsql_fetch_left_out
TAVREL_REQUIRED_ENTRY_POINTS(DEFINE_ENTRY)
TAVREL_VERSION6_ENTRY_POINTS(DEFINE_ENTRY)
