#include "data/database/catalog.h"

#include <gtest/gtest.h>

#include <string>

#include "data/database/database.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"
#include "support/temp_database.h"

namespace {

const char* kSchema =
    "CREATE TABLE ZEBRA (ID INTEGER);"
    "CREATE TABLE ALPHA (ID INTEGER, QTY INTEGER DEFAULT 1, PRICE NUMERIC(9,2),"
    " TOTAL COMPUTED BY (QTY * PRICE), NOTE VARCHAR(10) DEFAULT 'none');"
    "CREATE DOMAIN D_FLAG AS CHAR(1) DEFAULT 'N';"
    "CREATE TABLE \"Mixed\" (ID INTEGER, FLAG D_FLAG);"
    "CREATE VIEW ALPHA_VIEW AS SELECT ID FROM ALPHA;";

void UseFile(TIBDatabase& db, const std::string& path) {
  db.SetLoginPrompt(false);
  db.SetDatabaseName(path);
  db.Params().Add("user_name=SYSDBA");
}

TEST(TableNames, UserTablesSortedWithoutViews) {
  TempDatabase file(TempDatabaseOptions{.setup = kSchema});
  TIBDatabase db;
  UseFile(db, file.Path());
  TStringList list{"left over"};
  int changes = 0;
  list.OnChange = [&](TStringList&) { ++changes; };
  db.FillTableNames(list, false);  // connects first
  EXPECT_TRUE(db.Connected());
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"ALPHA", "Mixed", "ZEBRA"}));
  EXPECT_EQ(changes, 1);                                    // one update for the whole listing
  EXPECT_FALSE(db.InternalTransaction()->InTransaction());  // committed
  EXPECT_EQ(db.ComponentCount(), 1);  // only the internal transaction; the statement is gone

  // With system tables; the second listing replaces the first.
  db.FillTableNames(list, true);
  EXPECT_GT(list.Count(), 3);
  EXPECT_NE(list.IndexOf("RDB$RELATIONS"), -1);
  EXPECT_NE(list.IndexOf("ZEBRA"), -1);
  EXPECT_EQ(list.IndexOf("ALPHA_VIEW"), -1);
  EXPECT_EQ(list.IndexOf("left over"), -1);
  for (int i = 1; i < list.Count(); ++i) EXPECT_LT(list.Strings(i - 1), list.Strings(i));
  for (const std::string& name : list.Lines()) EXPECT_NE(name.back(), ' ');
}

TEST(TableNames, EmptyDatabaseAndFailures) {
  TempDatabase file;
  TIBDatabase db;
  UseFile(db, file.Path());
  TStringList list{"old"};
  db.FillTableNames(list, false);
  EXPECT_EQ(list.Count(), 0);

  // A listing that fails before it fetches leaves the list alone.
  list.Add("kept");
  TIBDatabase missing;
  UseFile(missing, file.Path() + ".missing");
  EXPECT_THROW(missing.FillTableNames(list, false), EIBInterBaseError);
  EXPECT_EQ(list.Lines(), std::vector<std::string>{"kept"});
}

TEST(SchemaCache, AnswersPerColumnWithOneQueryPerRelation) {
  TempDatabase file(TempDatabaseOptions{.setup = kSchema});
  TIBDatabase db;
  TIBTransaction tr;
  UseFile(db, file.Path());
  db.SetDefaultTransaction(&tr);
  db.SetConnected(true);
  TIBSchema& schema = *db.Schema();

  EXPECT_TRUE(db.HasComputedValue("ALPHA", "TOTAL"));
  EXPECT_EQ(schema.QueryCount(), 1);
  EXPECT_FALSE(db.InternalTransaction()->InTransaction());  // the lookup started and ended it
  EXPECT_FALSE(db.HasDefaultValue("ALPHA", "TOTAL"));
  EXPECT_TRUE(db.HasDefaultValue("alpha", "qty"));  // cached, any case
  EXPECT_TRUE(db.HasDefaultValue("Alpha", "NOTE"));
  EXPECT_FALSE(db.HasComputedValue("ALPHA", "QTY"));
  EXPECT_FALSE(db.HasDefaultValue("ALPHA", "ID"));
  EXPECT_EQ(schema.QueryCount(), 1);

  EXPECT_TRUE(db.HasDefaultValue("Mixed", "FLAG"));  // the domain's default
  EXPECT_FALSE(db.HasDefaultValue("ZEBRA", "ID"));   // a relation with none still counts
  EXPECT_FALSE(db.HasDefaultValue("ZEBRA", "ID"));
  EXPECT_FALSE(db.HasDefaultValue("NO_SUCH", "ID"));
  EXPECT_EQ(schema.QueryCount(), 4);

  // Later catalogue changes are not seen while the cache holds the relation.
  TIBSQL ddl;
  ddl.SetDatabase(&db);
  tr.StartTransaction();
  ddl.SQL().Add("alter table ZEBRA add NAME VARCHAR(5) DEFAULT 'z'");
  ddl.ExecQuery();
  tr.Commit();
  EXPECT_FALSE(db.HasDefaultValue("ZEBRA", "NAME"));
  EXPECT_EQ(schema.QueryCount(), 4);

  // A new database name empties the cache.
  db.SetConnected(false);
  db.SetDatabaseName(file.Path() + ".other");
  db.SetDatabaseName(file.Path());
  db.SetConnected(true);
  EXPECT_TRUE(db.HasDefaultValue("ZEBRA", "NAME"));
  EXPECT_EQ(schema.QueryCount(), 5);
}

TEST(SchemaCache, AFailedLookupLeavesAnEmptyEntry) {
  TempDatabase file(TempDatabaseOptions{.setup = kSchema});
  TIBDatabase db;
  UseFile(db, file.Path());
  // Not connected: the lookup fails, and the relation is not asked again.
  EXPECT_THROW(db.HasDefaultValue("ALPHA", "QTY"), EIBClientError);
  db.SetConnected(true);
  EXPECT_FALSE(db.HasDefaultValue("ALPHA", "QTY"));
  EXPECT_EQ(db.Schema()->QueryCount(), 0);
}

}  // namespace
