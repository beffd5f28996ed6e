// Statements against real databases: prepare, execute, fetch, names, notices, errors.
#include "data/statement/sql.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "data/database/database.h"
#include "data/errors/errors.h"
#include "data/transaction/transaction.h"
#include "sql_test_support.h"
#include "support/temp_database.h"

namespace {

std::string ClientError(const std::function<void()>& action, int* code = nullptr) {
  try {
    action();
  } catch (const EIBClientError& e) {
    if (code) *code = e.SqlErrorCode();
    return e.Message();
  }
  return "<nothing raised>";
}

const char* kPeople =
    "CREATE TABLE PEOPLE (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), CITY CHAR(6));"
    "INSERT INTO PEOPLE VALUES (1, 'Ana', 'Rio');"
    "INSERT INTO PEOPLE VALUES (2, 'Bruno', 'Recife');"
    "INSERT INTO PEOPLE VALUES (3, 'Carla', 'Rio');"
    "INSERT INTO PEOPLE VALUES (4, 'Davi', 'Natal');";

TEST(Statement, SelectFetchesRowsUntilEof) {
  TempDatabase file(TempDatabaseOptions{.setup = kPeople});
  Connection c(file.Path());
  auto sql = c.Sql("select ID, NAME from PEOPLE where CITY = :city order by ID");
  sql->Params().Vars(0).SetAsString("Rio");
  sql->ExecQuery();
  EXPECT_TRUE(sql->Open());
  EXPECT_FALSE(sql->Eof());
  EXPECT_FALSE(sql->Bof());  // the first row was fetched by executing
  EXPECT_EQ(sql->RecordCount(), 1);
  EXPECT_EQ(sql->FieldByName("name").AsString(), "Ana");
  ASSERT_NE(sql->Next(), nullptr);
  EXPECT_EQ(sql->Fields(0).AsLong(), 3);
  EXPECT_EQ(sql->Next(), nullptr);
  EXPECT_TRUE(sql->Eof());
  EXPECT_EQ(sql->RecordCount(), 2);
  EXPECT_EQ(sql->UniqueRelationName(), "PEOPLE");
  EXPECT_NE(sql->Plan().find("PEOPLE"), std::string::npos);
  EXPECT_EQ(sql->Plan().rfind("PLAN", 0), 0u);

  // Executing again without a close is refused; after a close it runs again.
  EXPECT_EQ(ClientError([&] { sql->ExecQuery(); }), "IBSQL Open");
  sql->Close();
  EXPECT_TRUE(sql->Eof());
  EXPECT_EQ(ClientError([&] { sql->Next(); }), "IBSQL Closed");
  sql->SetGoToFirstRecordOnExecute(false);
  sql->ExecQuery();
  EXPECT_TRUE(sql->Bof());
  EXPECT_EQ(sql->RecordCount(), 0);
  ASSERT_NE(sql->Next(), nullptr);
  EXPECT_EQ(sql->Fields(0).AsLong(), 1);
}

TEST(Statement, SelectWithoutRowsIsOpenAtEof) {
  TempDatabase file(TempDatabaseOptions{.setup = kPeople});
  Connection c(file.Path());
  auto sql = c.Sql("select * from PEOPLE where ID < 0");
  sql->ExecQuery();
  EXPECT_TRUE(sql->Open());
  EXPECT_TRUE(sql->Eof());
  EXPECT_EQ(sql->RecordCount(), 0);
  EXPECT_EQ(sql->RowsAffected(), -1);
}

TEST(Statement, SelectForUpdateOpensACursorLikeASelect) {
  TempDatabase file(TempDatabaseOptions{.setup = kPeople});
  Connection c(file.Path());
  auto sql = c.Sql("select ID from PEOPLE where ID > 2 order by ID for update");
  for (int round = 0; round < 2; ++round) {
    sql->ExecQuery();  // a second run needs the first cursor closed on the server
    EXPECT_EQ(sql->SQLType(), SQLSelectForUpdate);
    EXPECT_TRUE(sql->Open());
    EXPECT_EQ(sql->Fields(0).AsLong(), 3);
    ASSERT_NE(sql->Next(), nullptr);
    EXPECT_EQ(sql->Fields(0).AsLong(), 4);
    EXPECT_EQ(sql->Next(), nullptr);
    EXPECT_EQ(sql->UniqueRelationName(), "PEOPLE");
    sql->Close();
  }
}

TEST(Statement, RowsAffectedByType) {
  TempDatabase file(TempDatabaseOptions{.setup = kPeople});
  Connection c(file.Path());
  auto update = c.Sql("update PEOPLE set NAME = NAME || '!' where ID < 4");
  EXPECT_EQ(update->RowsAffected(), -1);  // not prepared yet
  update->ExecQuery();
  EXPECT_EQ(update->SQLType(), SQLUpdate);
  EXPECT_EQ(update->RowsAffected(), 3);
  auto insert = c.Sql("insert into PEOPLE (ID) values (9)");
  insert->ExecQuery();
  EXPECT_EQ(insert->RowsAffected(), 1);
  auto remove = c.Sql("delete from PEOPLE where ID > 2");
  remove->ExecQuery();
  EXPECT_EQ(remove->RowsAffected(), 3);
  EXPECT_EQ(remove->Plan().empty(), false);
  EXPECT_EQ(insert->Plan(), "");  // inserts have none
}

TEST(Statement, RepeatedAndQuotedParameterNames) {
  TempDatabase file(TempDatabaseOptions{.setup = kPeople});
  Connection c(file.Path());
  auto sql =
      c.Sql("select count(*) from PEOPLE where ID = :A or ID + 1 = :A or NAME = :\"the name\"");
  TIBXSQLDA& params = sql->Params();
  ASSERT_EQ(params.Count(), 3);
  EXPECT_EQ(params[0].Name(), "A");
  EXPECT_EQ(params[1].Name(), "A");
  EXPECT_EQ(params[2].Name(), "THE NAME");
  sql->ParamByName("a").SetAsLong(2);  // both uses of A take it
  EXPECT_EQ(params[1].AsLong(), 2);
  EXPECT_TRUE(params[1].Modified());
  sql->ParamByName("The Name").SetAsString("Davi");
  sql->ExecQuery();
  EXPECT_EQ(sql->Fields(0).AsLong(), 3);  // IDs 2, 1 and 4
  EXPECT_EQ(ClientError([&] { sql->ParamByName("B"); }), "XSQLDA name does not exist (B)");
}

TEST(Statement, ColumnNamesAreMadeUnique) {
  TempDatabase file(TempDatabaseOptions{.setup = kPeople});
  Connection c(file.Path());
  auto sql = c.Sql(
      "select p.NAME, q.NAME, p.ID + 1, p.ID * 2, 'x' from PEOPLE p join PEOPLE q "
      "on q.ID = p.ID where p.ID = 1");
  sql->ExecQuery();
  ASSERT_EQ(sql->Current().Count(), 5);
  EXPECT_EQ(sql->Fields(0).Name(), "NAME");
  EXPECT_EQ(sql->Fields(1).Name(), "NAME1");
  EXPECT_EQ(sql->Fields(1).AliasName(), "NAME1");
  EXPECT_EQ(sql->FieldIndex("name1"), 1);
  EXPECT_EQ(sql->FieldByName("ADD").AsLong(), 2);  // the server names the sum ADD
  EXPECT_EQ(sql->FieldIndex("NOPE"), -1);
  EXPECT_EQ(sql->UniqueRelationName(), "PEOPLE");
  EXPECT_EQ(ClientError([&] { sql->Fields(5); }), "Field \"5\" not found");
  EXPECT_EQ(ClientError([&] { sql->FieldByName("NOPE"); }), "Field \"NOPE\" not found");
  EXPECT_EQ(ClientError([&] { sql->Current().Vars(-1); }), "XSQLDA index out of range");

  auto unnamed = c.Sql("select 1, 2 from RDB$DATABASE");
  unnamed->ExecQuery();
  // Firebird names constants CONSTANT; two of them are told apart by a number.
  EXPECT_EQ(unnamed->Fields(0).Name(), "CONSTANT");
  EXPECT_EQ(unnamed->Fields(1).Name(), "CONSTANT1");
  EXPECT_EQ(unnamed->UniqueRelationName(), "");
}

TEST(Statement, PrepareFailures) {
  TempDatabase file(TempDatabaseOptions{.setup = kPeople});
  Connection c(file.Path());
  TIBSQL sql;
  sql.SQL().Add("select 1 from RDB$DATABASE");
  EXPECT_EQ(ClientError([&] { sql.Prepare(); }), "Database not assigned");
  sql.SetDatabase(&c.db);
  EXPECT_EQ(sql.Transaction(), &c.tr);  // the connection's default transaction

  sql.SQL().Clear();
  EXPECT_EQ(ClientError([&] { sql.Prepare(); }), "Empty query");
  sql.SQL().Add("select 1 from RDB$DATABASE where 1 = : x");
  EXPECT_EQ(ClientError([&] { sql.Prepare(); }), "SQL Parse Error:\r\n\r\nParameter name expected");

  sql.SQL().Clear();
  sql.SQL().Add("select * from NO_SUCH_TABLE");
  EXPECT_THROW(sql.Prepare(), EIBInterBaseError);
  EXPECT_EQ(sql.Handle(), 0u);
  EXPECT_FALSE(sql.Prepared());

  int code = -1;
  sql.SQL().Clear();
  sql.SQL().Add("set transaction");
  EXPECT_EQ(ClientError([&] { sql.Prepare(); }, &code), "Not permitted");
  EXPECT_EQ(code, ceNotPermitted);
  EXPECT_EQ(sql.Handle(), 0u);

  // A statement never starts its transaction.
  c.tr.Commit();
  sql.SQL().Clear();
  sql.SQL().Add("select 1 from RDB$DATABASE");
  EXPECT_EQ(ClientError([&] { sql.ExecQuery(); }), "Transaction is not active");
}

TEST(Statement, ChangingTheTextReleasesTheStatement) {
  TempDatabase file(TempDatabaseOptions{.setup = kPeople});
  Connection c(file.Path());
  auto sql = c.Sql("select ID from PEOPLE");
  int changes = 0;
  sql->OnSQLChanging = [&](TComponent* sender) {
    EXPECT_EQ(sender, sql.get());
    ++changes;
  };
  sql->ExecQuery();
  EXPECT_TRUE(sql->Prepared());
  sql->SetSQL(TStringList{"select ID from PEOPLE"});  // the same text: nothing happens
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(sql->Open());
  sql->SetSQL(TStringList{"select NAME from PEOPLE"});
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(sql->Prepared());
  EXPECT_FALSE(sql->Open());
  EXPECT_EQ(sql->Handle(), 0u);
  sql->ExecQuery();
  EXPECT_EQ(sql->Fields(0).AsString(), "Ana");
}

TEST(Statement, TransactionEndClosesAndDisconnectReleases) {
  TempDatabase file(TempDatabaseOptions{.setup = kPeople});
  Connection c(file.Path());
  auto sql = c.Sql("select ID from PEOPLE");
  sql->ExecQuery();
  c.tr.Commit();
  EXPECT_FALSE(sql->Open());
  EXPECT_TRUE(sql->Prepared());
  c.tr.StartTransaction();
  sql->ExecQuery();
  EXPECT_EQ(sql->Fields(0).AsLong(), 1);
  c.db.SetConnected(false);
  EXPECT_FALSE(sql->Open());
  EXPECT_FALSE(sql->Prepared());
  EXPECT_EQ(sql->Handle(), 0u);
}

TEST(Statement, ExecuteProcedureReturnsOutputs) {
  TempDatabase file(TempDatabaseOptions{
      .setup = "SET TERM ^ ;"
               "CREATE PROCEDURE TWICE (X INTEGER) RETURNS (Y INTEGER, Z VARCHAR(5)) AS "
               "BEGIN Y = X * 2; Z = 'ok'; END^"
               "SET TERM ; ^"});
  Connection c(file.Path());
  auto sql = c.Sql("execute procedure TWICE :x");
  sql->ParamByName("X").SetAsLong(21);
  sql->ExecQuery();
  EXPECT_EQ(sql->SQLType(), SQLExecProcedure);
  EXPECT_FALSE(sql->Open());
  EXPECT_EQ(sql->FieldByName("Y").AsLong(), 42);
  EXPECT_EQ(sql->FieldByName("Z").AsString(), "ok");
}

TEST(Statement, FailedProcedureReportsItsOwnErrorAndStaysUsable) {
  TempDatabase file(TempDatabaseOptions{
      .setup = "CREATE EXCEPTION BOOM 'It went boom';"
               "SET TERM ^ ;"
               "CREATE PROCEDURE \"Checked\" (X INTEGER) RETURNS (Y INTEGER) AS "
               "BEGIN IF (X > 0) THEN EXCEPTION BOOM; Y = X - 1; END^"
               "SET TERM ; ^"});
  Connection c(file.Path());
  auto sql = c.Sql("execute procedure \"Checked\" :x");
  for (int round = 0; round < 2; ++round) {
    sql->ParamByName("X").SetAsLong(1);
    try {
      sql->ExecQuery();
      FAIL() << "the procedure's exception was not raised";
    } catch (const EIBInterBaseError& e) {
      EXPECT_NE(e.Message().find("It went boom"), std::string::npos) << e.Message();
    }
    EXPECT_TRUE(sql->Prepared());
    sql->ParamByName("X").SetAsLong(0);
    sql->ExecQuery();
    EXPECT_EQ(sql->FieldByName("Y").AsLong(), -1);
  }
}

TEST(Statement, AFailedExecuteRunsOnce) {
  // The log row is written in an autonomous transaction, so a second run would show.
  TempDatabase file(
      TempDatabaseOptions{.setup = "CREATE TABLE LOG (N INTEGER); CREATE EXCEPTION BOOM 'boom';"});
  Connection c(file.Path());
  auto sql = c.Sql(
      "execute block as begin "
      "in autonomous transaction do insert into LOG values (1); "
      "exception BOOM; end");
  sql->SetParamCheck(false);
  EXPECT_THROW(sql->ExecQuery(), EIBInterBaseError);
  sql.reset();
  c.tr.Rollback();  // a new snapshot sees the autonomous row
  c.tr.StartTransaction();
  auto count = c.Sql("select count(*) from LOG");
  count->ExecQuery();
  EXPECT_EQ(count->Fields(0).AsLong(), 1);
}

TEST(Statement, DbKeyParameterTakesTheKeyWithinItsLength) {
  TempDatabase file(TempDatabaseOptions{.setup = kPeople});
  Connection c(file.Path());
  auto keys = c.Sql("select RDB$DB_KEY, ID from PEOPLE where ID = 3");
  keys->ExecQuery();
  // Its bytes as they came; as text an OCTETS value reads as hexadecimal digits.
  const std::string key = keys->Fields(0).AsRawText();
  ASSERT_EQ(key.size(), 8u);
  EXPECT_EQ(keys->Fields(0).AsString().size(), 16u);

  auto sql = c.Sql("select NAME from PEOPLE where RDB$DB_KEY = :K");
  TIBXSQLVAR& param = sql->ParamByName("K");
  EXPECT_EQ(param.SqlName(), "");  // described as a plain CHAR(8)
  EXPECT_EQ(param.SqlType(), SQL_TEXT);
  int code = 0;
  EXPECT_EQ(ClientError([&] { param.SetAsRawText(key + "overflow"); }, &code),
            "Trying to store a string of length 16 into a field that can only contain 8");
  EXPECT_EQ(code, ceStringTooLong);
  param.SetAsString(keys->Fields(0).AsString());  // the digits name the same bytes
  sql->ExecQuery();
  EXPECT_FALSE(sql->Eof());
  EXPECT_EQ(sql->Fields(0).AsString(), "Carla");
}

TEST(Statement, FetchFailingMidCursorRaisesAndLeavesTheStatementUsable) {
  TempDatabase file(TempDatabaseOptions{
      .setup = "CREATE TABLE R (ID INTEGER);"
               "SET TERM ^ ;"
               "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN "
               "WHILE (I <= 40) DO BEGIN INSERT INTO R VALUES (:I); I = I + 1; END END^"
               "SET TERM ; ^"});
  Connection c(file.Path());
  auto sql = c.Sql("select ID, 100 / (ID - 30) from R");
  for (int round = 0; round < 2; ++round) {
    sql->ExecQuery();
    int fetched = 0;
    try {
      while (sql->Next()) ++fetched;
      FAIL() << "the division by zero was not raised";
    } catch (const EIBInterBaseError& e) {
      EXPECT_NE(e.Message().find("divide by zero"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(fetched, 28);  // rows 2 to 29 after the first
    EXPECT_FALSE(sql->Open());
    EXPECT_TRUE(sql->Prepared());
  }
}

TEST(Statement, DestroyingOpenStatementsAndTheirConnection) {
  TempDatabase file(TempDatabaseOptions{.setup = kPeople});
  auto c = std::make_unique<Connection>(file.Path());
  auto open = c->Sql("select ID from PEOPLE");
  open->ExecQuery();
  auto prepared = c->Sql("select NAME from PEOPLE");
  prepared->Prepare();
  open.reset();  // closes and releases while connected
  c.reset();     // the connection goes first: the statement lets go of it
  EXPECT_EQ(prepared->Database(), nullptr);
  EXPECT_FALSE(prepared->Prepared());
}

TEST(Descriptor, GrowsAndNamesUnnamedColumns) {
  TIBXSQLDA row(nullptr);
  row.SetCount(4);
  XSQLDA* block = row.AsXSQLDA();
  const std::string long_name(31, 'L');
  for (int i = 0; i < 4; ++i) {
    block->sqlvar[i].sqltype = SQL_VARYING | 1;
    block->sqlvar[i].sqllen = 5;
  }
  std::memcpy(block->sqlvar[2].aliasname, long_name.data(), 31);
  block->sqlvar[2].aliasname_length = 31;
  std::memcpy(block->sqlvar[3].aliasname, long_name.data(), 31);
  block->sqlvar[3].aliasname_length = 31;
  row.Initialize();
  EXPECT_EQ(row[0].Name(), "F_1");
  EXPECT_EQ(row[1].Name(), "F_2");
  EXPECT_EQ(row[2].Name(), long_name);
  EXPECT_EQ(row[3].Name(), long_name.substr(0, 30) + "1");  // kept within 31 characters
  EXPECT_EQ(row[3].AliasName(), row[3].Name());
  EXPECT_EQ(row[0].MaxLen(), 5);
  EXPECT_TRUE(row[0].IsNull() == false && row[0].AsString().empty());

  // A smaller count keeps the block; a larger one grows it and keeps the variables.
  TIBXSQLVAR* first = &row[0];
  row.SetCount(1);
  EXPECT_EQ(row.AsXSQLDA()->sqln, 1);
  EXPECT_THROW(row.Vars(1), EIBClientError);
  row.SetCount(6);
  EXPECT_EQ(&row[0], first);
  EXPECT_EQ(row.AsXSQLDA()->sqld, 6);
  row.AsXSQLDA()->sqlvar[4].sqltype = SQL_LONG;
  row.AsXSQLDA()->sqlvar[4].sqllen = 4;
  row.AsXSQLDA()->sqlvar[5].sqltype = 998;
  int code = 0;
  EXPECT_EQ(ClientError([&] { row.Initialize(); }, &code), "Unknown SQL Data type (998)");
  EXPECT_EQ(code, ceUnknownSqlDataType);
}

}  // namespace
