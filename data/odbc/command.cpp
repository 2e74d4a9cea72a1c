#include "data/odbc/command.h"

#include "data/odbc/catalog_queries.h"
#include "data/odbc/results.h"
#include "data/odbc/session.h"

namespace zv::odbc {
OdbcCommand::OdbcCommand(std::shared_ptr<Session> session) : session_(std::move(session)) {}

void OdbcCommand::SetCommandText(std::string_view text) {
  text_ = std::string(text);
  params_.clear();
  targets_.clear();
  const ConnectionHandle& connection = session_->Live();
  session_->Guard([&] {
    if (session_->dialect->HostsTsql()) {
      for (Parameter& p : session_->HostedProcedureParameters(text_)) {
        ParamTarget target = TargetForAdoType(p.type, p.size, p.precision, p.numeric_scale);
        params_.push_back(std::move(p));
        targets_.push_back(target);
      }
      return;
    }
    std::vector<ProcedureColumn> columns =
        ReadProcedureColumns(connection, SplitObjectName(text_));
    for (const ProcedureColumn& c : columns) {
      std::optional<Parameter> p = ParameterFromCatalog(c);
      if (!p) continue;
      ParamTarget target;
      target.sql_type = c.data_type;
      target.ado_type = p->type;
      target.size = c.column_size;
      target.scale = c.decimal_digits;
      params_.push_back(std::move(*p));
      targets_.push_back(target);
    }
  });
}

std::shared_ptr<Recordset> OdbcCommand::Execute() {
  session_->Live();
  return session_->Guard([&] {
    ExecText exec = BuildExecText(text_, params_);
    ParameterSet bound;
    for (size_t i : exec.bound) {
      const Parameter& p = params_[i];
      ParamTarget target = i < targets_.size() && targets_[i].ado_type == p.type
                               ? targets_[i]
                               : TargetForAdoType(p.type, p.size, p.precision, p.numeric_scale);
      bound.Add(p.value, target, p.direction);
    }
    Results results;
    session_->Run(session_->dialect->Translate(exec.sql), &bound, true, command_timeout,
                  &results);
    // Output values arrive once every result has been read.
    for (size_t k = 0; k < exec.bound.size(); ++k) {
      Parameter& p = params_[exec.bound[k]];
      if (!ReturnsValue(p)) continue;
      FieldInfo field;
      field.name = p.name;
      field.type = p.type;
      p.value = bound.Output(k, field);
    }
    return LinkResults(results.sets);
  });
}

}  // namespace zv::odbc
