#include "data/recordset.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "data/error.h"
#include "data/field_convert.h"
#include "data/filter.h"
#include "data/record_view.h"
#include "data/row_store.h"
#include "data/text_compare.h"

namespace zv {
namespace {

constexpr const char* kSource = "ADODB.Recordset";

[[noreturn]] void RaiseAdo(int32_t number, const std::string& detail = "") {
  std::string text;
  switch (number) {
    case err::kAdoItemNotFound:
      text = "Item cannot be found in the collection corresponding to the "
             "requested name or ordinal.";
      break;
    case err::kAdoInvalidArgument:
      text = "Arguments are of the wrong type, are out of acceptable range, or "
             "are in conflict with one another.";
      break;
    case err::kAdoBofOrEof:
      text = "Either BOF or EOF is True, or the current record has been "
             "deleted. Requested operation requires a current record.";
      break;
    case err::kAdoObjectClosed:
      text = "Operation is not allowed when the object is closed.";
      break;
    case err::kAdoObjectOpen:
      text = "Operation is not allowed when the object is open.";
      break;
    case err::kAdoRowDeleted:
      text = "Row handle referred to a deleted row or a row marked for deletion.";
      break;
    default:
      text = StandardDescription(number);
      break;
  }
  if (!detail.empty()) text += " (" + detail + ")";
  Raise(number, text, kSource);
}

// Field names are looked up without regard to ASCII case, without
// building a lower-cased copy of the name asked for.
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const {
    uint64_t h = 1469598103934665603ULL;
    for (char c : s) {
      h ^= static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
      h *= 1099511628211ULL;
    }
    return static_cast<size_t>(h);
  }
};
struct NameEq {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return NameEquals(a, b); }
};

struct SortKey {
  int field;
  bool descending;
};

// Orders two values of a sort column: Null first, then numbers and dates
// (a date counts as its day number), then texts, then values that cannot
// be read as the field's kind.
int SortCompare(const Scalar& a, const Scalar& b) {
  auto group = [](const Scalar& s) {
    switch (s.kind) {
      case Scalar::Kind::kNull: return 0;
      case Scalar::Kind::kNumber:
      case Scalar::Kind::kDate: return 1;
      case Scalar::Kind::kText: return 2;
      case Scalar::Kind::kUnconvertible: return 3;
    }
    return 3;
  };
  int ga = group(a);
  int gb = group(b);
  if (ga != gb) return ga < gb ? -1 : 1;
  if (ga == 0 || ga == 3) return 0;
  switch (CompareScalars(a, b)) {
    case Order::kLess: return -1;
    case Order::kGreater: return 1;
    default: return 0;
  }
}

}  // namespace

// --- The state of one record set -------------------------------------------------

struct Recordset::Impl {
  enum class At : uint8_t { kBof, kEof, kRow, kNew };

  std::vector<FieldInfo> fields;
  std::unordered_map<std::string, int, NameHash, NameEq> by_name;
  std::shared_ptr<RowStore> store;
  std::unique_ptr<RecordView> view;

  At at = At::kEof;
  uint32_t slot = 0;
  At at_before_add = At::kEof;
  uint32_t slot_before_add = 0;

  int edit_mode = ado::kEditNone;
  uint32_t edit_row = 0;
  std::vector<Variant> edit_values;
  std::unique_ptr<bool[]> edit_changed;
  size_t edit_changed_size = 0;

  Variant filter_value = Variant(int32_t{0});
  bool filtered = false;
  std::string sort;
  std::vector<SortKey> sort_keys;
  std::shared_ptr<Recordset> next;

  void EnsureOpen() const {
    if (!store) RaiseAdo(err::kAdoObjectClosed);
  }

  std::optional<int> Find(std::string_view name) const {
    auto it = by_name.find(name);
    if (it == by_name.end()) return std::nullopt;
    return it->second;
  }

  void CheckField(int f) const {
    if (f < 0 || f >= static_cast<int>(fields.size())) {
      RaiseAdo(err::kAdoItemNotFound, "field " + std::to_string(f));
    }
  }

  // --- Position ---

  uint32_t LiveCount() const { return view->LiveCount(); }
  bool Bof() const { return at == At::kBof || (at == At::kEof && LiveCount() == 0); }
  bool Eof() const { return at == At::kEof || (at == At::kBof && LiveCount() == 0); }

