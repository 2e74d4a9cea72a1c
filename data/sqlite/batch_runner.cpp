// The batch interpreter: frames of variables, statements run through the
// translator, control flow, errors and transactions. Procedures, dynamic
// SQL and table-valued functions are in batch_routines.cpp.
#include "data/sqlite/batch_runner.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "data/sqlite/batch_runner_internal.h"
#include "data/sqlite/catalog_store.h"
#include "data/sqlite/result_reader.h"
#include "data/sqlite/sql_error.h"
#include "data/sqlite/table_functions.h"
#include "data/sqlite/value_codec.h"
#include "data/tsql/lexer.h"
#include "data/tsql/parser.h"
#include "data/tsql/types.h"

namespace zv::sqlite {

using tsql::StmtKind;

namespace runner_internal {

std::string FoldName(std::string_view name) {
  return tsql::ToUpperAscii(NormalizeObjectName(name).name);
}


std::string SqlStateForNative(int native) {
  switch (native) {
    case native::kInvalidColumn: return "42S22";
    case native::kInvalidObject: return "42S02";
    case native::kObjectExists: return "42S01";
    default: return "42000";
  }
}

std::string Slice(std::string_view text, const tsql::Statement& s) {
  if (s.source_end > s.source_begin && s.source_end <= text.size()) {
    return std::string(text.substr(s.source_begin, s.source_end - s.source_begin));
  }
  return s.ToString();
}

}  // namespace runner_internal

using namespace runner_internal;

// --- frames ----------------------------------------------------------------

BatchRunner::FrameScope::FrameScope(BatchRunner& runner, Frame& frame)
    : runner_(runner), frame_(frame) {
  if (runner.frames_.size() >= kMaxFrameDepth) {
    runner.Fail(217, "42000",
                "Maximum stored procedure, function, trigger, or view nesting level "
                "exceeded (limit 32).");
  }
  frame.depth = static_cast<int>(runner.frames_.size());
  frame.context.catalog = &runner.db_->catalog();
  runner.frames_.push_back(&frame);
}

BatchRunner::FrameScope::~FrameScope() {
  runner_.LeaveFrame(frame_);
  runner_.frames_.pop_back();
}

BatchRunner::BatchRunner(std::shared_ptr<Database> db)
    : db_(std::move(db)),
      cache_(std::make_unique<tsql::TranslationCache>(
          [this](std::string_view name) { return NameVersion(name); })),
      functions_(std::make_unique<TableFunctions>(*this, *db_)) {
  seen_catalog_version_ = db_->catalog().version();
}

BatchRunner::~BatchRunner() = default;

void BatchRunner::Fail(int32_t native_error, const char* sql_state, const std::string& message) {
  throw DatabaseError(MakeDbError(native_error, sql_state, message));
}

std::string BatchRunner::Where(tsql::Position pos) const {
  std::string out = " (";
  if (!frames_.empty() && !frames_.back()->routine.empty()) {
    out += "procedure " + frames_.back()->routine + ", ";
  }
  return out + "line " + std::to_string(pos.line) + ", column " + std::to_string(pos.column) + ")";
}

void BatchRunner::DeclareVariable(Frame& frame, const std::string& name, const tsql::SqlType& type,
                                  tsql::Position pos) {
  if (frame.context.variables.count(name) != 0) {
    Fail(134, "42000", "The variable name '" + name +
                           "' has already been declared. Variable names must be unique within "
                           "a query batch or stored procedure." + Where(pos));
  }
  frame.context.variables[name] = type;
  frame.values[tsql::ToUpperAscii(name)] = Variant::Null();
}

void BatchRunner::DeclareAll(Frame& frame, const std::vector<tsql::StmtPtr>& statements) {
  for (const auto& d : CollectDeclarations(statements)) DeclareVariable(frame, d.name, d.type, d.pos);
}

std::vector<Declaration> runner_internal::CollectDeclarations(
    const std::vector<tsql::StmtPtr>& statements) {
  std::vector<Declaration> out;
  auto visit = [&](auto& self, const tsql::Statement& s) -> void {
    switch (s.kind) {
      case StmtKind::kDeclare:
        for (const auto& v : s.As<tsql::DeclareStatement>().vars) {
          if (v.is_table) continue;
          tsql::SqlType type;
          try {
            type = tsql::TypeFromName(v.type, tsql::TypeNameUse::kDeclaration);
          } catch (const tsql::TypeError& e) {
            throw DatabaseError(MakeDbError(e.native_error(), "42000",
                                            std::string(e.what()) + " (line " +
                                                std::to_string(v.pos.line) + ", column " +
                                                std::to_string(v.pos.column) + ")"));
          }
          out.push_back({v.name, type, v.pos});
        }
        break;
      case StmtKind::kIf: {
        const auto& i = s.As<tsql::IfStatement>();
        self(self, *i.then_stmt);
        if (i.else_stmt) self(self, *i.else_stmt);
        break;
      }
      case StmtKind::kWhile:
        self(self, *s.As<tsql::WhileStatement>().body);
        break;
      case StmtKind::kBlock:
        for (const auto& c : s.As<tsql::BlockStatement>().statements) self(self, *c);
        break;
      case StmtKind::kTryCatch: {
        const auto& t = s.As<tsql::TryCatchStatement>();
        for (const auto& c : t.try_statements) self(self, *c);
        for (const auto& c : t.catch_statements) self(self, *c);
        break;
      }
      default:
        break;
    }
  };
  for (const auto& s : statements) visit(visit, *s);
  return out;
}

void BatchRunner::LeaveFrame(Frame& frame) {
  // Table variables end with their frame; their tables stay, emptied, for
  // the next declaration of the same variable at this depth.
  for (const std::string& table : frame.table_variables) {
    try {
      db_->Prepare("DELETE FROM temp." + QuoteSqliteName(table)).Run();
    } catch (const std::exception&) {
      kept_tables_.erase(table);
    }
  }
  // '#' tables created by a procedure or by dynamic SQL end with it.
  if (frame.kind == FrameKind::kBatch) return;
  bool dropped = false;
  for (auto it = frame.temp_tables.rbegin(); it != frame.temp_tables.rend(); ++it) {
    try {
      if (!db_->TableExists(*it)) continue;
      db_->Prepare("DROP TABLE temp." + QuoteSqliteName(*it)).Run();
      db_->catalog().RecordDropTable(*it);
      Touch(*it, 0);
      dropped = true;
    } catch (const std::exception&) {
      // The table stays; the next CREATE of that name reports it.
    }
  }
  if (dropped) {
    try {
      SyncCatalogVersion(true);
    } catch (const std::exception&) {
    }
  }
}

// --- catalogue versions ----------------------------------------------------------

uint64_t BatchRunner::NameVersion(std::string_view name) const {
  auto it = name_versions_.find(FoldName(name));
  uint64_t own = it == name_versions_.end() ? 0 : it->second;
  return (epoch_ << 32) ^ own;
}

void BatchRunner::Touch(std::string_view name, uint64_t definition) {
  name_versions_[FoldName(name)] = definition;
}

uint64_t runner_internal::DefinitionHash(const tsql::TableDef& table) {
  std::string text;
  for (const tsql::ColumnDef& c : table.columns) {
    text += c.name + " " + tsql::TypeToString(c.type) + (c.nullable ? "" : " NOT NULL") +
            (c.identity ? " IDENTITY" : "") + ",";
  }
  return std::hash<std::string>{}(text) | 1;
}

uint64_t runner_internal::DefinitionHash(const tsql::RoutineDef& routine) {
  return std::hash<std::string>{}(routine.kind + ":" + routine.definition) | 1;
}

void BatchRunner::SyncCatalogVersion(bool own_change) {
  uint64_t v = db_->catalog().version();
  if (v == seen_catalog_version_) return;
  // A change this runner did not make (another connection, a rollback, DDL
  // run around the interpreter) may touch any name.
  if (!own_change) ++epoch_;
  seen_catalog_version_ = v;
}

// --- running batches -------------------------------------------------------------

void BatchRunner::FailSyntax(const tsql::ParseError& error) {
  // A construct the engine does not run is named as such, not as a typo.
  if (error.message.rfind("not supported: ", 0) == 0) {
    Fail(0, "42000", error.message + Where({error.line, error.column}));
  }
  Fail(native::kSyntax, "42000", "Incorrect syntax at " + error.ToString());
}

BatchOutcome BatchRunner::Run(std::string_view batch) {
  tsql::ParsedBatch parsed = tsql::ParseBatch(batch);
  if (!parsed.ok()) FailSyntax(*parsed.error);
  BatchOutcome out;
  ResultSink saved = sink_;
  sink_ = ResultSink{&out.results, nullptr};
  try {
    Frame frame;
    frame.kind = FrameKind::kBatch;
    frame.text = batch;
    FrameScope scope(*this, frame);
    DeclareAll(frame, parsed.statements);
    RunStatements(parsed.statements, frame);
    out.return_value = frame.return_value;
  } catch (...) {
    sink_ = saved;
    throw;
  }
  sink_ = saved;
  out.records_affected = static_cast<int32_t>(rowcount_);
  return out;
}

BatchRunner::Flow BatchRunner::RunStatements(const std::vector<tsql::StmtPtr>& statements,
                                             Frame& frame) {
  for (const auto& s : statements) {
    Flow f = RunStatement(*s, frame);
    if (f != Flow::kNext) return f;
  }
  return Flow::kNext;
}

BatchRunner::Flow BatchRunner::RunStatement(const tsql::Statement& s, Frame& frame) {
  current_line_ = s.pos.line;
  if (DeadlinePassed()) {
    throw DatabaseError([] {
      DbError e = MakeDbError(0, "HYT00", "Query timeout expired");
      e.number = err::kAdoTimeout;
      return e;
    }());
  }
  try {
    Flow flow = Flow::kNext;
    switch (s.kind) {
      case StmtKind::kDeclare:
        RunDeclare(s.As<tsql::DeclareStatement>(), frame);
        break;
      case StmtKind::kSetOption:
        RunSetOption(s.As<tsql::SetOptionStatement>());
        break;
      case StmtKind::kCreateProcedure:
      case StmtKind::kCreateFunction: {
        const auto* p = s.TryAs<tsql::CreateProcedureStatement>();
        const auto* f = s.TryAs<tsql::CreateFunctionStatement>();
        bool replace = p ? (p->alter || p->or_alter) : (f->alter || f->or_alter);
        const tsql::ObjectName& name = p ? p->name : f->name;
        if (!replace && db_->catalog().FindRoutine(name.Base())) {
          Fail(native::kObjectExists, "42S01",
               "There is already an object named '" + name.Base() + "' in the database." +
                   Where(s.pos));
        }
        RunTranslatable(s, frame);
        break;
      }
      default:
        if (tsql::IsTranslatable(s)) {
          RunTranslatable(s, frame);
        } else {
          flow = RunControl(s, frame);
        }
    }
    if (s.kind != StmtKind::kIf && s.kind != StmtKind::kWhile && s.kind != StmtKind::kBlock &&
        s.kind != StmtKind::kTryCatch) {
      last_error_ = 0;
    }
    return flow;
  } catch (const DatabaseError&) {
    throw;
  } catch (const PlatformError& e) {
    DbError error = MakeDbError(0, "HY000", e.description() + Where(s.pos));
    if (e.number() == err::kAdoTimeout) error.number = err::kAdoTimeout;
    throw DatabaseError(error);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception& e) {
    Fail(0, "HY000", e.what() + Where(s.pos));
  }
}

BatchRunner::Flow BatchRunner::RunControl(const tsql::Statement& s, Frame& frame) {
  switch (s.kind) {
    case StmtKind::kBlock:
      return RunStatements(s.As<tsql::BlockStatement>().statements, frame);
    case StmtKind::kIf: {
      const auto& i = s.As<tsql::IfStatement>();
      if (Condition(s, *i.condition, frame)) return RunStatement(*i.then_stmt, frame);
      if (i.else_stmt) return RunStatement(*i.else_stmt, frame);
      return Flow::kNext;
    }
    case StmtKind::kWhile: {
      const auto& w = s.As<tsql::WhileStatement>();
      while (Condition(s, *w.condition, frame)) {
        Flow f = RunStatement(*w.body, frame);
        if (f == Flow::kBreak) break;
        if (f == Flow::kReturn) return f;
        current_line_ = s.pos.line;
      }
      return Flow::kNext;
    }
    case StmtKind::kBreak:
      return Flow::kBreak;
    case StmtKind::kContinue:
      return Flow::kContinue;
    case StmtKind::kTryCatch:
      return RunTryCatch(s.As<tsql::TryCatchStatement>(), frame);
    case StmtKind::kExec:
      return RunExec(s.As<tsql::ExecStatement>(), frame);
    case StmtKind::kExecDynamic:
      return RunExecDynamic(s.As<tsql::ExecDynamicStatement>(), frame);
    case StmtKind::kReturn: {
      const auto& r = s.As<tsql::ReturnStatement>();
      if (r.value) {
        Variant v = EvaluateAs(*r.value, tsql::MakeType("INT"), frame);
        frame.return_value = v.IsNull() ? 0 : static_cast<int32_t>(v.ToLongLong());
      }
      return Flow::kReturn;
    }
    case StmtKind::kRaiserror:
      RunRaiserror(s.As<tsql::RaiserrorStatement>(), frame);
      return Flow::kNext;
    case StmtKind::kThrow:
      RunThrow(s.As<tsql::ThrowStatement>(), frame);
    case StmtKind::kTransaction:
      RunTransaction(s.As<tsql::TransactionStatement>());
      return Flow::kNext;
    case StmtKind::kPrint: {
      std::string text = EvaluateText(*s.As<tsql::PrintStatement>().value, frame);
      if (message_handler_) message_handler_(text);
      return Flow::kNext;
    }
    case StmtKind::kInsert:
      RunInsertExec(s.As<tsql::InsertStatement>(), frame);
      return Flow::kNext;
    default:
      Fail(0, "42000", "not supported: " + s.ToString().substr(0, 40) + Where(s.pos));
  }
}

bool BatchRunner::Condition(const tsql::Statement& owner, const tsql::Expr& condition,
                            Frame& frame) {
  std::string key = "\x01IF " + Slice(frame.text, owner);
  auto t = TranslationFor(key, frame, [&] {
    return tsql::TranslateCondition(condition, frame.context);
  });
  std::vector<Variant> values = ExecuteForValues(*t, frame);
  return !values.empty() && !values[0].IsNull() && values[0].ToLongLong() != 0;
}

BatchRunner::Flow BatchRunner::RunTryCatch(const tsql::TryCatchStatement& s, Frame& frame) {
  size_t depth = caught_.size();
  try {
    return RunStatements(s.try_statements, frame);
  } catch (const DatabaseError& e) {
    if (e.error().number == err::kAdoTimeout) throw;
    caught_.resize(depth);
    CaughtError c;
    c.error = e.error();
    c.severity = pending_severity_;
    c.state = pending_state_;
    c.line = current_line_;
    c.procedure = frame.routine;
    pending_severity_ = 16;
    pending_state_ = 1;
    caught_.push_back(std::move(c));
    last_error_ = e.error().native_error;
  }
  struct Pop {
    std::vector<CaughtError>& v;
    size_t depth;
    ~Pop() { v.resize(depth); }
  } pop{caught_, depth};
  return RunStatements(s.catch_statements, frame);
}

// --- translatable statements ---------------------------------------------------

std::shared_ptr<const tsql::Translation> BatchRunner::TranslationFor(
    std::string_view text, const Frame& frame, const std::function<tsql::Translation()>& make) {
  std::string key = tsql::TranslationCache::Key(text, frame.context);
  SyncCatalogVersion(false);
  if (auto hit = cache_->Find(key)) return hit;
  tsql::Translation t;
  try {
    t = make();
  } catch (const tsql::TranslateError& e) {
    Fail(e.native_error(), SqlStateForNative(e.native_error()).c_str(),
         std::string(e.what()) + Where(e.position()));
  } catch (const tsql::TypeError& e) {
    Fail(e.native_error(), "42000", std::string(e.what()) + Where({current_line_, 0}));
  } catch (const tsql::SyntaxError& e) {
    FailSyntax(e.error());
  }
  ++translations_;
  auto shared = std::make_shared<const tsql::Translation>(std::move(t));
  cache_->Store(key, shared);
  return shared;
}

void BatchRunner::RunTranslatable(const tsql::Statement& s, Frame& frame) {
  auto t = TranslationFor(Slice(frame.text, s), frame,
                          [&] { return tsql::Translate(s, frame.context); });
  Execute(*t, frame, s.kind);
}

void BatchRunner::RunDeclare(const tsql::DeclareStatement& s, Frame& frame) {
  bool any_init = false;
  std::vector<std::string> tables;
  for (const auto& v : s.vars) {
    if (v.is_table) {
      if (frame.context.table_variables.count(v.name) != 0) return;  // declared in a loop
      tsql::TableDef placeholder;
      placeholder.name = "zv_tv" + std::to_string(frame.depth) + "_" + v.name.substr(1);
      placeholder.temporary = true;
      frame.context.table_variables[v.name] = placeholder;
      tables.push_back(placeholder.name);
    }
    any_init = any_init || v.init != nullptr;
  }
  if (!any_init && tables.empty()) return;  // a plain DECLARE keeps the value (loops)
  auto t = TranslationFor(Slice(frame.text, s), frame,
                          [&] { return tsql::Translate(s, frame.context); });
  if (tables.empty()) return Execute(*t, frame, s.kind);
  // The table of a table variable declared before at this depth is kept,
  // empty, and used again when its columns are the same.
  tsql::Translation run = *t;
  run.statements.clear();
  for (const tsql::SqliteStatement& st : t->statements) {
    std::string created;
    for (const std::string& table : tables) {
      if (st.sql.rfind("CREATE TABLE temp." + QuoteSqliteName(table) + " (", 0) == 0) created = table;
    }
    if (created.empty()) {
      run.statements.push_back(st);
      continue;
    }
    Statement exists = db_->Prepare("SELECT 1 FROM temp.sqlite_master WHERE name = ?1");
    exists.BindText(1, created);
    bool present = exists.Step();
    auto kept = kept_tables_.find(created);
    if (present && kept != kept_tables_.end() && kept->second == st.sql) continue;
    if (present) db_->Prepare("DROP TABLE temp." + QuoteSqliteName(created)).Run();
    kept_tables_[created] = st.sql;
    run.statements.push_back(st);
  }
  Execute(run, frame, s.kind);
}

void BatchRunner::RunSetOption(const tsql::SetOptionStatement& s) {
  if (s.words.size() < 2) return;
  if (s.words[0] == "DATEFORMAT") {
    const std::string& w = s.words[1];
    if (w == "DMY") db_->SetDateOrder(DateOrder::kDmy);
    if (w == "MDY") db_->SetDateOrder(DateOrder::kMdy);
    if (w == "YMD") db_->SetDateOrder(DateOrder::kYmd);
  } else if (s.words[0] == "DATEFIRST") {
    int day = std::atoi(s.words[1].c_str());
    if (day >= 1 && day <= 7) db_->SetDateFirst(day);
  }
}

bool BatchRunner::Step(Statement& st) {
  ++active_statements_;
  try {
    bool row = st.Step();
    --active_statements_;
    return row;
  } catch (const DatabaseError& e) {
    --active_statements_;
    if (std::optional<DbError> f = functions_->TakeError(e.error().description)) {
      throw DatabaseError(*f);
    }
    throw;
  }
}

void BatchRunner::Emit(Statement& st, const std::vector<tsql::ResultColumn>& columns) {
  if (sink_.raw != nullptr) {
    RawResult r;
    r.columns = columns;
    while (Step(st)) {
      std::vector<Variant> row(static_cast<size_t>(st.ColumnCount()));
      for (int i = 0; i < st.ColumnCount(); ++i) row[static_cast<size_t>(i)] = st.ColumnRaw(i);
      r.rows.push_back(std::move(row));
    }
    rowcount_ = static_cast<int64_t>(r.rows.size());
    sink_.raw->push_back(std::move(r));
    return;
  }
  if (sink_.sets == nullptr) {
    int64_t n = 0;
    while (Step(st)) ++n;
    rowcount_ = n;
    return;
  }
  std::vector<ResultColumn> cols;
  cols.reserve(columns.size());
  for (const auto& c : columns) cols.push_back({c.name, tsql::ConcreteType(c.type), c.nullable});
  std::shared_ptr<Recordset> rs;
  ++active_statements_;
  try {
    rs = ReadRecordset(st, cols);
    --active_statements_;
  } catch (const DatabaseError& e) {
    --active_statements_;
    if (std::optional<DbError> f = functions_->TakeError(e.error().description)) {
      throw DatabaseError(*f);
    }
    throw;
  }
  if (!rs) return;
  rowcount_ = rs->RecordCount();
  rs->records_affected = -1;
  sink_.sets->push_back(std::move(rs));
}

void BatchRunner::BindParameters(Statement& st, const tsql::SqliteStatement& s,
                                 const Frame& frame) {
  for (size_t i = 0; i < s.parameters.size(); ++i) {
    st.Bind(static_cast<int>(i) + 1, ParameterValue(s.parameters[i], frame));
  }
}

Variant BatchRunner::ParameterValue(const std::string& name, const Frame& frame) const {
  if (name.size() > 2 && name[0] == '@' && name[1] == '@') {
    std::string up = tsql::ToUpperAscii(name);
    if (up == "@@ROWCOUNT") return Variant(rowcount_);
    if (up == "@@ERROR") return Variant(last_error_);
    if (up == "@@TRANCOUNT") return Variant(int32_t{trancount_});
    if (up == "@@IDENTITY") {
      int64_t id = db_->LastInsertRowid();
      return id == 0 ? Variant::Null() : Variant(id);
    }
    if (up == "@@SPID") return Variant(int32_t{51});
    if (up == "@@FETCH_STATUS") return Variant(int32_t{-1});
    if (up == "@@DATEFIRST") return Variant(int32_t{db_->date_first()});
    if (up == "@@VERSION") return Variant("ZURE_VESTARO embedded engine (SQLite)");
    if (up == "@@SERVERNAME") return Variant("(local)");
    return Variant::Null();
  }
  if (name.size() > 2 && name.compare(name.size() - 2, 2, "()") == 0) {
    if (caught_.empty()) return Variant::Null();
    const CaughtError& c = caught_.back();
    std::string up = tsql::ToUpperAscii(name);
    if (up == "ERROR_MESSAGE()") return Variant(c.error.description);
    if (up == "ERROR_NUMBER()") return Variant(c.error.native_error);
    if (up == "ERROR_SEVERITY()") return Variant(int32_t{c.severity});
    if (up == "ERROR_STATE()") return Variant(int32_t{c.state});
    if (up == "ERROR_LINE()") return Variant(int32_t{c.line});
    if (up == "ERROR_PROCEDURE()") {
      return c.procedure.empty() ? Variant::Null() : Variant(c.procedure);
    }
    return Variant::Null();
  }
  auto it = frame.values.find(tsql::ToUpperAscii(name));
  return it == frame.values.end() ? Variant::Null() : it->second;
}

void BatchRunner::Execute(const tsql::Translation& t, Frame& frame, StmtKind kind) {
  if (!t.table_functions.empty()) functions_->Ensure(t.table_functions);
  bool atomic = active_statements_ == 0 && (t.statements.size() > 1 || !t.catalog_changes.empty());
  if (atomic) db_->Savepoint("zv_statement");
  try {
    for (size_t i = 0; i < t.statements.size(); ++i) {
      const tsql::SqliteStatement& s = t.statements[i];
      Statement st = db_->Prepare(s.sql);
      BindParameters(st, s, frame);
      bool last = i + 1 == t.statements.size();
      if (last && t.returns_rows) {
        Emit(st, t.columns);
      } else if (last && !t.assign_to.empty()) {
        std::vector<Variant> row;
        int64_t n = 0;
        while (Step(st)) {
          ++n;
          row.resize(static_cast<size_t>(st.ColumnCount()));
          for (int c = 0; c < st.ColumnCount(); ++c) row[static_cast<size_t>(c)] = st.ColumnRaw(c);
        }
        if (n > 0) {
          for (size_t v = 0; v < t.assign_to.size() && v < row.size(); ++v) {
            frame.values[tsql::ToUpperAscii(t.assign_to[v])] = std::move(row[v]);
          }
        }
        rowcount_ = kind == StmtKind::kSetVariable ? 1 : n;
      } else {
        while (Step(st)) {
        }
      }
    }
    switch (kind) {
      case StmtKind::kInsert:
      case StmtKind::kUpdate:
      case StmtKind::kDelete:
      case StmtKind::kTruncate:
        rowcount_ = db_->Changes();
        break;
      case StmtKind::kSelect:
        if (!t.returns_rows && t.assign_to.empty()) rowcount_ = db_->Changes();  // SELECT ... INTO
        break;
      case StmtKind::kSetVariable:
      case StmtKind::kDeclare:
      case StmtKind::kSetOption:
        break;
      default:
        rowcount_ = 0;
    }
    ApplyCatalogChanges(t, frame);
  } catch (...) {
    if (atomic) {
      try {
        db_->RollbackToSavepoint("zv_statement");
        db_->ReleaseSavepoint("zv_statement");
      } catch (const std::exception&) {
        // The statement's own error is the one to report.
      }
    }
    throw;
  }
  if (atomic) db_->ReleaseSavepoint("zv_statement");
  if (!t.catalog_changes.empty() || kind == StmtKind::kCreateIndex || kind == StmtKind::kDrop) {
    SyncCatalogVersion(true);
  }
}

std::vector<Variant> BatchRunner::ExecuteForValues(const tsql::Translation& t, Frame& frame) {
  if (!t.table_functions.empty()) functions_->Ensure(t.table_functions);
  std::vector<Variant> row;
  for (size_t i = 0; i < t.statements.size(); ++i) {
    Statement st = db_->Prepare(t.statements[i].sql);
    BindParameters(st, t.statements[i], frame);
    if (i + 1 < t.statements.size()) {
      while (Step(st)) {
      }
      continue;
    }
    if (Step(st)) {
      row.resize(static_cast<size_t>(st.ColumnCount()));
      for (int c = 0; c < st.ColumnCount(); ++c) row[static_cast<size_t>(c)] = st.ColumnRaw(c);
    }
  }
  return row;
}

void BatchRunner::ApplyCatalogChanges(const tsql::Translation& t, Frame& frame) {
  CatalogStore& catalog = db_->catalog();
  for (const tsql::CatalogChange& ch : t.catalog_changes) {
    using Kind = tsql::CatalogChange::Kind;
    switch (ch.kind) {
      case Kind::kCreateTable:
        catalog.RecordCreateTable(ch.table);
        Touch(ch.table.name, DefinitionHash(ch.table));
        if (NormalizeObjectName(ch.table.name).temporary) frame.temp_tables.push_back(ch.table.name);
        break;
      case Kind::kAlterTable:
      case Kind::kCreateView:
        catalog.RecordCreateTable(ch.table);
        Touch(ch.table.name.empty() ? ch.name : ch.table.name, DefinitionHash(ch.table));
        break;
      case Kind::kDropTable:
      case Kind::kDropView:
        catalog.RecordDropTable(ch.name);
        Touch(ch.name, 0);
        break;
      case Kind::kCreateRoutine:
        catalog.RecordRoutine(ch.routine);
        Touch(ch.routine.name, DefinitionHash(ch.routine));
        routines_.erase(FoldName(ch.routine.name));
        break;
      case Kind::kDropRoutine:
        catalog.RecordDropRoutine(ch.name);
        Touch(ch.name, 0);
        routines_.erase(FoldName(ch.name));
        break;
      case Kind::kDeclareTableVariable: {
        tsql::TableDef def = ch.table;
        auto it = frame.context.table_variables.find(ch.name);
        def.name = it != frame.context.table_variables.end() ? it->second.name : ch.name;
        def.temporary = true;
        frame.context.table_variables[ch.name] = def;
        frame.table_variables.push_back(def.name);
        break;
      }
    }
  }
}

// --- values of expressions ------------------------------------------------------------

Variant BatchRunner::ConvertValue(const Variant& raw, const tsql::SqlType& from,
                                  const tsql::SqlType& to) {
  if (raw.IsNull() || raw.IsEmpty() || from == to) return raw.IsEmpty() ? Variant::Null() : raw;
  return ToStorage(FromStorage(raw, from), to);
}

Variant BatchRunner::EvaluateAs(const tsql::Expr& expr, const tsql::SqlType& type, Frame& frame) {
  if (const auto* v = expr.TryAs<tsql::VariableRef>()) {
    auto it = frame.context.variables.find(v->name);
    if (it != frame.context.variables.end()) {
      return ConvertValue(ParameterValue(v->name, frame), it->second, type);
    }
  }
  // DECLARE converts the value as an assignment would.
  std::string text = "DECLARE @zv_value " + tsql::TypeToString(type) + " = " + expr.ToString();
  auto t = TranslationFor(text, frame, [&] {
    std::vector<tsql::StmtPtr> parsed = tsql::ParseBatchOrThrow(text);
    return tsql::Translate(*parsed.at(0), frame.context);
  });
  std::vector<Variant> values = ExecuteForValues(*t, frame);
  return values.empty() ? Variant::Null() : values[0];
}

std::pair<Variant, tsql::SqlType> BatchRunner::Evaluate(const tsql::Expr& expr, Frame& frame) {
  std::string text = "SELECT " + expr.ToString();
  auto t = TranslationFor(text, frame, [&] { return tsql::TranslateScalar(expr, frame.context); });
  std::vector<Variant> values = ExecuteForValues(*t, frame);
  tsql::SqlType type = t->columns.empty() ? tsql::MakeType("INT") : t->columns[0].type;
  return {values.empty() ? Variant::Null() : values[0], type};
}

std::string BatchRunner::EvaluateText(const tsql::Expr& expr, Frame& frame) {
  Variant v = EvaluateAs(expr, tsql::MakeType("NVARCHAR", -1), frame);
  return v.IsNull() ? std::string() : v.ToString();
}

// --- errors and transactions ------------------------------------------------------------

namespace {

// RAISERROR's printf-style substitution: %s, %d, %i, %u, %x and %%, with
// optional flags and width that are ignored.
std::string FormatRaiserror(const std::string& format, const std::vector<Variant>& args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out.push_back(c);
      continue;
    }
    if (format[i + 1] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < format.size() && std::string_view("-+ #0123456789.*lhI").find(format[j]) !=
                                    std::string_view::npos) {
      ++j;
    }
    if (j >= format.size()) {
      out.append(format, i, std::string::npos);
      break;
    }
    char conv = format[j];
    const Variant* arg = next < args.size() ? &args[next++] : nullptr;
    if (arg == nullptr || arg->IsNull()) {
      out += "(null)";
    } else if (conv == 'd' || conv == 'i' || conv == 'u') {
      out += std::to_string(arg->ToLongLong());
    } else if (conv == 'x' || conv == 'X') {
      char buf[32];
      std::snprintf(buf, sizeof buf, conv == 'x' ? "%llx" : "%llX",
                    static_cast<unsigned long long>(arg->ToLongLong()));
      out += buf;
    } else {
      out += arg->ToString();
    }
    i = j;
  }
  return out;
}

}  // namespace

