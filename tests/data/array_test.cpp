// Array columns against a real database: listed as read-only fields, shown as their
// elements in every dimension and type, and left as they are when the row is edited.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/client_api/client_api.h"
#include "data/database/database.h"
#include "data/dataset/array_field.h"
#include "data/dataset/query.h"
#include "data/dataset/table.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"
#include "sql_test_support.h"
#include "support/temp_database.h"

namespace {

TempDatabaseOptions Arrays() {
  TempDatabaseOptions options;
  options.charset = "UTF8";
  options.names = "UTF8";
  options.setup =
      "create table ARR (ID integer not null primary key, NAME varchar(10), INTS integer[3], "
      "GRID smallint[2,3], PRICES numeric(9,2)[0:1], NAMES char(3)[2], DAYS date[2]);\n"
      "insert into ARR (ID, NAME) values (1, 'one');\n"
      "insert into ARR (ID, NAME) values (2, 'two');\n";
  return options;
}

class ArrayTest : public ::testing::Test {
 protected:
  ArrayTest() : file_(Arrays()), c_(file_.Path(), "UTF8") {
    Put("INTS", std::vector<int32_t>{1, 2, 3});
    Put("GRID", std::vector<int16_t>{1, 2, 3, 4, 5, 6});
    Put("PRICES", std::vector<int32_t>{150, -225});
    // Two CHAR(3) elements of UTF8: 12 bytes each, padded with spaces.
    std::string names = std::string("ab") + std::string(10, ' ') + "ç'é" + std::string(7, ' ');
    Put("NAMES", std::vector<char>(names.begin(), names.end()));
    std::vector<ISC_DATE> days(2);
    tm day{};
    day.tm_year = 124, day.tm_mon = 1, day.tm_mday = 29;
    ClientApi().isc_encode_sql_date(&day, &days[0]);
    day.tm_year = 99, day.tm_mon = 11, day.tm_mday = 31;
    ClientApi().isc_encode_sql_date(&day, &days[1]);
    Put("DAYS", days);
    c_.tr.Commit();
    c_.tr.StartTransaction();
  }
  // Writes `elements` as a new array and stores it in row 1's `column`.
  template <typename T>
  void Put(const std::string& column, std::vector<T> elements) {
    const TClientApi& api = ClientApi();
    ASSERT_TRUE(api.isc_array_put_slice);
    ISC_ARRAY_DESC desc{};
    c_.tr.Call(api.isc_array_lookup_bounds(ClientStatusVector(), c_.db.HandleAddress(),
                                           c_.tr.HandleAddress(), "ARR", column.c_str(), &desc),
               true);
    ISC_QUAD id{};
    ISC_LONG length = static_cast<ISC_LONG>(elements.size() * sizeof(T));
    c_.tr.Call(api.isc_array_put_slice(ClientStatusVector(), c_.db.HandleAddress(),
                                       c_.tr.HandleAddress(), &id, &desc, elements.data(), &length),
               true);
    auto update = c_.Sql("update ARR set " + column + " = :A where ID = 1");
    update->Prepare();
    update->Params()[0].SetAsQuad(id);
    update->ExecQuery();
  }

  TempDatabase file_;
  Connection c_;
};

TEST_F(ArrayTest, ArraysShowTheirElementsReadOnly) {
  TIBTable table;
  table.SetDatabase(&c_.db);
  table.SetTableName("ARR");
  table.SetIndexFieldNames("ID");
  table.Open();
  TField* ints = table.FieldByName("INTS");
  EXPECT_EQ(ints->DataType(), ftArray);
  EXPECT_TRUE(ints->ReadOnly());
  EXPECT_EQ(ints->DisplayText(), "[1, 2, 3]");
  EXPECT_EQ(table.FieldByName("GRID")->AsString(), "[[1, 2, 3], [4, 5, 6]]");
  EXPECT_EQ(table.FieldByName("PRICES")->AsString(), "[1.50, -2.25]");
  EXPECT_EQ(table.FieldByName("NAMES")->AsString(), "['ab', 'ç''é']");
  EXPECT_EQ(table.FieldByName("DAYS")->AsString(), "[2024-02-29, 1999-12-31]");
  table.Next();
  EXPECT_TRUE(table.FieldByName("INTS")->IsNull());
  EXPECT_EQ(table.FieldByName("INTS")->DisplayText(), "");

  // The grid's editor refuses a read-only field; the dataset refuses it too.
  table.First();
  table.Edit();
  EXPECT_THROW(ints->SetAsString("[9]"), EDatabaseError);
  // Editing another column of the row leaves the arrays as they were.
  table.FieldByName("NAME")->SetAsString("uno");
  table.Post();
  c_.tr.CommitRetaining();

  TIBQuery query;
  query.SetDatabase(&c_.db);
  query.SQL().Add("select NAME, INTS, GRID from ARR where ID = 1");
  query.Open();
  EXPECT_EQ(query.FieldByName("NAME")->AsString(), "uno");
  EXPECT_EQ(query.FieldByName("INTS")->DataType(), ftArray);
  EXPECT_EQ(query.FieldByName("INTS")->AsString(), "[1, 2, 3]");
  EXPECT_EQ(query.FieldByName("GRID")->AsString(), "[[1, 2, 3], [4, 5, 6]]");
}

TEST_F(ArrayTest, ARowInsertedBesideArraysLeavesThemNull) {
  TIBTable table;
  table.SetDatabase(&c_.db);
  table.SetTableName("ARR");
  table.Open();
  table.Append();
  table.FieldByName("ID")->SetAsInteger(3);
  table.Post();
  EXPECT_TRUE(table.FieldByName("INTS")->IsNull());
  auto count = c_.Sql("select count(*) from ARR where ID = 3 and INTS is null");
  count->ExecQuery();
  EXPECT_EQ(count->Fields(0).AsLong(), 1);
}

}  // namespace
