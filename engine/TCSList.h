#pragma once
// A list guarded by its own lock, taken only for one add or remove at a time.

#include <deque>
#include <mutex>
#include <optional>
#include <vector>

template <typename T>
class TCSList {
 public:
  void Add(T item) {
    std::lock_guard lock(mutex_);
    items_.push_back(std::move(item));
  }
  std::optional<T> TakeFirst() {
    std::lock_guard lock(mutex_);
    if (items_.empty()) return std::nullopt;
    T item = std::move(items_.front());
    items_.pop_front();
    return item;
  }
  template <typename Pred>
  bool RemoveIf(Pred pred) {
    std::lock_guard lock(mutex_);
    const auto before = items_.size();
    std::erase_if(items_, pred);
    return items_.size() != before;
  }
  // Position of the first item equal to `item`, or -1.
  int IndexOf(const T& item) const {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (items_[i] == item) return static_cast<int>(i);
    return -1;
  }
  std::vector<T> Snapshot() const {
    std::lock_guard lock(mutex_);
    return {items_.begin(), items_.end()};
  }
  std::size_t Count() const {
    std::lock_guard lock(mutex_);
    return items_.size();
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    items_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::deque<T> items_;
};
