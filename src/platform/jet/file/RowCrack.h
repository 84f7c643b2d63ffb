// Splitting one stored row into its fields: where each column's bytes lie, or that it
// is NULL, from the row's column count, variable-offset table and null mask.
#pragma once
#include <cstdint>
#include <vector>
#include "platform/jet/file/TableDef.h"

namespace jet {

struct FieldSpan {
  const uint8_t* data = nullptr;  // nullptr: NULL
  uint32_t len = 0;
  bool bit = false;  // Yes/No columns: the value, which lives in the null mask
};

// Fills fields[i] for table.columns[i]; `offsets` is scratch space kept by the caller.
// E_FAIL when the row's own tables do not fit it.
void CrackRow(const JetFormat& f, const TableDef& table, const uint8_t* row, uint32_t len,
              std::vector<FieldSpan>* fields, std::vector<uint32_t>* offsets);

}  // namespace jet
