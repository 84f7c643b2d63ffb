// The Jet-to-SQLite translation on its own: what SQLite is handed, and what is
// refused before SQLite sees it.
#include <gtest/gtest.h>

#include "platform/com/Causes.h"
#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/sql/Parser.h"
#include "platform/jet/sql/Printer.h"
#include "platform/jet/file/MdbFile.h"
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
  EXPECT_EQ(jet::TranslateJetSql("select top 4 * from t"), "SELECT * FROM \"t\" LIMIT 4");
  EXPECT_EQ(jet::TranslateJetSql("select top 4 * from customers where city='beijing' order by name;"),
            "SELECT * FROM \"customers\" WHERE city = 'beijing' COLLATE JETTEXT ORDER BY name LIMIT 4");
  EXPECT_EQ(jet::TranslateJetSql("SELECT DISTINCT TOP 2 a FROM t"), "SELECT DISTINCT a FROM \"t\" LIMIT 2");
  EXPECT_EQ(jet::TranslateJetSql("select a from t where a in (select top 1 b from u)"),
            "SELECT a FROM \"t\" WHERE a IN (SELECT b FROM \"u\" LIMIT 1)");
}

TEST(SqlTranslate, NamesLiteralsAndConstants) {
  EXPECT_EQ(jet::TranslateJetSql("select [Order ID] from [Order Details] where x = \"a'b\""),
            "SELECT \"Order ID\" FROM \"Order Details\" WHERE x = 'a''b' COLLATE JETTEXT");
  EXPECT_EQ(jet::TranslateJetSql("select a from t where d = #1/31/2000# and f = True"),
            "SELECT a FROM \"t\" WHERE d = 36556.0 AND f = (-1)");
  EXPECT_EQ(jet::TranslateJetSql("select a from t where d between #2000-01-31# and #2000-01-31 12:00#"),
            "SELECT a FROM \"t\" WHERE d BETWEEN 36556.0 AND 36556.5");
  // A column Jet allows but SQLite reserves stays a column.
  EXPECT_EQ(jet::TranslateJetSql("select limit from t"), "SELECT \"limit\" FROM \"t\"");
}

TEST(SqlTranslate, ConcatenationTakesWholeOperands) {
  EXPECT_EQ(jet::TranslateJetSql("select a & b as c from t"), "SELECT vba_cat(a, b) COLLATE JETTEXT AS \"c\" FROM \"t\"");
  EXPECT_EQ(jet::TranslateJetSql("select a from t where a & b + 1 & t.c = 'x'"),
            "SELECT a FROM \"t\" WHERE vba_cat(a, vba_add(b, 1) COLLATE JETTEXT, t.c) COLLATE JETTEXT = 'x' COLLATE JETTEXT");
  EXPECT_EQ(jet::TranslateJetSql("select a from t where -x & left(y, 2) > ''"),
            "SELECT a FROM \"t\" WHERE vba_cat(- x, vba_left(y, 2) COLLATE JETTEXT) COLLATE JETTEXT > '' COLLATE JETTEXT");
  EXPECT_EQ(CodeOf("select & a from t"), JET_E_SYNTAX);
}

TEST(SqlTranslate, PlusKeepsItsPrecedence) {
  EXPECT_EQ(jet::TranslateJetSql("select a from t where a - b + c * 2 - d > -1 + +e"),
            "SELECT a FROM \"t\" WHERE vba_add(a - b, c * 2) COLLATE JETTEXT - d > vba_add(- 1, + e) COLLATE JETTEXT");
}

