#include "data/tsql/translation_cache.h"

#include "data/tsql/types.h"

namespace zv::tsql {

TranslationCache::TranslationCache(VersionOf version_of, size_t capacity)
    : version_of_(std::move(version_of)), capacity_(capacity == 0 ? 1 : capacity) {}

std::string TranslationCache::Key(std::string_view text, const TranslationContext& context) {
  std::string key(text);
  key.push_back('\0');
  for (const auto& [name, type] : context.variables) {
    key += name + ":" + TypeToString(type) + ";";
  }
  for (const auto& [name, def] : context.table_variables) {
    key += name + "=" + def.name + "(";
    for (const auto& c : def.columns) key += c.name + " " + TypeToString(c.type) + ",";
    key += ");";
  }
  return key;
}

std::shared_ptr<const Translation> TranslationCache::Find(const std::string& key) {
  auto it = entries_.find(key);
  if (it == entries_.end()) return nullptr;
  for (const auto& [name, version] : it->second.versions) {
    if (version_of_(name) != version) {
      lru_.erase(it->second.lru);
      entries_.erase(it);
      return nullptr;
    }
  }
  lru_.splice(lru_.begin(), lru_, it->second.lru);
  return it->second.translation;
}

void TranslationCache::Store(const std::string& key,
                             std::shared_ptr<const Translation> translation) {
  if (auto it = entries_.find(key); it != entries_.end()) {
    lru_.erase(it->second.lru);
    entries_.erase(it);
  }
  Entry e;
  for (const auto& name : translation->dependencies) e.versions.emplace_back(name, version_of_(name));
  e.translation = std::move(translation);
  lru_.push_front(key);
  e.lru = lru_.begin();
  entries_.emplace(key, std::move(e));
  while (entries_.size() > capacity_) {
    entries_.erase(lru_.back());
    lru_.pop_back();
  }
}

void TranslationCache::Clear() {
  entries_.clear();
  lru_.clear();
}

}  // namespace zv::tsql
