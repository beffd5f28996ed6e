// The Latin-1 text helpers live with the grid, the lowest Qt layer; this name stays for
// the code above the workbench that includes it.
#pragma once

#include "grid/latin1.h"