TEST(SqlTranslate, UnnamedExpressionsOfTheOuterSelectGetAnAlias) {
  std::string alias = std::string("\"") + jet::kExprAlias + "\"";
  EXPECT_EQ(jet::TranslateJetSql("select a, count(*), b as c, t.d, 1 from t group by a, b, t.d"),
            "SELECT a, count(*) COLLATE JETTEXT AS " + alias + ", b AS \"c\", t.d, 1 AS " + alias +
                " FROM \"t\" GROUP BY a, b, t.d");
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

std::string Parsed(const std::string& sql) {
  try {
    return jet::sql::Print(jet::sql::ParseJetSql(sql).query);
  } catch (const _com_error& e) {
    return "refused: " + e.Description();
  }
}

std::string SyntaxCause(const std::string& sql) {
  try {
    jet::sql::ParseJetSql(sql);
  } catch (const _com_error& e) {
    return e.Error() == JET_E_SYNTAX ? e.Description() : "other";
  }
  return "none";
}

// Jet's refusals say what is wrong, in the words the user reads.
TEST(SqlTree, RefusalsNameTheirCause) {
  const std::pair<const char*, std::string> rows[] = {
      {"select a, count(*) from t group by b", NotGroupedCause("a")},
      {"select distinct a from t order by b", OrderKeyNotSelectedCause("b")},
      {"select a from t order by 3", OrderKeyNotSelectedCause("3")},
      {"select a from t union select a from u order by 2", OrderKeyNotSelectedCause("2")},
      {"select left(a) from t", ArgumentCountCause("left")},
      {"select a from t union select a, b from u", UnionFieldCountCause()},
      {"select count(distinct a) from t", SyntaxErrorCause("count(DISTINCT")},
      {"select nosuch(a) from t", NoSuchColumnCause("nosuch")},
  };
  for (const auto& [sql, cause] : rows) {
    std::string said = "none";
    try {
      jet::TranslateJetSql(sql);
    } catch (const _com_error& e) {
      said = e.Description();
    }
    EXPECT_EQ(said, cause) << sql;
  }
}

TEST(SqlTree, ParsesClausesAndPrecedence) {
  const std::pair<const char*, const char*> rows[] = {
      {"select top 5 percent a, t.b as [x y] from t inner join u on t.k = u.k where not a = 1 or b <> 2 order by a desc",
       "SELECT a, t.b AS \"x y\" FROM \"t\" INNER JOIN \"u\" ON t.k = u.k WHERE NOT a = 1 OR b <> 2 ORDER BY a DESC"},
      {"select a from t where a between 1 and 2 and b not like 'x*' and c is not null and d not in (1, 2)",
       "SELECT a FROM \"t\" WHERE a BETWEEN 1 AND 2 AND b NOT LIKE 'x*' COLLATE JETTEXT AND c IS NOT NULL AND d NOT IN (1, 2)"},
      {"(select a from t) union all (select top 1 b from u order by b) order by 1",
       "SELECT a FROM \"t\" UNION ALL SELECT * FROM (SELECT b FROM \"u\" ORDER BY b) ORDER BY 1"},
      {"select x from (a left outer join b on a.i = b.i) , c d", "SELECT x FROM (\"a\" LEFT OUTER JOIN \"b\" ON a.i = b.i), \"c\" AS \"d\""},
      {"select t!c, [limit], count(*) from t group by t!c having count(*) > 1",
       "SELECT t.c, \"limit\", count(*) COLLATE JETTEXT FROM \"t\" GROUP BY t.c HAVING count(*) COLLATE JETTEXT > 1"},
      {"select a from t where d = #1/31/2000# and f = True and g = No", "SELECT a FROM \"t\" WHERE d = 36556.0 AND f = (-1) AND g = 0"},
  };
  for (const auto& [jet, printed] : rows) EXPECT_EQ(Parsed(jet), printed) << jet;
  // One precedence table: ^ over signs over * / over \\ over Mod over + - over & over comparisons.
  ASSERT_EQ(SyntaxCause("select -2 ^ 2 * 3 \\ 4 mod 5 + 6 & 7 = 8 from t"), "none");
  const jet::sql::Node e = jet::sql::ParseJetSql("select -2 ^ 2 * 3 \\ 4 mod 5 + 6 & 7 = 8 from t").query.members[0].items[0].expr;
  EXPECT_EQ(e.text, "=");
  EXPECT_EQ(e.kids[0].text, "&");
  EXPECT_EQ(e.kids[0].kids[0].text, "+");
  EXPECT_EQ(e.kids[0].kids[0].kids[0].text, "mod");
  EXPECT_EQ(e.kids[0].kids[0].kids[0].kids[0].text, "\\");
  EXPECT_EQ(e.kids[0].kids[0].kids[0].kids[0].kids[0].text, "*");
  EXPECT_EQ(e.kids[0].kids[0].kids[0].kids[0].kids[0].kids[0].kind, jet::sql::NodeKind::Unary);
}

TEST(SqlTree, SyntaxErrorsNameTheStretchNearTheFault) {
  const std::pair<const char*, const char*> rows[] = {
      {"select a b from t", "a b from"},
      {"select a from t where", "没有写完"},  // ends where more must follow
      {"select a from t where d = #31/31/2000#", "#31/31/2000#"},
      {"select a from t; select b from t", "; select b"},
      {"select top x * from t", "top x *"},
      {"select a from t where a in (select b c from u)", "b c from"},
      {"select a from t order by", "没有写完"},
  };
  for (const auto& [jet, near] : rows) EXPECT_NE(SyntaxCause(jet).find(near), std::string::npos) << jet << ": " << SyntaxCause(jet);
}

// Text keys of ORDER BY, GROUP BY and DISTINCT as sort keys; the fields as they are.
TEST(SqlTree, TextKeysSortAndGroupBySortKeys) {
  const jet::ColumnLookup lookup = [](const std::string&, std::vector<jet::TypedColumn>* columns, std::string*) {
    *columns = {{"n", static_cast<int>(jet::AccessType::LongInteger), ""}, {"s", static_cast<int>(jet::AccessType::Text), ""}};
    return jet::SourceFound::Columns;
  };
  const std::pair<const char*, const char*> rows[] = {
      {"select s, n from t order by s desc, n", "SELECT s, n FROM \"t\" ORDER BY jet_sortkey(s) COLLATE BINARY DESC, n"},
      {"select s as x, n from t order by x, 2, 1", "SELECT s AS \"x\", n FROM \"t\" ORDER BY jet_sortkey(s) COLLATE BINARY, 2, jet_sortkey(s) COLLATE BINARY"},
      {"select s, count(*) as c from t group by s, n", "SELECT s, count(*) COLLATE JETTEXT AS \"c\" FROM \"t\" GROUP BY jet_sortkey(s) COLLATE BINARY, n"},
      {"select distinct n, s from t", "SELECT n, s FROM \"t\" GROUP BY n, jet_sortkey(s) COLLATE BINARY"},
      {"select distinct n from t", "SELECT DISTINCT n FROM \"t\""},
      {"select distinct *, s from t order by 2", "SELECT DISTINCT *, s FROM \"t\" ORDER BY 2"},
      {"select distinct count(*) from t", "SELECT DISTINCT count(*) COLLATE JETTEXT AS \"__jet_expr__\" FROM \"t\""},
      {"select distinctrow s from t", "SELECT s FROM \"t\""},
      {"select s from t union select s from t order by s", "SELECT s FROM \"t\" UNION SELECT s FROM \"t\" ORDER BY s"},
      {"(select top 1 s from t order by s) union all (select s from t)",
       "SELECT * FROM (SELECT s FROM \"t\" ORDER BY jet_sortkey(s) COLLATE BINARY LIMIT 1) UNION ALL SELECT s FROM \"t\""},
  };
  for (const auto& [jet, printed] : rows) {
    jet::StatementShape shape;
    EXPECT_EQ(jet::TranslateJetSql(jet, &shape, &lookup), printed) << jet;
  }
  // TOP's ties compare the values: the keys order, the hidden fields are the values.
  jet::StatementShape shape;
  EXPECT_EQ(jet::TranslateJetSql("select top 2 n from t order by s", &shape, &lookup),
            "SELECT n, s AS \"__jet_expr__\" FROM \"t\" ORDER BY jet_sortkey(s) COLLATE BINARY");
  EXPECT_EQ(shape.tieKeys, 1);
}

}  // namespace

