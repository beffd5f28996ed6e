// The transaction parameter buffer, built from one item per line.
#pragma once

#include <string>

#include "data/core/string_list.h"

// Empty for no lines; else version byte 3 and one item per non-blank line. Raises client
// error 13 for a known but unsupported name, 115 for an unknown one, and a client error
// naming the parameter for a value over 255 bytes, and one for a TPB over 32767 bytes.
std::string BuildTpb(const TStringList& params);
