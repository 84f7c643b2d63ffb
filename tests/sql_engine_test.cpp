#include <gtest/gtest.h>
#include "support/FakeMdbFile.h"
#include "platform/jet/Provider.h"
TEST(SqlEngine, Smoke) {
  auto file = std::make_shared<fake::MdbFile>();
  fake::Table t;
  t.name = "t";
  t.columns = {{"id", jet::AccessType::LongInteger}, {"name", jet::AccessType::Text}};
  t.rows = {{VARIANT::I4(1), VARIANT::Str("a")}, {VARIANT::I4(2), VARIANT::Str("B")}};
  file->Add(t);
  auto db = jet::Database::OpenOver(file);
  auto c = db->Execute("select * from t order by name desc");
  ASSERT_FALSE(c->Eof());
  EXPECT_EQ(c->Value(1).bstrVal, "B");
}
