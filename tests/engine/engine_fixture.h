// Shared helpers of the embedded engine's conformance tests: a connection on
// an in-memory database, batches rendered as text (every result set, in
// order), and errors rendered as "SQLSTATE/native: description".
#ifndef ZV_TESTS_ENGINE_ENGINE_FIXTURE_H_
#define ZV_TESTS_ENGINE_ENGINE_FIXTURE_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/sqlite/embedded_connection.h"

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

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() : conn_(EmbeddedConnection::Open(":memory:")) {}

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

  std::shared_ptr<EmbeddedConnection> conn_;
};

}  // namespace zv::sqlite::testing

#endif  // ZV_TESTS_ENGINE_ENGINE_FIXTURE_H_
