// The embedded engine behind the library's Connection: T-SQL batches run by
// the batch interpreter on a SQLite database, record sets over tables that
// write through, and stored-procedure commands whose parameter lists come
// from the procedures' definitions in the catalogue.
#ifndef ZV_DATA_SQLITE_EMBEDDED_CONNECTION_H_
#define ZV_DATA_SQLITE_EMBEDDED_CONNECTION_H_

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/connection.h"
#include "data/sqlite/batch_runner.h"
#include "data/sqlite/database.h"

namespace zv::sqlite {

class EmbeddedConnection : public Connection,
                           public std::enable_shared_from_this<EmbeddedConnection> {
 public:
  // Opens the database file at `path` (created when missing) or a private
  // in-memory database for ":memory:". Failure throws DatabaseError with
  // SQLSTATE 08001.
  static std::shared_ptr<EmbeddedConnection> Open(const std::string& path);
  // The engine on a SQLite connection someone else owns (see
  // Database::Adopt). Close lets go of it without closing it.
  static std::shared_ptr<EmbeddedConnection> Adopt(sqlite3* handle);
  ~EmbeddedConnection() override;
  EmbeddedConnection(const EmbeddedConnection&) = delete;
  EmbeddedConnection& operator=(const EmbeddedConnection&) = delete;

  // The SQLite connection (null once closed).
  std::shared_ptr<Database> database() const { return db_; }
  // The interpreter (for the shell and tests); requires an open connection.
  BatchRunner& runner() { return *runner_; }
  // Receives the texts of PRINT; without a handler they are dropped.
  void SetMessageHandler(std::function<void(const std::string&)> handler);

  // Connection. Every failure clears Errors, adds the error (SQLSTATE,
  // native number, description) and throws it as DatabaseError; any call
  // on a closed connection raises err::kAdoObjectClosed.
  std::shared_ptr<Recordset> Execute(std::string_view sql, int32_t* records_affected = nullptr,
                                     int options = ado::kCmdUnspecified) override;
  // A table name with kCmdTable, or a bare table name with a keyset or
  // dynamic cursor and optimistic locking, opens a live set over the table;
  // anything else runs as a batch and returns its first result set (the
  // others chained through NextRecordset), or a closed set when it has none.
  std::shared_ptr<Recordset> OpenRecordset(std::string_view source, int cursor_type,
                                           int lock_type, int options) override;
  std::unique_ptr<Command> CreateCommand() override;
  Errors& GetErrors() override { return errors_; }
  int State() const override { return db_ ? 1 : 0; }
  // Rolls back a transaction left open and closes the database.
  void Close() override;

  // For the commands of this connection: the parameter list of a procedure
  // (@RETURN_VALUE first, then the procedure's own), and a call.
  std::vector<Parameter> ProcedureParameters(std::string_view procedure);
  std::shared_ptr<Recordset> CallProcedure(std::string_view procedure,
                                           std::vector<Parameter>& params,
                                           int32_t timeout_seconds);

 private:
  EmbeddedConnection() = default;
  void RequireOpen() const;
  [[noreturn]] void Report(DbError error);
  template <typename Body>
  auto Guard(Body&& body) -> decltype(body());

  std::shared_ptr<Database> db_;
  std::unique_ptr<BatchRunner> runner_;
  Errors errors_;
};

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_EMBEDDED_CONNECTION_H_
