#include "data/sqlite/embedded_connection.h"

#include <chrono>

#include "data/sqlite/catalog_store.h"
#include "data/sqlite/table_recordset.h"
#include "data/sqlite/value_codec.h"
#include "data/tsql/lexer.h"
#include "data/tsql/types.h"

namespace zv::sqlite {
namespace {

// The first result with the others chained behind it, or nullptr.
std::shared_ptr<Recordset> Chain(std::vector<std::shared_ptr<Recordset>>& results) {
  if (results.empty()) return nullptr;
  for (size_t i = results.size() - 1; i > 0; --i) results[i - 1]->SetNextRecordset(results[i]);
  return results.front();
}

// The table a source text names when it is nothing but a (qualified) name.
std::optional<std::string> BareTableName(std::string_view source) {
  if (!tsql::IsBareObjectName(source)) return std::nullopt;
  return NormalizeObjectName(source).name;
}

DbError TimeoutError() {
  DbError e = MakeDbError(0, "HYT00", "Query timeout expired");
  e.number = err::kAdoTimeout;
  return e;
}

class EmbeddedCommand : public Command {
 public:
  explicit EmbeddedCommand(std::shared_ptr<EmbeddedConnection> connection)
      : connection_(std::move(connection)) {}

  void SetCommandText(std::string_view text) override {
    std::vector<Parameter> params = connection_->ProcedureParameters(text);
    text_ = std::string(text);
    params_ = std::move(params);
  }
  const std::string& CommandText() const override { return text_; }
  std::vector<Parameter>& Parameters() override { return params_; }
  std::shared_ptr<Recordset> Execute() override {
    return connection_->CallProcedure(text_, params_, command_timeout);
  }

