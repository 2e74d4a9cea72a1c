#include "data/sqlite/database.h"

#include <sqlite3.h>

#include <algorithm>
#include <vector>

#include "data/sqlite/catalog_store.h"
#include "data/sqlite/function_support.h"
#include "data/sqlite/sql_error.h"
#include "data/sqlite/tsql_dates.h"

namespace zv::sqlite {

DatabaseError::DatabaseError(DbError error)
    : PlatformError(error.number, error.description, error.source),
      error_(std::move(error)) {}

DbError MakeDbError(int32_t native_error, std::string sql_state,
                    std::string description) {
  DbError e;
  e.number = sql_state == "23000" ? err::kAdoIntegrityViolation : err::kAdoCommandError;
  e.description = std::move(description);
  e.source = "ZURE_VESTARO embedded SQL";
  e.sql_state = std::move(sql_state);
  e.native_error = native_error;
  return e;
}

// --- Statement ---------------------------------------------------------------

struct Statement::Entry {
  sqlite3_stmt* stmt = nullptr;
  bool in_use = false;
  uint64_t last_use = 0;
  ~Entry() { sqlite3_finalize(stmt); }
};

Statement::Statement(Database* db, Entry* entry, std::unique_ptr<Entry> owned)
    : db_(db), entry_(entry), owned_(std::move(owned)) {}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), entry_(other.entry_), owned_(std::move(other.owned_)) {
  other.entry_ = nullptr;
}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    Release();
    db_ = other.db_;
    entry_ = other.entry_;
    owned_ = std::move(other.owned_);
    other.entry_ = nullptr;
  }
  return *this;
}

Statement::~Statement() { Release(); }

void Statement::Release() {
  if (entry_ == nullptr) return;
  sqlite3_reset(entry_->stmt);
  sqlite3_clear_bindings(entry_->stmt);
  if (owned_) {
    owned_.reset();
  } else {
    entry_->in_use = false;
  }
  entry_ = nullptr;
}

int Statement::ParameterCount() const {
  return sqlite3_bind_parameter_count(entry_->stmt);
}

int Statement::ParameterIndex(std::string_view name) const {
  return sqlite3_bind_parameter_index(entry_->stmt, std::string(name).c_str());
}

namespace {

void CheckBind(Database* db, int rc, sqlite3_stmt* stmt) {
  if (rc != SQLITE_OK) db->ThrowLastError(rc, sqlite3_sql(stmt));
}

}  // namespace

void Statement::Bind(int index, const Variant& value) {
  switch (value.type()) {
    case VarType::kEmpty:
    case VarType::kNull:
      return BindNull(index);
    case VarType::kBoolean:
      return BindInt64(index, value.ToBool() ? 1 : 0);
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kLongLong:
    case VarType::kByte:
      return BindInt64(index, value.ToLongLong());
    case VarType::kSingle:
    case VarType::kDouble:
      return BindDouble(index, value.ToDouble());
    case VarType::kDecimal:
      return BindDouble(index, value.ToDecimal().ToDouble());
    case VarType::kDate:
      return BindText(index, FormatStoredDate(RoundToTick(FromDateValue(value.ToDate()))));
    case VarType::kString:
      return BindText(index, value.StringRef());
    default:
      Raise(err::kTypeMismatch);
  }
}

void Statement::BindNull(int index) {
  CheckBind(db_, sqlite3_bind_null(entry_->stmt, index), entry_->stmt);
}

void Statement::BindInt64(int index, int64_t value) {
  CheckBind(db_, sqlite3_bind_int64(entry_->stmt, index, value), entry_->stmt);
}

void Statement::BindDouble(int index, double value) {
  CheckBind(db_, sqlite3_bind_double(entry_->stmt, index, value), entry_->stmt);
}

void Statement::BindStaticText(int index, std::string_view text) {
  CheckBind(db_,
            sqlite3_bind_text64(entry_->stmt, index, text.data(), text.size(),
                                SQLITE_STATIC, SQLITE_UTF8),
            entry_->stmt);
}

void Statement::BindText(int index, std::string_view text) {
  CheckBind(db_,
            sqlite3_bind_text64(entry_->stmt, index, text.data(), text.size(),
                                SQLITE_TRANSIENT, SQLITE_UTF8),
            entry_->stmt);
}

