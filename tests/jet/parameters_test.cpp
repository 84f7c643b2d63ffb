// Parameter values reach every saved query a statement reads, at any depth, and a
// parameter left without one fails naming it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/com/Causes.h"
#include "platform/jet/Provider.h"
#include "support/JetWriter.h"

namespace {

TEST(Parameters, ReachEverySavedQueryAStatementReads) {
  const std::string path = "/tmp/parameters_test_" + std::to_string(getpid()) + ".mdb";
  jetwriter::WriteJet4(path, jetwriter::DemoTables(),
                       {{"Recent", "SELECT CustomerID, City FROM Customers WHERE CustomerID >= [From Id]"},
                        {"Range", "SELECT CustomerID FROM Recent WHERE CustomerID <= [Forms]![F]![To Id]"}});
  auto db = jet::Database::Open(path);
  struct Case {
    jet::ParameterValues values;
    const char* sql;
    int rows;             // when nothing is missing
    const char* missing;  // the parameter named, or empty
  } cases[] = {
      {{{"From Id", "3"}, {"Forms!F!To Id", "5"}}, "select * from Range", 3, ""},
      {{{"from id", "7"}, {"[Forms]![F]![To Id]", "100"}}, "select CustomerID from [Range] where CustomerID > 0", 2, ""},
      {{{"From Id", "3"}}, "select * from Range", 0, "Forms!F!To Id"},
      {{}, "select * from Recent", 0, "From Id"},
  };
  for (const Case& c : cases) {
    db->SetParameterValues(c.values);
    std::string missing;
    int rows = 0;
    try {
      for (auto cursor = db->Execute(c.sql); !cursor->Eof(); cursor->MoveNext()) ++rows;
    } catch (const _com_error& e) {
      EXPECT_EQ(e.Error(), JET_E_NOCOLUMN) << c.sql;
      EXPECT_EQ(e.Description(), MissingParameterCause(c.missing)) << c.sql;
      missing = c.missing;
    }
    EXPECT_EQ(missing, c.missing) << c.sql;
    if (!*c.missing) {
      EXPECT_EQ(rows, c.rows) << c.sql;
    }
  }
  std::remove(path.c_str());
}

}  // namespace
