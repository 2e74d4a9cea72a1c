// The embedded engine's connection to SQLite: one open database file (or
// ":memory:") with the T-SQL collation and functions registered, the
// catalogue tables created, a cache of prepared statements, transactions,
// and every SQLite failure translated once, here, into the T-SQL error the
// library expects (SQLSTATE, native number, description).
//
// Only data/sqlite/ sees sqlite3.h; the native handles are forward-declared.
#ifndef ZV_DATA_SQLITE_DATABASE_H_
#define ZV_DATA_SQLITE_DATABASE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "data/connection.h"
#include "data/error.h"
#include "data/variant.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zv::sqlite {

class CatalogStore;
struct Session;

// A SQLite identifier in double quotes, inner quotes doubled.
std::string QuoteSqliteName(std::string_view name);

// A failure of the database, already in the library's terms. number() is
// err::kAdoIntegrityViolation for SQLSTATE 23000 and err::kAdoCommandError
// otherwise; error() carries SQLSTATE and native number for Errors.
class DatabaseError : public PlatformError {
 public:
  explicit DatabaseError(DbError error);
  const DbError& error() const { return error_; }

 private:
  DbError error_;
};

// Builds the error the engine raises for a T-SQL native number (see
// sql_error.h for the numbers the engine uses).
DbError MakeDbError(int32_t native_error, std::string sql_state,
                    std::string description);

// How texts such as '03/04/2006' are read as dates (SET DATEFORMAT).
enum class DateOrder { kMdy, kDmy, kYmd };

// Storage class of a result value.
enum class ValueKind { kNull, kInteger, kReal, kText, kBlob };

// Where a result column comes from, when it is a plain table column.
struct ColumnOrigin {
  std::string database;  // "main" or "temp"
  std::string table;
  std::string column;
};

class Database;

// A prepared statement borrowed from the database's cache. Move-only; when
// the handle goes away the statement is reset, its parameters cleared, and
// it returns to the cache. The Database must outlive every Statement.
class Statement {
 public:
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement();

  // Parameters are 1-based, as in SQLite ("?", "?NNN", ":name", "@name").
  int ParameterCount() const;
  // The index of a named parameter (written as in the SQL, "@qty"), or 0.
  int ParameterIndex(std::string_view name) const;
  // Binds a library value: Empty and Null as NULL, Boolean as 1/0, whole
  // numbers as INTEGER, Single/Double/Decimal as REAL, dates as the stored
  // text 'YYYY-MM-DD HH:MM:SS.mmm' (rounded to the DATETIME tick), texts as
  // TEXT. Objects and arrays raise err::kTypeMismatch.
  void Bind(int index, const Variant& value);
  void BindNull(int index);
  void BindInt64(int index, int64_t value);
  void BindDouble(int index, double value);
  // The text must stay alive until the statement is reset or rebound.
  void BindStaticText(int index, std::string_view text);
  void BindText(int index, std::string_view text);
  void BindBlob(int index, std::string_view bytes);
  void ClearBindings();

  // Runs to the next row: true when a row is available, false when the
  // statement is done. Failures throw DatabaseError (and are kept as the
  // database's last_error()).
  bool Step();
  // Runs to completion, discarding rows.
  void Run();
  // Makes the statement ready to run again (bindings are kept).
  void Reset();

  int ColumnCount() const;
  std::string ColumnName(int column) const;
  ValueKind ColumnKind(int column) const;
  int64_t ColumnInt64(int column) const;
  double ColumnDouble(int column) const;
  // Valid until the next Step, Reset or conversion of that column.
  std::string_view ColumnText(int column) const;
  std::string_view ColumnBlob(int column) const;
  // The value as SQLite holds it: Null, LongLong, Double or String (blobs
  // as a String of the bytes).
  Variant ColumnRaw(int column) const;
  // The table column a result column reads, when it reads one directly.
  std::optional<ColumnOrigin> Origin(int column) const;
  // True when the statement does not write (a SELECT).
  bool ReadOnly() const;
  std::string_view Sql() const;
  Database& database() const { return *db_; }

 private:
  friend class Database;
  struct Entry;
  Statement(Database* db, Entry* entry, std::unique_ptr<Entry> owned);
  void Release();

  Database* db_ = nullptr;
  Entry* entry_ = nullptr;
  std::unique_ptr<Entry> owned_;  // set when the statement is not cached
};

// A connection of the embedded engine.
class Database : public std::enable_shared_from_this<Database> {
 public:
  // Opens (creating it if needed) the database file at `path`, or a private
  // in-memory database for ":memory:". Registers the collation TSQLCI and
  // the tsql_* functions and creates the catalogue tables if missing.
  // Failure throws DatabaseError (SQLSTATE 08001).
  static std::shared_ptr<Database> Open(const std::string& path);
  // Works on a connection someone else opened and will close (the SQLite
  // ODBC driver's, when the engine is loaded into it as an extension):
  // registers the same collation, functions and catalogue, leaves the
  // connection's own settings (busy handling, result codes) alone, and
  // keeps no prepared statement between uses, so that the owner can close
  // the connection at any time. The Database must go before the handle is
  // finalised; its destructor does not touch the handle.
  static std::shared_ptr<Database> Adopt(sqlite3* handle);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const std::string& path() const { return path_; }
  // False for an adopted connection.
  bool owns_handle() const { return owns_handle_; }

