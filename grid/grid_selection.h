// The grid's selection of whole rows: the dataset's bookmarks of a run of adjacent rows,
// grown and shrunk one row at a time by Shift moves from the row where it started.
#pragma once

#include <set>
#include <vector>

#include "data/dataset/dataset.h"

class TRowSelection {
 public:
  int Count() const { return static_cast<int>(marks_.size()); }
  bool Empty() const { return marks_.empty(); }
  bool Contains(const TBookmark& mark) const { return lookup_.count(mark) != 0; }
  void Clear();
  // A Shift move of one row in `direction` (+1 or -1) from the current row `here`,
  // which starts the selection when there is none. True when the row moved to must be
  // added once the move is made (Add); a move back towards the start takes `here` out.
  bool BeginStep(const TBookmark& here, int direction);
  // The row a step moved to; ignored when already selected.
  void Add(const TBookmark& mark, int direction);
  void Remove(const TBookmark& mark);
  // The bookmarks top row first, as the grid shows them.
  std::vector<TBookmark> InRowOrder() const;

 private:
  std::vector<TBookmark> marks_;  // in the order added: the start first
  std::set<TBookmark> lookup_;
  // Rows from the start to the current end: below it when positive.
  int extent_ = 0;
};
