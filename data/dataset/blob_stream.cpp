#include "data/dataset/blob_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "data/database/ib_base.h"
#include "data/errors/errors.h"
#include "data/statement/blob_io.h"

TIBBlobStream::TIBBlobStream() : base_(std::make_unique<TIBBase>(nullptr)) {}

TIBBlobStream::~TIBBlobStream() = default;

TIBDatabase* TIBBlobStream::Database() const {
  return base_->Database();
}
void TIBBlobStream::SetDatabase(TIBDatabase* database) {
  base_->SetDatabase(database);
}
TIBTransaction* TIBBlobStream::Transaction() const {
  return base_->Transaction();
}
void TIBBlobStream::SetTransaction(TIBTransaction* transaction) {
  base_->SetTransaction(transaction);
}

void TIBBlobStream::SetBlobID(const ISC_QUAD& id) {
  blob_id_ = id;
  data_.clear();
  position_ = 0;
  loaded_ = false;
  modified_ = false;
}

void TIBBlobStream::Load() {
  if (loaded_) return;
  data_ = ReadBlobContents(*base_, blob_id_);
  loaded_ = true;
}

const std::string& TIBBlobStream::Contents() {
  Load();
  return data_;
}

void TIBBlobStream::CheckWritable() const {
  if (mode_ == bmStreamRead) RaiseClientError(ceBlobNotWritable);
}

int64_t TIBBlobStream::Read(void* buffer, int64_t count) {
  if (mode_ == bmStreamWrite) RaiseClientError(ceBlobNotReadable);
  Load();
  if (count <= 0 || position_ >= static_cast<int64_t>(data_.size())) return 0;
  const int64_t n = std::min<int64_t>(count, static_cast<int64_t>(data_.size()) - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TIBBlobStream::Write(const void* buffer, int64_t count) {
  CheckWritable();
  if (count <= 0) return 0;
  Load();
  const size_t end = static_cast<size_t>(position_ + count);
  if (end > data_.size()) data_.resize(end);
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ += count;
  modified_ = true;
  return count;
}

int64_t TIBBlobStream::Seek(int64_t offset, TSeekOrigin origin) {
  if (origin == soEnd) Load();
  const int64_t from = origin == soBeginning ? 0
                       : origin == soCurrent ? position_
                                             : static_cast<int64_t>(data_.size());
  position_ = std::max<int64_t>(0, from + offset);
  return position_;
}

int64_t TIBBlobStream::Size() {
  Load();
  return static_cast<int64_t>(data_.size());
}

void TIBBlobStream::SetSize(int64_t size) {
  CheckWritable();
  // Emptying needs no read of the old contents.
  if (size == 0) loaded_ = true;
  Load();
  data_.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
  position_ = std::min<int64_t>(position_, static_cast<int64_t>(data_.size()));
  modified_ = true;
}

void TIBBlobStream::Finalize() {
  if (!modified_) return;
  blob_id_ = WriteBlobContents(*base_, data_);
  modified_ = false;
}

void TIBBlobStream::Cancel() {
  if (!modified_) return;
  data_.clear();
  position_ = 0;
  loaded_ = false;
  modified_ = false;
}
