// Values sent with a statement: every value travels as text (bytes for
// binary targets) declared with the target's SQL type, so decimals keep
// every digit and the driver or the server does the one conversion.
#ifndef ZV_DATA_ODBC_PARAMS_H_
#define ZV_DATA_ODBC_PARAMS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/odbc/handles.h"
#include "data/odbc/odbc_connection.h"
#include "data/recordset.h"

namespace zv::odbc {

// What a value is sent to: a table column or a procedure parameter.
struct ParamTarget {
  int sql_type = SQL_VARCHAR;
  int ado_type = ado::kVarChar;
  int64_t size = 0;  // declared length, or precision of a number
  int scale = 0;
};

ParamTarget TargetForColumn(const ColumnDescription& column);
// For a parameter known only by its record-set type.
ParamTarget TargetForAdoType(int ado_type, int64_t size, int precision, int scale);

// The parameters of one statement and the buffers they are bound to.
class ParameterSet {
 public:
  // Adds a parameter in marker order; `direction` is an ado::kParam* value.
  // Parameters are all added before BindAll.
  void Add(const Variant& value, const ParamTarget& target,
           int direction = ado::kParamInput);
  size_t size() const { return slots_.size(); }
  bool empty() const { return slots_.empty(); }
  // Binds every parameter; the set must outlive the statement's execution.
  void BindAll(Statement& statement);
  // Binds every parameter as an input (an output-only one as NULL), for a
  // data source whose values come back some other way (SetReturned).
  void BindAllAsInputs(Statement& statement);

  // For data sources that receive parameters as T-SQL variables: the type
  // parameter `index` is declared with ("DECIMAL(15,3)", "CHAR(5)",
  // "DATETIME", ...), and whether its value comes back.
  std::string DeclaredType(size_t index) const;
  bool ReturnsValue(size_t index) const;
  // The value parameter `index` came back with, when the data source
  // returned it as a value rather than through the bound buffer.
  void SetReturned(size_t index, Variant value);

  // The value parameter `index` came back with (after every result of the
  // statement has been read), as a field of `field`'s type holds it.
  Variant Output(size_t index, const FieldInfo& field) const;

 private:
  struct Slot {
    SQLSMALLINT io_type = SQL_PARAM_INPUT;
    SQLSMALLINT c_type = SQL_C_CHAR;
    SQLSMALLINT sql_type = SQL_VARCHAR;
    SQLULEN column_size = 1;
    SQLSMALLINT decimal_digits = 0;
    std::string buffer;
    SQLLEN indicator = SQL_NULL_DATA;
    std::optional<Variant> returned;  // see SetReturned
  };
  std::vector<Slot> slots_;
  bool bound_ = false;
};

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_PARAMS_H_
