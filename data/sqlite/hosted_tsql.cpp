#include "data/sqlite/hosted_tsql.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "data/sqlite/embedded_connection.h"

namespace zv::sqlite {
namespace {

// Connections the engine is hosted in, so that a second load of the
// extension on the same connection does not put a second engine on it. An
// object, not a pointer kept forever: the extension is unloaded when its
// last connection closes, and its memory must go with it.
std::mutex hosted_mutex;
std::unordered_set<sqlite3*>& HostedConnections() {
  static std::unordered_set<sqlite3*> set;
  return set;
}

// "VARCHAR(10)"; the MAX types as "VARCHAR_MAX", a name SQLite accepts.
std::string TypeWithLength(const char* name, int32_t length) {
  if (length <= 0 || length > 8000) return std::string(name) + "_MAX";
  return std::string(name) + "(" + std::to_string(length) + ")";
}

// A column name fit for one line of the reply.
std::string OneLine(std::string name) {
  for (char& c : name) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return name;
}

struct HostedState {
  explicit HostedState(sqlite3* db) : handle(db), connection(EmbeddedConnection::Adopt(db)) {}

  sqlite3* handle;
  std::shared_ptr<EmbeddedConnection> connection;
  int kept_tables = 0;  // zv_result_1..n of the last call
  int next_limit_seconds = 0;  // zv_time_limit: for the next call only
  bool busy = false;

  Database& database() { return *connection->database(); }

  void DropKeptTables() {
    for (; kept_tables > 0; --kept_tables) {
      database().Execute("DROP TABLE IF EXISTS temp." +
                         QuoteSqliteName("zv_result_" + std::to_string(kept_tables)));
    }
  }

  // Keeps one result in a new temporary table; returns the query reading it.
  std::string Keep(const std::vector<FieldInfo>& fields,
                   const std::vector<std::vector<Variant>>& rows) {
    std::string table = "zv_result_" + std::to_string(++kept_tables);
    std::string create = "CREATE TEMP TABLE " + QuoteSqliteName(table) + " (";
    std::string insert = "INSERT INTO temp." + QuoteSqliteName(table) + " VALUES (";
    std::string query = "SELECT ";
    for (size_t c = 0; c < fields.size(); ++c) {
      std::string column = QuoteSqliteName("c" + std::to_string(c + 1));
      const char* sep = c == 0 ? "" : ", ";
      create += sep + column + " " + DeclaredTypeFor(fields[c]);
      bool has_null = false;
      for (const std::vector<Variant>& row : rows) {
        has_null = has_null || c >= row.size() || row[c].IsNull() || row[c].IsEmpty();
      }
      if (!fields[c].nullable() && !has_null) create += " NOT NULL";
      insert += c == 0 ? "?" : ", ?";
      query += sep + column + " AS " + QuoteSqliteName(OneLine(fields[c].name));
    }
    database().Execute(create + ")");
    Statement st = database().Prepare(insert + ")");
    for (const std::vector<Variant>& row : rows) {
      for (size_t c = 0; c < row.size(); ++c) {
        int index = static_cast<int>(c) + 1;
        // Decimals keep every digit as text; the column's numeric affinity
        // stores them as numbers when no digit is lost.
        if (row[c].type() == VarType::kDecimal) {
          st.BindText(index, row[c].ToDecimal().ToString());
        } else {
          st.Bind(index, row[c]);
        }
      }
      st.Run();
      st.Reset();
    }
    return query + " FROM temp." + QuoteSqliteName(table) + " ORDER BY rowid";
  }

  std::string KeepRecordset(Recordset& rs) {
    std::vector<FieldInfo> fields;
    for (int c = 0; c < rs.FieldCount(); ++c) fields.push_back(rs.Field(c));
    std::vector<std::vector<Variant>> rows;
    if (!(rs.Bof() && rs.Eof())) {
      for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        std::vector<Variant>& row = rows.emplace_back();
        for (int c = 0; c < rs.FieldCount(); ++c) row.push_back(rs.Value(c));
      }
    }
    return Keep(fields, rows);
  }

