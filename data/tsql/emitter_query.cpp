// Queries: SELECT cores, set operations, CTEs, table sources, joins, APPLY
// and FOR XML PATH('').
#include <algorithm>

#include "data/tsql/emitter_internal.h"
#include "data/tsql/lexer.h"
#include "data/tsql/parser.h"

namespace zv::tsql::internal {
namespace {

bool IsTextLike(const SqlType& t) { return IsTextType(t) || t.name == "UNIQUEIDENTIFIER"; }

void CheckDistinctNames(const std::vector<Col>& cols, const std::string& owner, Position pos,
                        const Emitter& em) {
  for (size_t i = 0; i < cols.size(); ++i) {
    for (size_t j = i + 1; j < cols.size(); ++j) {
      if (!cols[i].name.empty() && EqualsIgnoreCase(cols[i].name, cols[j].name)) {
        em.Error(8156, pos, "The column '" + cols[i].name + "' was specified multiple times for '" +
                                owner + "'.");
      }
    }
  }
}

const CteInfo* FindCte(const Scope& scope, const std::string& name) {
  for (const Scope* s = &scope; s; s = s->outer) {
    if (!s->ctes) continue;
    for (const auto& c : *s->ctes) {
      if (EqualsIgnoreCase(c.name, name)) return &c;
    }
  }
  return nullptr;
}

bool IsSingleRowItem(const zv::tsql::Expr& e) {
  if (const auto* f = e.TryAs<FunctionCall>()) return IsAggregateFunction(f->UpperName()) && !f->over;
  return e.kind == ExprKind::kLiteral;
}

std::string ItemName(const SelectItem& item) {
  if (!item.alias.empty()) return item.alias;
  if (const auto* c = item.expr->TryAs<ColumnRef>()) return c->Column();
  return "";
}

// True when `e` reads one of `names` (outside nested queries).
bool ReadsVariable(const zv::tsql::Expr& e, const std::vector<std::string>& names) {
  auto any = [&](const zv::tsql::Expr* x) { return x && ReadsVariable(*x, names); };
  switch (e.kind) {
    case ExprKind::kVariable:
      return std::any_of(names.begin(), names.end(), [&](const std::string& n) {
        return EqualsIgnoreCase(n, e.As<VariableRef>().name);
      });
    case ExprKind::kUnary: return any(e.As<UnaryExpr>().operand.get());
    case ExprKind::kBinary:
      return any(e.As<BinaryExpr>().left.get()) || any(e.As<BinaryExpr>().right.get());
    case ExprKind::kFunction:
      return std::any_of(e.As<FunctionCall>().args.begin(), e.As<FunctionCall>().args.end(),
                         [&](const ExprPtr& a) { return any(a.get()); });
    case ExprKind::kCast: return any(e.As<CastExpr>().expr.get());
    case ExprKind::kCollate: return any(e.As<CollateExpr>().expr.get());
    case ExprKind::kCase: {
      const auto& c = e.As<CaseExpr>();
      if (any(c.operand.get()) || any(c.else_expr.get())) return true;
      return std::any_of(c.whens.begin(), c.whens.end(), [&](const WhenClause& w) {
        return any(w.when.get()) || any(w.then.get());
      });
    }
    default: return false;
  }
}

Source OutputSource(const std::vector<Col>& columns) {
  Source s;
  for (const auto& c : columns) {
    Col col = c;
    col.sql = QuoteIdent(c.name);
    s.columns.push_back(col);
  }
  return s;
}

}  // namespace

std::vector<Col> Emitter::TableColumns(const TableDef& def, const std::string& qualifier_sql) {
  std::vector<Col> cols;
  for (const auto& c : def.columns) {
    Col col;
    col.name = c.name;
    col.type = c.type;
    col.nullable = c.nullable;
    col.collated = IsTextLike(c.type);
    col.identity = c.identity;
    col.sql = qualifier_sql + "." + QuoteIdent(c.name);
    cols.push_back(std::move(col));
  }
  return cols;
}

std::string Emitter::EmitOrderBy(const std::vector<OrderItem>& items, const Scope& scope) {
  std::string out = "ORDER BY ";
  for (size_t i = 0; i < items.size(); ++i) {
    const auto& item = items[i];
    std::string term;
    if (const auto* lit = item.expr->TryAs<Literal>(); lit && lit->literal_kind == LiteralKind::kInteger) {
      term = lit->value;
    } else {
      term = Collated(Expr(*item.expr, scope));
    }
    out += (i ? ", " : "") + term + (item.descending ? " DESC" : "");
  }
  return out;
}

std::string Emitter::EmitCtes(const std::vector<CommonTableExpr>& definitions, const Scope* outer,
                              std::vector<CteInfo>& ctes) {
  std::string with;
  Scope holder;
  holder.outer = outer;
  holder.ctes = &ctes;
  for (const auto& cte : definitions) {
    QueryOptions o;
    if (!cte.columns.empty()) o.rename = &cte.columns;
    ctes.push_back({cte.name, {}, true});
    EmittedQuery e = EmitQuery(*cte.query, &holder, o);
    ctes.pop_back();
    CheckDistinctNames(e.columns, cte.name, cte.pos, *this);
    for (const auto& c : e.columns) {
      if (c.name.empty()) {
        Error(8155, cte.pos, "No column name was specified for a column of '" + cte.name + "'.");
      }
    }
    ctes.push_back({cte.name, e.columns});
    with += (with.empty() ? "WITH " : ", ") + QuoteIdent(cte.name) + " AS (" + e.sql + ")";
  }
  return with;
}

EmittedQuery Emitter::EmitQuery(const Query& q, const Scope* outer, const QueryOptions& options) {
  if (q.for_xml) return EmitForXml(q, outer);
  std::vector<CteInfo> ctes;
  std::string with = EmitCtes(q.ctes, outer, ctes);
  Scope holder;
  holder.outer = outer;
  holder.ctes = &ctes;
  std::string limit;
  EmittedQuery out = EmitBody(*q.body, ctes.empty() ? outer : &holder, ctes.empty() ? nullptr : &ctes,
                              options, &q.order_by, &limit);
  out.sql = (with.empty() ? "" : with + " ") + out.sql + limit;
  return out;
}

EmittedQuery Emitter::EmitBody(const QueryBody& body, const Scope* outer,
                               const std::vector<CteInfo>* ctes, const QueryOptions& options,
                               const std::vector<OrderItem>* order_by, std::string* limit) {
  if (body.select) return EmitSelectCore(*body.select, outer, ctes, options, order_by, limit);
  if (body.nested) {
    EmittedQuery inner = EmitQuery(*body.nested, outer, options);
    if (order_by && !order_by->empty()) {
      Scope s;
      s.outer = outer;
      s.sources.push_back(OutputSource(inner.columns));
      inner.sql = "SELECT * FROM (" + inner.sql + ") " + EmitOrderBy(*order_by, s);
    }
    return inner;
  }
  QueryOptions arm_options = options;
  arm_options.allow_into = false;
  auto arm = [&](const QueryBody& b, const QueryOptions& o) {
    std::string arm_limit;
    EmittedQuery e = EmitBody(b, outer, ctes, o, nullptr, &arm_limit);
    if (!arm_limit.empty() || b.nested) e.sql = "SELECT * FROM (" + e.sql + arm_limit + ")";
    return e;
  };
  EmittedQuery left = arm(*body.left, options);
  QueryOptions right_options = arm_options;
  right_options.rename = nullptr;
  EmittedQuery right = arm(*body.right, right_options);
  if (left.columns.size() != right.columns.size()) {
    Error(205, body.First().pos,
          "All queries combined using a UNION, INTERSECT or EXCEPT operator must have an equal "
          "number of expressions in their target lists.");
  }
  for (size_t i = 0; i < left.columns.size(); ++i) {
    left.columns[i].type = CommonType({left.columns[i].type, right.columns[i].type});
    left.columns[i].nullable = left.columns[i].nullable || right.columns[i].nullable;
  }
  static const char* const kOps[] = {"", " UNION ", " UNION ALL ", " EXCEPT ", " INTERSECT "};
  left.sql += kOps[static_cast<int>(body.op)] + right.sql;
  if (order_by && !order_by->empty()) {
    Scope s;
    s.outer = outer;
    s.sources.push_back(OutputSource(left.columns));
    left.sql += " " + EmitOrderBy(*order_by, s);
  }
  // A TOP inside an arm stays with that arm; the set operation has none.
  (void)limit;
  return left;
}

EmittedQuery Emitter::EmitSelectCore(const SelectCore& core, const Scope* outer,
                                     const std::vector<CteInfo>* ctes, const QueryOptions& options,
                                     const std::vector<OrderItem>* order_by, std::string* limit) {
  if (!core.into.empty() && !options.allow_into) {
    Error(156, core.pos, "SELECT ... INTO is only allowed in the first query of a statement.");
  }
  Scope scope;
  scope.outer = outer;
  scope.ctes = ctes;
  std::vector<std::string> extra_where;
  std::string from = core.from.empty() ? "" : EmitFromList(core.from, scope, extra_where);
  std::vector<std::string> conditions;
  if (core.where) conditions.push_back(Predicate(*core.where, scope).sql);
  for (auto& w : extra_where) conditions.push_back(w);

  EmittedQuery out;
  std::vector<std::pair<std::string, Typed>> aliases;
  std::string items;
  int assigning = 0;
  size_t index = 0;
  auto add_item = [&](Typed v, std::string name, Position pos, const std::string& var) {
    if (options.rename) {
      if (index >= options.rename->size()) {
        Error(8158, pos, "The query has more columns than were named in the column list.");
      }
      name = (*options.rename)[index];
    }
    if (!var.empty()) {
      auto it = context().variables.find(var);
      if (it != context().variables.end()) v = ConvertForVariable(v, it->second, pos);
      out.assign_to.push_back(var);
    } else if (options.target_types && index < options.target_types->size()) {
      v = ConvertForStore(v, (*options.target_types)[index], pos);
    }
    if (IsTextLike(v.type) && !v.collated) {
      v.sql += " COLLATE TSQLCI";
      v.collated = true;
    }
    items += (index ? ", " : "") + v.sql + (name.empty() ? "" : " AS " + QuoteIdent(name));
    Col col;
    col.name = name;
    col.type = v.type;
    col.nullable = v.nullable;
    col.collated = v.collated;
    out.columns.push_back(col);
    if (!name.empty()) aliases.emplace_back(name, v);
    ++index;
  };
  std::vector<std::string> assigned;
  for (const auto& item : core.items) {
    if (!item.assign_var.empty()) assigned.push_back(item.assign_var);
  }
  for (const auto& item : core.items) {
    if (!item.assign_var.empty()) {
      if (!core.from.empty() && ReadsVariable(*item.expr, assigned)) {
        // SELECT @s = @s + x FROM t accumulates row by row.
        NotSupported(item.pos, "SELECT @variable = ... that reads an assigned variable over rows");
      }
      if (!options.allow_assign) {
        Error(141, item.pos, "A SELECT statement that assigns a value to a variable must not be "
                             "combined with data-retrieval operations.");
      }
      Typed v = Expr(*item.expr, scope);
      add_item(v, "", item.pos, item.assign_var);
      ++assigning;
      continue;
    }
    if (const auto* star = item.expr->TryAs<StarExpr>()) {
      if (scope.sources.empty()) Error(263, item.pos, "Must specify table to select from.");
      bool matched = false;
      for (const auto& src : scope.sources) {
        if (!star->qualifier.empty() && !EqualsIgnoreCase(src.qualifier, star->qualifier.back())) {
          continue;
        }
        matched = true;
        for (const auto& c : src.columns) {
          Typed v;
          v.sql = c.sql;
          v.type = c.type;
          v.nullable = c.nullable;
          v.collated = c.collated;
          add_item(v, c.name, item.pos, "");
        }
      }
      if (!matched) {
        Error(4104, item.pos, "The multi-part identifier \"" + star->ToString() + "\" could not be bound.");
      }
      continue;
    }
    std::string alias = item.alias;
    if (EqualsIgnoreCase(alias, "text()")) alias.clear();
    Typed v = Expr(*item.expr, scope);
    add_item(v, alias.empty() ? ItemName(item) : alias, item.pos, "");
  }
  if (assigning > 0 && assigning != static_cast<int>(core.items.size())) {
    Error(141, core.pos, "A SELECT statement that assigns a value to a variable must not be "
                         "combined with data-retrieval operations.");
  }
  if (options.rename && index < options.rename->size()) {
    Error(8159, core.pos, "The column list names more columns than the query has.");
  }
  std::string sql = std::string("SELECT ") + (core.distinct ? "DISTINCT " : "") + items;
  if (!from.empty()) sql += " FROM " + from;
  if (!conditions.empty()) {
    sql += " WHERE ";
    for (size_t i = 0; i < conditions.size(); ++i) {
      sql += (i ? " AND " : "") + (conditions.size() > 1 ? "(" + conditions[i] + ")" : conditions[i]);
    }
  }
  if (!core.group_by.empty()) {
    sql += " GROUP BY ";
    for (size_t i = 0; i < core.group_by.size(); ++i) {
      sql += (i ? ", " : "") + Collated(Expr(*core.group_by[i], scope));
    }
  }
  if (core.having) sql += " HAVING " + Predicate(*core.having, scope).sql;
  if (order_by && !order_by->empty()) {
    scope.aliases = &aliases;
    sql += " " + EmitOrderBy(*order_by, scope);
    scope.aliases = nullptr;
  }
  if (core.top) {
    if (core.top_percent || core.top_with_ties) NotSupported(core.pos, "TOP PERCENT and TOP WITH TIES");
    Scope empty;
    empty.outer = outer;
    Typed n = Expr(*core.top, empty);
    if (limit) *limit = " LIMIT " + n.sql;
  }
  out.sql = sql;
  return out;
}

std::string Emitter::EmitFromList(const std::vector<TableRefPtr>& from, Scope& scope,
                                  std::vector<std::string>& extra_where) {
  std::string out;
  for (size_t i = 0; i < from.size(); ++i) {
    out += (i ? ", " : "") + EmitTableRef(*from[i], scope, extra_where, "");
  }
  return out;
}

std::string Emitter::EmitTableRef(const TableRef& ref, Scope& scope,
                                  std::vector<std::string>& extra_where,
                                  const std::string& sql_alias) {
  switch (ref.kind) {
    case TableRefKind::kNamed: return EmitNamedTable(ref.As<NamedTable>(), scope, sql_alias);
    case TableRefKind::kFunction: {
      bool correlated = false;
      return EmitFunctionTable(ref.As<FunctionTable>(), scope, sql_alias, &correlated);
    }
    case TableRefKind::kDerived: {
      const auto& d = ref.As<DerivedTable>();
      QueryOptions o;
      if (!d.column_aliases.empty()) o.rename = &d.column_aliases;
      // SQLite cannot run a derived table that reads the enclosing query.
      std::vector<std::pair<const Scope*, bool>> saved;
      for (const Scope* s = scope.outer; s; s = s->outer) {
        saved.emplace_back(s, s->referenced_from_inner);
        s->referenced_from_inner = false;
      }
      EmittedQuery e = EmitQuery(*d.query, scope.outer, o);
      bool correlated = false;
      for (auto& [s, flag] : saved) {
        correlated = correlated || (s->referenced_from_inner && !s->sources.empty());
        s->referenced_from_inner = s->referenced_from_inner || flag;
      }
      if (correlated) NotSupported(d.pos, "a derived table that reads columns of an enclosing query");
      CheckDistinctNames(e.columns, d.alias, d.pos, *this);
      std::string alias = sql_alias.empty() ? d.alias : sql_alias;
      Source src;
      src.qualifier = d.alias;
      for (auto c : e.columns) {
        if (c.name.empty()) {
          Error(8155, d.pos, "No column name was specified for a column of '" + d.alias + "'.");
        }
        c.sql = QuoteIdent(alias) + "." + QuoteIdent(c.name);
        src.columns.push_back(c);
      }
      scope.sources.push_back(std::move(src));
      return "(" + e.sql + ") AS " + QuoteIdent(alias);
    }
    case TableRefKind::kJoin: {
      const auto& j = ref.As<JoinRef>();
      std::string left = EmitTableRef(*j.left, scope, extra_where, "");
      if (j.type == JoinType::kCrossApply || j.type == JoinType::kOuterApply) {
        return left + EmitApply(j, scope, extra_where);
      }
      size_t left_end = scope.sources.size();
      std::string right = EmitTableRef(*j.right, scope, extra_where, "");
      if (j.right->kind == TableRefKind::kJoin) right = "(" + right + ")";
      auto make_nullable = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
          for (auto& c : scope.sources[i].columns) c.nullable = true;
        }
      };
      if (j.type == JoinType::kLeft || j.type == JoinType::kFull) make_nullable(left_end, scope.sources.size());
      if (j.type == JoinType::kRight || j.type == JoinType::kFull) make_nullable(0, left_end);
      static const char* const kWords[] = {" INNER JOIN ", " LEFT JOIN ", " RIGHT JOIN ",
                                           " FULL JOIN ", " CROSS JOIN "};
      std::string out = left + kWords[static_cast<int>(j.type)] + right;
      if (j.on) out += " ON " + Predicate(*j.on, scope).sql;
      return out;
    }
  }
  return "";
}

