// Assembles a Jet 4 file: page 0, the usage-map page 1, one definition page per
// table from page 2 on (MSysObjects first, as Jet expects it on page 2), then the
// tables' data and LVAL pages as their rows stream in. Definitions and maps are
// written last, once the pages each table took are known.
#include "support/JetWriter.h"
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include "support/jetwriter/Catalog.h"
#include "support/jetwriter/Complex.h"
#include "support/jetwriter/Definition.h"
#include "support/jetwriter/Pages.h"
#include "support/jetwriter/Rows.h"

namespace jetwriter {

const std::vector<BuiltInTable>& BuiltInSystemTables() {
  static const std::vector<BuiltInTable> tables = {
      {"MSysObjects", 0x80000000u}, {"MSysACEs", 0x80000000u},
      {"MSysQueries", 0x80000000u}, {"MSysRelationships", 0x80000000u}};
  return tables;
}

VARIANT Ui1(uint8_t v) { VARIANT x; x.vt = VT_UI1; x.bVal = v; return x; }
VARIANT I2(int16_t v) { VARIANT x; x.vt = VT_I2; x.iVal = v; return x; }
VARIANT I8(int64_t v) { VARIANT x; x.vt = VT_I8; x.llVal = v; return x; }
VARIANT R4(float v) { VARIANT x; x.vt = VT_R4; x.fltVal = v; return x; }
VARIANT Cy(int64_t v) { VARIANT x; x.vt = VT_CY; x.cyVal = v; return x; }
VARIANT Date(double d) { VARIANT x; x.vt = VT_DATE; x.date = d; return x; }
VARIANT Bin(std::vector<uint8_t> b) { VARIANT x; x.vt = VT_ARRAY | VT_UI1; x.parray = std::move(b); return x; }
VARIANT Dec(int64_t unscaled, uint8_t scale) {
  VARIANT x;
  x.vt = VT_DECIMAL;
  x.decVal.scale = scale;
  x.decVal.negative = unscaled < 0;
  x.decVal.lo64 = unscaled < 0 ? uint64_t(0) - uint64_t(unscaled) : uint64_t(unscaled);
  return x;
}

static int64_t DaysFromCivil(int y, int m, int d) {  // days since 1970-01-01
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

double DayNumber(int year, int month, int day, int hour, int minute, int second) {
  int64_t days = DaysFromCivil(year, month, day) - DaysFromCivil(1899, 12, 30);
  double time = (hour * 3600 + minute * 60 + second) / 86400.0;
  // Before day 0 Access counts the day backwards but its time forwards: -1.25 is
  // 1899/12/29 06:00.
  return days < 0 ? double(days) - time : double(days) + time;
}

namespace {

// Table k's definition page; MSysObjects, table 0, must be on page 2.
uint32_t DefinitionPage(size_t k) { return 2 + uint32_t(k); }

struct Written {
  TableLayout layout;
  std::vector<uint32_t> dataPages;
  uint32_t rows = 0;
  uint32_t nextComplexKey = 0;
};

// A table's rows go onto data pages in order; rows that overflow go onto a page of
// their own, filled alongside.
class DataPages {
 public:
  DataPages(uint32_t definitionPage, PageFile& file, std::vector<uint32_t>& pages)
      : page_(definitionPage), file_(file), pages_(pages) {}
  uint32_t Add(const std::vector<uint8_t>& row, uint16_t flags) {
    if (!page_.Empty() && !page_.Fits(row.size())) {
      file_.Write(number_, page_.Bytes());
      page_.Clear();
    }
    if (page_.Empty()) {
      number_ = file_.Allocate();
      pages_.push_back(number_);
    }
    return RowPointer(number_, page_.Add(row.data(), row.size(), flags));
  }
  void Flush() {
    if (!page_.Empty()) file_.Write(number_, page_.Bytes());
    page_.Clear();
  }

 private:
  RowPage page_;
  uint32_t number_ = 0;
  PageFile& file_;
  std::vector<uint32_t>& pages_;
};

// complexId: the complex id of the table's first complex column, counted on.
Written StreamTable(const Table& t, uint32_t definitionPage, PageFile& file, int32_t& complexId) {
  Written w;
  w.layout = LayOut(t.columns);
  std::vector<size_t> complexColumns;
  for (ColumnLayout& c : w.layout.columns) {
    if (c.def.type != kComplex) continue;
    c.complexId = complexId++;
    complexColumns.push_back(size_t(c.number));
  }
  LongValues longValues(file, t.chainFault, t.loopClaim);
  DataPages rows(definitionPage, file, w.dataPages), overflow(definitionPage, file, w.dataPages);
  std::vector<VARIANT> values(t.columns.size());
  std::vector<uint8_t> row, pointer(4);
  uint32_t firstMoved = 0;
  uint64_t live = 0;
  for (uint64_t r = 0; r < t.rowCount; ++r) {
    for (VARIANT& v : values) v.vt = VT_EMPTY;
    t.row(r, values);
    for (size_t c : complexColumns) values[c] = VARIANT::I4(ComplexKey(r));
    EncodeRow(w.layout, values, longValues, row);
    if (row.size() > RowPage::kMaxRow) throw std::runtime_error("row too long for a page in " + t.name);
    bool deleted = t.deleted && t.deleted(r);
    if (!deleted && t.overflow && t.overflow(r)) {
      if (!t.sharedMove || firstMoved == 0) firstMoved = overflow.Add(row, RowPage::kMoved);
      Put32(pointer.data(), firstMoved);
      rows.Add(pointer, RowPage::kOverflow);
    } else {
      rows.Add(row, deleted ? RowPage::kDeleted : 0);
    }
    if (!deleted) ++live;
  }
  rows.Flush();
  overflow.Flush();
  longValues.Flush();
  if (live > 0xFFFFFFFFull) throw std::runtime_error("too many rows in " + t.name);
  w.rows = uint32_t(live);
  w.nextComplexKey = complexColumns.empty() ? 0 : uint32_t(ComplexKey(t.rowCount));
  return w;
}

// Hostile files: makes the middle one of a table's data pages wrong as `fault` asks.
// tableBefore: the definition page of the table listed before it.
void DamageDataPage(PlaceFault fault, uint32_t tableBefore, std::vector<uint32_t>& pages, PageFile& file) {
  if (fault != PlaceFault::ZeroedPage && fault != PlaceFault::ForeignPage && fault != PlaceFault::IndexPage &&
      fault != PlaceFault::UnmappedPage)
    return;
  if (pages.size() < 3) throw std::runtime_error("a damaged data page needs a table of three or more");
  const auto middle = pages.begin() + long(pages.size() / 2);
  uint8_t page[kPageSize] = {};
  if (fault == PlaceFault::UnmappedPage) {
    pages.erase(middle);  // on file still, but no longer the table's
    return;
  }
  if (fault == PlaceFault::ForeignPage) {
    file.Read(*middle, page);
    Put32(page + 4, tableBefore);
  } else if (fault == PlaceFault::IndexPage) {
    file.Read(*middle, page);
    page[0] = 0x04;  // a leaf index page
  }
  file.Write(*middle, page);
}

// Holds the usage-map rows: page 1 first, further pages when it fills.
class MapRows {
 public:
  explicit MapRows(PageFile& file) : file_(file), number_(1), page_(1) {}
  uint32_t Add(const std::vector<uint8_t>& map) {
    if (!page_.Fits(map.size())) {
      file_.Write(number_, page_.Bytes());
      number_ = file_.Allocate();
      page_ = RowPage(number_);
    }
    return RowPointer(number_, page_.Add(map.data(), map.size()));
  }
  void Finish() { file_.Write(number_, page_.Bytes()); }

 private:
  PageFile& file_;
  uint32_t number_;
  RowPage page_;
};

void WriteFile(const std::string& path, const std::vector<const Table*>& all, double created,
               FileFormat format) {
  PageFile file(path, format.scrambleKey);
  while (file.PageCount() < DefinitionPage(all.size())) file.Allocate();  // 0, 1, definitions
  std::vector<Written> written;
  int32_t complexId = 1;
  for (size_t k = 0; k < all.size(); ++k) {
    written.push_back(StreamTable(*all[k], DefinitionPage(k), file, complexId));
    if (k > 0) DamageDataPage(all[k]->placeFault, DefinitionPage(k - 1), written.back().dataPages, file);
  }

  MapRows maps(file);
  for (size_t k = 0; k < all.size(); ++k) {
    TableFacts facts;
    facts.system = all[k]->system;
    facts.rowCount = written[k].rows;
    facts.usageMap = maps.Add(UsageMap(written[k].dataPages, file));
    facts.freeMap = maps.Add(EmptyUsageMap());
    facts.nextComplexKey = written[k].nextComplexKey;
    file.Write(DefinitionPage(k), TableDefinitionPage(written[k].layout, facts).data());
  }
  maps.Finish();
  file.Write(0, DatabaseDefinitionPage(created, format).data());
  file.Close();
}

}  // namespace

static bool NeedsAce(const Column& c) {
  return c.type == kBigInt || c.type == kDateTimeExtended || c.type == kComplex || c.calculated;
}

void WriteJet4(const std::string& path, const std::vector<Table>& tables,
               const std::vector<SavedQuery>& queries, FileFormat format) {
  if (format.version > 6) throw std::runtime_error("no such file version");
  // A fixed creation date keeps the files of one fixture byte for byte the same.
  const double created = DayNumber(2024, 1, 2, 3, 4, 5);
  const size_t builtIn = BuiltInSystemTables().size();
  for (const Table& t : tables)
    for (const Column& c : t.columns)
      if (NeedsAce(c) && !format.Ace()) throw std::runtime_error("column " + c.name + " needs an .accdb");

  // An ACE file's complex columns bring their system tables, placed after the
  // built-in ones; the flat tables come after the user tables.
  ComplexTables complex;
  if (format.Ace()) complex = BuildComplexTables(tables, int32_t(DefinitionPage(builtIn)));
  std::vector<const Table*> listed;
  for (const Table& t : complex.system) listed.push_back(&t);
  for (const Table& t : tables) listed.push_back(&t);
  for (const Table& t : complex.flat) listed.push_back(&t);

  std::vector<CatalogObject> objects = ContainerObjects();
  for (size_t k = 0; k < builtIn; ++k) {
    const BuiltInTable& b = BuiltInSystemTables()[k];
    objects.push_back({int32_t(DefinitionPage(k)), kTablesContainer, b.name, 1, b.flags});
  }
  for (size_t k = 0; k < listed.size(); ++k) {
    const Table& t = *listed[k];
    uint32_t flags = t.catalogFlags ? t.catalogFlags : t.system ? 0x80000000u : 0;
    for (const Column& c : t.columns)
      if (c.type == kComplex) flags |= kHasComplexFlag;
    uint32_t definition = DefinitionPage(builtIn + k);
    if (t.placeFault == PlaceFault::CatalogDefinition) definition = DefinitionPage(0);
    if (t.placeFault == PlaceFault::SharedDefinition) definition = DefinitionPage(builtIn + k - 1);
    if (t.placeFault == PlaceFault::NoDefinition) definition = 1;  // the usage maps' page
    objects.push_back({int32_t(definition), kTablesContainer, t.name, 1, flags});
  }
  std::vector<QueryRow> queryRows;
  for (size_t k = 0; k < queries.size(); ++k) {
    int32_t id = int32_t(0x80000100u + uint32_t(k));
    objects.push_back({id, kTablesContainer, queries[k].name, 5, 0});
    std::vector<QueryRow> rows = QueryRows(id, queries[k].sql);
    queryRows.insert(queryRows.end(), rows.begin(), rows.end());
  }

  std::vector<const Table*> all;
  Table sysObjects = MSysObjects(objects, created), aces = MSysACEs(),
        sysQueries = MSysQueries(queryRows), relationships = MSysRelationships();
  all = {&sysObjects, &aces, &sysQueries, &relationships};
  all.insert(all.end(), listed.begin(), listed.end());

  try {
    WriteFile(path, all, created, format);
  } catch (...) {
    std::remove(path.c_str());  // no half-written file for a later test to trip on
    throw;
  }
}

}  // namespace jetwriter
