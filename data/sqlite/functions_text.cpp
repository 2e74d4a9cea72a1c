// The T-SQL string functions: lengths and positions count characters (UTF-8
// code points), searches compare as the collation does (case-insensitive,
// accents significant), and NULL in gives NULL out.
#include <cstdio>
#include <memory>
#include <vector>

#include "data/sqlite/function_support.h"
#include "data/sqlite/tsql_values.h"
#include "data/text_compare.h"

namespace zv::sqlite {
namespace {

// Byte offsets of the characters of a text: starts[k] is where character k
// begins, starts[size] == text.size().
class CharIndex {
 public:
  explicit CharIndex(std::string_view text) : text_(text) {
    for (size_t i = 0; i < text.size();) {
      starts_.push_back(i);
      if (static_cast<unsigned char>(text[i]) < 0x80) {
        ++i;
      } else {
        DecodeChar(text, &i);
      }
    }
    starts_.push_back(text.size());
  }
  int64_t size() const { return static_cast<int64_t>(starts_.size()) - 1; }
  // Characters [from, to) clipped to the text.
  std::string_view Slice(int64_t from, int64_t to) const {
    if (from < 0) from = 0;
    if (to > size()) to = size();
    if (from >= to) return {};
    return text_.substr(starts_[from], starts_[to] - starts_[from]);
  }
  char32_t Folded(int64_t k) const {
    size_t i = starts_[k];
    return text::FoldCase(DecodeChar(text_, &i));
  }

 private:
  std::string_view text_;
  std::vector<size_t> starts_;
};

std::u32string FoldedChars(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) out.push_back(text::FoldCase(DecodeChar(text, &i)));
  return out;
}

char32_t UpperCase(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  if (c == 0x131) return 'I';
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
    return (c % 2 == 1) ? c - 1 : c;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
    return (c % 2 == 0) ? c - 1 : c;
  if (c >= 0x430 && c <= 0x44F) return c - 32;
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return c - 32;
  return c;
}

template <char32_t (*Map)(char32_t)>
std::string MapChars(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(Map(b)));
      ++i;
    } else {
      AppendChar(Map(DecodeChar(text, &i)), &out);
    }
  }
  return out;
}

void Len(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  std::string s = ArgAsText(a, 0);
  sqlite3_result_int64(a.ctx(),
                       static_cast<int64_t>(CharLength(text::TrimTrailingBlanks(s))));
}

void Stuff(Args& a) {
  if (a.AnyNull(3)) return sqlite3_result_null(a.ctx());
  std::string s = ArgAsText(a, 0);
  CharIndex chars(s);
  int64_t start = ArgAsInt(a, 1);
  int64_t length = ArgAsInt(a, 2);
  if (start <= 0 || start > chars.size() || length < 0)
    return sqlite3_result_null(a.ctx());
  std::string out(chars.Slice(0, start - 1));
  if (!a.IsNull(3)) out += ArgAsText(a, 3);
  if (length < chars.size()) out += chars.Slice(start - 1 + length, chars.size());
  ResultText(a.ctx(), out);
}

void Replicate(Args& a) {
  if (a.AnyNull()) return sqlite3_result_null(a.ctx());
  int64_t n = ArgAsInt(a, 1);
  if (n < 0) return sqlite3_result_null(a.ctx());
  std::string s = ArgAsText(a, 0);
  if (s.size() * static_cast<uint64_t>(n) > (uint64_t{1} << 30)) {
    ThrowSql(0, "HY000", "The result of REPLICATE is too long.");
  }
  std::string out;
  out.reserve(s.size() * static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) out += s;
  ResultText(a.ctx(), out);
}

void CharIndexFn(Args& a) {
  if (a.AnyNull()) return sqlite3_result_null(a.ctx());
  std::u32string needle = FoldedChars(ArgAsText(a, 0));
  std::u32string hay = FoldedChars(ArgAsText(a, 1));
  int64_t start = a.Has(2) ? ArgAsInt(a, 2) : 1;
  if (start < 1) start = 1;
  if (needle.empty() || static_cast<size_t>(start - 1) >= hay.size())
    return sqlite3_result_int64(a.ctx(), 0);
  size_t pos = hay.find(needle, static_cast<size_t>(start - 1));
  sqlite3_result_int64(a.ctx(),
                       pos == std::u32string::npos ? 0 : static_cast<int64_t>(pos) + 1);
}

