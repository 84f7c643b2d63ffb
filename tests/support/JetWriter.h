// A Jet 4 (Access 2000) .mdb and ACE (Access 2007-2019) .accdb writer for tests,
// benchmarks and the demo database.
//
// It writes a file from nothing: page 0 with the version byte and its RC4-masked
// header (code page 1252, General sort order, no password, and no page scrambling
// unless asked for), the catalog MSysObjects on page 2, the Jet system tables (MSysACEs,
// MSysQueries, MSysRelationships), then every table given: a table definition
// page, data pages found through the table's usage map, and LVAL pages for memo
// and OLE values too long to sit in the row. Text is stored as uncompressed
// UTF-16LE unless a column asks for Jet's compressed form. There are no indexes. Rows come from a generator and are streamed to
// the file page by page, so a million rows never sit in memory.
//
// Values are VARIANTs, one per column, of the type the value table of the
// platform notes gives for the column's Access type (VT_BSTR for Text, Memo and
// Replication ID "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", VT_UI1, VT_I2, VT_I4,
// VT_R4, VT_R8, VT_CY, VT_DATE, VT_BOOL, VT_DECIMAL, VT_ARRAY|VT_UI1 for OLE
// Object and Binary). VT_NULL (or VT_EMPTY) writes NULL; a Yes/No column cannot
// hold NULL (its value is its null-mask bit), so NULL there writes No.
// ACE files add Large Number (VT_I8), Date/Time Extended (VT_BSTR
// "yyyy-mm-dd hh:mm:ss.fffffff", years 1 to 9999), calculated columns (the stored
// result, of the column's type) and complex columns (multi-value and attachment,
// their entries from Table::entries, kept in hidden flat tables that
// MSysComplexColumns links to the column).
// WriteJet4 throws std::runtime_error for a value of the wrong type, a text
// longer than its column, a row that does not fit in a page, a type the file's
// version cannot hold, or a failed write.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "platform/com/Variant.h"
#include "platform/jet/file/MdbFile.h"

