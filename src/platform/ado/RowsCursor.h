// A cursor over rows held in memory: the schema rowsets, which are small and
// made whole by the provider, walk through the same Recordset code as a query.
#pragma once
#include <string>
#include <vector>

#include "platform/jet/Provider.h"

namespace ado {

class RowsCursor : public jet::Cursor {
 public:
  RowsCursor(std::vector<std::string> names, std::vector<std::vector<VARIANT>> rows)
      : m_names(std::move(names)), m_rows(std::move(rows)) {}
  int ColumnCount() const override { return static_cast<int>(m_names.size()); }
  const std::string& ColumnName(int col) const override { return m_names[static_cast<size_t>(col)]; }
  bool Eof() const override { return m_row >= m_rows.size(); }
  void MoveNext() override { ++m_row; }
  VARIANT Value(int col) const override { return m_rows[m_row][static_cast<size_t>(col)]; }
  const VARIANT& ValueRef(int col) override { return m_rows[m_row][static_cast<size_t>(col)]; }

 private:
  std::vector<std::string> m_names;
  std::vector<std::vector<VARIANT>> m_rows;
  size_t m_row = 0;
};

}  // namespace ado
