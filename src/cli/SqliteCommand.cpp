#include "cli/Commands.h"
#include "cli/Report.h"
int WriteSqlite(const CliOptions&) { return kFailed; }
int WritePostgresql(const CliOptions&) { return kFailed; }
