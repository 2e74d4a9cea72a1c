// The production backend: a Connection to SQL Server (or any ODBC data
// source) through unixODBC.
//
// Every statement, record set and command of one OdbcConnection runs on the
// same ODBC connection, one statement at a time: each result is read to its
// end before the call returns, so session temporary tables stay visible and
// the connection is never left busy. Record sets are client sets; one
// opened over a table name with a keyset or dynamic cursor and an updatable
// lock writes AddNew/Update/Delete back to the table, by its primary key or,
// when the table has none, by the values the row had when it was read.
//
// Failures fill Errors() with the driver's diagnostic records (SQLSTATE,
// native number, text) and throw PlatformError: err::kAdoConnectionFailed
// when opening, err::kAdoIntegrityViolation for SQLSTATE 23xxx,
// err::kAdoTimeout for HYT00/HYT01, err::kAdoCommandError otherwise. Use of
// a closed connection raises err::kAdoObjectClosed.
#ifndef ZV_DATA_ODBC_ODBC_CONNECTION_H_
#define ZV_DATA_ODBC_ODBC_CONNECTION_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/connection.h"

namespace zv::odbc {

// ODBC SQL type codes, for dialects that correct column descriptions
// (the standard ODBC codes and those of SQL Server's driver-specific types).
namespace sqltype {
inline constexpr int kChar = 1;
inline constexpr int kNumeric = 2;
inline constexpr int kDecimal = 3;
inline constexpr int kInteger = 4;
inline constexpr int kSmallInt = 5;
inline constexpr int kFloat = 6;
inline constexpr int kReal = 7;
inline constexpr int kDouble = 8;
inline constexpr int kDate = 91;
inline constexpr int kTime = 92;
inline constexpr int kTimestamp = 93;
inline constexpr int kVarChar = 12;
inline constexpr int kLongVarChar = -1;
inline constexpr int kBinary = -2;
inline constexpr int kVarBinary = -3;
inline constexpr int kLongVarBinary = -4;
inline constexpr int kBigInt = -5;
inline constexpr int kTinyInt = -6;
inline constexpr int kBit = -7;
inline constexpr int kWChar = -8;
inline constexpr int kWVarChar = -9;
inline constexpr int kWLongVarChar = -10;
inline constexpr int kGuid = -11;
inline constexpr int kSsVariant = -150;
inline constexpr int kSsXml = -152;
inline constexpr int kSsTime2 = -154;
inline constexpr int kSsTimestampOffset = -155;
}  // namespace sqltype

// A result column as the driver describes it. `sql_type` is the ODBC SQL
// type code (12 varchar, 3 decimal, 93 timestamp, ...).
struct ColumnDescription {
  std::string name;
  int sql_type = 0;
  std::string type_name;        // the driver's name of the type ("money")
  int64_t column_size = 0;      // characters, digits or bytes
  int decimal_digits = 0;
  int64_t desc_precision = 0;   // the driver's SQL_DESC_PRECISION
  bool nullable = true;
  bool auto_increment = false;  // identity / autoincrement column
};

// The step between the library's T-SQL and the driver. The library speaks
// SQL Server's dialect; a dialect for another database translates and
// splits the text and corrects what its driver reports.
class SqlDialect {
 public:
  virtual ~SqlDialect() = default;

  // The text the driver runs for a T-SQL batch, statement or generated
  // statement (record-set writes and procedure calls go through here too).
  // May throw PlatformError for text it cannot translate.
  virtual std::string Translate(std::string_view tsql) = 0;

  // The statements of a translated batch, each sent with its own call and
  // its results read in order. The default sends the batch whole.
  virtual std::vector<std::string> SplitBatch(std::string_view sql);

  // Corrects the description of a result column before it becomes a field
  // (a driver that reports declared types loosely). Default: unchanged.
  virtual void AdjustColumn(ColumnDescription& column);

  // Corrects a diagnostic record before it reaches Errors (a driver that
  // does not report SQLSTATEs). Default: unchanged.
  virtual void AdjustError(DbError& error);

  // A query whose single value is the identity given to the last row this
  // connection inserted, or "" when the database has none. Sent as is.
  virtual std::string LastIdentityQuery() const = 0;

  // True when the data source runs T-SQL through the functions of the
  // embedded engine loaded into it (SqliteTsqlDialect): every statement
  // then goes to SELECT zv_batch(...) and its results are read back from
  // the queries it answers with.
  virtual bool HostsTsql() const { return false; }
};

// SQL Server: the T-SQL goes to the driver unchanged.
class SqlServerDialect : public SqlDialect {
 public:
  std::string Translate(std::string_view tsql) override { return std::string(tsql); }
  std::string LastIdentityQuery() const override { return "SELECT @@IDENTITY"; }
};

struct Session;  // the ODBC connection and its state, private to data/odbc

class OdbcConnection : public Connection {
 public:
  // A closed connection that will speak through `dialect` (SQL Server's when
  // null).
  explicit OdbcConnection(std::unique_ptr<SqlDialect> dialect = nullptr);
  ~OdbcConnection() override;
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;

  // Opens a connection of its own from an ODBC connection string
  // ("DRIVER={FreeTDS};SERVER=...;DATABASE=...;UID=...;PWD=..." or
  // "DSN=..."), without prompting. On failure Errors holds the driver
  // manager's and the driver's records, err::kAdoConnectionFailed is thrown
  // and the connection stays closed. Opening an open connection raises
  // err::kAdoObjectOpen.
  void Open(std::string_view connection_string);

  // Works on a connection handle (an SQLHDBC) the host has already
  // connected. The handle stays the host's: Close and the destructor only
  // let go of it.
  void Attach(void* connection_handle);

  // Seconds to wait for the login, 0 for the driver's default (set before
  // Open).
  int connection_timeout = 15;
  // Seconds a statement of Execute/OpenRecordset may run, 0 for no limit.
  int32_t command_timeout = 0;

  // Connection
  std::shared_ptr<Recordset> Execute(std::string_view sql, int32_t* records_affected = nullptr,
                                     int options = ado::kCmdUnspecified) override;
  std::shared_ptr<Recordset> OpenRecordset(std::string_view source, int cursor_type,
                                           int lock_type, int options) override;
  std::unique_ptr<Command> CreateCommand() override;
  Errors& GetErrors() override;
  int State() const override;
  void Close() override;

 private:
  std::shared_ptr<Session> session_;
};

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_ODBC_CONNECTION_H_
