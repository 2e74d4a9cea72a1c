// TEST HELPER ONLY — not a translator. Just enough of T-SQL for the ODBC
// backend's tests, which run against the SQLite ODBC driver (sqliteodbc)
// because no SQL Server is at hand. The embedded engine's real T-SQL ->
// SQLite translation lives in data/tsql/.
//
// What sqliteodbc needs and this helper does:
// - one statement per SQLExecDirect: a batch is split at ";" outside quotes;
// - "#name" tables: CREATE TABLE #t becomes CREATE TEMP TABLE "#t", and
//   every other #name is quoted;
// - DECIMAL(p,s) is declared DECIMAL_TEXT(p,s), so that SQLite keeps the
//   digits as text instead of a double;
// - the driver reports declared types loosely (DECIMAL and CHAR as
//   VARCHAR, the scale of DECIMAL(p,s) in SQL_DESC_PRECISION, REAL as
//   DOUBLE): the declared type names are mapped back (MapDeclaredType);
// - every error comes as SQLSTATE HY000 with SQLite's result code as the
//   native number: a constraint failure (code 19, or "constraint" in the
//   text) is reported as 23000 here, and only in this dialect.
#ifndef ZV_TESTS_ODBC_SQLITE_TEST_DIALECT_H_
#define ZV_TESTS_ODBC_SQLITE_TEST_DIALECT_H_

#include <algorithm>
#include <cctype>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "data/odbc/odbc_connection.h"
#include "data/odbc/sqlite_tsql_dialect.h"

namespace zv::odbc::testing {

class TestOnlySqliteDialect : public SqlDialect {
 public:
  std::string Translate(std::string_view tsql) override {
    std::string s(tsql);
    s = std::regex_replace(s, std::regex(R"(CREATE\s+TABLE\s+#)", std::regex::icase),
                           "CREATE TEMP TABLE #");
    s = std::regex_replace(s, std::regex(R"((^|[^"\[\w])#(\w+))"), "$1\"#$2\"");
    s = std::regex_replace(s, std::regex(R"(\bDECIMAL\s*\()", std::regex::icase),
                           "DECIMAL_TEXT(");
    return s;
  }

  std::vector<std::string> SplitBatch(std::string_view sql) override {
    std::vector<std::string> out(1);
    bool quoted = false;
    for (char c : sql) {
      if (c == '\'') quoted = !quoted;
      if (c == ';' && !quoted) {
        out.emplace_back();
        continue;
      }
      out.back() += c;
    }
    return out;
  }

  void AdjustColumn(ColumnDescription& c) override { MapDeclaredType(c); }

  void AdjustError(DbError& e) override {
    std::string text = Upper(e.description);
    if (e.sql_state == "HY000" &&
        (e.native_error == 19 || text.find("CONSTRAINT") != std::string::npos))
      e.sql_state = "23000";
  }

  std::string LastIdentityQuery() const override { return "SELECT last_insert_rowid()"; }

 private:
  static std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
  }
};

}  // namespace zv::odbc::testing

#endif  // ZV_TESTS_ODBC_SQLITE_TEST_DIALECT_H_