  void PlaceAtFirst() {
    auto s = view->NextLive(0);
    if (s) {
      at = At::kRow;
      slot = *s;
    } else {
      at = At::kEof;
    }
  }

  // The row under the cursor, which must exist.
  uint32_t CurrentRow() const {
    if (at != At::kRow) RaiseAdo(err::kAdoBofOrEof);
    return view->RowAt(slot);
  }

  // --- Editing ---

  // The buffer keeps its values: only the fields marked changed are read.
  void ResetEdit() { edit_mode = ado::kEditNone; }

  // The edit buffer keeps its storage from row to row: a load of many rows
  // allocates it once.
  void StartBuffer() {
    edit_values.assign(fields.size(), Variant::Null());
    ClearChanged();
  }

  // An edit of a stored row: nothing written yet.
  void StartEdit() {
    if (edit_values.size() != fields.size()) edit_values.assign(fields.size(), Variant::Null());
    ClearChanged();
  }

  void ClearChanged() {
    if (edit_changed_size != fields.size()) {
      edit_changed = std::make_unique<bool[]>(fields.size());
      edit_changed_size = fields.size();
    } else {
      std::fill_n(edit_changed.get(), fields.size(), false);
    }
  }

  void Flush(Recordset& self) {
    if (edit_mode != ado::kEditNone) Update(self);
  }

  void Update(Recordset& self) {
    EnsureOpen();
    std::span<const Variant> values(edit_values);
    if (edit_mode == ado::kEditAdd) {
      int64_t tag = store->sink ? store->sink->Insert(self, values) : 0;
      uint32_t row = store->Append(values, tag);
      slot = view->AddRow(row);
      at = At::kRow;
      ResetEdit();
    } else if (edit_mode == ado::kEditInProgress) {
      if (store->IsDeleted(edit_row)) RaiseAdo(err::kAdoRowDeleted);
      std::span<const bool> changed(edit_changed.get(), fields.size());
      if (std::find(changed.begin(), changed.end(), true) != changed.end()) {
        if (store->sink) {
          // The sink sees the whole row, as it will be.
          for (size_t i = 0; i < fields.size(); ++i) {
            if (!changed[i]) edit_values[i] = store->Value(edit_row, static_cast<int>(i));
          }
          store->sink->UpdateRow(self, store->Tag(edit_row), values, changed);
        }
        store->Write(edit_row, values, changed);
      }
      ResetEdit();
    }
  }

  void CancelUpdate() {
    if (edit_mode == ado::kEditAdd) {
      at = at_before_add;
      slot = slot_before_add;
    }
    ResetEdit();
  }

  // --- Views ---

  std::vector<uint32_t> SortRows(std::vector<uint32_t> rows) const {
    if (sort_keys.empty()) {
      std::sort(rows.begin(), rows.end());
      return rows;
    }
    const RowStore& st = *store;
    std::stable_sort(rows.begin(), rows.end(), [&](uint32_t a, uint32_t b) {
      Scalar x;
      Scalar y;
      for (const SortKey& k : sort_keys) {
        st.Read(a, k.field, &x);
        st.Read(b, k.field, &y);
        int c = SortCompare(x, y);
        if (c != 0) return k.descending ? c > 0 : c < 0;
      }
      return false;
    });
    return rows;
  }

  // Installs a view of `rows` (live rows in storage order), sorted as set.
  void InstallRows(std::vector<uint32_t> rows) {
    bool ascending = sort_keys.empty();
    if (!ascending) rows = SortRows(std::move(rows));
    view = std::make_unique<RecordView>(store, std::move(rows), ascending);
  }

  void InstallAll() {
    if (sort_keys.empty()) {
      view = std::make_unique<RecordView>(store);
    } else {
      RecordView all(store);
      InstallRows(all.LiveRows());
    }
  }