void Statement::BindBlob(int index, std::string_view bytes) {
  CheckBind(db_,
            sqlite3_bind_blob64(entry_->stmt, index, bytes.data(), bytes.size(),
                                SQLITE_TRANSIENT),
            entry_->stmt);
}

void Statement::ClearBindings() { sqlite3_clear_bindings(entry_->stmt); }

bool Statement::Step() {
  db_->session_->error.set = false;
  int rc = sqlite3_step(entry_->stmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  db_->ThrowLastError(rc, sqlite3_sql(entry_->stmt));
}

void Statement::Run() {
  while (Step()) {
  }
}

void Statement::Reset() { sqlite3_reset(entry_->stmt); }

int Statement::ColumnCount() const { return sqlite3_column_count(entry_->stmt); }

std::string Statement::ColumnName(int column) const {
  const char* name = sqlite3_column_name(entry_->stmt, column);
  return name != nullptr ? name : "";
}

ValueKind Statement::ColumnKind(int column) const {
  switch (sqlite3_column_type(entry_->stmt, column)) {
    case SQLITE_INTEGER:
      return ValueKind::kInteger;
    case SQLITE_FLOAT:
      return ValueKind::kReal;
    case SQLITE_TEXT:
      return ValueKind::kText;
    case SQLITE_BLOB:
      return ValueKind::kBlob;
    default:
      return ValueKind::kNull;
  }
}

int64_t Statement::ColumnInt64(int column) const {
  return sqlite3_column_int64(entry_->stmt, column);
}

double Statement::ColumnDouble(int column) const {
  return sqlite3_column_double(entry_->stmt, column);
}

std::string_view Statement::ColumnText(int column) const {
  const unsigned char* p = sqlite3_column_text(entry_->stmt, column);
  if (p == nullptr) return {};
  return std::string_view(reinterpret_cast<const char*>(p),
                          static_cast<size_t>(sqlite3_column_bytes(entry_->stmt, column)));
}

std::string_view Statement::ColumnBlob(int column) const {
  const void* p = sqlite3_column_blob(entry_->stmt, column);
  if (p == nullptr) return {};
  return std::string_view(static_cast<const char*>(p),
                          static_cast<size_t>(sqlite3_column_bytes(entry_->stmt, column)));
}

Variant Statement::ColumnRaw(int column) const {
  switch (ColumnKind(column)) {
    case ValueKind::kInteger:
      return Variant(ColumnInt64(column));
    case ValueKind::kReal:
      return Variant(ColumnDouble(column));
    case ValueKind::kText:
      return Variant(ColumnText(column));
    case ValueKind::kBlob:
      return Variant(ColumnBlob(column));
    default:
      return Variant::Null();
  }
}

std::optional<ColumnOrigin> Statement::Origin(int column) const {
  const char* db = sqlite3_column_database_name(entry_->stmt, column);
  const char* table = sqlite3_column_table_name(entry_->stmt, column);
  const char* name = sqlite3_column_origin_name(entry_->stmt, column);
  if (db == nullptr || table == nullptr || name == nullptr) return std::nullopt;
  return ColumnOrigin{db, table, name};
}

bool Statement::ReadOnly() const { return sqlite3_stmt_readonly(entry_->stmt) != 0; }

std::string_view Statement::Sql() const {
  const char* sql = sqlite3_sql(entry_->stmt);
  return sql != nullptr ? std::string_view(sql) : std::string_view();
}

// --- Database ------------------------------------------------------------------

Database::Database(std::string path)
    : path_(std::move(path)), session_(std::make_unique<Session>()) {}

std::shared_ptr<Database> Database::Open(const std::string& path) {
  std::shared_ptr<Database> db(new Database(path));
  db->Initialize();
  return db;
}

void Database::Initialize() {
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  int rc = sqlite3_open_v2(path_.c_str(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close_v2(db_);
    db_ = nullptr;
    last_error_ = MakeDbError(0, "08001",
                              "Cannot open database '" + path_ + "': " + message);
    throw DatabaseError(last_error_);
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, 5000);
  Register();
}

std::shared_ptr<Database> Database::Adopt(sqlite3* handle) {
  std::shared_ptr<Database> db(new Database(sqlite3_db_filename(handle, "main") != nullptr
                                                ? sqlite3_db_filename(handle, "main")
                                                : ""));
  db->db_ = handle;
  db->owns_handle_ = false;
  db->Register();
  return db;
}

void Database::Register() {
  RegisterCollation(db_);
  RegisterTextFunctions(db_, session_.get());
  RegisterNumberFunctions(db_, session_.get());
  RegisterDateFunctions(db_, session_.get());
  RegisterAggregateFunctions(db_, session_.get());
  catalog_ = std::make_unique<CatalogStore>(*this);
  // A rollback, asked for or automatic, may undo catalogue recordings.
  sqlite3_rollback_hook(
      db_,
      [](void* self) {
        auto* db = static_cast<Database*>(self);
        if (db->catalog_) db->catalog_->Invalidate();
      },
      this);
}

Database::~Database() {
  if (db_ == nullptr) return;
  if (!owns_handle_) {
    // The owner is closing the handle (or will): nothing is run on it.
    catalog_.reset();
    return;
  }
  try {
    FlushPendingWrites();
  } catch (const std::exception&) {
    // Closing rolls back what could not be committed.
  }
  catalog_.reset();
  kept_.clear();
  cache_.clear();
  sqlite3_close_v2(db_);
}

void Database::ThrowLastError(int rc, std::string_view sql) {
  int extended = sqlite3_extended_errcode(db_);
  if ((extended & 0xFF) != (rc & 0xFF)) extended = rc;
  const char* message = sqlite3_errmsg(db_);
  FunctionError& f = session_->error;
  if (f.set && f.message == message) {
    last_error_ = MakeDbError(f.native_error, f.sql_state, f.message);
  } else {
    last_error_ = TranslateSqliteError(extended, message, sql);
  }
  f.set = false;
  throw DatabaseError(last_error_);
}

void Database::Fail(DbError error) {
  last_error_ = std::move(error);
  throw DatabaseError(last_error_);
}

void Database::Execute(std::string_view sql) {
  FlushPendingWrites();
  const char* p = sql.data();
  const char* end = sql.data() + sql.size();
  while (p < end) {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db_, p, static_cast<int>(end - p), &stmt, &tail);
    if (rc != SQLITE_OK) ThrowLastError(rc, std::string_view(p, end - p));
    if (stmt == nullptr) break;  // only blanks or comments were left
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(stmt, sqlite3_finalize);
    session_->error.set = false;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) ThrowLastError(rc, std::string_view(p, tail - p));
    p = tail;
  }
}