namespace jetwriter {

// The ACE column types (values as the file stores them).
constexpr jet::AccessType kComplex = jet::AccessType(0x12);           // multi-value, attachment
constexpr jet::AccessType kBigInt = jet::AccessType(0x13);            // Large Number
constexpr jet::AccessType kDateTimeExtended = jet::AccessType(0x14);  // Date/Time Extended

enum class Complex { None, MultiValue, Attachment };

struct Column {
  std::string name;  // UTF-8
  jet::AccessType type;
  int length = 255;     // Text: maximum characters (1-255); Binary: maximum bytes
  int precision = 18;   // Decimal: digits in all
  int scale = 0;        // Decimal: digits after the point; values are rescaled to it
  // Text, Memo: store values in Jet 4's compressed form (0xFF 0xFE, then one byte
  // per character below U+0100) where that is shorter, as Access's "Unicode
  // Compression" does; memos only up to 1024 characters, as Access does.
  bool compressed = false;
  // ACE only. The value is an expression's result that Access stored: wrapped in
  // the calculated-value frame, in the row's variable part whatever the type.
  bool calculated = false;
  // ACE only, with type kComplex: what the column's entries are (multi-values of
  // entryType, Text or Long Integer, or attachments named by their file names).
  Complex complex = Complex::None;
  jet::AccessType entryType = jet::AccessType::Text;
  // A fixed-size value kept in the row's variable part, as Access keeps the key
  // columns of the hidden tables behind complex columns.
  bool variablePart = false;
  // An AutoNumber (Long Integer) column: flagged so; its values are still the rows'.
  bool autoNumber = false;
  // The column's entry comes first in the table definition, before those of lower
  // numbers (Access lists an attachment table's key column so; readers go by number).
  bool definedFirst = false;
};

// Hostile files, for damage tests: every memo or OLE value of a table that would go
// to LVAL pages is written instead as a chain of three LVAL rows on a shared page,
// wrong in this way. Loops come back from the last row to the first or to the
// middle one and claim `loopClaim` bytes (0: one byte more than the rows hold);
// ShortOfClaim ends the chain one byte short of the claim, PastClaim holds one byte
// more than it; Shared points every value after the first at the first one's rows.
enum class ChainFault { None, LoopToFirst, LoopToMiddle, ShortOfClaim, PastClaim, Shared };

// Hostile files, for damage tests: where the file puts a table, wrong in this way.
// The catalog entry names page 2 (the catalog's own definition), the definition of
// the table listed before it, or page 1 (no definition). Or the middle one of the
// table's data pages is zeroed, is marked as owned by the table listed before it,
// is marked an index page, or is left out of the usage map (its rows then are
// missing and the definition's row count still counts them).
enum class PlaceFault {
  None, CatalogDefinition, SharedDefinition, NoDefinition,
  ZeroedPage, ForeignPage, IndexPage, UnmappedPage
};

struct Table {
  std::string name;  // UTF-8
  std::vector<Column> columns;
  bool system = false;        // flagged as a system table in the catalog
  uint32_t catalogFlags = 0;  // MSysObjects.Flags; 0 = 0x80000000 for system, else 0
  uint64_t rowCount = 0;
  // Fills values (already sized to the columns, all VT_EMPTY) with row `row`.
  std::function<void(uint64_t row, std::vector<VARIANT>& values)> row;
  // Optional, for readers' tests; the flags are those Access sets. A row for which
  // `deleted` is true is written flagged deleted (0xC000 on its offset): readers
  // must skip it, and the table's row count leaves it out. A row for which
  // `overflow` is true is written on a separate data page of the table, flagged
  // 0x8000 there, and reached through a 4-byte pointer row flagged 0x4000 in its
  // place. (libmdb and mdb-reader skip the pointer and read the moved row where it
  // lies, so their order differs from the generator's.)
  std::function<bool(uint64_t row)> deleted;
  std::function<bool(uint64_t row)> overflow;
  // Hostile: every record after the first moved one points at that first one's row.
  bool sharedMove = false;
  // The entries of complex column `column` in row `row`, as texts: multi-values
  // (Long Integer ones in decimal), or attachment file names (each attachment's
  // bytes are derived from its name).
  std::function<std::vector<std::string>(uint64_t row, size_t column)> entries;
  ChainFault chainFault = ChainFault::None;
  uint32_t loopClaim = 0;
  PlaceFault placeFault = PlaceFault::None;
};

// A saved select query: a catalog object of type 5 (a VIEW), its SQL kept in
// MSysQueries the way Access keeps it, one row per clause: attribute 5 per FROM
// table, 6 per output column (Name1 = its alias), 8 WHERE, 9 GROUP BY, 10 HAVING,
// 11 ORDER BY (Name1 = "D" when descending), 3 with flag 2 for DISTINCT.
// The SQL must have the form SELECT [DISTINCT] cols FROM tables [WHERE ..]
// [GROUP BY ..] [HAVING ..] [ORDER BY ..], tables separated by commas.
struct SavedQuery {
  std::string name;
  std::string sql;
};

// The version byte at 0x14 and Jet's own page scrambling ("Encrypt Database"
// without a password): every page but the header RC4-coded with the key
// scrambleKey ^ page number, the key kept in the header.
// A Jet 4 database password (ASCII, up to 20 characters; .mdb only) is kept in the
// header as Jet keeps it: UTF-16, XOR the creation date's mask.
struct FileFormat {
  uint8_t version = 1;  // 1 Jet 4 (.mdb); 2 Access 2007, 3 2010, 4 2013, 5 2016, 6 2019 (.accdb)
  uint32_t scrambleKey = 0;
  const char* password = nullptr;
  bool Ace() const { return version >= 2; }
};
constexpr FileFormat kJet4{1, 0};
constexpr FileFormat kAce2007{2, 0};
constexpr FileFormat kAce2016{5, 0};

void WriteJet4(const std::string& path, const std::vector<Table>& tables,
               const std::vector<SavedQuery>& queries = {}, FileFormat format = kJet4);

// The names and catalog flags of the system tables every file gets.
struct BuiltInTable { std::string name; uint32_t flags; };
const std::vector<BuiltInTable>& BuiltInSystemTables();

// VARIANT makers for the types Variant.h has no maker for.
VARIANT Ui1(uint8_t v);
VARIANT I2(int16_t v);
VARIANT I8(int64_t v);
VARIANT R4(float v);
VARIANT Cy(int64_t tenThousandths);  // 18.5 is Cy(185000)
VARIANT Date(double days);           // days since 1899/12/30, fraction = time of day
VARIANT Dec(int64_t unscaled, uint8_t scale);  // Dec(-12345, 2) is -123.45
VARIANT Bin(std::vector<uint8_t> bytes);

// Day number of a date and time (proleptic Gregorian, years 100-9999), as Access
// counts: before 1899/12/30 the day is negative and the time still adds forward.
double DayNumber(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// ---- Ready-made fixtures. Each Tables() function gives the same tables every call
// (deterministic generators), so a test can write a file and then compare what it
// reads with what the generators give.

// "AllTypes": one column of every Access type (Text, Memo, Byte, Integer, Long
// Integer, Single, Double, Currency, Date/Time, Yes/No, Replication ID, Decimal,
// OLE Object, Binary); rows of ordinary values, one of all NULLs, extremes, empty
// texts and binaries, Chinese texts, characters outside the BMP, memos inline, on
// one LVAL page and across several, an OLE value over several pages.
// "中文表 名称" (Chinese table and column names, a name with a space), "Compressed"
// (texts and memos in the compressed form), "Order Details"
// (spaces), "Empty" (no rows), "MSysKelvaneInfo" (a system table of the caller's).
std::vector<Table> AllTypesTables();
// "Big Orders" (ORDER BY, WHERE) and "中文查询" (Chinese, alias), select queries.
std::vector<SavedQuery> AllTypesQueries();
void WriteAllTypesFixture(const std::string& path);

// "NewTypes" (an .accdb of the given version): Large Number, Date/Time Extended,
// calculated Text, Memo, Long, Double, Currency and Decimal columns, Text and Long
// Integer multi-value columns and an attachment column (rows with none, one and
// several entries), NULLs and extremes; "Plain" beside it, of older types only.
std::vector<Table> AccdbTables();
void WriteAccdbFixture(const std::string& path, FileFormat format = kAce2016);

// "Big": `rows` rows over many pages: Id (Long, = row + 1), Name (Text "name<row>",
// NULL every 97th row), Amount (Double), Created (Date/Time), Active (Yes/No,
// odd rows), Price (Currency), Note (Text, Chinese, empty every 5th row).
std::vector<Table> BigTables(uint64_t rows);
void WriteBigFixture(const std::string& path, uint64_t rows, FileFormat format = kJet4);

// "Edited": 600 rows as a table edited in Access leaves them: every third row
// (1, 4, 7, ...) deleted, every fifth (2, 7, 12, ...) moved to an overflow page.
// Readers must show the 400 live rows, each once, and no deleted one.
std::vector<Table> EditedTables();
void WriteEditedFixture(const std::string& path);

// The program's demo database: "Customers", "Orders", "产品" (products) and
// "订单明细" (order lines), Chinese and English names and values of every type, and
// the saved query "Customer Orders".
std::vector<Table> DemoTables();
std::vector<SavedQuery> DemoQueries();
void WriteDemoDatabase(const std::string& path);

// ---- Files made to hurt a reader. Each must end in 0x80004005 (damaged): refused,
// or once the rows before the damage have been read.

struct HostileFile {
  std::string family;  // what is wrong with it, e.g. "chain loops to its first row"
  std::string path;
  // The damage lies past the first of several data pages: a reader gives the rows
  // before it, then reports the damage.
  bool rowsBeforeDamage = false;
};
// Writes one file of each hostile family into `folder` (which must exist): long-value
// chains that loop, end short, run past their claim or are shared between records;
// records that share one moved row;
// column names holding a NUL, empty, repeated, or repeated in another case; table
// names empty or holding a NUL; files without a password whose version byte was
// changed to another layout's (Jet 4 to Jet 3 and to ACE, ACE to Jet 4 and Jet 3);
// and a table put wrongly, each way PlaceFault names.
std::vector<HostileFile> WriteHostileFiles(const std::string& folder);

// "Notes": `rows` records (Id, Note), each note a chain of three LVAL rows looping
// back to its first and claiming 2,000,000 bytes: 20,000 records make 2.8 MB. A
// reader that follows the loop to the claim reads 40 GB. With looping false, the
// same records with their notes stored soundly, for comparison.
void WriteLoopingChainFile(const std::string& path, uint64_t rows = 20000, bool looping = true);

}  // namespace jetwriter
