#include "data/tsql/lexer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>

namespace zv::tsql {
namespace {

enum class CharClass : uint8_t {
  kSpace,
  kNewline,
  kWord,     // letters, '_', '#', and UTF-8 lead/continuation bytes
  kDigit,
  kAt,
  kQuote,    // '
  kDQuote,   // "
  kBracket,  // [
  kDot,
  kMinus,
  kSlash,
  kCompare,  // < > ! =
  kSimple,   // one-character operators: ( ) , ; + * % & | ^ ~
  kIllegal,
};

constexpr std::array<CharClass, 256> MakeClassTable() {
  std::array<CharClass, 256> t{};
  for (auto& c : t) c = CharClass::kIllegal;
  for (int c = 'a'; c <= 'z'; ++c) t[c] = CharClass::kWord;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = CharClass::kWord;
  for (int c = 0x80; c <= 0xFF; ++c) t[c] = CharClass::kWord;
  t['_'] = CharClass::kWord;
  t['#'] = CharClass::kWord;
  for (int c = '0'; c <= '9'; ++c) t[c] = CharClass::kDigit;
  t[' '] = t['\t'] = t['\r'] = t['\f'] = t['\v'] = CharClass::kSpace;
  t['\n'] = CharClass::kNewline;
  t['@'] = CharClass::kAt;
  t['\''] = CharClass::kQuote;
  t['"'] = CharClass::kDQuote;
  t['['] = CharClass::kBracket;
  t['.'] = CharClass::kDot;
  t['-'] = CharClass::kMinus;
  t['/'] = CharClass::kSlash;
  t['<'] = t['>'] = t['!'] = t['='] = CharClass::kCompare;
  for (char c : std::string_view("(),;+*%&|^~:")) t[static_cast<uint8_t>(c)] = CharClass::kSimple;
  return t;
}

constexpr std::array<CharClass, 256> kClass = MakeClassTable();

CharClass ClassOf(char c) { return kClass[static_cast<uint8_t>(c)]; }

bool IsWordChar(char c) {
  CharClass k = ClassOf(c);
  return k == CharClass::kWord || k == CharClass::kDigit || k == CharClass::kAt ||
         c == '$';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  std::vector<Token> Run() {
    std::vector<Token> out;
    while (true) {
      SkipSpaceAndComments();
      Token tok;
      tok.line = line_;
      tok.column = column_;
      tok.offset = pos_;
      if (pos_ >= text_.size()) {
        tok.kind = TokenKind::kEnd;
        out.push_back(std::move(tok));
        return out;
      }
      ScanToken(tok);
      tok.text = std::string(text_.substr(tok.offset, pos_ - tok.offset));
      out.push_back(std::move(tok));
    }
  }

 private:
  char At(size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

  void Advance(size_t n = 1) {
    for (size_t i = 0; i < n && pos_ < text_.size(); ++i) {
      if (text_[pos_] == '\n') {
        ++line_;
        column_ = 1;
      } else {
        ++column_;
      }
      ++pos_;
    }
  }

  [[noreturn]] void Fail(int line, int column, size_t offset, std::string message) {
    ParseError e;
    e.line = line;
    e.column = column;
    e.token = std::string(text_.substr(offset, std::min<size_t>(20, text_.size() - offset)));
    e.message = std::move(message);
    throw SyntaxError(std::move(e));
  }

  void SkipSpaceAndComments() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      CharClass k = ClassOf(c);
      if (k == CharClass::kSpace || k == CharClass::kNewline) {
        Advance();
      } else if (c == '-' && At(pos_ + 1) == '-') {
        while (pos_ < text_.size() && text_[pos_] != '\n') Advance();
      } else if (c == '/' && At(pos_ + 1) == '*') {
        int line = line_, column = column_;
        size_t start = pos_;
        Advance(2);
        int depth = 1;
        while (depth > 0) {
          if (pos_ >= text_.size()) Fail(line, column, start, "unterminated comment");
          if (text_[pos_] == '*' && At(pos_ + 1) == '/') {
            --depth;
            Advance(2);
          } else if (text_[pos_] == '/' && At(pos_ + 1) == '*') {
            ++depth;
            Advance(2);
          } else {
            Advance();
          }
        }
      } else {
        return;
      }
    }
  }

