#include "data/sqlite/result_reader.h"

#include <algorithm>
#include <vector>

#include "data/dispatch.h"
#include "data/sqlite/catalog_store.h"
#include "data/sqlite/tsql_values.h"
#include "data/sqlite/value_codec.h"

namespace zv::sqlite {
namespace {

// The column's type and nullability from the catalogue when it reads a
// table column directly.
void FromCatalogue(Statement& st, int column, ResultColumn* c) {
  std::optional<ColumnOrigin> origin = st.Origin(column);
  if (!origin) return;
  // The catalogue knows temporary tables by their '#' names only.
  bool hash_name = !origin->table.empty() && origin->table[0] == '#';
  if ((origin->database == "temp") != hash_name) return;
  std::optional<tsql::TableDef> table = st.database().catalog().FindTable(origin->table);
  if (!table) return;
  for (const tsql::ColumnDef& def : table->columns) {
    if (NameEquals(def.name, origin->column)) {
      if (!c->type) c->type = def.type;
      if (!c->nullable) c->nullable = def.nullable;
      return;
    }
  }
}

// Accumulates what the values of a column of unknown type look like.
struct ValueSurvey {
  bool integer = false, real = false, text = false, blob = false;
  bool wide = false;  // an integer beyond 32 bits
  size_t longest = 0;

  void Add(const Variant& raw) {
    switch (raw.type()) {
      case VarType::kLongLong: {
        integer = true;
        int64_t v = raw.ToLongLong();
        if (v < INT32_MIN || v > INT32_MAX) wide = true;
        break;
      }
      case VarType::kDouble:
        real = true;
        break;
      case VarType::kString:
        text = true;
        longest = std::max(longest, CharLength(raw.StringRef()));
        break;
      default:
        break;
    }
  }

  tsql::SqlType Type() const {
    if (text && (integer || real)) return {"SQL_VARIANT"};
    if (text) return {"VARCHAR", static_cast<int32_t>(std::max<size_t>(longest, 1))};
    if (real) return {"FLOAT"};
    if (integer) return {wide ? "BIGINT" : "INT"};
    return {"INT"};
  }
};

std::vector<std::string> UniqueNames(std::vector<std::string> names) {
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (NameEquals(names[i], names[j])) {
        std::string base = names[i];
        for (int k = 1;; ++k) {
          std::string candidate = base + std::to_string(k);
          bool taken = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
            return NameEquals(n, candidate);
          });
          if (!taken) {
            names[i] = candidate;
            break;
          }
        }
        break;
      }
    }
  }
  return names;
}

}  // namespace

std::shared_ptr<Recordset> ReadRecordset(Statement& st,
                                         std::span<const ResultColumn> columns) {
  int n = st.ColumnCount();
  if (n == 0) {
    st.Run();
    return nullptr;
  }
  std::vector<ResultColumn> cols(static_cast<size_t>(n));
  std::vector<std::string> names;
  bool all_known = true;
  for (int i = 0; i < n; ++i) {
    ResultColumn& c = cols[static_cast<size_t>(i)];
    if (static_cast<size_t>(i) < columns.size()) c = columns[static_cast<size_t>(i)];
    if (!c.type || !c.nullable) FromCatalogue(st, i, &c);
    names.push_back(c.name ? *c.name : st.ColumnName(i));
    all_known = all_known && c.type.has_value();
  }
  names = UniqueNames(std::move(names));

  // Unknown types are decided from the values, so the rows are read first.
  std::vector<std::vector<Variant>> raw_rows;
  if (!all_known) {
    std::vector<ValueSurvey> surveys(static_cast<size_t>(n));
    while (st.Step()) {
      std::vector<Variant> row(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) {
        row[static_cast<size_t>(i)] = st.ColumnRaw(i);
        surveys[static_cast<size_t>(i)].Add(row[static_cast<size_t>(i)]);
      }
      raw_rows.push_back(std::move(row));
    }
    for (int i = 0; i < n; ++i) {
      ResultColumn& c = cols[static_cast<size_t>(i)];
      if (!c.type) c.type = surveys[static_cast<size_t>(i)].Type();
    }
  }

  auto rs = std::make_shared<Recordset>();
  std::vector<ColumnPlan> plans;
  for (int i = 0; i < n; ++i) {
    const ResultColumn& c = cols[static_cast<size_t>(i)];
    rs->AppendField(FieldInfoFor(names[static_cast<size_t>(i)], *c.type, c.nullable.value_or(true)));
    plans.push_back(PlanFor(*c.type));
  }
  rs->Open();
  if (all_known) {
    while (st.Step()) {
      std::vector<Variant> row(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i)
        row[static_cast<size_t>(i)] = DecodeColumn(st, i, plans[static_cast<size_t>(i)]);
      rs->LoadRow(std::move(row));
    }
  } else {
    for (std::vector<Variant>& raw : raw_rows) {
      for (int i = 0; i < n; ++i) {
        Variant& v = raw[static_cast<size_t>(i)];
        v = FromStorage(v, *cols[static_cast<size_t>(i)].type);
      }
      rs->LoadRow(std::move(raw));
    }
  }
  if (rs->RecordCount() > 0) rs->MoveFirst();
  return rs;
}

}  // namespace zv::sqlite
