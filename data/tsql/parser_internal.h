// The recursive-descent parser shared by parser.cpp (expressions and
// queries) and parser_statements.cpp (statements). One Parse* method per
// grammar production, on a small token API.
#ifndef ZV_DATA_TSQL_PARSER_INTERNAL_H_
#define ZV_DATA_TSQL_PARSER_INTERNAL_H_

#include <string>
#include <string_view>
#include <vector>

#include "data/tsql/ast.h"
#include "data/tsql/lexer.h"

namespace zv::tsql::internal {

class Parser {
 public:
  explicit Parser(std::string_view text);

  // ---- token API
  const Token& Peek(size_t ahead = 0) const;
  const Token& Consume();
  // True when the token `ahead` is the bare word `keyword` (any case).
  bool Match(std::string_view keyword, size_t ahead = 0) const;
  // True when the token `ahead` is the operator `op`.
  bool MatchOp(std::string_view op, size_t ahead = 0) const;
  bool ConsumeIf(std::string_view keyword);
  bool ConsumeIfOp(std::string_view op);
  const Token& Expect(std::string_view keyword);
  const Token& ExpectOp(std::string_view op);
  bool AtEnd() const { return Peek().kind == TokenKind::kEnd; }
  [[noreturn]] void Fail(const std::string& message) const;
  [[noreturn]] void FailAt(const Token& token, const std::string& message) const;
  Position Here() const { return {Peek().line, Peek().column}; }

  // ---- names and types
  bool AtName(size_t ahead = 0) const;  // a non-reserved word or a quoted name
  std::string ParseName(const char* what);
  ObjectName ParseObjectName(const char* what);
  std::string ParseOptionalAlias();  // [AS] alias, "" when none
  TypeName ParseType();
  int64_t ParseSignedInteger();

  // ---- expressions
  ExprPtr ParseExpr();  // OR level
  ExprPtr ParseAnd();
  ExprPtr ParseNot();
  ExprPtr ParsePredicate();
  ExprPtr ParseAdditive();
  ExprPtr ParseMultiplicative();
  ExprPtr ParseUnary();
  ExprPtr ParsePostfix();
  ExprPtr ParsePrimary();
  ExprPtr ParseCase();
  ExprPtr ParseCast(bool is_convert);
  ExprPtr ParseFunctionCall(ObjectName name);
  std::unique_ptr<WindowSpec> ParseOver();
  std::vector<OrderItem> ParseOrderByList();

  // ---- queries
  QueryPtr ParseQuery(bool allow_ctes);
  std::vector<CommonTableExpr> ParseCtes();
  std::unique_ptr<QueryBody> ParseUnionLevel();
  std::unique_ptr<QueryBody> ParseIntersectLevel();
  std::unique_ptr<QueryBody> ParseQueryPrimary();
  std::unique_ptr<SelectCore> ParseSelectCore();
  SelectItem ParseSelectItem();
  std::vector<TableRefPtr> ParseFromList();
  TableRefPtr ParseTableSource();
  TableRefPtr ParseTablePrimary();
  std::unique_ptr<ForXmlClause> ParseForXml();
  bool AtQueryStart(size_t ahead = 0) const;

  // ---- statements (parser_statements.cpp)
  std::vector<StmtPtr> ParseBatch();
  StmtPtr ParseStatement();
  std::vector<StmtPtr> ParseStatementsUntil(std::string_view end_word,
                                            std::string_view end_word2);
  bool AtStatementEnd() const;
  StmtPtr ParseInsert();
  StmtPtr ParseUpdate();
  StmtPtr ParseDelete();
  StmtPtr ParseCreate();
  StmtPtr ParseAlter();
  StmtPtr ParseDrop();
  StmtPtr ParseTruncate();
  StmtPtr ParseDeclare();
  StmtPtr ParseSet();
  StmtPtr ParseIf();
  StmtPtr ParseWhile();
  StmtPtr ParseBegin();
  std::unique_ptr<ExecStatement> ParseExecCall();
  StmtPtr ParseExec();
  StmtPtr ParseReturn();
  StmtPtr ParseRaiserror();
  StmtPtr ParseThrow();
  StmtPtr ParseTransaction();
  StmtPtr ParsePrint();
  StmtPtr ParseCreateTable();
  StmtPtr ParseCreateIndex();
  StmtPtr ParseCreateView(bool alter, bool or_alter);
  StmtPtr ParseCreateProcedure(bool alter, bool or_alter);
  StmtPtr ParseCreateFunction(bool alter, bool or_alter);
  void ParseTableElements(std::vector<ColumnDefinition>& columns,
                          std::vector<TableConstraint>& constraints);
  ColumnDefinition ParseColumnDefinition();
  TableConstraint ParseTableConstraint();
  std::vector<IndexColumn> ParseIndexColumns();
  std::vector<ParameterDecl> ParseParameters(bool parenthesized);
  void SkipParenthesized();

  // ---- depth control
  class Nest {
   public:
    explicit Nest(Parser& p);
    ~Nest();
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;

   private:
    Parser& parser_;
  };
  // Counts one more level of a left-deep chain (a + b + c ...).
  void DeepenChain(int& added);

 private:
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int nesting_ = 0;
  int depth_ = 0;
};

bool IsStatementKeyword(const Token& token);

}  // namespace zv::tsql::internal

#endif  // ZV_DATA_TSQL_PARSER_INTERNAL_H_
