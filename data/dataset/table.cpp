#include "data/dataset/table.h"

#include <cstring>

#include "data/core/text.h"
#include "data/database/catalog.h"
#include "data/database/database.h"
#include "data/database/identifiers.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"
#include "data/transaction/transaction.h"

namespace {

// The relation is always a parameter: a name is data, never SQL text.
const char* kIndexSql =
    "Select I.RDB$INDEX_NAME, I.RDB$UNIQUE_FLAG, I.RDB$INDEX_TYPE, S.RDB$FIELD_NAME, "
    "C.RDB$CONSTRAINT_TYPE from RDB$INDICES I join RDB$INDEX_SEGMENTS S on "
    "S.RDB$INDEX_NAME = I.RDB$INDEX_NAME left join RDB$RELATION_CONSTRAINTS C on "
    "C.RDB$INDEX_NAME = I.RDB$INDEX_NAME and C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' "
    "where I.RDB$RELATION_NAME = :RELATION order by I.RDB$INDEX_NAME, S.RDB$FIELD_POSITION";

const char* kUpdatableSql =
    "Select RDB$SYSTEM_FLAG, RDB$DBKEY_LENGTH from RDB$RELATIONS where RDB$RELATION_NAME = "
    ":RELATION";

const char* kFieldDefsSql =
    "Select R.RDB$FIELD_NAME, R.RDB$FIELD_POSITION, F.RDB$COMPUTED_BLR, "
    "coalesce(R.RDB$DEFAULT_VALUE, F.RDB$DEFAULT_VALUE), "
    "coalesce(R.RDB$NULL_FLAG, F.RDB$NULL_FLAG), F.RDB$FIELD_LENGTH, F.RDB$FIELD_SCALE, "
    "F.RDB$FIELD_TYPE, F.RDB$FIELD_SUB_TYPE, F.RDB$DIMENSIONS from RDB$RELATION_FIELDS R, "
    "RDB$FIELDS F where "
    "R.RDB$RELATION_NAME = :RELATION and R.RDB$FIELD_SOURCE = F.RDB$FIELD_NAME order by "
    "R.RDB$FIELD_POSITION";

// The condition that finds a row by the DB key the select reads with it.
const char* kByDbKey = " where RDB$DB_KEY = :TAVREL_INTERNAL_DBKEY";

// Every column of `table` and the row's DB key.
std::string SelectAll(const std::string& table) {
  return "select " + table + ".*, RDB$DB_KEY as TAVREL_INTERNAL_DBKEY from " + table;
}

// Runs `sql` with the relation parameter in the internal transaction, row by row.
void ForEachCatalogRow(TIBDatabase* database, const char* sql, const std::string& relation,
                       const std::function<void(TIBSQL&)>& row) {
  RunInInternalTransaction(database, [&](TIBTransaction* transaction) {
    TIBSQL query;
    query.SetTransaction(transaction);
    query.SetDatabase(database);
    query.SQL().Add(sql);
    query.ParamByName("RELATION").SetAsString(relation);
    query.ExecQuery();
    while (!query.Eof()) {
      row(query);
      query.Next();
    }
    query.Close();
  });
}

std::vector<std::string> SplitNames(const std::string& names) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = names.find(';', start);
    parts.push_back(names.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? separator : "") + parts[i];
  return out;
}

bool IsDescWord(const std::string& word) {
  static const char kDesc[] = "DESC";
  if (word.size() != 4) return false;
  for (size_t i = 0; i < 4; ++i)
    if ((word[i] & ~0x20) != kDesc[i]) return false;
  return true;
}

bool KeyIsZero(const char* key) {
  static const char zero[ib_row::kDbKeySize] = {};
  return std::memcmp(key, zero, ib_row::kDbKeySize) == 0;
}

}  // namespace

const TIndexDef* TIndexDefs::Find(const std::string& name) const {
  for (const TIndexDef& def : items_)
    if (def.Name == name) return &def;
  return nullptr;
}

