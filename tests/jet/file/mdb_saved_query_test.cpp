// Saved queries rebuilt from MSysQueries rows as Access writes them: joins in any
// stored order, several conditions between two tables, unions and crosstabs.
#include <gtest/gtest.h>

#include "platform/jet/file/SavedQuery.h"
#include "platform/jet/file/TableDef.h"
#include "support/FakeMdbFile.h"

namespace {

struct Row { int attribute; const char *name1, *name2, *expression; int flag; };

// The rows as MSysQueries rows of query 7 (whose Flags in MSysObjects are
// `catalogFlags`), through the stand-in reader.
std::string Rebuilt(const std::vector<Row>& rows, uint32_t catalogFlags = 0) {
  fake::Table q;
  q.name = "MSysQueries";
  jet::TableDef def;
  for (const char* n : {"ObjectId", "Attribute", "Name1", "Name2", "Expression", "Flag"}) {
    q.columns.push_back({n, jet::AccessType::Text});
    def.columns.push_back({q.columns.back()});
  }
  auto text = [](const char* s) { return s ? VARIANT::Str(s) : VARIANT::Null(); };
  for (const Row& r : rows)
    q.rows.push_back({VARIANT::I4(7), VARIANT::I4(r.attribute), text(r.name1), text(r.name2), text(r.expression),
                      VARIANT::I4(r.flag)});
  fake::MdbFile file;
  file.Add(q);
  return jet::RebuildSelect(*file.Scan("MSysQueries"), def, 7, catalogFlags);
}

TEST(SavedQuery, KindsAndJoinShapes) {
  const std::vector<Row> abcd = {{1, 0, 0, 0, 1}, {5, "A", 0, 0, 0}, {5, "B", 0, 0, 0}, {5, "C", 0, 0, 0},
                                 {5, "D", 0, 0, 0}, {6, 0, 0, "A.x", 0}};
  auto with = [&](std::vector<Row> more) {
    std::vector<Row> rows = abcd;
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
  };
  // Access 2007 and later may write no kind row: the catalog's Flags tell it.
  const std::vector<Row> noKind = {{0, 0, 0, 0, 0}, {255, 0, 0, 0, 0}, {5, "T", 0, 0, 0}, {6, "Y", 0, "T.x*2", 0}};
  const struct { const char* what; std::vector<Row> rows; std::string sql; uint32_t flags = 0; } cases[] = {
      {"chains joined later", with({{7, "A", "B", "A.k = B.k", 1}, {7, "C", "D", "C.k = D.k", 2}, {7, "B", "D", "B.j = D.j", 1}}),
       "SELECT A.x FROM (A INNER JOIN B ON A.k = B.k) INNER JOIN (C LEFT JOIN D ON C.k = D.k) ON B.j = D.j"},
      {"two conditions", with({{7, "A", "B", "A.k = B.k", 1}, {7, "B", "A", "A.j = B.j", 1}}),
       "SELECT A.x FROM A INNER JOIN B ON A.k = B.k AND A.j = B.j, C, D"},
      {"a ring", with({{7, "A", "B", "A.k = B.k", 1}, {7, "C", "B", "C.k = B.k", 3}, {7, "A", "C", "A.j = C.j", 1}}),
       "SELECT A.x FROM C RIGHT JOIN (A INNER JOIN B ON A.k = B.k) ON C.k = B.k AND A.j = C.j, D"},
      {"union", {{1, 0, 0, 0, 9}, {3, 0, 0, 0, 3}, {5, 0, "X7YZ_____1", "SELECT a FROM t", 0},
                 {5, 0, "X7YZ_____2", "SELECT b FROM u", 0}, {11, 0, 0, "a", 0}},
       "SELECT a FROM t UNION SELECT b FROM u ORDER BY a"},
      {"union all", {{1, 0, 0, 0, 9}, {3, 0, 0, 0, 1}, {5, 0, "1", "SELECT a FROM t", 0}, {5, 0, "2", "SELECT b FROM u", 0}},
       "SELECT a FROM t UNION ALL SELECT b FROM u"},
      {"crosstab", {{1, 0, 0, 0, 6}, {5, "T", 0, 0, 0}, {6, 0, 0, "T.r", 2}, {6, "H", 0, "T.h In (1,2)", 1},
                    {6, "V", 0, "Sum(T.v)", 0}, {9, 0, 0, "T.r", 2}, {9, 0, 0, "T.h", 1}},
       "TRANSFORM Sum(T.v) AS V SELECT T.r FROM T GROUP BY T.r PIVOT T.h In (1,2)"},
      {"an update query", {{1, 0, 0, 0, 4}, {5, "T", 0, 0, 0}, {6, 0, 0, "1", 0}}, ""},
      {"a select by its flags", noKind, "SELECT T.x*2 AS Y FROM T", 3},
      {"an update by its flags", noKind, "", 48},
      {"a kind row before the flags", with({}), "SELECT A.x FROM A, B, C, D", 48},
  };
  for (const auto& c : cases) EXPECT_EQ(Rebuilt(c.rows, c.flags), c.sql) << c.what;
}

}  // namespace