void BatchRunner::RunRaiserror(const tsql::RaiserrorStatement& s, Frame& frame) {
  if (s.args.size() < 3) Fail(102, "42000", "Incorrect syntax near 'RAISERROR'." + Where(s.pos));
  auto [message_value, message_type] = Evaluate(*s.args[0], frame);
  int severity = static_cast<int>(EvaluateAs(*s.args[1], tsql::MakeType("INT"), frame).ToLongLong());
  int state = static_cast<int>(EvaluateAs(*s.args[2], tsql::MakeType("INT"), frame).ToLongLong());
  std::vector<Variant> args;
  for (size_t i = 3; i < s.args.size(); ++i) {
    auto [value, type] = Evaluate(*s.args[i], frame);
    args.push_back(FromStorage(value, type));
  }
  int32_t number = 50000;
  std::string message;
  if (tsql::IsTextType(message_type)) {
    message = FormatRaiserror(message_value.IsNull() ? "" : message_value.ToString(), args);
  } else {
    number = static_cast<int32_t>(message_value.ToLongLong());
    message = "Error " + std::to_string(number) + " raised.";
  }
  if (severity <= 10) {
    if (message_handler_) message_handler_(message);  // informational: not an error
    return;
  }
  pending_severity_ = severity;
  pending_state_ = state;
  Fail(number, "42000", message);
}

