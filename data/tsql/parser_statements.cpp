// Statements: batches, control flow, DML, DDL, procedures and functions.
#include "data/tsql/parser_internal.h"

namespace zv::tsql::internal {
namespace {

constexpr std::string_view kStatementKeywords[] = {
    "SELECT", "WITH",  "INSERT", "UPDATE",   "DELETE",  "CREATE",    "ALTER",  "DROP",
    "TRUNCATE", "DECLARE", "SET", "IF",      "WHILE",   "BREAK",     "CONTINUE", "BEGIN",
    "END",    "ELSE",  "EXEC",   "EXECUTE",  "RETURN",  "RAISERROR", "THROW",  "COMMIT",
    "ROLLBACK", "SAVE", "PRINT", "GO",
};

}  // namespace

bool IsStatementKeyword(const Token& token) {
  if (token.kind != TokenKind::kIdentifier) return false;
  for (auto k : kStatementKeywords) {
    if (EqualsIgnoreCase(token.text, k)) return true;
  }
  return false;
}

bool Parser::AtStatementEnd() const {
  return AtEnd() || MatchOp(";") || IsStatementKeyword(Peek());
}

std::vector<StmtPtr> Parser::ParseBatch() {
  std::vector<StmtPtr> out;
  while (true) {
    while (ConsumeIfOp(";")) {
    }
    if (AtEnd()) break;
    out.push_back(ParseStatement());
  }
  return out;
}

std::vector<StmtPtr> Parser::ParseStatementsUntil(std::string_view end_word,
                                                  std::string_view end_word2) {
  std::vector<StmtPtr> out;
  while (true) {
    while (ConsumeIfOp(";")) {
    }
    if (Match(end_word) && (end_word2.empty() || Match(end_word2, 1))) break;
    if (AtEnd()) Fail("missing " + std::string(end_word));
    out.push_back(ParseStatement());
  }
  return out;
}

StmtPtr Parser::ParseStatement() {
  Nest nest(*this);
  const Token& first = Peek();
  size_t begin = first.offset;
  Position pos{first.line, first.column};
  StmtPtr s;
  std::vector<CommonTableExpr> ctes;
  if (Match("WITH")) {
    // WITH ... INSERT / UPDATE / DELETE; WITH ... SELECT is a query.
    size_t start = pos_;
    ctes = ParseCtes();
    if (!(Match("INSERT") || Match("UPDATE") || Match("DELETE"))) {
      ctes.clear();
      pos_ = start;
    }
  }
  if (!ctes.empty()) {
    if (Match("INSERT")) {
      s = ParseInsert();
      s->As<InsertStatement>().ctes = std::move(ctes);
    } else if (Match("UPDATE")) {
      s = ParseUpdate();
      s->As<UpdateStatement>().ctes = std::move(ctes);
    } else {
      s = ParseDelete();
      s->As<DeleteStatement>().ctes = std::move(ctes);
    }
  } else if (Match("SELECT") || Match("WITH") || MatchOp("(")) {
    auto sel = std::make_unique<SelectStatement>();
    sel->query = ParseQuery(true);
    s = std::move(sel);
  } else if (Match("INSERT")) {
    s = ParseInsert();
  } else if (Match("UPDATE")) {
    s = ParseUpdate();
  } else if (Match("DELETE")) {
    s = ParseDelete();
  } else if (Match("CREATE")) {
    s = ParseCreate();
  } else if (Match("ALTER")) {
    s = ParseAlter();
  } else if (Match("DROP")) {
    s = ParseDrop();
  } else if (Match("TRUNCATE")) {
    s = ParseTruncate();
  } else if (Match("DECLARE")) {
    s = ParseDeclare();
  } else if (Match("SET")) {
    s = ParseSet();
  } else if (Match("IF")) {
    s = ParseIf();
  } else if (Match("WHILE")) {
    s = ParseWhile();
  } else if (Match("BREAK")) {
    Consume();
    s = std::make_unique<BreakStatement>();
  } else if (Match("CONTINUE")) {
    Consume();
    s = std::make_unique<ContinueStatement>();
  } else if (Match("BEGIN")) {
    s = ParseBegin();
  } else if (Match("EXEC") || Match("EXECUTE")) {
    s = ParseExec();
  } else if (Match("RETURN")) {
    s = ParseReturn();
  } else if (Match("RAISERROR")) {
    s = ParseRaiserror();
  } else if (Match("THROW")) {
    s = ParseThrow();
  } else if (Match("COMMIT") || Match("ROLLBACK") || Match("SAVE")) {
    s = ParseTransaction();
  } else if (Match("PRINT")) {
    s = ParsePrint();
  } else if (AtEnd()) {
    Fail("unexpected end of input, expected a statement");
  } else {
    Fail("incorrect syntax near '" + first.text + "'");
  }
  s->pos = pos;
  s->source_begin = begin;
  const Token& last = tokens_[pos_ > 0 ? pos_ - 1 : 0];
  s->source_end = last.offset + last.text.size();
  return s;
}

// ------------------------------------------------------------------------ DML

StmtPtr Parser::ParseInsert() {
  auto s = std::make_unique<InsertStatement>();
  Expect("INSERT");
  ConsumeIf("INTO");
  if (Peek().kind == TokenKind::kVariable) {
    s->target.pos = Here();
    s->target.parts.push_back(Consume().value);
  } else {
    s->target = ParseObjectName("a table name");
  }
  if (MatchOp("(") && !AtQueryStart()) {
    Consume();
    do {
      s->columns.push_back(ParseName("a column name"));
    } while (ConsumeIfOp(","));
    ExpectOp(")");
  }
  if (ConsumeIf("VALUES")) {
    do {
      ExpectOp("(");
      std::vector<ExprPtr> row;
      do {
        row.push_back(ParseExpr());
      } while (ConsumeIfOp(","));
      ExpectOp(")");
      s->values.push_back(std::move(row));
    } while (ConsumeIfOp(","));
  } else if (Match("DEFAULT")) {
    Consume();
    Expect("VALUES");
    s->default_values = true;
  } else if (Match("EXEC") || Match("EXECUTE")) {
    Consume();
    s->exec = ParseExecCall();
  } else if (Match("SELECT") || Match("WITH") || MatchOp("(")) {
    s->select = ParseQuery(true);
  } else {
    Fail("expected VALUES, SELECT or EXEC");
  }
  return s;
}

StmtPtr Parser::ParseUpdate() {
  auto s = std::make_unique<UpdateStatement>();
  Expect("UPDATE");
  if (ConsumeIf("TOP")) {
    ExpectOp("(");
    s->top = ParseExpr();
    ExpectOp(")");
  }
  if (Peek().kind == TokenKind::kVariable) {
    s->target.pos = Here();
    s->target.parts.push_back(Consume().value);
  } else {
    s->target = ParseObjectName("a table name");
  }
  if (Match("WITH") && MatchOp("(", 1)) {
    Consume();
    SkipParenthesized();
  }
  Expect("SET");
  do {
    SetClause c;
    if (Peek().kind == TokenKind::kVariable) {
      c.column.push_back(Consume().value);
    } else {
      c.column.push_back(ParseName("a column name"));
      while (ConsumeIfOp(".")) c.column.push_back(ParseName("a column name"));
    }
    ExpectOp("=");
    c.value = ParseExpr();
    s->sets.push_back(std::move(c));
  } while (ConsumeIfOp(","));
  if (ConsumeIf("FROM")) s->from = ParseFromList();
  if (ConsumeIf("WHERE")) s->where = ParseExpr();
  return s;
}

StmtPtr Parser::ParseDelete() {
  auto s = std::make_unique<DeleteStatement>();
  Expect("DELETE");
  if (ConsumeIf("TOP")) {
    ExpectOp("(");
    s->top = ParseExpr();
    ExpectOp(")");
  }
  ConsumeIf("FROM");
  if (Peek().kind == TokenKind::kVariable) {
    s->target.pos = Here();
    s->target.parts.push_back(Consume().value);
  } else {
    s->target = ParseObjectName("a table name");
  }
  if (Match("WITH") && MatchOp("(", 1)) {
    Consume();
    SkipParenthesized();
  }
  if (ConsumeIf("FROM")) s->from = ParseFromList();
  if (ConsumeIf("WHERE")) s->where = ParseExpr();
  return s;
}

// ------------------------------------------------------------------------ DDL

StmtPtr Parser::ParseCreate() {
  Expect("CREATE");
  bool or_alter = false;
  if (Match("OR") && Match("ALTER", 1)) {
    Consume();
    Consume();
    or_alter = true;
  }
  if (Match("PROC") || Match("PROCEDURE")) return ParseCreateProcedure(false, or_alter);
  if (Match("FUNCTION")) return ParseCreateFunction(false, or_alter);
  if (Match("VIEW")) return ParseCreateView(false, or_alter);
  if (or_alter) Fail("expected PROCEDURE, FUNCTION or VIEW");
  if (Match("TABLE")) return ParseCreateTable();
  if (Match("UNIQUE") || Match("CLUSTERED") || Match("NONCLUSTERED") || Match("INDEX")) {
    return ParseCreateIndex();
  }
  Fail("expected TABLE, INDEX, VIEW, PROCEDURE or FUNCTION");
}

StmtPtr Parser::ParseAlter() {
  Expect("ALTER");
  if (Match("PROC") || Match("PROCEDURE")) return ParseCreateProcedure(true, false);
  if (Match("FUNCTION")) return ParseCreateFunction(true, false);
  if (Match("VIEW")) return ParseCreateView(true, false);
  Expect("TABLE");
  auto s = std::make_unique<AlterTableStatement>();
  s->table = ParseObjectName("a table name");
  if (ConsumeIf("ADD")) {
    do {
      s->add_columns.push_back(ParseColumnDefinition());
    } while (ConsumeIfOp(","));
  } else if (ConsumeIf("DROP")) {
    Expect("COLUMN");
    do {
      s->drop_columns.push_back(ParseName("a column name"));
    } while (ConsumeIfOp(","));
  } else {
    Fail("only ALTER TABLE ... ADD and ... DROP COLUMN are supported");
  }
  return s;
}

StmtPtr Parser::ParseDrop() {
  Expect("DROP");
  auto s = std::make_unique<DropStatement>();
  if (ConsumeIf("TABLE")) s->object = ObjectKind::kTable;
  else if (ConsumeIf("VIEW")) s->object = ObjectKind::kView;
  else if (ConsumeIf("PROC") || ConsumeIf("PROCEDURE")) s->object = ObjectKind::kProcedure;
  else if (ConsumeIf("FUNCTION")) s->object = ObjectKind::kFunction;
  else if (ConsumeIf("INDEX")) s->object = ObjectKind::kIndex;
  else Fail("expected TABLE, VIEW, PROCEDURE, FUNCTION or INDEX");
  if (Match("IF") && Match("EXISTS", 1)) {
    Consume();
    Consume();
    s->if_exists = true;
  }
  do {
    s->names.push_back(ParseObjectName("a name"));
  } while (ConsumeIfOp(","));
  if (s->object == ObjectKind::kIndex && ConsumeIf("ON")) {
    s->index_table = ParseObjectName("a table name");
  }
  return s;
}

StmtPtr Parser::ParseTruncate() {
  Expect("TRUNCATE");
  Expect("TABLE");
  auto s = std::make_unique<TruncateStatement>();
  s->table = ParseObjectName("a table name");
  return s;
}

StmtPtr Parser::ParseCreateTable() {
  Expect("TABLE");
  auto s = std::make_unique<CreateTableStatement>();
  s->name = ParseObjectName("a table name");
  ParseTableElements(s->columns, s->constraints);
  if (Match("ON") && AtName(1)) {  // ON [PRIMARY]
    Consume();
    Consume();
  }
  return s;
}

void Parser::ParseTableElements(std::vector<ColumnDefinition>& columns,
                                std::vector<TableConstraint>& constraints) {
  ExpectOp("(");
  do {
    if (MatchOp(")") && !columns.empty()) break;  // a trailing comma
    if (Match("CONSTRAINT") || Match("PRIMARY") || Match("UNIQUE") || Match("CHECK")) {
      constraints.push_back(ParseTableConstraint());
    } else {
      columns.push_back(ParseColumnDefinition());
    }
  } while (ConsumeIfOp(","));
  ExpectOp(")");
  if (columns.empty()) Fail("a table needs at least one column");
}

ColumnDefinition Parser::ParseColumnDefinition() {
  ColumnDefinition c;
  c.pos = Here();
  c.name = ParseName("a column name");
  c.type = ParseType();
  while (true) {
    if (ConsumeIf("COLLATE")) {
      c.collation = ParseName("a collation name");
    } else if (Match("NULL")) {
      Consume();
      c.nullability = 1;
    } else if (Match("NOT") && Match("NULL", 1)) {
      Consume();
      Consume();
      c.nullability = 2;
    } else if (ConsumeIf("IDENTITY")) {
      c.identity = true;
      if (ConsumeIfOp("(")) {
        c.identity_seed = ParseSignedInteger();
        ExpectOp(",");
        c.identity_increment = ParseSignedInteger();
        ExpectOp(")");
      }
    } else if (Match("CONSTRAINT") || Match("DEFAULT")) {
      std::string name;
      if (ConsumeIf("CONSTRAINT")) name = ParseName("a constraint name");
      if (ConsumeIf("DEFAULT")) {
        c.default_name = name;
        c.default_value = ParseUnary();
      } else if (ConsumeIf("PRIMARY")) {
        Expect("KEY");
        c.primary_key = true;
        if (!ConsumeIf("CLUSTERED")) ConsumeIf("NONCLUSTERED");
      } else if (ConsumeIf("UNIQUE")) {
        c.unique = true;
      } else {
        Fail("expected DEFAULT, PRIMARY KEY or UNIQUE");
      }
    } else if (ConsumeIf("PRIMARY")) {
      Expect("KEY");
      c.primary_key = true;
      if (!ConsumeIf("CLUSTERED")) ConsumeIf("NONCLUSTERED");
    } else if (ConsumeIf("UNIQUE")) {
      c.unique = true;
    } else {
      break;
    }
  }
  return c;
}

TableConstraint Parser::ParseTableConstraint() {
  TableConstraint t;
  if (ConsumeIf("CONSTRAINT")) t.name = ParseName("a constraint name");
  if (ConsumeIf("PRIMARY")) {
    Expect("KEY");
    t.kind = TableConstraint::Kind::kPrimaryKey;
  } else if (ConsumeIf("UNIQUE")) {
    t.kind = TableConstraint::Kind::kUnique;
  } else if (ConsumeIf("CHECK")) {
    t.kind = TableConstraint::Kind::kCheck;
    ExpectOp("(");
    t.check = ParseExpr();
    ExpectOp(")");
    return t;
  } else {
    Fail("expected PRIMARY KEY, UNIQUE or CHECK");
  }
  if (ConsumeIf("CLUSTERED")) t.clustering = 1;
  else if (ConsumeIf("NONCLUSTERED")) t.clustering = 2;
  t.columns = ParseIndexColumns();
  return t;
}

std::vector<IndexColumn> Parser::ParseIndexColumns() {
  std::vector<IndexColumn> cols;
  ExpectOp("(");
  do {
    IndexColumn c;
    c.name = ParseName("a column name");
    if (ConsumeIf("DESC")) c.descending = true;
    else ConsumeIf("ASC");
    cols.push_back(std::move(c));
  } while (ConsumeIfOp(","));
  ExpectOp(")");
  return cols;
}

StmtPtr Parser::ParseCreateIndex() {
  auto s = std::make_unique<CreateIndexStatement>();
  if (ConsumeIf("UNIQUE")) s->unique = true;
  if (ConsumeIf("CLUSTERED")) s->clustering = 1;
  else if (ConsumeIf("NONCLUSTERED")) s->clustering = 2;
  Expect("INDEX");
  s->name = ParseName("an index name");
  Expect("ON");
  s->table = ParseObjectName("a table name");
  s->columns = ParseIndexColumns();
  if (ConsumeIf("INCLUDE")) {
    ExpectOp("(");
    do {
      s->include.push_back(ParseName("a column name"));
    } while (ConsumeIfOp(","));
    ExpectOp(")");
  }
  if (Match("WITH") && MatchOp("(", 1)) {
    Consume();
    SkipParenthesized();
  }
  if (Match("ON") && AtName(1)) {
    Consume();
    Consume();
  }
  return s;
}

StmtPtr Parser::ParseCreateView(bool alter, bool or_alter) {
  Expect("VIEW");
  auto s = std::make_unique<CreateViewStatement>();
  s->alter = alter;
  s->or_alter = or_alter;
  s->name = ParseObjectName("a view name");
  if (ConsumeIfOp("(")) {
    do {
      s->columns.push_back(ParseName("a column name"));
    } while (ConsumeIfOp(","));
    ExpectOp(")");
  }
  if (ConsumeIf("WITH")) ParseName("a view option");
  Expect("AS");
  s->query = ParseQuery(true);
  return s;
}

std::vector<ParameterDecl> Parser::ParseParameters(bool parenthesized) {
  std::vector<ParameterDecl> params;
  if (parenthesized && MatchOp(")")) return params;
  if (Peek().kind != TokenKind::kVariable) return params;
  do {
    ParameterDecl p;
    p.pos = Here();
    if (Peek().kind != TokenKind::kVariable) Fail("expected a parameter name");
    p.name = Consume().value;
    ConsumeIf("AS");
    p.type = ParseType();
    if (ConsumeIfOp("=")) p.default_value = ParseUnary();
    while (true) {
      if (ConsumeIf("OUTPUT") || ConsumeIf("OUT")) p.output = true;
      else if (ConsumeIf("READONLY")) p.readonly = true;
      else break;
    }
    params.push_back(std::move(p));
  } while (ConsumeIfOp(","));
  return params;
}

StmtPtr Parser::ParseCreateProcedure(bool alter, bool or_alter) {
  Consume();  // PROC or PROCEDURE
  auto s = std::make_unique<CreateProcedureStatement>();
  s->alter = alter;
  s->or_alter = or_alter;
  s->name = ParseObjectName("a procedure name");
  bool paren = ConsumeIfOp("(");
  s->params = ParseParameters(paren);
  if (paren) ExpectOp(")");
  if (ConsumeIf("WITH")) {
    do {
      ParseName("a procedure option");
    } while (ConsumeIfOp(","));
  }
  Expect("AS");
  // The body runs to the end of the batch.
  while (true) {
    while (ConsumeIfOp(";")) {
    }
    if (AtEnd()) break;
    s->body.push_back(ParseStatement());
  }
  return s;
}

StmtPtr Parser::ParseCreateFunction(bool alter, bool or_alter) {
  Expect("FUNCTION");
  auto s = std::make_unique<CreateFunctionStatement>();
  s->alter = alter;
  s->or_alter = or_alter;
  s->name = ParseObjectName("a function name");
  ExpectOp("(");
  s->params = ParseParameters(true);
  ExpectOp(")");
  Expect("RETURNS");
  if (Match("TABLE")) {
    Consume();
    s->function_kind = FunctionKind::kInlineTable;
  } else if (Peek().kind == TokenKind::kVariable) {
    s->function_kind = FunctionKind::kMultiStatementTable;
    s->table_var = Consume().value;
    Expect("TABLE");
    std::vector<TableConstraint> ignored;
    ParseTableElements(s->table_columns, ignored);
  } else {
    s->function_kind = FunctionKind::kScalar;
    s->returns = ParseType();
  }
  if (ConsumeIf("WITH")) {
    do {
      ParseName("a function option");
    } while (ConsumeIfOp(","));
  }
  Expect("AS");
  if (s->function_kind == FunctionKind::kInlineTable) {
    Expect("RETURN");
    QueryPtr q = ParseQuery(true);
    // RETURN (SELECT ...) reads as a parenthesized query: keep the inner one.
    while (q->ctes.empty() && q->order_by.empty() && !q->for_xml && q->body->nested) {
      q = std::move(q->body->nested);
    }
    s->inline_query = std::move(q);
    return s;
  }
  Expect("BEGIN");
  s->body = ParseStatementsUntil("END", "");
  Expect("END");
  return s;
}

// -------------------------------------------------------------- control flow

StmtPtr Parser::ParseDeclare() {
  Expect("DECLARE");
  auto s = std::make_unique<DeclareStatement>();
  do {
    VariableDecl v;
    v.pos = Here();
    if (Peek().kind != TokenKind::kIdentifier || !Match("CURSOR", 1)) {
      if (Peek().kind != TokenKind::kVariable) Fail("expected a variable name");
    } else {
      FailAt(Peek(1), "not supported: CURSOR");
    }
    v.name = Consume().value;
    ConsumeIf("AS");
    if (Match("CURSOR")) Fail("cursors are not supported");
    if (ConsumeIf("TABLE")) {
      v.is_table = true;
      ParseTableElements(v.table_columns, v.table_constraints);
    } else {
      v.type = ParseType();
      if (ConsumeIfOp("=")) v.init = ParseExpr();
    }
    s->vars.push_back(std::move(v));
  } while (ConsumeIfOp(","));
  return s;
}

StmtPtr Parser::ParseSet() {
  Expect("SET");
  if (Peek().kind == TokenKind::kVariable) {
    auto s = std::make_unique<SetVariableStatement>();
    s->name = Consume().value;
    static const std::pair<std::string_view, BinaryOp> kOps[] = {
        {"=", BinaryOp::kEq},      {"+=", BinaryOp::kAdd},    {"-=", BinaryOp::kSub},
        {"*=", BinaryOp::kMul},    {"/=", BinaryOp::kDiv},    {"%=", BinaryOp::kMod},
        {"&=", BinaryOp::kBitAnd}, {"|=", BinaryOp::kBitOr},  {"^=", BinaryOp::kBitXor}};
    bool found = false;
    for (const auto& [text, op] : kOps) {
      if (ConsumeIfOp(text)) {
        s->compound = op;
        found = true;
        break;
      }
    }
    if (!found) Fail("expected '='");
    s->value = ParseExpr();
    return s;
  }
  auto s = std::make_unique<SetOptionStatement>();
  while (!AtEnd() && !MatchOp(";") && !(IsStatementKeyword(Peek()) && !s->words.empty())) {
    const Token& t = Peek();
    if (t.kind == TokenKind::kIdentifier || t.kind == TokenKind::kInteger) {
      s->words.push_back(ToUpperAscii(Consume().text));
    } else if (MatchOp(",") && !s->words.empty()) {
      Consume();
      s->words.back() += ",";
    } else {
      break;
    }
  }
  if (s->words.empty()) Fail("expected a variable or a session option");
  return s;
}

StmtPtr Parser::ParseIf() {
  Expect("IF");
  auto s = std::make_unique<IfStatement>();
  s->condition = ParseExpr();
  if (AtEnd() || Match("ELSE")) Fail("IF needs a statement");
  s->then_stmt = ParseStatement();
  size_t save = pos_;
  while (ConsumeIfOp(";")) {
  }
  if (ConsumeIf("ELSE")) {
    s->else_stmt = ParseStatement();
  } else {
    pos_ = save;
  }
  return s;
}

StmtPtr Parser::ParseWhile() {
  Expect("WHILE");
  auto s = std::make_unique<WhileStatement>();
  s->condition = ParseExpr();
  if (AtEnd()) Fail("WHILE needs a statement");
  s->body = ParseStatement();
  return s;
}

StmtPtr Parser::ParseBegin() {
  Expect("BEGIN");
  if (Match("TRAN") || Match("TRANSACTION")) {
    Consume();
    auto s = std::make_unique<TransactionStatement>();
    s->op = TransactionOp::kBegin;
    if (AtName() && !IsStatementKeyword(Peek())) s->name = Consume().value;
    return s;
  }
  if (ConsumeIf("TRY")) {
    auto s = std::make_unique<TryCatchStatement>();
    s->try_statements = ParseStatementsUntil("END", "TRY");
    Expect("END");
    Expect("TRY");
    while (ConsumeIfOp(";")) {
    }
    Expect("BEGIN");
    Expect("CATCH");
    s->catch_statements = ParseStatementsUntil("END", "CATCH");
    Expect("END");
    Expect("CATCH");
    return s;
  }
  auto s = std::make_unique<BlockStatement>();
  s->statements = ParseStatementsUntil("END", "");
  Expect("END");
  return s;
}

std::unique_ptr<ExecStatement> Parser::ParseExecCall() {
  auto s = std::make_unique<ExecStatement>();
  if (Peek().kind == TokenKind::kVariable) {
    if (MatchOp("=", 1)) {
      s->return_var = Consume().value;
      Consume();
      s->procedure = ParseObjectName("a procedure name");
    } else {
      s->procedure_var = Consume().value;
    }
  } else {
    s->procedure = ParseObjectName("a procedure name");
  }
  if (AtStatementEnd() || Match("END")) return s;
  do {
    ExecArg a;
    if (Peek().kind == TokenKind::kVariable && MatchOp("=", 1)) {
      a.name = Consume().value;
      Consume();
    }
    if (ConsumeIf("DEFAULT")) {
      a.value = nullptr;
    } else {
      a.value = ParseExpr();
    }
    if (ConsumeIf("OUTPUT") || ConsumeIf("OUT")) a.output = true;
    s->args.push_back(std::move(a));
  } while (ConsumeIfOp(","));
  return s;
}

StmtPtr Parser::ParseExec() {
  Consume();  // EXEC or EXECUTE
  if (MatchOp("(")) {
    Consume();
    auto s = std::make_unique<ExecDynamicStatement>();
    s->sql = ParseExpr();
    ExpectOp(")");
    return s;
  }
  return ParseExecCall();
}

StmtPtr Parser::ParseReturn() {
  Expect("RETURN");
  auto s = std::make_unique<ReturnStatement>();
  if (!AtStatementEnd()) s->value = ParseExpr();
  return s;
}

StmtPtr Parser::ParseRaiserror() {
  Expect("RAISERROR");
  auto s = std::make_unique<RaiserrorStatement>();
  ExpectOp("(");
  do {
    s->args.push_back(ParseExpr());
  } while (ConsumeIfOp(","));
  ExpectOp(")");
  if (s->args.size() < 3) Fail("RAISERROR needs a message, a severity and a state");
  if (ConsumeIf("WITH")) {
    do {
      if (!(Match("NOWAIT") || Match("LOG") || Match("SETERROR"))) Fail("expected NOWAIT, LOG or SETERROR");
      s->options.push_back(ToUpperAscii(Consume().text));
    } while (ConsumeIfOp(","));
  }
  return s;
}

StmtPtr Parser::ParseThrow() {
  Expect("THROW");
  auto s = std::make_unique<ThrowStatement>();
  if (AtStatementEnd()) return s;
  do {
    s->args.push_back(ParseExpr());
  } while (ConsumeIfOp(","));
  if (s->args.size() != 3) Fail("THROW needs a number, a message and a state");
  return s;
}

StmtPtr Parser::ParseTransaction() {
  auto s = std::make_unique<TransactionStatement>();
  if (ConsumeIf("COMMIT")) s->op = TransactionOp::kCommit;
  else if (ConsumeIf("ROLLBACK")) s->op = TransactionOp::kRollback;
  else {
    Expect("SAVE");
    s->op = TransactionOp::kSave;
  }
  bool word = ConsumeIf("TRAN") || ConsumeIf("TRANSACTION") || ConsumeIf("WORK");
  if (s->op == TransactionOp::kSave && !word) Fail("expected TRANSACTION");
  if (AtName() && !IsStatementKeyword(Peek())) s->name = Consume().value;
  if (s->op == TransactionOp::kSave && s->name.empty()) Fail("SAVE TRANSACTION needs a name");
  return s;
}

StmtPtr Parser::ParsePrint() {
  Expect("PRINT");
  auto s = std::make_unique<PrintStatement>();
  s->value = ParseExpr();
  return s;
}

}  // namespace zv::tsql::internal
