// The mark of the column a grid's rows are sorted by: a small triangle at the right of
// its title, pointing up for ascending and down for descending.
#pragma once

#include <QRect>
#include <string>

class QPainter;

struct TTitleSortMark {
  std::string field_name;  // empty: no mark
  bool descending = false;
};

// The room the mark takes from the title's text.
inline constexpr int kTitleSortMarkRoom = 10;

// Draws the mark in the right end of `rect` and returns what is left for the caption.
QRect DrawTitleSortMark(QPainter& painter, const QRect& rect, bool descending);
