#include "data/client_api/client_api.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/errors/errors.h"

namespace {

struct TBinding {
  void* handle = nullptr;
  int version = 0;
  TClientApi api;
};

TBinding& Binding() {
  static TBinding binding;
  return binding;
}

// A name usable as a template argument, so that each stub knows its entry point.
template <size_t N>
struct TEntryName {
  char text[N];
  constexpr TEntryName(const char (&name)[N]) { std::copy_n(name, N, text); }
};

template <TEntryName Name, typename F>
struct TVersion6Stub;

template <TEntryName Name, typename R, typename... A>
struct TVersion6Stub<Name, R (*)(A...)> {
  static R Call(A...) { RaiseClientError(ceNeedsVersion6, {std::string(Name.text)}); }
};

std::vector<std::string> CandidateFiles() {
  if (const char* chosen = std::getenv(ClientLibraryEnvironmentVariable())) return {chosen};
  return {"libfbclient.so.2", "libfbclient.so"};
}

// dlsym sets no errno; 127 is the loader's classic "procedure not found" number.
constexpr int kProcedureNotFound = 127;

}  // namespace

const char* ClientLibraryEnvironmentVariable() { return "TAVREL_CLIENT_LIBRARY"; }

bool TryLoadClientLibrary() {
  TBinding& b = Binding();
  if (b.handle) return true;

  void* handle = nullptr;
  for (const std::string& file : CandidateFiles()) {
    handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle) break;
  }
  if (!handle) return false;

  TClientApi api;
  std::string missing;
  auto resolve = [&](auto& entry, const char* name) {
    void* symbol = dlsym(handle, name);
    if (!symbol && missing.empty()) {
      const char* why = dlerror();
      missing = why ? why : std::string("undefined symbol: ") + name;
    }
    entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(symbol);
  };
#define TAVREL_RESOLVE(name) resolve(api.name, #name);
  TAVREL_REQUIRED_ENTRY_POINTS(TAVREL_RESOLVE)
  int version = dlsym(handle, "isc_rollback_retaining") ? 6 : 5;
  if (version == 6) {
    TAVREL_VERSION6_ENTRY_POINTS(TAVREL_RESOLVE)
  } else {
#define TAVREL_STUB(name) api.name = &TVersion6Stub<#name, decltype(api.name)>::Call;
    TAVREL_VERSION6_ENTRY_POINTS(TAVREL_STUB)
#undef TAVREL_STUB
  }
#undef TAVREL_RESOLVE
#define TAVREL_RESOLVE_OPTIONAL(name) \
  api.name = reinterpret_cast<decltype(api.name)>(dlsym(handle, #name));
  TAVREL_OPTIONAL_ENTRY_POINTS(TAVREL_RESOLVE_OPTIONAL)
#undef TAVREL_RESOLVE_OPTIONAL

  if (!missing.empty()) {
    // Never stay half bound: the next attempt starts clean.
    dlclose(handle);
    throw EOSError(kProcedureNotFound,
                   Format("System Error.  Code: %d.\r\n%s", {kProcedureNotFound, missing}));
  }
  b.handle = handle;
  b.version = version;
  b.api = api;
  return true;
}

void CheckClientLibraryLoaded() {
  if (!TryLoadClientLibrary()) RaiseClientError(ceClientLibraryMissing);
}

int ClientLibraryVersion() {
  CheckClientLibraryLoaded();
  return Binding().version;
}

const TClientApi& ClientApi() { return Binding().api; }

void FreeClientLibrary() {
  TBinding& b = Binding();
  if (!b.handle) return;
  dlclose(b.handle);
  b = TBinding{};
}
