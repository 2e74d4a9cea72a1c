#include "data/odbc/odbc_connection.h"

#include <algorithm>

#include "data/odbc/catalog_queries.h"
#include "data/odbc/command.h"
#include "data/odbc/session.h"
#include "data/odbc/table_sink.h"
#include "data/tsql/lexer.h"

namespace zv::odbc {
namespace {

constexpr int kLockPessimistic = 2;

void Stamp(const std::vector<std::shared_ptr<Recordset>>& sets, int cursor_type,
           int lock_type) {
  for (const auto& rs : sets) {
    rs->cursor_location = ado::kUseClient;
    rs->cursor_type = cursor_type;
    if (lock_type != ado::kLockUnspecified) rs->lock_type = lock_type;
  }
}

}  // namespace

OdbcConnection::OdbcConnection(std::unique_ptr<SqlDialect> dialect)
    : session_(std::make_shared<Session>(std::move(dialect))) {}

OdbcConnection::~OdbcConnection() { session_->Close(); }

void OdbcConnection::Open(std::string_view connection_string) {
  if (session_->open()) Raise(err::kAdoObjectOpen);
  session_->Guard(
      [&] {
        auto environment = std::make_unique<Environment>();
        auto connection =
            ConnectionHandle::Connect(*environment, connection_string, connection_timeout);
        session_->environment = std::move(environment);
        session_->connection = std::move(connection);
      },
      err::kAdoConnectionFailed);
}

void OdbcConnection::Attach(void* connection_handle) {
  if (session_->open()) Raise(err::kAdoObjectOpen);
  if (connection_handle == nullptr) Raise(err::kAdoInvalidArgument);
  session_->connection = ConnectionHandle::Borrow(static_cast<SQLHDBC>(connection_handle));
}

std::shared_ptr<Recordset> OdbcConnection::Execute(std::string_view sql,
                                                   int32_t* records_affected, int options) {
  session_->Live();
  bool keep_sets = options == ado::kCmdUnspecified || (options & ado::kExecuteNoRecords) == 0;
  return session_->Guard([&] {
    Results results;
    session_->RunBatch(sql, keep_sets, command_timeout, &results);
    if (records_affected) {
      *records_affected = static_cast<int32_t>(
          std::clamp<int64_t>(results.last_count, -1, INT32_MAX));
    }
    Stamp(results.sets, ado::kOpenForwardOnly, ado::kLockReadOnly);
    return keep_sets ? LinkResults(results.sets) : std::shared_ptr<Recordset>();
  });
}

std::shared_ptr<Recordset> OdbcConnection::OpenRecordset(std::string_view source,
                                                         int cursor_type, int lock_type,
                                                         int options) {
  const ConnectionHandle& connection = session_->Live();
  bool updatable = (cursor_type == ado::kOpenKeyset || cursor_type == ado::kOpenDynamic) &&
                   (lock_type == ado::kLockOptimistic || lock_type == kLockPessimistic ||
                    lock_type == ado::kLockBatchOptimistic);
  // An updatable set on a bare table name opens the table, whatever the
  // options say.
  if (updatable && options != ado::kCmdStoredProc && tsql::IsBareObjectName(source)) {
    options = ado::kCmdTable;
  }
  bool live = options == ado::kCmdTable && updatable;
  std::string text(source);
  if (options == ado::kCmdTable) text = "SELECT * FROM " + text;
  if (options == ado::kCmdStoredProc) text = "EXEC " + text;

  if (!live) {
    return session_->Guard([&] {
      Results results;
      session_->RunBatch(text, true, command_timeout, &results);
      Stamp(results.sets, cursor_type, lock_type);
      std::shared_ptr<Recordset> first = LinkResults(results.sets);
      // A source that returns no rows gives a closed set, as it would in ADO.
      return first ? first : std::make_shared<Recordset>();
    });
  }

  return session_->Guard([&] {
    auto sink = std::make_shared<TableSink>(
        session_, std::string(source), ReadPrimaryKey(connection, SplitObjectName(source)));
    std::shared_ptr<Recordset> rs;
    {
      // A data source hosting T-SQL reads the table first and answers with
      // the query that reads the rows it sent back.
      std::string query;
      if (session_->dialect->HostsTsql()) {
        std::vector<std::string> queries =
            session_->RunHosted(text, nullptr, command_timeout, nullptr);
        if (queries.empty()) {
          throw DriverError({MakeRecord("HY000", "'" + text + "' returned no rows to open.")});
        }
        query = queries.front();
      } else {
        query = session_->dialect->Translate(text);
      }
      Statement statement(connection);
      if (command_timeout > 0) statement.SetQueryTimeout(command_timeout);
      statement.ExecDirect(query);
      std::vector<ColumnDescription> columns = DescribeResult(statement, *session_->dialect);
      sink->SetColumns(columns);
      rs = ReadResultSet(statement, columns,
                         [&](const std::vector<Variant>& row) { return sink->Remember(row); });
      while (statement.MoreResults()) {
      }
    }
    Stamp({rs}, cursor_type, lock_type);
    rs->SetSink(sink);
    return rs;
  });
}

std::unique_ptr<Command> OdbcConnection::CreateCommand() {
  return std::make_unique<OdbcCommand>(session_);
}

Errors& OdbcConnection::GetErrors() { return session_->errors; }

int OdbcConnection::State() const { return session_->open() ? ado::kStateOpen : ado::kStateClosed; }

void OdbcConnection::Close() {
  session_->Live();
  session_->Close();
}

}  // namespace zv::odbc
