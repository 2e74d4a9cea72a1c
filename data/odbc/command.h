// Stored-procedure calls: the parameter list comes from the driver's
// description of the procedure, and a call is sent as
// "EXEC ? = name @a = ?, @b = ? OUTPUT" naming only the parameters that
// were given a value, so the procedure's defaults apply to the others.
#ifndef ZV_DATA_ODBC_COMMAND_H_
#define ZV_DATA_ODBC_COMMAND_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/connection.h"
#include "data/odbc/params.h"
#include "data/odbc/procedure_call.h"

namespace zv::odbc {

struct Session;

class OdbcCommand : public Command {
 public:
  explicit OdbcCommand(std::shared_ptr<Session> session);

  void SetCommandText(std::string_view text) override;
  const std::string& CommandText() const override { return text_; }
  std::vector<Parameter>& Parameters() override { return params_; }
  // Runs the call with command_timeout; output parameters (and the return
  // value) are written back once every result has been read.
  std::shared_ptr<Recordset> Execute() override;

 private:
  std::shared_ptr<Session> session_;
  std::string text_;
  std::vector<Parameter> params_;
  // The driver's types of params_, by position, as read with the list.
  std::vector<ParamTarget> targets_;
};

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_COMMAND_H_
