#include "support/jetwriter/Complex.h"
#include "support/jetwriter/Pages.h"
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace jetwriter {

using jet::AccessType;

namespace {

// An entry of a flat table, with what the writer needs to fill its row.
struct Entry {
  int32_t key;
  std::string text;  // multi-value text, or attachment file name
};

// The templates of the kinds of entries: Access keeps an empty table per kind,
// whose columns each flat table of that kind repeats.
struct Template {
  const char* name;
  std::vector<Column> columns;
};
const std::vector<Template>& Templates() {
  static const std::vector<Template> templates = {
      {"MSysComplexType_Text", {{"Value", AccessType::Text}}},
      {"MSysComplexType_Long", {{"Value", AccessType::LongInteger}}},
      {"MSysComplexType_Attachment",
       {{"FileData", AccessType::OleObject}, {"FileFlags", AccessType::LongInteger},
        {"FileName", AccessType::Text}, {"FileTimeStamp", AccessType::DateTime},
        {"FileType", AccessType::Text}, {"FileURL", AccessType::Memo}}}};
  return templates;
}
size_t TemplateOf(const Column& c) {
  if (c.complex == Complex::Attachment) return 2;
  return c.entryType == AccessType::LongInteger ? 1 : 0;
}

// The bytes Access keeps in FileData: a 4-byte flag (0: stored as is, 1: deflated),
// the length of what follows, then a header (its own length, 1, and the characters
// of the extension with its terminator; then that extension in UTF-16LE) and the
// file's bytes.
std::vector<uint8_t> AttachmentData(const std::string& name) {
  size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  std::string content = "contents of " + name;
  std::vector<uint8_t> inner(12, 0);
  Put32(&inner[0], uint32_t(12 + 2 * (ext.size() + 1)));
  Put32(&inner[4], 1);
  Put32(&inner[8], uint32_t(ext.size() + 1));
  for (char ch : ext) { inner.push_back(uint8_t(ch)); inner.push_back(0); }
  inner.push_back(0);
  inner.push_back(0);
  inner.insert(inner.end(), content.begin(), content.end());
  std::vector<uint8_t> out(8, 0);
  Put32(&out[4], uint32_t(inner.size()));
  out.insert(out.end(), inner.begin(), inner.end());
  return out;
}

// "f_" + 32 hex digits + "_" + the column's name, cut to the 64 characters a name may have.
std::string FlatName(const std::string& table, const std::string& column) {
  uint64_t h1 = 1469598103934665603ull, h2 = 1099511628211ull;
  for (unsigned char ch : table + "\n" + column) {
    h1 = (h1 ^ ch) * 1099511628211ull;
    h2 = (h2 + ch) * 6364136223846793005ull + 1442695040888963407ull;
  }
  char hex[40];
  std::snprintf(hex, sizeof hex, "%016llX%016llX", (unsigned long long)h1, (unsigned long long)h2);
  std::string name = "f_" + std::string(hex) + "_";
  size_t room = 64 - name.size();
  size_t take = 0, chars = 0;
  while (take < column.size() && chars < room) {  // whole UTF-8 characters
    ++take;
    while (take < column.size() && (uint8_t(column[take]) & 0xC0) == 0x80) ++take;
    ++chars;
  }
  return name + column.substr(0, take);
}

}  // namespace

ComplexTables BuildComplexTables(const std::vector<Table>& tables, int32_t firstId) {
  ComplexTables out;
  const int32_t firstTableId = firstId + 1 + int32_t(Templates().size());
  int32_t flatId = firstTableId + int32_t(tables.size());

  struct Link { std::string column; int32_t complexId, templateId, tableId, flatId; };
  std::vector<Link> links;
  for (size_t t = 0; t < tables.size(); ++t) {
    const Table& table = tables[t];
    for (size_t c = 0; c < table.columns.size(); ++c) {
      const Column& column = table.columns[c];
      if (column.type != kComplex) continue;
      if (!table.entries) throw std::runtime_error("table " + table.name + " has no entries for its complex column");
      if (column.entryType != AccessType::Text && column.entryType != AccessType::LongInteger)
        throw std::runtime_error("column " + column.name + ": multi-values are Text or Long Integer");
      const size_t kind = TemplateOf(column);
      links.push_back({column.name, int32_t(links.size() + 1), firstId + 1 + int32_t(kind),
                       firstTableId + int32_t(t), flatId++});
      auto entries = std::make_shared<std::vector<Entry>>();
      for (uint64_t r = 0; r < table.rowCount; ++r) {
        if (table.deleted && table.deleted(r)) continue;
        for (std::string& e : table.entries(r, c)) entries->push_back({ComplexKey(r), std::move(e)});
      }
      Table flat;
      flat.name = FlatName(table.name, column.name);
      flat.system = true;
      flat.catalogFlags = kFlatTableFlags;
      // Beside the template's columns: the key that ties an entry to its row, and
      // the entry's own number. Access has numbered them first (2007) and last
      // (2016, the key's definition still listed first); a multi-value table here
      // has them first, an attachment table last.
      Column key{"_" + column.name, AccessType::LongInteger}, id{table.name + "_" + column.name, AccessType::LongInteger};
      key.variablePart = id.variablePart = true;
      key.definedFirst = kind == 2;
      id.autoNumber = true;
      const bool attachment = kind == 2, number = kind == 1;
      flat.columns = Templates()[kind].columns;
      const std::vector<Column> added = attachment ? std::vector<Column>{id, key} : std::vector<Column>{key, id};
      flat.columns.insert(attachment ? flat.columns.end() : flat.columns.begin(), added.begin(), added.end());
      flat.rowCount = entries->size();
      flat.row = [entries, attachment, number](uint64_t r, std::vector<VARIANT>& v) {
        const Entry& e = (*entries)[r];
        if (!attachment) {
          v = {VARIANT::I4(e.key), VARIANT::I4(int32_t(r + 1)),
               number ? VARIANT::I4(std::stoi(e.text)) : VARIANT::Str(e.text)};
          return;
        }
        size_t dot = e.text.rfind('.');
        v[0] = Bin(AttachmentData(e.text));
        v[2] = VARIANT::Str(e.text);
        v[4] = VARIANT::Str(dot == std::string::npos ? "" : e.text.substr(dot + 1));
        v[6] = VARIANT::I4(int32_t(r + 1));
        v[7] = VARIANT::I4(e.key);
      };
      out.flat.push_back(std::move(flat));
    }
  }

  Table columns;
  columns.name = "MSysComplexColumns";
  columns.system = true;
  columns.columns = {{"ColumnName", AccessType::Text}, {"ComplexID", AccessType::LongInteger},
                     {"ComplexTypeObjectID", AccessType::LongInteger},
                     {"ConceptualTableID", AccessType::LongInteger}, {"FlatTableID", AccessType::LongInteger}};
  columns.rowCount = links.size();
  columns.row = [links](uint64_t r, std::vector<VARIANT>& v) {
    const Link& l = links[r];
    v = {VARIANT::Str(l.column), VARIANT::I4(l.complexId), VARIANT::I4(l.templateId),
         VARIANT::I4(l.tableId), VARIANT::I4(l.flatId)};
  };
  out.system.push_back(std::move(columns));
  for (const Template& k : Templates()) {
    Table t;
    t.name = k.name;
    t.system = true;
    t.catalogFlags = kTemplateFlags;
    t.columns = k.columns;
    out.system.push_back(std::move(t));
  }
  return out;
}

}  // namespace jetwriter
