// The error routine every public class shares: it turns the failure being
// handled (and, for database failures, the first error of the connection)
// into the standard Italian message, keeps it as the last error text and, by
// default, shows it in a message box titled "CLSPD_VESTARO".
#ifndef ZV_SHELL_ERROR_REPORT_H_
#define ZV_SHELL_ERROR_REPORT_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "data/connection.h"
#include "data/error.h"
#include "data/variant.h"

namespace zv {

inline constexpr const char* kLineBreak = "\r\n";

// The failure being handled.
struct PendingError {
  int32_t number = 0;
  std::string description;
  std::string source;
  static PendingError From(const PlatformError& e) {
    return {e.number(), e.description(), e.source()};
  }
};

// The message lines for a database error with this SQLSTATE (or, when the
// state is empty, this number); `description` is used for other states.
std::string DatabaseErrorLines(std::string_view sql_state, int32_t number,
                               std::string_view description);
// The message lines for a failure that left no database error.
std::string PendingErrorLines(int32_t number);

// What ShowError works with.
struct ErrorReportContext {
  // The failure being handled (number 0 when there is none).
  PendingError pending;
  // The connection whose Errors are read; nullptr when none is set.
  Connection* connection = nullptr;
  // Shows a text (ZMX_MSGBOX with id 0, style 16, title "CLSPD_VESTARO").
  std::function<void(const std::string& text)> show;
  // Receives the last error text.
  std::string* last_error_text = nullptr;
};

// Builds, stores and shows the message for `routine`. Raises error 91 when no
// custom message is given and no connection is set (the connection's error
// list cannot be read); that failure reaches the caller.
void ShowError(ErrorReportContext& context, const Variant& routine,
               std::string_view custom_message = "", bool show_msg_box = true);

// The error routine of a public class, run over the class's own state: the
// failure it is handling (`pending`, handed over and cleared), the
// connection of its context, and where it keeps the last error text. The
// message is shown with the class's own ZMX_MSGBOX (id 0, style 16, title
// "CLSPD_VESTARO"). Failures as ShowError above.
template <typename Owner>
void ShowOwnerError(Owner& owner, PendingError& pending, Connection* connection,
                    std::string& last_error_text, const Variant& routine,
                    std::string_view custom_message, bool show_msg_box) {
  ErrorReportContext context;
  context.pending = pending;
  context.connection = connection;
  context.show = [&owner](const std::string& text) {
    owner.ZMX_MSGBOX(text, 0, 16, "CLSPD_VESTARO");
  };
  context.last_error_text = &last_error_text;
  pending = PendingError{};
  ShowError(context, routine, custom_message, show_msg_box);
}

// Converts any exception caught in a public routine into the pending error:
// PlatformError keeps its triple; std::bad_alloc is error 7 "Out of memory";
// anything else is error 51 "Internal error" with its text.
PendingError PendingFromCurrentException();

}  // namespace zv

#endif  // ZV_SHELL_ERROR_REPORT_H_
