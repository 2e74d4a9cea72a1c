#include "data/collection.h"

#include "data/dispatch.h"
#include "data/error.h"

namespace zv {

std::optional<size_t> Collection::FindKey(std::string_view key) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (!items_[i].key.empty() && NameEquals(items_[i].key, key)) return i;
  return std::nullopt;
}

void Collection::Add(Variant item, std::string key) {
  if (!key.empty() && FindKey(key)) Raise(457, "This key is already associated with an element of this collection", "ZURE_VESTARO");
  items_.push_back({std::move(key), std::move(item)});
}

const Variant& Collection::Item(int32_t index) const {
  if (index < 1 || index > Count()) Raise(err::kSubscriptOutOfRange);
  return items_[static_cast<size_t>(index - 1)].value;
}

const Variant& Collection::Item(std::string_view key) const {
  auto i = FindKey(key);
  if (!i) Raise(err::kInvalidProcedureCall);
  return items_[*i].value;
}

void Collection::Remove(int32_t index) {
  if (index < 1 || index > Count()) Raise(err::kSubscriptOutOfRange);
  items_.erase(items_.begin() + (index - 1));
}

}  // namespace zv
