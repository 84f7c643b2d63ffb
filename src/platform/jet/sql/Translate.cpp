#include "platform/jet/sql/Translate.h"

#include <vector>

#include "platform/com/Causes.h"
#include "platform/com/ComError.h"
#include "platform/jet/sql/Crosstab.h"
#include "platform/jet/sql/Tokens.h"
#include "platform/jet/sql/Tree.h"
#include "platform/jet/sql/Types.h"

namespace jet {

const char kExprAlias[] = "__jet_expr__";

namespace {

using sql::List;
using sql::Syntax;
using sql::Unit;

List BuildTree(const std::vector<Token>& toks, size_t* pos, bool nested) {
  List list;
  while (*pos < toks.size()) {
    const Token& t = toks[(*pos)++];
    if (t.kind == TokKind::Close) {
      if (!nested) Syntax();
      return list;
    }
    Unit u{t, {}, false, false};
    if (t.kind == TokKind::Open) {
      u.group = true;
      u.kids = BuildTree(toks, pos, true);
    }
    list.push_back(std::move(u));
  }
  if (nested) Syntax();  // a group left open
  return list;
}
// (select ...) union (select ...): SQLite takes no parentheses around the
// selects of a compound (nor around a lone select). A member without ORDER BY
// or TOP loses them; one with either is read as a derived table.
void UnwrapSelectMembers(List& root) {
  for (size_t k = 0; k < root.size(); ++k) {
    Unit& u = root[k];
    if (!u.group || u.kids.empty() || !IsWord(u.kids[0], "select")) continue;
    const bool member = k == 0 || sql::IsCompoundWord(root[k - 1]) ||
                        (k > 1 && IsWord(root[k - 1], "all") && sql::IsCompoundWord(root[k - 2]));
    if (!member) continue;
    bool own = false;
    for (const Unit& w : u.kids) own = own || IsWord(w, "order") || IsWord(w, "top");
    if (own) {
      Unit member = u;
      root[k] = Unit{{TokKind::Word, "SELECT"}, {}, false, false};
      root.insert(root.begin() + static_cast<long>(k) + 1,
                  {Unit{{TokKind::Op, "*"}, {}, false, false}, Unit{{TokKind::Word, "FROM"}, {}, false, false}, member});
      k += 3;
    } else {
      List kids = std::move(u.kids);
      root.erase(root.begin() + static_cast<long>(k));
      root.insert(root.begin() + static_cast<long>(k), kids.begin(), kids.end());
      k += kids.size() - 1;
    }
  }
}
}  // namespace

void sql::Rewrite(List& list, bool outermost, StatementShape* shape, const ColumnLookup* lookup) {
  for (Unit& u : list)
    if (u.group) Rewrite(u.kids, false, shape, lookup);
  sql::RewriteExpressions(list);
  sql::MaterializeJoinTables(list);
  sql::ExpandSelectAliases(list, lookup);
  // Typed once the whole statement's expressions are rewritten, before the
  // selects are: the form with a plain LIMIT is copied from the typed statement.
  if (outermost) shape->types = sql::TypeStatement(list, lookup);
  sql::RewriteSelects(list, outermost, shape, lookup);
}

std::string TranslateJetSql(const std::string& jetSql) {
  StatementShape shape;
  std::string sql = TranslateJetSql(jetSql, &shape);
  return shape.tieKeys ? shape.limitSql : sql;
}

namespace {

// `headings` are a crosstab's column headings once known (see Crosstab.h).
std::string Translate(const std::string& jetSql, StatementShape* shape, const ColumnLookup* lookup,
                      const std::vector<CrosstabHeading>* headings) {
  std::vector<Token> toks = TokenizeJetSql(jetSql);
  if (toks.empty()) throw _com_error(JET_E_EMPTYSTATEMENT);
  while (!toks.empty() && toks.back().kind == TokKind::Op && toks.back().text == ";") toks.pop_back();
  if (toks.empty()) Syntax();
  const Token& verb = toks.front();
  if (verb.kind == TokKind::Word) {
    std::string v = LowerAscii(verb.text);
    if (v == "insert" || v == "update" || v == "delete" || v == "create" || v == "drop" || v == "alter")
      throw _com_error(E_FAIL, OnlySelectCause());  // the database is opened read-only
    if (v != "select" && v != "transform") throw _com_error(JET_E_SYNTAX, SyntaxErrorCause(verb.text));
  } else if (verb.kind != TokKind::Open) {
    throw _com_error(JET_E_SYNTAX, SyntaxErrorCause(verb.text));
  }
  size_t pos = 0;
  List root = BuildTree(toks, &pos, false);
  *shape = StatementShape();
  if (IsWord(root.front(), "transform")) return sql::RewriteCrosstab(root, headings, shape, lookup);
  UnwrapSelectMembers(root);
  sql::Rewrite(root, true, shape, lookup);
  sql::MatchPlain(root, shape);
  sql::GuardScalarSubqueries(root);
  std::string out;
  sql::Emit(root, &out);
  return out;
}

}  // namespace

std::string TranslateJetSql(const std::string& jetSql, StatementShape* shape, const ColumnLookup* lookup) {
  return Translate(jetSql, shape, lookup, nullptr);
}

std::string TranslateCrosstab(const std::string& jetSql, const std::vector<CrosstabHeading>& headings,
                              StatementShape* shape, const ColumnLookup* lookup) {
  return Translate(jetSql, shape, lookup, &headings);
}

}  // namespace jet
