#include "data/sqlite/table_functions.h"

#include <sqlite3.h>

#include "data/sqlite/batch_runner.h"
#include "data/sqlite/batch_runner_internal.h"
#include "data/sqlite/catalog_store.h"
#include "data/tsql/emitter.h"
#include "data/tsql/lexer.h"
#include "data/tsql/types.h"

namespace zv::sqlite {

struct TableFunctions::Shared {
  BatchRunner* runner = nullptr;  // null once the interpreter is gone
  std::optional<DbError> pending;
};

struct TableFunctions::Function {
  std::shared_ptr<Shared> shared;
  std::string name;
  std::string definition;
  std::vector<tsql::ResultColumn> columns;
  size_t params = 0;
};

namespace {

using Function = TableFunctions::Function;

struct VTab {
  sqlite3_vtab base{};
  Function* fn = nullptr;
};

struct Cursor {
  sqlite3_vtab_cursor base{};
  std::vector<Variant> args;
  std::vector<std::vector<Variant>> rows;
  size_t pos = 0;
};

std::string Schema(const Function& fn) {
  std::string sql = "CREATE TABLE x(";
  for (size_t i = 0; i < fn.columns.size(); ++i) {
    std::string type = tsql::SqliteColumnType(tsql::ConcreteType(fn.columns[i].type));
    sql += (i ? ", " : "") + QuoteSqliteName(fn.columns[i].name) +
           (type.empty() ? "" : " " + type);
  }
  for (size_t i = 0; i < fn.params; ++i) {
    sql += (fn.columns.empty() && i == 0 ? "" : ", ") + std::string("\"zv_arg") +
           std::to_string(i + 1) + "\" HIDDEN";
  }
  return sql + ")";
}

int Connect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out, char** err) {
  auto* fn = static_cast<Function*>(aux);
  int rc = sqlite3_declare_vtab(db, Schema(*fn).c_str());
  if (rc != SQLITE_OK) {
    *err = sqlite3_mprintf("%s", sqlite3_errmsg(db));
    return rc;
  }
  auto* tab = new (std::nothrow) VTab;
  if (tab == nullptr) return SQLITE_NOMEM;
  tab->fn = fn;
  *out = &tab->base;
  return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* tab) {
  delete reinterpret_cast<VTab*>(tab);
  return SQLITE_OK;
}

// Every argument must be known: an equality on each hidden column.
int BestIndex(sqlite3_vtab* tab, sqlite3_index_info* info) {
  const Function& fn = *reinterpret_cast<VTab*>(tab)->fn;
  int first = static_cast<int>(fn.columns.size());
  std::vector<int> which(fn.params, -1);
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& c = info->aConstraint[i];
    if (c.iColumn < first || c.op != SQLITE_INDEX_CONSTRAINT_EQ || !c.usable) continue;
    size_t k = static_cast<size_t>(c.iColumn - first);
    if (k < which.size()) which[k] = i;
  }
  for (size_t k = 0; k < which.size(); ++k) {
    if (which[k] < 0) return SQLITE_CONSTRAINT;
    info->aConstraintUsage[which[k]].argvIndex = static_cast<int>(k) + 1;
    info->aConstraintUsage[which[k]].omit = 1;
  }
  info->estimatedCost = 10;
  info->estimatedRows = 10;
  return SQLITE_OK;
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
  auto* c = new (std::nothrow) Cursor;
  if (c == nullptr) return SQLITE_NOMEM;
  *out = &c->base;
  return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cur) {
  delete reinterpret_cast<Cursor*>(cur);
  return SQLITE_OK;
}

Variant FromValue(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      return Variant(static_cast<int64_t>(sqlite3_value_int64(v)));
    case SQLITE_FLOAT:
      return Variant(sqlite3_value_double(v));
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
      const auto* p = static_cast<const char*>(sqlite3_value_blob(v));
      return Variant(std::string(p == nullptr ? "" : p, static_cast<size_t>(sqlite3_value_bytes(v))));
    }
    default:
      return Variant::Null();
  }
}

int Fail(sqlite3_vtab* tab, TableFunctions::Shared& shared, DbError error) {
  sqlite3_free(tab->zErrMsg);
  tab->zErrMsg = sqlite3_mprintf("%s", error.description.c_str());
  shared.pending = std::move(error);
  return SQLITE_ERROR;
}

int Filter(sqlite3_vtab_cursor* cur, int, const char*, int argc, sqlite3_value** argv) {
  auto* c = reinterpret_cast<Cursor*>(cur);
  sqlite3_vtab* tab = cur->pVtab;
  Function& fn = *reinterpret_cast<VTab*>(tab)->fn;
  TableFunctions::Shared& shared = *fn.shared;
  c->args.clear();
  c->rows.clear();
  c->pos = 0;
  for (int i = 0; i < argc; ++i) c->args.push_back(FromValue(argv[i]));
  if (shared.runner == nullptr) {
    return Fail(tab, shared, MakeDbError(0, "HY000", "The connection of function '" + fn.name +
                                                         "' is closed."));
  }
  try {
    std::optional<tsql::RoutineDef> routine =
        shared.runner->database().catalog().FindRoutine(fn.name);
    if (!routine) {
      return Fail(tab, shared, MakeDbError(208, "42S02", "Invalid object name '" + fn.name + "'."));
    }
    c->rows = shared.runner->RunTableFunction(*routine, c->args);
  } catch (const DatabaseError& e) {
    return Fail(tab, shared, e.error());
  } catch (const PlatformError& e) {
    return Fail(tab, shared, MakeDbError(0, "HY000", e.description()));
  } catch (const std::bad_alloc&) {
    return SQLITE_NOMEM;
  } catch (const std::exception& e) {
    return Fail(tab, shared, MakeDbError(0, "HY000", e.what()));
  }
  return SQLITE_OK;
}