  std::string Reply(const BatchOutcome& out) {
    std::string reply = std::to_string(out.records_affected);
    for (const std::shared_ptr<Recordset>& rs : out.results) {
      if (rs && rs->FieldCount() > 0) reply += "\nR " + KeepRecordset(*rs);
    }
    if (!out.output_fields.empty()) {
      reply += "\nO " + Keep(out.output_fields, {out.output_values});
    }
    return reply;
  }
};

std::string TextOf(sqlite3_value* v) {
  const unsigned char* text = sqlite3_value_text(v);
  return text != nullptr ? std::string(reinterpret_cast<const char*>(text),
                                       static_cast<size_t>(sqlite3_value_bytes(v)))
                         : std::string();
}

Variant ValueOf(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      return Variant::Null();
    case SQLITE_INTEGER:
      return Variant(static_cast<int64_t>(sqlite3_value_int64(v)));
    case SQLITE_FLOAT:
      return Variant(sqlite3_value_double(v));
    case SQLITE_BLOB: {
      const void* bytes = sqlite3_value_blob(v);
      return Variant(std::string(static_cast<const char*>(bytes),
                                 static_cast<size_t>(sqlite3_value_bytes(v))));
    }
    default:
      return Variant(TextOf(v));
  }
}

void ReportError(sqlite3_context* ctx, const std::string& sql_state, int32_t native,
                 const std::string& description) {
  std::string text = "[" + sql_state + "/" + std::to_string(native) + "] " + description;
  sqlite3_result_error(ctx, text.c_str(), static_cast<int>(text.size()));
}

// Runs `body` (which returns the reply) as the function's result, every
// failure as the function's error.
template <typename Body>
void Answer(sqlite3_context* ctx, Body&& body) {
  auto* state = static_cast<HostedState*>(sqlite3_user_data(ctx));
  if (state->busy) {
    ReportError(ctx, "HY000", 0, "The T-SQL engine is already running a batch.");
    return;
  }
  state->busy = true;
  BatchRunner& runner = state->connection->runner();
  if (state->next_limit_seconds > 0) {
    runner.SetDeadline(std::chrono::steady_clock::now() +
                       std::chrono::seconds(state->next_limit_seconds));
    state->next_limit_seconds = 0;
  }
  try {
    state->DropKeptTables();
    std::string reply = body(*state);
    runner.SetDeadline(std::nullopt);
    sqlite3_result_text(ctx, reply.data(), static_cast<int>(reply.size()), SQLITE_TRANSIENT);
  } catch (const DatabaseError& e) {
    // A statement stopped by the time limit fails with SQLite's interrupt:
    // the caller is told it timed out.
    bool late = runner.DeadlinePassed();
    runner.SetDeadline(std::nullopt);
    if (late) {
      ReportError(ctx, "HYT00", 0, "Query timeout expired");
    } else {
      ReportError(ctx, e.error().sql_state, e.error().native_error, e.error().description);
    }
  } catch (const PlatformError& e) {
    ReportError(ctx, "HY000", 0, e.description());
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(ctx);
  } catch (const std::exception& e) {
    ReportError(ctx, "HY000", 0, e.what());
  }
  runner.SetDeadline(std::nullopt);
  state->busy = false;
}

// zv_time_limit(seconds): the next zv_batch call stops with a timeout
// (HYT00) once it has run that long.
void SetTimeLimit(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto* state = static_cast<HostedState*>(sqlite3_user_data(ctx));
  state->next_limit_seconds = std::max(0, sqlite3_value_int(argv[0]));
  sqlite3_result_int(ctx, state->next_limit_seconds);
}

void RunBatch(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  Answer(ctx, [&](HostedState& state) {
    std::string batch = TextOf(argv[0]);
    if (argc == 1) return state.Reply(state.connection->runner().Run(batch));
    std::vector<Variant> values;
    for (int i = 2; i < argc; ++i) values.push_back(ValueOf(argv[i]));
    return state.Reply(
        state.connection->runner().RunWithParameters(batch, TextOf(argv[1]), values));
  });
}

FieldInfo ReplyField(const char* name, int type, int32_t size) {
  FieldInfo f;
  f.name = name;
  f.type = type;
  f.defined_size = size;
  if (type == ado::kInteger) f.precision = 10;
  return f;
}

void DescribeProcedure(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Answer(ctx, [&](HostedState& state) {
    std::vector<Parameter> params = state.connection->ProcedureParameters(TextOf(argv[0]));
    std::vector<FieldInfo> fields = {
        ReplyField("NAME", ado::kVarChar, 128),   ReplyField("DIRECTION", ado::kInteger, 4),
        ReplyField("TYPE", ado::kInteger, 4),     ReplyField("SIZE", ado::kInteger, 4),
        ReplyField("PRECISION", ado::kInteger, 4), ReplyField("SCALE", ado::kInteger, 4),
        ReplyField("HAS_DEFAULT", ado::kBoolean, 1)};
    std::vector<std::vector<Variant>> rows;
    for (const Parameter& p : params) {
      rows.push_back({Variant(p.name), Variant(static_cast<int32_t>(p.direction)),
                      Variant(static_cast<int32_t>(p.type)), Variant(static_cast<int32_t>(p.size)),
                      Variant(static_cast<int32_t>(p.precision)),
                      Variant(static_cast<int32_t>(p.numeric_scale)), Variant(p.has_default)});
    }
    return "-1\nR " + state.Keep(fields, rows);
  });
}