std::string Emitter::EmitNamedTable(const NamedTable& t, Scope& scope, const std::string& sql_alias) {
  std::string name = BaseName(t.name);
  std::string alias = t.alias.empty() ? name : t.alias;
  std::string as = sql_alias.empty() ? alias : sql_alias;
  Source src;
  src.qualifier = alias;
  src.sql_alias = as;
  std::string table_sql;
  if (!name.empty() && name[0] == '@') {
    auto it = context().table_variables.find(name);
    if (it == context().table_variables.end()) {
      Error(1087, t.pos, "Must declare the table variable \"" + name + "\".");
    }
    src.columns = TableColumns(it->second, QuoteIdent(as));
    src.stored_table = true;
    src.table_name = it->second.name;
    table_sql = "temp." + QuoteIdent(it->second.name);
  } else if (const CteInfo* cte = t.name.parts.size() == 1 ? FindCte(scope, name) : nullptr) {
    if (cte->in_progress) NotSupported(t.pos, "recursive common table expression " + name);
    for (auto c : cte->columns) {
      c.sql = QuoteIdent(as) + "." + QuoteIdent(c.name);
      src.columns.push_back(c);
    }
    table_sql = QuoteIdent(cte->name);
  } else {
    std::optional<TableDef> def = FindTable(name);
    if (!def) Error(208, t.pos, "Invalid object name '" + t.name.ToString() + "'.");
    src.columns = TableColumns(*def, QuoteIdent(as));
    src.stored_table = true;
    src.table_name = def->name;
    table_sql = (IsTempName(def->name) ? "temp." : "") + QuoteIdent(def->name);
  }
  scope.sources.push_back(std::move(src));
  return table_sql + " AS " + QuoteIdent(as);
}