  std::vector<uint32_t> Evaluate(const zv::Filter& filter, bool use_indexes) const {
    std::vector<uint32_t> rows;
    RowStore& st = *store;
    std::optional<zv::Filter::IndexPlan> plan;
    if (use_indexes) plan = filter.PlanIndex(st);
    if (plan) {
      HashIndex& index = st.IndexOn(plan->columns);
      const HashIndex::Group* group = index.Find(
          plan->hash, [&](uint32_t r) { return zv::Filter::KeyMatches(*plan, st, r); });
      if (group) {
        rows.reserve(group->live);
        for (uint32_t r : group->rows) {
          if ((r & HashIndex::kRemoved) == 0 &&
              zv::Filter::AllMatch(plan->residual, st, r)) {
            rows.push_back(r);
          }
        }
      }
      return rows;
    }
    uint32_t n = st.row_count();
    for (uint32_t r = 0; r < n; ++r) {
      if (!st.IsDeleted(r) && filter.Matches(st, r)) rows.push_back(r);
    }
    return rows;
  }

  std::vector<SortKey> ParseSort(std::string_view text) const {
    std::vector<SortKey> keys;
    size_t i = 0;
    auto skip = [&] {
      while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    };
    skip();
    if (i == text.size()) return keys;
    while (true) {
      skip();
      std::string name;
      if (i < text.size() && text[i] == '[') {
        size_t end = text.find(']', i);
        if (end == std::string_view::npos) RaiseAdo(err::kAdoInvalidArgument, "sort");
        name = std::string(text.substr(i + 1, end - i - 1));
        i = end + 1;
      } else {
        size_t start = i;
        while (i < text.size() && text[i] != ',' && text[i] != ' ' && text[i] != '\t') ++i;
        name = std::string(text.substr(start, i - start));
      }
      auto f = Find(name);
      if (!f) RaiseAdo(err::kAdoInvalidArgument, "unknown sort field " + name);
      SortKey key{*f, false};
      skip();
      size_t start = i;
      while (i < text.size() && text[i] != ',' && text[i] != ' ' && text[i] != '\t') ++i;
      std::string_view word = text.substr(start, i - start);
      if (NameEquals(word, "DESC")) {
        key.descending = true;
      } else if (!word.empty() && !NameEquals(word, "ASC")) {
        RaiseAdo(err::kAdoInvalidArgument, "sort");
      }
      keys.push_back(key);
      skip();
      if (i == text.size()) break;
      if (text[i] != ',') RaiseAdo(err::kAdoInvalidArgument, "sort");
      ++i;
    }
    return keys;
  }

  Variant ReadValue(int f) const {
    EnsureOpen();
    CheckField(f);
    if (at == At::kNew) return edit_values[f];
    uint32_t row = CurrentRow();
    if (edit_mode == ado::kEditInProgress && edit_row == row && edit_changed[f]) {
      return edit_values[f];
    }
    if (store->IsDeleted(row)) RaiseAdo(err::kAdoRowDeleted);
    return store->Value(row, f);
  }

  // True when `value` is already what field f holds and within its limits,
  // so that ConvertForField would return it unchanged: a decimal with no
  // more decimals than the field's scale and no more whole digits than it
  // allows, or a text no longer than the field. A load writes millions of
  // such values; taking them as they are saves building a converted copy.
  bool TakesAsIs(int f, const Variant& value) const {
    const FieldInfo& field = fields[f];
    if (field.type == ado::kDecimal || field.type == ado::kNumeric) {
      if (field.precision == 0 || value.type() != VarType::kDecimal) return false;
      const Decimal d = value.ToDecimal();
      return d.scale() <= field.numeric_scale &&
             d.FitsWholeDigits(field.precision - field.numeric_scale);
    }
    if (!ado::IsTextType(field.type) || !value.IsString()) return false;
    return field.defined_size <= 0 ||
           text::CharCount(value.StringRef()) <= static_cast<size_t>(field.defined_size);
  }

  void WriteValue(int f, const Variant& value) {
    EnsureOpen();
    CheckField(f);
    const bool as_is = TakesAsIs(f, value);
    Variant converted;
    if (!as_is) converted = ConvertForField(fields[f], value);
    if (at != At::kNew) {
      uint32_t row = CurrentRow();
      if (store->IsDeleted(row)) RaiseAdo(err::kAdoRowDeleted);
      if (edit_mode == ado::kEditNone || edit_row != row) {
        // The buffer holds only the fields written; the others are read
        // from the row, which Update changes only where written.
        ResetEdit();
        StartEdit();
        edit_row = row;
        edit_mode = ado::kEditInProgress;
      }
    }
    if (as_is) {
      edit_values[f] = value;
    } else {
      edit_values[f] = std::move(converted);
    }
    edit_changed[f] = true;
  }
};

// --- ado:: type helpers live with the field conversions. ---

