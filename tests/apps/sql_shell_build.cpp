// The shell of `vestaro sql` lives with the command under apps/; its
// sources are compiled into the test binary here.
#include "apps/sql_shell.cpp"  // NOLINT(bugprone-suspicious-include)
