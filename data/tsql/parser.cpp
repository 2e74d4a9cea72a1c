// Token API, names, types, expressions and queries.
#include "data/tsql/parser.h"

#include <cstdlib>

#include "data/tsql/parser_internal.h"

namespace zv::tsql {
namespace internal {
namespace {

// Reserved words that may still name a function: LEFT(...), RIGHT(...).
bool IsFunctionKeyword(std::string_view word) {
  return EqualsIgnoreCase(word, "LEFT") || EqualsIgnoreCase(word, "RIGHT") ||
         EqualsIgnoreCase(word, "NULLIF");
}

std::string TokenDisplay(const Token& t) { return t.kind == TokenKind::kEnd ? "" : t.text; }

}  // namespace

Parser::Parser(std::string_view text) : tokens_(Tokenize(text)) {}

const Token& Parser::Peek(size_t ahead) const {
  size_t i = pos_ + ahead;
  return i < tokens_.size() ? tokens_[i] : tokens_.back();
}

const Token& Parser::Consume() {
  const Token& t = tokens_[pos_];
  if (pos_ + 1 < tokens_.size()) ++pos_;
  return t;
}

bool Parser::Match(std::string_view keyword, size_t ahead) const {
  const Token& t = Peek(ahead);
  return t.kind == TokenKind::kIdentifier && EqualsIgnoreCase(t.text, keyword);
}

bool Parser::MatchOp(std::string_view op, size_t ahead) const {
  const Token& t = Peek(ahead);
  return t.kind == TokenKind::kOperator && t.text == op;
}

bool Parser::ConsumeIf(std::string_view keyword) {
  if (!Match(keyword)) return false;
  Consume();
  return true;
}

bool Parser::ConsumeIfOp(std::string_view op) {
  if (!MatchOp(op)) return false;
  Consume();
  return true;
}

const Token& Parser::Expect(std::string_view keyword) {
  if (!Match(keyword)) Fail("expected " + std::string(keyword));
  return Consume();
}

const Token& Parser::ExpectOp(std::string_view op) {
  if (!MatchOp(op)) Fail("expected '" + std::string(op) + "'");
  return Consume();
}

void Parser::Fail(const std::string& message) const { FailAt(Peek(), message); }

namespace {

// T-SQL constructs the engine does not run. Meeting one where the grammar
// has no place for it is reported as "not supported", not as a typing error.
bool IsUnsupportedConstruct(std::string_view word) {
  // Reserved words of SQL Server, so never a bare name in a valid statement.
  static constexpr std::string_view kWords[] = {
      "MERGE",      "PIVOT",       "UNPIVOT",        "TABLESAMPLE",   "TRIGGER",
      "CURSOR",     "FETCH",       "OPEN",           "CLOSE",         "DEALLOCATE",
      "WAITFOR",    "GOTO",        "OPENQUERY",      "OPENROWSET",    "OPENXML",
      "OPENDATASOURCE", "BULK",    "GRANT",          "REVOKE",        "DENY",
      "USE",        "BACKUP",      "RESTORE",        "DBCC",          "CHECKPOINT",
      "KILL",       "RECONFIGURE", "SHUTDOWN",       "READTEXT",      "WRITETEXT",
      "UPDATETEXT", "CONTAINS",    "FREETEXT",       "CONTAINSTABLE", "FREETEXTTABLE"};
  for (std::string_view w : kWords) {
    if (EqualsIgnoreCase(w, word)) return true;
  }
  return false;
}

}  // namespace

void Parser::FailAt(const Token& token, const std::string& message) const {
  ParseError e;
  e.line = token.line;
  e.column = token.column;
  e.token = TokenDisplay(token);
  e.message = token.kind == TokenKind::kIdentifier && IsUnsupportedConstruct(token.text)
                  ? "not supported: " + ToUpperAscii(token.text)
                  : message;
  throw SyntaxError(std::move(e));
}

Parser::Nest::Nest(Parser& p) : parser_(p) {
  if (++parser_.nesting_ > kMaxNesting) parser_.Fail("statement nested too deeply");
  if (++parser_.depth_ > kMaxTreeDepth) parser_.Fail("statement too complex");
}

Parser::Nest::~Nest() {
  --parser_.nesting_;
  --parser_.depth_;
}

void Parser::DeepenChain(int& added) {
  ++added;
  if (++depth_ > kMaxTreeDepth) Fail("statement too complex");
}

// ------------------------------------------------------------- names, types

bool Parser::AtName(size_t ahead) const {
  const Token& t = Peek(ahead);
  if (t.kind == TokenKind::kQuotedIdentifier) return true;
  return t.kind == TokenKind::kIdentifier && !IsReservedWord(t.text);
}

std::string Parser::ParseName(const char* what) {
  if (!AtName()) Fail(std::string("expected ") + what);
  return Consume().value;
}

ObjectName Parser::ParseObjectName(const char* what) {
  ObjectName name;
  name.pos = Here();
  name.parts.push_back(ParseName(what));
  while (MatchOp(".")) {
    Consume();
    if (name.parts.size() >= 4) Fail("too many parts in a name");
    if (MatchOp(".")) {  // db..table: the schema is left out
      name.parts.emplace_back();
      continue;
    }
    name.parts.push_back(ParseName(what));
  }
  return name;
}

std::string Parser::ParseOptionalAlias() {
  if (ConsumeIf("AS")) {
    if (Peek().kind == TokenKind::kString) return Consume().value;
    return ParseName("an alias");
  }
  if (AtName()) return Consume().value;
  return "";
}

int64_t Parser::ParseSignedInteger() {
  bool negative = ConsumeIfOp("-");
  if (!negative) ConsumeIfOp("+");
  if (Peek().kind != TokenKind::kInteger) Fail("expected an integer");
  const Token& t = Consume();
  if (t.text.size() > 18) FailAt(t, "integer out of range");
  int64_t v = std::strtoll(t.text.c_str(), nullptr, 10);
  return negative ? -v : v;
}

TypeName Parser::ParseType() {
  TypeName type;
  type.pos = Here();
  const Token& t = Peek();
  if (t.kind != TokenKind::kIdentifier && t.kind != TokenKind::kQuotedIdentifier) {
    Fail("expected a data type");
  }
  type.name = ToUpperAscii(Consume().value);
  if (MatchOp(".")) {  // sys.sysname and the like: keep the last part
    Consume();
    type.name = ToUpperAscii(ParseName("a data type"));
  }
  if (ConsumeIfOp("(")) {
    if (ConsumeIf("MAX")) {
      type.max = true;
      type.arg_count = 1;
    } else {
      type.arg1 = ParseSignedInteger();
      type.arg_count = 1;
      if (ConsumeIfOp(",")) {
        type.arg2 = ParseSignedInteger();
        type.arg_count = 2;
      }
    }
    ExpectOp(")");
  }
  return type;
}

// ---------------------------------------------------------------- expressions

ExprPtr Parser::ParseExpr() {
  ExprPtr left = ParseAnd();
  int added = 0;
  while (Match("OR")) {
    DeepenChain(added);
    auto b = std::make_unique<BinaryExpr>();
    b->pos = Here();
    Consume();
    b->op = BinaryOp::kOr;
    b->left = std::move(left);
    b->right = ParseAnd();
    left = std::move(b);
  }
  depth_ -= added;
  return left;
}

ExprPtr Parser::ParseAnd() {
  ExprPtr left = ParseNot();
  int added = 0;
  while (Match("AND")) {
    DeepenChain(added);
    auto b = std::make_unique<BinaryExpr>();
    b->pos = Here();
    Consume();
    b->op = BinaryOp::kAnd;
    b->left = std::move(left);
    b->right = ParseNot();
    left = std::move(b);
  }
  depth_ -= added;
  return left;
}

ExprPtr Parser::ParseNot() {
  if (Match("NOT")) {
    Nest nest(*this);
    auto u = std::make_unique<UnaryExpr>();
    u->pos = Here();
    Consume();
    u->op = UnaryOp::kNot;
    u->operand = ParseNot();
    return u;
  }
  return ParsePredicate();
}

ExprPtr Parser::ParsePredicate() {
  Position pos = Here();
  if (Match("EXISTS")) {
    Consume();
    ExpectOp("(");
    auto e = std::make_unique<ExistsExpr>();
    e->pos = pos;
    e->query = ParseQuery(false);
    ExpectOp(")");
    return e;
  }
  ExprPtr left = ParseAdditive();
  static const std::pair<std::string_view, BinaryOp> kComparisons[] = {
      {"=", BinaryOp::kEq},  {"<>", BinaryOp::kNe}, {"!=", BinaryOp::kNe},
      {"<", BinaryOp::kLt},  {">", BinaryOp::kGt},  {"<=", BinaryOp::kLe},
      {">=", BinaryOp::kGe}, {"!<", BinaryOp::kNotLt}, {"!>", BinaryOp::kNotGt}};
  for (const auto& [text, op] : kComparisons) {
    if (MatchOp(text)) {
      auto b = std::make_unique<BinaryExpr>();
      b->pos = Here();
      Consume();
      if (Match("ANY") || Match("ALL") || Match("SOME")) Fail("ANY/ALL/SOME comparisons are not supported");
      b->op = op;
      b->left = std::move(left);
      b->right = ParseAdditive();
      return b;
    }
  }
  bool negated = false;
  if (Match("NOT") && (Match("BETWEEN", 1) || Match("IN", 1) || Match("LIKE", 1))) {
    Consume();
    negated = true;
  }
  if (Match("BETWEEN")) {
    auto b = std::make_unique<BetweenExpr>();
    b->pos = Here();
    Consume();
    b->negated = negated;
    b->expr = std::move(left);
    b->low = ParseAdditive();
    Expect("AND");
    b->high = ParseAdditive();
    return b;
  }
  if (Match("IN")) {
    auto in = std::make_unique<InExpr>();
    in->pos = Here();
    Consume();
    in->negated = negated;
    in->expr = std::move(left);
    ExpectOp("(");
    if (AtQueryStart()) {
      in->subquery = ParseQuery(false);
    } else {
      do {
        in->list.push_back(ParseExpr());
      } while (ConsumeIfOp(","));
    }
    ExpectOp(")");
    return in;
  }
  if (Match("LIKE")) {
    auto l = std::make_unique<LikeExpr>();
    l->pos = Here();
    Consume();
    l->negated = negated;
    l->expr = std::move(left);
    l->pattern = ParseAdditive();
    if (ConsumeIf("ESCAPE")) l->escape = ParseAdditive();
    return l;
  }
  if (Match("IS")) {
    auto n = std::make_unique<IsNullExpr>();
    n->pos = Here();
    Consume();
    n->negated = ConsumeIf("NOT");
    Expect("NULL");
    n->expr = std::move(left);
    return n;
  }
  return left;
}

ExprPtr Parser::ParseAdditive() {
  ExprPtr left = ParseMultiplicative();
  int added = 0;
  while (true) {
    BinaryOp op;
    if (MatchOp("+")) op = BinaryOp::kAdd;
    else if (MatchOp("-")) op = BinaryOp::kSub;
    else if (MatchOp("&")) op = BinaryOp::kBitAnd;
    else if (MatchOp("|")) op = BinaryOp::kBitOr;
    else if (MatchOp("^")) op = BinaryOp::kBitXor;
    else break;
    DeepenChain(added);
    auto b = std::make_unique<BinaryExpr>();
    b->pos = Here();
    Consume();
    b->op = op;
    b->left = std::move(left);
    b->right = ParseMultiplicative();
    left = std::move(b);
  }
  depth_ -= added;
  return left;
}

ExprPtr Parser::ParseMultiplicative() {
  ExprPtr left = ParseUnary();
  int added = 0;
  while (true) {
    BinaryOp op;
    if (MatchOp("*")) op = BinaryOp::kMul;
    else if (MatchOp("/")) op = BinaryOp::kDiv;
    else if (MatchOp("%")) op = BinaryOp::kMod;
    else break;
    DeepenChain(added);
    auto b = std::make_unique<BinaryExpr>();
    b->pos = Here();
    Consume();
    b->op = op;
    b->left = std::move(left);
    b->right = ParseUnary();
    left = std::move(b);
  }
  depth_ -= added;
  return left;
}

ExprPtr Parser::ParseUnary() {
  UnaryOp op;
  if (MatchOp("-")) op = UnaryOp::kMinus;
  else if (MatchOp("+")) op = UnaryOp::kPlus;
  else if (MatchOp("~")) op = UnaryOp::kBitNot;
  else return ParsePostfix();
  Nest nest(*this);
  auto u = std::make_unique<UnaryExpr>();
  u->pos = Here();
  Consume();
  u->op = op;
  u->operand = ParseUnary();
  return u;
}

ExprPtr Parser::ParsePostfix() {
  ExprPtr e = ParsePrimary();
  while (Match("COLLATE")) {
    Nest nest(*this);
    auto c = std::make_unique<CollateExpr>();
    c->pos = Here();
    Consume();
    c->collation = ParseName("a collation name");
    c->expr = std::move(e);
    e = std::move(c);
  }
  return e;
}

ExprPtr Parser::ParsePrimary() {
  Nest nest(*this);
  const Token& t = Peek();
  Position pos{t.line, t.column};
  auto literal = [&](LiteralKind kind) {
    auto lit = std::make_unique<Literal>();
    lit->pos = pos;
    lit->literal_kind = kind;
    lit->value = Consume().value;
    return lit;
  };
  switch (t.kind) {
    case TokenKind::kInteger: return literal(LiteralKind::kInteger);
    case TokenKind::kDecimal: return literal(LiteralKind::kDecimal);
    case TokenKind::kFloat: return literal(LiteralKind::kFloat);
    case TokenKind::kBinary: return literal(LiteralKind::kBinary);
    case TokenKind::kString: return literal(LiteralKind::kString);
    case TokenKind::kNString: return literal(LiteralKind::kNString);
    case TokenKind::kVariable: {
      auto v = std::make_unique<VariableRef>();
      v->pos = pos;
      v->name = Consume().value;
      return v;
    }
    case TokenKind::kOperator:
      if (t.text == "(") {
        if (AtQueryStart(1)) {
          Consume();
          auto s = std::make_unique<SubqueryExpr>();
          s->pos = pos;
          s->query = ParseQuery(false);
          ExpectOp(")");
          return s;
        }
        Consume();
        ExprPtr inner = ParseExpr();
        ExpectOp(")");
        return inner;
      }
      Fail("expected an expression");
    case TokenKind::kEnd:
      Fail("unexpected end of input, expected an expression");
    case TokenKind::kIdentifier:
    case TokenKind::kQuotedIdentifier:
      break;
  }
  if (t.kind == TokenKind::kIdentifier) {
    if (Match("NULL")) {
      auto lit = std::make_unique<Literal>();
      lit->pos = pos;
      lit->literal_kind = LiteralKind::kNull;
      Consume();
      return lit;
    }
    if (Match("CASE")) return ParseCase();
    if ((Match("CAST") || Match("TRY_CAST")) && MatchOp("(", 1)) return ParseCast(false);
    if ((Match("CONVERT") || Match("TRY_CONVERT")) && MatchOp("(", 1)) return ParseCast(true);
    if (IsReservedWord(t.text) && !(IsFunctionKeyword(t.text) && MatchOp("(", 1))) {
      Fail("incorrect syntax near '" + t.text + "'");
    }
  }
  // A name: a column, t.*, or a function call.
  std::vector<std::string> parts;
  parts.push_back(Consume().value);
  while (MatchOp(".")) {
    Consume();
    if (parts.size() >= 5) Fail("too many parts in a name");
    if (MatchOp("*")) {
      Consume();
      auto star = std::make_unique<StarExpr>();
      star->pos = pos;
      star->qualifier = std::move(parts);
      return star;
    }
    if (MatchOp(".")) {
      parts.emplace_back();
      continue;
    }
    parts.push_back(ParseName("a column name"));
  }
  if (MatchOp("(")) {
    ObjectName name;
    name.pos = pos;
    name.parts = std::move(parts);
    return ParseFunctionCall(std::move(name));
  }
  auto col = std::make_unique<ColumnRef>();
  col->pos = pos;
  col->parts = std::move(parts);
  return col;
}

ExprPtr Parser::ParseCase() {
  auto c = std::make_unique<CaseExpr>();
  c->pos = Here();
  Expect("CASE");
  if (!Match("WHEN")) c->operand = ParseExpr();
  if (!Match("WHEN")) Fail("expected WHEN");
  while (ConsumeIf("WHEN")) {
    WhenClause w;
    w.when = ParseExpr();
    Expect("THEN");
    w.then = ParseExpr();
    c->whens.push_back(std::move(w));
  }
  if (ConsumeIf("ELSE")) c->else_expr = ParseExpr();
  Expect("END");
  return c;
}

ExprPtr Parser::ParseCast(bool is_convert) {
  auto c = std::make_unique<CastExpr>();
  c->pos = Here();
  c->is_convert = is_convert;
  Consume();
  ExpectOp("(");
  if (is_convert) {
    c->type = ParseType();
    ExpectOp(",");
    c->expr = ParseExpr();
    if (ConsumeIfOp(",")) c->style = ParseExpr();
  } else {
    c->expr = ParseExpr();
    Expect("AS");
    c->type = ParseType();
  }
  ExpectOp(")");
  return c;
}

ExprPtr Parser::ParseFunctionCall(ObjectName name) {
  auto f = std::make_unique<FunctionCall>();
  f->pos = name.pos;
  f->name = std::move(name);
  ExpectOp("(");
  if (MatchOp("*")) {
    Consume();
    f->star = true;
  } else if (!MatchOp(")")) {
    if (ConsumeIf("DISTINCT")) f->distinct = true;
    else ConsumeIf("ALL");
    do {
      f->args.push_back(ParseExpr());
    } while (ConsumeIfOp(","));
  }
  ExpectOp(")");
  if (Match("OVER")) f->over = ParseOver();
  return f;
}

std::unique_ptr<WindowSpec> Parser::ParseOver() {
  Expect("OVER");
  ExpectOp("(");
  auto w = std::make_unique<WindowSpec>();
  if (ConsumeIf("PARTITION")) {
    Expect("BY");
    do {
      w->partition_by.push_back(ParseExpr());
    } while (ConsumeIfOp(","));
  }
  if (ConsumeIf("ORDER")) {
    Expect("BY");
    w->order_by = ParseOrderByList();
  }
  if (Match("ROWS") || Match("RANGE")) Fail("window frames are not supported");
  ExpectOp(")");
  return w;
}

std::vector<OrderItem> Parser::ParseOrderByList() {
  std::vector<OrderItem> items;
  do {
    OrderItem o;
    o.expr = ParseExpr();
    if (ConsumeIf("DESC")) o.descending = true;
    else ConsumeIf("ASC");
    items.push_back(std::move(o));
  } while (ConsumeIfOp(","));
  return items;
}

// -------------------------------------------------------------------- queries

bool Parser::AtQueryStart(size_t ahead) const {
  if (Match("SELECT", ahead)) return true;
  // A parenthesized query: look through the opening parentheses.
  size_t i = ahead;
  while (MatchOp("(", i)) ++i;
  return i > ahead && Match("SELECT", i);
}

QueryPtr Parser::ParseQuery(bool allow_ctes) {
  Nest nest(*this);
  auto q = std::make_unique<Query>();
  q->pos = Here();
  if (Match("WITH")) {
    if (!allow_ctes) Fail("WITH is only allowed at the start of a statement");
    q->ctes = ParseCtes();
  }
  q->body = ParseUnionLevel();
  if (Match("ORDER")) {
    Consume();
    Expect("BY");
    q->order_by = ParseOrderByList();
  }
  if (Match("FOR")) q->for_xml = ParseForXml();
  if (ConsumeIf("OPTION")) SkipParenthesized();
  return q;
}

std::vector<CommonTableExpr> Parser::ParseCtes() {
  Expect("WITH");
  std::vector<CommonTableExpr> ctes;
  do {
    CommonTableExpr cte;
    cte.pos = Here();
    cte.name = ParseName("a common table expression name");
    if (ConsumeIfOp("(")) {
      do {
        cte.columns.push_back(ParseName("a column name"));
      } while (ConsumeIfOp(","));
      ExpectOp(")");
    }
    Expect("AS");
    ExpectOp("(");
    cte.query = ParseQuery(false);
    ExpectOp(")");
    ctes.push_back(std::move(cte));
  } while (ConsumeIfOp(","));
  return ctes;
}

std::unique_ptr<QueryBody> Parser::ParseUnionLevel() {
  auto left = ParseIntersectLevel();
  int added = 0;
  while (Match("UNION") || Match("EXCEPT")) {
    DeepenChain(added);
    auto node = std::make_unique<QueryBody>();
    if (ConsumeIf("EXCEPT")) {
      node->op = SetOp::kExcept;
    } else {
      Consume();
      node->op = ConsumeIf("ALL") ? SetOp::kUnionAll : SetOp::kUnion;
    }
    node->left = std::move(left);
    node->right = ParseIntersectLevel();
    left = std::move(node);
  }
  depth_ -= added;
  return left;
}

std::unique_ptr<QueryBody> Parser::ParseIntersectLevel() {
  auto left = ParseQueryPrimary();
  int added = 0;
  while (ConsumeIf("INTERSECT")) {
    DeepenChain(added);
    auto node = std::make_unique<QueryBody>();
    node->op = SetOp::kIntersect;
    node->left = std::move(left);
    node->right = ParseQueryPrimary();
    left = std::move(node);
  }
  depth_ -= added;
  return left;
}

std::unique_ptr<QueryBody> Parser::ParseQueryPrimary() {
  auto body = std::make_unique<QueryBody>();
  if (MatchOp("(")) {
    Consume();
    body->nested = ParseQuery(false);
    ExpectOp(")");
    return body;
  }
  if (!Match("SELECT")) Fail("expected SELECT");
  body->select = ParseSelectCore();
  return body;
}

std::unique_ptr<SelectCore> Parser::ParseSelectCore() {
  auto s = std::make_unique<SelectCore>();
  s->pos = Here();
  Expect("SELECT");
  if (ConsumeIf("DISTINCT")) s->distinct = true;
  else ConsumeIf("ALL");
  if (ConsumeIf("TOP")) {
    if (ConsumeIfOp("(")) {
      s->top = ParseExpr();
      ExpectOp(")");
    } else {
      s->top = ParsePrimary();
    }
    if (ConsumeIf("PERCENT")) s->top_percent = true;
    if (Match("WITH") && Match("TIES", 1)) {
      Consume();
      Consume();
      s->top_with_ties = true;
    }
  }
  do {
    s->items.push_back(ParseSelectItem());
  } while (ConsumeIfOp(","));
  if (ConsumeIf("INTO")) s->into = ParseObjectName("a table name");
  if (ConsumeIf("FROM")) s->from = ParseFromList();
  if (ConsumeIf("WHERE")) s->where = ParseExpr();
  if (Match("GROUP")) {
    Consume();
    Expect("BY");
    do {
      s->group_by.push_back(ParseExpr());
    } while (ConsumeIfOp(","));
  }
  if (ConsumeIf("HAVING")) s->having = ParseExpr();
  return s;
}

SelectItem Parser::ParseSelectItem() {
  SelectItem item;
  item.pos = Here();
  if (MatchOp("*")) {
    auto star = std::make_unique<StarExpr>();
    star->pos = Here();
    Consume();
    item.expr = std::move(star);
    return item;
  }
  if (Peek().kind == TokenKind::kVariable && MatchOp("=", 1)) {
    item.assign_var = Consume().value;
    Consume();
    item.expr = ParseExpr();
    return item;
  }
  if (AtName() && MatchOp("=", 1)) {  // SELECT alias = expr
    item.alias = Consume().value;
    Consume();
    item.expr = ParseExpr();
    return item;
  }
  item.expr = ParseExpr();
  if (item.expr->kind != ExprKind::kStar) {
    if (Peek().kind == TokenKind::kString) {
      item.alias = Consume().value;
    } else {
      item.alias = ParseOptionalAlias();
    }
  }
  return item;
}

std::vector<TableRefPtr> Parser::ParseFromList() {
  std::vector<TableRefPtr> list;
  do {
    list.push_back(ParseTableSource());
  } while (ConsumeIfOp(","));
  return list;
}

TableRefPtr Parser::ParseTableSource() {
  TableRefPtr left = ParseTablePrimary();
  int added = 0;
  while (true) {
    Position pos = Here();
    JoinType type;
    bool needs_on = true;
    if (Match("JOIN")) {
      Consume();
      type = JoinType::kInner;
    } else if (Match("INNER")) {
      Consume();
      Expect("JOIN");
      type = JoinType::kInner;
    } else if (Match("LEFT") || Match("RIGHT") || Match("FULL")) {
      type = Match("LEFT") ? JoinType::kLeft : Match("RIGHT") ? JoinType::kRight : JoinType::kFull;
      Consume();
      ConsumeIf("OUTER");
      Expect("JOIN");
    } else if (Match("CROSS") && Match("JOIN", 1)) {
      Consume();
      Consume();
      type = JoinType::kCross;
      needs_on = false;
    } else if ((Match("CROSS") || Match("OUTER")) && Match("APPLY", 1)) {
      type = Match("CROSS") ? JoinType::kCrossApply : JoinType::kOuterApply;
      Consume();
      Consume();
      needs_on = false;
    } else {
      break;
    }
    DeepenChain(added);
    auto j = std::make_unique<JoinRef>();
    j->pos = pos;
    j->type = type;
    j->left = std::move(left);
    j->right = ParseTablePrimary();
    if (needs_on) {
      Expect("ON");
      j->on = ParseExpr();
    }
    left = std::move(j);
  }
  depth_ -= added;
  return left;
}

TableRefPtr Parser::ParseTablePrimary() {
  Nest nest(*this);
  Position pos = Here();
  if (MatchOp("(")) {
    if (AtQueryStart(1)) {
      Consume();
      auto d = std::make_unique<DerivedTable>();
      d->pos = pos;
      d->query = ParseQuery(false);
      ExpectOp(")");
      d->alias = ParseOptionalAlias();
      if (d->alias.empty()) Fail("a derived table needs an alias");
      if (ConsumeIfOp("(")) {
        do {
          d->column_aliases.push_back(ParseName("a column name"));
        } while (ConsumeIfOp(","));
        ExpectOp(")");
      }
      return d;
    }
    Consume();
    TableRefPtr inner = ParseTableSource();
    ExpectOp(")");
    return inner;
  }
  if (Peek().kind == TokenKind::kVariable) {  // a table variable
    auto t = std::make_unique<NamedTable>();
    t->pos = pos;
    t->name.pos = pos;
    t->name.parts.push_back(Consume().value);
    t->alias = ParseOptionalAlias();
    return t;
  }
  ObjectName name = ParseObjectName("a table name");
  if (MatchOp("(")) {
    auto f = std::make_unique<FunctionTable>();
    f->pos = pos;
    f->name = std::move(name);
    Consume();
    if (!MatchOp(")")) {
      do {
        f->args.push_back(ParseExpr());
      } while (ConsumeIfOp(","));
    }
    ExpectOp(")");
    f->alias = ParseOptionalAlias();
    return f;
  }
  auto t = std::make_unique<NamedTable>();
  t->pos = pos;
  t->name = std::move(name);
  t->alias = ParseOptionalAlias();
  if (Match("WITH") && MatchOp("(", 1)) {
    Consume();
    Consume();
    do {
      std::string hint = ToUpperAscii(ParseName("a table hint"));
      if (MatchOp("(")) {
        Fail("table hints with arguments are not supported");
      }
      t->hints.push_back(std::move(hint));
    } while (ConsumeIfOp(","));
    ExpectOp(")");
  }
  return t;
}

std::unique_ptr<ForXmlClause> Parser::ParseForXml() {
  Expect("FOR");
  Expect("XML");
  auto x = std::make_unique<ForXmlClause>();
  if (!(Match("PATH") || Match("RAW") || Match("AUTO"))) Fail("expected PATH, RAW or AUTO");
  x->mode = ToUpperAscii(Consume().text);
  if (ConsumeIfOp("(")) {
    if (Peek().kind != TokenKind::kString && Peek().kind != TokenKind::kNString) {
      Fail("expected an element name");
    }
    x->has_element = true;
    x->element = Consume().value;
    ExpectOp(")");
  }
  while (ConsumeIfOp(",")) {
    if (!(Match("TYPE") || Match("ELEMENTS"))) Fail("FOR XML option not supported");
    x->directives.push_back(ToUpperAscii(Consume().text));
  }
  return x;
}

void Parser::SkipParenthesized() {
  ExpectOp("(");
  int depth = 1;
  while (depth > 0) {
    if (AtEnd()) Fail("unbalanced parentheses");
    if (MatchOp("(")) ++depth;
    if (MatchOp(")")) --depth;
    Consume();
  }
}

}  // namespace internal

ParsedBatch ParseBatch(std::string_view text) {
  ParsedBatch result;
  try {
    internal::Parser parser(text);
    result.statements = parser.ParseBatch();
  } catch (const SyntaxError& e) {
    result.statements.clear();
    result.error = e.error();
  }
  return result;
}

std::vector<StmtPtr> ParseBatchOrThrow(std::string_view text) {
  internal::Parser parser(text);
  return parser.ParseBatch();
}

ExprPtr ParseExpression(std::string_view text) {
  internal::Parser parser(text);
  ExprPtr e = parser.ParseExpr();
  if (!parser.AtEnd()) parser.Fail("unexpected text after the expression");
  return e;
}

TypeName ParseTypeName(std::string_view text) {
  internal::Parser parser(text);
  TypeName t = parser.ParseType();
  if (!parser.AtEnd()) parser.Fail("unexpected text after the type");
  return t;
}

}  // namespace zv::tsql