Recordset::Recordset() : s_(std::make_unique<Impl>()) {}
Recordset::~Recordset() = default;

// --- Fields ---------------------------------------------------------------------

void Recordset::AppendField(FieldInfo field) {
  if (s_->store) RaiseAdo(err::kAdoObjectOpen);
  if (s_->Find(field.name)) RaiseAdo(err::kAdoInvalidArgument, "duplicate field " + field.name);
  s_->by_name.emplace(field.name, static_cast<int>(s_->fields.size()));
  s_->fields.push_back(std::move(field));
}

void Recordset::AppendField(std::string name, int type, int32_t defined_size,
                            int32_t attributes, uint8_t precision, uint8_t numeric_scale) {
  FieldInfo f;
  f.name = std::move(name);
  f.type = type;
  f.defined_size = defined_size;
  f.attributes = attributes;
  f.precision = precision;
  f.numeric_scale = numeric_scale;
  AppendField(std::move(f));
}

int Recordset::FieldCount() const { return static_cast<int>(s_->fields.size()); }

const FieldInfo& Recordset::Field(int index) const {
  s_->CheckField(index);
  return s_->fields[index];
}

const std::vector<FieldInfo>& Recordset::Fields() const { return s_->fields; }

std::optional<int> Recordset::FindField(std::string_view name) const { return s_->Find(name); }

int Recordset::FieldIndex(std::string_view name) const {
  auto f = s_->Find(name);
  if (!f) RaiseAdo(err::kAdoItemNotFound, std::string(name));
  return *f;
}

// --- Opening and closing -----------------------------------------------------------

void Recordset::Open() {
  if (s_->store) RaiseAdo(err::kAdoObjectOpen);
  s_->store = std::make_shared<RowStore>(s_->fields);
  s_->view = std::make_unique<RecordView>(s_->store);
  s_->at = Impl::At::kEof;
  s_->filter_value = Variant(int32_t{0});
  s_->filtered = false;
  s_->sort.clear();
  s_->sort_keys.clear();
  s_->ResetEdit();
}

void Recordset::Close() {
  s_->EnsureOpen();
  s_->ResetEdit();
  s_->view.reset();
  s_->store.reset();
  s_->at = Impl::At::kEof;
  s_->filter_value = Variant(int32_t{0});
  s_->filtered = false;
  s_->sort.clear();
  s_->sort_keys.clear();
}

int Recordset::State() const { return s_->store ? ado::kStateOpen : ado::kStateClosed; }

// --- Cursor -------------------------------------------------------------------------

bool Recordset::Eof() const {
  s_->EnsureOpen();
  return s_->at != Impl::At::kNew && s_->Eof();
}

bool Recordset::Bof() const {
  s_->EnsureOpen();
  return s_->at != Impl::At::kNew && s_->Bof();
}

void Recordset::MoveFirst() {
  s_->EnsureOpen();
  s_->Flush(*this);
  s_->PlaceAtFirst();
}

void Recordset::MoveLast() {
  s_->EnsureOpen();
  s_->Flush(*this);
  auto s = s_->view->PreviousLive(static_cast<int64_t>(s_->view->slots()) - 1);
  if (s) {
    s_->at = Impl::At::kRow;
    s_->slot = *s;
  } else {
    s_->at = Impl::At::kEof;
  }
}

void Recordset::MoveNext() {
  s_->EnsureOpen();
  if (s_->at != Impl::At::kNew && s_->Eof()) RaiseAdo(err::kAdoBofOrEof);
  s_->Flush(*this);
  uint32_t from = s_->at == Impl::At::kBof ? 0 : s_->slot + 1;
  auto s = s_->view->NextLive(from);
  if (s) {
    s_->at = Impl::At::kRow;
    s_->slot = *s;
  } else {
    s_->at = Impl::At::kEof;
  }
}

void Recordset::MovePrevious() {
  s_->EnsureOpen();
  if (s_->at != Impl::At::kNew && s_->Bof()) RaiseAdo(err::kAdoBofOrEof);
  s_->Flush(*this);
  int64_t from = s_->at == Impl::At::kEof ? static_cast<int64_t>(s_->view->slots()) - 1
                                          : static_cast<int64_t>(s_->slot) - 1;
  auto s = s_->view->PreviousLive(from);
  if (s) {
    s_->at = Impl::At::kRow;
    s_->slot = *s;
  } else {
    s_->at = Impl::At::kBof;
  }
}

