// The translation's stages: parse once into a tree, resolve names and types on
// it, refuse what Jet refuses, lower Jet's constructs to SQLite's, print.
#include "platform/jet/sql/Translate.h"

#include "platform/com/Causes.h"
#include "platform/com/ComError.h"
#include "platform/com/Translate.h"
#include "platform/jet/sql/Crosstab.h"
#include "platform/jet/sql/Lowering.h"
#include "platform/jet/sql/Parser.h"
#include "platform/jet/sql/Printer.h"
#include "platform/jet/sql/Refusals.h"

namespace jet {

const char kExprAlias[] = "__jet_expr__";

namespace sql {

// The result's columns as the cursor reads them: `first` up to a * whose
// columns are not known, `last` after the last one.
ResultTypes ResultTypesOf(const std::vector<TypedColumn>& cols) {
  ResultTypes types;
  size_t k = 0;
  while (k < cols.size() && cols[k].name != "*") types.first.push_back(cols[k++]);
  types.whole = k == cols.size();
  size_t last = cols.size();
  while (last > k && cols[last - 1].name != "*") --last;
  types.last.assign(cols.begin() + static_cast<long>(last), cols.end());
  return types;
}

}  // namespace sql

std::string TranslateJetSql(const std::string& jetSql) {
  StatementShape shape;
  std::string sql = TranslateJetSql(jetSql, &shape);
  return shape.tieKeys ? shape.limitSql : sql;
}

namespace {

// What the resolution found of the statement's names, for the runner.
void TakeNames(sql::Resolution* r, StatementShape* shape) {
  shape->sources = std::move(r->sources);
  shape->ambiguous = std::move(r->ambiguous);
  shape->missingInJoins = std::move(r->missingInJoins);
}

// `headings` are a crosstab's column headings once known (see Crosstab.h).
std::string Translate(const std::string& jetSql, StatementShape* shape, const ColumnLookup* lookup,
                      const std::vector<CrosstabHeading>* headings) {
  sql::Statement st = sql::ParseJetSql(jetSql);
  // PARAMETERS are bound before a statement gets here (the command line's
  // --param); one left is no statement the engine runs.
  if (!st.parameters.empty()) throw _com_error(JET_E_SYNTAX, SyntaxErrorCause(st.parametersWord));
  *shape = StatementShape();
  sql::Resolution r;
  r.lookup = lookup;
  if (st.crosstab) {
    std::string sql = sql::LowerCrosstab(st, headings, shape, &r);
    TakeNames(&r, shape);
    return sql;
  }
  const std::vector<TypedColumn> columns = sql::ResolveQuery(st.query, nullptr, &r);
  TakeNames(&r, shape);
  sql::CheckRefusals(st.query, r);
  shape->types = sql::ResultTypesOf(columns);
  sql::LowerQuery(st.query, true, shape, r);
  sql::MatchPlain(st.query, shape);
  return sql::Print(st.query);
}

}  // namespace

std::string TranslatePortable(const std::string& jetSql, const ColumnLookup* lookup, std::string* unwritable) {
  unwritable->clear();
  sql::Statement st = sql::ParseJetSql(jetSql);
  if (!st.parameters.empty()) *unwritable = ::Translate("参数（PARAMETERS）");
  else if (st.crosstab) *unwritable = ::Translate("交叉表（TRANSFORM ... PIVOT）");
  if (!unwritable->empty()) return std::string();
  sql::Resolution r;
  r.lookup = lookup;
  sql::ResolveQuery(st.query, nullptr, &r);
  sql::CheckRefusals(st.query, r);
  // Not as the outermost statement: TOP is a plain LIMIT, without Jet's ties.
  StatementShape shape;
  sql::LowerQuery(st.query, false, &shape, r);
  std::vector<sql::SelectItem>& items = st.query.members.front().items;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].alias.empty() && items[i].expr.kind != sql::NodeKind::Column && items[i].expr.kind != sql::NodeKind::Star)
      items[i].alias = "Expr" + std::to_string(1000 + i);  // Jet's names of unnamed fields
  std::string out = sql::Print(st.query, sql::PrintMode::Portable, unwritable);
  return unwritable->empty() ? out : std::string();
}

std::string TranslateJetSql(const std::string& jetSql, StatementShape* shape, const ColumnLookup* lookup) {
  return Translate(jetSql, shape, lookup, nullptr);
}

std::string TranslateCrosstab(const std::string& jetSql, const std::vector<CrosstabHeading>& headings,
                              StatementShape* shape, const ColumnLookup* lookup) {
  return Translate(jetSql, shape, lookup, &headings);
}

}  // namespace jet
