// The catalog: MSysObjects, read through our own row stream from its definition on
// page 2. Only Id, Name, Type and Flags are read; the property blobs never are.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "platform/jet/file/MdbFile.h"
#include "platform/jet/file/Pager.h"

namespace jet {

class CodePageDecoder;

struct CatalogObject {
  std::string name;
  int type = 0;  // 1 table, 4 ODBC link, 5 query, 6 Jet link; forms etc. are negative
  uint32_t flags = 0;
  uint32_t id = 0;     // for tables: the page of their definition in the low 24 bits
};

// E_FAIL when a table, query or link has no name, one holding a NUL, or the name of
// another without regard to case.
std::vector<CatalogObject> ReadCatalogObjects(const std::shared_ptr<const Pager>& pager,
                                              const std::shared_ptr<CodePageDecoder>& codePage);

// Salvage, where rows of the catalog itself were lost: adds a table "recovered_PAGE"
// for each table definition of the file (a first page, not a continuation) that no
// catalog entry names and that reads as a sound definition, so that the tables whose
// entries were lost are still found, with their columns as the definition gives them.
void RecoverTables(const std::shared_ptr<const Pager>& pager, CodePageDecoder& codePage,
                   std::vector<CatalogObject>* objects);

// The table-like objects among them, as the schema rowset lists them.
std::vector<CatalogEntry> TableLikeEntries(const std::vector<CatalogObject>& objects);

bool IsSystemObject(const CatalogObject& o);

// The page of a table's definition, once the catalog gives that page to this table
// alone. E_FAIL for page 2, the catalog's own definition, under any name but
// MSysObjects, and for a page that another table's entry names too: a table read
// through another's definition would show that table's rows as its own.
uint32_t DefinitionPage(const std::vector<CatalogObject>& objects, const CatalogObject& table);

}  // namespace jet
