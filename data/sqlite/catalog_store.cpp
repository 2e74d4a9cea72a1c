#include "data/sqlite/catalog_store.h"

#include "data/sqlite/database.h"
#include "data/text_compare.h"

namespace zv::sqlite {
namespace {

constexpr const char* kColumnsShape =
    "(tbl TEXT COLLATE TSQLCI, ord INTEGER, col TEXT COLLATE TSQLCI, "
    "tsql_type TEXT, length INTEGER, prec INTEGER, scale INTEGER, "
    "nullable INTEGER, PRIMARY KEY(tbl, ord))";

std::string Schema(bool temporary) { return temporary ? "temp" : "main"; }

void BindType(Statement& st, int first, const tsql::SqlType& type) {
  st.BindText(first, type.name);
  st.BindInt64(first + 1, type.length);
  st.BindInt64(first + 2, type.precision);
  st.BindInt64(first + 3, type.scale);
}

tsql::SqlType ReadType(const Statement& st, int first) {
  tsql::SqlType t;
  t.name = std::string(st.ColumnText(first));
  t.length = static_cast<int32_t>(st.ColumnInt64(first + 1));
  t.precision = static_cast<int>(st.ColumnInt64(first + 2));
  t.scale = static_cast<int>(st.ColumnInt64(first + 3));
  return t;
}

// Runs `body` inside a savepoint: all of it is recorded or none.
template <typename Body>
void Atomically(Database& db, Body&& body) {
  db.Savepoint("zv_catalog");
  try {
    body();
  } catch (...) {
    try {
      db.RollbackToSavepoint("zv_catalog");
      db.ReleaseSavepoint("zv_catalog");
    } catch (const std::exception&) {
      // The original failure is the one worth reporting.
    }
    throw;
  }
  db.ReleaseSavepoint("zv_catalog");
}

std::string CacheKey(const ObjectName& o) { return text::FoldText(o.name); }

}  // namespace

ObjectName NormalizeObjectName(std::string_view name) {
  // The last dot-separated part outside brackets and quotes is the name.
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '[') {
      quote = ']';
    } else if (c == '"') {
      quote = '"';
    } else if (c == '.') {
      start = i + 1;
    }
  }
  std::string_view part = name.substr(start);
  while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
  while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
  if (part.size() >= 2 && ((part.front() == '[' && part.back() == ']') ||
                           (part.front() == '"' && part.back() == '"'))) {
    part = part.substr(1, part.size() - 2);
  }
  ObjectName out;
  out.name = std::string(part);
  out.temporary = !out.name.empty() && out.name.front() == '#';
  return out;
}

CatalogStore::CatalogStore(Database& db) : db_(db) {
  db_.Execute(std::string("CREATE TABLE IF NOT EXISTS main.zv_columns") + kColumnsShape +
              ";"
              "CREATE TABLE IF NOT EXISTS main.zv_routines("
              "name TEXT COLLATE TSQLCI PRIMARY KEY, kind TEXT, definition TEXT);"
              "CREATE TABLE IF NOT EXISTS main.zv_params("
              "routine TEXT COLLATE TSQLCI, ord INTEGER, name TEXT COLLATE TSQLCI, "
              "tsql_type TEXT, length INTEGER, prec INTEGER, scale INTEGER, "
              "output INTEGER, has_default INTEGER, default_text TEXT, "
              "PRIMARY KEY(routine, ord));"
              "CREATE TABLE IF NOT EXISTS main.zv_meta(key TEXT PRIMARY KEY, value INTEGER);"
              "INSERT OR IGNORE INTO main.zv_meta VALUES('catalog_version', 0);"
              "CREATE TABLE IF NOT EXISTS temp.zv_columns" +
              kColumnsShape + ";");
}

int64_t CatalogStore::Pragma(const char* sql) {
  Statement st = db_.Prepare(sql);
  return st.Step() ? st.ColumnInt64(0) : 0;
}