TIBTable::TIBTable(TComponent* owner) : TIBCustomDataSet(owner) {
  // Generating the companion texts must not unprepare the dataset; only the select's
  // text does.
  QDelete()->OnSQLChanging = nullptr;
  QInsert()->OnSQLChanging = nullptr;
  QModify()->OnSQLChanging = nullptr;
  QRefresh()->OnSQLChanging = nullptr;
}

TIBTable::~TIBTable() {
  Close();
}

int TIBTable::Dialect() const {
  return Database() ? Database()->SQLDialect() : 3;
}

std::string TIBTable::Quote(const std::string& name) const {
  return QuoteSqlIdentifier(Dialect(), name);
}

std::string TIBTable::StoredName() const {
  return NormalizeSqlIdentifier(Dialect(), Quote(table_name_));
}

const TStringList& TIBTable::SelectSQL() const {
  return QSelect()->SQL();
}
const TStringList& TIBTable::InsertSQL() const {
  return QInsert()->SQL();
}
const TStringList& TIBTable::ModifySQL() const {
  return QModify()->SQL();
}
const TStringList& TIBTable::DeleteSQL() const {
  return QDelete()->SQL();
}
const TStringList& TIBTable::RefreshSQL() const {
  return QRefresh()->SQL();
}

void TIBTable::SetTableName(const std::string& value) {
  if (IsLoading()) {
    table_name_ = value;
    return;
  }
  if (value == table_name_) return;
  CheckInactive();
  QSelect()->SQL().Clear();
  QDelete()->SQL().Clear();
  QInsert()->SQL().Clear();
  QModify()->SQL().Clear();
  QRefresh()->SQL().Clear();
  refresh_by_dbkey_.clear();
  refresh_by_key_.clear();
  refresh_by_columns_.clear();
  regenerate_ = true;
  table_name_ = value;
  index_text_.clear();
  primary_key_fields_.clear();
  index_defs_.Clear();
  index_defs_.SetUpdated(false);
  // The finding was about the old table.
  found_read_only_ = false;
  DataEvent(dePropertyChange);
}

void TIBTable::SetFilter(const std::string& value) {
  const bool changed = value != Filter();
  TIBCustomDataSet::SetFilter(value);
  if (Filtered() && changed) TableRefresh();
}

void TIBTable::SetFiltered(bool value) {
  if (value == Filtered()) return;
  TIBCustomDataSet::SetFiltered(value);
  if (Active()) TableRefresh();
}

void TIBTable::SetFilterOptions(unsigned options) {
  if (options != 0) RaiseClientError(ceUnsupportedFeature);
}

void TIBTable::SetReadOnly(bool value) {
  CheckInactive();
  read_only_ = value;
}

void TIBTable::SetIndex(const std::string& value, bool field_names) {
  if (Active()) CheckBrowseMode();
  if (value == index_text_ && field_names == index_is_field_names_) return;
  index_text_ = value;
  index_is_field_names_ = field_names;
  if (!Active()) return;
  switching_index_ = true;
  try {
    TableRefresh();
  } catch (...) {
    switching_index_ = false;
    throw;
  }
  switching_index_ = false;
}

bool TIBTable::CanModify() const {
  return !table_name_.empty() && !ReadOnly();
}

void TIBTable::InternalOpen() {
  if (table_name_.empty()) RaiseClientError(ceNoTableName);
  ActivateConnection();
  ActivateTransaction();
  if (regenerate_) {
    InternalUnPrepare();
    GenerateStatements();
    regenerate_ = false;
  }
  TIBCustomDataSet::InternalOpen();
}

void TIBTable::InternalClose() {
  // Every open after a close reads the definitions and generates the statements anew.
  regenerate_ = true;
  index_defs_.SetUpdated(false);
  TIBCustomDataSet::InternalClose();
}

void TIBTable::Refresh() {
  CheckBrowseMode();
  Fire(BeforeRefresh);
  TableRefresh();
  Fire(AfterRefresh);
}

void TIBTable::TableRefresh() {
  CheckActive();
  regenerate_ = true;
  ReopenAtSameRow();
}

