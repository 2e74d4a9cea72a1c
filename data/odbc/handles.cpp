#include "data/odbc/handles.h"

#include <algorithm>
#include <atomic>

#include "data/odbc/test_hooks.h"

namespace zv::odbc {
namespace {

std::atomic<int> live_handles{0};
std::atomic<int> fail_countdown{0};
std::atomic<bool> failure_raised{false};

// Counts one ODBC call towards an armed failure, raising it on its turn.
void Checkpoint(const char* call) {
  if (fail_countdown.load(std::memory_order_relaxed) <= 0) return;
  if (fail_countdown.fetch_sub(1) != 1) return;
  failure_raised = true;
  throw DriverError({MakeRecord("HY000", std::string("Injected failure in ") + call)});
}

SQLCHAR* Chars(std::string& s) { return reinterpret_cast<SQLCHAR*>(s.data()); }

// A catalogue argument: NULL for "any / not applicable" when empty.
SQLCHAR* OptionalName(std::string& s) { return s.empty() ? nullptr : Chars(s); }
SQLSMALLINT OptionalLength(const std::string& s) {
  return s.empty() ? 0 : static_cast<SQLSMALLINT>(s.size());
}

[[noreturn]] void ThrowFor(SQLSMALLINT handle_type, SQLHANDLE handle, SQLRETURN rc,
                           const char* call) {
  std::vector<DbError> records;
  if (handle != SQL_NULL_HANDLE && rc != SQL_INVALID_HANDLE)
    records = ReadDiagnostics(handle_type, handle);
  if (records.empty()) {
    records.push_back(MakeRecord(
        "HY000", std::string(call) + " failed (return code " + std::to_string(rc) + ")"));
  }
  throw DriverError(std::move(records));
}

bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

}  // namespace

DriverError::DriverError(std::vector<DbError> records)
    : PlatformError(records.empty() || records.front().number == 0
                        ? err::kAdoCommandError
                        : records.front().number,
                    records.empty() ? std::string() : records.front().description,
                    kProviderSource),
      records_(std::move(records)) {}

DbError MakeRecord(std::string sql_state, std::string description, int32_t number,
                   int32_t native_error) {
  DbError e;
  e.number = number;
  e.description = std::move(description);
  e.source = kProviderSource;
  e.sql_state = std::move(sql_state);
  e.native_error = native_error;
  return e;
}

std::vector<DbError> ReadDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle) {
  std::vector<DbError> records;
  for (SQLSMALLINT i = 1;; ++i) {
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    SQLINTEGER native = 0;
    std::string message(512, '\0');
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(handle_type, handle, i, state, &native,
                                 Chars(message), static_cast<SQLSMALLINT>(message.size()),
                                 &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
      message.assign(static_cast<size_t>(length) + 1, '\0');
      rc = SQLGetDiagRec(handle_type, handle, i, state, &native, Chars(message),
                         static_cast<SQLSMALLINT>(message.size()), &length);
    }
    if (!Succeeded(rc)) break;
    message.resize(std::min<size_t>(static_cast<size_t>(length), message.size()));
    records.push_back(MakeRecord(reinterpret_cast<const char*>(state), std::move(message), 0,
                                 static_cast<int32_t>(native)));
  }
  return records;
}

int LiveHandleCount() { return live_handles.load(); }

void InjectFailureAt(int n) {
  failure_raised = false;
  fail_countdown = n;
}

bool InjectedFailureRaised() { return failure_raised.load(); }

// --- Environment -----------------------------------------------------------------

Environment::Environment() {
  Checkpoint("SQLAllocHandle(SQL_HANDLE_ENV)");
  SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle_);
  if (!Succeeded(rc)) ThrowFor(SQL_HANDLE_ENV, SQL_NULL_HANDLE, rc, "SQLAllocHandle(SQL_HANDLE_ENV)");
  ++live_handles;
  rc = SQLSetEnvAttr(handle_, SQL_ATTR_ODBC_VERSION,
                     reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(SQL_OV_ODBC3)), 0);
  if (!Succeeded(rc)) {
    std::vector<DbError> records = ReadDiagnostics(SQL_HANDLE_ENV, handle_);
    SQLFreeHandle(SQL_HANDLE_ENV, handle_);
    --live_handles;
    if (records.empty()) records.push_back(MakeRecord("HY000", "SQLSetEnvAttr failed"));
    throw DriverError(std::move(records));
  }
}

