// A thin layer over the ODBC C API: owned environment, connection and
// statement handles, and the diagnostics of a failing call collected into
// DbError records. Every call that can fail goes through one of these
// wrappers, so that failures always carry the driver's own records.
//
// Internal to data/odbc/ (it brings in sql.h): the headers other layers and
// the tests include (odbc_connection.h, type_mapping.h, object_names.h,
// procedure_call.h, diagnostics.h, test_hooks.h) do not.
#ifndef ZV_DATA_ODBC_HANDLES_H_
#define ZV_DATA_ODBC_HANDLES_H_

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/odbc/diagnostics.h"

namespace zv::odbc {

// Every diagnostic record of a handle, in order. Empty when there are none.
std::vector<DbError> ReadDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle);

class Environment {
 public:
  // Allocates an environment for ODBC 3 behaviour; throws DriverError.
  Environment();
  ~Environment();
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;
  SQLHENV get() const { return handle_; }

 private:
  SQLHENV handle_ = SQL_NULL_HENV;
};

// A connection handle: either connected here (and then disconnected and
// freed here) or borrowed from the host (never disconnected or freed).
class ConnectionHandle {
 public:
  // Connects without prompting; throws DriverError with the driver
  // manager's or the driver's records. A login timeout of 0 leaves the
  // driver's default.
  static std::unique_ptr<ConnectionHandle> Connect(const Environment& env,
                                                   std::string_view connection_string,
                                                   int login_timeout_seconds);
  static std::unique_ptr<ConnectionHandle> Borrow(SQLHDBC handle);
  ~ConnectionHandle();
  ConnectionHandle(const ConnectionHandle&) = delete;
  ConnectionHandle& operator=(const ConnectionHandle&) = delete;

  SQLHDBC get() const { return handle_; }
  bool owned() const { return owned_; }

 private:
  ConnectionHandle(SQLHDBC handle, bool owned) : handle_(handle), owned_(owned) {}
  SQLHDBC handle_;
  bool owned_;
};

// A statement handle on a connection. Closing it discards whatever results
// the driver still holds, so the connection is free for the next statement.
class Statement {
 public:
  explicit Statement(const ConnectionHandle& connection);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // 0 = no limit.
  void SetQueryTimeout(int seconds);
  // Runs `sql` with the bound parameters. False when the driver answered
  // SQL_NO_DATA (a searched UPDATE or DELETE that touched nothing).
  bool ExecDirect(std::string_view sql);
  // Binds parameter `number` (1-based). Buffers must outlive the execution.
  void BindParameter(int number, SQLSMALLINT io_type, SQLSMALLINT c_type,
                     SQLSMALLINT sql_type, SQLULEN column_size,
                     SQLSMALLINT decimal_digits, void* buffer, SQLLEN buffer_length,
                     SQLLEN* indicator);

  int NumResultCols();
  // Rows touched by the last DML statement, -1 when the driver does not know.
  int64_t RowCount();
  // Advances to the next row; false at the end of the result.
  bool Fetch();
  // Advances to the next result; false when there is none.
  bool MoreResults();
  // Closes the cursor (SQLFreeStmt SQL_CLOSE) and unbinds parameters.
  void Reset();

  struct Column {
    std::string name;
    SQLSMALLINT sql_type = 0;
    SQLULEN column_size = 0;
    SQLSMALLINT decimal_digits = 0;
    SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
    std::string type_name;
    SQLLEN precision = 0;  // SQL_DESC_PRECISION
    bool auto_increment = false;
  };
  Column DescribeColumn(int column);

  // Column values of the current row; nullopt for NULL.
  std::optional<std::string> GetText(int column);
  std::optional<std::string> GetBinary(int column);
  // A fixed-size value read as `c_type` into `out` (sizeof(T) bytes).
  template <typename T>
  bool GetFixed(int column, SQLSMALLINT c_type, T* out) {
    return GetFixedBytes(column, c_type, out, sizeof(T));
  }

  // Catalogue queries; their result is then read like any other.
  void PrimaryKeys(const std::string& catalog, const std::string& schema,
                   const std::string& table);
  void ProcedureColumns(const std::string& catalog, const std::string& schema,
                        const std::string& procedure);
  void Procedures(const std::string& catalog, const std::string& schema,
                  const std::string& procedure);

  SQLHSTMT get() const { return handle_; }

 private:
  bool GetFixedBytes(int column, SQLSMALLINT c_type, void* out, size_t size);
  std::optional<std::string> GetChunks(int column, SQLSMALLINT c_type, size_t terminator);
  // Throws DriverError for a failing return code, with this statement's
  // diagnostics.
  void Check(SQLRETURN rc, const char* call);
  SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_HANDLES_H_
