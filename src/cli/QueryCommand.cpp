// -l --queries and --show-sql: the saved queries of a database, read from the
// provider's procedures rowset: one line a query (NAME<TAB>KIND), or one query's SQL.
#include <unistd.h>
#include <vector>
#include "cli/ArgumentText.h"
#include "cli/Commands.h"
#include "cli/Database.h"
#include "cli/ExportFailure.h"
#include "cli/Report.h"
#include "db/ValueString.h"
#include "export/TargetFile.h"
#include "export/TextEncoder.h"
#include "platform/com/Translate.h"

namespace {

struct SavedQuery {
  std::string name, kind, sql;
};

std::vector<SavedQuery> ReadQueries(const std::string& file) {
  std::vector<SavedQuery> queries;
  Database database(file);
  _RecordsetPtr rows = database.Connection()->OpenSchema(ADODB::adSchemaProcedures);
  for (; !rows->GetadoEOF(); rows->MoveNext()) {
    queries.push_back({ValueToString(rows->GetCollect("PROCEDURE_NAME")), ValueToString(rows->GetCollect("QUERY_KIND")),
                       ValueToString(rows->GetCollect("PROCEDURE_DEFINITION"))});
  }
  rows->Close();
  database.Close();
  return queries;
}

// Standard output in the output character set; false (and said) when it fails.
bool WriteOut(const std::string& utf8, const std::string& charset) {
  TextEncoder encoder(charset);
  std::string text;
  encoder.Append(utf8, &text);
  if (!WriteStandardOutput(text)) return false;
  return true;
}

}  // namespace

int ListQueries(const CliOptions& options) {
  std::vector<SavedQuery> queries;
  try {
    queries = ReadQueries(options.file);
  } catch (const _com_error& e) {
    ReportLine(DatabaseFailureLine(options.file, e));
    return kFailed;
  }
  std::string text;
  for (const SavedQuery& q : queries) text += q.name + "\t" + q.kind + "\n";
  return WriteOut(text, options.format.charset) ? kDone : kFailed;
}

int ShowSql(const CliOptions& options) {
  std::vector<SavedQuery> queries;
  try {
    queries = ReadQueries(options.file);
  } catch (const _com_error& e) {
    ReportLine(DatabaseFailureLine(options.file, e));
    return kFailed;
  }
  for (const SavedQuery& q : queries) {
    if (AsciiLowerEquals(q.name, *options.showSql)) {
      if (q.sql.empty()) {
        ReportLine(Printf(_("%s: 无法重建查询“%s”（%s）的 SQL"), options.file.c_str(), q.name.c_str(), q.kind.c_str()));
        return kFailed;
      }
      return WriteOut(q.sql + "\n", options.format.charset) ? kDone : kFailed;
    }
  }
  ReportLine(Printf(_("%s: 没有名为“%s”的保存查询（-l --queries 列出它们）"), options.file.c_str(),
                    options.showSql->c_str()));
  return kFailed;
}
