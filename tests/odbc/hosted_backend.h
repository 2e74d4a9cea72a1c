// The two backends the end-to-end tests run on: the embedded engine on an
// in-memory database, and ODBC through the SQLite ODBC driver with the
// engine loaded into the driver's connection (libzv_tsql.so). The same
// statements, procedure calls and record-set writes then prove the ODBC
// backend: driver manager, driver, parameters, results, errors.
#ifndef ZV_TESTS_ODBC_HOSTED_BACKEND_H_
#define ZV_TESTS_ODBC_HOSTED_BACKEND_H_

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>

#include "data/odbc/odbc_connection.h"
#include "data/odbc/sqlite_tsql_dialect.h"
#include "data/sqlite/embedded_connection.h"
#include "tests/odbc/sqlite_odbc_support.h"

namespace zv::testing {

enum class Backend { kEmbedded, kOdbc };

// Test names and messages show the backend by name.
inline void PrintTo(Backend backend, std::ostream* out) {
  *out << (backend == Backend::kEmbedded ? "Embedded" : "Odbc");
}

inline std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::kEmbedded ? "Embedded" : "Odbc";
}

inline auto BothBackends() { return ::testing::Values(Backend::kEmbedded, Backend::kOdbc); }

// A connection through the SQLite ODBC driver to a fresh database file of
// its own (named after the running test), the engine loaded into it.
inline std::shared_ptr<odbc::OdbcConnection> OpenHostedOdbc() {
  static int opened = 0;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test ? std::string(test->test_suite_name()) + "_" + test->name() : "hosted";
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  name += "_" + std::to_string(++opened);
  auto c = std::make_shared<odbc::OdbcConnection>(std::make_unique<odbc::SqliteTsqlDialect>());
  c->Open(odbc::SqliteTsqlDialect::ConnectionString(
      odbc::testing::SqliteDriverPath(), odbc::testing::FreshDatabasePath(name),
      ZV_TSQL_EXTENSION));
  return c;
}

inline std::shared_ptr<Connection> OpenBackend(Backend backend) {
  if (backend == Backend::kEmbedded) return sqlite::EmbeddedConnection::Open(":memory:");
  return OpenHostedOdbc();
}

}  // namespace zv::testing

#endif  // ZV_TESTS_ODBC_HOSTED_BACKEND_H_
