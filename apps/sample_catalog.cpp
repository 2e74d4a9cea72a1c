// Master data of the sample apparel company: a men's and women's tailoring
// house making jackets, coats, waistcoats, trousers and shirts from wool,
// cotton and linen cloth, with its own cutting room, sewing lines, pressing
// and inspection, and subcontractors for embroidery, garment washing and
// part of the sewing.
#include "apps/sample_catalog.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace zv::sample::internal {

std::string VariantCode(const std::string& colour, const std::string& size,
                        const std::string& fit) {
  std::string code(kFitStart + kFitSize - 1, ' ');
  code.replace(kColourStart - 1, std::min<size_t>(colour.size(), kColourSize), colour, 0,
               kColourSize);
  code.replace(kSizeStart - 1, std::min<size_t>(size.size(), kSizeSize), size, 0, kSizeSize);
  code.replace(kFitStart - 1, std::min<size_t>(fit.size(), kFitSize), fit, 0, kFitSize);
  while (!code.empty() && code.back() == ' ') code.pop_back();
  return code;
}

const OptionGroup& Catalog::Group(const std::string& dimension, const std::string& code) const {
  for (const auto& g : groups) {
    if (g.dimension == dimension && g.code == code) return g;
  }
  throw std::logic_error("sample catalogue: no option group " + dimension + "/" + code);
}

int Catalog::PartyIndex(int32_t number) const {
  for (size_t i = 0; i < parties.size(); ++i) {
    if (parties[i].number == number) return static_cast<int>(i);
  }
  throw std::logic_error("sample catalogue: no party " + std::to_string(number));
}

const std::string& Catalog::ColourName(const std::string& code) const {
  for (const auto& c : colours) {
    if (c.code == code) return c.it;
  }
  throw std::logic_error("sample catalogue: no colour " + code);
}

const Phase& Catalog::PhaseByCode(int code) const {
  for (const auto& p : phases) {
    if (p.code == code) return p;
  }
  throw std::logic_error("sample catalogue: no phase " + std::to_string(code));
}

int Catalog::ArticleIndex(const std::string& code) const {
  for (size_t i = 0; i < articles.size(); ++i) {
    if (articles[i].code == code) return static_cast<int>(i);
  }
  throw std::logic_error("sample catalogue: no article " + code);
}

std::vector<std::string> Catalog::SizesOf(const Article& article) const {
  if (article.size_group.empty()) return {};
  if (article.size_group == "*") return sizes;
  return Group(kDimSize, article.size_group).options;
}

std::string NearestColour(const std::vector<std::string>& options, const std::string& colour) {
  auto has = [&](const std::string& c) {
    return std::find(options.begin(), options.end(), c) != options.end();
  };
  if (has(colour)) return colour;
  // Colours that go with each other when the component has no exact match.
  static const std::map<std::string, std::vector<std::string>> kNear = {
      {"BLU", {"NER", "ANT"}}, {"NER", {"BLU", "ANT"}}, {"GRI", {"ANT", "NER"}},
      {"ANT", {"GRI", "NER"}}, {"MAR", {"TAB", "CAM", "BEI"}}, {"CAM", {"BEI", "SAB", "MAR"}},
      {"BOR", {"MAR", "NER"}}, {"BIA", {"NAT", "BEI"}}, {"CEL", {"AZZ", "BIA"}},
      {"AZZ", {"CEL", "BLU"}}, {"BEI", {"SAB", "CAM", "NAT"}}, {"SAB", {"BEI", "CAM"}},
      {"VER", {"TAB", "MAR", "BEI"}}, {"TAB", {"MAR", "CAM"}}, {"ROS", {"BIA", "BEI"}},
      {"NAT", {"BEI", "BIA"}}};
  auto it = kNear.find(colour);
  if (it != kNear.end()) {
    for (const auto& c : it->second) {
      if (has(c)) return c;
    }
  }
  return options.front();
}