  // Reads a quoted run that starts at pos_ with `open` and ends with `close`;
  // a doubled `close` stands for itself.
  std::string ScanQuoted(char close, const Token& tok, const char* what) {
    Advance();  // the opening quote
    std::string value;
    while (true) {
      if (pos_ >= text_.size()) {
        Fail(tok.line, tok.column, tok.offset, std::string("unterminated ") + what);
      }
      char c = text_[pos_];
      if (c == close) {
        if (At(pos_ + 1) == close) {
          value.push_back(close);
          Advance(2);
          continue;
        }
        Advance();
        return value;
      }
      value.push_back(c);
      Advance();
    }
  }

  void ScanNumber(Token& tok) {
    tok.kind = TokenKind::kInteger;
    if (text_[pos_] == '0' && (At(pos_ + 1) == 'x' || At(pos_ + 1) == 'X')) {
      Advance(2);
      while (std::isxdigit(static_cast<unsigned char>(At(pos_)))) Advance();
      tok.kind = TokenKind::kBinary;
      return;
    }
    while (IsDigit(At(pos_))) Advance();
    if (At(pos_) == '.') {
      tok.kind = TokenKind::kDecimal;
      Advance();
      while (IsDigit(At(pos_))) Advance();
    }
    char e = At(pos_);
    if ((e == 'e' || e == 'E') &&
        (IsDigit(At(pos_ + 1)) ||
         ((At(pos_ + 1) == '+' || At(pos_ + 1) == '-') && IsDigit(At(pos_ + 2))))) {
      tok.kind = TokenKind::kFloat;
      Advance(2);
      while (IsDigit(At(pos_))) Advance();
    }
  }

