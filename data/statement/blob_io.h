// A whole blob read or written by segments through the client library.
#pragma once

#include <ibase.h>

#include <string>

class TIBBase;

// Reads the blob `id` (empty for a zero identifier) in the link's connection and
// transaction.
std::string ReadBlobContents(TIBBase& base, const ISC_QUAD& id);
// Writes `contents` as a new blob and returns its identifier.
ISC_QUAD WriteBlobContents(TIBBase& base, const std::string& contents);
