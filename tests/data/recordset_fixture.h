// Builders shared by the record-set tests.
#ifndef ZV_TESTS_DATA_RECORDSET_FIXTURE_H_
#define ZV_TESTS_DATA_RECORDSET_FIXTURE_H_

#include <memory>
#include <string>
#include <vector>

#include "data/datetime.h"
#include "data/decimal.h"
#include "data/error.h"
#include "data/recordset.h"

namespace zv::testing {

struct Col {
  std::string name;
  int type;
  int32_t size = 0;
  uint8_t precision = 0;
  uint8_t scale = 0;
  int32_t attributes = ado::kFldIsNullable;
};

inline std::shared_ptr<Recordset> MakeSet(const std::vector<Col>& cols,
                                          const std::vector<std::vector<Variant>>& rows) {
  auto rs = std::make_shared<Recordset>();
  for (const Col& c : cols) {
    rs->AppendField(c.name, c.type, c.size, c.attributes, c.precision, c.scale);
  }
  rs->Open();
  for (const auto& r : rows) rs->LoadRow(r);
  return rs;
}

inline Variant Dec(const char* text) { return Variant(*Decimal::Parse(text)); }
inline Variant Day(const char* iso) { return Variant(*ParseDate(iso)); }

// The values of `field` along the current view, joined by ",", read by
// walking the cursor from the first row.
inline std::string Column(Recordset& rs, const std::string& field) {
  std::string out;
  if (rs.RecordCount() == 0) return out;
  rs.MoveFirst();
  while (!rs.Eof()) {
    if (!out.empty()) out += ",";
    Variant v = rs.Value(field);
    out += v.IsNull() ? "Null" : v.ToString();
    rs.MoveNext();
  }
  return out;
}

// The error number `fn` raises, or 0.
template <typename Fn>
int32_t ErrorOf(Fn fn) {
  try {
    fn();
  } catch (const PlatformError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace zv::testing

#endif  // ZV_TESTS_DATA_RECORDSET_FIXTURE_H_
