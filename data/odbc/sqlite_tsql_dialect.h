// A SQLite database reached through the SQLite ODBC driver (Debian
// libsqliteodbc) with the embedded T-SQL engine loaded into the driver's
// connection as an extension (libzv_tsql.so, given in the connection
// string's LoadExt). The data source then runs the library's T-SQL itself:
// every batch, generated statement and procedure call goes to it whole
// through SELECT zv_batch(...), parameters as bound ODBC values declared
// with their T-SQL types, and its result sets come back through the driver
// as ordinary results (see data/sqlite/hosted_tsql.h for the exchange).
//
// This is how the ODBC backend is tested end to end on a machine without
// SQL Server: the same statements, procedures and record-set writes as
// against SQL Server, through a real driver manager and driver.
#ifndef ZV_DATA_ODBC_SQLITE_TSQL_DIALECT_H_
#define ZV_DATA_ODBC_SQLITE_TSQL_DIALECT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/odbc/odbc_connection.h"

namespace zv::odbc {

class SqliteTsqlDialect : public SqlDialect {
 public:
  // "DRIVER=<driver>;Database=<database>;LoadExt=<extension>". The driver
  // may be a name from odbcinst.ini or the path of its library.
  static std::string ConnectionString(std::string_view driver, std::string_view database,
                                      std::string_view extension);

  std::string Translate(std::string_view tsql) override { return std::string(tsql); }
  // The declared T-SQL type names of the result columns (the driver reports
  // DECIMAL and CHAR as VARCHAR, and the scale as the precision) become
  // the types SQL Server's driver would report.
  void AdjustColumn(ColumnDescription& column) override;
  // The engine's "[SQLSTATE/native] text" becomes the record's SQLSTATE,
  // native number and text.
  void AdjustError(DbError& error) override;
  std::string LastIdentityQuery() const override { return "SELECT @@IDENTITY"; }
  bool HostsTsql() const override { return true; }
};

// Corrects a column the SQLite ODBC driver describes by its declared T-SQL
// type name ("DECIMAL(14,3)", "CHAR(5)", "DATETIME", ...): the driver
// reports DECIMAL and CHAR as VARCHAR and the scale as the precision; the
// column then reads as SQL Server's driver would report it.
void MapDeclaredType(ColumnDescription& column);

// The exchange with the engine hosted in the data source.
namespace hosted {

// `tsql` with every ODBC parameter marker ("?" outside strings, quoted
// names and comments) replaced by @zv_p1, @zv_p2, ...; `count` receives
// the number of markers.
std::string NameParameterMarkers(std::string_view tsql, size_t* count);

// The name the marker at `index` (0-based) becomes.
std::string MarkerName(size_t index);

// What zv_batch and zv_procedure_parameters answer.
struct Reply {
  int64_t records_affected = -1;
  std::vector<std::string> result_queries;  // in order
  std::optional<std::string> outputs_query;
};
// Parses a reply; nullopt when the text is not one.
std::optional<Reply> ParseReply(std::string_view text);

}  // namespace hosted

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_SQLITE_TSQL_DIALECT_H_