Statement Database::Prepare(std::string_view sql) {
  FlushPendingWrites();
  return PrepareCached(sql);
}

Statement Database::PrepareForBulk(std::string_view sql) { return PrepareCached(sql); }

Statement Database::PrepareCached(std::string_view sql) {
  auto it = cache_.find(sql);
  if (it != cache_.end() && !it->second->in_use) {
    Statement::Entry* e = it->second.get();
    e->in_use = true;
    e->last_use = ++use_clock_;
    return Statement(this, e, nullptr);
  }
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                              SQLITE_PREPARE_PERSISTENT, &stmt, &tail);
  if (rc != SQLITE_OK) ThrowLastError(rc, sql);
  auto entry = std::make_unique<Statement::Entry>();
  entry->stmt = stmt;
  if (stmt == nullptr) {
    throw PlatformError(err::kAdoInvalidArgument, "The statement text is empty.");
  }
  // Anything but blanks and comments after the statement is a second one.
  const char* end = sql.data() + sql.size();
  if (tail != nullptr && tail < end) {
    sqlite3_stmt* next = nullptr;
    sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), &next, nullptr);
    bool more = next != nullptr;
    sqlite3_finalize(next);
    if (more) {
      throw PlatformError(err::kAdoInvalidArgument,
                          "Only one statement can be prepared at a time.");
    }
  }
  entry->in_use = true;
  entry->last_use = ++use_clock_;
  if (it != cache_.end() || !owns_handle_) {
    // The cached statement is running (a nested use), or statements are not
    // kept on an adopted connection: this one is private.
    Statement::Entry* e = entry.get();
    return Statement(this, e, std::move(entry));
  }
  Statement::Entry* e = entry.get();
  cache_.emplace(std::string(sql), std::move(entry));
  EvictIfNeeded();
  return Statement(this, e, nullptr);
}

