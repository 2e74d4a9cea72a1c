// The platform's Collection: an ordered list of values, 1-based, with
// optional unique text keys (compared case-insensitively).
#ifndef ZV_DATA_COLLECTION_H_
#define ZV_DATA_COLLECTION_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/variant.h"

namespace zv {

class Collection {
 public:
  // Adds an item at the end; a key already present raises error 457.
  void Add(Variant item, std::string key = "");
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // 1-based; out of range raises error 9 (subscript out of range).
  const Variant& Item(int32_t index) const;
  // By key; an unknown key raises error 5.
  const Variant& Item(std::string_view key) const;
  // Removes by 1-based index.
  void Remove(int32_t index);
  void Clear() { items_.clear(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  struct Entry {
    std::string key;
    Variant value;
  };
  std::optional<size_t> FindKey(std::string_view key) const;
  std::vector<Entry> items_;
 public:
  // Iteration yields entries; value() accessors for readability.
  using const_iterator = std::vector<Entry>::const_iterator;
};

}  // namespace zv

#endif  // ZV_DATA_COLLECTION_H_
