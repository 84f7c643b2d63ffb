// Files made to hurt a reader: each is an ordinary file of the writer with one thing
// made wrong on purpose, where the reader must notice it: refuse the file, or give
// the rows before the damage and then report it.
#include <fstream>
#include <stdexcept>
#include "support/JetWriter.h"

namespace jetwriter {

using T = jet::AccessType;

// "Notes": an Id, a memo and an OLE value per record, both long enough for LVAL pages.
static Table Notes(uint64_t rows, size_t noteLength, ChainFault fault, uint32_t loopClaim = 0) {
  Table t;
  t.name = "Notes";
  t.columns = {{"Id", T::LongInteger}, {"Note", T::Memo}, {"Picture", T::OleObject}};
  t.rowCount = rows;
  t.chainFault = fault;
  t.loopClaim = loopClaim;
  t.row = [noteLength](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(int32_t(r + 1));
    std::string note = "note " + std::to_string(r) + " ";
    while (note.size() < noteLength) note += char('a' + note.size() % 26);
    v[1] = VARIANT::Str(note.substr(0, noteLength));
    if (v.size() > 2) v[2] = Bin(std::vector<uint8_t>(noteLength * 2, uint8_t(r)));
  };
  return t;
}

// "People", with the columns given, and one record.
static Table People(std::vector<std::string> columns, std::string name = "People") {
  Table t;
  t.name = std::move(name);
  for (std::string& c : columns) t.columns.push_back({std::move(c), T::Text, 50});
  t.rowCount = 1;
  t.row = [](uint64_t, std::vector<VARIANT>& v) {
    for (size_t c = 0; c < v.size(); ++c) v[c] = VARIANT::Str("value " + std::to_string(c));
  };
  return t;
}

// "Items": 600 records of an Id and a name, over six data pages, put wrongly as asked.
static Table Items(PlaceFault fault) {
  Table t;
  t.name = "Items";
  t.columns = {{"Id", T::LongInteger}, {"Name", T::Text, 50}};
  t.rowCount = 600;
  t.placeFault = fault;
  t.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(int32_t(r + 1));
    v[1] = VARIANT::Str("item number " + std::to_string(r + 1));
  };
  return t;
}

static Table Placed(Table t, PlaceFault fault) {
  t.placeFault = fault;
  return t;
}

static void SetVersionByte(const std::string& path, uint8_t version) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(0x14);
  f.put(char(version));
  if (!f) throw std::runtime_error("cannot change the version of " + path);
}

std::vector<HostileFile> WriteHostileFiles(const std::string& folder) {
  std::vector<HostileFile> out;
  int n = 0;
  auto add = [&](const std::string& family, const std::vector<Table>& tables, FileFormat format = kJet4) {
    const std::string path = folder + "/hostile" + std::to_string(++n) + (format.Ace() ? ".accdb" : ".mdb");
    WriteJet4(path, tables, {}, format);
    out.push_back({family, path});
  };
  add("chain loops to its first row", {Notes(3, 300, ChainFault::LoopToFirst)});
  add("chain loops to its middle row", {Notes(3, 300, ChainFault::LoopToMiddle)});
  add("chain ends short of its claim", {Notes(3, 300, ChainFault::ShortOfClaim)});
  add("chain holds more than its claim", {Notes(3, 300, ChainFault::PastClaim)});
  add("records share one chain", {Notes(3, 300, ChainFault::Shared)});
  add("chain loops in an .accdb", {Notes(3, 300, ChainFault::LoopToMiddle)}, kAce2016);
  Table shared = People({"Id", "Name"});
  shared.rowCount = 3;
  shared.overflow = [](uint64_t) { return true; };
  shared.sharedMove = true;
  add("records share one moved row", {shared});
  add("column name holds a NUL", {People({"Id", std::string("Na\0me", 5)})});
  add("column name is empty", {People({"Id", ""})});
  add("column name repeated", {People({"Name", "Id", "Name"})});
  add("column name repeated in another case", {People({"Name", "NAME"})});
  add("table name is empty", {People({"Id"}, "")});
  add("table name holds a NUL", {People({"Id"}, std::string("Peo\0ple", 7))});
  add("table name repeated in another case", {People({"Id"}), People({"Id"}, "PEOPLE")});
  // Tables read through another's definition, or through none.
  add("table's entry names the catalog's definition", {Placed(People({"Id"}), PlaceFault::CatalogDefinition)});
  add("two tables' entries name one definition",
      {People({"Id"}), Placed(People({"Id"}, "Others"), PlaceFault::SharedDefinition)});
  add("table's entry names no definition", {Placed(People({"Id"}), PlaceFault::NoDefinition)});
  // Rows lost with a page of the table: the rows of the pages before it still read.
  const struct { PlaceFault fault; FileFormat format; const char* family; } pages[] = {
      {PlaceFault::ZeroedPage, kJet4, "usage map claims a zeroed page"},
      {PlaceFault::ForeignPage, kJet4, "usage map claims another table's page"},
      {PlaceFault::IndexPage, kJet4, "usage map claims an index page"},
      {PlaceFault::UnmappedPage, kJet4, "usage map leaves out a page of rows"},
      {PlaceFault::ZeroedPage, kAce2016, "usage map claims a zeroed page in an .accdb"},
      {PlaceFault::UnmappedPage, kAce2016, "usage map leaves out a page of rows in an .accdb"},
  };
  for (const auto& p : pages) {
    add(p.family, {People({"Id"}), Items(p.fault)}, p.format);
    out.back().rowsBeforeDamage = true;
  }
  // Files without a password whose version byte names another layout.
  const struct { FileFormat format; uint8_t flipped; const char* family; } flips[] = {
      {kJet4, 0, "Jet 4 file marked Jet 3"},   {kJet4, 2, "Jet 4 file marked ACE 12"},
      {kJet4, 6, "Jet 4 file marked ACE 17"},  {kAce2016, 1, "ACE file marked Jet 4"},
      {kAce2016, 0, "ACE file marked Jet 3"},
  };
  for (const auto& f : flips) {
    add(f.family, {People({"Id", "Name"}), Notes(2, 100, ChainFault::None)}, f.format);
    SetVersionByte(out.back().path, f.flipped);
  }
  return out;
}

void WriteLoopingChainFile(const std::string& path, uint64_t rows, bool looping) {
  Table notes = Notes(rows, 48, looping ? ChainFault::LoopToFirst : ChainFault::None, 2000000);
  notes.columns.pop_back();  // the memo alone
  WriteJet4(path, {notes});
}

}  // namespace jetwriter
