// -l: the user tables of the database, one a line, in the window's order, in the
// output character set (so that a name read back from the list is the table's).
#include <unistd.h>
#include <vector>
#include "cli/Commands.h"
#include "cli/Database.h"
#include "cli/ExportFailure.h"
#include "cli/Report.h"
#include "cli/Salvage.h"
#include "db/UserTables.h"
#include "export/FailureText.h"
#include "export/TargetFile.h"
#include "export/TextEncoder.h"
#include "platform/com/Translate.h"

int ListTables(const CliOptions& options) {
  std::vector<std::string> names;
  std::string failure;
  try {
    Database database(options.file);
    _RecordsetPtr schema;
    ListUserTables(database.Connection(), schema, [&](const std::string& name) {
      if (name.empty() || name[0] != '~') names.push_back(name);  // not Access's work tables
    });
    schema->Close();
    database.Close();
  } catch (const _com_error& e) {
    failure = DatabaseFailureLine(options.file, e);
  }

  // The tables listed before a failure are shown, then the failure.
  TextEncoder encoder(options.format.charset);
  std::string text;
  for (const std::string& name : names) {
    encoder.Append(name, &text);
    text += '\n';
  }
  if (!WriteStandardOutput(text)) return kFailed;
  if (!failure.empty()) {
    ReportLine(failure);
    return kFailed;
  }
  return kDone;
}
