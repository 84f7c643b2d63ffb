// The function table: every row is registered under its SQL name for each of its
// argument counts, the wrappers read the rows, and a refused registration is named.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/Functions.h"

namespace {

using jet::vba::FunctionKind;

TEST(VbaTable, EveryRowIsRegistered) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  ASSERT_TRUE(jet::RegisterVbaFunctions(db));
  for (const jet::vba::FunctionInfo& row : jet::vba::FunctionTable()) {
    const int last = row.maxArgs < 0 ? row.minArgs + 3 : row.maxArgs;
    for (int n = row.minArgs; n <= last; ++n) {
      std::string sql = "select " + row.sqlName + "(";
      for (int k = 0; k < n; ++k) sql += k ? ", 1" : "1";
      sql += ")";
      sqlite3_stmt* stmt = nullptr;
      EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql << ": " << sqlite3_errmsg(db);
      sqlite3_finalize(stmt);
    }
    const bool called = row.kind == FunctionKind::Function || row.kind == FunctionKind::Aggregate;
    EXPECT_EQ(jet::VbaCallSqlName(row.name), called ? row.sqlName : "") << row.name;
    EXPECT_EQ(jet::IsJetAggregate(row.name), row.kind == FunctionKind::SqliteAggregate) << row.name;
    EXPECT_TRUE(jet::IsStatementFunction(row.sqlName.c_str())) << row.name;
  }
  EXPECT_EQ(jet::VbaFunctionSqlName("Left$"), "vba_left");
  EXPECT_EQ(jet::VbaFunctionSqlName("Date$"), "vba_datestr");
  EXPECT_EQ(jet::VbaFunctionSqlName("TypedVarType"), "");
  // While a statement runs, SQLite refuses to replace a collation.
  sqlite3_stmt* running = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "select vba_left('abc', 1) union all select 'x'", -1, &running, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(running), SQLITE_ROW);
  std::string failed;
  EXPECT_FALSE(jet::RegisterVbaFunctions(db, &failed));
  EXPECT_EQ(failed, jet::kTextCollation);
  sqlite3_finalize(running);
  sqlite3_close(db);
}

TEST(VbaTable, TextParameters) {
  const struct { const char* name; size_t arg, count; bool text; } cases[] = {
      {"Left$", 0, 2, true}, {"left", 1, 2, false}, {"instr", 0, 2, true}, {"instr", 1, 2, true},
      {"instr", 0, 3, false}, {"instr", 2, 3, true}, {"instr", 3, 4, false}, {"replace", 2, 3, true},
      {"cat", 40, 41, true}, {"year", 0, 1, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(jet::vba::FindFunction(c.name)->TextParameter(c.arg, c.count), c.text) << c.name << " " << c.arg;
}

}  // namespace
