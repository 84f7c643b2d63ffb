// A table's schema put together from what the file keeps in three places: its
// definition (columns, indexes), its properties blob and, for multi-value and
// attachment columns, MSysComplexColumns.
#pragma once
#include <set>
#include "platform/jet/file/ComplexColumns.h"
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/file/Properties.h"
#include "platform/jet/file/TableDef.h"

namespace jet {

// Damage (Check::Indexes, naming the definition's page) when the definition's
// indexes could not be read or one names a column it lacks. With a salvage log,
// such an index is left out and written into the log instead.
TableSchema BuildTableSchema(const std::string& name, const TableDef& def, const TableProperties& props,
                             ComplexColumns& complex, bool jet4, SalvageLog* salvage = nullptr);

// The properties blob of every table, by catalog id (MSysObjects' Id, LvProp). The
// id of a blob that does not hold together goes into `damaged`, without properties:
// the table it belongs to decides what that costs.
std::map<uint32_t, TableProperties> ReadAllProperties(const std::shared_ptr<const Pager>& pager,
                                                      const std::shared_ptr<CodePageDecoder>& codePage,
                                                      std::set<uint32_t>* damaged);

}  // namespace jet
