#include "shell/module.h"

namespace zv {

void DropTempTable(std::string_view name, Connection* connection) {
  if (!connection) return;
  try {
    std::string n(name);
    connection->Execute("IF OBJECT_ID('tempdb.." + n + "') IS NOT NULL DROP TABLE " + n,
                        nullptr, ado::kCmdText | ado::kExecuteNoRecords);
  } catch (...) {
    try {
      connection->GetErrors().Clear();
    } catch (...) {
    }
  }
}

}  // namespace zv