int Next(sqlite3_vtab_cursor* cur) {
  ++reinterpret_cast<Cursor*>(cur)->pos;
  return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* cur) {
  auto* c = reinterpret_cast<Cursor*>(cur);
  return c->pos >= c->rows.size() ? 1 : 0;
}

void Result(sqlite3_context* ctx, const Variant& v) {
  switch (v.type()) {
    case VarType::kEmpty:
    case VarType::kNull:
      return sqlite3_result_null(ctx);
    case VarType::kDouble:
    case VarType::kSingle:
    case VarType::kDecimal:
      return sqlite3_result_double(ctx, v.ToDouble());
    case VarType::kString: {
      const std::string& s = v.StringRef();
      return sqlite3_result_text64(ctx, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    default:
      return sqlite3_result_int64(ctx, v.ToLongLong());
  }
}

int Column(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int i) {
  auto* c = reinterpret_cast<Cursor*>(cur);
  const Function& fn = *reinterpret_cast<VTab*>(cur->pVtab)->fn;
  size_t col = static_cast<size_t>(i);
  if (col < fn.columns.size()) {
    const std::vector<Variant>& row = c->rows[c->pos];
    Result(ctx, col < row.size() ? row[col] : Variant::Null());
  } else {
    size_t k = col - fn.columns.size();
    Result(ctx, k < c->args.size() ? c->args[k] : Variant::Null());
  }
  return SQLITE_OK;
}

int Rowid(sqlite3_vtab_cursor* cur, sqlite3_int64* rowid) {
  *rowid = static_cast<sqlite3_int64>(reinterpret_cast<Cursor*>(cur)->pos) + 1;
  return SQLITE_OK;
}

sqlite3_module MakeModule() {
  sqlite3_module m{};
  m.iVersion = 1;
  m.xCreate = nullptr;  // eponymous only: no CREATE VIRTUAL TABLE
  m.xConnect = Connect;
  m.xBestIndex = BestIndex;
  m.xDisconnect = Disconnect;
  m.xDestroy = Disconnect;
  m.xOpen = Open;
  m.xClose = Close;
  m.xFilter = Filter;
  m.xNext = Next;
  m.xEof = Eof;
  m.xColumn = Column;
  m.xRowid = Rowid;
  return m;
}

const sqlite3_module kModule = MakeModule();

bool SameColumns(const std::vector<tsql::ResultColumn>& a, const std::vector<tsql::ResultColumn>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!tsql::EqualsIgnoreCase(a[i].name, b[i].name) ||
        tsql::SqliteColumnType(tsql::ConcreteType(a[i].type)) !=
            tsql::SqliteColumnType(tsql::ConcreteType(b[i].type))) {
      return false;
    }
  }
  return true;
}

}  // namespace

TableFunctions::TableFunctions(BatchRunner& runner, Database& db)
    : runner_(runner), db_(db), shared_(std::make_shared<Shared>()) {
  shared_->runner = &runner;
}

TableFunctions::~TableFunctions() { shared_->runner = nullptr; }

void TableFunctions::Ensure(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    std::string key = runner_internal::FoldName(name);
    std::optional<tsql::RoutineDef> routine = db_.catalog().FindRoutine(name);
    if (!routine || (routine->kind != "IF" && routine->kind != "TF")) {
      throw DatabaseError(MakeDbError(208, "42S02", "Invalid object name '" + name + "'."));
    }
    auto it = registered_.find(key);
    if (it != registered_.end() && it->second->definition == routine->definition) continue;
    std::vector<tsql::ResultColumn> columns = runner_.TableFunctionColumns(*routine);
    if (it != registered_.end()) {
      // The virtual table keeps the columns it was declared with.
      if (!SameColumns(columns, it->second->columns) ||
          it->second->params != routine->params.size()) {
        throw DatabaseError(MakeDbError(
            0, "42000",
            "not supported: table-valued function '" + routine->name +
                "' changed its result columns or parameters after this connection used it"));
      }
      it->second->definition = routine->definition;
      continue;
    }
    auto fn = std::make_unique<Function>();
    fn->shared = shared_;
    fn->name = routine->name;
    fn->definition = routine->definition;
    fn->columns = std::move(columns);
    fn->params = routine->params.size();
    // SQLite owns the function from here, also when the call fails.
    Function* raw = fn.release();
    int rc = sqlite3_create_module_v2(db_.native_handle(), raw->name.c_str(), &kModule, raw,
                                      [](void* p) { delete static_cast<Function*>(p); });
    if (rc != SQLITE_OK) db_.ThrowLastError(rc, name);
    registered_[key] = raw;
  }
}

std::optional<DbError> TableFunctions::TakeError(std::string_view message) {
  std::optional<DbError> e = std::move(shared_->pending);
  shared_->pending.reset();
  if (e && e->description == message) return e;
  return std::nullopt;
}

}  // namespace zv::sqlite
