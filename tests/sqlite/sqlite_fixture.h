// Shared helpers for the embedded engine's tests: an in-memory database,
// evaluating one expression, rendering query results as text, and catching
// the engine's errors.
#ifndef ZV_TESTS_SQLITE_SQLITE_FIXTURE_H_
#define ZV_TESTS_SQLITE_SQLITE_FIXTURE_H_

#include <gtest/gtest.h>

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "data/sqlite/database.h"

namespace zv::sqlite::testing {

class SqliteTest : public ::testing::Test {
 protected:
  SqliteTest() : db_(Database::Open(":memory:")) {}

  // The value of `SELECT <expr>` as SQLite holds it, rendered for
  // comparison: NULL, integers, reals in shortest form, texts quoted.
  std::string Eval(const std::string& expr) { return Query("SELECT " + expr); }

  // Every row of a query, values separated by "|", rows by "\n" (no
  // trailing newline for a single row).
  std::string Query(const std::string& sql) {
    Statement st = db_->Prepare(sql);
    std::string out;
    bool first_row = true;
    while (st.Step()) {
      if (!first_row) out += "\n";
      first_row = false;
      for (int i = 0; i < st.ColumnCount(); ++i) {
        if (i > 0) out += "|";
        out += Render(st, i);
      }
    }
    return out;
  }

  // The error a statement raises ("none" when it succeeds), as
  // "SQLSTATE/native: description".
  std::string ErrorOf(const std::string& sql) {
    try {
      db_->Execute(sql);
    } catch (const DatabaseError& e) {
      return e.error().sql_state + "/" + std::to_string(e.error().native_error) + ": " +
             e.error().description;
    }
    return "none";
  }

  static std::string Render(const Statement& st, int i) {
    switch (st.ColumnKind(i)) {
      case ValueKind::kNull:
        return "NULL";
      case ValueKind::kInteger:
        return std::to_string(st.ColumnInt64(i));
      case ValueKind::kReal: {
        char buf[64];
        auto res = std::to_chars(buf, buf + sizeof buf, st.ColumnDouble(i));
        return std::string(buf, res.ptr) + "r";
      }
      default:
        return "'" + std::string(st.ColumnText(i)) + "'";
    }
  }

  std::shared_ptr<Database> db_;
};

// A fresh directory for database files, under $ZV_TEST_TMP when set.
inline std::filesystem::path TempDir(const std::string& name) {
  const char* base = std::getenv("ZV_TEST_TMP");
  std::filesystem::path dir =
      std::filesystem::path(base != nullptr ? base : "/tmp") /
      ("zv_sqlite_" + name + "_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace zv::sqlite::testing

#endif  // ZV_TESTS_SQLITE_SQLITE_FIXTURE_H_
