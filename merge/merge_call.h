// The statements around a call of the merge procedure SPVESTARO_ACCORPA:
// the empty destination tables it fills, the phase table read from the
// database when the host gave no phases, and the variant dimensions that
// decide the "@Key_" + dimension parameters.
#ifndef ZV_MERGE_MERGE_CALL_H_
#define ZV_MERGE_MERGE_CALL_H_

#include <string>
#include <string_view>

namespace zv {

inline constexpr const char* kMergeProcedure = "SPVESTARO_ACCORPA";

// An empty copy of the order work table plus KEY_ACCORP and FLG_ACCORPATA.
std::string OrderDestinationStatement(std::string_view destination, std::string_view origin);

// The phases of the order work table's rows, read from DO46_DOCCORORDDET
// for the company (with DO30_PROGPADRE and DO46_QTA1CONSOLIDFP = 0).
std::string PhasesFromDatabaseStatement(std::string_view phases, std::string_view orders,
                                        std::string_view company);

// An empty copy of the phase work table.
std::string PhaseDestinationStatement(std::string_view destination, std::string_view origin);

// The company's variant dimensions with their size-grid index, by code.
std::string VariantDimensionsQuery(std::string_view company);

}  // namespace zv

#endif  // ZV_MERGE_MERGE_CALL_H_