std::string TIBTable::QuotedColumnList(const std::string& names) const {
  if (Dialect() == 1) {
    std::string list = Quote(names);
    std::string out;
    for (char c : list) out += c == ';' ? std::string(", ") : std::string(1, c);
    return out;
  }
  std::vector<std::string> parts = SplitNames(names);
  for (std::string& part : parts) {
    part = Trim(part);
    // "NAME DESC" orders that column descending.
    std::string order;
    const size_t blank = part.find_last_of(' ');
    if (blank != std::string::npos && IsDescWord(part.substr(blank + 1))) {
      order = " DESC";
      part = Trim(part.substr(0, blank));
    }
    part = Quote(part) + order;
  }
  return Join(parts, ", ");
}

std::string TIBTable::OrderList() const {
  if (index_is_field_names_ && !index_text_.empty()) return QuotedColumnList(index_text_);
  if (!index_is_field_names_ && !index_text_.empty()) {
    const TIndexDef* index = index_defs_.Find(index_text_);
    if (!index) DatabaseErrorFmt("Index '%s' not found", {index_text_}, this);
    if (!(index->Options & ixDescending)) return QuotedColumnList(index->Fields);
    std::vector<std::string> parts = SplitNames(index->Fields);
    for (std::string& part : parts) part = QuotedColumnList(part) + " DESC";
    return Join(parts, ", ");
  }
  if (default_index_ && !primary_key_fields_.empty()) return QuotedColumnList(primary_key_fields_);
  return {};
}

void TIBTable::UpdateIndexDefs() {
  index_defs_.Clear();
  primary_key_fields_.clear();
  ForEachCatalogRow(Database(), kIndexSql, StoredName(), [&](TIBSQL& row) {
    // Rows come ordered by index and segment: one index's rows stand together.
    const std::string name = row.Fields(0).AsTrimString();
    const std::string field = row.Fields(3).AsTrimString();
    if (index_defs_.Count() == 0 || index_defs_.Items(index_defs_.Count() - 1).Name != name) {
      TIndexDef& def = index_defs_.Add();
      def.Name = name;
      if (!row.Fields(4).IsNull()) def.Options |= ixPrimary;
      if (!row.Fields(1).IsNull() && row.Fields(1).AsLong() == 1) def.Options |= ixUnique;
      if (!row.Fields(2).IsNull() && row.Fields(2).AsLong() == 1) def.Options |= ixDescending;
      def.Fields = field;
    } else {
      index_defs_.Items(index_defs_.Count() - 1).Fields += ";" + field;
    }
  });
  for (int i = 0; i < index_defs_.Count(); ++i) {
    TIndexDef& def = index_defs_.Items(i);
    if (def.Options & ixDescending) def.DescFields = def.Fields;
    if (def.Options & ixPrimary) primary_key_fields_ = def.Fields;
  }
  index_defs_.SetUpdated(true);
}

void TIBTable::GenerateStatements() {
  if (!index_defs_.Updated()) UpdateIndexDefs();
  const std::string table = Quote(table_name_);
  const std::string head = SelectAll(table);
  TStringList lines;
  lines.Add(head);
  if (Filtered() && !Filter().empty()) lines.Add(" where " + Filter());
  const std::string order = OrderList();
  if (!order.empty()) lines.Add(" order by " + order);
  QSelect()->SQL().Assign(lines);
  refresh_by_dbkey_ = head + kByDbKey;
  // The refresh text joins the companions: a table that cannot be changed never
  // refreshes a row, and some views refuse a DB key condition.
  QRefresh()->SQL().Clear();
  insert_returning_.clear();
  InternalPrepare();
  if (!ReadOnly()) GenerateUpdateStatements();
}

bool TIBTable::TableIsUpdatable() {
  bool updatable = false;
  ForEachCatalogRow(Database(), kUpdatableSql, StoredName(), [&](TIBSQL& row) {
    updatable = !row.Fields(0).IsNull() && row.Fields(0).AsLong() == 0 && !row.Fields(1).IsNull() &&
                row.Fields(1).AsLong() == 8;
  });
  return updatable;
}