void Recordset::Move(int32_t rows) {
  s_->EnsureOpen();
  if (rows == 0) {
    if (s_->at == Impl::At::kNew) return;
    s_->CurrentRow();
    return;
  }
  if (s_->at != Impl::At::kNew) {
    if (rows > 0 && s_->Eof()) RaiseAdo(err::kAdoBofOrEof);
    if (rows < 0 && s_->Bof()) RaiseAdo(err::kAdoBofOrEof);
  }
  s_->Flush(*this);
  RecordView& v = *s_->view;
  int64_t live = v.LiveCount();
  // Rank of the current position: a deleted current row sits between the
  // live rows around it.
  int64_t target;
  switch (s_->at) {
    case Impl::At::kBof:
      target = static_cast<int64_t>(rows) - 1;
      break;
    case Impl::At::kEof:
      target = live + rows;
      break;
    default: {
      int64_t rank = v.RankOf(s_->slot);
      bool live_here = v.LiveAt(s_->slot);
      target = rank + rows - ((!live_here && rows > 0) ? 1 : 0);
      break;
    }
  }
  if (target < 0) {
    s_->at = Impl::At::kBof;
  } else if (target >= live) {
    s_->at = Impl::At::kEof;
  } else {
    s_->at = Impl::At::kRow;
    s_->slot = v.SlotOfRank(static_cast<uint32_t>(target));
  }
}

int32_t Recordset::RecordCount() const {
  s_->EnsureOpen();
  return static_cast<int32_t>(s_->LiveCount());
}

int32_t Recordset::AbsolutePosition() const {
  s_->EnsureOpen();
  switch (s_->at) {
    case Impl::At::kBof:
      return ado::kPosBOF;
    case Impl::At::kEof:
      return s_->LiveCount() == 0 ? ado::kPosBOF : ado::kPosEOF;
    case Impl::At::kNew:
      return ado::kPosUnknown;
    case Impl::At::kRow:
      if (!s_->view->LiveAt(s_->slot)) return ado::kPosUnknown;
      return static_cast<int32_t>(s_->view->RankOf(s_->slot)) + 1;
  }
  return ado::kPosUnknown;
}

void Recordset::SetAbsolutePosition(int32_t position) {
  s_->EnsureOpen();
  if (position < 1 || static_cast<uint32_t>(position) > s_->LiveCount()) {
    RaiseAdo(err::kAdoInvalidArgument, "position " + std::to_string(position));
  }
  s_->Flush(*this);
  s_->at = Impl::At::kRow;
  s_->slot = s_->view->SlotOfRank(static_cast<uint32_t>(position - 1));
}

Bookmark Recordset::GetBookmark() const {
  s_->EnsureOpen();
  return s_->CurrentRow();
}

void Recordset::SetBookmark(Bookmark bookmark) {
  s_->EnsureOpen();
  auto slot = s_->view->SlotOf(bookmark);
  if (!slot || !s_->view->LiveAt(*slot)) {
    RaiseAdo(err::kAdoInvalidArgument, "bookmark " + std::to_string(bookmark));
  }
  s_->Flush(*this);
  s_->at = Impl::At::kRow;
  s_->slot = *slot;
}

// --- Values ------------------------------------------------------------------------

Variant Recordset::Value(std::string_view field) const {
  s_->EnsureOpen();
  return s_->ReadValue(FieldIndex(field));
}

Variant Recordset::Value(int field) const { return s_->ReadValue(field); }

void Recordset::SetValue(std::string_view field, const Variant& value) {
  s_->EnsureOpen();
  s_->WriteValue(FieldIndex(field), value);
}

void Recordset::SetValue(int field, const Variant& value) { s_->WriteValue(field, value); }

// --- Editing -----------------------------------------------------------------------

void Recordset::AddNew() {
  s_->EnsureOpen();
  s_->Flush(*this);
  s_->at_before_add = s_->at;
  s_->slot_before_add = s_->slot;
  s_->StartBuffer();
  s_->edit_mode = ado::kEditAdd;
  s_->at = Impl::At::kNew;
}

void Recordset::Update() {
  s_->EnsureOpen();
  s_->Update(*this);
}

void Recordset::CancelUpdate() {
  s_->EnsureOpen();
  s_->CancelUpdate();
}

