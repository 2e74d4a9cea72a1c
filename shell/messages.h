// Message boxes and text translation through the host framework's
// multilingual service: the host's own (reached from the host context object
// at every call) when it is there, otherwise one the object creates by ProgID
// on first need and keeps until it ends.
#ifndef ZV_SHELL_MESSAGES_H_
#define ZV_SHELL_MESSAGES_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "data/dispatch.h"
#include "data/variant.h"

namespace zv {

class MessageService {
 public:
  // Shows `testo` (id below 1) or the catalogue text `id` with the optional
  // parameter array. Never fails: returns the button pressed, or 0 when
  // nothing could be shown.
  int32_t MsgBox(const Variant& active_interface, std::string_view testo,
                 int32_t id, int32_t buttons, std::string_view title,
                 const Variant& parametri = Variant());

  // The translation of catalogue text `id` (`testo` itself for an id below
  // 1, or when the translation fails). With utilizzo_sql = 1 every "'" of the
  // result is doubled. Never fails.
  std::string Translate(const Variant& active_interface, std::string_view testo,
                        int32_t id, const Variant& parametri = Variant(),
                        int16_t utilizzo_sql = 0);

  // Drops the service this object created (at the end of its owner).
  void Release() { own_.reset(); }
  bool has_own_service() const { return own_ != nullptr; }

  // The host's service when the host context, its application object and
  // its service are all present; nullptr otherwise.
  static std::shared_ptr<Dispatch> HostService(const Variant& active_interface);

 private:
  // The object's own service, created on first need; nullptr when it cannot
  // be created (the next call tries again).
  Dispatch* OwnService();
  std::shared_ptr<Dispatch> own_;
};

// Doubles every single quote so that the text can stand between quotes in
// SQL.
std::string QuoteForSql(std::string_view text);

}  // namespace zv

#endif  // ZV_SHELL_MESSAGES_H_
