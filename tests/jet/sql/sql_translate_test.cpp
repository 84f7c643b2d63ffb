// The Jet-to-SQLite translation on its own: what SQLite is handed, and what is
// refused before SQLite sees it.
#include <gtest/gtest.h>

#include "platform/com/ComError.h"
#include "platform/jet/sql/Translate.h"

namespace {

HRESULT CodeOf(const std::string& sql) {
  try {
    jet::TranslateJetSql(sql);
  } catch (const _com_error& e) {
    return e.Error();
  }
  return S_OK;
}

TEST(SqlTranslate, TopBecomesLimitAtTheEndOfItsSelect) {
  EXPECT_EQ(jet::TranslateJetSql("select top 4 * from t"), "select * from t LIMIT 4");
  EXPECT_EQ(jet::TranslateJetSql("select top 4 * from customers where city='beijing' order by name;"),
            "select * from customers where city = 'beijing' COLLATE JETTEXT order by name LIMIT 4");
  EXPECT_EQ(jet::TranslateJetSql("SELECT DISTINCT TOP 2 a FROM t"), "SELECT DISTINCT a FROM t LIMIT 2");
  EXPECT_EQ(jet::TranslateJetSql("select a from t where a in (select top 1 b from u)"),
            "select a from t where a in (select b from u LIMIT 1)");
}

TEST(SqlTranslate, NamesLiteralsAndConstants) {
  EXPECT_EQ(jet::TranslateJetSql("select [Order ID] from [Order Details] where x = \"a'b\""),
            "select \"Order ID\" from \"Order Details\" where x = 'a''b' COLLATE JETTEXT");
  EXPECT_EQ(jet::TranslateJetSql("select a from t where d = #1/31/2000# and f = True"),
            "select a from t where d = 36556.0 and f = (-1)");
  EXPECT_EQ(jet::TranslateJetSql("select a from t where d between #2000-01-31# and #2000-01-31 12:00#"),
            "select a from t where d between 36556.0 and 36556.5");
  // A column Jet allows but SQLite reserves stays a column.
  EXPECT_EQ(jet::TranslateJetSql("select limit from t"), "select \"limit\" from t");
}

TEST(SqlTranslate, ConcatenationTakesWholeOperands) {
  EXPECT_EQ(jet::TranslateJetSql("select a & b as c from t"), "select vba_cat(a, b) COLLATE JETTEXT as c from t");
  EXPECT_EQ(jet::TranslateJetSql("select a from t where a & b + 1 & t.c = 'x'"),
            "select a from t where vba_cat(a, vba_add(b, 1) COLLATE JETTEXT, t.c) COLLATE JETTEXT = 'x' COLLATE JETTEXT");
  EXPECT_EQ(jet::TranslateJetSql("select a from t where -x & left(y, 2) > ''"),
            "select a from t where vba_cat(- x, vba_left(y, 2) COLLATE JETTEXT) COLLATE JETTEXT > '' COLLATE JETTEXT");
  EXPECT_EQ(CodeOf("select & a from t"), JET_E_SYNTAX);
}

TEST(SqlTranslate, PlusKeepsItsPrecedence) {
  EXPECT_EQ(jet::TranslateJetSql("select a from t where a - b + c * 2 - d > -1 + +e"),
            "select a from t where vba_add(a - b, c * 2) COLLATE JETTEXT - d > vba_add(- 1, + e) COLLATE JETTEXT");
}

TEST(SqlTranslate, UnnamedExpressionsOfTheOuterSelectGetAnAlias) {
  std::string alias = std::string("\"") + jet::kExprAlias + "\"";
  EXPECT_EQ(jet::TranslateJetSql("select a, count(*), b as c, t.d, 1 from t group by a, b, t.d"),
            "select a, count(*) COLLATE JETTEXT AS " + alias + ", b as c, t.d, 1 AS " + alias +
                " from t group by a, b, t.d");
}

TEST(SqlTranslate, RefusedStatements) {
  EXPECT_EQ(CodeOf(""), JET_E_EMPTYSTATEMENT);
  EXPECT_EQ(CodeOf(" \r\n\t "), JET_E_EMPTYSTATEMENT);
  EXPECT_EQ(CodeOf(";"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select 'abc from t"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select [abc from t"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select (a from t"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select a) from t"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select a from t where d = #31/31/2000#"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select a from t; select b from t"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select top x * from t"), JET_E_SYNTAX);
  // Jet wants AS before a column alias (a table alias may go without).
  EXPECT_EQ(CodeOf("select name,tel fromdate, id from orders"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select a from t where a in (select b c from u)"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("select c.a from t c"), S_OK);
  EXPECT_EQ(CodeOf("pragma table_info(t)"), JET_E_SYNTAX);
  EXPECT_EQ(CodeOf("delete from t"), E_FAIL);
  EXPECT_EQ(CodeOf("select a into u from t"), E_FAIL);
}

}  // namespace