void BatchRunner::RunThrow(const tsql::ThrowStatement& s, Frame& frame) {
  if (s.args.empty()) {
    if (caught_.empty()) {
      Fail(10704, "42000",
           "To rethrow an error, a THROW statement must be used inside a CATCH block." +
               Where(s.pos));
    }
    pending_severity_ = caught_.back().severity;
    pending_state_ = caught_.back().state;
    throw DatabaseError(caught_.back().error);
  }
  if (s.args.size() != 3) Fail(102, "42000", "Incorrect syntax near 'THROW'." + Where(s.pos));
  int32_t number =
      static_cast<int32_t>(EvaluateAs(*s.args[0], tsql::MakeType("INT"), frame).ToLongLong());
  std::string message = EvaluateText(*s.args[1], frame);
  int state = static_cast<int>(EvaluateAs(*s.args[2], tsql::MakeType("INT"), frame).ToLongLong());
  if (number < 50000) {
    Fail(35100, "42000",
         "Error number " + std::to_string(number) +
             " in the THROW statement is outside the valid range. Specify an error number in "
             "the valid range of 50000 to 2147483647." + Where(s.pos));
  }
  pending_severity_ = 16;
  pending_state_ = state;
  Fail(number, "42000", message);
}

void BatchRunner::RunTransaction(const tsql::TransactionStatement& s) {
  // A failure SQLite rolled back by itself ends the transaction.
  if (trancount_ > 0 && !db_->InTransaction()) {
    trancount_ = 0;
    savepoints_.clear();
  }
  switch (s.op) {
    case tsql::TransactionOp::kBegin:
      if (trancount_ == 0) db_->Begin();
      ++trancount_;
      return;
    case tsql::TransactionOp::kCommit:
      if (trancount_ == 0) {
        Fail(3902, "25000",
             "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION." +
                 Where(s.pos));
      }
      if (trancount_ == 1) {
        db_->Commit();
        savepoints_.clear();
      }
      --trancount_;
      return;
    case tsql::TransactionOp::kRollback: {
      std::string name = tsql::ToUpperAscii(s.name);
      if (!name.empty() && savepoints_.count(name) != 0) {
        db_->RollbackToSavepoint("zv_save_" + name);
        SyncCatalogVersion(false);
        return;
      }
      if (trancount_ == 0) {
        Fail(3903, "25000",
             "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION." +
                 Where(s.pos));
      }
      db_->Rollback();
      trancount_ = 0;
      savepoints_.clear();
      return;
    }
    case tsql::TransactionOp::kSave: {
      if (trancount_ == 0) {
        Fail(628, "25000",
             "Cannot issue SAVE TRANSACTION when there is no active transaction." + Where(s.pos));
      }
      std::string name = tsql::ToUpperAscii(s.name);
      db_->Savepoint("zv_save_" + name);
      savepoints_.insert(name);
      return;
    }
  }
}

// --- deadline ---------------------------------------------------------------------------

bool BatchRunner::DeadlinePassed() const {
  return deadline_ && std::chrono::steady_clock::now() > *deadline_;
}

}  // namespace zv::sqlite
