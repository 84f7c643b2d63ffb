// A small database for the table list and preview tests, written with the Jet 4
// writer: tables of different widths, NULLs and empty texts, an empty table, a
// table whose OLE value has no text, a Chinese name, and a system table of ours.
#pragma once
#include <string>
#include <vector>

#include "support/JetWriter.h"

inline jetwriter::Table DbFixtureTable(std::string name, std::vector<jetwriter::Column> columns) {
  jetwriter::Table t;
  t.name = std::move(name);
  t.columns = std::move(columns);
  return t;
}

inline void WriteDbFixture(const std::string& path) {
  using jet::AccessType;
  using jetwriter::Column;
  std::vector<jetwriter::Table> tables;

  jetwriter::Table wide = DbFixtureTable("Wide", {Column{"Id", AccessType::LongInteger}, Column{"Name", AccessType::Text, 50},
                         Column{"Amount", AccessType::Double}, Column{"Note", AccessType::Memo},
                         Column{"Flag", AccessType::Boolean}});
  wide.rowCount = 10;
  wide.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(static_cast<int32_t>(r + 1));
    v[1] = r == 1 ? VARIANT::Null() : r == 2 ? VARIANT::Str("") : VARIANT::Str("name" + std::to_string(r + 1));
    v[2] = VARIANT::R8(static_cast<double>(r) + 0.5);
    v[3] = r == 1 ? VARIANT::Null() : VARIANT::Str("备注" + std::to_string(r + 1));
    v[4] = VARIANT::Bool(r % 2 == 0);
  };
  tables.push_back(wide);

  jetwriter::Table narrow = DbFixtureTable("Narrow", {Column{"Code", AccessType::Text, 10}, Column{"Qty", AccessType::Integer}});
  narrow.rowCount = 3;
  narrow.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::Str("c" + std::to_string(r + 1));
    v[1] = jetwriter::I2(static_cast<int16_t>(10 * (r + 1)));
  };
  tables.push_back(narrow);

  jetwriter::Table empty = DbFixtureTable("Empty", {Column{"A", AccessType::LongInteger}, Column{"B", AccessType::Text, 20}});
  tables.push_back(empty);

  // Row 1's picture is binary: it has no text, so the preview fails on that cell.
  jetwriter::Table blobs = DbFixtureTable("Blobs", {Column{"Id", AccessType::LongInteger}, Column{"Name", AccessType::Text, 20},
                          Column{"Pic", AccessType::OleObject}, Column{"After", AccessType::Text, 20}});
  blobs.rowCount = 3;
  blobs.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(static_cast<int32_t>(r + 1));
    v[1] = VARIANT::Str("b" + std::to_string(r + 1));
    v[2] = r == 0 ? VARIANT::Null() : jetwriter::Bin({0x01, 0x00, 0x02});
    v[3] = VARIANT::Str("after");
  };
  tables.push_back(blobs);

  jetwriter::Table chinese = DbFixtureTable("客户 名单", {Column{"姓名", AccessType::Text, 20}});
  chinese.rowCount = 1;
  chinese.row = [](uint64_t, std::vector<VARIANT>& v) { v[0] = VARIANT::Str("张三"); };
  tables.push_back(chinese);

  jetwriter::Table system = DbFixtureTable("MSysKelvane", {Column{"X", AccessType::LongInteger}});
  system.system = true;
  tables.push_back(system);

  jetwriter::WriteJet4(path, tables, {jetwriter::SavedQuery{"WideNames", "SELECT Id, Name FROM Wide"}});
}
