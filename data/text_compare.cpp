#include "data/text_compare.h"

namespace zv::text {
namespace {

// The base letter of a folded character, for the first level of ordering:
// accented Latin letters sort with their plain letter.
char32_t BaseLetter(char32_t c) {
  if (c < 0xC0) return c;
  if (c <= 0xFF) {
    static constexpr char kLatin1[64 + 1] =
        // C0..DF (upper case, already folded away except D7 and DF)
        "aaaaaaaceeeeiiiidnooooo\0ouuuuy\0s"
        // E0..FF
        "aaaaaaaceeeeiiiidnooooo\0ouuuuy\0y";
    char b = kLatin1[c - 0xC0];
    return b ? static_cast<char32_t>(b) : c;
  }
  if (c <= 0x17F) {
    struct Range {
      char32_t last;
      char base;
    };
    static constexpr Range kExtA[] = {
        {0x105, 'a'}, {0x10D, 'c'}, {0x111, 'd'}, {0x11B, 'e'}, {0x123, 'g'},
        {0x127, 'h'}, {0x133, 'i'}, {0x135, 'j'}, {0x138, 'k'}, {0x142, 'l'},
        {0x14B, 'n'}, {0x153, 'o'}, {0x159, 'r'}, {0x161, 's'}, {0x167, 't'},
        {0x173, 'u'}, {0x175, 'w'}, {0x178, 'y'}, {0x17E, 'z'}, {0x17F, 's'}};
    for (const Range& r : kExtA) {
      if (c <= r.last) return static_cast<char32_t>(r.base);
    }
  }
  return c;
}

// Walks the folded characters of a text (trailing blanks excluded).
class FoldedReader {
 public:
  explicit FoldedReader(std::string_view s) : s_(TrimTrailingBlanks(s)) {}
  bool Done() const { return i_ >= s_.size(); }
  char32_t Next() {
    unsigned char c = static_cast<unsigned char>(s_[i_]);
    if (c < 0x80) {
      ++i_;
      return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    }
    return FoldCase(DecodeChar(s_, &i_));
  }

 private:
  std::string_view s_;
  size_t i_ = 0;
};

}  // namespace

std::string_view TrimTrailingBlanks(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

char32_t FoldCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x178) return 0xFF;
    if (c == 0x130) return 'i';
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
      return (c % 2 == 0) ? c + 1 : c;
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
      return (c % 2 == 1) ? c + 1 : c;
    }
    return c;
  }
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  return c;
}

bool TextEquals(std::string_view a, std::string_view b) {
  a = TrimTrailingBlanks(a);
  b = TrimTrailingBlanks(b);
  // Plain ASCII on both sides is the common case: compare bytes directly.
  size_t i = 0;
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if ((x | y) & 0x80) break;
    if (x == y) continue;
    if ((x | 0x20) != (y | 0x20)) return false;
    unsigned char l = x | 0x20;
    if (l < 'a' || l > 'z') return false;
  }
  if (i == a.size() && i == b.size()) return true;
  if (i == n) {
    // One text ended on ASCII; the other has more characters.
    return false;
  }
  FoldedReader ra(a.substr(i));
  FoldedReader rb(b.substr(i));
  while (!ra.Done() && !rb.Done()) {
    if (ra.Next() != rb.Next()) return false;
  }
  return ra.Done() && rb.Done();
}

int CompareText(std::string_view a, std::string_view b) {
  FoldedReader ra(a);
  FoldedReader rb(b);
  int accent_order = 0;
  while (!ra.Done() && !rb.Done()) {
    char32_t x = ra.Next();
    char32_t y = rb.Next();
    if (x == y) continue;
    char32_t bx = BaseLetter(x);
    char32_t by = BaseLetter(y);
    if (bx != by) return bx < by ? -1 : 1;
    if (accent_order == 0) accent_order = x < y ? -1 : 1;
  }
  if (!ra.Done()) return 1;
  if (!rb.Done()) return -1;
  return accent_order;
}

uint64_t HashText(std::string_view s) {
  // FNV-1a over the folded characters, then a final mix.
  uint64_t h = 1469598103934665603ULL;
  FoldedReader r(s);
  while (!r.Done()) {
    char32_t c = r.Next();
    h ^= static_cast<uint64_t>(c);
    h *= 1099511628211ULL;
  }
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return h;
}

std::string FoldText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>((c >= 'A' && c <= 'Z') ? c + 32 : c));
      ++i;
      continue;
    }
    AppendChar(FoldCase(DecodeChar(s, &i)), &out);
  }
  return out;
}

size_t CharCount(std::string_view s) {
  size_t n = 0;
  size_t i = 0;
  // Codes, articles and most texts are plain ASCII: one character a byte.
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  n = i;
  while (i < s.size()) {
    DecodeChar(s, &i);
    ++n;
  }
  return n;
}

char32_t DecodeChar(std::string_view s, size_t* i) {
  unsigned char c = static_cast<unsigned char>(s[*i]);
  if (c < 0x80) {
    ++*i;
    return c;
  }
  auto cont = [&](size_t k) {
    return *i + k < s.size() &&
           (static_cast<unsigned char>(s[*i + k]) & 0xC0) == 0x80;
  };
  auto byte = [&](size_t k) {
    return static_cast<char32_t>(static_cast<unsigned char>(s[*i + k]) & 0x3F);
  };
  if (c >= 0xC2 && c <= 0xDF && cont(1)) {
    char32_t r = (static_cast<char32_t>(c & 0x1F) << 6) | byte(1);
    *i += 2;
    return r;
  }
  if (c >= 0xE0 && c <= 0xEF && cont(1) && cont(2)) {
    char32_t r = (static_cast<char32_t>(c & 0x0F) << 12) | (byte(1) << 6) | byte(2);
    if (r >= 0x800) {
      *i += 3;
      return r;
    }
  }
  if (c >= 0xF0 && c <= 0xF4 && cont(1) && cont(2) && cont(3)) {
    char32_t r = (static_cast<char32_t>(c & 0x07) << 18) | (byte(1) << 12) |
                 (byte(2) << 6) | byte(3);
    if (r >= 0x10000 && r <= 0x10FFFF) {
      *i += 4;
      return r;
    }
  }
  ++*i;
  return c;
}

void AppendChar(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace zv::text
