#include "data/odbc/session.h"

#include <cctype>

namespace zv::odbc {

Session::Session(std::unique_ptr<SqlDialect> dialect_in) : dialect(std::move(dialect_in)) {
  if (!dialect) dialect = std::make_unique<SqlServerDialect>();
}

const ConnectionHandle& Session::Live() const {
  if (!connection) Raise(err::kAdoObjectClosed);
  return *connection;
}

void Session::Fail(const DriverError& error, int32_t default_number) {
  std::vector<DbError> records = error.records();
  if (records.empty()) records.push_back(MakeRecord("HY000", error.description()));
  errors.Clear();
  for (DbError& r : records) {
    dialect->AdjustError(r);
    if (r.number == 0) r.number = NumberForState(r.sql_state, default_number);
    if (r.source.empty()) r.source = kProviderSource;
    errors.Add(r);
  }
  const DbError& first = records.front();
  throw PlatformError(first.number, first.description, first.source);
}

void Session::Run(const std::string& sql, ParameterSet* params, bool keep_sets,
                  int timeout_seconds, Results* results) {
  Statement statement(Live());
  if (timeout_seconds > 0) statement.SetQueryTimeout(timeout_seconds);
  if (params && !params->empty()) params->BindAll(statement);
  bool with_data = statement.ExecDirect(sql);
  ReadAllResults(statement, *dialect, with_data, keep_sets, results);
}

void Session::RunBatch(std::string_view tsql, bool keep_sets, int timeout_seconds,
                       Results* results) {
  std::string translated = dialect->Translate(tsql);
  for (const std::string& statement : dialect->SplitBatch(translated)) {
    bool blank = true;
    for (char c : statement) blank = blank && std::isspace(static_cast<unsigned char>(c));
    if (!blank) Run(statement, nullptr, keep_sets, timeout_seconds, results);
  }
}

void Session::Close() {
  connection.reset();
  environment.reset();
}

// --- SqlDialect defaults --------------------------------------------------------------

std::vector<std::string> SqlDialect::SplitBatch(std::string_view sql) {
  return {std::string(sql)};
}

void SqlDialect::AdjustColumn(ColumnDescription&) {}

void SqlDialect::AdjustError(DbError&) {}

}  // namespace zv::odbc