Environment::~Environment() {
  SQLFreeHandle(SQL_HANDLE_ENV, handle_);
  --live_handles;
}

// --- ConnectionHandle -------------------------------------------------------------

std::unique_ptr<ConnectionHandle> ConnectionHandle::Connect(const Environment& env,
                                                            std::string_view connection_string,
                                                            int login_timeout_seconds) {
  Checkpoint("SQLAllocHandle(SQL_HANDLE_DBC)");
  SQLHDBC dbc = SQL_NULL_HDBC;
  SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_DBC, env.get(), &dbc);
  if (!Succeeded(rc)) ThrowFor(SQL_HANDLE_ENV, env.get(), rc, "SQLAllocHandle(SQL_HANDLE_DBC)");
  ++live_handles;
  // Frees the handle on every failure below.
  struct Pending {
    SQLHDBC handle;
    ~Pending() {
      if (handle == SQL_NULL_HDBC) return;
      SQLFreeHandle(SQL_HANDLE_DBC, handle);
      --live_handles;
    }
  } pending{dbc};
  auto fail = [&](SQLRETURN code, const char* call) {
    std::vector<DbError> records = ReadDiagnostics(SQL_HANDLE_DBC, dbc);
    if (records.empty()) {
      records.push_back(MakeRecord(
          "08001", std::string(call) + " failed (return code " + std::to_string(code) + ")"));
    }
    throw DriverError(std::move(records));
  };
  if (login_timeout_seconds > 0) {
    Checkpoint("SQLSetConnectAttr(SQL_ATTR_LOGIN_TIMEOUT)");
    rc = SQLSetConnectAttr(
        dbc, SQL_ATTR_LOGIN_TIMEOUT,
        reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(login_timeout_seconds)), 0);
    if (!Succeeded(rc)) fail(rc, "SQLSetConnectAttr(SQL_ATTR_LOGIN_TIMEOUT)");
  }
  Checkpoint("SQLDriverConnect");
  std::string text(connection_string);
  rc = SQLDriverConnect(dbc, nullptr, Chars(text), static_cast<SQLSMALLINT>(text.size()),
                        nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
  if (!Succeeded(rc)) fail(rc, "SQLDriverConnect");
  pending.handle = SQL_NULL_HDBC;
  return std::unique_ptr<ConnectionHandle>(new ConnectionHandle(dbc, true));
}

std::unique_ptr<ConnectionHandle> ConnectionHandle::Borrow(SQLHDBC handle) {
  return std::unique_ptr<ConnectionHandle>(new ConnectionHandle(handle, false));
}

ConnectionHandle::~ConnectionHandle() {
  if (!owned_) return;
  if (!Succeeded(SQLDisconnect(handle_))) {
    // An open transaction keeps the driver from disconnecting: roll it back.
    SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_ROLLBACK);
    SQLDisconnect(handle_);
  }
  SQLFreeHandle(SQL_HANDLE_DBC, handle_);
  --live_handles;
}

// --- Statement ---------------------------------------------------------------------

Statement::Statement(const ConnectionHandle& connection) {
  Checkpoint("SQLAllocHandle(SQL_HANDLE_STMT)");
  SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, connection.get(), &handle_);
  if (!Succeeded(rc))
    ThrowFor(SQL_HANDLE_DBC, connection.get(), rc, "SQLAllocHandle(SQL_HANDLE_STMT)");
  ++live_handles;
}

Statement::~Statement() {
  SQLFreeStmt(handle_, SQL_CLOSE);
  SQLFreeHandle(SQL_HANDLE_STMT, handle_);
  --live_handles;
}

