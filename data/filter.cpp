#include "data/filter.h"

#include <algorithm>
#include <cctype>

#include "data/datetime.h"
#include "data/dispatch.h"
#include "data/error.h"
#include "data/text_compare.h"

namespace zv {
namespace {

constexpr int kMaxDepth = 100;

[[noreturn]] void Invalid(const std::string& why) {
  Raise(err::kAdoInvalidArgument,
        "Arguments are of the wrong type, are out of acceptable range, or are "
        "in conflict with one another. (" + why + ")",
        "ADODB.Recordset");
}

enum class Tok : uint8_t {
  kEnd, kWord, kBracketName, kString, kNumber, kDate, kLParen, kRParen,
  kEq, kNe, kLt, kGt, kLe, kGe
};

struct Token {
  Tok type = Tok::kEnd;
  std::string text;  // word, name, string contents, number or date text
  size_t pos = 0;
};

bool IsWordStart(unsigned char c) {
  return std::isalpha(c) || c == '_' || c >= 0x80;
}
bool IsWordChar(unsigned char c) {
  return std::isalnum(c) || c == '_' || c == '$' || c == '@' || c >= 0x80;
}

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  while (true) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
    Token t;
    t.pos = i;
    if (i >= s.size()) {
      out.push_back(t);
      return out;
    }
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '(' || c == ')') {
      t.type = c == '(' ? Tok::kLParen : Tok::kRParen;
      ++i;
    } else if (c == '=') {
      t.type = Tok::kEq;
      ++i;
    } else if (c == '<') {
      if (i + 1 < s.size() && s[i + 1] == '>') {
        t.type = Tok::kNe;
        i += 2;
      } else if (i + 1 < s.size() && s[i + 1] == '=') {
        t.type = Tok::kLe;
        i += 2;
      } else {
        t.type = Tok::kLt;
        ++i;
      }
    } else if (c == '>') {
      if (i + 1 < s.size() && s[i + 1] == '=') {
        t.type = Tok::kGe;
        i += 2;
      } else {
        t.type = Tok::kGt;
        ++i;
      }
    } else if (c == '\'') {
      t.type = Tok::kString;
      ++i;
      while (true) {
        if (i >= s.size()) Invalid("unterminated text at " + std::to_string(t.pos));
        if (s[i] == '\'') {
          if (i + 1 < s.size() && s[i + 1] == '\'') {
            t.text.push_back('\'');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        t.text.push_back(s[i++]);
      }
    } else if (c == '#') {
      t.type = Tok::kDate;
      size_t end = s.find('#', i + 1);
      if (end == std::string_view::npos) Invalid("unterminated date at " + std::to_string(i));
      t.text = std::string(s.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (c == '[') {
      t.type = Tok::kBracketName;
      ++i;
      while (true) {
        if (i >= s.size()) Invalid("unterminated name at " + std::to_string(t.pos));
        if (s[i] == ']') {
          if (i + 1 < s.size() && s[i + 1] == ']') {
            t.text.push_back(']');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        t.text.push_back(s[i++]);
      }
    } else if (std::isdigit(c) || c == '.' || c == '-' || c == '+') {
      t.type = Tok::kNumber;
      size_t start = i;
      if (c == '-' || c == '+') ++i;
      while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
      if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
          i = j;
          while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
        }
      }
      t.text = std::string(s.substr(start, i - start));
    } else if (IsWordStart(c)) {
      t.type = Tok::kWord;
      size_t start = i;
      while (i < s.size() && IsWordChar(static_cast<unsigned char>(s[i]))) ++i;
      t.text = std::string(s.substr(start, i - start));
    } else {
      Invalid("unexpected character at " + std::to_string(i));
    }
    out.push_back(std::move(t));
  }
}

bool IsKeyword(const Token& t, std::string_view word) {
  return t.type == Tok::kWord && NameEquals(t.text, word);
}

// A whole number of at most `max_digits` digits.
bool ReadInt(std::string_view s, size_t* i, int max_digits, int* out) {
  int n = 0;
  int digits = 0;
  while (*i < s.size() && std::isdigit(static_cast<unsigned char>(s[*i])) &&
         digits < max_digits) {
    n = n * 10 + (s[*i] - '0');
    ++*i;
    ++digits;
  }
  *out = n;
  return digits > 0;
}

class Parser {
 public:
  Parser(std::vector<Token> tokens, const std::vector<FieldInfo>& fields,
         const FieldLookup& lookup)
      : tokens_(std::move(tokens)), fields_(fields), lookup_(lookup) {}

  FilterNode ParseAll() {
    FilterNode node = ParseOr(0);
    if (Peek().type != Tok::kEnd) Invalid("unexpected text at " + std::to_string(Peek().pos));
    return node;
  }

 private:
  const Token& Peek() const { return tokens_[pos_]; }
  const Token& Take() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }

  FilterNode ParseOr(int depth) {
    FilterNode first = ParseAnd(depth);
    if (!IsKeyword(Peek(), "OR")) return first;
    FilterNode node;
    node.kind = FilterNode::Kind::kOr;
    node.children.push_back(std::move(first));
    while (IsKeyword(Peek(), "OR")) {
      Take();
      node.children.push_back(ParseAnd(depth));
    }
    return node;
  }

  FilterNode ParseAnd(int depth) {
    FilterNode first = ParsePrimary(depth);
    if (!IsKeyword(Peek(), "AND")) return first;
    FilterNode node;
    node.kind = FilterNode::Kind::kAnd;
    Append(&node, std::move(first));
    while (IsKeyword(Peek(), "AND")) {
      Take();
      Append(&node, ParsePrimary(depth));
    }
    return node;
  }

  // Conjunctions inside conjunctions are flattened.
  static void Append(FilterNode* conjunction, FilterNode term) {
    if (term.kind == FilterNode::Kind::kAnd) {
      for (FilterNode& t : term.children) conjunction->children.push_back(std::move(t));
    } else {
      conjunction->children.push_back(std::move(term));
    }
  }

  FilterNode ParsePrimary(int depth) {
    if (depth > kMaxDepth) Invalid("criteria nested too deeply");
    if (Peek().type == Tok::kLParen) {
      Take();
      FilterNode inner = ParseOr(depth + 1);
      if (Peek().type != Tok::kRParen) Invalid("missing ) at " + std::to_string(Peek().pos));
      Take();
      return inner;
    }
    return ParseTerm();
  }

  int ParseField() {
    const Token& t = Take();
    if (t.type != Tok::kWord && t.type != Tok::kBracketName) {
      Invalid("field name expected at " + std::to_string(t.pos));
    }
    if (t.type == Tok::kWord) {
      for (std::string_view kw : {"AND", "OR", "NOT", "LIKE", "IS", "NULL"}) {
        if (NameEquals(t.text, kw)) Invalid("field name expected at " + std::to_string(t.pos));
      }
    }
    auto f = lookup_(t.text);
    if (!f) Invalid("unknown field " + t.text);
    return *f;
  }

  FilterNode ParseTerm() {
    FilterNode node;
    node.field = ParseField();
    const Token& t = Peek();
    if (IsKeyword(t, "IS")) {
      Take();
      node.kind = FilterNode::Kind::kIsNull;
      if (IsKeyword(Peek(), "NOT")) {
        Take();
        node.negated = true;
      }
      if (!IsKeyword(Peek(), "NULL")) Invalid("NULL expected at " + std::to_string(Peek().pos));
      Take();
      return node;
    }
    if (IsKeyword(t, "NOT") || IsKeyword(t, "LIKE")) {
      if (IsKeyword(t, "NOT")) {
        Take();
        node.negated = true;
        if (!IsKeyword(Peek(), "LIKE")) Invalid("LIKE expected at " + std::to_string(Peek().pos));
      }
      Take();
      const Token& p = Take();
      if (p.type != Tok::kString) Invalid("pattern expected at " + std::to_string(p.pos));
      node.kind = FilterNode::Kind::kLike;
      SetPattern(&node, p.text);
      return node;
    }
    switch (t.type) {
      case Tok::kEq: node.op = CompareOp::kEq; break;
      case Tok::kNe: node.op = CompareOp::kNe; break;
      case Tok::kLt: node.op = CompareOp::kLt; break;
      case Tok::kGt: node.op = CompareOp::kGt; break;
      case Tok::kLe: node.op = CompareOp::kLe; break;
      case Tok::kGe: node.op = CompareOp::kGe; break;
      default: Invalid("operator expected at " + std::to_string(t.pos));
    }
    Take();
    const Token& v = Take();
    if (IsKeyword(v, "NULL")) {
      if (node.op != CompareOp::kEq && node.op != CompareOp::kNe) {
        Invalid("NULL can only be compared with = or <>");
      }
      node.kind = FilterNode::Kind::kIsNull;
      node.negated = node.op == CompareOp::kNe;
      return node;
    }
    node.kind = FilterNode::Kind::kCompare;
    ValueClass cls = ClassOfType(fields_[node.field].type);
    // A number compared with a text field is the text as written.
    Variant literal = (cls == ValueClass::kText && v.type == Tok::kNumber)
                          ? Variant(v.text)
                          : Literal(v);
    RowStore::ReadVariant(literal, cls, &node.probe);
    if (node.probe.kind == Scalar::Kind::kUnconvertible) {
      Invalid("value does not suit field " + fields_[node.field].name);
    }
    return node;
  }

  Variant Literal(const Token& v) {
    switch (v.type) {
      case Tok::kString:
        return Variant(v.text);
      case Tok::kNumber: {
        if (auto n = NumberOfText(v.text)) {
          if (n->exact) return Variant(n->dec);
          return Variant(n->dbl);
        }
        Invalid("bad number " + v.text);
      }
      case Tok::kDate: {
        auto d = ParseFilterDate(v.text);
        if (!d) Invalid("bad date #" + v.text + "#");
        return Variant(*d);
      }
      case Tok::kWord:
        if (NameEquals(v.text, "TRUE")) return Variant(true);
        if (NameEquals(v.text, "FALSE")) return Variant(false);
        [[fallthrough]];
      default:
        Invalid("value expected at " + std::to_string(v.pos));
    }
  }

  static void SetPattern(FilterNode* node, std::string_view raw) {
    auto wild = [](char c) { return c == '*' || c == '%'; };
    bool lead = !raw.empty() && wild(raw.front());
    if (lead) raw.remove_prefix(1);
    bool trail = !raw.empty() && wild(raw.back());
    if (trail) raw.remove_suffix(1);
    if (std::any_of(raw.begin(), raw.end(), wild)) {
      // Only a run of wildcards may stand alone; inside a pattern they are
      // not supported.
      if (!std::all_of(raw.begin(), raw.end(), wild)) {
        Invalid("a wildcard may only begin or end a LIKE pattern");
      }
      raw = {};
      lead = true;
    }
    using Shape = FilterNode::LikeShape;
    if (raw.empty() && (lead || trail)) {
      node->shape = Shape::kAny;
    } else if (lead && trail) {
      node->shape = Shape::kContains;
    } else if (lead) {
      node->shape = Shape::kSuffix;
    } else if (trail) {
      node->shape = Shape::kPrefix;
    } else {
      node->shape = Shape::kExact;
    }
    node->pattern = text::FoldText(raw);
    if (node->shape == Shape::kExact || node->shape == Shape::kSuffix) {
      node->pattern = std::string(text::TrimTrailingBlanks(node->pattern));
    }
  }

  std::vector<Token> tokens_;
  size_t pos_ = 0;
  const std::vector<FieldInfo>& fields_;
  const FieldLookup& lookup_;
};

bool LikeMatches(const FilterNode& node, std::string_view value) {
  using Shape = FilterNode::LikeShape;
  if (node.shape == Shape::kAny) return true;
  std::string folded = text::FoldText(value);
  std::string_view v = folded;
  const std::string& p = node.pattern;
  switch (node.shape) {
    case Shape::kExact:
      return text::TrimTrailingBlanks(v) == p;
    case Shape::kPrefix:
      return v.substr(0, p.size()) == p;
    case Shape::kSuffix: {
      v = text::TrimTrailingBlanks(v);
      return v.size() >= p.size() && v.substr(v.size() - p.size()) == p;
    }
    case Shape::kContains:
      return v.find(p) != std::string_view::npos;
    case Shape::kAny:
      break;
  }
  return true;
}

const char* OpText(CompareOp op) {
  switch (op) {
    case CompareOp::kEq: return "=";
    case CompareOp::kNe: return "<>";
    case CompareOp::kLt: return "<";
    case CompareOp::kGt: return ">";
    case CompareOp::kLe: return "<=";
    case CompareOp::kGe: return ">=";
  }
  return "?";
}

}  // namespace

std::optional<DateValue> ParseFilterDate(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.find('/') == std::string_view::npos) return ParseDate(text);
  // Month first, as the criteria language writes dates.
  DateParts p;
  size_t i = 0;
  if (!ReadInt(text, &i, 2, &p.month) || i >= text.size() || text[i++] != '/') return std::nullopt;
  if (!ReadInt(text, &i, 2, &p.day) || i >= text.size() || text[i++] != '/') return std::nullopt;
  if (!ReadInt(text, &i, 4, &p.year)) return std::nullopt;
  if (i < text.size()) {
    if (text[i++] != ' ') return std::nullopt;
    if (!ReadInt(text, &i, 2, &p.hour) || i >= text.size() || text[i++] != ':') return std::nullopt;
    if (!ReadInt(text, &i, 2, &p.minute)) return std::nullopt;
    if (i < text.size()) {
      if (text[i++] != ':' || !ReadInt(text, &i, 2, &p.second)) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
  }
  if (p.month < 1 || p.month > 12 || p.day < 1 || p.year < 100 ||
      p.day > DaysInMonth(p.year, p.month) || p.hour > 23 || p.minute > 59 || p.second > 59) {
    return std::nullopt;
  }
  return MakeDate(p);
}

Filter Filter::Parse(std::string_view criteria, const std::vector<FieldInfo>& fields,
                     const FieldLookup& lookup) {
  Parser parser(Tokenize(criteria), fields, lookup);
  Filter f;
  f.root_ = parser.ParseAll();
  return f;
}

bool EvalFilterNode(const FilterNode& node, const RowStore& store, uint32_t row) {
  using Kind = FilterNode::Kind;
  switch (node.kind) {
    case Kind::kAnd:
      for (const FilterNode& c : node.children) {
        if (!EvalFilterNode(c, store, row)) return false;
      }
      return true;
    case Kind::kOr:
      for (const FilterNode& c : node.children) {
        if (EvalFilterNode(c, store, row)) return true;
      }
      return false;
    case Kind::kIsNull: {
      bool null = store.At(row, node.field).IsNullish();
      return null != node.negated;
    }
    case Kind::kCompare: {
      Scalar s;
      store.Read(row, node.field, &s);
      if (s.kind == Scalar::Kind::kNull) return false;
      Order o = CompareScalars(s, node.probe);
      switch (node.op) {
        case CompareOp::kEq: return o == Order::kEqual;
        case CompareOp::kNe: return o != Order::kEqual;
        case CompareOp::kLt: return o == Order::kLess;
        case CompareOp::kGt: return o == Order::kGreater;
        case CompareOp::kLe: return o == Order::kLess || o == Order::kEqual;
        case CompareOp::kGe: return o == Order::kGreater || o == Order::kEqual;
      }
      return false;
    }
    case Kind::kLike: {
      const Cell& c = store.At(row, node.field);
      if (c.IsNullish()) return false;
      if (c.IsText()) return LikeMatches(node, store.TextOf(c)) != node.negated;
      Scalar s;
      RowStore::ReadVariant(store.Value(row, node.field), ValueClass::kText, &s);
      if (s.kind != Scalar::Kind::kText) return false;
      return LikeMatches(node, s.text) != node.negated;
    }
  }
  return false;
}

bool Filter::Matches(const RowStore& store, uint32_t row) const {
  return EvalFilterNode(root_, store, row);
}

std::optional<Filter::IndexPlan> Filter::PlanIndex(const RowStore& store) const {
  std::vector<const FilterNode*> terms;
  if (root_.kind == FilterNode::Kind::kAnd) {
    for (const FilterNode& c : root_.children) terms.push_back(&c);
  } else {
    terms.push_back(&root_);
  }
  std::vector<const FilterNode*> keys;
  IndexPlan plan;
  for (const FilterNode* t : terms) {
    bool key = ((t->kind == FilterNode::Kind::kCompare && t->op == CompareOp::kEq) ||
                (t->kind == FilterNode::Kind::kIsNull && !t->negated)) &&
               store.field_class(t->field) != ValueClass::kDynamic &&
               std::none_of(keys.begin(), keys.end(),
                            [&](const FilterNode* k) { return k->field == t->field; });
    (key ? keys : plan.residual).push_back(t);
  }
  if (keys.empty()) return std::nullopt;
  std::sort(keys.begin(), keys.end(),
            [](const FilterNode* a, const FilterNode* b) { return a->field < b->field; });
  plan.hash = kKeyHashSeed;
  for (const FilterNode* k : keys) {
    plan.columns.push_back(k->field);
    uint64_t part = k->kind == FilterNode::Kind::kIsNull ? kNullKeyPart
                                                         : *HashScalar(k->probe);
    plan.hash = CombineKeyHash(plan.hash, part);
  }
  plan.keys = std::move(keys);
  return plan;
}

bool Filter::KeyMatches(const IndexPlan& plan, const RowStore& store, uint32_t row) {
  return AllMatch(plan.keys, store, row);
}

bool Filter::AllMatch(const std::vector<const FilterNode*>& terms, const RowStore& store,
                      uint32_t row) {
  for (const FilterNode* t : terms) {
    if (!EvalFilterNode(*t, store, row)) return false;
  }
  return true;
}

std::string FilterNode::ToString(const std::vector<FieldInfo>& fields) const {
  auto join = [&](const char* sep) {
    std::string s = "(";
    for (size_t i = 0; i < children.size(); ++i) {
      if (i > 0) s += sep;
      s += children[i].ToString(fields);
    }
    return s + ")";
  };
  std::string name = field >= 0 ? "[" + fields[field].name + "]" : "";
  switch (kind) {
    case Kind::kAnd:
      return join(" AND ");
    case Kind::kOr:
      return join(" OR ");
    case Kind::kIsNull:
      return name + (negated ? " IS NOT NULL" : " IS NULL");
    case Kind::kLike: {
      std::string p;
      bool lead = shape == LikeShape::kSuffix || shape == LikeShape::kContains ||
                  shape == LikeShape::kAny;
      bool trail = shape == LikeShape::kPrefix || shape == LikeShape::kContains;
      if (lead) p.push_back('*');
      if (shape != LikeShape::kAny) p.append(pattern);
      if (trail) p.push_back('*');
      return name + (negated ? " NOT LIKE '" : " LIKE '") + p + "'";
    }
    case Kind::kCompare: {
      std::string v;
      switch (probe.kind) {
        case Scalar::Kind::kText:
          v.append("'").append(probe.text).append("'");
          break;
        case Scalar::Kind::kNumber:
          v = probe.num.exact ? probe.num.dec.ToString() : DoubleToText(probe.num.dbl);
          break;
        case Scalar::Kind::kDate:
          v.append("#").append(FormatIsoDate(DateValue{probe.date})).append("#");
          break;
        default: v = "?"; break;
      }
      return name + " " + OpText(op) + " " + v;
    }
  }
  return "";
}

}  // namespace zv
