#include "data/client_api/client_api.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "data/errors/errors.h"

namespace {

// Each test runs in a process of its own (CTest runs them one by one), so rebinding
// with another library file never disturbs a library already in use.
class ClientLibraryTest : public ::testing::Test {
 protected:
  void Use(const std::string& file) {
    setenv(ClientLibraryEnvironmentVariable(), file.c_str(), 1);
    FreeClientLibrary();
  }
  void TearDown() override { unsetenv(ClientLibraryEnvironmentVariable()); }
  static std::string Fake(const std::string& name) {
    return std::string(TAVREL_FAKE_CLIENT_DIR) + "/lib" + name + ".so";
  }
};

TEST_F(ClientLibraryTest, RealLibraryIsVersion6WithEveryEntryPoint) {
  unsetenv(ClientLibraryEnvironmentVariable());
  ASSERT_TRUE(TryLoadClientLibrary());
  EXPECT_EQ(ClientLibraryVersion(), 6);
  EXPECT_NE(ClientApi().isc_rollback_retaining, nullptr);
  EXPECT_NE(ClientApi().isc_attach_database, nullptr);
  EXPECT_NE(ClientApi().fb_interpret, nullptr);
}

TEST_F(ClientLibraryTest, MissingLibraryRaisesClientError1AndTriesAgainNextTime) {
  Use("/nonexistent/libfbclient.so.2");
  EXPECT_FALSE(TryLoadClientLibrary());
  try {
    CheckClientLibraryLoaded();
    FAIL() << "no error";
  } catch (const EIBClientError& e) {
    EXPECT_EQ(e.SqlErrorCode(), ceClientLibraryMissing);
    EXPECT_EQ(e.StatusCode(), 0);
    EXPECT_EQ(e.Message(),
              "InterBase library gds32.dll not found in the path. Please install InterBase to use "
              "this functionality");
  }
  unsetenv(ClientLibraryEnvironmentVariable());
  EXPECT_TRUE(TryLoadClientLibrary());
  EXPECT_NO_THROW(CheckClientLibraryLoaded());
}

TEST_F(ClientLibraryTest, Version5LibraryGetsStubsThatNameTheirEntryPoint) {
  Use(Fake("fake_client_v5"));
  ASSERT_TRUE(TryLoadClientLibrary());
  EXPECT_EQ(ClientLibraryVersion(), 5);
  const TClientApi& api = ClientApi();
  try {
    api.isc_rollback_retaining(ClientStatusVector(), nullptr);
    FAIL() << "no error";
  } catch (const EIBClientError& e) {
    EXPECT_EQ(e.SqlErrorCode(), ceNeedsVersion6);
    EXPECT_EQ(e.Message(),
              "isc_rollback_retaining is an InterBase 6 function. Please upgrade to InterBase 6 to "
              "use this functonality");
  }
  EXPECT_THROW(api.isc_encode_timestamp(nullptr, nullptr), EIBClientError);
  try {
    api.isc_service_attach(nullptr, 0, nullptr, nullptr, 0, nullptr);
    FAIL() << "no error";
  } catch (const EIBClientError& e) {
    EXPECT_EQ(e.Message().rfind("isc_service_attach is an", 0), 0u);
  }
  EXPECT_EQ(api.fb_interpret, nullptr);
}

TEST_F(ClientLibraryTest, MissingEntryPointLeavesNothingBound) {
  Use(Fake("fake_client_missing"));
  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      TryLoadClientLibrary();
      FAIL() << "no error";
    } catch (const EOSError& e) {
      EXPECT_EQ(e.Message().rfind("System Error.  Code: 127.\r\n", 0), 0u) << e.Message();
      EXPECT_NE(e.Message().find("isc_dsql_fetch"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(ClientApi().isc_attach_database, nullptr);
  }
  unsetenv(ClientLibraryEnvironmentVariable());
  EXPECT_TRUE(TryLoadClientLibrary());
  EXPECT_EQ(ClientLibraryVersion(), 6);
}

}  // namespace