// Called by SQLite when the connection closes (or the function is
// replaced): the engine goes, without running anything on the handle.
void ReleaseState(void* p) {
  auto* state = static_cast<HostedState*>(p);
  {
    std::lock_guard<std::mutex> lock(hosted_mutex);
    HostedConnections().erase(state->handle);
  }
  delete state;
}

}  // namespace

std::string DeclaredTypeFor(const FieldInfo& f) {
  switch (f.type) {
    case ado::kChar: return TypeWithLength("CHAR", f.defined_size);
    case ado::kWChar: return TypeWithLength("NCHAR", f.defined_size);
    case ado::kVarChar: return TypeWithLength("VARCHAR", f.defined_size);
    case ado::kVarWChar: case ado::kBSTR: return TypeWithLength("NVARCHAR", f.defined_size);
    case ado::kLongVarChar: return "VARCHAR_MAX";
    case ado::kLongVarWChar: return "NVARCHAR_MAX";
    // Decimals are kept as text (the "_TEXT" gives the column text
    // affinity), so that no digit is lost to a double on the way.
    case ado::kNumeric: case ado::kDecimal:
      return "DECIMAL_TEXT(" + std::to_string(f.precision == 0 ? 18 : f.precision) + "," +
             std::to_string(f.numeric_scale) + ")";
    case ado::kCurrency: return "MONEY_TEXT";
    case ado::kInteger: case ado::kUnsignedSmallInt: return "INT";
    case ado::kSmallInt: return "SMALLINT";
    case ado::kTinyInt: case ado::kUnsignedTinyInt: return "TINYINT";
    case ado::kBigInt: case ado::kUnsignedInt: case ado::kUnsignedBigInt: return "BIGINT";
    case ado::kBoolean: return "BIT";
    case ado::kSingle: return "REAL";
    case ado::kDouble: return "FLOAT";
    case ado::kDate: case ado::kDBTimeStamp: return "DATETIME";
    case ado::kDBDate: return "DATE";
    case ado::kDBTime: return "TIME";
    case ado::kGUID: return "UNIQUEIDENTIFIER";
    case ado::kBinary: return TypeWithLength("BINARY", f.defined_size);
    case ado::kVarBinary: return TypeWithLength("VARBINARY", f.defined_size);
    case ado::kLongVarBinary: return "VARBINARY_MAX";
    default: return "SQL_VARIANT";
  }
}

int HostTsql(sqlite3* db, std::string* error) {
  {
    std::lock_guard<std::mutex> lock(hosted_mutex);
    if (!HostedConnections().insert(db).second) return SQLITE_OK;
  }
  HostedState* state = nullptr;
  try {
    state = new HostedState(db);
  } catch (const std::exception& e) {
    std::lock_guard<std::mutex> lock(hosted_mutex);
    HostedConnections().erase(db);
    if (error) *error = e.what();
    return SQLITE_ERROR;
  }
  // zv_batch owns the engine (SQLite releases it when the connection
  // closes, or at once when the registration fails); the other function
  // borrows it and goes with it.
  int rc = sqlite3_create_function_v2(db, "zv_batch", -1, SQLITE_UTF8, state, RunBatch, nullptr,
                                      nullptr, ReleaseState);
  if (rc == SQLITE_OK) {
    rc = sqlite3_create_function_v2(db, "zv_procedure_parameters", 1, SQLITE_UTF8, state,
                                    DescribeProcedure, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
      rc = sqlite3_create_function_v2(db, "zv_time_limit", 1, SQLITE_UTF8, state, SetTimeLimit,
                                      nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
      std::string message = sqlite3_errmsg(db);
      sqlite3_create_function_v2(db, "zv_batch", -1, SQLITE_UTF8, nullptr, nullptr, nullptr,
                                 nullptr, nullptr);
      if (error) *error = message;
    }
  } else if (error) {
    *error = sqlite3_errmsg(db);
  }
  return rc;
}

}  // namespace zv::sqlite