void Statement::Check(SQLRETURN rc, const char* call) {
  if (!Succeeded(rc)) ThrowFor(SQL_HANDLE_STMT, handle_, rc, call);
}

void Statement::SetQueryTimeout(int seconds) {
  Checkpoint("SQLSetStmtAttr(SQL_ATTR_QUERY_TIMEOUT)");
  Check(SQLSetStmtAttr(handle_, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(seconds < 0 ? 0 : seconds)),
                       0),
        "SQLSetStmtAttr(SQL_ATTR_QUERY_TIMEOUT)");
}

bool Statement::ExecDirect(std::string_view sql) {
  Checkpoint("SQLExecDirect");
  std::string text(sql);
  SQLRETURN rc = SQLExecDirect(handle_, Chars(text), static_cast<SQLINTEGER>(text.size()));
  if (rc == SQL_NO_DATA) return false;
  Check(rc, "SQLExecDirect");
  return true;
}

void Statement::BindParameter(int number, SQLSMALLINT io_type, SQLSMALLINT c_type,
                              SQLSMALLINT sql_type, SQLULEN column_size,
                              SQLSMALLINT decimal_digits, void* buffer, SQLLEN buffer_length,
                              SQLLEN* indicator) {
  Checkpoint("SQLBindParameter");
  Check(SQLBindParameter(handle_, static_cast<SQLUSMALLINT>(number), io_type, c_type, sql_type,
                         column_size, decimal_digits, buffer, buffer_length, indicator),
        "SQLBindParameter");
}

int Statement::NumResultCols() {
  Checkpoint("SQLNumResultCols");
  SQLSMALLINT n = 0;
  Check(SQLNumResultCols(handle_, &n), "SQLNumResultCols");
  return n;
}

int64_t Statement::RowCount() {
  Checkpoint("SQLRowCount");
  SQLLEN n = -1;
  Check(SQLRowCount(handle_, &n), "SQLRowCount");
  return static_cast<int64_t>(n);
}

bool Statement::Fetch() {
  Checkpoint("SQLFetch");
  SQLRETURN rc = SQLFetch(handle_);
  if (rc == SQL_NO_DATA) return false;
  Check(rc, "SQLFetch");
  return true;
}

bool Statement::MoreResults() {
  Checkpoint("SQLMoreResults");
  SQLRETURN rc = SQLMoreResults(handle_);
  if (rc == SQL_NO_DATA) return false;
  Check(rc, "SQLMoreResults");
  return true;
}

void Statement::Reset() {
  Checkpoint("SQLFreeStmt(SQL_CLOSE)");
  Check(SQLFreeStmt(handle_, SQL_CLOSE), "SQLFreeStmt(SQL_CLOSE)");
  Check(SQLFreeStmt(handle_, SQL_RESET_PARAMS), "SQLFreeStmt(SQL_RESET_PARAMS)");
}

Statement::Column Statement::DescribeColumn(int column) {
  Checkpoint("SQLDescribeCol");
  Column c;
  std::string name(256, '\0');
  SQLSMALLINT name_length = 0;
  auto describe = [&] {
    return SQLDescribeCol(handle_, static_cast<SQLUSMALLINT>(column), Chars(name),
                          static_cast<SQLSMALLINT>(name.size()), &name_length, &c.sql_type,
                          &c.column_size, &c.decimal_digits, &c.nullable);
  };
  Check(describe(), "SQLDescribeCol");
  if (name_length >= static_cast<SQLSMALLINT>(name.size())) {
    name.assign(static_cast<size_t>(name_length) + 1, '\0');
    Check(describe(), "SQLDescribeCol");
  }
  name.resize(static_cast<size_t>(name_length));
  c.name = std::move(name);

  std::string type_name(128, '\0');
  SQLSMALLINT type_length = 0;
  Check(SQLColAttribute(handle_, static_cast<SQLUSMALLINT>(column), SQL_DESC_TYPE_NAME,
                        Chars(type_name), static_cast<SQLSMALLINT>(type_name.size()),
                        &type_length, nullptr),
        "SQLColAttribute(SQL_DESC_TYPE_NAME)");
  type_name.resize(std::min<size_t>(static_cast<size_t>(type_length), type_name.size() - 1));
  c.type_name = std::move(type_name);

  SQLLEN value = 0;
  if (Succeeded(SQLColAttribute(handle_, static_cast<SQLUSMALLINT>(column), SQL_DESC_PRECISION,
                                nullptr, 0, nullptr, &value)))
    c.precision = value;
  value = 0;
  if (Succeeded(SQLColAttribute(handle_, static_cast<SQLUSMALLINT>(column),
                                SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &value)))
    c.auto_increment = value == SQL_TRUE;
  // Some drivers (SQLite's) report every column as nullable to
  // SQLDescribeCol but know better in the column's descriptor.
  value = SQL_NULLABLE_UNKNOWN;
  if (Succeeded(SQLColAttribute(handle_, static_cast<SQLUSMALLINT>(column), SQL_DESC_NULLABLE,
                                nullptr, 0, nullptr, &value)) &&
      value == SQL_NO_NULLS)
    c.nullable = SQL_NO_NULLS;
  return c;
}

