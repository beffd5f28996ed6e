// The catalogue reader and the DDL writer on real databases: the extracted script run
// in a new database must give the same system tables.
#include "data/metadata/ddl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "data/database/database.h"
#include "data/errors/errors.h"
#include "data/metadata/catalogue.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"
#include "metadata_support.h"
#include "support/temp_database.h"

namespace {

// A UTF8 connection, so names in any script read back whole.
struct Utf8Connection {
  explicit Utf8Connection(const std::string& path) {
    db.SetLoginPrompt(false);
    db.SetDatabaseName(path);
    db.Params().Add("user_name=SYSDBA");
    db.Params().Add("lc_ctype=UTF8");
    db.SetDefaultTransaction(&tr);
    db.SetConnected(true);
  }
  TIBDatabase db;
  TIBTransaction tr;
};

// What the system tables say of the user's objects, without the names the engine gives
// (INTEG_n, RDB$n) and without statistics, which depend on the rows.
const char* const kSnapshot[] = {
    "select R.RDB$RELATION_NAME, R.RDB$FIELD_NAME, R.RDB$FIELD_POSITION, iif(R.RDB$FIELD_SOURCE "
    "starting with 'RDB$', '', R.RDB$FIELD_SOURCE), F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, "
    "F.RDB$FIELD_LENGTH, F.RDB$FIELD_PRECISION, F.RDB$FIELD_SCALE, F.RDB$CHARACTER_LENGTH, "
    "F.RDB$CHARACTER_SET_ID, coalesce(R.RDB$COLLATION_ID, F.RDB$COLLATION_ID), R.RDB$NULL_FLAG, "
    "R.RDB$DEFAULT_SOURCE, F.RDB$COMPUTED_SOURCE, R.RDB$IDENTITY_TYPE, F.RDB$DIMENSIONS, "
    "F.RDB$SEGMENT_LENGTH, (select G.RDB$INITIAL_VALUE from RDB$GENERATORS G where "
    "G.RDB$GENERATOR_NAME = R.RDB$GENERATOR_NAME) from RDB$RELATION_FIELDS R join RDB$FIELDS F "
    "on F.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE join RDB$RELATIONS T on T.RDB$RELATION_NAME = "
    "R.RDB$RELATION_NAME where coalesce(T.RDB$SYSTEM_FLAG, 0) = 0 order by 1, 3",
    "select R.RDB$RELATION_NAME, D.RDB$DIMENSION, D.RDB$LOWER_BOUND, D.RDB$UPPER_BOUND from "
    "RDB$RELATION_FIELDS R join RDB$FIELD_DIMENSIONS D on D.RDB$FIELD_NAME = R.RDB$FIELD_SOURCE "
    "where R.RDB$FIELD_SOURCE starting with 'RDB$' order by 1, 2",
    "select RDB$RELATION_NAME, RDB$RELATION_TYPE, RDB$VIEW_SOURCE from RDB$RELATIONS where "
    "coalesce(RDB$SYSTEM_FLAG, 0) = 0 order by 1",
    "select F.RDB$FIELD_NAME, F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, F.RDB$FIELD_LENGTH, "
    "F.RDB$FIELD_PRECISION, F.RDB$FIELD_SCALE, F.RDB$CHARACTER_SET_ID, F.RDB$COLLATION_ID, "
    "F.RDB$NULL_FLAG, F.RDB$DEFAULT_SOURCE, F.RDB$VALIDATION_SOURCE, F.RDB$DIMENSIONS from "
    "RDB$FIELDS F where F.RDB$FIELD_NAME not starting with 'RDB$' and "
    "coalesce(F.RDB$SYSTEM_FLAG, 0) = 0 order by 1",
    "select C.RDB$RELATION_NAME, C.RDB$CONSTRAINT_TYPE, iif(C.RDB$CONSTRAINT_NAME starting with "
    "'INTEG_', '', C.RDB$CONSTRAINT_NAME), iif(C.RDB$INDEX_NAME starting with 'RDB$', '', "
    "C.RDB$INDEX_NAME), I.RDB$INDEX_TYPE, (select list(trim(S.RDB$FIELD_NAME)) from (select "
    "S.RDB$FIELD_NAME from RDB$INDEX_SEGMENTS S where S.RDB$INDEX_NAME = C.RDB$INDEX_NAME order by "
    "S.RDB$FIELD_POSITION) S), P.RDB$RELATION_NAME, (select list(trim(S.RDB$FIELD_NAME)) from "
    "(select S.RDB$FIELD_NAME from RDB$INDEX_SEGMENTS S where S.RDB$INDEX_NAME = P.RDB$INDEX_NAME "
    "order by S.RDB$FIELD_POSITION) S), F.RDB$UPDATE_RULE, F.RDB$DELETE_RULE, (select first 1 "
    "cast(substring(T.RDB$TRIGGER_SOURCE from 1 for 2000) as varchar(2000)) from "
    "RDB$CHECK_CONSTRAINTS K join RDB$TRIGGERS T on T.RDB$TRIGGER_NAME = K.RDB$TRIGGER_NAME where "
    "K.RDB$CONSTRAINT_NAME = C.RDB$CONSTRAINT_NAME and C.RDB$CONSTRAINT_TYPE = 'CHECK') from "
    "RDB$RELATION_CONSTRAINTS C left join RDB$INDICES I on I.RDB$INDEX_NAME = C.RDB$INDEX_NAME "
    "left join RDB$INDICES P on P.RDB$INDEX_NAME = I.RDB$FOREIGN_KEY left join "
    "RDB$REF_CONSTRAINTS F on F.RDB$CONSTRAINT_NAME = C.RDB$CONSTRAINT_NAME where "
    "C.RDB$CONSTRAINT_TYPE <> 'NOT NULL' order by 1, 2, 3, 6, 11",
    "select I.RDB$RELATION_NAME, I.RDB$INDEX_NAME, I.RDB$UNIQUE_FLAG, I.RDB$INDEX_TYPE, "
    "coalesce(I.RDB$INDEX_INACTIVE, 0), I.RDB$EXPRESSION_SOURCE, I.RDB$SEGMENT_COUNT, (select "
    "list(trim(S.RDB$FIELD_NAME)) from (select S.RDB$FIELD_NAME from RDB$INDEX_SEGMENTS S where "
    "S.RDB$INDEX_NAME = I.RDB$INDEX_NAME order by S.RDB$FIELD_POSITION) S) from RDB$INDICES I "
    "where coalesce(I.RDB$SYSTEM_FLAG, 0) = 0 and I.RDB$INDEX_NAME not starting with 'RDB$' "
    "order by 2",
    "select RDB$PROCEDURE_NAME, RDB$PROCEDURE_TYPE, RDB$PROCEDURE_INPUTS, RDB$PROCEDURE_OUTPUTS, "
    "RDB$PROCEDURE_SOURCE from RDB$PROCEDURES where coalesce(RDB$SYSTEM_FLAG, 0) = 0 order by 1",
    "select P.RDB$PROCEDURE_NAME, P.RDB$PARAMETER_NAME, P.RDB$PARAMETER_NUMBER, "
    "P.RDB$PARAMETER_TYPE, iif(P.RDB$FIELD_SOURCE starting with 'RDB$', '', P.RDB$FIELD_SOURCE), "
    "F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, F.RDB$FIELD_LENGTH, F.RDB$FIELD_PRECISION, "
    "F.RDB$FIELD_SCALE, F.RDB$CHARACTER_SET_ID, P.RDB$NULL_FLAG, P.RDB$DEFAULT_SOURCE, "
    "P.RDB$PARAMETER_MECHANISM from RDB$PROCEDURE_PARAMETERS P join RDB$FIELDS F on "
    "F.RDB$FIELD_NAME = P.RDB$FIELD_SOURCE where coalesce(P.RDB$SYSTEM_FLAG, 0) = 0 order by 1, "
    "4, 3",
    "select RDB$TRIGGER_NAME, RDB$RELATION_NAME, RDB$TRIGGER_TYPE, RDB$TRIGGER_SEQUENCE, "
    "RDB$TRIGGER_INACTIVE, RDB$TRIGGER_SOURCE from RDB$TRIGGERS where coalesce(RDB$SYSTEM_FLAG, "
    "0) = 0 and RDB$TRIGGER_NAME not in (select RDB$TRIGGER_NAME from RDB$CHECK_CONSTRAINTS) "
    "order by 1",
    "select RDB$GENERATOR_NAME, RDB$INITIAL_VALUE, RDB$GENERATOR_INCREMENT from RDB$GENERATORS "
    "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 order by 1",
    "select RDB$EXCEPTION_NAME, RDB$MESSAGE from RDB$EXCEPTIONS order by 1",
};

std::vector<std::string> Snapshot(const std::string& path) {
  Utf8Connection connection(path);
  std::vector<std::string> rows;
  connection.tr.StartTransaction();
  for (const char* sql : kSnapshot) {
    TIBSQL query;
    query.SetDatabase(&connection.db);
    query.SQL().Add(sql);
    query.ExecQuery();
    for (; !query.Eof(); query.Next()) {
      std::string row;
      for (int i = 0; i < query.Current().Count(); ++i)
        row += (query.Fields(i).IsNull() ? "<null>" : query.Fields(i).AsTrimString()) + " | ";
      rows.push_back(row);
    }
  }
  // Generators' values, which no system table holds.
  for (const std::string& name : ListObjectNames(&connection.db, TObjectKind::Generator))
    rows.push_back(name + " = " + std::to_string(ReadGenerator(&connection.db, name).value));
  connection.tr.Commit();
  return rows;
}

std::string Extract(const std::string& path) {
  Utf8Connection connection(path);
  return DatabaseDdl(&connection.db);
}

void ExpectSameRows(const std::vector<std::string>& expected,
                    const std::vector<std::string>& actual) {
  ASSERT_FALSE(expected.empty());
  for (size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
    const std::string a = i < expected.size() ? expected[i] : "<missing>";
    const std::string b = i < actual.size() ? actual[i] : "<missing>";
    EXPECT_EQ(a, b) << "row " << i;
  }
}

TEST(DatabaseDdl, RecreatesEveryKindOfObject) {
  RichDatabase original;
  const std::string script = Extract(original.Path());
  TempDatabase copy(EmptyDatabase("UTF8"));
  RunUtf8Script(copy, script);
  ExpectSameRows(Snapshot(original.Path()), Snapshot(copy.Path()));
  // A second extraction of the copy is the same script, but for the file it names.
  std::string again = Extract(copy.Path());
  EXPECT_EQ(again.substr(again.find('\n')), script.substr(script.find('\n')));
}

TEST(DatabaseDdl, RecreatesTheEmployeeSample) {
  TempFolder folder;
  const std::string path = MakeEmployeeDatabase(folder.Path());
  if (path.empty()) GTEST_SKIP() << "firebird3.0-examples is not installed";
  const std::string script = Extract(path);
  TempDatabase copy(EmptyDatabase("NONE"));
  RunUtf8Script(copy, script);
  ExpectSameRows(Snapshot(path), Snapshot(copy.Path()));
}

TEST(Catalogue, ListsAndDescribesTheObjects) {
  RichDatabase file;
  Utf8Connection connection(file.Path());
  TIBDatabase* db = &connection.db;
  using Names = std::vector<std::string>;
  EXPECT_EQ(ListObjectNames(db, TObjectKind::Table),
            (Names{"FILHO", "NUMEROS", "Pessoa Física", "TIPOS"}));
  EXPECT_EQ(ListObjectNames(db, TObjectKind::View), (Names{"V2", "V_PESSOAS"}));
  EXPECT_EQ(ListObjectNames(db, TObjectKind::Procedure), (Names{"CHAMA", "SEL_PESSOAS"}));
  EXPECT_EQ(ListObjectNames(db, TObjectKind::Generator), (Names{"SEQ_A", "Seq_b"}));
  EXPECT_EQ(ListObjectNames(db, TObjectKind::Domain),
            (Names{"D_CODES", "D_FLAG", "D_MONEY", "d_Nome"}));
  EXPECT_EQ(ListObjectNames(db, TObjectKind::Exception), (Names{"E_FALHA"}));
  EXPECT_EQ(
      ListObjectNames(db, TObjectKind::Trigger),
      (Names{"AO_COMMIT", "AO_CONECTAR", "TIPOS_AUD", "TIPOS_BI", "V_PESSOAS_BD", "pessoa_bu"}));
  const Names indices = ListObjectNames(db, TObjectKind::Index);
  EXPECT_NE(std::find(indices.begin(), indices.end(), "IX_PK_FILHO"), indices.end());
  const Names system = ListObjectNames(db, TObjectKind::SystemTable);
  EXPECT_NE(std::find(system.begin(), system.end(), "RDB$RELATIONS"), system.end());
  EXPECT_FALSE(db->InternalTransaction()->InTransaction());

  const TRelationInfo tipos = ReadRelation(db, "TIPOS");
  auto type_of = [&](const std::string& column) {
    for (const TColumnInfo& c : tipos.columns)
      if (c.name == column) return c.type_text;
    return std::string("?");
  };
  EXPECT_EQ(type_of("C_NUM"), "NUMERIC(9, 3)");
  EXPECT_EQ(type_of("C_DEC"), "DECIMAL(18, 4)");
  EXPECT_EQ(type_of("C_VARCHAR"), "VARCHAR(30) CHARACTER SET WIN1252 COLLATE PXW_INTL");
  EXPECT_EQ(type_of("C_UTF"), "VARCHAR(10) CHARACTER SET UTF8");
  EXPECT_EQ(type_of("C_TEXT"), "BLOB SUB_TYPE TEXT SEGMENT SIZE 80 CHARACTER SET UTF8");
  EXPECT_EQ(type_of("C_ARRAY"), "VARCHAR(8) [1:4] CHARACTER SET UTF8");
  EXPECT_EQ(type_of("C_NOME"), "VARCHAR(40) CHARACTER SET UTF8 COLLATE UNICODE");
  EXPECT_EQ(tipos.columns[0].name, "ID");
  EXPECT_TRUE(tipos.columns[0].not_null);
  ASSERT_EQ(tipos.triggers.size(), 2u);
  EXPECT_EQ(tipos.triggers[0].type_text, "BEFORE INSERT");
  EXPECT_EQ(tipos.triggers[1].type_text, "AFTER INSERT OR UPDATE OR DELETE");

  const TRelationInfo person = ReadRelation(db, "Pessoa Física");
  ASSERT_EQ(person.constraints.size(), 3u);
  EXPECT_EQ(person.constraints[0].kind, "PRIMARY KEY");
  const TConstraintInfo& foreign = person.constraints[1];
  EXPECT_EQ(foreign.kind, "FOREIGN KEY");
  EXPECT_EQ(foreign.referenced_table, "TIPOS");
  EXPECT_EQ(foreign.referenced_columns, Names{"ID"});
  EXPECT_EQ(foreign.update_rule, "CASCADE");
  EXPECT_EQ(foreign.delete_rule, "SET NULL");
  EXPECT_EQ(person.constraints[2].check_source, "CHECK (\"Δelta\" > 0)");
  EXPECT_TRUE(person.columns[0].identity);

  const TProcedureInfo procedure = ReadProcedure(db, "SEL_PESSOAS");
  ASSERT_EQ(procedure.inputs.size(), 3u);
  ASSERT_EQ(procedure.outputs.size(), 3u);
  EXPECT_EQ(procedure.inputs[1].domain, "d_Nome");
  EXPECT_TRUE(procedure.inputs[1].type_of);
  EXPECT_NE(procedure.source.find("SUSPEND"), std::string::npos);
  EXPECT_EQ(ReadGenerator(db, "Seq_b").value, 42);
  EXPECT_EQ(ReadException(db, "E_FALHA").message, "Não pôde: 'x'");
  EXPECT_THROW(ReadRelation(db, "NADA"), EDatabaseError);
}

TEST(ObjectDdl, EachObjectAloneRunsInAnEmptyDatabase) {
  RichDatabase original;
  std::string script;
  {
    Utf8Connection connection(original.Path());
    TIBDatabase* db = &connection.db;
    script = ObjectDdl(db, TObjectKind::Domain, "D_MONEY") +
             ObjectDdl(db, TObjectKind::Domain, "d_Nome") +
             ObjectDdl(db, TObjectKind::Exception, "E_FALHA") +
             ObjectDdl(db, TObjectKind::Generator, "Seq_b") +
             ObjectDdl(db, TObjectKind::Table, "NUMEROS") +
             ObjectDdl(db, TObjectKind::Procedure, "SEL_PESSOAS");
    EXPECT_NE(script.find("CREATE TABLE NUMEROS (\n    N INTEGER GENERATED BY DEFAULT AS "
                          "IDENTITY (START WITH 100) NOT NULL,\n    \"select\" INTEGER\n);"),
              std::string::npos)
        << script;
  }
  TempDatabase copy(EmptyDatabase("UTF8"));
  // The procedure reads a table of its own; the copy gets a stand-in.
  RunUtf8Script(
      copy, "CREATE TABLE \"Pessoa Física\" (\"Id\" INTEGER, \"Nome\" VARCHAR(40));\n" + script);
}

}  // namespace
