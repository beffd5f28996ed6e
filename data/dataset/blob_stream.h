// A blob's contents as a stream: read by segments on first use, edited in memory, and
// written back as a new blob when finalized.
#pragma once

#include <ibase.h>

#include <memory>
#include <string>

#include "data/core/stream.h"
#include "data/dataset/dataset.h"

class TIBDatabase;
class TIBTransaction;
class TIBBase;

enum TBlobMode { bmStreamRead, bmStreamWrite, bmStreamReadWrite };

class TIBBlobStream : public TStream {
 public:
  TIBBlobStream();
  ~TIBBlobStream() override;

  TIBDatabase* Database() const;
  void SetDatabase(TIBDatabase* database);
  TIBTransaction* Transaction() const;
  void SetTransaction(TIBTransaction* transaction);
  TBlobMode Mode() const { return mode_; }
  void SetMode(TBlobMode mode) { mode_ = mode; }
  // The blob this stream reads; a zero identifier is an empty, new blob.
  const ISC_QUAD& BlobID() const { return blob_id_; }
  void SetBlobID(const ISC_QUAD& id);
  // Changed since the last load or finalize.
  bool Modified() const { return modified_; }

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t size) override;
  // Empties the contents (a write that replaces the whole blob).
  void Truncate() { SetSize(0); }
  // Writes changed contents as a new blob; BlobID() then names it.
  void Finalize();
  // Drops pending changes: the next read loads the blob again.
  void Cancel();
  // The whole contents (loads them).
  const std::string& Contents();

 private:
  void Load();
  void CheckWritable() const;

  std::unique_ptr<TIBBase> base_;
  TBlobMode mode_ = bmStreamReadWrite;
  ISC_QUAD blob_id_{};
  std::string data_;
  int64_t position_ = 0;
  bool loaded_ = false;
  bool modified_ = false;
};
