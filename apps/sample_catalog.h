// The master data of the sample company, as the order generator uses it:
// variant dimensions and option groups, articles with their working cycle
// and bill of materials, phases, departments, customers, subcontractors,
// depots and projects.
#ifndef ZV_APPS_SAMPLE_CATALOG_H_
#define ZV_APPS_SAMPLE_CATALOG_H_

#include <cstdint>
#include <string>
#include <vector>

#include "apps/sample_generator.h"
#include "apps/sample_rows.h"
#include "data/decimal.h"

namespace zv::sample::internal {

// Variant code layout: colour, size (the grid dimension), fit.
inline constexpr const char* kDimColour = "A0";
inline constexpr const char* kDimSize = "A1";
inline constexpr const char* kDimFit = "A2";
inline constexpr int kColourStart = 1, kColourSize = 3;
inline constexpr int kSizeStart = 4, kSizeSize = 3;
inline constexpr int kFitStart = 7, kFitSize = 2;

// The variant code of a colour, size and fit ("" = dimension blank), with
// trailing blanks removed (the column pads it).
std::string VariantCode(const std::string& colour, const std::string& size,
                        const std::string& fit);

// Depots.
inline constexpr const char* kDepotFinished = "01";
inline constexpr const char* kDepotFabrics = "02";
inline constexpr const char* kDepotTrims = "03";
inline constexpr const char* kDepotFloor = "04";
inline constexpr const char* kDepotScrap = "09";

// Phase codes of the working cycles.
inline constexpr int kPhaseCutting = 10;
inline constexpr int kPhaseFusing = 15;
inline constexpr int kPhaseSewing = 20;
inline constexpr int kPhaseSewingOut = 25;
inline constexpr int kPhaseEmbroidery = 30;
inline constexpr int kPhaseWashing = 35;
inline constexpr int kPhasePressing = 40;
inline constexpr int kPhaseInspection = 50;

struct Colour {
  std::string code, it, en, de;
};

struct OptionGroup {
  std::string dimension;  // A0, A1, A2
  std::string code;
  std::string description;
  std::vector<std::string> options;       // in display order
  std::vector<std::string> descriptions;  // per option, within the group
};

enum class ArticleKind { kGarment, kSemiFinished, kFabric, kTrim };

// How a component's variant follows the garment's.
enum class VariantRule {
  kNone,        // the component has no variants
  kSameColour,  // the garment's colour, or the nearest one the component has
  kFixed,       // a fixed colour
  kSize,        // the garment's size (size labels)
};

struct BomLine {
  int component = -1;       // index into Catalog::articles
  Decimal per_piece;        // at the middle size of the run
  Decimal per_size_step;    // added per size above the middle, taken off below
  int phase = 0;            // phase the component is issued to
  VariantRule rule = VariantRule::kNone;
  std::string fixed_colour;
};

struct RoutingStep {
  int phase = 0;
  Decimal hours_per_piece;                  // whole phase
  std::vector<std::string> subphases;       // descriptions, empty = no sub-phases
  int supplier = -1;                        // index into Catalog::parties for external phases
  std::string machine;                      // internal phases
};

struct Article {
  std::string code;
  ArticleKind kind = ArticleKind::kGarment;
  std::string it, en, de;           // short descriptions
  std::string ext_it, ext_en, ext_de;  // extended descriptions
  std::string um1, um2;
  Decimal coeff_um2;                // second-unit quantity per first-unit quantity
  int decimals = 0;
  std::string fam, sfam, group, subgroup;
  std::string stat1, stat2, stat3, stat4;
  int state = 1;
  // Option group per dimension; "" = dimension not managed, "*" = every option.
  std::string colour_group, size_group, fit_group;
  std::vector<std::string> colours;  // assortment (subset of the colour group)
  std::vector<std::string> fits;     // assortment of fits
  Decimal cost;                      // standard cost per first unit, 2 decimals
  std::vector<RoutingStep> routing;
  std::vector<BomLine> bom;
  std::string line, department, product_type, provenance;
  int article_type = 0;
  int lead_days = 30;
  Decimal min_lot;
  std::string combination;  // suits: FA02 code shared by jacket and trousers
  int partner = -1;         // the trousers of a suit jacket
  std::string target;       // UOMO / DONNA for garments
  bool orderable = true;    // obsolete models get no new orders
};

struct Phase {
  int code = 0;
  std::string description;
  bool external = false;
  std::string department, machine;
  int supplier = -1;
  Decimal standard_hours;
};

struct Party {
  char kind = 'C';  // 'C' customer, 'F' supplier
  int32_t number = 0;
  int32_t registry = 0;
  std::string name, street, zip, town, province, country, vat;
  std::string renamed_to;  // a later name, valid from renamed_from
  int64_t renamed_from = 0;
  bool subcontractor = false;
  std::string depot;  // subcontractors only
  std::string macro_area, area, zone, macro_cat, category, sub_category, agent;
  bool uniforms = false;  // supplies of staff uniforms (orders with a job)
};

struct Project {
  std::string code, description, type, state, class_a, class_b, class_c;
  int64_t start = 0, end = 0;
};

struct Catalog {
  int32_t company = 1;
  std::string company_name, company_street, company_zip, company_town, company_province,
      company_vat;
  int64_t today = 0;  // reference day
  std::vector<Colour> colours;
  std::vector<std::string> sizes;  // every size option, in display order
  std::vector<std::pair<std::string, std::string>> fits;  // code, description
  std::vector<OptionGroup> groups;
  std::vector<Article> articles;
  std::vector<Phase> phases;
  std::vector<Party> parties;
  std::vector<Project> projects;

  const OptionGroup& Group(const std::string& dimension, const std::string& code) const;
  const Phase& PhaseByCode(int code) const;
  int ArticleIndex(const std::string& code) const;
  int PartyIndex(int32_t number) const;
  // The Italian name of a colour code.
  const std::string& ColourName(const std::string& code) const;
  // The options of an article in one dimension ("" when not managed).
  std::vector<std::string> SizesOf(const Article& article) const;
};

// The colour of `options` (an assortment) closest to `colour`: the colour
// itself, else one that goes with it, else the first of the assortment.
std::string NearestColour(const std::vector<std::string>& options, const std::string& colour);

// Builds the masters. Deterministic for the options' seed and company.
Catalog BuildCatalog(const SampleOptions& options, Rng& rng);
// Writes every master table (sample_masters.cpp).
void EmitCatalog(const Catalog& catalog, const SampleOptions& options, Emitter& out);

}  // namespace zv::sample::internal

#endif  // ZV_APPS_SAMPLE_CATALOG_H_
