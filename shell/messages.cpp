#include "shell/messages.h"

#include <vector>

#include "data/error.h"
#include "host/framework.h"
#include "host/registry.h"

namespace zv {

std::string QuoteForSql(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    out.push_back(c);
    if (c == '\'') out.push_back('\'');
  }
  return out;
}

std::shared_ptr<Dispatch> MessageService::HostService(const Variant& active_interface) {
  try {
    if (!active_interface.IsObject()) return nullptr;
    auto host = active_interface.ToObject();
    if (!host) return nullptr;
    Variant app = host->Get("Application");
    if (!app.IsObject() || !app.ToObject()) return nullptr;
    Variant service = app.ToObject()->Get("Multilingua");
    if (!service.IsObject()) return nullptr;
    return service.ToObject();
  } catch (...) {
    return nullptr;
  }
}

Dispatch* MessageService::OwnService() {
  if (!own_) {
    try {
      own_ = CreateObject(kMultilinguaProgId);
    } catch (...) {
      own_ = nullptr;
    }
  }
  return own_.get();
}

int32_t MessageService::MsgBox(const Variant& active_interface,
                               std::string_view testo, int32_t id,
                               int32_t buttons, std::string_view title,
                               const Variant& parametri) {
  try {
    std::shared_ptr<Dispatch> host = HostService(active_interface);
    Dispatch* service = host ? host.get() : OwnService();
    if (!service) return 0;
    std::vector<Variant> args;
    const char* method;
    if (id < 1) {
      method = "ZMXMsgBox";
      args = {Variant(std::string(testo)), Variant(buttons), Variant(std::string(title))};
      if (host) args.push_back(Variant());  // the owner window: none
    } else if (parametri.IsArray()) {
      method = "ZMXMsgBoxFromIdConParametri";
      args = {Variant(id), Variant(buttons), Variant(std::string(title)), parametri};
    } else {
      method = "ZMXMsgBoxFromId";
      args = {Variant(id), Variant(buttons), Variant(std::string(title))};
      if (host) args.push_back(MakeArray({}));
    }
    Variant result = service->Invoke(method, args);
    return result.IsEmpty() || result.IsNull() ? 0 : result.ToLong();
  } catch (...) {
    return 0;
  }
}

std::string MessageService::Translate(const Variant& active_interface,
                                      std::string_view testo, int32_t id,
                                      const Variant& parametri,
                                      int16_t utilizzo_sql) {
  std::string result(testo);
  if (id >= 1) {
    try {
      std::shared_ptr<Dispatch> host = HostService(active_interface);
      Dispatch* service = host ? host.get() : OwnService();
      if (service) {
        std::vector<Variant> args;
        const char* method;
        if (parametri.IsArray()) {
          method = "TraduzioneTestoConParametri";
          args = {Variant(id), parametri};
        } else {
          method = "TraduzioneTesto";
          args = {Variant(id)};
          if (host) args.push_back(MakeArray({}));
        }
        result = service->Invoke(method, args).ToString();
      }
    } catch (...) {
      // The translation stops at the first failure; the text is kept.
    }
  }
  if (utilizzo_sql == 1) result = QuoteForSql(result);
  return result;
}

}  // namespace zv
