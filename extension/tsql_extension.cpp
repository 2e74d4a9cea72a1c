// libzv_tsql.so: the embedded T-SQL engine as a SQLite extension. Loaded
// into a connection (the SQLite ODBC driver's LoadExt, or
// sqlite3_load_extension), it makes that connection answer the library's
// T-SQL through zv_batch and zv_procedure_parameters (see
// data/sqlite/hosted_tsql.h). Only the entry point is exported.
#include <sqlite3.h>

#include <string>

#include "data/sqlite/hosted_tsql.h"

extern "C" __attribute__((visibility("default"))) int sqlite3_zvtsql_init(
    sqlite3* db, char** error_message, const void* /*api*/) {
  std::string error;
  int rc = zv::sqlite::HostTsql(db, &error);
  if (rc != SQLITE_OK && error_message != nullptr) {
    *error_message = sqlite3_mprintf("%s", error.c_str());
  }
  return rc;
}
