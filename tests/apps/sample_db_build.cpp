// The sample company's database writer lives with the vestaro command under
// apps/; its sources are compiled into the test binary here.
#include "apps/sample_db.cpp"  // NOLINT(bugprone-suspicious-include)
