// How the grid shows NULL: "<null>" in the disabled text colour, never stored as text,
// so that a null cell and an empty text look different.
#pragma once

inline constexpr char kNullCellText[] = "<null>";
