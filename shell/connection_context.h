// The connection context every public class carries: the company code, a
// connection string and the host's open connection. Writing never fails: a
// value that cannot be taken resets the property.
#ifndef ZV_SHELL_CONNECTION_CONTEXT_H_
#define ZV_SHELL_CONNECTION_CONTEXT_H_

#include <memory>
#include <string>

#include "data/connection.h"
#include "data/variant.h"

namespace zv {

class ConnectionContext {
 public:
  // The company code as stored: a Decimal, or the Integer 0 when the value
  // written could not be converted.
  Variant CodiceDitta() const { return codice_ditta_; }
  void SetCodiceDitta(const Variant& value);
  // The company code as a bare number for SQL text ("12", "0").
  std::string CodiceDittaSql() const;

  Variant StringaConnessione() const { return stringa_connessione_; }
  void SetStringaConnessione(const Variant& value);

  // The host's connection (only referenced, never opened or closed here).
  const std::shared_ptr<Connection>& Connessione() const { return connessione_; }
  void SetConnessione(std::shared_ptr<Connection> connection) {
    connessione_ = std::move(connection);
  }

 private:
  Variant codice_ditta_ = Variant(int16_t{0});
  Variant stringa_connessione_;
  std::shared_ptr<Connection> connessione_;
};

}  // namespace zv

#endif  // ZV_SHELL_CONNECTION_CONTEXT_H_
