// --describe FILE [TABLE]: each user table's columns, primary key, indexes and
// relationships, as text in the output character set, or as JSON (UTF-8): one
// object for a table, an array of them for the whole file.
#include <unistd.h>
#include "cli/Commands.h"
#include "cli/Database.h"
#include "cli/ExportFailure.h"
#include "cli/Report.h"
#include "export/FailureText.h"
#include "platform/com/Causes.h"
#include "export/TargetFile.h"
#include "export/TextEncoder.h"
#include "migrate/Describe.h"
#include "migrate/Schema.h"
#include "platform/com/Translate.h"

int DescribeTables(const CliOptions& options) {
  std::string text;
  try {
    Database database(options.file);
    const migrate::DatabaseSchema schema = migrate::ReadSchema(database.Connection());
    database.Close();
    std::vector<const migrate::Table*> tables;
    for (const migrate::Table& t : schema.tables)
      if (!options.table || t.name == *options.table) tables.push_back(&t);
    if (options.table && tables.empty()) {
      // As Jet names a table it cannot find.
      for (const migrate::Table& t : schema.tables)
        if (strcasecmp(t.name.c_str(), options.table->c_str()) == 0) tables.push_back(&t);
      if (tables.empty()) throw _com_error(JET_E_NOTABLE);
    }
    if (options.format.json) {
      if (!options.table) text = "[";
      for (size_t i = 0; i < tables.size(); ++i) text += (i ? "," : "") + migrate::DescribeJson(schema, *tables[i]);
      if (!options.table) text += "]";
      text += "\n";
    } else {
      std::string utf8;
      for (size_t i = 0; i < tables.size(); ++i) utf8 += (i ? "\n" : "") + migrate::DescribeText(schema, *tables[i]);
      const std::string& charset = options.format.charset;
      TextEncoder encoder(charset.empty() ? TextEncoder::OutputCharset() : charset);
      encoder.Append(utf8, &text);
    }
  } catch (const _com_error& e) {
    const std::string object = options.table ? options.file + " " + *options.table : options.file;
    ReportLine(DatabaseFailureLine(object, e));
    return kFailed;
  }
  if (!WriteStandardOutput(text)) return kFailed;
  return kDone;
}