  // Runs every statement of `sql` in order, discarding rows. A failing
  // statement throws DatabaseError; the statements before it stay done.
  void Execute(std::string_view sql);
  // Prepares the single statement of `sql`, from the cache when it was
  // prepared before. Text after the first statement (other than blanks and
  // comments) raises err::kAdoInvalidArgument; SQL errors throw
  // DatabaseError.
  Statement Prepare(std::string_view sql);

  // Rows written by the last INSERT, UPDATE or DELETE that completed.
  int64_t Changes() const;
  int64_t LastInsertRowid() const;

  // Transactions. Begin inside a transaction and Commit/Rollback outside
  // one throw DatabaseError. Savepoints nest inside or outside a
  // transaction (outside, the outermost one starts a transaction).
  void Begin();
  void Commit();
  void Rollback();
  bool InTransaction() const;
  void Savepoint(std::string_view name);
  void ReleaseSavepoint(std::string_view name);
  void RollbackToSavepoint(std::string_view name);

  // True when the table exists: "#X" (or "tempdb..#X") among this
  // connection's temporary tables, any other name in the main database.
  bool TableExists(std::string_view name);

  // The catalogue of T-SQL types and routines kept in this database.
  CatalogStore& catalog() { return *catalog_; }

  // Gathers the statistics SQLite's planner chooses join orders by (a
  // sampled ANALYZE of the main database). Without them every index looks
  // selective on its first column, so a join of a '#' table with an ERP
  // table keyed by company first would scan the '#' table for every row of
  // the company. Run it after loading a lot of data; it takes a fraction of
  // a second even on millions of rows.
  void UpdateStatistics();

  // Session options read by the date functions.
  void SetDateOrder(DateOrder order);
  DateOrder date_order() const;
  // First day of the week for DATEPART(weekday/week), 1 = Monday ..
  // 7 = Sunday (the default).
  void SetDateFirst(int day);
  int date_first() const;

  // The error of the last failing call (cleared by nothing; check only
  // after a DatabaseError).
  const DbError& last_error() const { return last_error_; }

  // Bulk loads through live table record sets run inside a transaction the
  // database opens by itself when none is open; it is committed before any
  // other use of the connection (Execute, Prepare, transactions), when the
  // record set goes away, or here.
  void FlushPendingWrites();
  // Starts that transaction if no transaction is open (for data/sqlite).
  void BeginBulkWrites();
  // As Prepare, without committing pending bulk writes (for data/sqlite).
  Statement PrepareForBulk(std::string_view sql);

  // A statement kept prepared from one use to the next without a lookup
  // (the INSERT of a table record set's bulk load; for data/sqlite). The
  // database holds it, so it is released before the database closes. Keep
  // returns its key, or 0 on an adopted connection, which keeps no
  // statement between uses; Kept gives it back (nullptr for key 0 or a key
  // released); Unkeep releases it.
  uint64_t Keep(std::string_view sql);
  Statement* Kept(uint64_t key);
  void Unkeep(uint64_t key);

  // The native handle, for the other files of data/sqlite only.
  sqlite3* native_handle() const { return db_; }
  // Number of statements in the cache (for tests).
  size_t CachedStatementCount() const { return cache_.size(); }
  // Upper bound of cached statements; least recently used ones beyond it
  // are finalised.
  static constexpr size_t kStatementCacheCapacity = 512;

  // Translates the current SQLite failure `rc` into a DbError, remembers it
  // as last_error() and throws it.
  [[noreturn]] void ThrowLastError(int rc, std::string_view sql);
  // Remembers `error` as last_error() and throws it.
  [[noreturn]] void Fail(DbError error);

 private:
  friend class Statement;
  explicit Database(std::string path);
  void Initialize();
  void Register();
  Statement PrepareCached(std::string_view sql);
  void EvictIfNeeded();
  void Simple(const char* sql);

  std::string path_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<Session> session_;
  std::unique_ptr<CatalogStore> catalog_;
  // Keyed by SQL text; looked up with a string_view, without a copy.
  struct SqlHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  std::unordered_map<std::string, std::unique_ptr<Statement::Entry>, SqlHash,
                     std::equal_to<>>
      cache_;
  uint64_t use_clock_ = 0;
  std::vector<std::pair<uint64_t, Statement>> kept_;  // few: one per loading record set
  uint64_t last_kept_key_ = 0;
  bool bulk_open_ = false;
  bool owns_handle_ = true;  // false: adopted; no statement cache either
  DbError last_error_;
};

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_DATABASE_H_