const CreateFunctionStatement& Emitter::FunctionDefinition(const RoutineDef& routine, Position pos) {
  auto it = definitions_.find(routine.name);
  if (it == definitions_.end()) {
    ParsedBatch b = ParseBatch(routine.definition);
    if (!b.ok() || b.statements.size() != 1 ||
        b.statements[0]->kind != StmtKind::kCreateFunction) {
      Error(0, pos, "The definition of function '" + routine.name + "' cannot be read.");
    }
    it = definitions_.emplace(routine.name, std::move(b.statements[0])).first;
  }
  return it->second->As<CreateFunctionStatement>();
}

std::vector<Col> Emitter::FunctionColumns(const RoutineDef& routine, Position pos) {
  const CreateFunctionStatement& def = FunctionDefinition(routine, pos);
  std::vector<Col> cols;
  if (def.function_kind == FunctionKind::kMultiStatementTable) {
    for (const auto& c : def.table_columns) {
      Col col;
      col.name = c.name;
      col.type = TypeFromName(c.type, TypeNameUse::kDeclaration);
      col.collated = IsTextLike(col.type);
      cols.push_back(col);
    }
    return cols;
  }
  if (def.function_kind != FunctionKind::kInlineTable) {
    Error(208, pos, "Invalid object name '" + routine.name + "'.");
  }
  TranslationContext sub = context();
  for (const auto& p : routine.params) sub.variables[p.name] = p.type;
  Emitter inner(sub);
  EmittedQuery e = inner.EmitQuery(*def.inline_query, nullptr, {});
  for (const auto& d : inner.result.dependencies) result.dependencies.push_back(d);
  return e.columns;
}

