// Rows of varying length, kept by index in large blocks: no allocation per row, and an
// index block per `IndexStep` rows. A row replaced by a larger one gets new room; its old
// room stays unused until the store is cleared, so a row's address changes only when
// that row is replaced.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

class TRowStore {
 public:
  // Returns `bytes` of memory from malloc, or null when there is none.
  using TAllocator = std::function<void*(size_t bytes)>;

  explicit TRowStore(TAllocator allocate, size_t index_step = 1000);
  ~TRowStore();
  TRowStore(const TRowStore&) = delete;
  TRowStore& operator=(const TRowStore&) = delete;

  int Count() const { return count_; }
  // Room of `size` bytes for row `index`: a new last row when `index` is Count(), else
  // the row's own room when it is large enough (`old_size` tells), or new room. Null,
  // with nothing changed, when the allocator has no memory.
  char* Place(int index, size_t size, size_t old_size = 0);
  // Makes room for one more row in the index, so that a Place at Count() then needs only
  // row room; false when the allocator has no memory.
  bool ReserveIndex();
  char* Row(int index) const {
    return index_[static_cast<size_t>(index) / static_cast<size_t>(step_)].get()[index % step_];
  }
  // Frees every block: the store is as new.
  void Clear();

  // Memory held: blocks and index.
  size_t Bytes() const { return bytes_; }
  int BlockCount() const { return static_cast<int>(blocks_.size()); }

 private:
  struct TFree {
    void operator()(void* block) const;
  };
  using TBlock = std::unique_ptr<char, TFree>;
  char* Allocate(size_t size);

  TAllocator allocate_;
  int step_;
  int count_ = 0;
  std::vector<TBlock> blocks_;
  std::vector<std::unique_ptr<char*, TFree>> index_;
  char* free_ = nullptr;
  size_t free_bytes_ = 0;
  size_t next_block_ = 0;
  size_t bytes_ = 0;
};
