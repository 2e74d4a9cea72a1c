// A stored-procedure call as text: the parameters a procedure's
// description lists, and the EXEC statement that passes them by name.
#ifndef ZV_DATA_ODBC_PROCEDURE_CALL_H_
#define ZV_DATA_ODBC_PROCEDURE_CALL_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/connection.h"

namespace zv::odbc {

// One row of the driver's description of a procedure's parameters.
struct ProcedureColumn {
  std::string name;      // "@qty" with SQL Server
  int column_type = 0;   // SQL_PARAM_INPUT, ..., SQL_RETURN_VALUE, SQL_RESULT_COL
  int data_type = 0;     // ODBC SQL type
  std::string type_name;
  int64_t column_size = 0;
  int decimal_digits = 0;
  bool has_default = false;
};

// The parameter a row of the procedure's description stands for (direction
// from the ODBC parameter type, record-set type, size, precision and
// scale); nullopt for rows that describe result columns.
std::optional<Parameter> ParameterFromCatalog(const ProcedureColumn& column);

// True for parameters whose value comes back: output, input-output and
// the return value.
bool ReturnsValue(const Parameter& p);

// The T-SQL of a call and the indexes (into `params`) of the parameters
// its markers stand for, in marker order. A parameter is named when it was
// given a value (Null counts, Empty does not) or its value comes back
// (output and input-output ones, marked OUTPUT, Null when unset); the
// return value, when listed, is "? =".
struct ExecText {
  std::string sql;
  std::vector<size_t> bound;
};
ExecText BuildExecText(std::string_view procedure, const std::vector<Parameter>& params);

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_PROCEDURE_CALL_H_