void CatalogStore::Refresh() {
  // DDL run without being recorded (a table dropped directly) changes the
  // schema cookies; so does our own recorded DDL, harmlessly.
  int64_t main_schema = Pragma("PRAGMA main.schema_version");
  int64_t temp_schema = Pragma("PRAGMA temp.schema_version");
  if (main_schema != seen_main_schema_ || temp_schema != seen_temp_schema_) {
    seen_main_schema_ = main_schema;
    seen_temp_schema_ = temp_schema;
    ++generation_;
  }
  // Commits of other connections change data_version; the stored counter
  // tells whether one of them changed the catalogue.
  int64_t data_version = Pragma("PRAGMA main.data_version");
  if (data_version != seen_data_version_) {
    seen_data_version_ = data_version;
    int64_t stored = Pragma("SELECT value FROM main.zv_meta WHERE key = 'catalog_version'");
    if (stored != seen_stored_version_) {
      if (seen_stored_version_ != -1) ++generation_;
      seen_stored_version_ = stored;
    }
  }
  if (cache_generation_ != generation_) {
    tables_.clear();
    routines_.clear();
    cache_generation_ = generation_;
  }
}

uint64_t CatalogStore::version() {
  Refresh();
  return generation_;
}

void CatalogStore::Changed(bool temporary) {
  if (!temporary) Bump();
  ++generation_;
}

void CatalogStore::Bump() {
  db_.Prepare("UPDATE main.zv_meta SET value = value + 1 WHERE key = 'catalog_version'")
      .Run();
}

std::optional<tsql::TableDef> CatalogStore::FindTable(std::string_view name) {
  Refresh();
  ObjectName o = NormalizeObjectName(name);
  std::string key = CacheKey(o);
  if (auto it = tables_.find(key); it != tables_.end()) return it->second;
  std::optional<tsql::TableDef> result;
  std::string schema = Schema(o.temporary);
  Statement exists = db_.Prepare("SELECT 1 FROM " + schema +
                                 ".sqlite_master WHERE type IN ('table', 'view') AND "
                                 "name = ?1 COLLATE NOCASE");
  exists.BindText(1, o.name);
  if (exists.Step()) {
    Statement st = db_.Prepare("SELECT tbl, col, tsql_type, length, prec, scale, nullable "
                               "FROM " + schema + ".zv_columns WHERE tbl = ?1 ORDER BY ord");
    st.BindText(1, o.name);
    while (st.Step()) {
      if (!result) {
        result.emplace();
        result->name = std::string(st.ColumnText(0));
        result->temporary = o.temporary;
      }
      tsql::ColumnDef c;
      c.name = std::string(st.ColumnText(1));
      c.type = ReadType(st, 2);
      c.nullable = st.ColumnInt64(6) != 0;
      result->columns.push_back(std::move(c));
    }
  }
  tables_.emplace(std::move(key), result);
  return result;
}

std::optional<tsql::RoutineDef> CatalogStore::FindRoutine(std::string_view name) {
  Refresh();
  ObjectName o = NormalizeObjectName(name);
  std::string key = CacheKey(o);
  if (auto it = routines_.find(key); it != routines_.end()) return it->second;
  std::optional<tsql::RoutineDef> result;
  Statement st =
      db_.Prepare("SELECT name, kind, definition FROM main.zv_routines WHERE name = ?1");
  st.BindText(1, o.name);
  if (st.Step()) {
    result.emplace();
    result->name = std::string(st.ColumnText(0));
    result->kind = std::string(st.ColumnText(1));
    result->definition = std::string(st.ColumnText(2));
    Statement ps = db_.Prepare(
        "SELECT name, tsql_type, length, prec, scale, output, has_default, default_text "
        "FROM main.zv_params WHERE routine = ?1 ORDER BY ord");
    ps.BindText(1, o.name);
    while (ps.Step()) {
      tsql::ParamDef p;
      p.name = std::string(ps.ColumnText(0));
      p.type = ReadType(ps, 1);
      p.output = ps.ColumnInt64(5) != 0;
      p.has_default = ps.ColumnInt64(6) != 0;
      p.default_text = std::string(ps.ColumnText(7));
      result->params.push_back(std::move(p));
    }
  }
  routines_.emplace(std::move(key), result);
  return result;
}

