// Connections through a private Firebird server on a loopback port: user and password,
// a refused login, and two connections changing the same row.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/database/database.h"
#include "data/dataset/table.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"
#include "support/firebird_server.h"
#include "support/temp_database.h"

namespace {

class ServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new FirebirdServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  // A connection through the server, not yet connected, with its own transaction.
  struct Client {
    Client(const std::string& url, const std::string& password) {
      db.SetLoginPrompt(false);
      db.SetDatabaseName(url);
      db.Params().Add(std::string("user_name=") + FirebirdServer::User());
      db.Params().Add("password=" + password);
      db.SetDefaultTransaction(&tr);
      tr.Params().Add("nowait");
    }
    std::unique_ptr<TIBSQL> Sql(const std::string& text) {
      auto sql = std::make_unique<TIBSQL>();
      sql->SetDatabase(&db);
      sql->SQL().Add(text);
      return sql;
    }
    std::string One(const std::string& text) {
      auto sql = Sql(text);
      sql->ExecQuery();
      return sql->Fields(0).AsTrimString();
    }
    TIBDatabase db;
    TIBTransaction tr;
  };

  std::string Url() const { return server_->Url(file_.Path()); }

  static inline FirebirdServer* server_ = nullptr;
  TempDatabase file_{
      "CREATE TABLE ACCOUNT (ID INTEGER NOT NULL PRIMARY KEY, OWNER VARCHAR(20));\n"
      "INSERT INTO ACCOUNT VALUES (1, 'Ana');\n"};
};

TEST_F(ServerTest, PasswordLoginOverLoopbackAndARefusedLoginChangesNothing) {
  Client a(Url(), FirebirdServer::Password());
  a.db.Open();
  a.tr.StartTransaction();
  EXPECT_EQ(a.One("select MON$REMOTE_PROTOCOL from MON$ATTACHMENTS "
                  "where MON$ATTACHMENT_ID = CURRENT_CONNECTION"),
            "TCPv4");
  EXPECT_EQ(a.One("select MON$REMOTE_ADDRESS from MON$ATTACHMENTS "
                  "where MON$ATTACHMENT_ID = CURRENT_CONNECTION")
                .rfind("127.0.0.1/", 0),
            0u);
  a.Sql("update ACCOUNT set OWNER = 'Bia' where ID = 1")->ExecQuery();

  Client b(Url(), "wrong");
  try {
    b.db.Open();
    FAIL() << "a wrong password connected";
  } catch (const EIBInterBaseError& e) {
    EXPECT_NE(e.Message().find("Your user name and password are not defined"), std::string::npos)
        << e.Message();
  }
  EXPECT_FALSE(b.db.Connected());
  EXPECT_EQ(b.db.DatabaseName(), Url());
  // The earlier connection goes on with its transaction and its change.
  ASSERT_TRUE(a.tr.InTransaction());
  EXPECT_EQ(a.One("select OWNER from ACCOUNT where ID = 1"), "Bia");
  a.tr.Commit();

  // The refused object connects once its password is right.
  b.db.Params().SetStrings(b.db.Params().IndexOfName("password"),
                           std::string("password=") + FirebirdServer::Password());
  b.db.Open();
  b.tr.StartTransaction();
  EXPECT_EQ(b.One("select OWNER from ACCOUNT where ID = 1"), "Bia");
}

TEST_F(ServerTest, SecondWriterOfARowGetsTheConflictAndThenSeesTheFirstOnesValue) {
  Client first(Url(), FirebirdServer::Password());
  Client second(Url(), FirebirdServer::Password());
  first.db.Open();
  second.db.Open();
  first.tr.StartTransaction();
  second.tr.StartTransaction();
  first.Sql("update ACCOUNT set OWNER = 'First' where ID = 1")->ExecQuery();
  auto update = second.Sql("update ACCOUNT set OWNER = 'Second' where ID = 1");
  try {
    update->ExecQuery();
    FAIL() << "both transactions changed the row";
  } catch (const EIBInterBaseError& e) {
    EXPECT_EQ(e.Message().rfind("deadlock", 0), 0u) << e.Message();
    EXPECT_NE(e.Message().find("update conflicts with concurrent update"), std::string::npos)
        << e.Message();
  }
  ASSERT_TRUE(second.tr.InTransaction());
  first.tr.Commit();
  // The snapshot still predates the commit: trying again conflicts again.
  EXPECT_THROW(update->ExecQuery(), EIBInterBaseError);
  second.tr.Rollback();
  second.tr.StartTransaction();
  EXPECT_EQ(second.One("select OWNER from ACCOUNT where ID = 1"), "First");
  update->ExecQuery();
  second.tr.Commit();
  first.tr.StartTransaction();
  EXPECT_EQ(first.One("select OWNER from ACCOUNT where ID = 1"), "Second");
}

TEST_F(ServerTest, TwoTablesEditingOneRowLoseNothing) {
  Client first(Url(), FirebirdServer::Password());
  Client second(Url(), FirebirdServer::Password());
  TIBTable a, b;
  for (auto [table, client] : {std::pair{&a, &first}, std::pair{&b, &second}}) {
    client->db.Open();
    table->SetDatabase(&client->db);
    table->SetTransaction(&client->tr);
    table->SetTableName("ACCOUNT");
    table->Open();
  }
  a.Edit();
  a.FieldByName("OWNER")->SetAsString("First");
  a.Post();
  b.Edit();
  b.FieldByName("OWNER")->SetAsString("Second");
  try {
    b.Post();
    FAIL() << "both changed the row";
  } catch (const EIBInterBaseError& e) {
    EXPECT_NE(e.Message().find("update conflicts with concurrent update"), std::string::npos)
        << e.Message();
  }
  EXPECT_EQ(b.State(), dsEdit) << "the second keeps its values";
  EXPECT_EQ(b.FieldByName("OWNER")->AsString(), "Second");
  first.tr.Commit();
  b.Cancel();
  second.tr.Rollback();
  second.tr.StartTransaction();
  b.Open();
  EXPECT_EQ(b.FieldByName("OWNER")->AsString(), "First");
}

}  // namespace