void Recordset::Delete() {
  s_->EnsureOpen();
  if (s_->edit_mode == ado::kEditAdd) {
    s_->CancelUpdate();
    return;
  }
  uint32_t row = s_->CurrentRow();
  if (s_->store->IsDeleted(row)) RaiseAdo(err::kAdoRowDeleted);
  if (s_->store->sink) s_->store->sink->DeleteRow(*this, s_->store->Tag(row));
  s_->ResetEdit();
  s_->store->Delete(row);
}

int Recordset::EditMode() const {
  s_->EnsureOpen();
  return s_->edit_mode;
}

// --- Filter and sort -----------------------------------------------------------------

void Recordset::SetFilter(const Variant& criteria) {
  s_->EnsureOpen();
  enum class What { kClear, kCriteria, kBookmarks } what = What::kClear;
  std::optional<zv::Filter> filter;
  std::vector<uint32_t> marked;
  if (criteria.IsArray()) {
    what = What::kBookmarks;
    for (const Variant& item : criteria.ToArray()->items) {
      int64_t b = -1;
      try {
        b = item.ToLongLong();
      } catch (const PlatformError&) {
      }
      if (b < 0 || b >= s_->store->row_count() ||
          s_->store->IsDeleted(static_cast<uint32_t>(b))) {
        RaiseAdo(err::kAdoInvalidArgument, "bookmark in filter");
      }
      marked.push_back(static_cast<uint32_t>(b));
    }
    std::sort(marked.begin(), marked.end());
    marked.erase(std::unique(marked.begin(), marked.end()), marked.end());
  } else if (criteria.IsString()) {
    std::string_view text = criteria.StringRef();
    if (text.find_first_not_of(" \t\r\n") != std::string_view::npos) {
      what = What::kCriteria;
      filter = zv::Filter::Parse(text, s_->fields,
                             [this](std::string_view n) { return s_->Find(n); });
    }
  } else if (criteria.IsNumber() || criteria.IsEmpty()) {
    if (!criteria.IsEmpty() && criteria.ToDouble() != 0) {
      RaiseAdo(err::kAdoInvalidArgument, "filter " + criteria.ToString());
    }
  } else {
    RaiseAdo(err::kAdoInvalidArgument, "filter of kind " + criteria.TypeName());
  }
  s_->Flush(*this);
  switch (what) {
    case What::kClear:
      s_->InstallAll();
      s_->filter_value = Variant(int32_t{0});
      s_->filtered = false;
      break;
    case What::kCriteria:
      s_->InstallRows(s_->Evaluate(*filter, use_filter_indexes));
      s_->filter_value = criteria;
      s_->filtered = true;
      break;
    case What::kBookmarks:
      s_->InstallRows(std::move(marked));
      s_->filter_value = criteria;
      s_->filtered = true;
      break;
  }
  s_->PlaceAtFirst();
}

Variant Recordset::Filter() const { return s_->filter_value; }

void Recordset::SetSort(std::string_view sort) {
  s_->EnsureOpen();
  std::vector<SortKey> keys = s_->ParseSort(sort);
  s_->Flush(*this);
  s_->sort_keys = std::move(keys);
  s_->sort = s_->sort_keys.empty() ? std::string() : std::string(sort);
  if (!s_->filtered) {
    s_->InstallAll();
  } else {
    s_->InstallRows(s_->SortRows(s_->view->LiveRows()));
  }
  s_->PlaceAtFirst();
}

const std::string& Recordset::Sort() const { return s_->sort; }

std::shared_ptr<Recordset> Recordset::Clone(int /*lock_type*/) const {
  s_->EnsureOpen();
  auto clone = std::make_shared<Recordset>();
  Impl& c = *clone->s_;
  c.fields = s_->fields;
  c.by_name = s_->by_name;
  c.store = s_->store;
  c.view = std::make_unique<RecordView>(c.store);
  c.PlaceAtFirst();
  clone->cursor_location = cursor_location;
  clone->cursor_type = cursor_type;
  clone->lock_type = lock_type;
  clone->use_filter_indexes = use_filter_indexes;
  return clone;
}

