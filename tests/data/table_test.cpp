// The table dataset against real databases: the generated statements, names that need
// quoting, keys and order, filters, read-only tables, and editing through the texts.
#include <gtest/gtest.h>

#include "data/dataset/table.h"
#include "data/statement/sql.h"
#include "dataset_test_support.h"
#include "sql_test_support.h"
#include "support/expect_error.h"
#include "support/temp_database.h"

namespace {

const char* kClientes =
    "create table CLIENTES (OBS blob sub_type 1, ID integer not null primary key, NOME "
    "varchar(30), CIDADE varchar(20), TOTAL computed by (ID * 2));\n"
    "insert into CLIENTES (OBS, ID, NOME, CIDADE) values ('a', 1, 'Ana', 'X');\n"
    "insert into CLIENTES (OBS, ID, NOME, CIDADE) values (NULL, 2, 'Bia', 'Y');\n"
    "insert into CLIENTES (OBS, ID, NOME, CIDADE) values (NULL, 3, 'Caio', 'X');\n";

std::vector<std::string> Lines(const TStringList& list) {
  return list.Lines();
}

struct Fixture {
  explicit Fixture(const TempDatabaseOptions& options) : db(options), c(db.Path()) {
    table.SetDatabase(&c.db);
    table.SetTransaction(&c.tr);
  }
  explicit Fixture(const std::string& setup) : Fixture(TempDatabaseOptions{.setup = setup}) {}
  std::vector<std::string> Column(const std::string& name) {
    std::vector<std::string> values;
    table.First();
    while (!table.Eof()) {
      values.push_back(table.FieldByName(name)->AsString());
      table.Next();
    }
    return values;
  }
  TempDatabase db;
  Connection c;
  TIBTable table;
};

TEST(TableStatements, GeneratedTextsInBothDialects) {
  Fixture d1(TempDatabaseOptions{.dialect = 1, .setup = kClientes});
  d1.table.SetTableName("clientes");
  d1.table.SetFilter("CIDADE = 'X'");
  d1.table.SetFiltered(true);
  d1.table.Open();
  EXPECT_EQ(Lines(d1.table.SelectSQL()),
            (std::vector<std::string>{
                "select CLIENTES.*, RDB$DB_KEY as TAVREL_INTERNAL_DBKEY from CLIENTES",
                " where CIDADE = 'X'", " order by ID"}));
  // The update and the delete find the row only with the values it was read with.
  EXPECT_EQ(Lines(d1.table.DeleteSQL()).at(0),
            "delete from CLIENTES where RDB$DB_KEY = :TAVREL_INTERNAL_DBKEY AND ID IS NOT "
            "DISTINCT FROM :ID AND NOME IS NOT DISTINCT FROM :NOME AND CIDADE IS NOT DISTINCT "
            "FROM :CIDADE");
  EXPECT_EQ(Lines(d1.table.InsertSQL()).at(0),
            "insert into CLIENTES (OBS, ID, NOME, CIDADE) values (:OBS, :ID, :NOME, :CIDADE)");
  EXPECT_EQ(Lines(d1.table.ModifySQL()).at(0),
            "update CLIENTES set OBS = :OBS, ID = :ID, NOME = :NOME, CIDADE = :CIDADE where "
            "RDB$DB_KEY = :TAVREL_INTERNAL_DBKEY AND ID IS NOT DISTINCT FROM :OLD_ID AND NOME "
            "IS NOT DISTINCT FROM :OLD_NOME AND CIDADE IS NOT DISTINCT FROM :OLD_CIDADE");
  EXPECT_EQ(d1.table.RefreshSQLByColumns(),
            "select CLIENTES.*, RDB$DB_KEY as TAVREL_INTERNAL_DBKEY from CLIENTES where ID IS "
            "NOT DISTINCT FROM :ID AND NOME IS NOT DISTINCT FROM :NOME AND CIDADE IS NOT "
            "DISTINCT FROM :CIDADE");
  EXPECT_EQ(d1.table.RefreshSQLByKey(),
            "select CLIENTES.*, RDB$DB_KEY as TAVREL_INTERNAL_DBKEY from CLIENTES where ID = :ID");
  EXPECT_EQ(d1.Column("NOME"), (std::vector<std::string>{"Ana", "Caio"}));

  Fixture d3(kClientes);
  d3.table.SetTableName("CLIENTES");
  d3.table.Open();
  EXPECT_EQ(Lines(d3.table.SelectSQL()),
            (std::vector<std::string>{"select \"CLIENTES\".*, RDB$DB_KEY as "
                                      "TAVREL_INTERNAL_DBKEY from \"CLIENTES\"",
                                      " order by \"ID\""}));
  EXPECT_EQ(Lines(d3.table.InsertSQL()).at(0),
            "insert into \"CLIENTES\" (\"OBS\", \"ID\", \"NOME\", \"CIDADE\") values (:\"OBS\", "
            ":\"ID\", :\"NOME\", :\"CIDADE\")");
  EXPECT_TRUE(d3.table.FieldByName("TOTAL")->ReadOnly()) << "a computed column is not written";
  EXPECT_EQ(d3.table.FieldByName("TOTAL")->AsInteger(), 2);
  EXPECT_EQ(d3.table.PrimaryKeyFields(), "ID");

  // The name is kept exactly; a wrong case does not exist in dialect 3.
  d3.table.Close();
  d3.table.SetTableName("clientes");
  EXPECT_THROW(d3.table.Open(), EIBInterBaseError);
  EXPECT_FALSE(d3.table.Active());
  EXPECT_EQ(MessageOf<EIBClientError>([&] {
              d3.table.SetTableName("");
              d3.table.Open();
            }),
            "No Table Name assigned");
}

TEST(TableStatements, NamesThatNeedQuotingKeysAndOrder) {
  Fixture f(
      "create table \"Mixed\" (A integer);\n"
      "create table \"O'Brien\" (A integer);\n"
      "create table \"T$X\" (A integer);\n"
      "create table PAIR (A integer not null, B integer not null, C varchar(5), "
      "constraint PK_PAIR primary key (B, A));\n"
      "create descending index IX_C on PAIR (C);\n"
      "insert into \"Mixed\" values (1);\n"
      "insert into \"O'Brien\" values (2);\n"
      "insert into \"T$X\" values (3);\n"
      "insert into PAIR values (1, 2, 'a');\n"
      "insert into PAIR values (2, 1, 'c');\n"
      "insert into PAIR values (1, 1, 'b');\n");
  int expected = 1;
  for (const char* name : {"Mixed", "O'Brien", "T$X"}) {
    f.table.Close();
    f.table.SetTableName(name);
    f.table.Open();
    EXPECT_EQ(f.table.FieldByName("A")->AsInteger(), expected++) << name;
    EXPECT_TRUE(f.table.CanModify()) << name;
    EXPECT_EQ(f.table.PrimaryKeyFields(), "");
    EXPECT_EQ(f.table.SelectSQL().Count(), 1) << "no key, no order";
  }

  f.table.Close();
  f.table.SetTableName("PAIR");
  f.table.Open();
  EXPECT_EQ(f.table.PrimaryKeyFields(), "B;A") << "a named constraint is the key";
  EXPECT_EQ(f.table.SelectSQL().Strings(1), " order by \"B\", \"A\"");
  EXPECT_EQ(f.Column("C"), (std::vector<std::string>{"b", "c", "a"}));
  f.table.SetIndexName("IX_C");
  EXPECT_EQ(f.table.SelectSQL().Strings(1), " order by \"C\" DESC");
  EXPECT_EQ(f.Column("C"), (std::vector<std::string>{"c", "b", "a"}));
  f.table.SetIndexFieldNames("A;C");
  EXPECT_EQ(f.table.IndexName(), "");
  EXPECT_EQ(f.Column("C"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(MessageOf<EIBClientError>([&] { f.table.SetFilterOptions(1); }), "Unsupported feature");
}

TEST(TableFilter, ReRunsTheSelectAndReturnsToTheSameRowPastRelation256) {
  // Enough tables first that the one we use has a relation id of 256 or more, whose
  // DB keys begin with a zero byte.
  std::string setup =
      "set term ^;\nexecute block as declare i integer = 0; begin while (i < 128) do begin "
      "execute statement 'create table PAD' || i || ' (A integer)'; i = i + 1; end end^\n"
      "set term ;^\ncommit;\n"
      "create table BIG (ID integer not null primary key, AGE integer);\n"
      "set term ^;\nexecute block as declare i integer = 1; begin while (i <= 300) do begin "
      "insert into BIG values (:i, mod(:i, 60)); i = i + 1; end end^\nset term ;^\n";
  Fixture f(setup);
  auto id = f.c.Sql("select RDB$RELATION_ID from RDB$RELATIONS where RDB$RELATION_NAME = 'BIG'");
  id->ExecQuery();
  ASSERT_EQ(id->Fields(0).AsLong(), 256);
  id->Close();

  f.table.SetTableName("BIG");
  f.table.Open();
  f.table.MoveBy(149);
  ASSERT_EQ(f.table.FieldByName("ID")->AsInteger(), 150);  // age 30
  f.table.SetFiltered(true);
  f.table.SetFilter("AGE >= 30");
  EXPECT_EQ(f.table.SelectSQL().Strings(1), " where AGE >= 30");
  EXPECT_EQ(f.table.FieldByName("ID")->AsInteger(), 150) << "back on the same row";
  f.table.SetFiltered(false);
  EXPECT_EQ(f.table.FieldByName("ID")->AsInteger(), 150);
  EXPECT_EQ(f.table.SelectSQL().Count(), 2);

  // A filter that is not SQL: the error, and the dataset is closed.
  f.table.SetFiltered(true);
  EXPECT_THROW(f.table.SetFilter("AGE >>> 1"), EIBInterBaseError);
  EXPECT_FALSE(f.table.Active());
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { f.table.SetFilter("AGE > 1"); }),
            "Cannot perform this operation on a closed dataset");
  EXPECT_EQ(f.table.Filter(), "AGE > 1");
}

TEST(TableReadOnly, SystemTablesAndAggregateViewsOpenReadOnlyOnceOnly) {
  Fixture f(
      "create table T (ID integer not null primary key, N integer);\n"
      "insert into T values (1, 10);\n"
      "create view V (N, C) as select N, count(*) from T group by N;\n");
  f.table.SetTableName("RDB$RELATIONS");
  f.table.Open();
  EXPECT_TRUE(f.table.ReadOnly());
  EXPECT_EQ(MessageOf<EDatabaseError>([&] { f.table.Edit(); }),
            "Cannot modify a read-only dataset");
  f.table.Close();
  f.table.SetTableName("V");
  f.table.Open();  // at the first attempt
  EXPECT_TRUE(f.table.ReadOnly());
  EXPECT_EQ(f.table.FieldByName("C")->AsInteger(), 1);
  f.table.Close();
  f.table.SetTableName("T");
  f.table.Open();
  EXPECT_FALSE(f.table.ReadOnly()) << "the finding belonged to the other table";
  EXPECT_TRUE(f.table.CanModify());
  f.table.Close();
  f.table.SetReadOnly(true);
  f.table.Open();
  EXPECT_FALSE(f.table.CanModify());
  EXPECT_THROW(f.table.SetReadOnly(false), EDatabaseError) << "only while closed";
}

TEST(TableValues, EveryTableReadsAsTheStatementLayerReadsIt) {
  Fixture f(std::string(kClientes) +
            "create table KINDS (S smallint, I integer, L bigint, N numeric(18,2), D date, "
            "TM time, TS timestamp, C char(4), B boolean, F float);\n"
            "insert into KINDS values (-3, 70000, 9223372036854775807, "
            "-92233720368547758.08, '2020-01-31', '13:14:15.1234', '1900-03-01 01:02:03.0004', "
            "'ab', true, 0.5);\n");
  for (const char* name : {"CLIENTES", "KINDS"}) {
    f.table.Close();
    f.table.SetTableName(name);
    f.table.Open();
    auto sql = f.c.Sql(std::string("select * from ") + name);
    sql->ExecQuery();
    EXPECT_GT(ExpectSameValues(f.table, *sql), 0) << name;
  }
}

}  // namespace
