// The engine hosted in a SQLite connection that another program owns: the
// SQLite ODBC driver's, when it loads the engine as an extension
// (libzv_tsql.so, named in the connection string's LoadExt). The data
// source then runs the library's T-SQL itself, as SQL Server would, and a
// client reaches it through these SQL functions:
//
//   SELECT zv_batch(batch)
//   SELECT zv_batch(batch, declarations, value, ...)
//       Runs a T-SQL batch; with declarations ("@a INT, @b CHAR(5)
//       OUTPUT") the values are its parameters, as with sp_executesql.
//   SELECT zv_procedure_parameters(name)
//       The parameter list of a stored procedure (@RETURN_VALUE first) as
//       one result set: NAME, DIRECTION, TYPE, SIZE, PRECISION, SCALE,
//       HAS_DEFAULT (record-set direction and type codes).
//   SELECT zv_time_limit(seconds)
//       The next zv_batch call fails with a timeout (HYT00, "Query timeout
//       expired") once it has run that long.
//
// Both answer with a reply text of lines separated by "\n": the first is
// the number of rows the last statement touched (-1 when none reported
// one); each following line reads one result set, in the order produced,
// as "R <query>", and a last "O <query>" reads the final values of the
// OUTPUT parameters (one row, one column per OUTPUT parameter in
// declaration order) when the declarations have any. The queries read
// temporary tables whose declared column types are the results' T-SQL
// types; they stay until the next call. A failure is the function's error,
// with the text "[SQLSTATE/native] description".
#ifndef ZV_DATA_SQLITE_HOSTED_TSQL_H_
#define ZV_DATA_SQLITE_HOSTED_TSQL_H_

#include <string>

#include "data/recordset.h"

struct sqlite3;

namespace zv::sqlite {

// Puts the engine on `db` and registers its functions. Registering a
// connection twice keeps the first. Returns SQLITE_OK, or an SQLite error
// code with `error` set.
int HostTsql(sqlite3* db, std::string* error);

// The declared type a result column of `field`'s type gets ("CHAR(5)",
// "DECIMAL(15,3)", "DATETIME", ...).
std::string DeclaredTypeFor(const FieldInfo& field);

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_HOSTED_TSQL_H_
