// A table page whose open failed before it showed a row: it says so in the page, takes
// no edits (its dataset stays closed, so nothing typed can be inserted into rows never
// shown) and offers to open again.
#pragma once

#include <string>

class QWidget;
class TDBGrid;
class TDataSet;

// Closes `dataset`, hides the page's grid and shows `message` with "Abrir novamente",
// which opens the dataset again and, once it opens, gives the grid back.
void ShowOpenFailure(QWidget* page, TDBGrid* grid, TDataSet* dataset, const std::string& message);

// The words above the message.
extern const char* const kOpenFailedText;
