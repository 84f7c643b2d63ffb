// Saved select queries as SQLite views: each statement translated as the engine
// translates it and printed with SQLite's own functions only (Translate.h,
// TranslatePortable), kept where stock SQLite gives for it the rows Kelvane gives
// for the query. The others are listed with the reason in the table
// kelvane_queries_not_views and on standard error.
#pragma once
#include <sqlite3.h>
#include "migrate/WholeDatabase.h"

namespace migrate {

// Into the open output database, after the tables are filled. Throws _com_error.
void WriteViews(sqlite3* db, const _ConnectionPtr& connection, const DatabaseSchema& schema,
                const WriteEvents& events);

}  // namespace migrate