std::shared_ptr<Recordset> Recordset::DeepCopy() const {
  s_->EnsureOpen();
  auto copy = std::make_shared<Recordset>();
  for (const FieldInfo& f : s_->fields) copy->AppendField(f);
  copy->Open();
  RowStore& from = *s_->store;
  RowStore& to = *copy->s_->store;
  std::vector<Variant> values(s_->fields.size());
  for (uint32_t r = 0; r < from.row_count(); ++r) {
    if (from.IsDeleted(r)) continue;
    for (int f = 0; f < from.field_count(); ++f) values[f] = from.Value(r, f);
    to.Append(values, 0);
  }
  copy->s_->PlaceAtFirst();
  copy->cursor_location = cursor_location;
  copy->cursor_type = cursor_type;
  copy->lock_type = lock_type;
  return copy;
}

// --- Several results ------------------------------------------------------------------

std::shared_ptr<Recordset> Recordset::NextRecordset() {
  std::shared_ptr<Recordset> next = std::move(s_->next);
  s_->next.reset();
  if (s_->store) Close();
  return next;
}

void Recordset::SetNextRecordset(std::shared_ptr<Recordset> next) { s_->next = std::move(next); }

// --- For backends ---------------------------------------------------------------------

void Recordset::LoadRow(std::vector<Variant> values, int64_t tag) {
  s_->EnsureOpen();
  if (s_->edit_mode != ado::kEditNone) RaiseAdo(err::kAdoInvalidArgument, "edit pending");
  if (values.size() != s_->fields.size()) {
    RaiseAdo(err::kAdoInvalidArgument, "row of " + std::to_string(values.size()) + " values");
  }
  bool showed_nothing = s_->at != Impl::At::kRow && s_->LiveCount() == 0;
  uint32_t row = s_->store->Append(values, tag);
  uint32_t slot = s_->view->AddRow(row);
  if (showed_nothing) {
    s_->at = Impl::At::kRow;
    s_->slot = slot;
  }
}

void Recordset::SetSink(std::shared_ptr<RecordsetSink> sink) {
  s_->EnsureOpen();
  s_->store->sink = std::move(sink);
}

int64_t Recordset::CurrentTag() const {
  s_->EnsureOpen();
  return s_->store->Tag(s_->CurrentRow());
}

size_t Recordset::RowStorageBytes() const {
  s_->EnsureOpen();
  return s_->store->StorageBytes();
}

size_t Recordset::IndexBytes() const {
  s_->EnsureOpen();
  return s_->store->IndexBytes();
}

// --- Late binding -----------------------------------------------------------------------

namespace {

// Values of AddNew/Update's optional (fields, values) arguments: a single
// field and value, or two arrays of the same length.
void SetFieldValues(Recordset& rs, const Variant& names, const Variant& values) {
  auto set_one = [&](const Variant& name, const Variant& value) {
    if (name.IsString()) {
      rs.SetValue(name.StringRef(), value);
    } else {
      rs.SetValue(name.ToLong(), value);
    }
  };
  if (names.IsArray()) {
    if (!values.IsArray()) RaiseAdo(err::kAdoInvalidArgument, "values must be an array");
    const auto& n = names.ToArray()->items;
    const auto& v = values.ToArray()->items;
    if (n.size() != v.size()) RaiseAdo(err::kAdoInvalidArgument, "fields and values differ");
    for (size_t i = 0; i < n.size(); ++i) set_one(n[i], v[i]);
  } else {
    set_one(names, values);
  }
}

}  // namespace

Variant Recordset::Get(std::string_view name) {
  if (NameEquals(name, "State")) return Variant(int32_t{State()});
  if (NameEquals(name, "RecordCount")) return Variant(RecordCount());
  if (NameEquals(name, "EOF")) return Variant(Eof());
  if (NameEquals(name, "BOF")) return Variant(Bof());
  if (NameEquals(name, "Filter")) return Filter();
  if (NameEquals(name, "Sort")) return Variant(Sort());
  if (NameEquals(name, "AbsolutePosition")) return Variant(AbsolutePosition());
  if (NameEquals(name, "Bookmark")) return Variant(GetBookmark());
  if (NameEquals(name, "EditMode")) return Variant(int32_t{EditMode()});
  if (NameEquals(name, "CursorLocation")) return Variant(int32_t{cursor_location});
  if (NameEquals(name, "CursorType")) return Variant(int32_t{cursor_type});
  if (NameEquals(name, "LockType")) return Variant(int32_t{lock_type});
  if (auto f = FindField(name)) return Value(*f);
  return Dispatch::Get(name);
}

