// Connecting the ODBC backend's tests to the SQLite ODBC driver without any
// system-wide ODBC configuration: the driver is named by the path of its
// library in the connection string, and each test gets its own database
// file under the build's test folder.
#ifndef ZV_TESTS_ODBC_SQLITE_ODBC_SUPPORT_H_
#define ZV_TESTS_ODBC_SQLITE_ODBC_SUPPORT_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "data/odbc/odbc_connection.h"
#include "tests/odbc/sqlite_test_dialect.h"

namespace zv::odbc::testing {

// The SQLite ODBC driver's library (Debian package libsqliteodbc), or ""
// when it is not installed. ZV_TEST_SQLITEODBC names another one.
inline std::string SqliteDriverPath() {
  if (const char* given = std::getenv("ZV_TEST_SQLITEODBC")) return given;
  for (const char* path : {"/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so",
                           "/usr/lib/aarch64-linux-gnu/odbc/libsqlite3odbc.so",
                           "/usr/lib/odbc/libsqlite3odbc.so",
                           "/usr/local/lib/libsqlite3odbc.so"}) {
    if (std::filesystem::exists(path)) return path;
  }
  return "";
}

// A database file of its own for `name`, removed if left by an earlier run.
inline std::string FreshDatabasePath(const std::string& name) {
  std::filesystem::path dir = std::getenv("ZV_TEST_TMP")
                                  ? std::filesystem::path(std::getenv("ZV_TEST_TMP"))
                                  : std::filesystem::temp_directory_path() / "zv_odbc_tests";
  std::filesystem::create_directories(dir);
  std::filesystem::path file = dir / ("odbc_" + name + ".db");
  std::filesystem::remove(file);
  return file.string();
}

inline std::string SqliteConnectionString(const std::string& database) {
  return "DRIVER=" + SqliteDriverPath() + ";Database=" + database;
}

inline std::unique_ptr<OdbcConnection> OpenSqlite(const std::string& database) {
  auto c = std::make_unique<OdbcConnection>(std::make_unique<TestOnlySqliteDialect>());
  c->Open(SqliteConnectionString(database));
  return c;
}

}  // namespace zv::odbc::testing

#endif  // ZV_TESTS_ODBC_SQLITE_ODBC_SUPPORT_H_
