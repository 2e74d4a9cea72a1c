// The host side of the merge lives with the vestaro command under apps/;
// its sources are compiled into the test binary here.
#include "apps/production_rows.cpp"  // NOLINT(bugprone-suspicious-include)
