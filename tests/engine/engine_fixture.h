// Shared helpers of the engine's conformance tests: a connection, batches
// rendered as text (every result set, in order), and errors rendered as
// "SQLSTATE/native: description". Every test runs twice: on the embedded
// engine (an in-memory database) and through ODBC, on the SQLite ODBC
// driver with the engine loaded into it as an extension, so that the same
// statements prove the ODBC backend end to end.
#ifndef ZV_TESTS_ENGINE_ENGINE_FIXTURE_H_
#define ZV_TESTS_ENGINE_ENGINE_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/sqlite/embedded_connection.h"
#include "tests/odbc/hosted_backend.h"

namespace zv::sqlite::testing {

// Every result set of `first` and its followers, separated by "--\n".
inline std::string RenderAll(std::shared_ptr<Recordset> rs) {
  std::string out;
  bool first = true;
  while (rs) {
    if (!first) out += "--\n";
    first = false;
    out += RenderRecordset(*rs);
    rs = rs->NextRecordset();
  }
  return out;
}

using zv::testing::Backend;
using zv::testing::BackendName;

class EngineTest : public ::testing::TestWithParam<Backend> {
 protected:
  EngineTest() {
    if (GetParam() == Backend::kEmbedded) {
      embedded_ = EmbeddedConnection::Open(":memory:");
      conn_ = embedded_;
    } else {
      conn_ = zv::testing::OpenHostedOdbc();
    }
  }

  // Runs a batch that must succeed; returns its result sets rendered.
  std::string Rows(const std::string& sql) {
    try {
      return RenderAll(conn_->Execute(sql));
    } catch (const PlatformError& e) {
      ADD_FAILURE() << "batch failed: " << e.description() << "\n" << sql;
      return "ERROR";
    }
  }

  // Runs a batch that must succeed and returns nothing worth checking.
  void Run(const std::string& sql) { Rows(sql); }

  // The first error of a batch that must fail, as "SQLSTATE/native:
  // description", after checking that Errors holds the same error.
  std::string ErrorOf(const std::string& sql) {
    try {
      conn_->Execute(sql);
    } catch (const PlatformError& e) {
      Errors& errors = conn_->GetErrors();
      EXPECT_EQ(errors.Count(), 1);
      if (errors.Count() == 0) return "no error recorded";
      const DbError& d = errors.Item(0);
      EXPECT_EQ(d.description, e.description());
      EXPECT_EQ(d.number, e.number());
      return d.sql_state + "/" + std::to_string(d.native_error) + ": " + d.description;
    }
    return "none";
  }

  std::shared_ptr<Connection> conn_;
  std::shared_ptr<EmbeddedConnection> embedded_;  // null through ODBC
};

}  // namespace zv::sqlite::testing

#endif  // ZV_TESTS_ENGINE_ENGINE_FIXTURE_H_
