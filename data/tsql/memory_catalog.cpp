#include "data/tsql/memory_catalog.h"

namespace zv::tsql {
namespace {

// "dbo.T" and "T" name the same object.
std::string Key(std::string_view name) {
  std::string s(name);
  if (s.size() > 4 && (s.compare(0, 4, "dbo.") == 0 || s.compare(0, 4, "DBO.") == 0)) s = s.substr(4);
  return s;
}

}  // namespace

std::optional<TableDef> MemoryCatalog::FindTable(std::string_view name) {
  auto it = tables_.find(Key(name));
  if (it == tables_.end()) return std::nullopt;
  return it->second;
}

std::optional<RoutineDef> MemoryCatalog::FindRoutine(std::string_view name) {
  auto it = routines_.find(Key(name));
  if (it == routines_.end()) return std::nullopt;
  return it->second;
}

void MemoryCatalog::Touch(std::string_view name) { versions_[Key(name)] = ++clock_; }

void MemoryCatalog::AddTable(TableDef table) {
  Touch(table.name);
  std::string key = Key(table.name);
  tables_[key] = std::move(table);
}

void MemoryCatalog::AddRoutine(RoutineDef routine) {
  Touch(routine.name);
  std::string key = Key(routine.name);
  routines_[key] = std::move(routine);
}

void MemoryCatalog::DropTable(std::string_view name) {
  Touch(name);
  tables_.erase(Key(name));
}

void MemoryCatalog::DropRoutine(std::string_view name) {
  Touch(name);
  routines_.erase(Key(name));
}

void MemoryCatalog::Apply(const CatalogChange& change) {
  using Kind = CatalogChange::Kind;
  switch (change.kind) {
    case Kind::kCreateTable:
    case Kind::kAlterTable:
    case Kind::kCreateView: AddTable(change.table); break;
    case Kind::kDropTable:
    case Kind::kDropView: DropTable(change.name); break;
    case Kind::kCreateRoutine: AddRoutine(change.routine); break;
    case Kind::kDropRoutine: DropRoutine(change.name); break;
    case Kind::kDeclareTableVariable: break;
  }
}

uint64_t MemoryCatalog::Version(std::string_view name) const {
  auto it = versions_.find(Key(name));
  return it == versions_.end() ? 0 : it->second;
}

}  // namespace zv::tsql