  void ScanToken(Token& tok) {
    char c = text_[pos_];
    switch (ClassOf(c)) {
      case CharClass::kWord:
        if ((c == 'N' || c == 'n') && At(pos_ + 1) == '\'') {
          Advance();
          tok.kind = TokenKind::kNString;
          tok.value = ScanQuoted('\'', tok, "string");
          return;
        }
        tok.kind = TokenKind::kIdentifier;
        while (pos_ < text_.size() && IsWordChar(text_[pos_])) Advance();
        tok.value = std::string(text_.substr(tok.offset, pos_ - tok.offset));
        return;
      case CharClass::kDigit:
        ScanNumber(tok);
        tok.value = std::string(text_.substr(tok.offset, pos_ - tok.offset));
        return;
      case CharClass::kDot:
        if (IsDigit(At(pos_ + 1))) {
          ScanNumber(tok);
          tok.value = std::string(text_.substr(tok.offset, pos_ - tok.offset));
          return;
        }
        tok.kind = TokenKind::kOperator;
        Advance();
        return;
      case CharClass::kAt:
        tok.kind = TokenKind::kVariable;
        Advance();
        if (At(pos_) == '@') Advance();
        while (pos_ < text_.size() && IsWordChar(text_[pos_])) Advance();
        tok.value = std::string(text_.substr(tok.offset, pos_ - tok.offset));
        if (tok.value == "@" || tok.value == "@@") {
          Fail(tok.line, tok.column, tok.offset, "variable name expected after '@'");
        }
        return;
      case CharClass::kQuote:
        tok.kind = TokenKind::kString;
        tok.value = ScanQuoted('\'', tok, "string");
        return;
      case CharClass::kDQuote:
        tok.kind = TokenKind::kQuotedIdentifier;
        tok.value = ScanQuoted('"', tok, "quoted name");
        return;
      case CharClass::kBracket:
        tok.kind = TokenKind::kQuotedIdentifier;
        tok.value = ScanQuoted(']', tok, "bracketed name");
        return;
      case CharClass::kCompare: {
        tok.kind = TokenKind::kOperator;
        char n = At(pos_ + 1);
        bool two = (c == '<' && (n == '>' || n == '=')) || (c == '>' && n == '=') ||
                   (c == '!' && (n == '=' || n == '<' || n == '>'));
        if (c == '!' && !two) Fail(tok.line, tok.column, tok.offset, "unexpected character '!'");
        Advance(two ? 2 : 1);
        return;
      }
      case CharClass::kMinus:
      case CharClass::kSlash:
      case CharClass::kSimple:
        tok.kind = TokenKind::kOperator;
        // Compound assignment operators: += -= *= /= %= &= |= ^=
        if (At(pos_ + 1) == '=' && std::string_view("+-*/%&|^").find(c) != std::string_view::npos) {
          Advance(2);
        } else {
          Advance();
        }
        return;
      case CharClass::kSpace:
      case CharClass::kNewline:
      case CharClass::kIllegal:
        break;
    }
    Fail(tok.line, tok.column, tok.offset,
         "unexpected character '" + std::string(1, c) + "'");
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  int column_ = 1;
};

constexpr std::string_view kReserved[] = {
    "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "BEGIN", "BETWEEN", "BREAK", "BY",
    "CASCADE", "CASE", "CHECK", "CLUSTERED", "COLLATE", "COLUMN", "COMMIT", "CONSTRAINT",
    "CONTINUE", "CONVERT", "CREATE", "CROSS", "CURRENT", "CURSOR", "DATABASE", "DECLARE",
    "DEFAULT", "DELETE", "DESC", "DISTINCT", "DROP", "ELSE", "END", "ESCAPE", "EXCEPT",
    "EXEC", "EXECUTE", "EXISTS", "FETCH", "FOR", "FOREIGN", "FROM", "FULL", "FUNCTION",
    "GOTO", "GROUP", "HAVING", "IDENTITY", "IF", "IN", "INDEX", "INNER", "INSERT",
    "INTERSECT", "INTO", "IS", "JOIN", "KEY", "LEFT", "LIKE", "NONCLUSTERED", "NOT",
    "NULL", "NULLIF", "OF", "ON", "OPTION", "OR", "ORDER", "OUTER", "OVER", "PERCENT",
    "PIVOT", "PRIMARY", "PRINT", "PROC", "PROCEDURE", "RAISERROR", "REFERENCES", "RETURN",
    "RIGHT", "ROLLBACK", "SELECT", "SET", "TABLE", "THEN", "TOP", "TRAN", "TRANSACTION",
    "TRUNCATE", "UNION", "UNIQUE", "UNPIVOT", "UPDATE", "USE", "VALUES", "VIEW", "WHEN",
    "WHERE", "WHILE", "WITH",
};

static_assert(std::is_sorted(std::begin(kReserved), std::end(kReserved)));

}  // namespace

std::string ParseError::ToString() const {
  std::string out = "line " + std::to_string(line) + ", column " + std::to_string(column);
  out += token.empty() ? " at end of input" : " near '" + token + "'";
  out += ": " + message;
  return out;
}

std::vector<Token> Tokenize(std::string_view text) { return Scanner(text).Run(); }

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string ToUpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return out;
}

bool IsReservedWord(std::string_view word) {
  std::string up = ToUpperAscii(word);
  return std::binary_search(std::begin(kReserved), std::end(kReserved), up);
}

bool IsBareObjectName(std::string_view text) {
  std::vector<Token> tokens;
  try {
    tokens = Tokenize(text);
  } catch (const SyntaxError&) {
    return false;
  }
  // Names separated by dots, then the end token.
  if (tokens.size() < 2 || tokens.size() > 6 || tokens.size() % 2 != 0) return false;
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    const Token& t = tokens[i];
    bool name = t.kind == TokenKind::kQuotedIdentifier ||
                (t.kind == TokenKind::kIdentifier && !IsReservedWord(t.text));
    bool dot = t.kind == TokenKind::kOperator && t.text == ".";
    if (i % 2 == 0 ? !name : !dot) return false;
  }
  return true;
}

}  // namespace zv::tsql
