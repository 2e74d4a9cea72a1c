// The host framework as the library uses it. Every framework object is
// late-bound (zv::Dispatch); this header fixes the member names the library
// calls, and provides the default implementations the embedded default runs
// with.
//
// Host context object (the `ActiveInterface` of the public classes):
//   Get("Application")          -> the application object (Nothing or
//                                  missing: the library creates its own
//                                  multilingual service)
// Application object:
//   Get("Multilingua")          -> the multilingual service
// Multilingual service, called by name (arguments in this order):
//   ZMXMsgBox(text, style, title [, owner])                 -> button pressed
//   TraduzioneTesto(id [, parameters])                      -> text
//   ZMXMsgBoxFromId(id, style, title [, parameters])        -> button pressed
//   TraduzioneTestoConParametri(id, parameters)             -> text
//   ZMXMsgBoxFromIdConParametri(id, style, title, parameters) -> button
// A service created by the library itself comes from the ProgID registry
// as kMultilinguaProgId.
#ifndef ZV_HOST_FRAMEWORK_H_
#define ZV_HOST_FRAMEWORK_H_

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/dispatch.h"

namespace zv {

inline constexpr const char* kMultilinguaProgId = "NXBO_MULTILINGUA.CLSNX_MULTILINGUA";

// Message-box styles and results of the platform.
namespace mb {
inline constexpr int kOkOnly = 0;
inline constexpr int kOkCancel = 1;
inline constexpr int kAbortRetryIgnore = 2;
inline constexpr int kYesNoCancel = 3;
inline constexpr int kYesNo = 4;
inline constexpr int kRetryCancel = 5;
inline constexpr int kCritical = 16;
inline constexpr int kQuestion = 32;
inline constexpr int kExclamation = 48;
inline constexpr int kInformation = 64;
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kAbort = 3;
inline constexpr int kRetry = 4;
inline constexpr int kIgnore = 5;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
// The first button of a style (what an unattended answer presses).
int FirstButton(int style);
}  // namespace mb

// Shows a message and returns the button pressed. The default presenter
// shows nothing and answers the first button of the style.
using MessagePresenter =
    std::function<int(const std::string& text, int style, const std::string& title)>;

// The multilingual service of the embedded default: a text catalogue (the
// library's own message numbers, in Italian, with %1..%n placeholders; the
// host may add entries) and a presenter for message boxes. An id with no
// catalogue entry raises error 5, so that a caller falls back to its own
// text.
class DefaultMultilingua : public Dispatch {
 public:
  explicit DefaultMultilingua(MessagePresenter presenter = nullptr);

  std::string TypeName() const override { return "CLSNX_MULTILINGUA"; }
  Variant Invoke(std::string_view name, std::span<Variant> args) override;

  void SetText(int32_t id, std::string text) { catalogue_[id] = std::move(text); }
  void SetPresenter(MessagePresenter presenter) { presenter_ = std::move(presenter); }

  // The catalogue text of `id` with its placeholders %1.. replaced by the
  // parameters' texts; raises error 5 for an unknown id.
  std::string Text(int32_t id, const Variant& parameters) const;

 private:
  int Show(const std::string& text, int style, const std::string& title);
  std::map<int32_t, std::string> catalogue_;
  MessagePresenter presenter_;
};

// Registers DefaultMultilingua under kMultilinguaProgId in the default
// registry (unless something is registered there already), with the given
// presenter.
void RegisterDefaultMultilingua(MessagePresenter presenter = nullptr);

}  // namespace zv

#endif  // ZV_HOST_FRAMEWORK_H_
