#include "migrate/ChildTables.h"

#include <zlib.h>
#include <map>
#include <set>
#include "migrate/WholeDatabase.h"

namespace migrate {

namespace {

bool IsAttachment(const Table& entries) { return entries.Find("FileData") && entries.Find("FileName"); }

}  // namespace

std::vector<ChildTable> ChildTables(const DatabaseSchema& schema) {
  std::set<std::string> names;
  for (const Table& t : schema.tables) names.insert(t.name);
  std::vector<ChildTable> out;
  for (const Table& t : schema.tables) {
    for (const Column& c : t.columns) {
      const Table* entries = c.entriesTable.empty() ? nullptr : schema.FindEntries(c.entriesTable);
      if (!entries) continue;
      ChildTable child;
      child.parent = &t;
      child.column = &c;
      child.entries = entries;
      std::string name = t.name + "_" + c.name;
      for (int n = 2; !names.insert(name).second; ++n) name = t.name + "_" + c.name + "_" + std::to_string(n);
      child.table.name = name;
      std::set<std::string> own;
      if (const Index* pk = t.PrimaryKey()) {
        // The constraint's name is the child table's own: one that PostgreSQL's
        // 63 bytes would not hold is shortened, as no user named it.
        child.link.name = name + "_" + t.name;
        if (child.link.name.size() > 63) child.link.name = "parent";
        child.link.table = name;
        child.link.referencedTable = t.name;
        child.link.updateRule = child.link.deleteRule = "CASCADE";
        child.link.enforced = true;
        for (const auto& key : pk->columns) {
          Column k = *t.Find(key.first);
          k.autoNumber = false;
          k.required = true;
          k.defaultValue.reset();
          k.description.reset();
          own.insert(k.name);
          child.link.columns.push_back(k.name);
          child.link.referencedColumns.push_back(k.name);
          child.table.columns.push_back(std::move(k));
        }
      } else {
        Column row;
        row.name = "_row";
        row.type = kLong;
        row.required = true;
        own.insert(row.name);
        child.table.columns.push_back(row);
      }
      for (const Column& e : entries->columns) {
        if (e.name == c.entriesKey) continue;
        Column copy = e;
        while (own.count(copy.name)) copy.name = "_" + copy.name;  // a parent key of the same name
        own.insert(copy.name);
        copy.required = false;
        copy.autoNumber = false;
        if (IsAttachment(*entries) && e.name == "FileData") copy.type = kOle;
        child.table.columns.push_back(std::move(copy));
      }
      out.push_back(std::move(child));
    }
  }
  return out;
}

void EachChildRow(const _ConnectionPtr& connection, const ChildTable& child,
                  const std::function<void(const VARIANT* const* values)>& onRow) {
  // The key of each parent row, and what the child rows hold of it.
  const size_t keyCount = child.link.table.empty() ? 1 : child.link.columns.size();
  std::map<int32_t, std::vector<VARIANT>> parents;
  {
    _RecordsetPtr r = connection->OpenTableKeys(child.parent->name);
    FieldsPtr fields = r->GetFields();
    long keyAt = -1;
    std::vector<long> pkAt;
    for (long i = 0; i < fields->GetCount(); ++i) {
      const std::string name = fields->GetItem(i)->GetName();
      if (name == child.column->name) keyAt = i;
      for (const std::string& k : child.link.referencedColumns)
        if (name == k) pkAt.push_back(i);
    }
    if (keyAt < 0 || pkAt.size() != child.link.referencedColumns.size()) throw _com_error(E_FAIL);
    int32_t ordinal = 0;
    while (!r->GetadoEOF()) {
      ++ordinal;
      const VARIANT key = fields->GetItem(keyAt)->GetValue();
      if (key.vt == VT_I4) {
        std::vector<VARIANT>& values = parents[key.lVal];
        if (child.link.table.empty()) values.push_back(VARIANT::I4(ordinal));
        for (long at : pkAt) values.push_back(fields->GetItem(at)->GetValue());
      }
      r->MoveNext();
    }
    r->Close();
  }
  int keyColumn = -1, fileData = -1;
  for (size_t i = 0; i < child.entries->columns.size(); ++i) {
    if (child.entries->columns[i].name == child.column->entriesKey) keyColumn = static_cast<int>(i);
    if (child.entries->columns[i].name == "FileData" && child.entries->Find("FileName")) fileData = static_cast<int>(i);
  }
  if (keyColumn < 0) throw _com_error(E_FAIL);
  std::vector<const VARIANT*> row(child.table.columns.size());
  VARIANT file;
  EachRow(connection, *child.entries, [&](const VARIANT* const* values) {
    const VARIANT& key = *values[keyColumn];
    if (key.vt != VT_I4) return;
    auto parent = parents.find(key.lVal);
    if (parent == parents.end()) return;  // an entry of a row that is gone
    size_t n = 0;
    for (size_t i = 0; i < keyCount; ++i) row[n++] = &parent->second[i];
    for (size_t i = 0; i < child.entries->columns.size(); ++i) {
      if (static_cast<int>(i) == keyColumn) continue;
      const VARIANT* v = values[i];
      if (static_cast<int>(i) == fileData && v->vt == (VT_ARRAY | VT_UI1)) {
        file.vt = VT_ARRAY | VT_UI1;
        if (AttachmentBytes(v->parray, &file.parray)) v = &file;
      }
      row[n++] = v;
    }
    onRow(row.data());
  });
}

// FileData: u32 1 when deflated (zlib) or 0 when not, u32 the length of what
// follows once inflated; that is u32 the length of a header that names the file's
// type (u32 ?, u32 characters of the type, the type in UTF-16 with a NUL), then the
// file's own bytes.
bool AttachmentBytes(const std::vector<uint8_t>& stored, std::vector<uint8_t>* file) {
  auto get32 = [](const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24; };
  if (stored.size() < 8) return false;
  const uint32_t deflated = get32(stored.data()), length = get32(stored.data() + 4);
  std::vector<uint8_t> content;
  if (deflated == 1) {
    // The stated length bounds what is inflated: a value cannot make us allocate more.
    if (length > (1u << 30)) return false;
    content.resize(length);
    uLongf n = length;
    if (uncompress(content.data(), &n, stored.data() + 8, stored.size() - 8) != Z_OK || n != length) return false;
  } else if (deflated == 0) {
    content.assign(stored.begin() + 8, stored.end());
  } else {
    return false;
  }
  if (content.size() < 4) return false;
  const uint32_t header = get32(content.data());
  if (header < 12 || header > content.size()) return false;
  file->assign(content.begin() + header, content.end());
  return true;
}

}  // namespace migrate
