// The rows of one table straight from the reader, in scan order, with multi-value
// and attachment columns as their keys: what ties each row to the rows of its
// entries, which the statement's cursor shows only as the entries' texts.
#pragma once
#include <memory>
#include <string>
#include "platform/jet/Provider.h"

namespace jet {

// E_FAIL when there is no such table (exact name).
std::unique_ptr<Cursor> KeysCursor(const std::shared_ptr<MdbFile>& file, const std::string& table);

}  // namespace jet
