// The test binary links the library only; the sample generator lives with
// the vestaro command under apps/, so its sources are compiled in here.
#include "apps/sample_masters.cpp"  // NOLINT(bugprone-suspicious-include)
