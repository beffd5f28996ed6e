#include "data/dataset/row_store.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Blocks start small, so that a table of ten rows costs little, and double up to this.
constexpr size_t kFirstBlock = 16 * 1024;
constexpr size_t kLargestBlock = 1024 * 1024;

}  // namespace

void TRowStore::TFree::operator()(void* block) const {
  std::free(block);
}

TRowStore::TRowStore(TAllocator allocate, size_t index_step)
    : allocate_(std::move(allocate)), step_(static_cast<int>(std::max<size_t>(index_step, 1))) {}

TRowStore::~TRowStore() = default;

char* TRowStore::Allocate(size_t size) {
  if (size <= free_bytes_) {
    char* room = free_;
    free_ += size;
    free_bytes_ -= size;
    return room;
  }
  if (next_block_ == 0) next_block_ = kFirstBlock;
  // A row larger than a block gets a block of its own; the current one keeps its room.
  const bool own = size > next_block_ / 4;
  const size_t bytes = own ? size : next_block_;
  TBlock block(static_cast<char*>(allocate_(bytes)));
  if (!block) return nullptr;
  char* room = block.get();
  blocks_.push_back(std::move(block));
  bytes_ += bytes;
  if (!own) {
    free_ = room + size;
    free_bytes_ = bytes - size;
    next_block_ = std::min(next_block_ * 2, kLargestBlock);
  }
  return room;
}

bool TRowStore::ReserveIndex() {
  if (static_cast<size_t>(count_) < index_.size() * static_cast<size_t>(step_)) return true;
  const size_t bytes = static_cast<size_t>(step_) * sizeof(char*);
  std::unique_ptr<char*, TFree> chunk(static_cast<char**>(allocate_(bytes)));
  if (!chunk) return false;
  index_.push_back(std::move(chunk));
  bytes_ += bytes;
  return true;
}

char* TRowStore::Place(int index, size_t size, size_t old_size) {
  if (index < count_) {
    if (size <= old_size) return Row(index);
    char* room = Allocate(size);
    if (room) index_[static_cast<size_t>(index) / step_].get()[index % step_] = room;
    return room;
  }
  if (index != count_ || !ReserveIndex()) return nullptr;
  char* room = Allocate(size);
  if (!room) return nullptr;
  index_[static_cast<size_t>(index) / step_].get()[index % step_] = room;
  ++count_;
  return room;
}

void TRowStore::Clear() {
  const bool large = bytes_ > kLargestBlock;
  blocks_.clear();
  blocks_.shrink_to_fit();
  index_.clear();
  index_.shrink_to_fit();
  count_ = 0;
  free_ = nullptr;
  free_bytes_ = 0;
  next_block_ = 0;
  bytes_ = 0;
#if defined(__GLIBC__)
  // Freed blocks below the allocator's map threshold stay in the heap otherwise: a
  // closed million-row page would keep its memory from the rest of the system.
  if (large) malloc_trim(0);
#else
  (void)large;
#endif
}
