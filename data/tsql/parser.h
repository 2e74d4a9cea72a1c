// Parsing T-SQL text into statements. The parser never crashes or loops on
// any input: every failure is a ParseError with the line, column and text of
// the offending token, and nesting deeper than kMaxNesting levels (or a tree
// deeper than kMaxTreeDepth) is refused.
#ifndef ZV_DATA_TSQL_PARSER_H_
#define ZV_DATA_TSQL_PARSER_H_

#include <optional>
#include <string_view>
#include <vector>

#include "data/tsql/ast.h"
#include "data/tsql/lexer.h"

namespace zv::tsql {

inline constexpr int kMaxNesting = 200;
inline constexpr int kMaxTreeDepth = 1000;

// A parsed batch: the statements, or the first syntax error.
struct ParsedBatch {
  std::vector<StmtPtr> statements;
  std::optional<ParseError> error;
  bool ok() const { return !error.has_value(); }
};

// Parses a batch of statements separated by ";" or by nothing. A CREATE
// PROCEDURE or CREATE FUNCTION takes the rest of the batch as its body.
ParsedBatch ParseBatch(std::string_view text);

// The same, throwing SyntaxError on the first error.
std::vector<StmtPtr> ParseBatchOrThrow(std::string_view text);

// Parses one expression (the whole text). Throws SyntaxError.
ExprPtr ParseExpression(std::string_view text);

// Parses one type name ("DECIMAL(17,6)"). Throws SyntaxError.
TypeName ParseTypeName(std::string_view text);

}  // namespace zv::tsql

#endif  // ZV_DATA_TSQL_PARSER_H_
