// A table's schema put together from what the file keeps in three places: its
// definition (columns, indexes), its properties blob and, for multi-value and
// attachment columns, MSysComplexColumns.
#pragma once
#include "platform/jet/file/ComplexColumns.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/file/Properties.h"
#include "platform/jet/file/TableDef.h"

namespace jet {

// E_FAIL when the definition's indexes could not be read or name a column it lacks.
TableSchema BuildTableSchema(const std::string& name, const TableDef& def, const TableProperties& props,
                             ComplexColumns& complex, bool jet4);

// The properties blob of every table, by catalog id (MSysObjects' Id, LvProp).
// A blob that does not hold together is damage: E_FAIL.
std::map<uint32_t, TableProperties> ReadAllProperties(const std::shared_ptr<const Pager>& pager,
                                                      const std::shared_ptr<CodePageDecoder>& codePage);

}  // namespace jet
