#include "data/odbc/object_names.h"

#include <cctype>
#include <vector>

namespace zv::odbc {

ObjectName SplitObjectName(std::string_view text) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '[' || c == '"') {
      char close = c == '[' ? ']' : '"';
      for (++i; i < text.size(); ++i) {
        if (text[i] == close) {
          if (i + 1 < text.size() && text[i + 1] == close) {
            parts.back() += close;
            ++i;
            continue;
          }
          break;
        }
        parts.back() += text[i];
      }
    } else if (c == '.') {
      parts.emplace_back();
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      parts.back() += c;
    }
  }
  ObjectName n;
  n.name = parts.back();
  if (parts.size() >= 2) n.schema = parts[parts.size() - 2];
  if (parts.size() >= 3) n.catalog = parts[parts.size() - 3];
  return n;
}

std::string QuoteIdentifier(std::string_view name) {
  std::string out = "[";
  for (char c : name) {
    out += c;
    if (c == ']') out += ']';
  }
  return out + "]";
}

}  // namespace zv::odbc
