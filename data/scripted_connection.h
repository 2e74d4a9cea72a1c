// A connection for tests: it records every statement, record-set opening and
// command call with its parameters, and answers from a script of record sets
// and errors. The business objects' tests use it to check the exact SQL text
// and parameters they send.
#ifndef ZV_DATA_SCRIPTED_CONNECTION_H_
#define ZV_DATA_SCRIPTED_CONNECTION_H_

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/connection.h"

namespace zv {

class ScriptedConnection : public Connection,
                           public std::enable_shared_from_this<ScriptedConnection> {
 public:
  enum class CallKind { kExecute, kOpenRecordset, kCommand };

  // One recorded call.
  struct Call {
    CallKind kind;
    std::string text;  // SQL text, table name or procedure name
    int options = 0;
    int cursor_type = 0;
    int lock_type = 0;
    int32_t command_timeout = 0;
    // Command parameters in the procedure's order, with the values set.
    std::vector<Parameter> parameters;
    // "name=value" for each parameter that was given a value, in order.
    std::string ParamText() const;
  };

  // What a scripted call answers: a record set (first of a chain; further
  // ones through SetNextRecordset), or errors that fill Errors and throw.
  struct Response {
    std::shared_ptr<Recordset> result;
    std::vector<DbError> errors;
    int32_t records_affected = 0;
    static Response Rows(std::shared_ptr<Recordset> rs) { return {std::move(rs), {}, 0}; }
    static Response Fail(DbError error) { return {nullptr, {std::move(error)}, 0}; }
  };

  using Matcher = std::function<bool(const Call&)>;
  // Matches calls whose text equals `text` exactly.
  static Matcher TextIs(std::string text);
  // Matches calls whose text starts with `prefix`.
  static Matcher TextStartsWith(std::string prefix);
  static Matcher Any();

  // Adds a response for the next call that matches (answered once, in the
  // order added). Unmatched calls succeed with no result.
  void Expect(Matcher matcher, Response response);
  // As Expect, answered for every matching call.
  void Always(Matcher matcher, Response response);

  // Declares a stored procedure's parameter list (what a command reads from
  // the procedure's definition).
  void DefineProcedure(std::string name, std::vector<Parameter> params);
  // A table that OpenRecordset over its name (option kCmdTable) serves: the
  // set returned shares `rows`' storage, so its AddNew/Update land in `rows`
  // (inspect them after the call).
  void DefineTable(std::string name, std::shared_ptr<Recordset> rows);
  std::shared_ptr<Recordset> Table(const std::string& name) const;

  const std::vector<Call>& calls() const { return calls_; }
  // The texts of the recorded calls of one kind, in order.
  std::vector<std::string> Texts(CallKind kind) const;
  void ClearCalls() { calls_.clear(); }

  // Connection
  std::shared_ptr<Recordset> Execute(std::string_view sql, int32_t* records_affected,
                                     int options) override;
  std::shared_ptr<Recordset> OpenRecordset(std::string_view source, int cursor_type,
                                           int lock_type, int options) override;
  std::unique_ptr<Command> CreateCommand() override;
  Errors& GetErrors() override { return errors_; }
  int State() const override { return open_ ? 1 : 0; }
  void Close() override { open_ = false; }

  // Answers a call (used by the commands of this connection).
  std::shared_ptr<Recordset> Answer(const Call& call, int32_t* records_affected);
  const std::vector<Parameter>* FindProcedure(std::string_view name) const;

 private:
  struct Scripted {
    Matcher matcher;
    Response response;
    bool persistent;
    bool used = false;
  };
  std::vector<Scripted> script_;
  std::vector<Call> calls_;
  std::map<std::string, std::vector<Parameter>> procedures_;  // upper-case keys
  std::map<std::string, std::shared_ptr<Recordset>> tables_;  // upper-case keys
  Errors errors_;
  bool open_ = true;
};

}  // namespace zv

#endif  // ZV_DATA_SCRIPTED_CONNECTION_H_
