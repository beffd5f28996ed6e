#include <gtest/gtest.h>

#include <string>

#include "data/database/dpb.h"
#include "data/database/identifiers.h"
#include "data/errors/errors.h"
#include "data/transaction/tpb.h"
#include "support/expect_error.h"

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out += static_cast<char>(b);
  return out;
}

TEST(Dpb, LoginLinesAndNameMatching) {
  EXPECT_EQ(BuildDpb({"user_name=SYSDBA", "password=pw", "lc_ctype=ISO8859_1"}),
            Bytes({1, 28, 6}) + "SYSDBA" + Bytes({29, 2}) + "pw" + Bytes({48, 9}) + "ISO8859_1");
  // Any case, with or without the prefix; values untrimmed; empty values kept.
  EXPECT_EQ(BuildDpb({"USER_NAME=sa"}), Bytes({1, 28, 2}) + "sa");
  EXPECT_EQ(BuildDpb({"isc_dpb_user_name=sa"}), Bytes({1, 28, 2}) + "sa");
  EXPECT_EQ(BuildDpb({"lc_ctype= ISO8859_1"}), Bytes({1, 48, 10}) + " ISO8859_1");
  EXPECT_EQ(BuildDpb({"user_name="}), Bytes({1, 28, 0}));
  // Lines without a name are skipped.
  EXPECT_EQ(BuildDpb({"no equals sign", "  =x", "", "sql_role_name=R"}), Bytes({1, 60, 1}) + "R");
  EXPECT_EQ(BuildDpb({}), Bytes({1}));
}

TEST(Dpb, NumberKinds) {
  EXPECT_EQ(BuildDpb({"sql_dialect=3"}), Bytes({1, 63, 1, 3}));
  EXPECT_EQ(BuildDpb({"num_buffers=300"}), Bytes({1, 5, 1, 44}));
  EXPECT_EQ(BuildDpb({"sweep_interval=20000"}), Bytes({1, 22, 4, 32, 78, 0, 0}));
  EXPECT_EQ(BuildDpb({"sweep_interval=-1"}), Bytes({1, 22, 4, 255, 255, 255, 255}));
  EXPECT_EQ(BuildDpb({"connect_timeout=15"}), Bytes({1, 57, 4, 15, 0, 0, 0}));
  EXPECT_EQ(BuildDpb({"sweep=whatever", "activate_shadow=9", "quit_log="}),
            Bytes({1, 10, 1, 2, 21, 1, 0, 26, 1, 0}));
  EXPECT_EQ(BuildDpb({"force_write=1", "no_reserve=0"}), Bytes({1, 24, 1, 1, 27, 1, 0}));
}

TEST(Dpb, RefusedNamesAndBadValues) {
  EXPECT_EQ(MessageOf<EIBClientError>([] { BuildDpb({"page_size=4096"}); }),
            "DPB Constant (isc_dpb_page_size) is unsupported");
  EXPECT_EQ(MessageOf<EIBClientError>([] { BuildDpb({"ISC_DPB_GSTAT_ATTACH=1"}); }),
            "DPB Constant (isc_dpb_gstat_attach) is unsupported");
  // The unknown name is shown as written, blanks and case included.
  EXPECT_EQ(MessageOf<EIBClientError>([] { BuildDpb({"  User_Name=sa"}); }),
            "DPB Constant (  User_Name) is unknown");
  EXPECT_EQ(MessageOf<EConvertError>([] { BuildDpb({"num_buffers=many"}); }),
            "'many' is not a valid integer value");
  EXPECT_EQ(MessageOf<EConvertError>([] { BuildDpb({"sweep_interval=99999999999"}); }),
            "'99999999999' is not a valid integer value");
  EXPECT_EQ(MessageOf<EConvertError>([] { BuildDpb({"sql_dialect="}); }),
            "'' is not a valid integer value");
  // The first bad line stops the build.
  EXPECT_THROW(BuildDpb({"user_name=a", "debug=1", "nonsense=1"}), EIBClientError);
}

TEST(Dpb, OverlongTextValueIsRefusedNamingTheParameter) {
  EXPECT_EQ(BuildDpb({"password=" + std::string(255, 'x')}).size(), 1u + 2u + 255u);
  std::string message =
      MessageOf<EIBClientError>([] { BuildDpb({"password=" + std::string(256, 'x')}); });
  EXPECT_NE(message.find("isc_dpb_password"), std::string::npos) << message;
}

