#include "platform/jet/KeysCursor.h"

#include <vector>

namespace jet {

namespace {

class StreamCursor : public Cursor {
 public:
  StreamCursor(std::vector<std::string> names, std::unique_ptr<RowStream> rows)
      : m_names(std::move(names)), m_rows(std::move(rows)) {
    m_eof = !m_rows->Next();
  }
  int ColumnCount() const override { return static_cast<int>(m_names.size()); }
  const std::string& ColumnName(int col) const override { return m_names[static_cast<size_t>(col)]; }
  bool Eof() const override { return m_eof; }
  void MoveNext() override { m_eof = !m_rows->Next(); }
  VARIANT Value(int col) const override { return m_rows->Value(col); }
  const VARIANT& ValueRef(int col) override { return m_rows->Value(col); }

 private:
  std::vector<std::string> m_names;
  std::unique_ptr<RowStream> m_rows;
  bool m_eof = true;
};

}  // namespace

std::unique_ptr<Cursor> KeysCursor(const std::shared_ptr<MdbFile>& file, const std::string& table) {
  std::string exact;
  std::vector<ColumnDef> columns;
  if (!file->FindTable(table, &exact, &columns) || exact != table) throw _com_error(E_FAIL);
  std::vector<std::string> names;
  for (const ColumnDef& c : columns) names.push_back(c.name);
  return std::make_unique<StreamCursor>(std::move(names), file->ScanKeys(exact));
}

}  // namespace jet
