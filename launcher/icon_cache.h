// Icons kept for the life of the launcher, keyed by what decides them and
// checked against a stamp (the target's last-write time), so that a changed
// file gets its new icon. Bounded: the icon used longest ago goes first. An
// icon is shared with the menu entries that show it, so one that is evicted
// while a menu shows it lives until that menu closes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace vorlane::launcher {

template <typename Icon>
class IconCache {
 public:
  using IconPtr = std::shared_ptr<Icon>;

  explicit IconCache(std::size_t capacity) : capacity_(capacity) {}

  // The icon stored under `key` with this stamp (which may be "no icon");
  // nothing when it was never stored or its stamp changed since.
  std::optional<IconPtr> Find(const std::string& key, std::uint64_t stamp) {
    auto found = index_.find(key);
    if (found == index_.end()) return std::nullopt;
    if (found->second->stamp != stamp) {
      order_.erase(found->second);
      index_.erase(found);
      return std::nullopt;
    }
    order_.splice(order_.begin(), order_, found->second);
    return found->second->icon;
  }

  // The icon stored under `key` whatever its stamp, to show at once while
  // the stamp is checked later; nothing when it was never stored.
  std::optional<IconPtr> Peek(const std::string& key) const {
    auto found = index_.find(key);
    if (found == index_.end()) return std::nullopt;
    return found->second->icon;
  }

  // The stamp the icon under `key` was stored with.
  std::optional<std::uint64_t> StampOf(const std::string& key) const {
    auto found = index_.find(key);
    if (found == index_.end()) return std::nullopt;
    return found->second->stamp;
  }

  void Store(const std::string& key, std::uint64_t stamp, IconPtr icon) {
    if (capacity_ == 0) return;
    auto found = index_.find(key);
    if (found != index_.end()) {
      order_.erase(found->second);
      index_.erase(found);
    }
    order_.push_front(Slot{key, stamp, std::move(icon)});
    index_[key] = order_.begin();
    while (order_.size() > capacity_) {
      index_.erase(order_.back().key);
      order_.pop_back();
    }
  }

  void Clear() {
    index_.clear();
    order_.clear();
  }

  std::size_t Size() const { return order_.size(); }

 private:
  struct Slot {
    std::string key;
    std::uint64_t stamp;
    IconPtr icon;
  };

  std::size_t capacity_;
  std::list<Slot> order_;  // most recently used first
  std::unordered_map<std::string, typename std::list<Slot>::iterator> index_;
};

}  // namespace vorlane::launcher
