// A catalogue held in memory: tables and routines added by hand or by
// applying the catalogue changes a translation reports. Used by the tests
// and as a per-connection cache in front of the catalogue tables.
#ifndef ZV_DATA_TSQL_MEMORY_CATALOG_H_
#define ZV_DATA_TSQL_MEMORY_CATALOG_H_

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "data/tsql/catalog.h"
#include "data/tsql/emitter.h"

namespace zv::tsql {

class MemoryCatalog : public Catalog {
 public:
  std::optional<TableDef> FindTable(std::string_view name) override;
  std::optional<RoutineDef> FindRoutine(std::string_view name) override;

  void AddTable(TableDef table);
  void AddRoutine(RoutineDef routine);
  void DropTable(std::string_view name);
  void DropRoutine(std::string_view name);
  // Records one change reported by Translate() (table variables excepted).
  void Apply(const CatalogChange& change);

  // Bumped whenever the object of that name changes; 0 for one never seen.
  uint64_t Version(std::string_view name) const;

 private:
  void Touch(std::string_view name);

  std::map<std::string, TableDef, LessIgnoreCase> tables_;
  std::map<std::string, RoutineDef, LessIgnoreCase> routines_;
  std::map<std::string, uint64_t, LessIgnoreCase> versions_;
  uint64_t clock_ = 0;
};

}  // namespace zv::tsql

#endif  // ZV_DATA_TSQL_MEMORY_CATALOG_H_
