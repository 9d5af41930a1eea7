// A map of keys to values by open addressing, for look-ups once per input
// line: a table of a power of two slots, the slot found from a multiplied
// hash, so that a look-up costs no division (std::unordered_map's does).
// Keys are only ever added, never removed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace col {

template <class Key, class Value>
class OpenTable {
 public:
  // The value of `key`, whose hash is `hash`. For a new key make(key) gives
  // the key to keep (a view must last as long as the table) and its value,
  // as a pair.
  template <class Make>
  Value Get(const Key& key, std::uint64_t hash, Make make) {
    for (std::size_t i = Home(hash);; i = (i + 1) & (slots_.size() - 1)) {
      Slot& slot = slots_[i];
      if (!slot.used) {
        auto [kept, made] = make(key);
        slot = {true, hash, kept, made};
        Value value = slot.value;
        if (2 * ++count_ > slots_.size()) Grow();
        return value;
      }
      if (slot.hash == hash && slot.key == key) return slot.value;
    }
  }

 private:
  struct Slot {
    bool used = false;
    std::uint64_t hash = 0;
    Key key{};
    Value value{};
  };

  // The top bits of the hash times the golden ratio: every bit of the hash
  // counts, however few slots there are.
  std::size_t Home(std::uint64_t hash) const { return (hash * 0x9E3779B97F4A7C15u) >> shift_; }

  void Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    --shift_;
    for (const Slot& slot : old) {
      if (!slot.used) continue;
      std::size_t i = Home(slot.hash);
      while (slots_[i].used) i = (i + 1) & (slots_.size() - 1);
      slots_[i] = slot;
    }
  }

  std::vector<Slot> slots_ = std::vector<Slot>(16);
  int shift_ = 60;  // 64 less the bits of the table's size
  std::size_t count_ = 0;
};

}  // namespace col