void Left(Args& a) {
  if (a.AnyNull()) return sqlite3_result_null(a.ctx());
  int64_t n = ArgAsInt(a, 1);
  if (n < 0)
    ThrowSql(native::kInvalidLength, "42000",
             "Invalid length parameter passed to the left function.");
  std::string s = ArgAsText(a, 0);
  ResultText(a.ctx(), CharPrefix(s, static_cast<size_t>(n)));
}

void Right(Args& a) {
  if (a.AnyNull()) return sqlite3_result_null(a.ctx());
  int64_t n = ArgAsInt(a, 1);
  if (n < 0)
    ThrowSql(native::kInvalidLength, "42000",
             "Invalid length parameter passed to the right function.");
  std::string s = ArgAsText(a, 0);
  CharIndex chars(s);
  ResultText(a.ctx(), chars.Slice(chars.size() - n, chars.size()));
}

void Substring(Args& a) {
  if (a.AnyNull()) return sqlite3_result_null(a.ctx());
  int64_t start = ArgAsInt(a, 1);
  int64_t length = ArgAsInt(a, 2);
  if (length < 0)
    ThrowSql(native::kInvalidSubstringLength, "42000",
             "Invalid length parameter passed to the LEFT or SUBSTRING function.");
  std::string s = ArgAsText(a, 0);
  CharIndex chars(s);
  // Characters start .. start+length-1 (1-based), clipped to the text.
  int64_t to = start > 0 && length > INT64_MAX - start ? INT64_MAX : start + length;
  ResultText(a.ctx(), chars.Slice(start - 1, to - 1));
}

void LTrim(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  std::string s = ArgAsText(a, 0);
  size_t i = s.find_first_not_of(' ');
  ResultText(a.ctx(), i == std::string::npos ? std::string_view() : std::string_view(s).substr(i));
}

void RTrim(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  std::string s = ArgAsText(a, 0);
  ResultText(a.ctx(), text::TrimTrailingBlanks(s));
}

void Upper(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  ResultText(a.ctx(), MapChars<UpperCase>(ArgAsText(a, 0)));
}

void Lower(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  ResultText(a.ctx(), MapChars<text::FoldCase>(ArgAsText(a, 0)));
}

void Replace(Args& a) {
  if (a.AnyNull()) return sqlite3_result_null(a.ctx());
  std::string s = ArgAsText(a, 0);
  std::string find = ArgAsText(a, 1);
  std::string repl = ArgAsText(a, 2);
  std::u32string needle = FoldedChars(find);
  if (needle.empty()) return ResultText(a.ctx(), s);
  CharIndex chars(s);
  std::u32string hay;
  hay.reserve(static_cast<size_t>(chars.size()));
  for (int64_t k = 0; k < chars.size(); ++k) hay.push_back(chars.Folded(k));
  std::string out;
  out.reserve(s.size());
  size_t from = 0;
  for (;;) {
    size_t pos = hay.find(needle, from);
    if (pos == std::u32string::npos) break;
    out += chars.Slice(static_cast<int64_t>(from), static_cast<int64_t>(pos));
    out += repl;
    from = pos + needle.size();
  }
  out += chars.Slice(static_cast<int64_t>(from), chars.size());
  ResultText(a.ctx(), out);
}

// tsql_padchar(x, n [, strict]): x as CHAR(n). Longer texts are cut to n
// characters; with strict set (a write into a CHAR(n) column) cutting
// anything but blanks is error 8152.
void PadChar(Args& a) {
  if (a.IsNull(0)) return sqlite3_result_null(a.ctx());
  if (a.IsNull(1)) return ResultText(a.ctx(), ArgAsText(a, 0));
  int64_t n = ArgAsInt(a, 1);
  if (n < 0) n = 0;
  bool strict = a.Has(2) && !a.IsNull(2) && a.Int(2) != 0;
  std::string s = ArgAsText(a, 0);
  size_t count = static_cast<size_t>(n);
  std::string_view kept = CharPrefix(s, count);
  if (kept.size() < s.size()) {
    if (strict && std::string_view(s).substr(kept.size()).find_first_not_of(' ') !=
                      std::string_view::npos) {
      ThrowSql(native::kTruncation, "22001", "String or binary data would be truncated.");
    }
    return ResultText(a.ctx(), kept);
  }
  ResultText(a.ctx(), PadToChars(s, count));
}

