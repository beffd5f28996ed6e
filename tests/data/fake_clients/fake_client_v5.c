/* A stand-in client library of version 5: every required entry point, but no
   isc_rollback_retaining. Only looked up by name, never called. */
#include "data/client_api/entry_points.h"

#define DEFINE_ENTRY(name) \
  void name(void) {}
TAVREL_REQUIRED_ENTRY_POINTS(DEFINE_ENTRY)
