// The database parameter buffer sent with an attach, built from name=value lines.
#pragma once

#include <string>

#include "data/core/string_list.h"

// Version byte 1, then one item per line. Raises client error 11 for a known but
// unsupported name, 114 for an unknown one, EConvertError for a number that is not
// one, a client error naming the parameter for a text value over 255 bytes, and one
// for a DPB over 32767 bytes.
std::string BuildDpb(const TStringList& params);

// The name of DPB parameter `code` (1 to 67) without its prefix; "" outside that range.
const char* DpbParameterName(int code);
