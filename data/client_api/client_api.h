// Run-time binding of the Firebird client library.
#pragma once

#include <ibase.h>

#include "data/client_api/entry_points.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

struct TClientApi {
#define TAVREL_DECLARE_ENTRY_POINT(name) decltype(&::name) name = nullptr;
  TAVREL_REQUIRED_ENTRY_POINTS(TAVREL_DECLARE_ENTRY_POINT)
  TAVREL_VERSION6_ENTRY_POINTS(TAVREL_DECLARE_ENTRY_POINT)
  TAVREL_OPTIONAL_ENTRY_POINTS(TAVREL_DECLARE_ENTRY_POINT)
#undef TAVREL_DECLARE_ENTRY_POINT
};

#pragma GCC diagnostic pop

// Binds the library unless bound; true when it is. A failed load leaves nothing bound,
// so the next call tries again. A library lacking a required entry point raises EOSError.
bool TryLoadClientLibrary();
// Raises client error 1 when the library cannot be bound.
void CheckClientLibraryLoaded();
// 5 or 6, after CheckClientLibraryLoaded.
int ClientLibraryVersion();
// The bound entry points; only valid after CheckClientLibraryLoaded.
const TClientApi& ClientApi();
// Unbinds the library (program end; tests rebind with another library file).
void FreeClientLibrary();
// The file the binding loads: $TAVREL_CLIENT_LIBRARY when set, else the usual names.
const char* ClientLibraryEnvironmentVariable();
