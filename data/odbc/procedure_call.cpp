#include "data/odbc/procedure_call.h"

#include <sql.h>
#include <sqlext.h>

#include "data/odbc/type_mapping.h"

namespace zv::odbc {

bool ReturnsValue(const Parameter& p) {
  return p.direction == ado::kParamOutput || p.direction == ado::kParamInputOutput ||
         p.direction == ado::kParamReturnValue;
}

std::optional<Parameter> ParameterFromCatalog(const ProcedureColumn& column) {
  Parameter p;
  switch (column.column_type) {
    case SQL_RESULT_COL:
      return std::nullopt;
    case SQL_PARAM_INPUT_OUTPUT:
      p.direction = ado::kParamInputOutput;
      break;
    case SQL_PARAM_OUTPUT:
      p.direction = ado::kParamOutput;
      break;
    case SQL_RETURN_VALUE:
      p.direction = ado::kParamReturnValue;
      break;
    default:
      p.direction = ado::kParamInput;
      break;
  }
  ColumnDescription described;
  described.name = column.name;
  described.sql_type = column.data_type;
  described.type_name = column.type_name;
  described.column_size = column.column_size;
  described.decimal_digits = column.decimal_digits;
  FieldInfo field = FieldFor(described);
  p.name = column.name.empty() || column.name.front() == '@' ? column.name : "@" + column.name;
  p.type = field.type;
  p.size = field.defined_size;
  p.precision = field.precision;
  p.numeric_scale = field.numeric_scale;
  p.has_default = column.has_default;
  return p;
}

ExecText BuildExecText(std::string_view procedure, const std::vector<Parameter>& params) {
  ExecText out;
  out.sql = "EXEC ";
  for (size_t i = 0; i < params.size(); ++i) {
    if (params[i].direction != ado::kParamReturnValue) continue;
    out.sql += "? = ";
    out.bound.push_back(i);
    break;
  }
  out.sql += procedure;
  bool first = true;
  for (size_t i = 0; i < params.size(); ++i) {
    const Parameter& p = params[i];
    if (p.direction == ado::kParamReturnValue) continue;
    // An unset input takes the procedure's default; a parameter whose value
    // comes back is always passed (Null when unset), or nothing would come
    // back.
    if (p.value.IsEmpty() && !ReturnsValue(p)) continue;
    out.sql += first ? " " : ", ";
    first = false;
    out.sql += p.name.empty() || p.name.front() != '@' ? "@" + p.name : p.name;
    out.sql += " = ?";
    if (ReturnsValue(p)) out.sql += " OUTPUT";
    out.bound.push_back(i);
  }
  return out;
}

}  // namespace zv::odbc
