// The plain libmdb scan of one table: every row fetched, no column bound. It is the
// reader's floor in the benchmarks and the independent row count in the tests.
#pragma once
#include <string>

// Rows of `table` as libmdb counts them; -1 when the file or the table cannot be read.
long LibmdbRowCount(const std::string& path, const std::string& table);