std::string Emitter::EmitFunctionTable(const FunctionTable& t, Scope& scope,
                                       const std::string& sql_alias, bool* correlated) {
  std::string name = BaseName(t.name);
  std::optional<RoutineDef> routine = FindRoutine(name);
  if (!routine || (routine->kind != "IF" && routine->kind != "TF")) {
    Error(208, t.pos, "Invalid object name '" + t.name.ToString() + "'.");
  }
  if (t.args.size() != routine->params.size()) {
    Error(313, t.pos, "An insufficient number of arguments were supplied for the procedure or "
                      "function " + t.name.ToString() + ".");
  }
  // Arguments that read columns (of the sources to the left, under APPLY,
  // or of an enclosing query) change from row to row.
  Scope probe;
  probe.outer = &scope;
  int resolved = column_resolutions;
  std::vector<Typed> args;
  for (size_t i = 0; i < t.args.size(); ++i) {
    args.push_back(ConvertForStore(Expr(*t.args[i], probe), routine->params[i].type, t.args[i]->pos));
  }
  *correlated = column_resolutions != resolved;
  std::string alias = t.alias.empty() ? name : t.alias;
  std::string as = sql_alias.empty() ? alias : sql_alias;
  Source src;
  src.qualifier = alias;
  src.sql_alias = as;
  std::string sql;
  if (routine->kind == "IF" && !*correlated) {
    // An inline function with arguments known before the join: its query,
    // with the parameters replaced by the arguments.
    const CreateFunctionStatement& def = FunctionDefinition(*routine, t.pos);
    auto saved = substitutions;
    for (size_t i = 0; i < args.size(); ++i) substitutions[routine->params[i].name] = args[i];
    EmittedQuery e = EmitQuery(*def.inline_query, nullptr, {});
    substitutions = std::move(saved);
    for (auto c : e.columns) {
      c.sql = QuoteIdent(as) + "." + QuoteIdent(c.name);
      src.columns.push_back(c);
    }
    sql = "(" + e.sql + ") AS " + QuoteIdent(as);
  } else {
    for (auto c : FunctionColumns(*routine, t.pos)) {
      c.sql = QuoteIdent(as) + "." + QuoteIdent(c.name);
      src.columns.push_back(c);
    }
    sql = QuoteIdent(routine->name) + "(";
    for (size_t i = 0; i < args.size(); ++i) sql += (i ? ", " : "") + args[i].sql;
    sql += ") AS " + QuoteIdent(as);
    if (std::find(result.table_functions.begin(), result.table_functions.end(), routine->name) ==
        result.table_functions.end()) {
      result.table_functions.push_back(routine->name);
    }
  }
  scope.sources.push_back(std::move(src));
  return sql;
}