void Database::EvictIfNeeded() {
  if (cache_.size() <= kStatementCacheCapacity) return;
  // Finalise the least recently used quarter of the idle statements.
  std::vector<std::pair<uint64_t, const std::string*>> idle;
  for (const auto& [sql, entry] : cache_) {
    if (!entry->in_use) idle.emplace_back(entry->last_use, &sql);
  }
  size_t drop = std::min(idle.size(), kStatementCacheCapacity / 4);
  std::nth_element(idle.begin(), idle.begin() + static_cast<std::ptrdiff_t>(drop),
                   idle.end());
  std::vector<std::string> keys;
  for (size_t i = 0; i < drop; ++i) keys.push_back(*idle[i].second);
  for (const std::string& k : keys) cache_.erase(k);
}

int64_t Database::Changes() const { return sqlite3_changes64(db_); }

int64_t Database::LastInsertRowid() const { return sqlite3_last_insert_rowid(db_); }

void Database::Simple(const char* sql) { PrepareCached(sql).Run(); }

void Database::Begin() {
  FlushPendingWrites();
  Simple("BEGIN");
}

void Database::Commit() {
  FlushPendingWrites();
  Simple("COMMIT");
}

void Database::Rollback() {
  FlushPendingWrites();
  Simple("ROLLBACK");
}

bool Database::InTransaction() const {
  return sqlite3_get_autocommit(db_) == 0 && !bulk_open_;
}

void Database::Savepoint(std::string_view name) {
  FlushPendingWrites();
  PrepareCached("SAVEPOINT " + QuoteSqliteName(name)).Run();
}

void Database::ReleaseSavepoint(std::string_view name) {
  FlushPendingWrites();
  PrepareCached("RELEASE SAVEPOINT " + QuoteSqliteName(name)).Run();
}

void Database::RollbackToSavepoint(std::string_view name) {
  FlushPendingWrites();
  PrepareCached("ROLLBACK TO SAVEPOINT " + QuoteSqliteName(name)).Run();
  catalog_->Invalidate();
}

bool Database::TableExists(std::string_view name) {
  ObjectName object = NormalizeObjectName(name);
  Statement st = Prepare(
      object.temporary
          ? "SELECT 1 FROM temp.sqlite_master WHERE type = 'table' AND name = ?1 "
            "COLLATE NOCASE"
          : "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = ?1 "
            "COLLATE NOCASE");
  st.BindText(1, object.name);
  return st.Step();
}

void Database::SetDateOrder(DateOrder order) { session_->date_order = order; }
DateOrder Database::date_order() const { return session_->date_order; }

void Database::SetDateFirst(int day) {
  if (day < 1 || day > 7) throw PlatformError(err::kAdoInvalidArgument, "DATEFIRST must be 1 to 7.");
  session_->date_first = day;
}
int Database::date_first() const { return session_->date_first; }

std::string QuoteSqliteName(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

void Database::UpdateStatistics() {
  FlushPendingWrites();
  Simple("PRAGMA analysis_limit = 1000");
  Simple("ANALYZE main");
}

void Database::FlushPendingWrites() {
  if (!bulk_open_) return;
  bulk_open_ = false;
  if (sqlite3_get_autocommit(db_) == 0) Simple("COMMIT");
}

uint64_t Database::Keep(std::string_view sql) {
  if (!owns_handle_) return 0;
  Statement st = PrepareCached(sql);
  kept_.emplace_back(++last_kept_key_, std::move(st));
  return last_kept_key_;
}

Statement* Database::Kept(uint64_t key) {
  for (auto& [k, st] : kept_) {
    if (k == key) return &st;
  }
  return nullptr;
}

void Database::Unkeep(uint64_t key) {
  std::erase_if(kept_, [key](const auto& kept) { return kept.first == key; });
}

void Database::BeginBulkWrites() {
  if (sqlite3_get_autocommit(db_) == 0) return;
  Simple("BEGIN");
  bulk_open_ = true;
}

}  // namespace zv::sqlite
