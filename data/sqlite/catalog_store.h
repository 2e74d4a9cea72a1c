// The catalogue of the embedded engine, kept in tables of the database so
// that every connection to the same file sees the same types and routines:
//
//   main.zv_columns(tbl, ord, col, tsql_type, length, prec, scale, nullable)
//     the T-SQL type of every column of every permanent table;
//   temp.zv_columns (same shape) for this connection's '#' tables;
//   main.zv_routines(name, kind, definition)
//     procedures ('P'), table-valued functions ('IF', 'TF'), scalar ('FN');
//   main.zv_params(routine, ord, name, tsql_type, length, prec, scale,
//                  output, has_default, default_text)
//     their parameters in order;
//   main.zv_meta(key, value)
//     'catalog_version', bumped by every change of the main catalogue.
//
// The store only records: the caller runs the SQLite DDL itself and then
// tells the store what the T-SQL statement declared. Writes join the
// transaction in progress, so a rolled-back CREATE TABLE also leaves the
// catalogue as it was.
#ifndef ZV_DATA_SQLITE_CATALOG_STORE_H_
#define ZV_DATA_SQLITE_CATALOG_STORE_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "data/tsql/catalog.h"

namespace zv::sqlite {

class Database;

// A T-SQL object name reduced to what the engine stores: brackets and
// quotes removed, "dbo." / "tempdb.." / "tempdb.dbo." prefixes dropped.
// "#X" and "##X" are temporary.
struct ObjectName {
  std::string name;
  bool temporary = false;
};
ObjectName NormalizeObjectName(std::string_view name);

class CatalogStore : public tsql::Catalog {
 public:
  // Creates the catalogue tables when missing. Throws DatabaseError.
  explicit CatalogStore(Database& db);

  // The table with its columns in order, or nullopt when the catalogue
  // does not know it or the table no longer exists. A '#' name is looked
  // up among this connection's temporary tables.
  std::optional<tsql::TableDef> FindTable(std::string_view name) override;
  std::optional<tsql::RoutineDef> FindRoutine(std::string_view name) override;

  // Records a created table (temporary when its name starts with '#'),
  // replacing what was recorded under that name.
  void RecordCreateTable(const tsql::TableDef& table);
  // Records columns added by ALTER TABLE ... ADD, after the existing ones.
  void RecordAddColumns(std::string_view table,
                        std::span<const tsql::ColumnDef> columns);
  void RecordDropTable(std::string_view table);
  // Records a routine (CREATE or ALTER), replacing one of the same name.
  void RecordRoutine(const tsql::RoutineDef& routine);
  void RecordDropRoutine(std::string_view name);

  // Changes whenever the catalogue seen by this connection changes: its own
  // recordings, any schema change (also DDL that was not recorded), and
  // main-catalogue changes committed by other connections. Reading it costs
  // three PRAGMAs when nothing changed.
  uint64_t version();
  // Forgets what was read, after a rollback may have undone recordings.
  void Invalidate() { ++generation_; }

 private:
  void Changed(bool temporary);
  void Bump();
  void Refresh();
  int64_t Pragma(const char* sql);

  Database& db_;
  uint64_t generation_ = 1;
  int64_t seen_data_version_ = -1;
  int64_t seen_main_schema_ = -1;
  int64_t seen_temp_schema_ = -1;
  int64_t seen_stored_version_ = -1;
  uint64_t cache_generation_ = 0;
  std::unordered_map<std::string, std::optional<tsql::TableDef>> tables_;
  std::unordered_map<std::string, std::optional<tsql::RoutineDef>> routines_;
};

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_CATALOG_STORE_H_
