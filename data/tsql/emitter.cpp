// Statements: queries, SELECT ... INTO, INSERT, UPDATE, DELETE, DDL,
// DECLARE and SET; the public entry points.
#include "data/tsql/emitter.h"

#include <algorithm>

#include "data/tsql/emitter_internal.h"
#include "data/tsql/lexer.h"

namespace zv::tsql {

bool LessIgnoreCase::operator()(const std::string& a, const std::string& b) const {
  return ToUpperAscii(a) < ToUpperAscii(b);
}

std::string SqliteColumnType(const SqlType& t) {
  if (IsTextType(t) || t.name == "UNIQUEIDENTIFIER") return "TEXT COLLATE TSQLCI";
  if (IsIntegerType(t)) return "INTEGER";
  if (IsNumericType(t)) return "REAL";
  if (IsDateType(t)) return "TEXT";
  if (t.name == "VARBINARY") return "BLOB";
  return "";
}

namespace internal {

Emitter::Emitter(const TranslationContext& context) : context_(context) {}

void Emitter::Error(int native, Position pos, const std::string& message) const {
  throw TranslateError(native, pos, message);
}

void Emitter::NotSupported(Position pos, const std::string& what) const {
  throw TranslateError(0, pos, "not supported: " + what);
}

std::optional<TableDef> Emitter::FindTable(const std::string& name) {
  if (std::find(result.dependencies.begin(), result.dependencies.end(), name) ==
      result.dependencies.end()) {
    result.dependencies.push_back(name);
  }
  if (!context_.catalog) return std::nullopt;
  return context_.catalog->FindTable(name);
}

std::optional<RoutineDef> Emitter::FindRoutine(const std::string& name) {
  if (std::find(result.dependencies.begin(), result.dependencies.end(), name) ==
      result.dependencies.end()) {
    result.dependencies.push_back(name);
  }
  if (!context_.catalog) return std::nullopt;
  return context_.catalog->FindRoutine(name);
}

void Emitter::Flush(std::string sql) {
  result.statements.push_back({std::move(sql), std::move(params_)});
  params_.clear();
}

namespace {

std::string TableSql(const std::string& name) {
  return (IsTempName(name) ? "temp." : "") + QuoteIdent(name);
}

std::string ColumnSql(const ColumnDef& c, const std::string& extra) {
  std::string type = SqliteColumnType(c.type);
  std::string out = QuoteIdent(c.name) + (type.empty() ? "" : " " + type);
  if (!c.nullable) out += " NOT NULL";
  return out + extra;
}

void ResultColumnsOf(const EmittedQuery& q, Translation& t) {
  for (const auto& c : q.columns) t.columns.push_back({c.name, ConcreteType(c.type), c.nullable});
}

}  // namespace

void Emitter::EmitStatement(const Statement& s) {
  switch (s.kind) {
    case StmtKind::kSelect: return EmitSelectStatement(s.As<SelectStatement>());
    case StmtKind::kInsert: return EmitInsert(s.As<InsertStatement>());
    case StmtKind::kUpdate: return EmitUpdate(s.As<UpdateStatement>());
    case StmtKind::kDelete: return EmitDelete(s.As<DeleteStatement>());
    case StmtKind::kCreateTable: {
      const auto& c = s.As<CreateTableStatement>();
      return EmitCreateTable(c.name, c.columns, c.constraints, false);
    }
    case StmtKind::kAlterTable: return EmitAlterTable(s.As<AlterTableStatement>());
    case StmtKind::kDrop: return EmitDrop(s.As<DropStatement>());
    case StmtKind::kCreateIndex: return EmitCreateIndex(s.As<CreateIndexStatement>());
    case StmtKind::kCreateView: return EmitCreateView(s.As<CreateViewStatement>());
    case StmtKind::kTruncate: {
      const auto& t = s.As<TruncateStatement>();
      std::string name = BaseName(t.table);
      std::optional<TableDef> def = FindTable(name);
      if (!def) Error(4701, t.pos, "Cannot find the object \"" + name + "\".");
      Flush("DELETE FROM " + TableSql(def->name));
      return;
    }
    case StmtKind::kDeclare: return EmitDeclare(s.As<DeclareStatement>());
    case StmtKind::kSetVariable: return EmitSetVariable(s.As<SetVariableStatement>());
    case StmtKind::kSetOption: return;  // session options have no effect here
    case StmtKind::kCreateProcedure:
    case StmtKind::kCreateFunction: {
      CatalogChange ch;
      ch.kind = CatalogChange::Kind::kCreateRoutine;
      ch.routine = DescribeRoutine(s);
      ch.name = ch.routine.name;
      result.catalog_changes.push_back(std::move(ch));
      return;
    }
    default:
      Error(0, s.pos, "statement is run by the batch interpreter: " + s.ToString().substr(0, 40));
  }
}

void Emitter::EmitSelectStatement(const SelectStatement& s) {
  const Query& q = *s.query;
  if (!q.body->First().into.empty()) return EmitSelectInto(q);
  QueryOptions o;
  o.allow_assign = true;
  EmittedQuery e = EmitQuery(q, nullptr, o);
  ResultColumnsOf(e, result);
  if (q.for_xml && !result.columns.empty()) {
    result.columns[0].name = "XML_F52E2B61-18A1-11d1-B105-00805F49916B";
  }
  result.assign_to = e.assign_to;
  result.returns_rows = e.assign_to.empty();
  Flush(e.sql);
}

void Emitter::EmitSelectInto(const Query& q) {
  const SelectCore& first = q.body->First();
  std::string name = BaseName(first.into);
  if (FindTable(name)) {
    Error(2714, first.into.pos, "There is already an object named '" + name + "' in the database.");
  }
  QueryOptions o;
  o.allow_into = true;
  EmittedQuery e = EmitQuery(q, nullptr, o);
  TableDef def;
  def.name = name;
  def.temporary = IsTempName(name);
  for (size_t i = 0; i < e.columns.size(); ++i) {
    const Col& c = e.columns[i];
    if (c.name.empty()) {
      Error(1038, first.pos, "An object or column name is missing or empty. For SELECT INTO "
                             "statements, verify each column has a name.");
    }
    for (size_t k = 0; k < i; ++k) {
      if (EqualsIgnoreCase(e.columns[k].name, c.name)) {
        Error(2705, first.pos, "Column names in each table must be unique. Column name '" + c.name +
                                   "' in table '" + name + "' is specified more than once.");
      }
    }
    ColumnDef col;
    col.name = c.name;
    col.type = ConcreteType(c.type);
    col.nullable = c.nullable;
    def.columns.push_back(col);
  }
  std::string create = "CREATE TABLE " + TableSql(name) + " (";
  std::string list;
  for (size_t i = 0; i < def.columns.size(); ++i) {
    create += (i ? ", " : "") + ColumnSql(def.columns[i], "");
    list += (i ? ", " : "") + QuoteIdent(def.columns[i].name);
  }
  create += ")";
  // The CREATE has no parameters; the query's belong to the INSERT.
  std::vector<std::string> query_params = std::move(params_);
  params_.clear();
  Flush(create);
  params_ = std::move(query_params);
  Flush("INSERT INTO " + TableSql(name) + " (" + list + ") " + e.sql);
  Translation& r = result;
  CatalogChange ch;
  ch.kind = CatalogChange::Kind::kCreateTable;
  ch.name = name;
  ch.table = std::move(def);
  r.catalog_changes.push_back(std::move(ch));
}

void Emitter::EmitInsert(const InsertStatement& s) {
  std::string name = BaseName(s.target);
  TableDef def;
  if (!name.empty() && name[0] == '@') {
    auto it = context().table_variables.find(name);
    if (it == context().table_variables.end()) {
      Error(1087, s.pos, "Must declare the table variable \"" + name + "\".");
    }
    def = it->second;
    def.temporary = true;
    def.name = it->second.name;
  } else {
    std::optional<TableDef> found = FindTable(name);
    if (!found) Error(208, s.target.pos, "Invalid object name '" + s.target.ToString() + "'.");
    def = *found;
  }
  std::string table = (def.temporary || IsTempName(def.name) ? "temp." : "") + QuoteIdent(def.name);
  std::vector<const ColumnDef*> targets;
  if (s.columns.empty()) {
    for (const auto& c : def.columns) {
      if (!c.identity) targets.push_back(&c);
    }
  } else {
    for (const auto& n : s.columns) {
      auto it = std::find_if(def.columns.begin(), def.columns.end(),
                             [&](const ColumnDef& c) { return EqualsIgnoreCase(c.name, n); });
      if (it == def.columns.end()) Error(207, s.pos, "Invalid column name '" + n + "'.");
      targets.push_back(&*it);
    }
  }
  std::string list;
  for (size_t i = 0; i < targets.size(); ++i) list += (i ? ", " : "") + QuoteIdent(targets[i]->name);
  std::vector<CteInfo> ctes;
  std::string with = EmitCtes(s.ctes, nullptr, ctes);
  Scope holder;
  holder.ctes = &ctes;
  std::string sql = (with.empty() ? "" : with + " ") + "INSERT INTO " + table + " (" + list + ")";
  if (s.exec) NotSupported(s.pos, "INSERT ... EXEC (run by the batch interpreter)");
  if (s.default_values) {
    Flush("INSERT INTO " + table + " DEFAULT VALUES");
    return;
  }
  if (s.select) {
    std::vector<SqlType> types;
    for (const auto* c : targets) types.push_back(c->type);
    QueryOptions o;
    o.target_types = &types;
    EmittedQuery e = EmitQuery(*s.select, &holder, o);
    if (e.columns.size() != targets.size()) {
      Error(213, s.pos, "Column name or number of supplied values does not match table definition.");
    }
    Flush(sql + " " + e.sql);
    return;
  }
  Scope& empty = holder;
  sql += " VALUES ";
  for (size_t r = 0; r < s.values.size(); ++r) {
    const auto& row = s.values[r];
    if (row.size() != targets.size()) {
      Error(s.columns.empty() ? 213 : (row.size() > targets.size() ? 110 : 109), s.pos,
            s.columns.empty()
                ? "Column name or number of supplied values does not match table definition."
                : "There are fewer columns in the INSERT statement than values specified in the "
                  "VALUES clause.");
    }
    sql += r ? ", (" : "(";
    for (size_t i = 0; i < row.size(); ++i) {
      Typed v = ConvertForStore(Expr(*row[i], empty), targets[i]->type, row[i]->pos);
      sql += (i ? ", " : "") + v.sql;
    }
    sql += ")";
  }
  Flush(sql);
}

namespace {

// The FROM item a T-SQL UPDATE/DELETE target names: an alias, or the table
// itself when it has none.
const Source* FindTarget(const Scope& scope, const std::string& target) {
  for (const auto& src : scope.sources) {
    if (src.stored_table && EqualsIgnoreCase(src.qualifier, target)) return &src;
  }
  return nullptr;
}

}  // namespace

void Emitter::EmitUpdate(const UpdateStatement& s) {
  if (s.top) NotSupported(s.pos, "UPDATE TOP");
  std::string target = BaseName(s.target);
  std::vector<CteInfo> ctes;
  std::string with = EmitCtes(s.ctes, nullptr, ctes);
  if (!with.empty()) with += " ";
  for (const auto& c : ctes) {
    if (EqualsIgnoreCase(c.name, target)) NotSupported(s.pos, "UPDATE through a common table expression");
  }
  std::string set_list;
  auto set_clauses = [&](const Scope& scope, const TableDef& def, bool into_subquery,
                         std::string* values) {
    for (size_t i = 0; i < s.sets.size(); ++i) {
      const SetClause& c = s.sets[i];
      if (c.column[0][0] == '@') NotSupported(s.pos, "SET @variable in UPDATE");
      const std::string& col = c.column.back();
      auto it = std::find_if(def.columns.begin(), def.columns.end(),
                             [&](const ColumnDef& d) { return EqualsIgnoreCase(d.name, col); });
      if (it == def.columns.end()) Error(207, c.value->pos, "Invalid column name '" + col + "'.");
      Typed v = ConvertForStore(Expr(*c.value, scope), it->type, c.value->pos);
      if (into_subquery) {
        *values += ", " + v.sql + " AS " + QuoteIdent("v" + std::to_string(i));
        set_list += (i ? ", " : "") + QuoteIdent(it->name) + " = " + QuoteIdent("zv_u") + "." +
                    QuoteIdent("v" + std::to_string(i));
      } else {
        set_list += (i ? ", " : "") + QuoteIdent(it->name) + " = " + v.sql;
      }
    }
  };
  auto table_def = [&](const std::string& name, Position pos) {
    if (!name.empty() && name[0] == '@') {
      auto it = context().table_variables.find(name);
      if (it == context().table_variables.end()) {
        Error(1087, pos, "Must declare the table variable \"" + name + "\".");
      }
      TableDef d = it->second;
      d.temporary = true;
      return d;
    }
    std::optional<TableDef> d = FindTable(name);
    if (!d) Error(208, pos, "Invalid object name '" + name + "'.");
    return *d;
  };
  if (s.from.empty()) {
    TableDef def = table_def(target, s.target.pos);
    std::string table = (def.temporary || IsTempName(def.name) ? "temp." : "") + QuoteIdent(def.name);
    Scope scope;
    scope.ctes = &ctes;
    Source src;
    src.qualifier = target;
    src.columns = TableColumns(def, QuoteIdent(target));
    scope.sources.push_back(std::move(src));
    set_clauses(scope, def, false, nullptr);
    std::string sql = with + "UPDATE " + table + " AS " + QuoteIdent(target) + " SET " + set_list;
    if (s.where) sql += " WHERE " + Predicate(*s.where, scope).sql;
    Flush(sql);
    return;
  }
  Scope scope;
  scope.ctes = &ctes;
  std::vector<std::string> extra_where;
  std::string from = EmitFromList(s.from, scope, extra_where);
  const Source* src = FindTarget(scope, target);
  if (!src) {
    // UPDATE t ... FROM u: t joins the FROM list implicitly.
    NamedTable implicit;
    implicit.pos = s.target.pos;
    implicit.name = s.target;
    Scope first;
    std::string head = EmitNamedTable(implicit, first, "");
    for (auto& other : scope.sources) first.sources.push_back(std::move(other));
    scope.sources = std::move(first.sources);
    from = head + ", " + from;
    src = &scope.sources.front();
  }
  TableDef def = table_def(src->table_name, s.target.pos);
  std::string values;
  set_clauses(scope, def, true, &values);
  std::string inner = "SELECT " + QuoteIdent(src->sql_alias) + ".rowid AS " + QuoteIdent("zv_rowid") +
                      values + " FROM " + from;
  std::vector<std::string> conds;
  if (s.where) conds.push_back(Predicate(*s.where, scope).sql);
  for (auto& w : extra_where) conds.push_back(w);
  for (size_t i = 0; i < conds.size(); ++i) inner += (i ? " AND (" : " WHERE (") + conds[i] + ")";
  std::string table = (def.temporary || IsTempName(def.name) ? "temp." : "") + QuoteIdent(def.name);
  Flush(with + "UPDATE " + table + " AS " + QuoteIdent("zv_t") + " SET " + set_list + " FROM (" + inner +
        ") AS " + QuoteIdent("zv_u") + " WHERE " + QuoteIdent("zv_t") + ".rowid = " +
        QuoteIdent("zv_u") + "." + QuoteIdent("zv_rowid"));
}

void Emitter::EmitDelete(const DeleteStatement& s) {
  if (s.top) NotSupported(s.pos, "DELETE TOP");
  std::string target = BaseName(s.target);
  std::vector<CteInfo> ctes;
  std::string with = EmitCtes(s.ctes, nullptr, ctes);
  if (!with.empty()) with += " ";
  for (const auto& c : ctes) {
    if (EqualsIgnoreCase(c.name, target)) NotSupported(s.pos, "DELETE through a common table expression");
  }
  auto table_of = [&](const std::string& name) {
    if (!name.empty() && name[0] == '@') {
      auto it = context().table_variables.find(name);
      if (it == context().table_variables.end()) {
        Error(1087, s.pos, "Must declare the table variable \"" + name + "\".");
      }
      return "temp." + QuoteIdent(it->second.name);
    }
    std::optional<TableDef> d = FindTable(name);
    if (!d) Error(208, s.target.pos, "Invalid object name '" + name + "'.");
    return (IsTempName(d->name) ? "temp." : "") + QuoteIdent(d->name);
  };
  if (s.from.empty()) {
    Scope scope;
    scope.ctes = &ctes;
    NamedTable t;
    t.pos = s.target.pos;
    t.name = s.target;
    EmitNamedTable(t, scope, "");
    std::string sql = with + "DELETE FROM " + table_of(target) + " AS " + QuoteIdent(target);
    if (s.where) sql += " WHERE " + Predicate(*s.where, scope).sql;
    Flush(sql);
    return;
  }
  Scope scope;
  scope.ctes = &ctes;
  std::vector<std::string> extra_where;
  std::string from = EmitFromList(s.from, scope, extra_where);
  const Source* src = FindTarget(scope, target);
  if (!src) {
    NamedTable implicit;
    implicit.pos = s.target.pos;
    implicit.name = s.target;
    Scope first;
    std::string head = EmitNamedTable(implicit, first, "");
    for (auto& other : scope.sources) first.sources.push_back(std::move(other));
    scope.sources = std::move(first.sources);
    from = head + ", " + from;
    src = &scope.sources.front();
  }
  std::string inner = "SELECT " + QuoteIdent(src->sql_alias) + ".rowid FROM " + from;
  std::vector<std::string> conds;
  if (s.where) conds.push_back(Predicate(*s.where, scope).sql);
  for (auto& w : extra_where) conds.push_back(w);
  for (size_t i = 0; i < conds.size(); ++i) inner += (i ? " AND (" : " WHERE (") + conds[i] + ")";
  std::string table_name = src->table_name;
  Flush(with + "DELETE FROM " + (IsTempName(table_name) ? "temp." : std::string()) + QuoteIdent(table_name) +
        " WHERE rowid IN (" + inner + ")");
}

void Emitter::EmitCreateTable(const ObjectName& name, const std::vector<ColumnDefinition>& columns,
                              const std::vector<TableConstraint>& constraints, bool table_variable) {
  std::string base = BaseName(name);
  TableDef def;
  def.name = base;
  def.temporary = IsTempName(base) || table_variable;
  std::string sqlite_name = base;
  if (table_variable) {
    auto it = context().table_variables.find(base);
    if (it != context().table_variables.end()) sqlite_name = it->second.name;
  } else if (FindTable(base)) {
    Error(2714, name.pos, "There is already an object named '" + base + "' in the database.");
  }
  bool table_pk = std::any_of(constraints.begin(), constraints.end(), [](const TableConstraint& c) {
    return c.kind == TableConstraint::Kind::kPrimaryKey;
  });
  std::string sql = "CREATE TABLE " + std::string(def.temporary ? "temp." : "") +
                    QuoteIdent(sqlite_name) + " (";
  Scope empty;
  for (size_t i = 0; i < columns.size(); ++i) {
    const ColumnDefinition& c = columns[i];
    ColumnDef col;
    col.name = c.name;
    try {
      col.type = TypeFromName(c.type, TypeNameUse::kDeclaration);
    } catch (const TypeError& e) {
      Error(e.native_error(), c.pos, e.what());
    }
    col.nullable = c.nullability != 2 && !c.primary_key && !c.identity;
    col.identity = c.identity;
    for (const auto& prev : def.columns) {
      if (EqualsIgnoreCase(prev.name, col.name)) {
        Error(2705, c.pos, "Column names in each table must be unique. Column name '" + c.name +
                               "' in table '" + base + "' is specified more than once.");
      }
    }
    std::string col_def = QuoteIdent(c.name);
    std::string type = SqliteColumnType(col.type);
    if (c.identity) {
      if (table_pk || !IsIntegerType(col.type)) NotSupported(c.pos, "IDENTITY on a column that is not the only key");
      col_def += " INTEGER PRIMARY KEY AUTOINCREMENT";
    } else {
      if (!type.empty()) col_def += " " + type;
      if (!c.collation.empty() && IsTextType(col.type)) {
        std::string up = ToUpperAscii(c.collation);
        if (up.find("_CS") != std::string::npos || up.find("BIN") != std::string::npos) {
          col_def = QuoteIdent(c.name) + " TEXT COLLATE BINARY";
        }
      }
      if (c.nullability == 2) col_def += " NOT NULL";
      if (c.primary_key) col_def += " PRIMARY KEY";
      if (c.unique) col_def += " UNIQUE";
    }
    if (c.default_value) {
      Typed v = ConvertForStore(Expr(*c.default_value, empty), col.type, c.pos);
      col_def += " DEFAULT (" + v.sql + ")";
    }
    sql += (i ? ", " : "") + col_def;
    def.columns.push_back(col);
  }
  for (const auto& k : constraints) {
    std::string cols;
    for (size_t i = 0; i < k.columns.size(); ++i) {
      const auto& ic = k.columns[i];
      if (std::none_of(def.columns.begin(), def.columns.end(),
                       [&](const ColumnDef& d) { return EqualsIgnoreCase(d.name, ic.name); })) {
        Error(1911, name.pos, "Column name '" + ic.name + "' does not exist in the target table.");
      }
      cols += (i ? ", " : "") + QuoteIdent(ic.name) + (ic.descending ? " DESC" : "");
    }
    switch (k.kind) {
      case TableConstraint::Kind::kPrimaryKey:
        sql += ", PRIMARY KEY (" + cols + ")";
        for (auto& d : def.columns) {
          for (const auto& ic : k.columns) {
            if (EqualsIgnoreCase(d.name, ic.name)) d.nullable = false;
          }
        }
        break;
      case TableConstraint::Kind::kUnique: sql += ", UNIQUE (" + cols + ")"; break;
      case TableConstraint::Kind::kCheck: {
        Scope scope;
        Source src;
        src.columns = TableColumns(def, QuoteIdent(sqlite_name));
        for (auto& c : src.columns) c.sql = QuoteIdent(c.name);
        scope.sources.push_back(std::move(src));
        sql += ", CHECK (" + Predicate(*k.check, scope).sql + ")";
        break;
      }
    }
  }
  sql += ")";
  if (!params_.empty()) NotSupported(name.pos, "variables in a table definition");
  Flush(sql);
  CatalogChange ch;
  ch.kind = table_variable ? CatalogChange::Kind::kDeclareTableVariable
                           : CatalogChange::Kind::kCreateTable;
  ch.name = base;
  ch.table = std::move(def);
  result.catalog_changes.push_back(std::move(ch));
}

void Emitter::EmitAlterTable(const AlterTableStatement& s) {
  std::string name = BaseName(s.table);
  std::optional<TableDef> def = FindTable(name);
  if (!def) Error(4902, s.pos, "Cannot find the object \"" + name + "\".");
  std::string table = TableSql(def->name);
  Scope empty;
  for (const auto& c : s.add_columns) {
    ColumnDef col;
    col.name = c.name;
    try {
      col.type = TypeFromName(c.type, TypeNameUse::kDeclaration);
    } catch (const TypeError& e) {
      Error(e.native_error(), c.pos, e.what());
    }
    col.nullable = c.nullability != 2;
    if (c.identity || c.primary_key || c.unique) NotSupported(c.pos, "ALTER TABLE ADD with keys");
    for (const auto& prev : def->columns) {
      if (EqualsIgnoreCase(prev.name, c.name)) {
        Error(2705, c.pos, "Column names in each table must be unique. Column name '" + c.name +
                               "' in table '" + name + "' is specified more than once.");
      }
    }
    std::string type = SqliteColumnType(col.type);
    std::string sql = "ALTER TABLE " + table + " ADD COLUMN " + QuoteIdent(c.name) +
                      (type.empty() ? "" : " " + type);
    if (!col.nullable) sql += " NOT NULL";
    if (c.default_value) {
      sql += " DEFAULT (" + ConvertForStore(Expr(*c.default_value, empty), col.type, c.pos).sql + ")";
    }
    Flush(sql);
    def->columns.push_back(col);
  }
  for (const auto& d : s.drop_columns) {
    auto it = std::find_if(def->columns.begin(), def->columns.end(),
                           [&](const ColumnDef& c) { return EqualsIgnoreCase(c.name, d); });
    if (it == def->columns.end()) {
      Error(4924, s.pos, "ALTER TABLE DROP COLUMN failed because column '" + d +
                             "' does not exist in table '" + name + "'.");
    }
    def->columns.erase(it);
    Flush("ALTER TABLE " + table + " DROP COLUMN " + QuoteIdent(d));
  }
  CatalogChange ch;
  ch.kind = CatalogChange::Kind::kAlterTable;
  ch.name = def->name;
  ch.table = std::move(*def);
  result.catalog_changes.push_back(std::move(ch));
}

void Emitter::EmitDrop(const DropStatement& s) {
  for (const auto& n : s.names) {
    std::string name = BaseName(n);
    CatalogChange ch;
    ch.name = name;
    switch (s.object) {
      case ObjectKind::kTable:
      case ObjectKind::kView: {
        bool view = s.object == ObjectKind::kView;
        std::optional<TableDef> def = FindTable(name);
        if (!def) {
          if (s.if_exists) continue;
          Error(view ? 3701 : 3701, n.pos, std::string("Cannot drop the ") + (view ? "view" : "table") +
                                               " '" + name + "', because it does not exist or you "
                                               "do not have permission.");
        }
        Flush(std::string(view ? "DROP VIEW " : "DROP TABLE ") + TableSql(def->name));
        ch.kind = view ? CatalogChange::Kind::kDropView : CatalogChange::Kind::kDropTable;
        ch.name = def->name;
        break;
      }
      case ObjectKind::kProcedure:
      case ObjectKind::kFunction: {
        if (!FindRoutine(name)) {
          if (s.if_exists) continue;
          Error(3701, n.pos, "Cannot drop the " +
                                 std::string(s.object == ObjectKind::kProcedure ? "procedure" : "function") +
                                 " '" + name + "', because it does not exist or you do not have permission.");
        }
        ch.kind = CatalogChange::Kind::kDropRoutine;
        break;
      }
      case ObjectKind::kIndex: {
        // DROP INDEX ix ON t, or the older DROP INDEX t.ix.
        std::string table = !s.index_table.empty() ? BaseName(s.index_table)
                            : n.parts.size() >= 2 ? n.parts[n.parts.size() - 2] : "";
        if (table.empty()) Error(159, n.pos, "Must specify the table name and index name for the DROP INDEX statement.");
        Flush(std::string("DROP INDEX ") + (s.if_exists ? "IF EXISTS " : "") +
              (IsTempName(table) ? "temp." : "") + QuoteIdent(table + "$" + name));
        continue;
      }
    }
    result.catalog_changes.push_back(std::move(ch));
  }
}

void Emitter::EmitCreateIndex(const CreateIndexStatement& s) {
  std::string table = BaseName(s.table);
  std::optional<TableDef> def = FindTable(table);
  if (!def) Error(1088, s.pos, "Cannot find the object \"" + table + "\".");
  std::string cols;
  for (size_t i = 0; i < s.columns.size(); ++i) {
    const auto& c = s.columns[i];
    if (std::none_of(def->columns.begin(), def->columns.end(),
                     [&](const ColumnDef& d) { return EqualsIgnoreCase(d.name, c.name); })) {
      Error(1911, s.pos, "Column name '" + c.name + "' does not exist in the target table or view.");
    }
    cols += (i ? ", " : "") + QuoteIdent(c.name) + (c.descending ? " DESC" : "");
  }
  // SQLite index names are per schema, T-SQL ones per table.
  Flush(std::string("CREATE ") + (s.unique ? "UNIQUE " : "") + "INDEX " +
        (IsTempName(def->name) ? "temp." : "") + QuoteIdent(def->name + "$" + s.name) + " ON " +
        QuoteIdent(def->name) + " (" + cols + ")");
}

void Emitter::EmitCreateView(const CreateViewStatement& s) {
  std::string name = BaseName(s.name);
  bool exists = FindTable(name).has_value();
  if (exists && !s.alter && !s.or_alter) {
    Error(2714, s.pos, "There is already an object named '" + name + "' in the database.");
  }
  QueryOptions o;
  if (!s.columns.empty()) o.rename = &s.columns;
  EmittedQuery e = EmitQuery(*s.query, nullptr, o);
  if (!params_.empty()) NotSupported(s.pos, "variables in a view");
  if (exists) Flush("DROP VIEW " + QuoteIdent(name));
  Flush("CREATE VIEW " + QuoteIdent(name) + " AS " + e.sql);
  CatalogChange ch;
  ch.kind = CatalogChange::Kind::kCreateView;
  ch.name = name;
  ch.table.name = name;
  for (const auto& c : e.columns) {
    if (c.name.empty()) {
      Error(4511, s.pos, "Create View or Function failed because no column name was specified for a column.");
    }
    ch.table.columns.push_back({c.name, ConcreteType(c.type), c.nullable});
  }
  result.catalog_changes.push_back(std::move(ch));
}

void Emitter::EmitDeclare(const DeclareStatement& s) {
  Scope empty;
  std::string items;
  for (const auto& v : s.vars) {
    if (v.is_table) {
      ObjectName n;
      n.pos = v.pos;
      n.parts.push_back(v.name);
      EmitCreateTable(n, v.table_columns, v.table_constraints, true);
      continue;
    }
    if (!v.init) continue;
    SqlType type;
    try {
      type = TypeFromName(v.type, TypeNameUse::kDeclaration);
    } catch (const TypeError& e) {
      Error(e.native_error(), v.pos, e.what());
    }
    Typed value = ConvertForVariable(Expr(*v.init, empty), type, v.pos);
    items += (items.empty() ? "" : ", ") + value.sql;
    result.assign_to.push_back(v.name);
    result.columns.push_back({"", type, true});
  }
  if (!items.empty()) Flush("SELECT " + items);
}

void Emitter::EmitSetVariable(const SetVariableStatement& s) {
  auto it = context().variables.find(s.name);
  if (it == context().variables.end()) {
    Error(137, s.pos, "Must declare the scalar variable \"" + s.name + "\".");
  }
  Scope empty;
  Typed value = Expr(*s.value, empty);
  if (s.compound != BinaryOp::kEq) {
    VariableRef var;
    var.name = s.name;
    var.pos = s.pos;
    value = Arithmetic(s.compound, Variable(var), std::move(value), s.pos);
  }
  value = ConvertForVariable(value, it->second, s.pos);
  result.assign_to.push_back(s.name);
  result.columns.push_back({"", it->second, true});
  Flush("SELECT " + value.sql);
}

}  // namespace internal

bool IsTranslatable(const Statement& s) {
  switch (s.kind) {
    case StmtKind::kIf:
    case StmtKind::kWhile:
    case StmtKind::kBreak:
    case StmtKind::kContinue:
    case StmtKind::kBlock:
    case StmtKind::kTryCatch:
    case StmtKind::kExec:
    case StmtKind::kExecDynamic:
    case StmtKind::kReturn:
    case StmtKind::kRaiserror:
    case StmtKind::kThrow:
    case StmtKind::kTransaction:
    case StmtKind::kPrint:
      return false;
    case StmtKind::kInsert:
      return !s.As<InsertStatement>().exec;
    default:
      return true;
  }
}

Translation Translate(const Statement& statement, const TranslationContext& context) {
  internal::Emitter e(context);
  try {
    e.EmitStatement(statement);
  } catch (const TypeError& te) {
    throw TranslateError(te.native_error(), statement.pos, te.what());
  }
  return std::move(e.result);
}

Translation TranslateScalar(const Expr& expr, const TranslationContext& context) {
  internal::Emitter e(context);
  internal::Scope empty;
  internal::Typed v = e.Expr(expr, empty);
  e.result.columns.push_back({"", ConcreteType(v.type), v.nullable});
  e.result.returns_rows = true;
  e.Flush("SELECT " + v.sql);
  return std::move(e.result);
}

Translation TranslateCondition(const Expr& condition, const TranslationContext& context) {
  internal::Emitter e(context);
  internal::Scope empty;
  internal::Typed v = e.Predicate(condition, empty);
  e.result.columns.push_back({"", MakeType("INT"), false});
  e.result.returns_rows = true;
  e.Flush("SELECT CASE WHEN " + v.sql + " THEN 1 ELSE 0 END");
  return std::move(e.result);
}

SqlType InferExpressionType(const Expr& expr, const TranslationContext& context,
                            const std::vector<TableDef>& sources) {
  internal::Emitter e(context);
  internal::Scope scope;
  for (const auto& def : sources) {
    internal::Source src;
    src.qualifier = def.name;
    src.columns = e.TableColumns(def, internal::QuoteIdent(def.name));
    scope.sources.push_back(std::move(src));
  }
  return e.Expr(expr, scope).type;
}

RoutineDef DescribeRoutine(const Statement& s) {
  RoutineDef r;
  r.definition = s.ToString();
  const std::vector<ParameterDecl>* params = nullptr;
  if (const auto* p = s.TryAs<CreateProcedureStatement>()) {
    r.name = internal::BaseName(p->name);
    r.kind = "P";
    params = &p->params;
  } else if (const auto* f = s.TryAs<CreateFunctionStatement>()) {
    r.name = internal::BaseName(f->name);
    r.kind = f->function_kind == FunctionKind::kInlineTable ? "IF"
             : f->function_kind == FunctionKind::kMultiStatementTable ? "TF" : "FN";
    params = &f->params;
  } else {
    throw std::logic_error("DescribeRoutine needs CREATE PROCEDURE or CREATE FUNCTION");
  }
  for (const auto& p : *params) {
    ParamDef d;
    d.name = p.name;
    d.type = TypeFromName(p.type, TypeNameUse::kDeclaration);
    d.output = p.output;
    d.has_default = p.default_value != nullptr;
    if (p.default_value) d.default_text = p.default_value->ToString();
    r.params.push_back(std::move(d));
  }
  return r;
}

}  // namespace zv::tsql
