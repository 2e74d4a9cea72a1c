// The state one OdbcConnection shares with its commands and live record
// sets: the dialect, the ODBC handles and the Errors collection. Driver
// failures become the connection's Errors and a PlatformError here, and
// only here.
#ifndef ZV_DATA_ODBC_SESSION_H_
#define ZV_DATA_ODBC_SESSION_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/connection.h"
#include "data/error.h"
#include "data/odbc/handles.h"
#include "data/odbc/odbc_connection.h"
#include "data/odbc/params.h"
#include "data/odbc/results.h"
#include "data/odbc/type_mapping.h"

namespace zv::odbc {

struct Session {
  explicit Session(std::unique_ptr<SqlDialect> dialect_in);

  std::unique_ptr<SqlDialect> dialect;
  std::unique_ptr<Environment> environment;  // only for connections opened here
  std::unique_ptr<ConnectionHandle> connection;
  Errors errors;

  bool open() const { return connection != nullptr; }
  // The ODBC connection; raises err::kAdoObjectClosed when closed.
  const ConnectionHandle& Live() const;

  // Runs `body`. A DriverError it throws replaces Errors with its records
  // (corrected by the dialect, numbered by SQLSTATE) and is rethrown as the
  // first record's PlatformError. Other failures pass unchanged.
  template <typename F>
  decltype(auto) Guard(F&& body, int32_t default_number = err::kAdoCommandError) {
    try {
      return body();
    } catch (const DriverError& e) {
      Fail(e, default_number);
    }
  }
  [[noreturn]] void Fail(const DriverError& error, int32_t default_number);

  // Runs one statement the driver understands, with `params` bound (may be
  // null), reading every result into `results` (row results only when
  // `keep_sets`). The statement is closed before returning, on success and
  // on failure. A timeout of 0 sets no limit.
  void Run(const std::string& sql, ParameterSet* params, bool keep_sets, int timeout_seconds,
           Results* results);
  // Translates a T-SQL batch and runs its statements in order.
  void RunBatch(std::string_view tsql, bool keep_sets, int timeout_seconds, Results* results);

  // With a dialect that hosts T-SQL in the data source: runs `tsql` there
  // (parameters bound to its "?" markers) and returns the queries that read
  // its results. Output values are handed to `params`, once read.
  std::vector<std::string> RunHosted(const std::string& tsql, ParameterSet* params,
                                     int timeout_seconds, int64_t* records_affected);
  // The parameter list of a stored procedure, from the hosted engine.
  std::vector<Parameter> HostedProcedureParameters(const std::string& procedure);

  void RunDirect(const std::string& sql, ParameterSet* params, bool keep_sets,
                 int timeout_seconds, Results* results);
  std::string CallHosted(const std::string& call, ParameterSet* params, int timeout_seconds);
  std::vector<std::string> ReadReply(const std::string& reply, ParameterSet* params,
                                     int timeout_seconds, int64_t* records_affected);

  // Lets go of the connection (disconnecting it when it was opened here).
  void Close();
};

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_SESSION_H_
