#include "host/framework.h"

#include "data/error.h"
#include "host/registry.h"

namespace zv {

int mb::FirstButton(int style) {
  switch (style & 0x0F) {
    case kAbortRetryIgnore:
      return kAbort;
    case kYesNoCancel:
    case kYesNo:
      return kYes;
    case kRetryCancel:
      return kRetry;
    default:
      return kOk;
  }
}

DefaultMultilingua::DefaultMultilingua(MessagePresenter presenter)
    : presenter_(std::move(presenter)) {
  // The library's own catalogue entries.
  catalogue_[80606] = "campo non riconosciuto : %1 (tipo %2)";
}

std::string DefaultMultilingua::Text(int32_t id, const Variant& parameters) const {
  auto it = catalogue_.find(id);
  if (it == catalogue_.end()) Raise(err::kInvalidProcedureCall);
  std::string text = it->second;
  if (parameters.IsArray()) {
    const auto& items = parameters.ToArray()->items;
    // Replace from the highest number down so that %1 does not eat %10.
    for (size_t i = items.size(); i-- > 0;) {
      std::string marker = "%" + std::to_string(i + 1);
      std::string value = items[i].IsNull() ? "" : items[i].ToString();
      for (size_t pos = text.find(marker); pos != std::string::npos;
           pos = text.find(marker, pos + value.size()))
        text.replace(pos, marker.size(), value);
    }
  }
  return text;
}

int DefaultMultilingua::Show(const std::string& text, int style,
                             const std::string& title) {
  if (presenter_) return presenter_(text, style, title);
  return mb::FirstButton(style);
}

Variant DefaultMultilingua::Invoke(std::string_view name, std::span<Variant> args) {
  auto arg = [&](size_t i) { return i < args.size() ? args[i] : Variant(); };
  auto text_of = [&](size_t i) {
    Variant v = arg(i);
    return v.IsNull() || v.IsEmpty() ? std::string() : v.ToString();
  };
  if (NameEquals(name, "ZMXMsgBox")) {
    if (args.size() < 1) Raise(err::kArgumentNotOptional);
    return Variant(static_cast<int32_t>(
        Show(text_of(0), arg(1).IsEmpty() ? 0 : arg(1).ToLong(), text_of(2))));
  }
  if (NameEquals(name, "ZMXMsgBoxFromId") ||
      NameEquals(name, "ZMXMsgBoxFromIdConParametri")) {
    if (args.size() < 1) Raise(err::kArgumentNotOptional);
    std::string text = Text(arg(0).ToLong(), arg(3));
    return Variant(static_cast<int32_t>(
        Show(text, arg(1).IsEmpty() ? 0 : arg(1).ToLong(), text_of(2))));
  }
  if (NameEquals(name, "TraduzioneTesto") ||
      NameEquals(name, "TraduzioneTestoConParametri")) {
    if (args.size() < 1) Raise(err::kArgumentNotOptional);
    return Variant(Text(arg(0).ToLong(), arg(1)));
  }
  return Dispatch::Invoke(name, args);
}

void RegisterDefaultMultilingua(MessagePresenter presenter) {
  auto& registry = ObjectRegistry::Default();
  if (registry.Contains(kMultilinguaProgId)) return;
  registry.Register(kMultilinguaProgId, [presenter]() -> std::shared_ptr<Dispatch> {
    return std::make_shared<DefaultMultilingua>(presenter);
  });
}

}  // namespace zv
