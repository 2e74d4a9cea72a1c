// Translations cached by statement text. A translation depends only on its
// text, the types of the variables it reads and the catalogue entries it
// looked up (Translation::dependencies); an entry is reused only while every
// one of those entries still has the version it had when it was stored.
#ifndef ZV_DATA_TSQL_TRANSLATION_CACHE_H_
#define ZV_DATA_TSQL_TRANSLATION_CACHE_H_

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "data/tsql/emitter.h"

namespace zv::tsql {

class TranslationCache {
 public:
  // Version of a catalogue name: must change whenever the table, view or
  // routine of that name is created, altered or dropped.
  using VersionOf = std::function<uint64_t(std::string_view name)>;

  TranslationCache(VersionOf version_of, size_t capacity = 1024);

  // The key of a statement: its text plus the types of the variables in
  // scope (a different DECLARE gives a different translation).
  static std::string Key(std::string_view statement_text, const TranslationContext& context);

  // The cached translation for `key`, or null when there is none or one of
  // its dependencies changed since it was stored (the entry is then dropped).
  std::shared_ptr<const Translation> Find(const std::string& key);
  void Store(const std::string& key, std::shared_ptr<const Translation> translation);
  void Clear();
  size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    std::shared_ptr<const Translation> translation;
    std::vector<std::pair<std::string, uint64_t>> versions;
    std::list<std::string>::iterator lru;
  };
  VersionOf version_of_;
  size_t capacity_;
  std::unordered_map<std::string, Entry> entries_;
  std::list<std::string> lru_;  // most recently used first
};

}  // namespace zv::tsql

#endif  // ZV_DATA_TSQL_TRANSLATION_CACHE_H_