bool Statement::GetFixedBytes(int column, SQLSMALLINT c_type, void* out, size_t size) {
  Checkpoint("SQLGetData");
  SQLLEN indicator = 0;
  Check(SQLGetData(handle_, static_cast<SQLUSMALLINT>(column), c_type, out,
                   static_cast<SQLLEN>(size), &indicator),
        "SQLGetData");
  return indicator != SQL_NULL_DATA;
}

std::optional<std::string> Statement::GetChunks(int column, SQLSMALLINT c_type,
                                                size_t terminator) {
  Checkpoint("SQLGetData");
  std::string out;
  char buffer[4096];
  const size_t room = sizeof(buffer) - terminator;
  for (;;) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(handle_, static_cast<SQLUSMALLINT>(column), c_type, buffer,
                              sizeof(buffer), &indicator);
    if (rc == SQL_NO_DATA) break;  // the last chunk has been read
    Check(rc, "SQLGetData");
    if (indicator == SQL_NULL_DATA) return std::nullopt;
    bool truncated = rc == SQL_SUCCESS_WITH_INFO &&
                     (indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) > room);
    if (truncated) {
      out.append(buffer, room);
      continue;
    }
    out.append(buffer, static_cast<size_t>(indicator));
    break;
  }
  return out;
}

std::optional<std::string> Statement::GetText(int column) { return GetChunks(column, SQL_C_CHAR, 1); }

std::optional<std::string> Statement::GetBinary(int column) {
  return GetChunks(column, SQL_C_BINARY, 0);
}

void Statement::PrimaryKeys(const std::string& catalog, const std::string& schema,
                            const std::string& table) {
  Checkpoint("SQLPrimaryKeys");
  std::string c = catalog, s = schema, t = table;
  Check(SQLPrimaryKeys(handle_, OptionalName(c), OptionalLength(c), OptionalName(s),
                       OptionalLength(s), Chars(t), static_cast<SQLSMALLINT>(t.size())),
        "SQLPrimaryKeys");
}

void Statement::ProcedureColumns(const std::string& catalog, const std::string& schema,
                                 const std::string& procedure) {
  Checkpoint("SQLProcedureColumns");
  std::string c = catalog, s = schema, p = procedure;
  Check(SQLProcedureColumns(handle_, OptionalName(c), OptionalLength(c), OptionalName(s),
                            OptionalLength(s), Chars(p), static_cast<SQLSMALLINT>(p.size()),
                            nullptr, 0),
        "SQLProcedureColumns");
}

void Statement::Procedures(const std::string& catalog, const std::string& schema,
                           const std::string& procedure) {
  Checkpoint("SQLProcedures");
  std::string c = catalog, s = schema, p = procedure;
  Check(SQLProcedures(handle_, OptionalName(c), OptionalLength(c), OptionalName(s),
                      OptionalLength(s), Chars(p), static_cast<SQLSMALLINT>(p.size())),
        "SQLProcedures");
}

}  // namespace zv::odbc