void CatalogStore::RecordCreateTable(const tsql::TableDef& table) {
  ObjectName o = NormalizeObjectName(table.name);
  std::string schema = Schema(o.temporary);
  Atomically(db_, [&] {
    Statement del = db_.Prepare("DELETE FROM " + schema + ".zv_columns WHERE tbl = ?1");
    del.BindText(1, o.name);
    del.Run();
    Statement ins =
        db_.Prepare("INSERT INTO " + schema + ".zv_columns VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    int ord = 0;
    for (const tsql::ColumnDef& c : table.columns) {
      ins.Reset();
      ins.BindText(1, o.name);
      ins.BindInt64(2, ++ord);
      ins.BindText(3, c.name);
      BindType(ins, 4, c.type);
      ins.BindInt64(8, c.nullable ? 1 : 0);
      ins.Run();
    }
    Changed(o.temporary);
  });
}

void CatalogStore::RecordAddColumns(std::string_view table,
                                    std::span<const tsql::ColumnDef> columns) {
  ObjectName o = NormalizeObjectName(table);
  std::string schema = Schema(o.temporary);
  Atomically(db_, [&] {
    Statement last = db_.Prepare("SELECT COALESCE(MAX(ord), 0), MIN(tbl) FROM " + schema +
                                 ".zv_columns WHERE tbl = ?1");
    last.BindText(1, o.name);
    last.Step();
    int64_t ord = last.ColumnInt64(0);
    // Keep the name as the table was created.
    std::string stored = last.ColumnKind(1) == ValueKind::kText
                             ? std::string(last.ColumnText(1))
                             : o.name;
    Statement ins =
        db_.Prepare("INSERT INTO " + schema + ".zv_columns VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    for (const tsql::ColumnDef& c : columns) {
      ins.Reset();
      ins.BindText(1, stored);
      ins.BindInt64(2, ++ord);
      ins.BindText(3, c.name);
      BindType(ins, 4, c.type);
      ins.BindInt64(8, c.nullable ? 1 : 0);
      ins.Run();
    }
    Changed(o.temporary);
  });
}

void CatalogStore::RecordDropTable(std::string_view table) {
  ObjectName o = NormalizeObjectName(table);
  Statement del =
      db_.Prepare("DELETE FROM " + Schema(o.temporary) + ".zv_columns WHERE tbl = ?1");
  del.BindText(1, o.name);
  Atomically(db_, [&] {
    del.Run();
    Changed(o.temporary);
  });
}

void CatalogStore::RecordRoutine(const tsql::RoutineDef& routine) {
  ObjectName o = NormalizeObjectName(routine.name);
  Atomically(db_, [&] {
    Statement del = db_.Prepare("DELETE FROM main.zv_params WHERE routine = ?1");
    del.BindText(1, o.name);
    del.Run();
    Statement r = db_.Prepare("INSERT OR REPLACE INTO main.zv_routines VALUES(?1, ?2, ?3)");
    r.BindText(1, o.name);
    r.BindText(2, routine.kind);
    r.BindText(3, routine.definition);
    r.Run();
    Statement ins = db_.Prepare(
        "INSERT INTO main.zv_params VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    int ord = 0;
    for (const tsql::ParamDef& p : routine.params) {
      ins.Reset();
      ins.BindText(1, o.name);
      ins.BindInt64(2, ++ord);
      ins.BindText(3, p.name);
      BindType(ins, 4, p.type);
      ins.BindInt64(8, p.output ? 1 : 0);
      ins.BindInt64(9, p.has_default ? 1 : 0);
      ins.BindText(10, p.default_text);
      ins.Run();
    }
    Changed(false);
  });
}

void CatalogStore::RecordDropRoutine(std::string_view name) {
  ObjectName o = NormalizeObjectName(name);
  Atomically(db_, [&] {
    for (const char* sql : {"DELETE FROM main.zv_params WHERE routine = ?1",
                            "DELETE FROM main.zv_routines WHERE name = ?1"}) {
      Statement st = db_.Prepare(sql);
      st.BindText(1, o.name);
      st.Run();
    }
    Changed(false);
  });
}

}  // namespace zv::sqlite