void TIBTable::GenerateUpdateStatements() {
  if (!TableIsUpdatable()) {
    found_read_only_ = true;
    return;
  }
  const std::string table = Quote(table_name_);
  const std::string head = SelectAll(table);
  std::vector<std::string> columns, values, assignments, conditions, unchanged;
  const TFieldDefs& defs = FieldDefs();
  auto defined = [&](const std::string& name) {
    for (int j = 0; j < defs.Count(); ++j)
      if (defs.Items(j).Name() == name) return true;
    return false;
  };
  for (int i = 0; i < defs.Count(); ++i) {
    const TFieldDef& def = defs.Items(i);
    if (def.InternalCalcField() || (def.Attributes() & faReadonly) || def.DataType() == ftUnknown)
      continue;
    const std::string column = Quote(def.Name());
    columns.push_back(column);
    values.push_back(":" + column);
    assignments.push_back(column + " = :" + column);
    // Plain "=" never matches a NULL, so a row with one would never be found again.
    if (def.DataType() != ftBlob && def.DataType() != ftMemo) {
      conditions.push_back(column + " IS NOT DISTINCT FROM :" + column);
      // The update and the delete find the row only as it was read, so they never
      // write over a change they did not see (another page, a statement, another
      // user). A column named OLD_ plus this one would take the old value's place.
      if (!defined("OLD_" + def.Name()))
        unchanged.push_back(column + " IS NOT DISTINCT FROM :" + Quote("OLD_" + def.Name()));
    }
  }
  const std::string as_read = unchanged.empty() ? "" : " AND " + Join(unchanged, " AND ");
  // A delete binds the row as shown, which is the row as read.
  const std::string delete_sql = "delete from " + table + kByDbKey +
                                 (conditions.empty() ? "" : " AND " + Join(conditions, " AND "));
  const std::string insert_sql =
      "insert into " + table + " (" + Join(columns, ", ") + ") values (" + Join(values, ", ") + ")";
  // What an insert hands back: every column as stored, and the row's DB key.
  std::vector<std::string> returned;
  for (int i = 0; i < defs.Count(); ++i)
    if (defs.Items(i).DataType() != ftUnknown) returned.push_back(Quote(defs.Items(i).Name()));
  returned.push_back(std::string("RDB$DB_KEY as ") + kDbKeyAlias);
  insert_returning_ = " returning " + Join(returned, ", ");
  const std::string modify_sql =
      "update " + table + " set " + Join(assignments, ", ") + kByDbKey + as_read;
  refresh_by_columns_ = conditions.empty() ? "" : head + " where " + Join(conditions, " AND ");
  refresh_by_key_.clear();
  if (!primary_key_fields_.empty()) {
    std::vector<std::string> key;
    for (const std::string& name : SplitNames(primary_key_fields_)) {
      const std::string column = Quote(Trim(name));
      key.push_back(column + " = :" + column);
    }
    refresh_by_key_ = head + " where " + Join(key, " AND ");
  }
  QDelete()->SQL().Clear();
  QDelete()->SQL().Add(delete_sql);
  QInsert()->SQL().Clear();
  QInsert()->SQL().Add(insert_sql);
  QModify()->SQL().Clear();
  QModify()->SQL().Add(modify_sql);
  QRefresh()->SQL().Clear();
  QRefresh()->SQL().Add(refresh_by_dbkey_);
  InternalUnPrepare();
  try {
    InternalPrepare();
  } catch (const Exception&) {
    // A table that passes the updatable test yet cannot be changed (an aggregate
    // view): open it read-only now rather than fail this open and pass the next.
    found_read_only_ = true;
    insert_returning_.clear();
    QDelete()->SQL().Clear();
    QInsert()->SQL().Clear();
    QModify()->SQL().Clear();
    QRefresh()->SQL().Clear();
    InternalUnPrepare();
    InternalPrepare();
  }
}

void TIBTable::PrepareRowRefresh(const char* row) {
  const std::string& text = !KeyIsZero(row + ib_row::kDbKey) ? refresh_by_dbkey_
                            : !refresh_by_key_.empty()       ? refresh_by_key_
                                                             : refresh_by_columns_;
  if (QRefresh()->SQL().Count() == 1 && QRefresh()->SQL().Strings(0) == text) return;
  QRefresh()->SQL().Clear();
  if (!text.empty()) QRefresh()->SQL().Add(text);
}