// The portable translation, for views in the whole-database output: SQLite's own
// SQL over its tables (Yes/No as 1 and 0, dates as ISO 8601 text), or why not.
TEST(SqlTranslate, PortableForViewsOrWhyNot) {
  const jet::ColumnLookup lookup = [](const std::string& name, std::vector<jet::TypedColumn>* columns, std::string*) {
    if (name != "t") return jet::SourceFound::Missing;
    // AccessType codes: Text, Currency, Yes/No, Date/Time, Long.
    *columns = {{"name", 0x0A, ""}, {"price", 0x05, ""}, {"gone", 0x01, ""}, {"d", 0x08, ""}, {"n", 0x04, ""}};
    return jet::SourceFound::Columns;
  };
  struct Case {
    const char* jet;
    const char* portable;  // empty: refused
    const char* why;       // a part of the reason (in the source language)
  } cases[] = {
      {"SELECT DISTINCTROW TOP 3 name FROM t WHERE gone = No AND d >= #1/1/95# ORDER BY name",
       "SELECT name FROM \"t\" WHERE gone = 0 AND d >= '1995-01-01 00:00:00' ORDER BY name COLLATE NOCASE LIMIT 3", ""},
      {"SELECT Trim(name), Nz(n, 0), Sum(n) FROM t WHERE gone <> Yes GROUP BY name, n",
       "SELECT trim(name) AS \"Expr1000\", ifnull(n, 0) AS \"Expr1001\", sum(n) AS \"Expr1002\" FROM \"t\" WHERE "
       "gone <> 1 GROUP BY name COLLATE NOCASE, n", ""},
      {"SELECT Sum(price) FROM t", "", "货币"},
      {"SELECT price * 2 FROM t", "", "货币"},
      {"SELECT name & ' ' & n FROM t", "SELECT (CASE WHEN coalesce(name, ' ' COLLATE NOCASE, n) IS NULL THEN NULL "
       "ELSE ifnull(name, '') || ifnull(' ' COLLATE NOCASE, '') || ifnull(n, '') END) AS \"Expr1000\" FROM \"t\"", ""},
      {"SELECT name & price FROM t", "", "文本形式"},
      {"SELECT Trim(d) FROM t", "", "文本形式"},
      {"SELECT Max(name) FROM t", "", "排序规则"},
      {"SELECT Nz(n) FROM t", "", "nz"},
      {"SELECT name FROM t WHERE name LIKE 'a*'", "", "LIKE"},
      {"SELECT UCase(name) FROM t", "", "ucase"},
      {"TRANSFORM Sum(n) SELECT name FROM t GROUP BY name PIVOT gone", "", "交叉表"},
  };
  for (const Case& c : cases) {
    std::string why;
    EXPECT_EQ(jet::TranslatePortable(c.jet, &lookup, &why), c.portable) << c.jet << ": " << why;
    EXPECT_NE(why.find(c.why), std::string::npos) << c.jet << ": " << why;
  }
}

