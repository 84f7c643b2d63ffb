#include "support/LibmdbScan.h"

#include <glib.h>  // before mdbtools.h, which includes it inside extern "C"
#include <mdbtools.h>

long LibmdbRowCount(const std::string& path, const std::string& table) {
  MdbHandle* mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
  if (!mdb) return -1;
  long rows = -1;
  if (mdb_read_catalog(mdb, MDB_TABLE)) {
    MdbTableDef* t = mdb_read_table_by_name(mdb, const_cast<gchar*>(table.c_str()), MDB_TABLE);
    if (t) {
      mdb_read_columns(t);
      mdb_rewind_table(t);
      rows = 0;
      while (mdb_fetch_row(t)) ++rows;
      mdb_free_tabledef(t);
    }
  }
  mdb_close(mdb);
  return rows;
}
