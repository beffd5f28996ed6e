#include "data/errors/errors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "data/client_api/client_api.h"
#include "support/temp_database.h"

namespace {

// Raw client calls, so that these tests depend on nothing above the error layer.
class RawConnection {
 public:
  RawConnection(const std::string& path, const std::string& user) {
    CheckClientLibraryLoaded();
    std::string dpb = {isc_dpb_version1, isc_dpb_user_name, static_cast<char>(user.size())};
    dpb += user;
    if (ClientApi().isc_attach_database(ClientStatusVector(), 0, path.c_str(), &db_,
                                        static_cast<short>(dpb.size()), dpb.data()))
      RaiseStatusError();
  }
  ~RawConnection() {
    if (tr_) ClientApi().isc_rollback_transaction(ClientStatusVector(), &tr_);
    if (db_) ClientApi().isc_detach_database(ClientStatusVector(), &db_);
  }
  void Execute(const std::string& sql) {
    if (!tr_) {
      struct {
        isc_db_handle* db;
        int tpb_length;
        const char* tpb;
      } teb{&db_, 0, nullptr};
      if (ClientApi().isc_start_multiple(ClientStatusVector(), &tr_, 1, &teb)) RaiseStatusError();
    }
    if (ClientApi().isc_dsql_execute_immediate(ClientStatusVector(), &db_, &tr_, 0, sql.c_str(), 3,
                                               nullptr))
      RaiseStatusError();
  }

