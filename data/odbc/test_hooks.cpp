#include "data/odbc/test_hooks.h"

#include "data/odbc/handles.h"

namespace zv::odbc {

struct HostConnectionHandle::Impl {
  std::unique_ptr<Environment> environment;
  std::unique_ptr<ConnectionHandle> connection;
};

HostConnectionHandle::HostConnectionHandle(std::string_view connection_string)
    : impl_(std::make_unique<Impl>()) {
  try {
    impl_->environment = std::make_unique<Environment>();
    impl_->connection = ConnectionHandle::Connect(*impl_->environment, connection_string, 0);
  } catch (const DriverError& e) {
    throw PlatformError(err::kAdoConnectionFailed, e.description(), e.source());
  }
}

HostConnectionHandle::~HostConnectionHandle() = default;

void* HostConnectionHandle::handle() const { return impl_->connection->get(); }

}  // namespace zv::odbc
