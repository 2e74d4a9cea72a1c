// What the backend asks the driver's catalogue: the primary key of a table
// and the parameters of a stored procedure; and the names it needs for it.
#ifndef ZV_DATA_ODBC_CATALOG_QUERIES_H_
#define ZV_DATA_ODBC_CATALOG_QUERIES_H_

#include <string>
#include <vector>

#include "data/odbc/handles.h"
#include "data/odbc/object_names.h"
#include "data/odbc/procedure_call.h"

namespace zv::odbc {

// The primary-key columns of a table in key order; empty when the table has
// none or the driver cannot tell (IM001, HYC00). Other failures throw
// DriverError.
std::vector<std::string> ReadPrimaryKey(const ConnectionHandle& connection,
                                        const ObjectName& table);

// The parameters of the procedure named exactly `procedure` (matched
// case-insensitively, a ";1" group number ignored), in order. Throws
// DriverError 42000 (native 2812) when no such procedure exists.
std::vector<ProcedureColumn> ReadProcedureColumns(const ConnectionHandle& connection,
                                                  const ObjectName& procedure);

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_CATALOG_QUERIES_H_
