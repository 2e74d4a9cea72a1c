#include "shell/connection_context.h"

namespace zv {

void ConnectionContext::SetCodiceDitta(const Variant& value) {
  try {
    codice_ditta_ = Variant(value.ToDecimal());
  } catch (...) {
    codice_ditta_ = Variant(int16_t{0});
  }
}

std::string ConnectionContext::CodiceDittaSql() const {
  try {
    return codice_ditta_.ToDecimal().Normalize().ToString();
  } catch (...) {
    return "0";
  }
}

void ConnectionContext::SetStringaConnessione(const Variant& value) {
  try {
    stringa_connessione_ = value;
  } catch (...) {
    stringa_connessione_ = Variant();
  }
}

}  // namespace zv