// Lines of `name`=255 bytes, one item of 257 bytes each.
TStringList LongLines(const std::string& name, int count) {
  TStringList lines;
  for (int i = 0; i < count; ++i) lines.Add(name + "=" + std::string(255, 'v'));
  return lines;
}

TEST(ParameterBuffers, OverlongInTotalIsRefused) {
  // The client library reads the total length as a 16-bit signed value.
  EXPECT_EQ(BuildDpb(LongLines("lc_messages", 127)).size(), 1u + 127u * 257u);
  EXPECT_EQ(MessageOf<EIBClientError>([] { BuildDpb(LongLines("lc_messages", 128)); }),
            "The DPB is too long: 32897 bytes, at most 32767");
  EXPECT_EQ(BuildTpb(LongLines("lock_read", 127)).size(), 1u + 127u * 257u);
  EXPECT_EQ(MessageOf<EIBClientError>([] { BuildTpb(LongLines("lock_write", 128)); }),
            "The TPB is too long: 32897 bytes, at most 32767");
}

TEST(Tpb, Bytes) {
  EXPECT_EQ(BuildTpb({}), "");
  EXPECT_EQ(BuildTpb({"", "   "}), Bytes({3}));
  EXPECT_EQ(BuildTpb({"read_committed", "rec_version", "nowait"}), Bytes({3, 15, 17, 7}));
  EXPECT_EQ(BuildTpb({"read_committed", "rec_version", "nowait", "lock_write=ORDERS"}),
            Bytes({3, 15, 17, 7, 11, 6}) + "ORDERS");
  EXPECT_EQ(BuildTpb({"isc_tpb_read_committed", "READ_COMMITTED", "write=ignored"}),
            Bytes({3, 15, 15, 9}));
  EXPECT_EQ(BuildTpb({"lock_read="}), Bytes({3, 10, 0}));
}

TEST(Tpb, RefusedNames) {
  EXPECT_EQ(MessageOf<EIBClientError>([] { BuildTpb({"autocommit"}); }),
            "TPB Constant (isc_tpb_autocommit) is unsupported");
  EXPECT_EQ(MessageOf<EIBClientError>([] { BuildTpb({"dirty"}); }),
            "TPB Constant (dirty) is unknown");
  EXPECT_EQ(MessageOf<EIBClientError>([] { BuildTpb({" read"}); }),
            "TPB Constant ( read) is unknown");
  EXPECT_EQ(MessageOf<EIBClientError>([] { BuildTpb({"Dirty=x"}); }),
            "TPB Constant (Dirty) is unknown");
  std::string message =
      MessageOf<EIBClientError>([] { BuildTpb({"lock_read=" + std::string(256, 'T')}); });
  EXPECT_NE(message.find("isc_tpb_lock_read"), std::string::npos) << message;
}

TEST(Identifiers, QuoteAndNormalize) {
  EXPECT_EQ(QuoteSqlIdentifier(3, "Order"), "\"Order\"");
  EXPECT_EQ(QuoteSqlIdentifier(3, "a\"b"), "\"a\"\"b\"");
  EXPECT_EQ(QuoteSqlIdentifier(3, " x "), "\" x \"");
  EXPECT_EQ(QuoteSqlIdentifier(1, "  clientes "), "CLIENTES");
  EXPECT_EQ(QuoteSqlIdentifier(1, "a\"b"), "A\"B");

  EXPECT_EQ(NormalizeSqlIdentifier(3, "  \"My\"\"Table\"  "), "My\"Table");
  EXPECT_EQ(NormalizeSqlIdentifier(3, "clientes"), "CLIENTES");
  EXPECT_EQ(NormalizeSqlIdentifier(1, " \"abc\" "), "\"ABC\"");
  EXPECT_EQ(NormalizeSqlIdentifier(3, "\""), "");
  EXPECT_EQ(NormalizeSqlIdentifier(3, ""), "");
  // Accented letters are upper-cased too, in UTF-8; the division sign and other scripts
  // stay as they are.
  EXPECT_EQ(NormalizeSqlIdentifier(1, "ação÷"), "AÇÃO÷");
  EXPECT_EQ(NormalizeSqlIdentifier(3, "número 中文"), "NÚMERO 中文");
}

}  // namespace
