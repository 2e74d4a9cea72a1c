#include "data/scripted_connection.h"

#include <cctype>

#include "data/error.h"

namespace zv {
namespace {

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

class ScriptedCommand : public Command {
 public:
  explicit ScriptedCommand(std::shared_ptr<ScriptedConnection> connection)
      : connection_(std::move(connection)) {}

  void SetCommandText(std::string_view text) override {
    text_ = std::string(text);
    const std::vector<Parameter>* params = connection_->FindProcedure(text_);
    if (!params) {
      DbError e{err::kAdoCommandError,
                "Could not find stored procedure '" + text_ + "'.", "Scripted",
                "42000", 2812};
      connection_->GetErrors().Clear();
      connection_->GetErrors().Add(e);
      throw PlatformError(e.number, e.description, e.source);
    }
    params_ = *params;
  }
  const std::string& CommandText() const override { return text_; }
  std::vector<Parameter>& Parameters() override { return params_; }

  std::shared_ptr<Recordset> Execute() override {
    ScriptedConnection::Call call{ScriptedConnection::CallKind::kCommand, text_,
                                  command_type, 0, 0, command_timeout, params_};
    return connection_->Answer(call, nullptr);
  }

 private:
  std::shared_ptr<ScriptedConnection> connection_;
  std::string text_;
  std::vector<Parameter> params_;
};

}  // namespace

Parameter& Command::Param(std::string_view name) {
  for (Parameter& p : Parameters())
    if (Upper(p.name) == Upper(name)) return p;
  Raise(err::kAdoItemNotFound);
}

const DbError& Errors::Item(int32_t index) const {
  if (index < 0 || index >= Count()) Raise(err::kAdoItemNotFound);
  return items_[static_cast<size_t>(index)];
}

std::string ScriptedConnection::Call::ParamText() const {
  std::string out;
  for (const Parameter& p : parameters) {
    if (p.value.IsEmpty()) continue;
    if (!out.empty()) out += ", ";
    out += p.name + "=" + p.value.Debug();
  }
  return out;
}

ScriptedConnection::Matcher ScriptedConnection::TextIs(std::string text) {
  return [text = std::move(text)](const Call& c) { return c.text == text; };
}

ScriptedConnection::Matcher ScriptedConnection::TextStartsWith(std::string prefix) {
  return [prefix = std::move(prefix)](const Call& c) {
    return c.text.compare(0, prefix.size(), prefix) == 0;
  };
}

ScriptedConnection::Matcher ScriptedConnection::Any() {
  return [](const Call&) { return true; };
}

void ScriptedConnection::Expect(Matcher matcher, Response response) {
  script_.push_back({std::move(matcher), std::move(response), false});
}

void ScriptedConnection::Always(Matcher matcher, Response response) {
  script_.push_back({std::move(matcher), std::move(response), true});
}

void ScriptedConnection::DefineProcedure(std::string name, std::vector<Parameter> params) {
  procedures_[Upper(name)] = std::move(params);
}

void ScriptedConnection::DefineTable(std::string name, std::shared_ptr<Recordset> rows) {
  tables_[Upper(name)] = std::move(rows);
}

std::shared_ptr<Recordset> ScriptedConnection::Table(const std::string& name) const {
  auto it = tables_.find(Upper(name));
  return it == tables_.end() ? nullptr : it->second;
}

const std::vector<Parameter>* ScriptedConnection::FindProcedure(std::string_view name) const {
  auto it = procedures_.find(Upper(name));
  return it == procedures_.end() ? nullptr : &it->second;
}

std::vector<std::string> ScriptedConnection::Texts(CallKind kind) const {
  std::vector<std::string> out;
  for (const Call& c : calls_)
    if (c.kind == kind) out.push_back(c.text);
  return out;
}

std::shared_ptr<Recordset> ScriptedConnection::Answer(const Call& call,
                                                      int32_t* records_affected) {
  if (!open_) Raise(err::kAdoObjectClosed);
  calls_.push_back(call);
  for (Scripted& s : script_) {
    if (s.used || !s.matcher(call)) continue;
    if (!s.persistent) s.used = true;
    if (records_affected) *records_affected = s.response.records_affected;
    if (!s.response.errors.empty()) {
      errors_.Clear();
      for (const DbError& e : s.response.errors) errors_.Add(e);
      const DbError& first = s.response.errors.front();
      throw PlatformError(first.number, first.description, first.source);
    }
    return s.response.result;
  }
  if (records_affected) *records_affected = 0;
  return nullptr;
}

std::shared_ptr<Recordset> ScriptedConnection::Execute(std::string_view sql,
                                                       int32_t* records_affected,
                                                       int options) {
  Call call{CallKind::kExecute, std::string(sql), options, 0, 0, 0, {}};
  auto result = Answer(call, records_affected);
  if (options != ado::kCmdUnspecified && (options & ado::kExecuteNoRecords)) return nullptr;
  return result;
}

std::shared_ptr<Recordset> ScriptedConnection::OpenRecordset(std::string_view source,
                                                             int cursor_type,
                                                             int lock_type, int options) {
  Call call{CallKind::kOpenRecordset, std::string(source), options, cursor_type,
            lock_type, 0, {}};
  if (options == ado::kCmdTable) {
    calls_.push_back(call);
    auto table = Table(std::string(source));
    if (!table) {
      DbError e{err::kAdoCommandError, "Invalid object name '" + std::string(source) + "'.",
                "Scripted", "42S02", 208};
      errors_.Clear();
      errors_.Add(e);
      throw PlatformError(e.number, e.description, e.source);
    }
    auto live = table->Clone(lock_type);
    live->cursor_type = cursor_type;
    live->lock_type = lock_type;
    return live;
  }
  return Answer(call, nullptr);
}

std::unique_ptr<Command> ScriptedConnection::CreateCommand() {
  return std::make_unique<ScriptedCommand>(shared_from_this());
}

}  // namespace zv
