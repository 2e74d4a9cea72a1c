// A driver failure before it becomes the connection's error: every
// diagnostic record as the driver gave it. The backend translates it once,
// at the connection's edge, into Errors and a PlatformError.
#ifndef ZV_DATA_ODBC_DIAGNOSTICS_H_
#define ZV_DATA_ODBC_DIAGNOSTICS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "data/connection.h"
#include "data/error.h"

namespace zv::odbc {

// The source named by every error this layer reports.
inline constexpr char kProviderSource[] = "Microsoft OLE DB Provider for ODBC Drivers";

// Records with number 0 get theirs from their SQLSTATE when translated.
class DriverError : public PlatformError {
 public:
  explicit DriverError(std::vector<DbError> records);
  const std::vector<DbError>& records() const { return records_; }

 private:
  std::vector<DbError> records_;
};

// A record made here rather than by the driver (no diagnostics available,
// a value the driver sent that cannot be read, a row no longer found).
DbError MakeRecord(std::string sql_state, std::string description, int32_t number = 0,
                   int32_t native_error = 0);

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_DIAGNOSTICS_H_