// Only the columns set are sent, so the engine fills the others (defaults, identity
// columns, triggers); the row as stored comes back from the insert itself.
void TIBTable::PrepareRowInsert(const std::vector<std::string>& assigned) {
  if (insert_returning_.empty()) return;
  std::string text = "insert into " + Quote(table_name_);
  if (assigned.empty()) {
    text += " default values";
  } else {
    std::vector<std::string> columns, values;
    for (const std::string& name : assigned) {
      columns.push_back(Quote(name));
      values.push_back(":" + Quote(name));
    }
    text += " (" + Join(columns, ", ") + ") values (" + Join(values, ", ") + ")";
  }
  text += insert_returning_;
  if (QInsert()->SQL().Count() == 1 && QInsert()->SQL().Strings(0) == text) return;
  QInsert()->SQL().Clear();
  QInsert()->SQL().Add(text);
}

void TIBTable::InternalInitFieldDefs() {
  if (Prepared()) {
    TIBCustomDataSet::InternalInitFieldDefs();
    return;
  }
  if (table_name_.empty()) RaiseClientError(ceNoTableName);
  ActivateConnection();
  FieldDefs().Clear();
  ForEachCatalogRow(Database(), kFieldDefsSql, StoredName(), [&](TIBSQL& row) {
    const std::string name = row.Fields(0).AsTrimString();
    const bool computed = !row.Fields(2).IsNull();
    const bool not_null = !row.Fields(4).IsNull() && row.Fields(4).AsLong() == 1;
    const int length = row.Fields(5).AsLong();
    const int scale = row.Fields(6).AsLong();
    const int type = row.Fields(7).AsLong();
    const int sub_type = row.Fields(8).IsNull() ? 0 : row.Fields(8).AsLong();
    TFieldType field_type = ftUnknown;
    int size = 0;
    int precision = 0;
    auto scaled = [&](TFieldType exact, int digits) {
      if (scale == 0) {
        field_type = exact;
      } else if (scale < -4 && digits > 4) {
        field_type = ftFloat;
      } else {
        field_type = ftBCD;
        precision = digits;
        size = -scale;
      }
    };
    switch (type) {
      case 7:
        scaled(ftSmallint, 4);
        break;
      case 8:
        scaled(ftInteger, 9);
        break;
      case 16:
        scaled(ftLargeint, 18);
        break;
      case 10:  // FLOAT: shown to its own precision
      case 11:
      case 27:
        field_type = ftFloat;
        precision = type == 10 ? 7 : 15;
        break;
      case 12:
        field_type = ftDate;
        break;
      case 13:
        field_type = ftTime;
        break;
      case 35:
        field_type = ftDateTime;
        break;
      case 14:
      case 37:
        field_type = ftString;
        size = length;
        break;
      case 261:
        field_type = sub_type == 1 ? ftMemo : ftBlob;
        break;
      case 23:
        field_type = ftBoolean;
        break;
      case 9:
        size = 8;
        break;
      default:
        break;
    }
    // An array's type is its elements' type; the column holds the array's id.
    const bool array = !row.Fields(9).IsNull() && row.Fields(9).AsLong() > 0;
    if (array) {
      field_type = ftArray;
      size = 8;
    }
    const bool required = !computed && not_null && !Database()->FilledOnInsert(StoredName(), name);
    TFieldDef& def = FieldDefs().Add(name, field_type, size, required);
    def.SetPrecision(precision);
    def.SetScale(scale);
    if (computed) {
      def.SetAttributes(def.Attributes() | faReadonly);
      def.SetInternalCalcField(true);
    } else if (required) {
      def.SetAttributes(def.Attributes() | faRequired);
    }
    if (not_null && !computed) def.SetAttributes(def.Attributes() | faNotNull);
    if (array) def.SetAttributes(def.Attributes() | faReadonly);
  });
}
