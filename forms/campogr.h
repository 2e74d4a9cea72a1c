// CLSPD_CAMPOGR: the description of one field the grid viewer can show:
// which record-set field, its caption and format, its data type, what the
// viewer does with its values and how the grid edits it.
#ifndef ZV_FORMS_CAMPOGR_H_
#define ZV_FORMS_CAMPOGR_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "data/dispatch.h"
#include "data/recordset.h"
#include "shell/trace.h"

namespace zv {

// What the grid viewer does with a field's values when it lays rows out by
// variant: nothing, adds them up, or moves them to the cell.
enum EnumIndOperazione : int32_t {
  VstNessuna = 0,
  vstSomma = 1,
  VstMuove = 2,
};

class CLSPD_CAMPOGR : public Dispatch {
 public:
  CLSPD_CAMPOGR() = default;
  CLSPD_CAMPOGR(const CLSPD_CAMPOGR&) = delete;
  CLSPD_CAMPOGR& operator=(const CLSPD_CAMPOGR&) = delete;
  ~CLSPD_CAMPOGR() override = default;

  // Late-bound access to the fields below by name (case-insensitive).
  // A value that cannot be converted to the field's type raises the
  // platform's conversion error before anything is stored; an unknown name
  // raises error 438.
  std::string TypeName() const override { return "CLSPD_CAMPOGR"; }
  Variant Get(std::string_view name) override;
  void Put(std::string_view name, const Variant& value) override;

 private:
  // Declared first so that the creation line is written before the fields
  // are set and the destruction line after everything else.
  ObjectTrace trace_{"CLSPD_CAMPOGR"};

 public:
  std::string NomeCampo;     // name of the record-set field
  std::string CaptionCampo;  // caption shown to the user
  std::string FormatoCampo;  // display format of the values
  int32_t TipoCampo = ado::kVariant;  // data type code of the field
  EnumIndOperazione IndOperazione = VstNessuna;
  int32_t TipoCampoDxGrid = 0;  // column type of the data grid
  bool AllowEdit = false;
};

}  // namespace zv

#endif  // ZV_FORMS_CAMPOGR_H_
