// Table-valued functions whose arguments change from row to row (APPLY to a
// function reading the columns at its left, any multi-statement function):
// the translator emits them as SQLite table-valued functions "NAME"(args),
// and this file gives each one an eponymous virtual table on the
// connection. Its columns are the function's result columns followed by one
// hidden column per parameter; a scan needs an equality on every hidden
// column (the arguments) and runs the function through the batch
// interpreter: an inline function's query with the parameters bound, or a
// multi-statement function's body filling its table variable.
#ifndef ZV_DATA_SQLITE_TABLE_FUNCTIONS_H_
#define ZV_DATA_SQLITE_TABLE_FUNCTIONS_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/connection.h"
#include "data/sqlite/database.h"

namespace zv::sqlite {

class BatchRunner;

class TableFunctions {
 public:
  TableFunctions(BatchRunner& runner, Database& db);
  // Calls of the virtual tables after this fail with an error (the
  // modules live as long as the SQLite connection).
  ~TableFunctions();
  TableFunctions(const TableFunctions&) = delete;
  TableFunctions& operator=(const TableFunctions&) = delete;

  // Registers the virtual table of each function named (once per
  // connection). Throws DatabaseError: 208 for a name that is no
  // table-valued function; "not supported" when a function registered
  // earlier now returns other columns.
  void Ensure(const std::vector<std::string>& names);

  // The error a function raised inside the statement that failed with
  // `message`, once; nullopt when the failure was not a function's.
  std::optional<DbError> TakeError(std::string_view message);

  struct Shared;
  struct Function;

 private:
  BatchRunner& runner_;
  Database& db_;
  std::shared_ptr<Shared> shared_;
  // Owned by SQLite (the module's client data), by upper-case name.
  std::unordered_map<std::string, Function*> registered_;
};

}  // namespace zv::sqlite

#endif  // ZV_DATA_SQLITE_TABLE_FUNCTIONS_H_
