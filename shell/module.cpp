#include "shell/module.h"

#include <string_view>

#include "data/error.h"

namespace zv {
namespace {

std::string_view TrimSpaces(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

// The value's text (CStr); false when it cannot be made.
bool TextOf(const Variant& value, std::string* out) {
  try {
    if (value.IsString()) {
      *out = value.StringRef();
    } else {
      *out = value.ToString();
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

Variant NVL(const Variant& value, const Variant& default_value) {
  if (value.IsNull() || value.IsEmpty()) return default_value;
  if (value.IsString())
    return TrimSpaces(value.StringRef()).empty() ? default_value : value;
  std::string text;
  if (TextOf(value, &text) && TrimSpaces(text).empty()) return default_value;
  return value;
}

Variant CDecN(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return Variant(int16_t{0});
  try {
    if (value.IsString() && TrimSpaces(value.StringRef()).empty())
      return Variant(int16_t{0});
    if (value.IsObject()) {
      std::string text;
      if (!TextOf(value, &text) || TrimSpaces(text).empty())
        return Variant(int16_t{0});
    }
    return Variant(value.ToDecimal());
  } catch (const std::exception&) {
    return Variant(int16_t{0});
  }
}

Variant NullSeZero(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return value;
  std::string text;
  if (TextOf(value, &text) && TrimSpaces(text) == "0") return Variant::Null();
  return value;
}

std::string RTrimNVL(const Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return std::string();
  std::string text;
  if (!TextOf(value, &text)) return std::string();
  size_t e = text.size();
  while (e > 0 && text[e - 1] == ' ') --e;
  text.resize(e);
  return text;
}

Variant IndiceDaCodiceVar(const Variant& code) {
  if (!code.IsString()) return Variant();
  const std::string& s = code.StringRef();
  if (s.size() != 2 || s[1] < '0' || s[1] > '9') return Variant();
  int digit = s[1] - '0';
  if (s[0] == 'A') return Variant(static_cast<int16_t>(digit));
  if (s[0] == 'B') return Variant(static_cast<int16_t>(10 + digit));
  return Variant();
}

Variant CodiceVarDaIndice(const Variant& index) {
  if (index.IsNull() || index.IsEmpty() || index.IsObject() || index.IsArray())
    return Variant();
  try {
    if (!index.IsNumeric()) return Variant();
    Decimal d = index.ToDecimal();
    if (d != d.Truncate() || d < Decimal(0) || d > Decimal(19))
      return Variant();
    int64_t i = d.ToInt64();
    std::string out(1, i < 10 ? 'A' : 'B');
    out += static_cast<char>('0' + i % 10);
    return Variant(std::move(out));
  } catch (const std::exception&) {
    return Variant();
  }
}

Variant TroncaDecimali(const Variant& value, const Variant& decimals) {
  if (value.IsNull()) return value;
  try {
    Decimal d = value.ToDecimal();
    int32_t places = decimals.ToLong();
    if (places < 0) return value;
    if (places >= d.scale()) return Variant(d);
    return Variant(d.FloorTo(places));
  } catch (const std::exception&) {
    return value;
  }
}

}  // namespace zv
