// The system tables every Jet file has, built as ordinary writer tables: the
// catalog MSysObjects (one row per object: containers, tables, queries), the
// saved queries' clauses in MSysQueries, and the empty MSysACEs and
// MSysRelationships.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "support/JetWriter.h"

namespace jetwriter {

struct CatalogObject {
  int32_t id;        // a table's id is its definition page
  int32_t parentId;  // the container: kTablesContainer for tables and queries
  std::string name;
  int16_t type;      // 1 table, 2 database, 3 container, 5 query
  uint32_t flags;
};

constexpr int32_t kTablesContainer = 0x0F000001;

// The containers and the MSysDb object Access puts before any table.
std::vector<CatalogObject> ContainerObjects();

Table MSysObjects(std::vector<CatalogObject> objects, double created);
Table MSysACEs();
Table MSysRelationships();

// One MSysQueries row: a clause of a saved query.
struct QueryRow {
  int32_t objectId;
  uint8_t attribute;
  std::string name1, name2, expression;  // empty = NULL
  bool hasFlag = false;
  int16_t flag = 0;
};
// The rows of one select query. Throws std::runtime_error for SQL of another form.
std::vector<QueryRow> QueryRows(int32_t objectId, const std::string& sql);
Table MSysQueries(std::vector<QueryRow> rows);

}  // namespace jetwriter
