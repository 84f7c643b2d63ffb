// Our reader beside libmdb on the real files: the same tables, the same number of
// live rows in each (deleted rows skipped, moved rows counted once).
#include <glib.h>  // before mdbtools.h, which includes it inside extern "C"
#include <mdbtools.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/jet/file/MdbFile.h"

namespace {

std::map<std::string, long> LibmdbRowCounts(const std::string& path) {
  std::map<std::string, long> out;
  MdbHandle* mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
  if (!mdb) return out;
  if (mdb_read_catalog(mdb, MDB_TABLE)) {
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
      auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
      MdbTableDef* t = mdb_read_table(entry);
      if (!t) continue;
      mdb_read_columns(t);
      mdb_rewind_table(t);
      long rows = 0;
      while (mdb_fetch_row(t)) ++rows;
      out[entry->object_name] = rows;
      mdb_free_tabledef(t);
    }
  }
  mdb_close(mdb);
  return out;
}

std::map<std::string, long> OurRowCounts(const std::string& path) {
  std::map<std::string, long> out;
  auto f = jet::MdbFile::Open(path);
  for (const jet::CatalogEntry& e : f->Catalog()) {
    if (e.type != jet::ObjectType::Table && e.type != jet::ObjectType::SystemTable) continue;
    auto s = f->Scan(e.name);
    long rows = 0;
    while (s->Next()) ++rows;
    out[e.name] = rows;
  }
  return out;
}

TEST(MdbBesideLibmdb, SameTablesSameRowCounts) {
  for (const char* name : {"nwind.mdb", "V1997_test.mdb", "V2000_test.mdb", "V2000_empty.mdb"}) {
    const std::string path = std::string(KELVANE_TESTDATA) + "/" + name;
    const auto theirs = LibmdbRowCounts(path);
    ASSERT_FALSE(theirs.empty()) << name;
    EXPECT_EQ(OurRowCounts(path), theirs) << name;
  }
}

}  // namespace
