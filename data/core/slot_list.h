// Lists of dependants that keep slot indexes: a removal empties its slot, an addition
// fills the first empty one. A dependant keeps its index for its later removal.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

template <typename T>
int TakeSlot(std::vector<T*>& list, T* item) {
  auto empty = std::find(list.begin(), list.end(), nullptr);
  if (empty != list.end()) {
    *empty = item;
    return static_cast<int>(empty - list.begin());
  }
  list.push_back(item);
  return static_cast<int>(list.size()) - 1;
}

// The slot holding `item`, or -1.
template <typename T>
int FindSlot(const std::vector<T*>& list, const T* item) {
  if (!item) return -1;
  auto it = std::find(list.begin(), list.end(), item);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

// Tells each filled slot in order, by index, since a receiver may leave the list while
// it is told. Unless forced, the first exception stops the round; forced, it is dropped.
template <typename T, typename F>
void NotifySlots(const std::vector<T*>& list, bool force, F&& notice) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (!list[i]) continue;
    try {
      notice(list[i]);
    } catch (...) {
      if (!force) throw;
    }
  }
}
