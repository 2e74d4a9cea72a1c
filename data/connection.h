// The data-access contract: a connection that runs T-SQL and opens record
// sets, commands that call stored procedures with named parameters, and the
// collection of errors the last failing call left behind.
//
// Every failing call fills Errors() (SQLSTATE, native number, description)
// and then throws PlatformError (number err::kAdoCommandError or, for a
// constraint violation, err::kAdoIntegrityViolation; description as the
// first error's).
#ifndef ZV_DATA_CONNECTION_H_
#define ZV_DATA_CONNECTION_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/recordset.h"
#include "data/variant.h"

namespace zv {

// One error of the connection's Errors collection.
struct DbError {
  int32_t number = 0;        // the provider's error number (HRESULT)
  std::string description;
  std::string source;
  std::string sql_state;     // "23000", "42S02", ...
  int32_t native_error = 0;  // the server's own number (547, 2627, ...)
};

class Errors {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Raises err::kAdoItemNotFound for an index out of range.
  const DbError& Item(int32_t index) const;
  void Clear() { items_.clear(); }
  void Add(DbError error) { items_.push_back(std::move(error)); }
  const std::vector<DbError>& items() const { return items_; }

 private:
  std::vector<DbError> items_;
};

// Parameter directions.
namespace ado {
inline constexpr int kParamInput = 1;
inline constexpr int kParamOutput = 2;
inline constexpr int kParamInputOutput = 3;
inline constexpr int kParamReturnValue = 4;
}  // namespace ado

struct Parameter {
  std::string name;  // with the leading "@"
  int type = ado::kVariant;
  int direction = ado::kParamInput;
  int32_t size = 0;
  uint8_t precision = 0;
  uint8_t numeric_scale = 0;
  bool has_default = false;
  Variant value;  // Empty until set: the procedure's default is then used
};

class Connection;

// A stored-procedure call on a connection. The parameter list is read from
// the procedure's definition when CommandText is set; a parameter the
// procedure lacks is err::kAdoItemNotFound.
class Command {
 public:
  virtual ~Command() = default;

  int command_type = ado::kCmdStoredProc;
  int32_t command_timeout = 30;  // seconds, 0 = no limit

  // Sets the procedure name and loads its parameter list. An unknown
  // procedure fills Errors and throws.
  virtual void SetCommandText(std::string_view text) = 0;
  virtual const std::string& CommandText() const = 0;

  // The parameters in the procedure's order.
  virtual std::vector<Parameter>& Parameters() = 0;
  // The parameter with that name ("@" included, case-insensitive); raises
  // err::kAdoItemNotFound when the procedure has none of that name.
  Parameter& Param(std::string_view name);

  // Runs the procedure. Returns its first result set (each further one
  // through NextRecordset), or nullptr when it returned none. Output
  // parameters are written back into Parameters().
  virtual std::shared_ptr<Recordset> Execute() = 0;
};

// Result of Connection::Execute options.
class Connection {
 public:
  virtual ~Connection() = default;

  // Runs a T-SQL batch. `options` is -1 (unspecified) or 129 (text, no
  // records): with 129 no record set is returned. Otherwise returns the first
  // result set (further ones through NextRecordset), or nullptr when the
  // batch produced none. `records_affected` receives the rows touched by the
  // last statement.
  virtual std::shared_ptr<Recordset> Execute(std::string_view sql,
                                             int32_t* records_affected = nullptr,
                                             int options = ado::kCmdUnspecified) = 0;

  // Opens a record set from SQL text (options kCmdText or kCmdUnspecified) or
  // a table name (kCmdTable). Over a table with a keyset or dynamic cursor
  // and optimistic locking the set is live: AddNew/Update/Delete reach the
  // table. From a query it is a disconnected client set; a source that
  // returns no rows gives a closed set (State() 0), as in ADO.
  virtual std::shared_ptr<Recordset> OpenRecordset(std::string_view source,
                                                   int cursor_type,
                                                   int lock_type,
                                                   int options) = 0;

  // A new command bound to this connection.
  virtual std::unique_ptr<Command> CreateCommand() = 0;

  virtual Errors& GetErrors() = 0;

  // 1 while open, 0 once closed.
  virtual int State() const = 0;
  // Closes the connection (only the owner of the connection calls this).
  virtual void Close() = 0;
};

}  // namespace zv

#endif  // ZV_DATA_CONNECTION_H_