namespace {

struct CompanyHeader {
  const char* name;
  const char* street;
  const char* zip;
  const char* town;
  const char* province;
  const char* vat;
};

constexpr CompanyHeader kCompanies[] = {
    {"Manifattura Sartoriale Biellese S.p.A.", "Via Cernaia 12", "13900", "Biella", "BI",
     "02154870026"},
    {"Confezioni Adriatiche S.r.l.", "Strada Statale Adriatica 88", "61122", "Pesaro", "PU",
     "01398760419"},
    {"Camiceria Partenopea S.r.l.", "Via Nuova Poggioreale 160", "80143", "Napoli", "NA",
     "07765431218"},
    {"Sartoria Veneta dell'Alta Moda S.p.A.", "Viale dell'Industria 41", "36100", "Vicenza",
     "VI", "03327610244"},
};

const std::vector<Colour>& Colours() {
  static const std::vector<Colour> kColours = {
      {"BLU", "Blu navy", "Navy blue", "Marineblau"},
      {"NER", "Nero", "Black", "Schwarz"},
      {"GRI", "Grigio medio", "Mid grey", "Mittelgrau"},
      {"ANT", "Antracite", "Charcoal", "Anthrazit"},
      {"MAR", "Marrone", "Brown", "Braun"},
      {"CAM", "Cammello", "Camel", "Kamel"},
      {"BOR", "Bordeaux", "Burgundy", "Bordeauxrot"},
      {"BIA", "Bianco", "White", "Wei\xC3\x9F"},
      {"CEL", "Celeste", "Light blue", "Hellblau"},
      {"AZZ", "Azzurro", "Sky blue", "Himmelblau"},
      {"BEI", "Beige", "Beige", "Beige"},
      {"SAB", "Sabbia", "Sand", "Sand"},
      {"VER", "Verde oliva", "Olive green", "Oliv"},
      {"TAB", "Tabacco", "Tobacco", "Tabak"},
      {"ROS", "Rosa antico", "Dusty pink", "Altrosa"},
      {"NAT", "Corno naturale", "Natural horn", "Naturhorn"},
  };
  return kColours;
}

std::string ColourName(const std::string& code) {
  for (const auto& c : Colours()) {
    if (c.code == code) return c.it;
  }
  throw std::logic_error("sample catalogue: no colour " + code);
}

Decimal Cents(int64_t cents) { return Scaled(cents, 2); }
Decimal Milli(int64_t milli) { return Scaled(milli, 3); }

// Picks `count` colours of a group, keeping the group's order.
std::vector<std::string> Assortment(Rng& rng, const std::vector<std::string>& options,
                                    size_t count) {
  std::vector<std::string> chosen = options;
  while (chosen.size() > count) chosen.erase(chosen.begin() + static_cast<long>(rng.Index(chosen.size())));
  return chosen;
}

void AddOptionGroups(Catalog& c) {
  auto colour_group = [&](std::string code, std::string description,
                          std::vector<std::string> options) {
    OptionGroup g{kDimColour, std::move(code), std::move(description), std::move(options), {}};
    for (const auto& o : g.options) g.descriptions.push_back(ColourName(o));
    c.groups.push_back(std::move(g));
  };
  colour_group("LANA", "Cartella colori lane", {"BLU", "NER", "GRI", "ANT", "MAR", "CAM", "BOR"});
  colour_group("COTONE", "Cartella colori cotoni",
               {"BIA", "CEL", "AZZ", "BEI", "SAB", "VER", "BLU", "ROS"});
  colour_group("LINO", "Cartella colori lini", {"BIA", "BEI", "SAB", "AZZ", "CEL"});
  colour_group("FODERE", "Colori fodere", {"BLU", "NER", "GRI", "BOR", "BEI"});
  colour_group("BOTTONI", "Colori bottoni in corno", {"NER", "MAR", "NAT", "BIA", "BLU"});
  colour_group("ZIP", "Colori cerniere", {"NER", "BLU", "BEI", "GRI"});
  colour_group("RICAMI", "Colori stemmi ricamati", {"BLU", "BOR", "NER"});

  auto size_group = [&](std::string code, std::string description,
                        std::vector<std::string> options, const char* prefix) {
    OptionGroup g{kDimSize, std::move(code), std::move(description), std::move(options), {}};
    for (const auto& o : g.options) g.descriptions.push_back(prefix + o);
    c.groups.push_back(std::move(g));
  };
  size_group("UOMO", "Taglie uomo 44-60", {"44", "46", "48", "50", "52", "54", "56", "58", "60"},
             "Taglia ");
  size_group("DONNA", "Taglie donna 38-50", {"38", "40", "42", "44", "46", "48", "50"},
             "Taglia ");
  size_group("CAMICIA", "Taglie camicia (collo)",
             {"37", "38", "39", "40", "41", "42", "43", "44", "45", "46"}, "Collo cm ");
  OptionGroup letters{kDimSize, "LETTERE", "Taglie a lettera XS-XXL",
                      {"XS", "S", "M", "L", "XL", "XXL"},
                      {"Extra small", "Small", "Medium", "Large", "Extra large",
                       "Extra extra large"}};
  c.groups.push_back(std::move(letters));

  c.groups.push_back(OptionGroup{kDimFit, "GIACCA", "Vestibilit\xC3\xA0 capispalla",
                                 {"RE", "SL", "CO"},
                                 {"Regolare (drop 6)", "Slim (drop 7)", "Comoda (drop 4)"}});
  c.groups.push_back(OptionGroup{kDimFit, "PANTALONE", "Vestibilit\xC3\xA0 pantaloni",
                                 {"RE", "SL"}, {"Regolare", "Slim"}});
}

void AddParties(Catalog& c) {
  int32_t registry = 100;
  auto add = [&](char kind, int32_t number, std::string name, std::string street, std::string zip,
                 std::string town, std::string province, std::string country, std::string vat,
                 std::string macro_cat, std::string category) -> Party& {
    Party p;
    p.kind = kind;
    p.number = number;
    p.registry = ++registry;
    p.name = std::move(name);
    p.street = std::move(street);
    p.zip = std::move(zip);
    p.town = std::move(town);
    p.province = std::move(province);
    p.country = std::move(country);
    p.vat = std::move(vat);
    p.macro_area = p.country == "IT" ? "ITA" : "EST";
    p.area = p.country == "IT" ? (p.province == "NA" || p.province == "PE" ? "SUD"
                                  : p.province == "RM" || p.province == "AR" ||
                                          p.province == "FI"
                                      ? "CENT"
                                      : "NORD")
                               : (p.country == "GB" ? "EXUE" : "UE");
    p.zone = p.country == "IT" ? p.province : p.country;
    p.macro_cat = std::move(macro_cat);
    p.category = std::move(category);
    p.sub_category = p.category.substr(0, 2) + "01";
    p.agent = kind == 'C' ? (p.area == "NORD" ? "AG01" : p.area == "CENT" ? "AG02" : "AG03") : "";
    c.parties.push_back(std::move(p));
    return c.parties.back();
  };
  // Customers.
  add('C', 1001, "Boutique Eleganza di Rossi Marco", "Corso Magenta 27", "20123", "Milano", "MI",
      "IT", "IT08812340151", "RET", "BOUT");
  add('C', 1002, "Grandi Magazzini Centrali S.p.A.", "Via del Corso 301", "00186", "Roma", "RM",
      "IT", "IT01234980583", "RET", "DEPT");
  add('C', 1003, "Hotel Excelsior Riviera S.r.l.", "Corso Imperatrice 70", "18038", "Sanremo",
      "IM", "IT", "IT01466780088", "COR", "HORE")
      .uniforms = true;
  add('C', 1004, "Herrenmode Bauer GmbH", "Maximilianstra\xC3\x9F" "e 14", "80539", "M\xC3\xBCnchen",
      "", "DE", "DE129847563", "WHO", "ESTE");
  add('C', 1005, "Maison de l'Homme SARL", "Rue de la R\xC3\xA9publique 52", "69002", "Lyon", "",
      "FR", "FR40512345678", "WHO", "ESTE");
  add('C', 1006, "Sartoria D'Annunzio & Figli S.n.c.", "Corso Vittorio Emanuele II 118", "65122",
      "Pescara", "PE", "IT", "IT01789450687", "RET", "BOUT");
  add('C', 1007, "Abbigliamento Torre S.r.l.", "Via Roma 255", "10123", "Torino", "TO", "IT",
      "IT09871230017", "RET", "BOUT");
  add('C', 1008, "The Gentleman's Closet Ltd", "14 Jermyn Street", "SW1Y6", "London", "", "GB",
      "GB287654321", "WHO", "ESTE");
  add('C', 1009, "Crociere Mediterranee S.p.A.", "Ponte dei Mille", "16126", "Genova", "GE", "IT",
      "IT03345670109", "COR", "NAVI")
      .uniforms = true;
  add('C', 1010, "Outlet Valdichiana Moda S.r.l.", "Via Enzo Ferrari 5", "52045",
      "Foiano della Chiana", "AR", "IT", "IT02198760514", "RET", "OUTL");
  // Subcontractors: each holds our goods in a depot of its own.
  Party& lariano = add('F', 2001, "Ricamificio Lariano S.n.c.", "Via Borgovico 193", "22100",
                       "Como", "CO", "IT", "IT02245610134", "SUB", "RICA");
  lariano.subcontractor = true;
  lariano.depot = "T1";
  lariano.renamed_to = "Ricamificio Lariano S.r.l.";
  add('F', 2002, "Confezioni Valdarno S.n.c.", "Via Chiantigiana 44", "52025", "Montevarchi",
      "AR", "IT", "IT01672340512", "SUB", "CONF")
      .subcontractor = true;
  c.parties.back().depot = "T2";
  add('F', 2003, "Laboratorio L'Ago d'Oro di Esposito Anna", "Via Aldo Moro 9", "80028",
      "Grumo Nevano", "NA", "IT", "IT07123450632", "SUB", "CONF")
      .subcontractor = true;
  c.parties.back().depot = "T3";
  add('F', 2004, "Lavanderia Industriale Brianza S.p.A.", "Via Milano 210", "20831", "Seregno",
      "MB", "IT", "IT00981230964", "SUB", "LAVA")
      .subcontractor = true;
  c.parties.back().depot = "T4";
  add('F', 2005, "Ricami Artistici Fiorentini S.r.l.", "Via Baracca 148", "50127", "Firenze",
      "FI", "IT", "IT05512340486", "SUB", "RICA")
      .subcontractor = true;
  c.parties.back().depot = "T5";
  // Suppliers of cloth and trims.
  add('F', 2101, "Lanificio Valle Cervo S.p.A.", "Via Provinciale 100", "13812", "Andorno Micca",
      "BI", "IT", "IT00123450024", "MAT", "TESS");
  add('F', 2102, "Tessitura Serica e Cotoniera Comasca S.r.l.", "Via Asiago 22", "22100", "Como",
      "CO", "IT", "IT02987650132", "MAT", "TESS");
  add('F', 2103, "Bottonificio Bergamasco S.r.l.", "Via Provinciale 15", "24064",
      "Grumello del Monte", "BG", "IT", "IT01876540163", "MAT", "ACCE");
  add('F', 2104, "Fodere e Tele Milano S.r.l.", "Viale Monza 312", "20128", "Milano", "MI", "IT",
      "IT07654320158", "MAT", "ACCE");
  add('F', 2105, "Zip & Co. Forniture per Confezione S.r.l.", "Via Sempione 71", "21015",
      "Lonate Pozzolo", "VA", "IT", "IT02345670125", "MAT", "ACCE");
  // The embroiderer changed its company form a few months ago; documents
  // before that day show the old name.
  int y, m, d;
  CivilFromDays(c.today - 120, &y, &m, &d);
  c.parties[static_cast<size_t>(c.PartyIndex(2001))].renamed_from = DaysFromCivil(y, m, 1);
}

void AddPhases(Catalog& c) {
  auto phase = [&](int code, std::string description, bool external, std::string department,
                   std::string machine, int supplier, Decimal hours) {
    c.phases.push_back(Phase{code, std::move(description), external, std::move(department),
                             std::move(machine), supplier, hours});
  };
  phase(kPhaseCutting, "Taglio", false, "TAGL", "TG-AUTO1", -1, Scaled(800, 4));
  phase(kPhaseFusing, "Adesivatura", false, "TAGL", "ADES-01", -1, Scaled(300, 4));
  phase(kPhaseSewing, "Confezione", false, "CONF", "LIN-GIAC", -1, Scaled(12500, 4));
  phase(kPhaseSewingOut, "Confezione esterna", true, "", "", c.PartyIndex(2002),
        Scaled(12500, 4));
  phase(kPhaseEmbroidery, "Ricamo", true, "", "", c.PartyIndex(2001), Scaled(500, 4));
  phase(kPhaseWashing, "Lavaggio capo", true, "", "", c.PartyIndex(2004), Scaled(500, 4));
  phase(kPhasePressing, "Stiro", false, "STIR", "STIRO-GIA", -1, Scaled(2500, 4));
  phase(kPhaseInspection, "Controllo qualit\xC3\xA0 e imbusto", false, "CTRL", "CTRL-01", -1,
        Scaled(800, 4));
}

RoutingStep Step(int phase, int64_t ten_thousandths, std::string machine = "",
                 std::vector<std::string> subphases = {}, int supplier = -1) {
  RoutingStep s;
  s.phase = phase;
  s.hours_per_piece = Scaled(ten_thousandths, 4);
  s.machine = std::move(machine);
  s.subphases = std::move(subphases);
  s.supplier = supplier;
  return s;
}

std::vector<RoutingStep> JacketRouting(const Catalog& c, bool fusing, int outside_sewer) {
  std::vector<RoutingStep> r;
  r.push_back(Step(kPhaseCutting, 1200, "TG-AUTO1"));
  if (fusing) r.push_back(Step(kPhaseFusing, 500, "ADES-01"));
  if (outside_sewer > 0) {
    r.push_back(Step(kPhaseSewingOut, 18000, "", {}, c.PartyIndex(outside_sewer)));
  } else {
    r.push_back(Step(kPhaseSewing, 18000, "LIN-GIAC",
                     {"Confezione - preparazione parti", "Confezione - montaggio",
                      "Confezione - asole e attaccatura bottoni"}));
  }
  r.push_back(Step(kPhasePressing, 3500, "STIRO-GIA"));
  r.push_back(Step(kPhaseInspection, 1000, "CTRL-01"));
  return r;
}

std::vector<RoutingStep> TrousersRouting(const Catalog& c, int outside_sewer, bool washing) {
  std::vector<RoutingStep> r;
  r.push_back(Step(kPhaseCutting, 800, "TG-AUTO1"));
  if (outside_sewer > 0) {
    r.push_back(Step(kPhaseSewingOut, 7500, "", {}, c.PartyIndex(outside_sewer)));
  } else {
    r.push_back(Step(kPhaseSewing, 7500, "LIN-PANT",
                     {"Confezione - preparazione parti", "Confezione - montaggio e finissaggio"}));
  }
  if (washing) r.push_back(Step(kPhaseWashing, 500, "", {}, c.PartyIndex(2004)));
  r.push_back(Step(kPhasePressing, 1500, "STIRO-PAN"));
  r.push_back(Step(kPhaseInspection, 600, "CTRL-01"));
  return r;
}

std::vector<RoutingStep> ShirtRouting(const Catalog& c, bool fusing, bool washing) {
  std::vector<RoutingStep> r;
  r.push_back(Step(kPhaseCutting, 600, "TG-MAN1"));
  if (fusing) r.push_back(Step(kPhaseFusing, 200, "ADES-01"));
  r.push_back(Step(kPhaseSewing, 5500, "LIN-CAMI"));
  if (washing) r.push_back(Step(kPhaseWashing, 500, "", {}, c.PartyIndex(2004)));
  r.push_back(Step(kPhasePressing, 1200, "STIRO-CAM"));
  r.push_back(Step(kPhaseInspection, 500, "CTRL-01"));
  return r;
}

Article Material(std::string code, ArticleKind kind, std::string it, std::string en,
                 std::string de, std::string composition_it, std::string composition_en,
                 std::string composition_de, std::string sfam, std::string um1,
                 std::string colour_group, Decimal coeff_kg, int decimals, Decimal cost) {
  Article a;
  a.code = std::move(code);
  a.kind = kind;
  a.ext_it = it + ". " + composition_it + ".";
  a.ext_en = en + ". " + composition_en + ".";
  a.ext_de = de + ". " + composition_de + ".";
  a.it = std::move(it);
  a.en = std::move(en);
  a.de = std::move(de);
  a.um1 = std::move(um1);
  if (!coeff_kg.IsZero()) {
    a.um2 = "KG";
    a.coeff_um2 = coeff_kg;
  }
  a.decimals = decimals;
  a.fam = kind == ArticleKind::kFabric ? "TE" : "AC";
  a.sfam = std::move(sfam);
  a.colour_group = std::move(colour_group);
  a.cost = cost;
  a.line = "";
  a.department = "";
  a.product_type = "MP";
  a.provenance = "AC";
  a.lead_days = kind == ArticleKind::kFabric ? 45 : 20;
  a.min_lot = Dec(kind == ArticleKind::kFabric ? 50 : 100);
  return a;
}

void AddMaterials(Catalog& c) {
  auto fabric = [&](std::string code, std::string it, std::string en, std::string de,
                    std::string comp_it, std::string comp_en, std::string comp_de,
                    std::string sfam, std::string group, int64_t grams_per_metre,
                    int64_t cost_cents) {
    c.articles.push_back(Material(std::move(code), ArticleKind::kFabric, std::move(it),
                                  std::move(en), std::move(de), std::move(comp_it),
                                  std::move(comp_en), std::move(comp_de), std::move(sfam), "MT",
                                  std::move(group), Milli(grams_per_metre), 2, Cents(cost_cents)));
  };
  fabric("TS-FRESCO-240", "Fresco lana Super 120's 240 g/m\xC2\xB2",
         "Wool fresco Super 120's 240 g/m\xC2\xB2", "Wollfresko Super 120's 240 g/m\xC2\xB2",
         "100% lana vergine, altezza 150 cm", "100% virgin wool, width 150 cm",
         "100% Schurwolle, Breite 150 cm", "LA", "LANA", 360, 1850);
  fabric("TS-FLANELLA-300", "Flanella di lana cardata 300 g/m\xC2\xB2",
         "Carded wool flannel 300 g/m\xC2\xB2", "Streichgarnflanell 300 g/m\xC2\xB2",
         "100% lana vergine, altezza 150 cm", "100% virgin wool, width 150 cm",
         "100% Schurwolle, Breite 150 cm", "LA", "LANA", 450, 2100);
  fabric("TS-TWEED-380", "Tweed di lana 380 g/m\xC2\xB2", "Wool tweed 380 g/m\xC2\xB2",
         "Wolltweed 380 g/m\xC2\xB2", "100% lana, altezza 150 cm", "100% wool, width 150 cm",
         "100% Wolle, Breite 150 cm", "LA", "LANA", 570, 1980);
  fabric("TS-CASHMERE-450", "Panno lana e cashmere 450 g/m\xC2\xB2",
         "Wool and cashmere cloth 450 g/m\xC2\xB2", "Woll-Kaschmir-Tuch 450 g/m\xC2\xB2",
         "90% lana vergine 10% cashmere, altezza 150 cm",
         "90% virgin wool 10% cashmere, width 150 cm",
         "90% Schurwolle 10% Kaschmir, Breite 150 cm", "LA", "LANA", 675, 4600);
  fabric("TS-GABARDINE-CO", "Gabardine di cotone stretch 260 g/m\xC2\xB2",
         "Stretch cotton gabardine 260 g/m\xC2\xB2", "Stretch-Baumwollgabardine 260 g/m\xC2\xB2",
         "98% cotone 2% elastan, altezza 145 cm", "98% cotton 2% elastane, width 145 cm",
         "98% Baumwolle 2% Elasthan, Breite 145 cm", "CO", "COTONE", 390, 940);
  fabric("TS-POPELINE-120", "Popeline di cotone 120 g/m\xC2\xB2", "Cotton poplin 120 g/m\xC2\xB2",
         "Baumwollpopeline 120 g/m\xC2\xB2", "100% cotone, altezza 150 cm",
         "100% cotton, width 150 cm", "100% Baumwolle, Breite 150 cm", "CO", "COTONE", 180,
         720);
  fabric("TS-OXFORD-140", "Oxford di cotone 140 g/m\xC2\xB2", "Cotton Oxford 140 g/m\xC2\xB2",
         "Baumwoll-Oxford 140 g/m\xC2\xB2", "100% cotone, altezza 150 cm",
         "100% cotton, width 150 cm", "100% Baumwolle, Breite 150 cm", "CO", "COTONE", 210,
         790);
  fabric("TS-LINO-180", "Tela di lino 180 g/m\xC2\xB2", "Linen cloth 180 g/m\xC2\xB2",
         "Leinenstoff 180 g/m\xC2\xB2", "100% lino, altezza 140 cm", "100% linen, width 140 cm",
         "100% Leinen, Breite 140 cm", "CO", "LINO", 270, 1260);
  fabric("FO-VISCOSA", "Fodera in viscosa twill", "Viscose twill lining", "Viskose-Twill-Futter",
         "100% viscosa, altezza 140 cm", "100% viscose, width 140 cm",
         "100% Viskose, Breite 140 cm", "FO", "FODERE", 105, 410);
  fabric("FO-TASCHE", "Tela tasche in cotone", "Cotton pocketing", "Baumwoll-Taschenfutter",
         "100% cotone", "100% cotton", "100% Baumwolle", "FO", "", 150, 230);
  fabric("TL-ADESIVA", "Teletta adesiva termosaldabile", "Fusible interlining", "B\xC3\xBCgeleinlage",
         "Poliestere e viscosa, spalmatura in poliammide",
         "Polyester and viscose, polyamide coating", "Polyester und Viskose, Polyamidbeschichtung",
         "FO", "", 60, 190);

  auto trim = [&](std::string code, std::string it, std::string en, std::string de,
                  std::string detail_it, std::string detail_en, std::string detail_de,
                  std::string sfam, std::string um1, std::string group, int decimals,
                  Decimal cost) {
    c.articles.push_back(Material(std::move(code), ArticleKind::kTrim, std::move(it),
                                  std::move(en), std::move(de), std::move(detail_it),
                                  std::move(detail_en), std::move(detail_de), std::move(sfam),
                                  std::move(um1), std::move(group), Decimal(), decimals, cost));
  };
  trim("BT-CORNO-24L", "Bottone in corno 24 linee", "Horn button 24 lignes", "Hornknopf 24 Linien",
       "Corno naturale, quattro fori", "Natural horn, four holes", "Naturhorn, vier L\xC3\xB6" "cher",
       "BT", "PZ", "BOTTONI", 0, Cents(42));
  trim("BT-CORNO-16L", "Bottone in corno 16 linee", "Horn button 16 lignes", "Hornknopf 16 Linien",
       "Corno naturale, quattro fori", "Natural horn, four holes", "Naturhorn, vier L\xC3\xB6" "cher",
       "BT", "PZ", "BOTTONI", 0, Cents(28));
  trim("BT-MADREP-16L", "Bottone in madreperla 16 linee", "Mother-of-pearl button 16 lignes",
       "Perlmuttknopf 16 Linien", "Madreperla australiana, due fori",
       "Australian mother of pearl, two holes", "Australisches Perlmutt, zwei L\xC3\xB6" "cher",
       "BT", "PZ", "BOTTONI", 0, Cents(35));
  c.articles.back().colours = {"NAT", "BIA"};
  trim("ZP-METALLO-18", "Cerniera in metallo 18 cm", "Metal zip 18 cm", "Metallrei\xC3\x9F" "verschluss 18 cm",
       "Dentini in ottone, cursore autobloccante", "Brass teeth, auto-lock slider",
       "Messingz\xC3\xA4hne, Autolock-Schieber", "CR", "PZ", "ZIP", 0, Cents(55));
  trim("FI-POLI-120", "Filato cucirino poliestere Tex 27", "Polyester sewing thread Tex 27",
       "Polyester-N\xC3\xA4hgarn Tex 27", "Rocche da 5000 m", "5000 m cones", "Konen zu 5000 m",
       "FI", "MT", "*", 0, Scaled(150, 5));
  trim("ET-MARCHIO", "Etichetta marchio tessuta", "Woven brand label", "Gewebtes Markenetikett",
       "Raso tessuto, taglio a caldo", "Woven satin, heat cut", "Gewebter Satin, hei\xC3\x9F geschnitten",
       "ET", "PZ", "", 0, Cents(8));
  trim("ET-TAGLIA", "Etichetta taglia", "Size label", "Gr\xC3\xB6\xC3\x9F" "enetikett",
       "Raso stampato con la taglia", "Printed satin with the size", "Bedruckter Satin mit Gr\xC3\xB6\xC3\x9F" "e",
       "ET", "PZ", "", 0, Cents(2));
  c.articles.back().size_group = "*";
  trim("SP-SPALLINA", "Spallina imbottita per giacca", "Padded jacket shoulder pad",
       "Schulterpolster f\xC3\xBCr Sakko", "Ovatta di poliestere rivestita",
       "Covered polyester wadding", "Bezogene Polyesterwatte", "IM", "PZ", "", 0, Cents(60));
  for (auto& a : c.articles) {
    if (a.colours.empty() && !a.colour_group.empty() && a.colour_group != "*") {
      a.colours = c.Group(kDimColour, a.colour_group).options;
    }
    if (a.colour_group == "*") {
      for (const auto& col : c.colours) a.colours.push_back(col.code);
    }
  }
}

BomLine Line(const Catalog& c, const char* component, int64_t per_piece_milli,
             int64_t step_milli, int phase, VariantRule rule, std::string fixed = "") {
  BomLine l;
  l.component = c.ArticleIndex(component);
  l.per_piece = Milli(per_piece_milli);
  l.per_size_step = Milli(step_milli);
  l.phase = phase;
  l.rule = rule;
  l.fixed_colour = std::move(fixed);
  return l;
}

struct GarmentSpec {
  const char* code;
  const char* it;
  const char* en;
  const char* de;
  const char* ext_it;
  const char* ext_en;
  const char* ext_de;
  const char* sfam;
  const char* group;
  const char* stat1;  // season
  const char* stat2;  // line
  const char* stat4;  // price band
  const char* colour_group;
  int colours;  // how many colours of the group the model is made in
  const char* size_group;
  const char* fit_group;
  std::vector<std::string> fits;
  const char* line;
  int64_t cost_cents;
  int64_t weight_grams;
  int lead_days;
};

Article Garment(Rng& rng, const Catalog& c, const GarmentSpec& s, const char* fam,
                bool women) {
  Article a;
  a.code = s.code;
  a.kind = ArticleKind::kGarment;
  a.it = s.it;
  a.en = s.en;
  a.de = s.de;
  a.ext_it = s.ext_it;
  a.ext_en = s.ext_en;
  a.ext_de = s.ext_de;
  a.um1 = "PZ";
  a.um2 = "KG";
  a.coeff_um2 = Milli(s.weight_grams);
  a.decimals = 0;
  a.fam = fam;
  a.sfam = s.sfam;
  a.group = s.group;
  a.subgroup = women ? "DO" : "UO";
  a.stat1 = s.stat1;
  a.stat2 = s.stat2;
  a.stat3 = women ? "DONN" : "UOMO";
  a.stat4 = s.stat4;
  a.colour_group = s.colour_group;
  a.colours = Assortment(rng, c.Group(kDimColour, s.colour_group).options,
                         static_cast<size_t>(s.colours));
  a.size_group = s.size_group;
  a.fit_group = s.fit_group;
  a.fits = s.fits;
  a.cost = Cents(s.cost_cents);
  a.line = s.line;
  a.department = "CONF";
  a.product_type = "PF";
  a.provenance = "IN";
  a.lead_days = s.lead_days;
  a.min_lot = Dec(20);
  a.target = women ? "DONNA" : "UOMO";
  return a;
}

void AddGarments(Catalog& c, Rng& rng) {
  // Semi-finished parts first: garments use them as components.
  {
    Article a;
    a.code = "SL-STEMMA-RIC";
    a.kind = ArticleKind::kSemiFinished;
    a.it = "Stemma ricamato per blazer";
    a.en = "Embroidered blazer badge";
    a.de = "Gesticktes Blazer-Wappen";
    a.ext_it = "Stemma ricamato a mano libera su base in twill, filo oro e colore.";
    a.ext_en = "Free-hand embroidered badge on twill base, gold and coloured thread.";
    a.ext_de = "Freihand gesticktes Wappen auf Twillgrund, Gold- und Farbgarn.";
    a.um1 = "PZ";
    a.fam = "SL";
    a.sfam = "RI";
    a.colour_group = "RICAMI";
    a.colours = c.Group(kDimColour, "RICAMI").options;
    a.cost = Cents(380);
    a.routing = {Step(kPhaseCutting, 100, "TG-MAN1"),
                 Step(kPhaseEmbroidery, 500, "", {}, c.PartyIndex(2001))};
    a.bom = {Line(c, "FO-VISCOSA", 20, 0, kPhaseCutting, VariantRule::kSameColour),
             Line(c, "FI-POLI-120", 25000, 0, kPhaseEmbroidery, VariantRule::kSameColour)};
    a.line = "SL";
    a.department = "TAGL";
    a.product_type = "SL";
    a.provenance = "CL";
    a.lead_days = 15;
    a.min_lot = Dec(100);
    c.articles.push_back(std::move(a));
  }
  {
    Article a;
    a.code = "SL-COLLO-CAM";
    a.kind = ArticleKind::kSemiFinished;
    a.it = "Collo camicia preadesivato";
    a.en = "Pre-fused shirt collar";
    a.de = "Vorfixierter Hemdkragen";
    a.ext_it = "Collo e listino tagliati e adesivati, pronti per il montaggio.";
    a.ext_en = "Collar and stand cut and fused, ready for assembly.";
    a.ext_de = "Kragen und Steg zugeschnitten und fixiert, montagefertig.";
    a.um1 = "PZ";
    a.fam = "SL";
    a.sfam = "CO";
    a.colour_group = "COTONE";
    a.colours = {"BIA", "CEL", "AZZ"};
    a.cost = Cents(120);
    a.routing = {Step(kPhaseCutting, 200, "TG-MAN1"), Step(kPhaseFusing, 100, "ADES-01"),
                 Step(kPhaseSewing, 800, "LIN-CAMI")};
    a.bom = {Line(c, "TS-POPELINE-120", 120, 0, kPhaseCutting, VariantRule::kSameColour),
             Line(c, "TL-ADESIVA", 60, 0, kPhaseFusing, VariantRule::kNone)};
    a.line = "SL";
    a.department = "TAGL";
    a.product_type = "SL";
    a.provenance = "IN";
    a.lead_days = 10;
    a.min_lot = Dec(200);
    c.articles.push_back(std::move(a));
  }

  auto jacket_bom = [&](const char* fabric, int64_t metres, int64_t step, bool lining,
                        int buttons24, int buttons16, bool pads, int sewing_phase) {
    std::vector<BomLine> b = {Line(c, fabric, metres, step, kPhaseCutting, VariantRule::kSameColour)};
    if (lining) {
      b.push_back(Line(c, "FO-VISCOSA", metres * 3 / 4, step / 2, kPhaseCutting,
                       VariantRule::kSameColour));
      b.push_back(Line(c, "TL-ADESIVA", 600, 10, kPhaseFusing, VariantRule::kNone));
    }
    if (buttons24 > 0) {
      b.push_back(Line(c, "BT-CORNO-24L", buttons24 * 1000, 0, sewing_phase,
                       VariantRule::kSameColour));
    }
    if (buttons16 > 0) {
      b.push_back(Line(c, "BT-CORNO-16L", buttons16 * 1000, 0, sewing_phase,
                       VariantRule::kSameColour));
    }
    if (pads) b.push_back(Line(c, "SP-SPALLINA", 2000, 0, sewing_phase, VariantRule::kNone));
    b.push_back(Line(c, "FI-POLI-120", 220000, 0, sewing_phase, VariantRule::kSameColour));
    b.push_back(Line(c, "ET-MARCHIO", 1000, 0, sewing_phase, VariantRule::kNone));
    b.push_back(Line(c, "ET-TAGLIA", 1000, 0, sewing_phase, VariantRule::kSize));
    return b;
  };
  auto trousers_bom = [&](const char* fabric, int64_t metres, int64_t step, bool zip,
                          int sewing_phase) {
    std::vector<BomLine> b = {Line(c, fabric, metres, step, kPhaseCutting, VariantRule::kSameColour),
                              Line(c, "FO-TASCHE", 350, 0, kPhaseCutting, VariantRule::kNone)};
    if (zip) {
      b.push_back(Line(c, "ZP-METALLO-18", 1000, 0, sewing_phase, VariantRule::kSameColour));
      b.push_back(Line(c, "BT-CORNO-16L", 2000, 0, sewing_phase, VariantRule::kSameColour));
    }
    b.push_back(Line(c, "FI-POLI-120", 150000, 0, sewing_phase, VariantRule::kSameColour));
    b.push_back(Line(c, "ET-MARCHIO", 1000, 0, sewing_phase, VariantRule::kNone));
    b.push_back(Line(c, "ET-TAGLIA", 1000, 0, sewing_phase, VariantRule::kSize));
    return b;
  };
  auto shirt_bom = [&](const char* fabric, int64_t metres, bool collar, int buttons,
                       const char* button_colour) {
    std::vector<BomLine> b = {Line(c, fabric, metres, 30, kPhaseCutting, VariantRule::kSameColour)};
    if (collar) {
      b.push_back(Line(c, "SL-COLLO-CAM", 1000, 0, kPhaseSewing, VariantRule::kSameColour));
    } else {
      b.push_back(Line(c, "TL-ADESIVA", 150, 0, kPhaseCutting, VariantRule::kNone));
    }
    b.push_back(Line(c, "BT-MADREP-16L", buttons * 1000, 0, kPhaseSewing, VariantRule::kFixed,
                     button_colour));
    b.push_back(Line(c, "FI-POLI-120", 180000, 0, kPhaseSewing, VariantRule::kSameColour));
    b.push_back(Line(c, "ET-MARCHIO", 1000, 0, kPhaseSewing, VariantRule::kNone));
    b.push_back(Line(c, "ET-TAGLIA", 1000, 0, kPhaseSewing, VariantRule::kSize));
    return b;
  };

  // Outerwear.
  Article torino = Garment(
      rng, c,
      {"GIA-TORINO", "Giacca monopetto due bottoni in fresco lana",
       "Two-button single-breasted jacket in wool fresco",
       "Einreihiges Zweiknopf-Sakko aus Wollfresko",
       "Giacca monopetto due bottoni, revers a lancia, tasche a filetto con pattina, spacchi "
       "laterali, interamente foderata. Fresco lana Super 120's.",
       "Two-button single-breasted jacket, peak lapels, flap pockets, side vents, fully lined. "
       "Super 120's wool fresco.",
       "Einreihiges Zweiknopf-Sakko, spitzes Revers, Pattentaschen, Seitenschlitze, voll "
       "gef\xC3\xBCttert. Wollfresko Super 120's.",
       "GI", "MO", "CONT", "BUS", "ALTA", "LANA", 4, "UOMO", "GIACCA", {"RE", "SL"}, "CSP",
       9200, 1150, 35},
      "CS", false);
  torino.routing = JacketRouting(c, true, 0);
  torino.bom = jacket_bom("TS-FRESCO-240", 1650, 30, true, 2, 8, true, kPhaseSewing);
  torino.combination = "ABITO-TO";
  c.articles.push_back(torino);

  Article milano = Garment(
      rng, c,
      {"GIA-MILANO", "Giacca doppiopetto sei bottoni in flanella",
       "Six-button double-breasted flannel jacket",
       "Zweireihiges Sakko mit sechs Kn\xC3\xB6pfen aus Flanell",
       "Giacca doppiopetto sei bottoni due abbottonati, spalla costruita, tasche a filetto, "
       "spacco centrale. Flanella di lana cardata.",
       "Six-on-two double-breasted jacket, structured shoulder, jetted pockets, centre vent. "
       "Carded wool flannel.",
       "Zweireihiges Sakko sechs auf zwei, gearbeitete Schulter, Paspeltaschen, Mittelschlitz. "
       "Streichgarnflanell.",
       "GI", "DP", "AI", "BUS", "ALTA", "LANA", 3, "UOMO", "GIACCA", {"RE"}, "CSP", 11800, 1300,
       40},
      "CS", false);
  milano.routing = JacketRouting(c, true, 2002);
  milano.bom = jacket_bom("TS-FLANELLA-300", 1750, 30, true, 6, 8, true, kPhaseSewingOut);
  milano.combination = "ABITO-MI";
  c.articles.push_back(milano);

  Article cortina = Garment(
      rng, c,
      {"GIA-CORTINA", "Giacca sportiva in tweed con toppe", "Tweed sports jacket with elbow patches",
       "Tweed-Sportsakko mit Ellbogen-Patches",
       "Giacca sportiva tre bottoni stirati a due, toppe in alcantara ai gomiti, tasche "
       "applicate. Tweed di lana.",
       "Three-roll-two sports jacket, suede elbow patches, patch pockets. Wool tweed.",
       "Sportsakko drei auf zwei, Ellbogen-Patches aus Velours, aufgesetzte Taschen. Wolltweed.",
       "GI", "SP", "AI", "CAS", "MEDI", "LANA", 4, "UOMO", "GIACCA", {"RE", "CO"}, "CSP", 8600,
       1250, 35},
      "CS", false);
  cortina.colours = {"GRI", "ANT", "MAR", "CAM"};
  cortina.routing = JacketRouting(c, true, 0);
  cortina.bom = jacket_bom("TS-TWEED-380", 1700, 30, true, 3, 8, true, kPhaseSewing);
  cortina.state = 3;  // running out
  c.articles.push_back(cortina);

  Article portofino = Garment(
      rng, c,
      {"GIA-PORTOFINO", "Blazer sfoderato in lino con stemma ricamato",
       "Unlined linen blazer with embroidered badge",
       "Ungef\xC3\xBCttertes Leinenblazer mit gesticktem Wappen",
       "Blazer sfoderato, spalla naturale, tasche applicate, stemma ricamato sul taschino. Tela "
       "di lino.",
       "Unlined blazer, natural shoulder, patch pockets, embroidered badge on the breast pocket. "
       "Linen cloth.",
       "Ungef\xC3\xBCtterter Blazer, nat\xC3\xBCrliche Schulter, aufgesetzte Taschen, gesticktes "
       "Wappen auf der Brusttasche. Leinenstoff.",
       "GI", "SP", "PE", "CAS", "MEDI", "LINO", 4, "UOMO", "GIACCA", {"RE", "SL"}, "CSP", 6400,
       650, 30},
      "CS", false);
  portofino.routing = {Step(kPhaseCutting, 1000, "TG-AUTO1"),
                       Step(kPhaseSewing, 14000, "LIN-GIAC",
                            {"Confezione - preparazione parti", "Confezione - montaggio"}),
                       Step(kPhasePressing, 3000, "STIRO-GIA"),
                       Step(kPhaseInspection, 1000, "CTRL-01")};
  portofino.bom = jacket_bom("TS-LINO-180", 1700, 30, false, 3, 6, false, kPhaseSewing);
  portofino.bom.push_back(Line(c, "SL-STEMMA-RIC", 1000, 0, kPhaseSewing, VariantRule::kFixed, "BLU"));
  c.articles.push_back(portofino);

  Article brera = Garment(
      rng, c,
      {"CAP-BRERA", "Cappotto monopetto in lana e cashmere",
       "Single-breasted wool and cashmere overcoat", "Einreihiger Mantel aus Wolle und Kaschmir",
       "Cappotto monopetto tre bottoni, lunghezza al ginocchio, tasche a pattina, interamente "
       "foderato. Panno lana e cashmere.",
       "Three-button single-breasted knee-length overcoat, flap pockets, fully lined. Wool and "
       "cashmere cloth.",
       "Einreihiger Dreiknopf-Mantel, knielang, Pattentaschen, voll gef\xC3\xBCttert. "
       "Woll-Kaschmir-Tuch.",
       "CP", "CL", "AI", "BUS", "ALTA", "LANA", 4, "UOMO", "GIACCA", {"RE"}, "CSP", 16500, 1900,
       45},
      "CS", false);
  brera.routing = JacketRouting(c, true, 2003);
  brera.bom = jacket_bom("TS-CASHMERE-450", 2400, 50, true, 4, 6, true, kPhaseSewingOut);
  c.articles.push_back(brera);

  Article siena = Garment(
      rng, c,
      {"GIL-SIENA", "Gilet cinque bottoni in fresco lana", "Five-button wool fresco waistcoat",
       "Weste mit f\xC3\xBCnf Kn\xC3\xB6pfen aus Wollfresko",
       "Gilet cinque bottoni, quattro taschini a filetto, retro in fodera con cinturino.",
       "Five-button waistcoat, four jetted pockets, lining back with strap.",
       "Weste mit f\xC3\xBCnf Kn\xC3\xB6pfen, vier Paspeltaschen, R\xC3\xBC" "cken aus Futter mit Riegel.",
       "GL", "CL", "CONT", "CER", "MEDI", "LANA", 4, "UOMO", "", {}, "CSP", 3800, 350, 25},
      "CS", false);
  siena.routing = {Step(kPhaseCutting, 600, "TG-AUTO1"),
                   Step(kPhaseSewing, 6000, "LIN-GIAC",
                        {"Confezione - preparazione parti", "Confezione - montaggio"}),
                   Step(kPhasePressing, 1500, "STIRO-GIA"),
                   Step(kPhaseInspection, 500, "CTRL-01")};
  siena.bom = {Line(c, "TS-FRESCO-240", 700, 20, kPhaseCutting, VariantRule::kSameColour),
               Line(c, "FO-VISCOSA", 600, 10, kPhaseCutting, VariantRule::kSameColour),
               Line(c, "BT-CORNO-16L", 5000, 0, kPhaseSewing, VariantRule::kSameColour),
               Line(c, "FI-POLI-120", 120000, 0, kPhaseSewing, VariantRule::kSameColour),
               Line(c, "ET-MARCHIO", 1000, 0, kPhaseSewing, VariantRule::kNone),
               Line(c, "ET-TAGLIA", 1000, 0, kPhaseSewing, VariantRule::kSize)};
  c.articles.push_back(siena);

  Article verona = Garment(
      rng, c,
      {"GID-VERONA", "Giacca donna avvitata in fresco lana", "Women's fitted wool fresco jacket",
       "Taillierte Damenjacke aus Wollfresko",
       "Giacca donna monopetto un bottone, linea avvitata, tasche a filetto, interamente "
       "foderata.",
       "Women's one-button single-breasted jacket, fitted line, jetted pockets, fully lined.",
       "Einreihige Damenjacke mit einem Knopf, taillierte Linie, Paspeltaschen, voll "
       "gef\xC3\xBCttert.",
       "GI", "MO", "CONT", "BUS", "ALTA", "LANA", 4, "DONNA", "", {}, "CSP", 8400, 900, 35},
      "CS", true);
  verona.routing = JacketRouting(c, true, 0);
  verona.bom = jacket_bom("TS-FRESCO-240", 1450, 30, true, 1, 6, true, kPhaseSewing);
  c.articles.push_back(verona);

  Article firenze = torino;
  firenze.code = "GIA-FIRENZE";
  firenze.it = "Giacca tre bottoni in fresco lana";
  firenze.en = "Three-button wool fresco jacket";
  firenze.de = "Dreiknopf-Sakko aus Wollfresko";
  firenze.ext_it = "Giacca monopetto tre bottoni, modello fuori collezione.";
  firenze.ext_en = "Three-button single-breasted jacket, discontinued model.";
  firenze.ext_de = "Einreihiges Dreiknopf-Sakko, auslaufendes Modell.";
  firenze.combination.clear();
  firenze.state = 4;  // obsolete
  firenze.orderable = false;
  c.articles.push_back(firenze);

  // Trousers: the suit trousers are made in the colours of their jacket.
  Article roma = Garment(
      rng, c,
      {"PAN-ROMA", "Pantalone classico una pince in fresco lana",
       "Classic single-pleat wool fresco trousers", "Klassische Bundfaltenhose aus Wollfresko",
       "Pantalone una pince, tasche america, tasche posteriori a filetto, fondo 20 cm.",
       "Single-pleat trousers, slanted side pockets, jetted back pockets, 20 cm hem.",
       "Hose mit einer Bundfalte, schr\xC3\xA4ge Seitentaschen, Paspeltaschen hinten, Saum 20 cm.",
       "CL", "PI", "CONT", "BUS", "ALTA", "LANA", 4, "UOMO", "PANTALONE", {"RE", "SL"}, "PAN",
       4100, 550, 25},
      "PA", false);
  roma.colours = torino.colours;
  roma.routing = TrousersRouting(c, 0, false);
  roma.bom = trousers_bom("TS-FRESCO-240", 1250, 20, true, kPhaseSewing);
  roma.combination = "ABITO-TO";
  c.articles.push_back(roma);

  Article napoli = Garment(
      rng, c,
      {"PAN-NAPOLI", "Pantalone in flanella con risvolto", "Flannel trousers with turn-ups",
       "Flanellhose mit Umschlag",
       "Pantalone due pince con risvolto, vita alta con bottoni per bretelle.",
       "Double-pleat trousers with turn-ups, high waist with brace buttons.",
       "Hose mit zwei Bundfalten und Umschlag, hohe Taille mit Hosentr\xC3\xA4gerkn\xC3\xB6pfen.",
       "CL", "PI", "AI", "BUS", "ALTA", "LANA", 3, "UOMO", "PANTALONE", {"RE"}, "PAN", 5200, 650,
       30},
      "PA", false);
  napoli.colours = milano.colours;
  napoli.routing = TrousersRouting(c, 2002, false);
  napoli.bom = trousers_bom("TS-FLANELLA-300", 1300, 20, true, kPhaseSewingOut);
  napoli.combination = "ABITO-MI";
  c.articles.push_back(napoli);

  Article capri = Garment(
      rng, c,
      {"PAN-CAPRI", "Pantalone chino in gabardine di cotone", "Cotton gabardine chinos",
       "Chinohose aus Baumwollgabardine",
       "Chino a vita regolare, tasche america, lavato in capo per una mano morbida.",
       "Regular-waist chinos, slanted pockets, garment washed for a soft hand.",
       "Chino mit normaler Leibh\xC3\xB6he, schr\xC3\xA4ge Taschen, st\xC3\xBC" "ckgewaschen f\xC3\xBCr "
       "einen weichen Griff.",
       "CA", "CH", "PE", "CAS", "BASE", "COTONE", 4, "UOMO", "PANTALONE", {"RE", "SL"}, "PAN",
       2450, 520, 25},
      "PA", false);
  capri.colours = {"BEI", "SAB", "VER", "BLU"};
  capri.routing = TrousersRouting(c, 0, true);
  capri.bom = trousers_bom("TS-GABARDINE-CO", 1200, 20, true, kPhaseSewing);
  c.articles.push_back(capri);

  Article amalfi = Garment(
      rng, c,
      {"PAN-AMALFI", "Pantalone in lino con coulisse", "Linen drawstring trousers",
       "Leinenhose mit Tunnelzug",
       "Pantalone in lino con elastico e coulisse in vita, tasche laterali, lavato in capo.",
       "Linen trousers with elastic and drawstring waist, side pockets, garment washed.",
       "Leinenhose mit Gummizug und Tunnelzug, Seitentaschen, st\xC3\xBC" "ckgewaschen.",
       "CA", "CO", "PE", "CAS", "MEDI", "LINO", 3, "UOMO", "", {}, "PAN", 2200, 400, 20},
      "PA", false);
  amalfi.routing = TrousersRouting(c, 0, true);
  amalfi.bom = trousers_bom("TS-LINO-180", 1300, 20, false, kPhaseSewing);
  c.articles.push_back(amalfi);

  Article lucca = Garment(
      rng, c,
      {"PAD-LUCCA", "Pantalone donna a palazzo in fresco lana",
       "Women's wide-leg wool fresco trousers", "Weite Damenhose aus Wollfresko",
       "Pantalone a palazzo vita alta, piega stirata, chiusura laterale con cerniera invisibile.",
       "High-waist wide-leg trousers, pressed crease, side invisible zip.",
       "Weite Hose mit hoher Taille, B\xC3\xBCgelfalte, seitlicher verdeckter "
       "Rei\xC3\x9F" "verschluss.",
       "CL", "PL", "CONT", "BUS", "MEDI", "LANA", 3, "DONNA", "", {}, "PAN", 3900, 480, 25},
      "PA", true);
  lucca.routing = TrousersRouting(c, 0, false);
  lucca.bom = trousers_bom("TS-FRESCO-240", 1400, 20, true, kPhaseSewing);
  c.articles.push_back(lucca);

  // Shirts.
  Article positano = Garment(
      rng, c,
      {"CAM-POSITANO", "Camicia in popeline collo francese", "Poplin shirt with cutaway collar",
       "Popelinehemd mit Haifischkragen",
       "Camicia collo francese, polsino tondo, cuciture a un ago, bottoni in madreperla.",
       "Cutaway-collar shirt, rounded cuffs, single-needle seams, mother-of-pearl buttons.",
       "Hemd mit Haifischkragen, runde Manschetten, einnadelige N\xC3\xA4hte, Perlmuttkn\xC3\xB6pfe.",
       "CL", "FR", "CONT", "BUS", "MEDI", "COTONE", 4, "CAMICIA", "", {}, "CAM", 1950, 230, 20},
      "CA", false);
  positano.colours = {"BIA", "CEL", "AZZ", "ROS"};
  positano.routing = ShirtRouting(c, false, false);
  positano.bom = shirt_bom("TS-POPELINE-120", 1800, true, 11, "BIA");
  c.articles.push_back(positano);

  Article ischia = Garment(
      rng, c,
      {"CAM-ISCHIA", "Camicia oxford button-down", "Button-down Oxford shirt",
       "Oxford-Hemd mit Button-down-Kragen",
       "Camicia button-down, taschino applicato, piega centrale sul dietro.",
       "Button-down shirt, patch breast pocket, back box pleat.",
       "Button-down-Hemd, aufgesetzte Brusttasche, R\xC3\xBC" "ckenfalte.",
       "CL", "BD", "CONT", "CAS", "MEDI", "COTONE", 3, "CAMICIA", "", {}, "CAM", 1800, 250, 20},
      "CA", false);
  ischia.colours = {"BIA", "CEL", "AZZ"};
  ischia.routing = ShirtRouting(c, true, false);
  ischia.bom = shirt_bom("TS-OXFORD-140", 1750, false, 13, "BIA");
  c.articles.push_back(ischia);

  Article panarea = Garment(
      rng, c,
      {"CAM-PANAREA", "Camicia in lino collo coreano", "Linen band-collar shirt",
       "Leinenhemd mit Stehkragen",
       "Camicia in lino collo alla coreana, vestibilit\xC3\xA0 comoda, lavata in capo.",
       "Band-collar linen shirt, relaxed fit, garment washed.",
       "Leinenhemd mit Stehkragen, bequeme Passform, st\xC3\xBC" "ckgewaschen.",
       "CS", "CO", "PE", "CAS", "MEDI", "LINO", 3, "LETTERE", "", {}, "CAM", 2100, 200, 20},
      "CA", false);
  panarea.routing = ShirtRouting(c, false, true);
  panarea.bom = shirt_bom("TS-LINO-180", 1700, false, 8, "NAT");
  c.articles.push_back(panarea);

  Article assisi = Garment(
      rng, c,
      {"CAD-ASSISI", "Camicia donna in popeline stretch", "Women's stretch poplin shirt",
       "Damenbluse aus Stretch-Popeline",
       "Camicia donna sciancrata, collo classico, pinces sul davanti.",
       "Women's tailored shirt, classic collar, front darts.",
       "Taillierte Damenbluse, klassischer Kragen, Abn\xC3\xA4her vorne.",
       "CL", "FR", "CONT", "BUS", "MEDI", "COTONE", 3, "DONNA", "", {}, "CAM", 1750, 180, 20},
      "CA", true);
  assisi.colours = {"BIA", "CEL", "ROS"};
  assisi.routing = ShirtRouting(c, true, false);
  assisi.bom = shirt_bom("TS-POPELINE-120", 1550, false, 9, "BIA");
  c.articles.push_back(assisi);

  c.articles[static_cast<size_t>(c.ArticleIndex("GIA-TORINO"))].partner = c.ArticleIndex("PAN-ROMA");
  c.articles[static_cast<size_t>(c.ArticleIndex("GIA-MILANO"))].partner =
      c.ArticleIndex("PAN-NAPOLI");
}

void AddProjects(Catalog& c) {
  int year, month, day;
  CivilFromDays(c.today, &year, &month, &day);
  auto project = [&](std::string code, std::string description, std::string type,
                     std::string state, std::string class_a, std::string class_b,
                     std::string class_c, int64_t start, int64_t end) {
    c.projects.push_back(Project{std::move(code), std::move(description), std::move(type),
                                 std::move(state), std::move(class_a), std::move(class_b),
                                 std::move(class_c), start, end});
  };
  for (int y = year - 1; y <= year; ++y) {
    for (const char* target : {"UOMO", "DONNA"}) {
      std::string t = target;
      std::string label = t == "UOMO" ? "uomo" : "donna";
      bool pe_closed = y < year;
      project("PE" + std::to_string(y) + "-" + t,
              "Collezione Primavera-Estate " + std::to_string(y) + " " + label, "COLLEZ",
              pe_closed ? "CHIUSO" : "INCORSO", "PE", t, "RETAIL", DaysFromCivil(y - 1, 9, 1),
              DaysFromCivil(y, 6, 30));
      project("AI" + std::to_string(y) + "-" + t,
              "Collezione Autunno-Inverno " + std::to_string(y) + " " + label, "COLLEZ",
              y < year ? "CHIUSO" : "PIANIF", "AI", t, "WHOLESALE", DaysFromCivil(y, 3, 1),
              DaysFromCivil(y, 12, 31));
    }
  }
  project("CERIM-" + std::to_string(year), "Capsule cerimonia " + std::to_string(year),
          "CAPSULE", "INCORSO", "CONT", "UOMO", "RETAIL", DaysFromCivil(year - 1, 10, 1),
          DaysFromCivil(year, 9, 30));
  project("DIVISE-" + std::to_string(year),
          "Forniture divise per alberghi e navi " + std::to_string(year), "FORNITURA", "INCORSO",
          "CONT", "UOMO", "CORPORATE", DaysFromCivil(year - 1, 6, 1), DaysFromCivil(year, 12, 31));
}

}  // namespace

Catalog BuildCatalog(const SampleOptions& options, Rng& rng) {
  Catalog c;
  c.company = options.company;
  const CompanyHeader& h = kCompanies[static_cast<size_t>(options.company - 1) % std::size(kCompanies)];
  c.company_name = h.name;
  if (options.company > static_cast<int32_t>(std::size(kCompanies))) {
    c.company_name += " - stabilimento " + std::to_string(options.company);
  }
  c.company_street = h.street;
  c.company_zip = h.zip;
  c.company_town = h.town;
  c.company_province = h.province;
  c.company_vat = h.vat;
  c.today = DaysFromCivil(options.reference_year, options.reference_month, options.reference_day);
  c.colours = Colours();
  c.sizes = {"37", "38", "39", "40", "41", "42", "43", "44", "45", "46", "48", "50",
             "52", "54", "56", "58", "60", "XS", "S",  "M",  "L",  "XL", "XXL"};
  c.fits = {{"RE", "Regolare"}, {"SL", "Slim"}, {"CO", "Comoda"}};
  AddOptionGroups(c);
  AddParties(c);
  AddPhases(c);
  AddMaterials(c);
  AddGarments(c, rng);
  AddProjects(c);
  return c;
}

}  // namespace zv::sample::internal