std::string Emitter::EmitApply(const JoinRef& j, Scope& scope, std::vector<std::string>& extra_where) {
  bool outer_apply = j.type == JoinType::kOuterApply;
  std::string join = outer_apply ? " LEFT JOIN " : " INNER JOIN ";
  auto make_nullable = [&](size_t from) {
    if (!outer_apply) return;
    for (size_t i = from; i < scope.sources.size(); ++i) {
      for (auto& c : scope.sources[i].columns) c.nullable = true;
    }
  };
  size_t first_new = scope.sources.size();
  if (j.right->kind == TableRefKind::kFunction) {
    bool correlated = false;
    std::string sql = EmitFunctionTable(j.right->As<FunctionTable>(), scope, "", &correlated);
    make_nullable(first_new);
    return join + sql + " ON 1";
  }
  if (j.right->kind != TableRefKind::kDerived) {
    std::string sql = EmitTableRef(*j.right, scope, extra_where, "");
    make_nullable(first_new);
    return join + sql + " ON 1";
  }
  const auto& d = j.right->As<DerivedTable>();
  const Query& q = *d.query;
  // Does the subquery read the sources to its left?
  Scope probe;
  probe.outer = &scope;
  bool before = scope.referenced_from_inner;
  scope.referenced_from_inner = false;
  QueryOptions o;
  if (!d.column_aliases.empty()) o.rename = &d.column_aliases;
  EmittedQuery whole = EmitQuery(q, &probe, o);
  bool correlated = scope.referenced_from_inner;
  scope.referenced_from_inner = before || correlated;
  Source src;
  src.qualifier = d.alias;
  if (!correlated) {
    for (auto c : whole.columns) {
      c.sql = QuoteIdent(d.alias) + "." + QuoteIdent(c.name);
      src.columns.push_back(c);
    }
    scope.sources.push_back(std::move(src));
    make_nullable(first_new);
    return join + "(" + whole.sql + ") AS " + QuoteIdent(d.alias) + " ON 1";
  }
  if (!q.body->select || !q.ctes.empty() || q.for_xml || !d.column_aliases.empty()) {
    NotSupported(j.pos, "correlated APPLY of this subquery");
  }
  const SelectCore& core = *q.body->select;
  bool aggregate_row = core.group_by.empty() && !core.distinct && !core.having &&
                       std::all_of(core.items.begin(), core.items.end(),
                                   [](const SelectItem& i) { return IsSingleRowItem(*i.expr); });
  bool top_one = false;
  if (core.top) {
    const auto* lit = core.top->TryAs<Literal>();
    top_one = lit && lit->literal_kind == LiteralKind::kInteger && lit->value == "1";
  }
  if (aggregate_row || (top_one && core.group_by.empty())) {
    // At most one row: every column becomes a correlated scalar subquery
    // (aggregates over no rows still give their one row: COUNT 0, SUM NULL).
    for (size_t i = 0; i < core.items.size(); ++i) {
      const SelectItem& item = core.items[i];
      if (item.expr->kind == ExprKind::kStar || !item.assign_var.empty()) {
        NotSupported(item.pos, "APPLY of SELECT * with TOP 1");
      }
      {
        Scope inner;
        inner.outer = &scope;
        std::vector<std::string> inner_where;
        std::string from = core.from.empty() ? "" : EmitFromList(core.from, inner, inner_where);
        Typed v = Expr(*item.expr, inner);
        std::string sql = "SELECT " + v.sql;
        if (!from.empty()) sql += " FROM " + from;
        std::vector<std::string> conds;
        if (core.where) conds.push_back(Predicate(*core.where, inner).sql);
        for (auto& w : inner_where) conds.push_back(w);
        for (size_t k = 0; k < conds.size(); ++k) sql += (k ? " AND (" : " WHERE (") + conds[k] + ")";
        if (!q.order_by.empty()) sql += " " + EmitOrderBy(q.order_by, inner);
        if (top_one) sql += " LIMIT 1";
        Col col = whole.columns[i];
        col.sql = "(" + sql + ")";
        col.nullable = true;
        src.columns.push_back(col);
      }
    }
    if (top_one && !aggregate_row && !outer_apply) extra_where.push_back("EXISTS (" + whole.sql + ")");
    scope.sources.push_back(std::move(src));
    return "";
  }
  bool simple = core.from.size() == 1 && core.from[0]->kind != TableRefKind::kJoin &&
                core.from[0]->kind != TableRefKind::kDerived && core.group_by.empty() &&
                !core.having && !core.distinct && !core.top && q.order_by.empty() &&
                std::none_of(core.items.begin(), core.items.end(), [](const SelectItem& i) {
                  const auto* f = i.expr->TryAs<FunctionCall>();
                  return f && IsAggregateFunction(f->UpperName());
                });
  if (!simple) NotSupported(j.pos, "correlated APPLY of a subquery with joins, grouping or DISTINCT");
  // A projection of one source: join that source under the APPLY's alias.
  Scope inner;
  inner.outer = &scope;
  std::vector<std::string> inner_where;
  std::string from = EmitTableRef(*core.from[0], inner, inner_where, d.alias);
  std::string on = core.where ? Predicate(*core.where, inner).sql : "1";
  for (const auto& item : core.items) {
    if (const auto* star = item.expr->TryAs<StarExpr>()) {
      (void)star;
      for (const auto& c : inner.sources[0].columns) src.columns.push_back(c);
      continue;
    }
    Typed v = Expr(*item.expr, inner);
    Col col;
    col.name = EqualsIgnoreCase(item.alias, "text()") ? "" : ItemName(item);
    col.type = v.type;
    col.collated = v.collated;
    col.sql = v.sql;
    src.columns.push_back(col);
  }
  scope.sources.push_back(std::move(src));
  make_nullable(first_new);
  return join + from + " ON " + on;
}