namespace {

// A table of every kind of number, for typing the money lowering's input.
std::string Lowered(const std::string& jetSql) {
  const jet::ColumnLookup lookup = [](const std::string& name, std::vector<jet::TypedColumn>* columns, std::string*) {
    using T = jet::AccessType;
    const std::pair<const char*, T> kinds[] = {{"cy", T::Currency}, {"dec", T::Decimal}, {"n", T::LongInteger},
                                               {"r", T::Double},    {"s", T::Single},    {"t", T::Text}};
    for (const auto& [column, type] : kinds) columns->push_back({column, static_cast<int>(type), ""});
    return name == "m" ? jet::SourceFound::Columns : jet::SourceFound::Missing;
  };
  jet::StatementShape shape;
  std::string sql = jet::TranslateJetSql(jetSql, &shape, &lookup);
  // Without the collation every call's text takes, the aliases and the table.
  for (const std::string noise : {"SELECT ", " COLLATE JETTEXT", " AS \"__jet_expr__\"", " FROM \"m\""})
    for (size_t at; (at = sql.find(noise)) != std::string::npos;) sql.erase(at, noise.size());
  return sql;
}

}  // namespace

// Every value Jet types Currency or Decimal stays an exact BLOB: computed,
// compared, summed and converted by the exact functions, and a REAL only where
// Jet's type is a Double.
TEST(SqlLowering, MoneyStaysExact) {
  const struct { const char *jet, *sqlite; } cases[] = {
      {"select cy + n, cy - s, cy * dec, -cy from m",
       R"(jet_currency(jet_exact_add(cy, jet_exact(n))), jet_currency(jet_exact_sub(cy, jet_currency(s))), jet_exact_mul(cy, dec), jet_exact_neg(cy))"},
      {"select cy * r, cy / 2, cy \\ 2, dec mod 3 from m",
       R"(jet_exact_real(cy) * r, vba_div(jet_exact_real(cy), 2), vba_idiv(jet_exact_real(cy), 2), vba_mod(jet_exact_real(dec), 3))"},
      {"select cy from m where cy > 18 and dec between 1 and r and cy in (1, 2.5)",
       R"(cy WHERE cy > jet_exact(18) AND dec BETWEEN jet_exact(1) AND jet_exact(r) AND cy IN (jet_exact(1), jet_exact(2.5)))"},
      {"select Sum(cy), Avg(dec), Min(cy), Sum(cy) * 2 from m",
       R"(jet_currency(jet_exact_sum(cy)), jet_exact_avg(dec), Min(cy), jet_currency(jet_exact_mul(jet_currency(jet_exact_sum(cy)), jet_exact(2))))"},
      {"select CCur(r), CCur(cy), CDec(cy), CDbl(cy), CStr(dec), 'x' & cy, Abs(cy), Left(cy, 2) from m",
       R"(jet_currency(vba_ccur(r)), jet_currency(cy), jet_exact(cy), jet_exact_real(cy), jet_exact_text(dec), vba_cat('x', jet_exact_text(cy)), jet_currency(vba_abs(jet_exact_real(cy))), vba_left(jet_exact_text(cy), 2))"},
      {"select IIf(n > 1, cy, 0), IIf(n > 1, cy, r), Nz(dec, 0) from m",
       R"((CASE WHEN vba_iif(n > 1, 1, 0) THEN cy ELSE jet_exact(0) END), (CASE WHEN vba_iif(n > 1, 1, 0) THEN jet_exact_real(cy) ELSE r END), vba_nz(dec, jet_exact(0)))"},
      {"select n from m union select cy from m",
       R"(n UNION jet_exact_real(cy))"},
      {"select cy from m where n > all (select cy from m)",
       R"(cy WHERE (CASE WHEN sum(__jet_c = 0) > 0 THEN 0 WHEN count(*) = count(__jet_c) THEN -1 END FROM )"
       R"((jet_exact(n) > __jet_quantified AS __jet_c FROM (cy AS "__jet_quantified"))))"},
  };
  for (const auto& c : cases) EXPECT_EQ(Lowered(c.jet), c.sqlite) << c.jet;
}
