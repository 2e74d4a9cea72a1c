#include "data/odbc/session.h"

#include <cctype>
#include <optional>

#include "data/odbc/sqlite_tsql_dialect.h"
#include "data/tsql/ast.h"

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
  if (!dialect->HostsTsql()) {
    RunDirect(sql, params, keep_sets, timeout_seconds, results);
    return;
  }
  int64_t affected = -1;
  std::vector<std::string> queries = RunHosted(sql, params, timeout_seconds, &affected);
  if (keep_sets) {
    for (const std::string& query : queries) RunDirect(query, nullptr, true, timeout_seconds, results);
  }
  results->last_count = affected;
}

void Session::RunDirect(const std::string& sql, ParameterSet* params, bool keep_sets,
                        int timeout_seconds, Results* results) {
  Statement statement(Live());
  if (timeout_seconds > 0) statement.SetQueryTimeout(timeout_seconds);
  if (params && !params->empty()) params->BindAll(statement);
  bool with_data = statement.ExecDirect(sql);
  ReadAllResults(statement, *dialect, with_data, keep_sets, results);
}

void Session::RunBatch(std::string_view tsql, bool keep_sets, int timeout_seconds,
                       Results* results) {
  if (dialect->HostsTsql()) {
    Run(std::string(tsql), nullptr, keep_sets, timeout_seconds, results);
    return;
  }
  std::string translated = dialect->Translate(tsql);
  for (const std::string& statement : dialect->SplitBatch(translated)) {
    bool blank = true;
    for (char c : statement) blank = blank && std::isspace(static_cast<unsigned char>(c));
    if (!blank) Run(statement, nullptr, keep_sets, timeout_seconds, results);
  }
}

// --- T-SQL hosted in the data source --------------------------------------------------

std::string Session::CallHosted(const std::string& call, ParameterSet* params,
                                int timeout_seconds) {
  if (timeout_seconds > 0) {
    // The hosted engine stops the call itself; the driver cannot.
    Statement limit(Live());
    limit.ExecDirect("SELECT zv_time_limit(" + std::to_string(timeout_seconds) + ")");
    while (limit.MoreResults()) {
    }
  }
  Statement statement(Live());
  if (timeout_seconds > 0) statement.SetQueryTimeout(timeout_seconds);
  if (params && !params->empty()) params->BindAllAsInputs(statement);
  statement.ExecDirect(call);
  std::optional<std::string> reply;
  if (statement.Fetch()) reply = statement.GetText(1);
  while (statement.MoreResults()) {
  }
  if (!reply) throw DriverError({MakeRecord("HY000", "The data source did not answer the T-SQL call.")});
  return *reply;
}

std::vector<std::string> Session::ReadReply(const std::string& text, ParameterSet* params,
                                            int timeout_seconds, int64_t* records_affected) {
  std::optional<hosted::Reply> reply = hosted::ParseReply(text);
  if (!reply) {
    throw DriverError({MakeRecord("HY000", "The data source answered the T-SQL call with '" +
                                               text.substr(0, 80) +
                                               "': is the engine's extension loaded (LoadExt)?")});
  }
  if (records_affected) *records_affected = reply->records_affected;
  if (reply->outputs_query && params) {
    Results outputs;
    RunDirect(*reply->outputs_query, nullptr, true, timeout_seconds, &outputs);
    if (!outputs.sets.empty() && !outputs.sets.front()->Eof()) {
      Recordset& row = *outputs.sets.front();
      int column = 0;
      for (size_t i = 0; i < params->size() && column < row.FieldCount(); ++i) {
        if (params->ReturnsValue(i)) params->SetReturned(i, row.Value(column++));
      }
    }
  }
  return std::move(reply->result_queries);
}

std::vector<std::string> Session::RunHosted(const std::string& tsql, ParameterSet* params,
                                            int timeout_seconds, int64_t* records_affected) {
  size_t markers = 0;
  std::string batch = hosted::NameParameterMarkers(tsql, &markers);
  size_t given = params ? params->size() : 0;
  if (markers != given) {
    throw DriverError({MakeRecord("07002", "The statement has " + std::to_string(markers) +
                                               " parameter markers and " +
                                               std::to_string(given) + " values.")});
  }
  std::string call = "SELECT zv_batch(" + tsql::QuoteString(batch);
  if (given > 0) {
    std::string declarations;
    for (size_t i = 0; i < given; ++i) {
      declarations += (i == 0 ? "" : ", ") + hosted::MarkerName(i) + " " +
                      params->DeclaredType(i) + (params->ReturnsValue(i) ? " OUTPUT" : "");
    }
    call += ", " + tsql::QuoteString(declarations);
    for (size_t i = 0; i < given; ++i) call += ", ?";
  }
  call += ")";
  return ReadReply(CallHosted(call, params, timeout_seconds), params, timeout_seconds,
                   records_affected);
}

std::vector<Parameter> Session::HostedProcedureParameters(const std::string& procedure) {
  std::string call = "SELECT zv_procedure_parameters(" + tsql::QuoteString(procedure) + ")";
  std::vector<std::string> queries = ReadReply(CallHosted(call, nullptr, 0), nullptr, 0, nullptr);
  std::vector<Parameter> params;
  if (queries.empty()) return params;
  Results rows;
  RunDirect(queries.front(), nullptr, true, 0, &rows);
  if (rows.sets.empty()) return params;
  Recordset& rs = *rows.sets.front();
  for (; !rs.Eof(); rs.MoveNext()) {
    Parameter p;
    p.name = rs.Value(0).ToString();
    p.direction = rs.Value(1).ToLong();
    p.type = rs.Value(2).ToLong();
    p.size = rs.Value(3).ToLong();
    p.precision = static_cast<uint8_t>(rs.Value(4).ToLong());
    p.numeric_scale = static_cast<uint8_t>(rs.Value(5).ToLong());
    p.has_default = rs.Value(6).ToBool();
    params.push_back(std::move(p));
  }
  return params;
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
