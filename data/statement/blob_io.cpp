#include "data/statement/blob_io.h"

#include <algorithm>

#include "data/client_api/client_api.h"
#include "data/database/ib_base.h"
#include "data/errors/errors.h"
#include "data/transaction/transaction.h"

namespace {

// The client moves at most this many bytes in one segment call.
constexpr size_t kSegmentSize = 0x7FFF;

bool IsZero(const ISC_QUAD& id) {
  return id.gds_quad_high == 0 && id.gds_quad_low == 0;
}

// Closes a blob handle that a failure left open, keeping the first error's status.
void CloseQuietly(isc_blob_handle& blob) {
  if (!blob) return;
  ISC_STATUS_ARRAY scratch{};
  ClientApi().isc_close_blob(scratch, &blob);
}

// Opens blob `id` for reading in the link's transaction (raises on failure).
isc_blob_handle OpenBlob(TIBBase& base, const ISC_QUAD& id) {
  isc_blob_handle blob = 0;
  ISC_QUAD blob_id = id;
  base.Transaction()->Call(ClientApi().isc_open_blob2(ClientStatusVector(), base.DBHandle(),
                                                      base.TRHandle(), &blob, &blob_id, 0, nullptr),
                           true);
  return blob;
}

}  // namespace

std::string ReadBlobContents(TIBBase& base, const ISC_QUAD& id, size_t limit) {
  if (IsZero(id)) return {};
  TIBTransaction* tr = base.Transaction();
  isc_blob_handle blob = OpenBlob(base, id);
  std::string result;
  std::string segment(kSegmentSize, '\0');
  try {
    for (;;) {
      unsigned short got = 0;
      const ISC_STATUS status =
          ClientApi().isc_get_segment(ClientStatusVector(), &blob, &got,
                                      static_cast<unsigned short>(segment.size()), segment.data());
      if (status == isc_segstr_eof) break;
      if (status != 0 && status != isc_segment) tr->Call(status, true);
      result.append(segment.data(), got);
      if (result.size() >= limit) break;
    }
  } catch (...) {
    CloseQuietly(blob);
    throw;
  }
  tr->Call(ClientApi().isc_close_blob(ClientStatusVector(), &blob), true);
  return result;
}

ISC_QUAD WriteBlobContents(TIBBase& base, const std::string& contents) {
  TIBTransaction* tr = base.Transaction();
  isc_blob_handle blob = 0;
  ISC_QUAD id{};
  tr->Call(ClientApi().isc_create_blob2(ClientStatusVector(), base.DBHandle(), base.TRHandle(),
                                        &blob, &id, 0, nullptr),
           true);
  try {
    for (size_t offset = 0; offset < contents.size(); offset += kSegmentSize) {
      const size_t n = std::min(kSegmentSize, contents.size() - offset);
      tr->Call(
          ClientApi().isc_put_segment(ClientStatusVector(), &blob, static_cast<unsigned short>(n),
                                      contents.data() + offset),
          true);
    }
  } catch (...) {
    // The half-written blob is never referenced, so the server drops it.
    CloseQuietly(blob);
    throw;
  }
  tr->Call(ClientApi().isc_close_blob(ClientStatusVector(), &blob), true);
  return id;
}

int64_t BlobLength(TIBBase& base, const ISC_QUAD& id) {
  if (IsZero(id)) return 0;
  TIBTransaction* tr = base.Transaction();
  isc_blob_handle blob = OpenBlob(base, id);
  const char items[] = {isc_info_blob_total_length};
  char answer[32] = {};
  const ISC_STATUS status = ClientApi().isc_blob_info(ClientStatusVector(), &blob, sizeof items,
                                                      items, sizeof answer, answer);
  if (status != 0) {
    CloseQuietly(blob);
    tr->Call(status, true);
  }
  int64_t length = 0;
  if (answer[0] == isc_info_blob_total_length) {
    const short size = static_cast<short>(ClientApi().isc_vax_integer(answer + 1, 2));
    length = ClientApi().isc_vax_integer(answer + 3, size);
  }
  tr->Call(ClientApi().isc_close_blob(ClientStatusVector(), &blob), true);
  return length;
}
