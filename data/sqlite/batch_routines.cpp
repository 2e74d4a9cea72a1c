// The batch interpreter's routines: EXEC of stored procedures (named and
// positional arguments, defaults, OUTPUT, return codes), EXEC of dynamic
// SQL and sp_executesql, INSERT ... EXEC, procedures called from a Command,
// and the bodies of table-valued functions.
#include <sqlite3.h>

#include <algorithm>

#include "data/sqlite/batch_runner.h"
#include "data/sqlite/batch_runner_internal.h"
#include "data/sqlite/catalog_store.h"
#include "data/sqlite/sql_error.h"
#include "data/sqlite/table_functions.h"
#include "data/sqlite/value_codec.h"
#include "data/tsql/lexer.h"
#include "data/tsql/parser.h"
#include "data/tsql/types.h"

namespace zv::sqlite {

using namespace runner_internal;

namespace {

const tsql::ParamDef* FindParam(const std::vector<tsql::ParamDef>& params, std::string_view name,
                                size_t* index) {
  for (size_t i = 0; i < params.size(); ++i) {
    if (tsql::EqualsIgnoreCase(params[i].name, name)) {
      *index = i;
      return &params[i];
    }
  }
  return nullptr;
}

}  // namespace

std::shared_ptr<BatchRunner::ParsedRoutine> BatchRunner::Parsed(const tsql::RoutineDef& routine) {
  std::string key = FoldName(routine.name);
  auto it = routines_.find(key);
  if (it != routines_.end() && it->second->definition == routine.definition) return it->second;
  auto p = std::make_shared<ParsedRoutine>();
  p->definition = routine.definition;
  tsql::ParsedBatch b = tsql::ParseBatch(p->definition);
  if (!b.ok() || b.statements.size() != 1) {
    Fail(0, "42000", "The definition of '" + routine.name + "' cannot be read" +
                         (b.ok() ? std::string(".") : ": " + b.error->ToString()));
  }
  p->statements = std::move(b.statements);
  const tsql::Statement& s = *p->statements[0];
  if (const auto* proc = s.TryAs<tsql::CreateProcedureStatement>()) {
    p->declarations = CollectDeclarations(proc->body);
  } else if (const auto* fn = s.TryAs<tsql::CreateFunctionStatement>()) {
    if (fn->function_kind == tsql::FunctionKind::kInlineTable) {
      p->inline_text = fn->inline_query->ToString();
      p->inline_select = tsql::ParseBatchOrThrow(p->inline_text);
    } else {
      p->declarations = CollectDeclarations(fn->body);
    }
    if (fn->function_kind == tsql::FunctionKind::kMultiStatementTable) {
      p->return_text = "DECLARE " + fn->table_var + " TABLE (";
      for (size_t i = 0; i < fn->table_columns.size(); ++i) {
        p->return_text += (i ? ", " : "") + fn->table_columns[i].ToString();
      }
      p->return_text += ")";
      p->return_declare = tsql::ParseBatchOrThrow(p->return_text);
    }
  }
  routines_[key] = p;
  return p;
}

Variant BatchRunner::ParameterDefault(const tsql::ParamDef& param, Frame& frame) {
  tsql::ExprPtr value;
  try {
    value = tsql::ParseExpression(param.default_text);
  } catch (const tsql::SyntaxError& e) {
    Fail(native::kSyntax, "42000", "Incorrect syntax at " + e.error().ToString());
  }
  return EvaluateAs(*value, param.type, frame);
}

// --- EXEC -------------------------------------------------------------------------

BatchRunner::BoundArguments BatchRunner::BindArguments(const std::string& routine,
                                                       const std::vector<tsql::ParamDef>& params,
                                                       std::span<const tsql::ExecArg> args,
                                                       Frame& caller) {
  BoundArguments b;
  b.values.resize(params.size());
  size_t positional = 0;
  bool named = false;
  for (size_t a = 0; a < args.size(); ++a) {
    const tsql::ExecArg& arg = args[a];
    size_t index = 0;
    if (!arg.name.empty()) {
      named = true;
      if (!FindParam(params, arg.name, &index)) {
        Fail(8145, "42000", arg.name + " is not a parameter for procedure " + routine + ".");
      }
    } else {
      if (named) {
        Fail(119, "42000",
             "Must pass parameter number " + std::to_string(a + 1) +
                 " and subsequent parameters as '@name = value'. After the form '@name = "
                 "value' has been used, all subsequent parameters must be passed in the form "
                 "'@name = value'.");
      }
      index = positional++;
      if (index >= params.size()) {
        Fail(8144, "42000",
             "Procedure or function " + routine + " has too many arguments specified.");
      }
    }
    if (arg.value) b.values[index] = EvaluateAs(*arg.value, params[index].type, caller);
    if (arg.output) {
      const auto* var = arg.value ? arg.value->TryAs<tsql::VariableRef>() : nullptr;
      if (var == nullptr) {
        Fail(179, "42000",
             "Cannot use the OUTPUT option when passing a constant to a stored procedure.");
      }
      if (!params[index].output) {
        Fail(8162, "42000",
             "The formal parameter \"" + params[index].name +
                 "\" was not declared as an OUTPUT parameter, but the actual parameter passed "
                 "in requested output.");
      }
      b.outputs.emplace_back(index, var->name);
    }
  }
  return b;
}

void BatchRunner::CopyOutputs(const BoundArguments& bound, const std::vector<tsql::ParamDef>& params,
                              const std::vector<Variant>& finals, Frame& caller) {
  for (const auto& [index, var] : bound.outputs) {
    auto it = caller.context.variables.find(var);
    if (it == caller.context.variables.end()) {
      Fail(137, "42000", "Must declare the scalar variable \"" + var + "\".");
    }
    caller.values[tsql::ToUpperAscii(var)] = ConvertValue(finals[index], params[index].type, it->second);
  }
}

std::vector<Variant> BatchRunner::RunProcedure(const tsql::RoutineDef& routine,
                                               const std::vector<std::optional<Variant>>& values,
                                               int32_t* return_value) {
  std::shared_ptr<ParsedRoutine> parsed = Parsed(routine);
  const auto* proc = parsed->statements[0]->TryAs<tsql::CreateProcedureStatement>();
  if (proc == nullptr) Fail(2812, "42000", "Could not find stored procedure '" + routine.name + "'.");
  Frame frame;
  frame.kind = FrameKind::kProcedure;
  frame.text = parsed->definition;
  frame.routine = routine.name;
  FrameScope scope(*this, frame);
  for (const tsql::ParamDef& p : routine.params) DeclareVariable(frame, p.name, p.type, proc->pos);
  if (!parsed->defaults_ready) {
    parsed->defaults.assign(routine.params.size(), std::nullopt);
    for (size_t i = 0; i < routine.params.size(); ++i) {
      if (routine.params[i].has_default) {
        parsed->defaults[i] = ParameterDefault(routine.params[i], frame);
      }
    }
    parsed->defaults_ready = true;
  }
  for (size_t i = 0; i < routine.params.size(); ++i) {
    const tsql::ParamDef& p = routine.params[i];
    Variant v;
    if (i < values.size() && values[i]) {
      v = *values[i];
    } else if (p.has_default && parsed->defaults[i]) {
      v = *parsed->defaults[i];
    } else {
      Fail(201, "42000",
           "Procedure or function '" + routine.name + "' expects parameter '" + p.name +
               "', which was not supplied.");
    }
    frame.values[tsql::ToUpperAscii(p.name)] = std::move(v);
  }
  for (const Declaration& d : parsed->declarations) DeclareVariable(frame, d.name, d.type, d.pos);
  RunStatements(proc->body, frame);
  std::vector<Variant> finals;
  for (const tsql::ParamDef& p : routine.params) finals.push_back(frame.values[tsql::ToUpperAscii(p.name)]);
  if (return_value != nullptr) *return_value = frame.return_value;
  return finals;
}

BatchRunner::Flow BatchRunner::RunExec(const tsql::ExecStatement& e, Frame& caller) {
  std::string name;
  if (!e.procedure.empty()) {
    name = e.procedure.ToString();
  } else {
    Variant v = ParameterValue(e.procedure_var, caller);
    name = v.IsNull() ? std::string() : v.ToString();
  }
  name = NormalizeObjectName(name).name;
  if (tsql::EqualsIgnoreCase(name, "sp_executesql")) {
    RunExecuteSql(e, caller);
    return Flow::kNext;
  }
  std::optional<tsql::RoutineDef> routine = db_->catalog().FindRoutine(name);
  if (!routine || routine->kind != "P") {
    Fail(2812, "42000", "Could not find stored procedure '" + name + "'." + Where(e.pos));
  }
  BoundArguments bound = BindArguments(routine->name, routine->params, e.args, caller);
  int32_t rc = 0;
  std::vector<Variant> finals = RunProcedure(*routine, bound.values, &rc);
  CopyOutputs(bound, routine->params, finals, caller);
  if (!e.return_var.empty()) {
    auto it = caller.context.variables.find(e.return_var);
    if (it == caller.context.variables.end()) {
      Fail(137, "42000", "Must declare the scalar variable \"" + e.return_var + "\"." + Where(e.pos));
    }
    caller.values[tsql::ToUpperAscii(e.return_var)] =
        ConvertValue(Variant(int64_t{rc}), tsql::MakeType("INT"), it->second);
  }
  return Flow::kNext;
}

void BatchRunner::RunDynamic(const std::string& sql, const std::vector<tsql::ParamDef>& params,
                             std::vector<Variant>* values) {
  tsql::ParsedBatch parsed = tsql::ParseBatch(sql);
  if (!parsed.ok()) {
    Fail(native::kSyntax, "42000", "Incorrect syntax at " + parsed.error->ToString());
  }
  Frame frame;
  frame.kind = FrameKind::kDynamic;
  frame.text = sql;
  FrameScope scope(*this, frame);
  for (size_t i = 0; i < params.size(); ++i) {
    DeclareVariable(frame, params[i].name, params[i].type, {});
    frame.values[tsql::ToUpperAscii(params[i].name)] = (*values)[i];
  }
  DeclareAll(frame, parsed.statements);
  RunStatements(parsed.statements, frame);
  for (size_t i = 0; i < params.size(); ++i) {
    (*values)[i] = frame.values[tsql::ToUpperAscii(params[i].name)];
  }
}

BatchRunner::Flow BatchRunner::RunExecDynamic(const tsql::ExecDynamicStatement& e, Frame& caller) {
  std::string sql = EvaluateText(*e.sql, caller);
  std::vector<Variant> none;
  RunDynamic(sql, {}, &none);
  return Flow::kNext;
}

std::vector<tsql::ParamDef> BatchRunner::ParameterList(const std::string& declaration) {
  std::vector<tsql::ParamDef> params;
  if (declaration.find_first_not_of(" \t\r\n") == std::string::npos) return params;
  std::string text = "CREATE PROCEDURE zv_sp_executesql " + declaration + " AS RETURN";
  tsql::ParsedBatch b = tsql::ParseBatch(text);
  if (!b.ok() || b.statements.size() != 1) {
    Fail(native::kSyntax, "42000",
         "Incorrect syntax in the parameter list of sp_executesql: " + declaration);
  }
  try {
    params = tsql::DescribeRoutine(*b.statements[0]).params;
  } catch (const tsql::TypeError& te) {
    Fail(te.native_error(), "42000", te.what());
  }
  return params;
}

BatchOutcome BatchRunner::RunWithParameters(std::string_view batch, std::string_view declarations,
                                            const std::vector<Variant>& values) {
  std::vector<tsql::ParamDef> params = ParameterList(std::string(declarations));
  if (params.size() != values.size()) {
    Fail(8178, "42000",
         "The parameterized query declares " + std::to_string(params.size()) +
             " parameters and was given " + std::to_string(values.size()) + " values.");
  }
  std::vector<Variant> stored(params.size());
  for (size_t i = 0; i < params.size(); ++i) {
    if (values[i].IsEmpty() || values[i].IsNull()) {
      stored[i] = Variant::Null();
      continue;
    }
    try {
      stored[i] = ToStorage(values[i], params[i].type);
    } catch (const DatabaseError&) {
      throw;
    } catch (const PlatformError&) {
      Fail(8114, "22018",
           "Error converting data type of parameter " + params[i].name + " to " +
               tsql::TypeToString(params[i].type) + ".");
    }
  }
  BatchOutcome out;
  ResultSink saved = sink_;
  sink_ = ResultSink{&out.results, nullptr};
  try {
    RunDynamic(std::string(batch), params, &stored);
  } catch (...) {
    sink_ = saved;
    throw;
  }
  sink_ = saved;
  for (size_t i = 0; i < params.size(); ++i) {
    if (!params[i].output) continue;
    out.output_fields.push_back(FieldInfoFor(params[i].name, params[i].type, true));
    out.output_values.push_back(FromStorage(stored[i], params[i].type));
  }
  out.records_affected = static_cast<int32_t>(rowcount_);
  return out;
}

void BatchRunner::RunExecuteSql(const tsql::ExecStatement& e, Frame& caller) {
  std::span<const tsql::ExecArg> args(e.args);
  if (args.empty() || !args[0].value) {
    Fail(201, "42000",
         "Procedure or function 'sp_executesql' expects parameter '@statement', which was not "
         "supplied.");
  }
  std::string sql = EvaluateText(*args[0].value, caller);
  size_t first_value = 1;
  std::vector<tsql::ParamDef> params;
  if (args.size() > 1 && args[1].value &&
      (args[1].name.empty() || tsql::EqualsIgnoreCase(args[1].name, "@params"))) {
    first_value = 2;
    params = ParameterList(EvaluateText(*args[1].value, caller));
  }
  BoundArguments bound = BindArguments("sp_executesql", params, args.subspan(first_value), caller);
  std::vector<Variant> values(params.size());
  for (size_t i = 0; i < params.size(); ++i) {
    if (bound.values[i]) {
      values[i] = *bound.values[i];
    } else if (params[i].has_default) {
      values[i] = ParameterDefault(params[i], caller);
    } else if (params[i].output) {
      values[i] = Variant::Null();
    } else {
      Fail(8178, "42000",
           "The parameterized query expects the parameter '" + params[i].name +
               "', which was not supplied.");
    }
  }
  RunDynamic(sql, params, &values);
  CopyOutputs(bound, params, values, caller);
}

void BatchRunner::RunInsertExec(const tsql::InsertStatement& s, Frame& frame) {
  if (!s.exec) Fail(0, "42000", "not supported: " + s.ToString().substr(0, 40) + Where(s.pos));
  std::vector<RawResult> results;
  ResultSink saved = sink_;
  sink_ = ResultSink{nullptr, &results};
  try {
    RunExec(*s.exec, frame);
  } catch (...) {
    sink_ = saved;
    throw;
  }
  sink_ = saved;
  // Each row goes in through an INSERT of typed variables, so the values
  // are converted to the target's columns as T-SQL converts them.
  struct Scratch {
    Frame& frame;
    std::vector<std::string> names;
    ~Scratch() {
      for (const std::string& n : names) {
        frame.context.variables.erase(n);
        frame.values.erase(tsql::ToUpperAscii(n));
      }
    }
  } scratch{frame, {}};
  int64_t total = 0;
  for (const RawResult& r : results) {
    if (r.rows.empty()) continue;
    std::string text = "INSERT INTO " + s.target.ToString();
    if (!s.columns.empty()) {
      text += " (";
      for (size_t i = 0; i < s.columns.size(); ++i) text += (i ? ", " : "") + tsql::QuoteName(s.columns[i]);
      text += ")";
    }
    text += " VALUES (";
    std::vector<std::string> names;
    for (size_t i = 0; i < r.columns.size(); ++i) {
      std::string name = "@zv_insert_exec_" + std::to_string(i + 1);
      frame.context.variables[name] = tsql::ConcreteType(r.columns[i].type);
      scratch.names.push_back(name);
      names.push_back(tsql::ToUpperAscii(name));
      text += (i ? ", " : "") + name;
    }
    text += ")";
    auto t = TranslationFor(text, frame, [&] {
      std::vector<tsql::StmtPtr> parsed = tsql::ParseBatchOrThrow(text);
      return tsql::Translate(*parsed.at(0), frame.context);
    });
    for (const std::vector<Variant>& row : r.rows) {
      for (size_t i = 0; i < names.size() && i < row.size(); ++i) frame.values[names[i]] = row[i];
      Execute(*t, frame, tsql::StmtKind::kInsert);
      total += rowcount_;
    }
  }
  rowcount_ = total;
}

// --- procedures called from a Command ------------------------------------------------

std::optional<tsql::RoutineDef> BatchRunner::FindProcedure(std::string_view name) {
  std::optional<tsql::RoutineDef> r = db_->catalog().FindRoutine(NormalizeObjectName(name).name);
  if (!r || r->kind != "P") return std::nullopt;
  return r;
}

BatchOutcome BatchRunner::CallProcedure(std::string_view name, std::vector<ProcedureArgument>& args) {
  std::optional<tsql::RoutineDef> routine = FindProcedure(name);
  if (!routine) {
    Fail(2812, "42000", "Could not find stored procedure '" + std::string(name) + "'.");
  }
  std::vector<std::optional<Variant>> values(routine->params.size());
  std::vector<size_t> index_of(args.size());
  for (size_t a = 0; a < args.size(); ++a) {
    size_t index = 0;
    if (!FindParam(routine->params, args[a].name, &index)) {
      Fail(8145, "42000", args[a].name + " is not a parameter for procedure " + routine->name + ".");
    }
    index_of[a] = index;
    if (args[a].value.IsEmpty()) continue;
    try {
      values[index] = ToStorage(args[a].value, routine->params[index].type);
    } catch (const DatabaseError&) {
      throw;
    } catch (const PlatformError&) {
      Fail(8114, "22018",
           "Error converting data type of parameter " + args[a].name + " to " +
               tsql::TypeToString(routine->params[index].type) + ".");
    }
  }
  BatchOutcome out;
  ResultSink saved = sink_;
  sink_ = ResultSink{&out.results, nullptr};
  std::vector<Variant> finals;
  try {
    finals = RunProcedure(*routine, values, &out.return_value);
  } catch (...) {
    sink_ = saved;
    throw;
  }
  sink_ = saved;
  for (size_t a = 0; a < args.size(); ++a) {
    const tsql::ParamDef& p = routine->params[index_of[a]];
    if (args[a].output && p.output) args[a].value = FromStorage(finals[index_of[a]], p.type);
  }
  out.records_affected = static_cast<int32_t>(rowcount_);
  return out;
}

// --- table-valued functions -------------------------------------------------------------

std::vector<tsql::ResultColumn> BatchRunner::TableFunctionColumns(const tsql::RoutineDef& routine) {
  std::shared_ptr<ParsedRoutine> parsed = Parsed(routine);
  const auto* fn = parsed->statements[0]->TryAs<tsql::CreateFunctionStatement>();
  std::vector<tsql::ResultColumn> out;
  if (fn == nullptr) return out;
  if (fn->function_kind == tsql::FunctionKind::kMultiStatementTable) {
    for (const tsql::ColumnDefinition& c : fn->table_columns) {
      tsql::ResultColumn col;
      col.name = c.name;
      col.type = tsql::TypeFromName(c.type, tsql::TypeNameUse::kDeclaration);
      col.nullable = c.nullability != 2;
      out.push_back(std::move(col));
    }
    return out;
  }
  Frame frame;
  frame.kind = FrameKind::kFunction;
  frame.text = parsed->inline_text;
  frame.routine = routine.name;
  FrameScope scope(*this, frame);
  for (const tsql::ParamDef& p : routine.params) DeclareVariable(frame, p.name, p.type, fn->pos);
  auto t = TranslationFor(parsed->inline_text, frame,
                          [&] { return tsql::Translate(*parsed->inline_select.at(0), frame.context); });
  return t->columns;
}

std::vector<std::vector<Variant>> BatchRunner::ExecuteForRows(const tsql::Translation& t,
                                                               Frame& frame) {
  if (!t.table_functions.empty()) functions_->Ensure(t.table_functions);
  std::vector<std::vector<Variant>> rows;
  for (size_t i = 0; i < t.statements.size(); ++i) {
    Statement st = db_->Prepare(t.statements[i].sql);
    BindParameters(st, t.statements[i], frame);
    bool last = i + 1 == t.statements.size();
    while (Step(st)) {
      if (!last) continue;
      std::vector<Variant> row(static_cast<size_t>(st.ColumnCount()));
      for (int c = 0; c < st.ColumnCount(); ++c) row[static_cast<size_t>(c)] = st.ColumnRaw(c);
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

std::vector<std::vector<Variant>> BatchRunner::RunTableFunction(const tsql::RoutineDef& routine,
                                                                std::span<const Variant> args) {
  std::shared_ptr<ParsedRoutine> parsed = Parsed(routine);
  const auto* fn = parsed->statements[0]->TryAs<tsql::CreateFunctionStatement>();
  if (fn == nullptr || fn->function_kind == tsql::FunctionKind::kScalar) {
    Fail(native::kInvalidObject, "42S02", "Invalid object name '" + routine.name + "'.");
  }
  ResultSink saved = sink_;
  sink_ = ResultSink{};
  struct Restore {
    BatchRunner& r;
    ResultSink saved;
    ~Restore() { r.sink_ = saved; }
  } restore{*this, saved};
  Frame frame;
  frame.kind = FrameKind::kFunction;
  frame.routine = routine.name;
  FrameScope scope(*this, frame);
  for (size_t i = 0; i < routine.params.size(); ++i) {
    const tsql::ParamDef& p = routine.params[i];
    DeclareVariable(frame, p.name, p.type, fn->pos);
    frame.values[tsql::ToUpperAscii(p.name)] = i < args.size() ? args[i] : Variant::Null();
  }
  if (fn->function_kind == tsql::FunctionKind::kInlineTable) {
    frame.text = parsed->inline_text;
    auto t = TranslationFor(parsed->inline_text, frame, [&] {
      return tsql::Translate(*parsed->inline_select.at(0), frame.context);
    });
    return ExecuteForRows(*t, frame);
  }
  frame.text = parsed->return_text;
  RunDeclare(parsed->return_declare.at(0)->As<tsql::DeclareStatement>(), frame);
  frame.text = parsed->definition;
  for (const Declaration& d : parsed->declarations) DeclareVariable(frame, d.name, d.type, d.pos);
  RunStatements(fn->body, frame);
  const tsql::TableDef& table = frame.context.table_variables.at(fn->table_var);
  Statement st = db_->Prepare("SELECT * FROM temp." + QuoteSqliteName(table.name));
  std::vector<std::vector<Variant>> rows;
  while (Step(st)) {
    std::vector<Variant> row(static_cast<size_t>(st.ColumnCount()));
    for (int c = 0; c < st.ColumnCount(); ++c) row[static_cast<size_t>(c)] = st.ColumnRaw(c);
    rows.push_back(std::move(row));
  }
  return rows;
}

// --- deadline -------------------------------------------------------------------------

void BatchRunner::SetDeadline(std::optional<std::chrono::steady_clock::time_point> deadline) {
  deadline_ = deadline;
  if (deadline) {
    sqlite3_progress_handler(
        db_->native_handle(), 10000,
        [](void* self) { return static_cast<BatchRunner*>(self)->DeadlinePassed() ? 1 : 0; },
        this);
  } else {
    sqlite3_progress_handler(db_->native_handle(), 0, nullptr, nullptr);
  }
}

}  // namespace zv::sqlite