void Concat(Args& a) {
  if (a.AnyNull()) return sqlite3_result_null(a.ctx());
  ResultText(a.ctx(), ArgAsText(a, 0) + ArgAsText(a, 1));
}

// --- LIKE ------------------------------------------------------------------

// One element of a compiled pattern.
struct PatternItem {
  enum class Kind { kChar, kAny, kPercent, kSet } kind = Kind::kChar;
  char32_t c = 0;  // folded, for kChar
  bool negated = false;
  // For kSet: single characters (folded) and ranges (as UTF-8 for ordering).
  std::u32string chars;
  std::vector<std::pair<std::string, std::string>> ranges;
};

struct Pattern {
  std::vector<PatternItem> items;
};

std::string EncodeChar(char32_t c) {
  std::string s;
  AppendChar(c, &s);
  return s;
}

Pattern Compile(std::string_view text, std::optional<char32_t> escape) {
  std::u32string p;
  for (size_t i = 0; i < text.size();) p.push_back(DecodeChar(text, &i));
  Pattern out;
  for (size_t i = 0; i < p.size(); ++i) {
    PatternItem item;
    char32_t c = p[i];
    if (escape && c == *escape && i + 1 < p.size()) {
      item.c = text::FoldCase(p[++i]);
    } else if (c == '%') {
      // Consecutive percents are one.
      if (!out.items.empty() && out.items.back().kind == PatternItem::Kind::kPercent)
        continue;
      item.kind = PatternItem::Kind::kPercent;
    } else if (c == '_') {
      item.kind = PatternItem::Kind::kAny;
    } else if (c == '[' && p.find(']', i + 1) != std::u32string::npos) {
      size_t close = p.find(']', i + 1);
      // "[]x]": a ']' right after the opening bracket belongs to the set.
      if (close == i + 1 && p.find(']', i + 2) != std::u32string::npos)
        close = p.find(']', i + 2);
      item.kind = PatternItem::Kind::kSet;
      size_t k = i + 1;
      if (k < close && p[k] == '^') {
        item.negated = true;
        ++k;
      }
      for (; k < close; ++k) {
        if (k + 2 < close && p[k + 1] == '-') {
          item.ranges.emplace_back(EncodeChar(p[k]), EncodeChar(p[k + 2]));
          k += 2;
        } else {
          item.chars.push_back(text::FoldCase(p[k]));
        }
      }
      i = close;
    } else {
      item.c = text::FoldCase(c);
    }
    out.items.push_back(std::move(item));
  }
  return out;
}

bool ItemMatches(const PatternItem& item, char32_t folded) {
  switch (item.kind) {
    case PatternItem::Kind::kChar:
      return item.c == folded;
    case PatternItem::Kind::kAny:
      return true;
    case PatternItem::Kind::kPercent:
      return false;
    case PatternItem::Kind::kSet: {
      bool in = item.chars.find(folded) != std::u32string::npos;
      if (!in && !item.ranges.empty()) {
        std::string c = EncodeChar(folded);
        for (const auto& [lo, hi] : item.ranges) {
          if (text::CompareText(lo, c) <= 0 && text::CompareText(c, hi) <= 0) {
            in = true;
            break;
          }
        }
      }
      return in != item.negated;
    }
  }
  return false;
}

// Trailing blanks of the matched text may stay unmatched; those of the
// pattern must match.
bool Match(const Pattern& pattern, const std::u32string& s) {
  const auto& items = pattern.items;
  size_t si = 0, pi = 0;
  size_t star_p = SIZE_MAX, star_s = 0;
  auto rest_blank = [&](size_t from) {
    for (size_t k = from; k < s.size(); ++k)
      if (s[k] != ' ') return false;
    return true;
  };
  while (si < s.size()) {
    if (pi < items.size() && items[pi].kind == PatternItem::Kind::kPercent) {
      star_p = pi++;
      star_s = si;
      continue;
    }
    if (pi < items.size() && ItemMatches(items[pi], s[si])) {
      ++si;
      ++pi;
      continue;
    }
    if (pi == items.size() && rest_blank(si)) return true;
    if (star_p != SIZE_MAX) {
      pi = star_p + 1;
      si = ++star_s;
      continue;
    }
    return false;
  }
  while (pi < items.size() && items[pi].kind == PatternItem::Kind::kPercent) ++pi;
  return pi == items.size();
}