EmittedQuery Emitter::EmitForXml(const Query& q, const Scope* outer) {
  const ForXmlClause& x = *q.for_xml;
  if (x.mode != "PATH" || !x.has_element || !x.element.empty() || !x.directives.empty()) {
    NotSupported(q.pos, "FOR XML other than PATH('')");
  }
  if (!q.body->select || !q.ctes.empty() || q.body->select->items.size() != 1) {
    NotSupported(q.pos, "FOR XML PATH('') over anything but one column of one SELECT");
  }
  const SelectItem& item = q.body->select->items[0];
  bool named = !item.alias.empty() ? !EqualsIgnoreCase(item.alias, "text()")
                                   : item.expr->kind == ExprKind::kColumn ||
                                         item.expr->kind == ExprKind::kStar;
  if (named) NotSupported(item.pos, "FOR XML PATH('') over a named column");
  std::vector<std::string> name{"zv_xml"};
  QueryOptions o;
  o.rename = &name;
  std::string limit;
  EmittedQuery inner = EmitSelectCore(*q.body->select, outer, nullptr, o, &q.order_by, &limit);
  EmittedQuery out;
  out.sql = "SELECT tsql_xmlpath(\"zv_xml\") FROM (" + inner.sql + limit + ")";
  Col col;
  col.type = MakeType("NVARCHAR", -1);
  out.columns.push_back(col);
  return out;
}

}  // namespace zv::tsql::internal