void Recordset::Put(std::string_view name, const Variant& value) {
  if (NameEquals(name, "Filter")) return SetFilter(value);
  if (NameEquals(name, "Sort")) return SetSort(value.IsNull() ? "" : value.ToString());
  if (NameEquals(name, "AbsolutePosition")) return SetAbsolutePosition(value.ToLong());
  if (NameEquals(name, "Bookmark")) {
    int64_t b = value.ToLongLong();
    if (b < 0 || b > UINT32_MAX) RaiseAdo(err::kAdoInvalidArgument, "bookmark");
    return SetBookmark(static_cast<Bookmark>(b));
  }
  if (NameEquals(name, "CursorLocation")) {
    cursor_location = value.ToLong();
    return;
  }
  if (NameEquals(name, "CursorType")) {
    cursor_type = value.ToLong();
    return;
  }
  if (NameEquals(name, "LockType")) {
    lock_type = value.ToLong();
    return;
  }
  if (auto f = FindField(name)) return SetValue(*f, value);
  Dispatch::Put(name, value);
}

Variant Recordset::Invoke(std::string_view name, std::span<Variant> args) {
  auto arg = [&](size_t i) { return i < args.size() ? args[i] : Variant(); };
  if (NameEquals(name, "MoveFirst")) return MoveFirst(), Variant();
  if (NameEquals(name, "MoveNext")) return MoveNext(), Variant();
  if (NameEquals(name, "MovePrevious")) return MovePrevious(), Variant();
  if (NameEquals(name, "MoveLast")) return MoveLast(), Variant();
  if (NameEquals(name, "Move")) return Move(arg(0).ToLong()), Variant();
  if (NameEquals(name, "AddNew")) {
    AddNew();
    if (!args.empty()) {
      SetFieldValues(*this, arg(0), arg(1));
      Update();
    }
    return Variant();
  }
  if (NameEquals(name, "Update") || NameEquals(name, "UpdateBatch")) {
    if (!args.empty()) SetFieldValues(*this, arg(0), arg(1));
    Update();
    return Variant();
  }
  if (NameEquals(name, "CancelUpdate")) return CancelUpdate(), Variant();
  if (NameEquals(name, "Delete")) return Delete(), Variant();
  if (NameEquals(name, "Close")) return Close(), Variant();
  if (NameEquals(name, "Open")) return Open(), Variant();
  if (NameEquals(name, "Clone")) {
    return Variant(std::shared_ptr<Dispatch>(Clone()));
  }
  if (NameEquals(name, "NextRecordset")) {
    auto next = NextRecordset();
    return next ? Variant(std::shared_ptr<Dispatch>(std::move(next))) : Variant::Nothing();
  }
  if (NameEquals(name, "Fields") || NameEquals(name, "Collect")) {
    if (args.empty()) RaiseAdo(err::kAdoItemNotFound, "field name expected");
    const Variant& key = args[0];
    if (args.size() > 1) {
      // Fields(name) = value
      if (key.IsString()) {
        SetValue(key.StringRef(), args[1]);
      } else {
        SetValue(key.ToLong(), args[1]);
      }
      return Variant();
    }
    return key.IsString() ? Value(key.StringRef()) : Value(key.ToLong());
  }
  if (args.empty()) return Get(name);
  return Dispatch::Invoke(name, args);
}

// --- Free functions ------------------------------------------------------------------------

std::string RenderRecordset(Recordset& rs) {
  rs.s_->EnsureOpen();
  std::string out;
  const auto& fields = rs.s_->fields;
  for (size_t f = 0; f < fields.size(); ++f) {
    if (f > 0) out += '|';
    out += fields[f].name;
  }
  out += '\n';
  const RowStore& store = *rs.s_->store;
  for (uint32_t row : rs.s_->view->LiveRows()) {
    for (int f = 0; f < store.field_count(); ++f) {
      if (f > 0) out += '|';
      out += store.Value(row, f).Debug();
    }
    out += '\n';
  }
  return out;
}

void ChiudiRecordset(std::shared_ptr<Recordset>& rs) {
  try {
    if (rs && rs->State() == ado::kStateOpen) rs->Close();
  } catch (...) {
    // Closing is best effort; the reference is released in any case.
  }
  rs.reset();
}

}  // namespace zv
