// A fetch's failure to transliterate, told with the columns it can come from.
#include <algorithm>
#include <string>
#include <vector>

#include "data/core/charset.h"
#include "data/database/database.h"
#include "data/dataset/ib_dataset.h"
#include "data/errors/errors.h"
#include "data/statement/sql.h"

std::exception_ptr TIBCustomDataSet::NamingColumns(const Exception& error) {
  // The engine says only that some text would not come in the connection's set, under
  // an arithmetic exception: the columns declared in other sets are the ones that can.
  std::exception_ptr original = std::current_exception();  // called inside its catch
  const auto* engine = dynamic_cast<const EIBInterBaseError*>(&error);
  TIBDatabase* database = Database();
  if (!engine || !database || error.Message().find("transliterate") == std::string::npos)
    return original;
  std::string named;
  try {
    const TIBXSQLDA& columns = q_select_->Current();
    std::vector<std::string> relations;
    for (int i = 0; i < columns.Count(); ++i)
      if (std::find(relations.begin(), relations.end(), columns[i].RelName()) == relations.end())
        relations.push_back(columns[i].RelName());
    for (const std::string& relation : relations) {
      if (relation.empty()) continue;
      for (const auto& [column, set] :
           database->TextColumnsOutside(relation, database->CharSetId())) {
        bool selected = false;
        for (int i = 0; i < columns.Count(); ++i)
          selected =
              selected || (columns[i].RelName() == relation && columns[i].SqlName() == column);
        if (selected) named += (named.empty() ? "" : ", ") + column + " (" + set + ")";
      }
    }
  } catch (const Exception&) {
    return original;  // the fetch's own error, unnamed
  }
  if (named.empty()) return original;
  return std::make_exception_ptr(
      EIBInterBaseError(engine->SqlErrorCode(), engine->StatusCode(),
                        error.Message() + "\nColuna(s) que a conexão em " +
                            CharSetName(database->CharSetId()) + " não lê: " + named));
}