void DeletePattern(void* p) { delete static_cast<Pattern*>(p); }

void Like(Args& a) {
  if (a.AnyNull(2)) return sqlite3_result_null(a.ctx());
  std::optional<char32_t> escape;
  if (a.Has(2) && !a.IsNull(2)) {
    std::string e = ArgAsText(a, 2);
    if (CharLength(e) != 1)
      ThrowSql(506, "22019", "The invalid escape character \"" + e +
                                 "\" was specified in a LIKE predicate.");
    size_t i = 0;
    escape = DecodeChar(e, &i);
  }
  // A constant pattern is compiled once per statement (SQLite keeps it as
  // auxiliary data of the argument).
  bool cacheable = !a.Has(2);
  auto* pattern = cacheable ? static_cast<Pattern*>(sqlite3_get_auxdata(a.ctx(), 1))
                            : nullptr;
  std::unique_ptr<Pattern> compiled;
  if (pattern == nullptr) {
    compiled = std::make_unique<Pattern>(Compile(ArgAsText(a, 1), escape));
    pattern = compiled.get();
  }
  bool result = Match(*pattern, FoldedChars(ArgAsText(a, 0)));
  if (compiled && cacheable) sqlite3_set_auxdata(a.ctx(), 1, compiled.release(), DeletePattern);
  sqlite3_result_int(a.ctx(), result ? 1 : 0);
}

void NewId(Args& a) {
  uint64_t hi = a.session().random();
  uint64_t lo = a.session().random();
  // Version 4, variant 1.
  hi = (hi & 0xFFFFFFFFFFFF0FFFULL) | 0x0000000000004000ULL;
  lo = (lo & 0x3FFFFFFFFFFFFFFFULL) | 0x8000000000000000ULL;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08X-%04X-%04X-%04X-%012llX",
                static_cast<unsigned>(hi >> 32), static_cast<unsigned>((hi >> 16) & 0xFFFF),
                static_cast<unsigned>(hi & 0xFFFF), static_cast<unsigned>(lo >> 48),
                static_cast<unsigned long long>(lo & 0xFFFFFFFFFFFFULL));
  ResultText(a.ctx(), buf);
}

}  // namespace

void RegisterTextFunctions(sqlite3* db, Session* session) {
  RegisterScalar(db, session, "tsql_len", 1, 1, ScalarCallback<Len>);
  RegisterScalar(db, session, "tsql_stuff", 4, 4, ScalarCallback<Stuff>);
  RegisterScalar(db, session, "tsql_replicate", 2, 2, ScalarCallback<Replicate>);
  RegisterScalar(db, session, "tsql_charindex", 2, 3, ScalarCallback<CharIndexFn>);
  RegisterScalar(db, session, "tsql_left", 2, 2, ScalarCallback<Left>);
  RegisterScalar(db, session, "tsql_right", 2, 2, ScalarCallback<Right>);
  RegisterScalar(db, session, "tsql_substring", 3, 3, ScalarCallback<Substring>);
  RegisterScalar(db, session, "tsql_ltrim", 1, 1, ScalarCallback<LTrim>);
  RegisterScalar(db, session, "tsql_rtrim", 1, 1, ScalarCallback<RTrim>);
  RegisterScalar(db, session, "tsql_upper", 1, 1, ScalarCallback<Upper>);
  RegisterScalar(db, session, "tsql_lower", 1, 1, ScalarCallback<Lower>);
  RegisterScalar(db, session, "tsql_replace", 3, 3, ScalarCallback<Replace>);
  RegisterScalar(db, session, "tsql_padchar", 2, 3, ScalarCallback<PadChar>);
  RegisterScalar(db, session, "tsql_concat", 2, 2, ScalarCallback<Concat>);
  RegisterScalar(db, session, "tsql_like", 2, 3, ScalarCallback<Like>);
  RegisterScalar(db, session, "tsql_newid", 0, 0, ScalarCallback<NewId>,
                 Purity::kVolatile);
}

}  // namespace zv::sqlite
