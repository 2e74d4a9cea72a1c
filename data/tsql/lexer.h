// The T-SQL tokenizer: turns statement text into tokens with their line and
// column, decoding T-SQL quoting ('it''s', N'...', [name], "name") and
// skipping -- and /* */ comments (block comments nest, as in T-SQL).
#ifndef ZV_DATA_TSQL_LEXER_H_
#define ZV_DATA_TSQL_LEXER_H_

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zv::tsql {

enum class TokenKind {
  kIdentifier,        // bare word: SELECT, DO30_DOCCORPO, #TabellaOrdini
  kQuotedIdentifier,  // [name] or "name"; value is the name unquoted
  kVariable,          // @name or @@name
  kString,            // 'text'; value is the text with '' undoubled
  kNString,           // N'text'
  kInteger,           // 123
  kDecimal,           // 1.50, .5, 5.
  kFloat,             // 1e10, 1.5E-3
  kBinary,            // 0x1F
  kOperator,          // punctuation and operators: ( ) , . ; + <= <> ...
  kEnd,               // end of input
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;   // the source text of the token
  std::string value;  // decoded value (unquoted name, unescaped string)
  int line = 1;       // 1-based
  int column = 1;     // 1-based, in bytes
  size_t offset = 0;  // byte offset in the source
};

// The position and reason of a syntax error. `token` is the source text of
// the offending token ("" at the end of the input).
struct ParseError {
  int line = 0;
  int column = 0;
  std::string token;
  std::string message;
  // "line 3, column 7 near 'FROM': <message>"
  std::string ToString() const;
};

class SyntaxError : public std::runtime_error {
 public:
  explicit SyntaxError(ParseError error)
      : std::runtime_error(error.ToString()), error_(std::move(error)) {}
  const ParseError& error() const { return error_; }

 private:
  ParseError error_;
};

// Splits `text` into tokens; the last one is kEnd. Throws SyntaxError for an
// unterminated string, quoted name or comment, or a character that starts no
// token.
std::vector<Token> Tokenize(std::string_view text);

// True for the words T-SQL reserves: they cannot be used as an alias or a
// bare column name without brackets.
bool IsReservedWord(std::string_view word);

// True when `text` is nothing but a (possibly qualified) object name:
// "GRP", "[GRP]", "dbo.DO30_DOCCORPO", "#TabellaOrdini". A record set
// opened on such a text with an updatable cursor is opened on the table.
bool IsBareObjectName(std::string_view text);

// Case-insensitive ASCII comparison.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string ToUpperAscii(std::string_view s);

}  // namespace zv::tsql

#endif  // ZV_DATA_TSQL_LEXER_H_
