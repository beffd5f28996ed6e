// Sorting a page by a click on a column's title: ascending, a second click descending,
// by the server. A table's order is its IndexFieldNames ("NAME", "NAME DESC"); a query's
// select gets "order by <position>" (replacing its own order). The current row is kept
// where it still exists; a changed row is posted first, and a failure keeps the order.
#pragma once

#include <string>

class TColumn;
class TDBGrid;

// Sorts `grid`'s rows by `column` as a click on its title does; failures raise.
void SortByColumn(TDBGrid& grid, TColumn& column);
// Makes title clicks on `grid` sort it, each failure shown in the error box.
void InstallTitleSort(TDBGrid& grid);

// `sql` ordered by output column `position`: its own top-level ORDER BY replaced, or one
// added before a ROWS, OFFSET, FETCH, FOR UPDATE or WITH LOCK clause, else at the end.
std::string OrderedSelect(const std::string& sql, int position, bool descending);