 private:
  isc_db_handle db_ = 0;
  isc_tr_handle tr_ = 0;
};

TEST(StatusErrors, MissingFileGivesTheLibraryLinesJoinedWithoutFinalPeriod) {
  TempFolder folder;
  const std::string path = folder.Path() + "/missing.fdb";
  try {
    RawConnection connection(path, "SYSDBA");
    FAIL() << "attached a missing file";
  } catch (const EIBInterBaseError& e) {
    EXPECT_STREQ(e.ClassName(), "EIBInterBaseError");
    EXPECT_EQ(e.SqlErrorCode(), -902);
    EXPECT_EQ(e.StatusCode(), isc_io_error);
    EXPECT_EQ(e.Message(), "I/O error during \"open\" operation for file \"" + path +
                               "\"\r\nError while trying to open file\r\n"
                               "No such file or directory");
    EXPECT_TRUE(StatusVectorHas({isc_io_error}));
    EXPECT_FALSE(StatusVectorHas({isc_bad_db_handle, isc_req_sync}));
  }
}

TEST(StatusErrors, SqlCodePrefixWhenAskedFor) {
  TempFolder folder;
  SetErrorMessageOptions(emSqlCode | emClientText);
  try {
    RawConnection connection(folder.Path() + "/missing.fdb", "SYSDBA");
    FAIL();
  } catch (const EIBInterBaseError& e) {
    EXPECT_EQ(e.Message().rfind("SQLCODE: -902\r\nI/O error during", 0), 0u) << e.Message();
  }
  SetErrorMessageOptions(emSqlCode);
  try {
    RawConnection connection(folder.Path() + "/missing.fdb", "SYSDBA");
    FAIL();
  } catch (const EIBInterBaseError& e) {
    EXPECT_EQ(e.Message(), "SQLCODE: -902");
  }
  SetErrorMessageOptions(0);
  try {
    RawConnection connection(folder.Path() + "/missing.fdb", "SYSDBA");
    FAIL();
  } catch (const EIBInterBaseError& e) {
    EXPECT_EQ(e.Message(), "");
    EXPECT_EQ(e.SqlErrorCode(), -902);
  }
  SetErrorMessageOptions(emClientText | emSqlText);
}

TEST(StatusErrors, PermissionFailureIsARoleErrorNotAnInterBaseError) {
  TempDatabase db("CREATE TABLE SECRET (ID INTEGER);");
  RawConnection other(db.Path(), "INTRUDER");
  bool caught_as_ib_error = false;
  try {
    try {
      other.Execute("INSERT INTO SECRET VALUES (1)");
    } catch (const EIBInterBaseError&) {
      FAIL() << "a permission failure must not be an EIBInterBaseError";
    }
  } catch (const EIBError& e) {
    caught_as_ib_error = true;
    EXPECT_NE(dynamic_cast<const EIBInterBaseRoleError*>(&e), nullptr);
    EXPECT_EQ(e.SqlErrorCode(), -551);
    EXPECT_EQ(e.StatusCode(), isc_no_priv);
    EXPECT_NE(e.Message().find("no permission"), std::string::npos) << e.Message();
  }
  EXPECT_TRUE(caught_as_ib_error);
}

TEST(StatusErrors, MessageJoinsTextsWithCrLfAndDropsTheFinalPeriod) {
  CheckClientLibraryLoaded();
  static const char first[] = "alpha.";
  static const char second[] = "beta\n";  // ends a line itself: no CR LF added after it
  static const char third[] = "gamma\ndelta.";
  const ISC_STATUS vector[] = {
      isc_arg_gds, isc_random, isc_arg_string, reinterpret_cast<ISC_STATUS>(first),
      isc_arg_gds, isc_random, isc_arg_string, reinterpret_cast<ISC_STATUS>(second),
      isc_arg_gds, isc_random, isc_arg_string, reinterpret_cast<ISC_STATUS>(third),
      isc_arg_end};
  std::memcpy(ClientStatusVector(), vector, sizeof vector);
  try {
    RaiseStatusError();
  } catch (const EIBInterBaseError& e) {
    EXPECT_EQ(e.Message(), "alpha.\r\nbeta\ngamma\ndelta");
    EXPECT_EQ(e.StatusCode(), isc_random);
    return;
  }
  FAIL() << "nothing raised";
}

TEST(StatusErrors, StatusVectorWalkSkipsTextClusters) {
  ISC_STATUS* status = ClientStatusVector();
  static const char text[] = "abc";
  const ISC_STATUS vector[] = {isc_arg_gds,
                               isc_io_error,
                               isc_arg_cstring,
                               3,
                               reinterpret_cast<ISC_STATUS>(text),
                               isc_arg_string,
                               reinterpret_cast<ISC_STATUS>(text),
                               isc_arg_number,
                               42,
                               isc_arg_end};
  std::memcpy(status, vector, sizeof vector);
  EXPECT_TRUE(StatusVectorHas({isc_io_error}));
  EXPECT_TRUE(StatusVectorHas({42}));
  EXPECT_FALSE(StatusVectorHas({3}));  // the text's length, not a code
  EXPECT_FALSE(StatusVectorHas({}));
  // A vector with no end word stays within its 20 words.
  for (int i = 0; i < ISC_STATUS_LENGTH; ++i) status[i] = isc_arg_string;
  EXPECT_FALSE(StatusVectorHas({isc_arg_string + 1}));
}

TEST(ClientErrors, CarryTheirCodeAndFilledText) {
  struct Case {
    TClientErrorCode code;
    std::vector<TFormatArg> args;
    const char* text;
  };
  const Case cases[] = {
      {ceDatabaseNotOpen, {}, "Cannot perform operation -- DB is not open"},
      {ceDpbConstantUnsupported, {"page_size"}, "DPB Constant (isc_dpb_page_size) is unsupported"},
      {ceDpbConstantUnknownCode, {99}, "DPB Constant (99) is unknown"},
      {ceSqlParseError,
       {"EOF in string detected"},
       "SQL Parse Error:\r\n\r\nEOF in string detected"},
      {ceWindowsApiError, {5, 255}, "Windows API error. (Windows error 5 [$000000ff])"},
      {ceStringTooLong,
       {12, 10},
       "Trying to store a string of length 12 into a field that can only contain 10"},
      {ceOpenNonSelect, {}, "Cannot \"open\" a non-select statement. Use ExecQuery"},
  };
  for (const Case& c : cases) {
    try {
      RaiseClientError(c.code, c.args);
    } catch (const EIBClientError& e) {
      EXPECT_EQ(e.Message(), c.text);
      EXPECT_EQ(e.SqlErrorCode(), c.code);
      EXPECT_EQ(e.StatusCode(), 0);
    }
  }
  EXPECT_STREQ(ClientErrorName(ceStringTooLong), "ceStringTooLong");
  EXPECT_EQ(ceStringTooLong, 119);
  EXPECT_EQ(ClientErrorMessage(ceSqlDialectInvalid), "SQL Dialect Invalid");
  for (int code = 0; code < kClientErrorCount; ++code)
    EXPECT_FALSE(ClientErrorMessage(static_cast<TClientErrorCode>(code)).empty()) << code;
}

TEST(ClientErrors, FormatRefusesMissingOrMismatchedArguments) {
  EXPECT_THROW(RaiseClientError(ceFieldNotFound), EConvertError);
  EXPECT_THROW(Format("%d", {"text"}), EConvertError);
  EXPECT_EQ(Format("100%% of %s", {"it"}), "100% of it");
  EXPECT_EQ(Format("%d", {-551}), "-551");
}

}  // namespace
