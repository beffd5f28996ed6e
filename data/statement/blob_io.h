// A whole blob read or written by segments through the client library.
#pragma once

#include <ibase.h>

#include <cstddef>
#include <cstdint>
#include <string>

class TIBBase;

// Reads the blob `id` (empty for a zero identifier) in the link's connection and
// transaction.
// With `limit`, reading stops once that many bytes are in (a few more may come).
std::string ReadBlobContents(TIBBase& base, const ISC_QUAD& id, size_t limit = SIZE_MAX);
// The blob's length in bytes, asked of the server without reading it.
int64_t BlobLength(TIBBase& base, const ISC_QUAD& id);
// Writes `contents` as a new blob and returns its identifier.
ISC_QUAD WriteBlobContents(TIBBase& base, const std::string& contents);
