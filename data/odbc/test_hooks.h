// Hooks for the backend's tests against a real driver: a count of the ODBC
// handles alive, a failure injected at the n-th ODBC call (so that cleanup
// after a failure anywhere can be checked), and a connection handle opened
// the way a host opens its own, for OdbcConnection::Attach.
#ifndef ZV_DATA_ODBC_TEST_HOOKS_H_
#define ZV_DATA_ODBC_TEST_HOOKS_H_

#include <memory>
#include <string_view>

namespace zv::odbc {

// ODBC handles allocated by this layer and not yet freed (handles borrowed
// through Attach are not counted).
int LiveHandleCount();

// Makes the n-th ODBC call from now fail (1 = the next one) with SQLSTATE
// HY000 "Injected failure in <call>", before the driver is called; 0
// disarms. Calls made while releasing handles are never failed.
void InjectFailureAt(int n);
// True once the armed failure has been raised (until the next arming).
bool InjectedFailureRaised();

// An ODBC connection held outside any OdbcConnection, as a host holds its
// own; disconnected and freed when destroyed. Throws PlatformError
// (err::kAdoConnectionFailed) when it cannot connect.
class HostConnectionHandle {
 public:
  explicit HostConnectionHandle(std::string_view connection_string);
  ~HostConnectionHandle();
  HostConnectionHandle(const HostConnectionHandle&) = delete;
  HostConnectionHandle& operator=(const HostConnectionHandle&) = delete;
  // The SQLHDBC, as OdbcConnection::Attach takes it.
  void* handle() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zv::odbc

#endif  // ZV_DATA_ODBC_TEST_HOOKS_H_