 private:
  std::shared_ptr<EmbeddedConnection> connection_;
  std::string text_;
  std::vector<Parameter> params_;
};

}  // namespace

std::shared_ptr<EmbeddedConnection> EmbeddedConnection::Open(const std::string& path) {
  std::shared_ptr<EmbeddedConnection> c(new EmbeddedConnection());
  c->db_ = Database::Open(path);
  c->runner_ = std::make_unique<BatchRunner>(c->db_);
  return c;
}

std::shared_ptr<EmbeddedConnection> EmbeddedConnection::Adopt(sqlite3* handle) {
  std::shared_ptr<EmbeddedConnection> c(new EmbeddedConnection());
  c->db_ = Database::Adopt(handle);
  c->runner_ = std::make_unique<BatchRunner>(c->db_);
  return c;
}

EmbeddedConnection::~EmbeddedConnection() {
  try {
    Close();
  } catch (const std::exception&) {
    // Closing never fails the owner.
  }
}

void EmbeddedConnection::Close() {
  if (!db_) return;
  try {
    if (db_->owns_handle() && db_->InTransaction()) db_->Rollback();
  } catch (const std::exception&) {
    // The database closes anyway, which rolls back.
  }
  runner_.reset();
  db_.reset();
}

void EmbeddedConnection::SetMessageHandler(std::function<void(const std::string&)> handler) {
  RequireOpen();
  runner_->SetMessageHandler(std::move(handler));
}

void EmbeddedConnection::RequireOpen() const {
  if (!db_) Raise(err::kAdoObjectClosed);
}

void EmbeddedConnection::Report(DbError error) {
  errors_.Clear();
  errors_.Add(error);
  throw DatabaseError(std::move(error));
}

template <typename Body>
auto EmbeddedConnection::Guard(Body&& body) -> decltype(body()) {
  RequireOpen();
  try {
    return body();
  } catch (const DatabaseError& e) {
    Report(e.error());
  } catch (const PlatformError& e) {
    DbError d = MakeDbError(0, "HY000", e.description());
    d.number = e.number();
    Report(std::move(d));
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    Report(MakeDbError(0, "HY000", e.what()));
  }
}

std::shared_ptr<Recordset> EmbeddedConnection::Execute(std::string_view sql,
                                                       int32_t* records_affected, int options) {
  return Guard([&]() -> std::shared_ptr<Recordset> {
    BatchOutcome out = runner_->Run(sql);
    if (records_affected != nullptr) *records_affected = out.records_affected;
    if (options != ado::kCmdUnspecified && (options & ado::kExecuteNoRecords) != 0) return nullptr;
    return Chain(out.results);
  });
}

std::shared_ptr<Recordset> EmbeddedConnection::OpenRecordset(std::string_view source,
                                                             int cursor_type, int lock_type,
                                                             int options) {
  return Guard([&]() -> std::shared_ptr<Recordset> {
    bool live = (cursor_type == ado::kOpenKeyset || cursor_type == ado::kOpenDynamic) &&
                (lock_type == ado::kLockOptimistic || lock_type == ado::kLockBatchOptimistic);
    std::optional<std::string> table;
    if (options == ado::kCmdTable) {
      table = NormalizeObjectName(source).name;
    } else {
      table = BareTableName(source);
    }
    std::string batch(source);
    if (table && live) {
      std::shared_ptr<Recordset> rs = OpenTableRecordset(db_, *table);
      rs->cursor_type = cursor_type;
      rs->lock_type = lock_type;
      return rs;
    }
    if (table) batch = "SELECT * FROM " + tsql::QuoteName(*table);
    BatchOutcome out = runner_->Run(batch);
    std::shared_ptr<Recordset> rs = Chain(out.results);
    for (auto& r : out.results) {
      r->cursor_type = ado::kOpenStatic;
      if (lock_type != ado::kLockUnspecified) r->lock_type = lock_type;
    }
    // A source that returns no rows gives a closed set, as in ADO.
    return rs ? rs : std::make_shared<Recordset>();
  });
}

std::unique_ptr<Command> EmbeddedConnection::CreateCommand() {
  RequireOpen();
  return std::make_unique<EmbeddedCommand>(shared_from_this());
}

std::vector<Parameter> EmbeddedConnection::ProcedureParameters(std::string_view procedure) {
  return Guard([&] {
    std::optional<tsql::RoutineDef> routine = runner_->FindProcedure(procedure);
    if (!routine) {
      throw DatabaseError(MakeDbError(2812, "42000", "Could not find stored procedure '" +
                                                         std::string(procedure) + "'."));
    }
    std::vector<Parameter> params;
    Parameter rv;
    rv.name = "@RETURN_VALUE";
    rv.type = ado::kInteger;
    rv.direction = ado::kParamReturnValue;
    rv.size = 4;
    rv.precision = 10;
    params.push_back(rv);
    for (const tsql::ParamDef& d : routine->params) {
      FieldInfo f = FieldInfoFor(d.name, d.type, true);
      Parameter p;
      p.name = d.name;
      p.type = f.type;
      p.size = f.defined_size;
      bool numeric = ado::IsNumericType(f.type);
      p.precision = numeric && f.precision != 255 ? f.precision : 0;
      p.numeric_scale = numeric && f.numeric_scale != 255 ? f.numeric_scale : 0;
      p.direction = d.output ? ado::kParamInputOutput : ado::kParamInput;
      p.has_default = d.has_default;
      params.push_back(std::move(p));
    }
    return params;
  });
}

std::shared_ptr<Recordset> EmbeddedConnection::CallProcedure(std::string_view procedure,
                                                             std::vector<Parameter>& params,
                                                             int32_t timeout_seconds) {
  return Guard([&]() -> std::shared_ptr<Recordset> {
    std::vector<ProcedureArgument> args;
    std::vector<size_t> origin;
    for (size_t i = 0; i < params.size(); ++i) {
      const Parameter& p = params[i];
      if (p.direction == ado::kParamReturnValue) continue;
      bool output = p.direction == ado::kParamOutput || p.direction == ado::kParamInputOutput;
      args.push_back({p.name, p.direction == ado::kParamOutput ? Variant() : p.value, output});
      origin.push_back(i);
    }
    if (timeout_seconds > 0) {
      runner_->SetDeadline(std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds));
    }
    BatchOutcome out;
    try {
      out = runner_->CallProcedure(procedure, args);
    } catch (const DatabaseError&) {
      bool late = runner_->DeadlinePassed();
      runner_->SetDeadline(std::nullopt);
      if (late) throw DatabaseError(TimeoutError());
      throw;
    } catch (...) {
      runner_->SetDeadline(std::nullopt);
      throw;
    }
    runner_->SetDeadline(std::nullopt);
    for (size_t k = 0; k < args.size(); ++k) {
      if (args[k].output) params[origin[k]].value = args[k].value;
    }
    for (Parameter& p : params) {
      if (p.direction == ado::kParamReturnValue) p.value = Variant(out.return_value);
    }
    return Chain(out.results);
  });
}

}  // namespace zv::sqlite
