// An in-memory stand-in for the .mdb reader, so the SQL engine can be tested with
// tables of any shape and size without a file: rows are either given as values or
// generated on demand (a million-row table costs no memory), and every Next() is
// counted so a test can see how far a statement read.
#pragma once
#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "platform/com/ComError.h"
#include "platform/jet/file/MdbFile.h"

namespace fake {

struct Table {
  std::string name;
  jet::ObjectType type = jet::ObjectType::Table;
  std::vector<jet::ColumnDef> columns;
  std::vector<std::vector<VARIANT>> rows;  // used when `generate` is empty
  // Generated rows: the row count and a function filling row r's values.
  long long generatedRows = 0;
  std::function<void(long long r, std::vector<VARIANT>* values)> generate;
  long long failAtRow = -1;  // Next() throws E_FAIL on reaching this row (a damaged file)
  std::string savedSql;      // for a View
};

class MdbFile : public jet::MdbFile {
 public:
  void Add(Table t) {
    m_catalog.push_back({t.name, t.type});
    m_tables.push_back(std::make_shared<Table>(std::move(t)));
  }
  long long nextCalls() const { return *m_nextCalls; }
  int openStreams() const { return *m_openStreams; }

  const std::vector<jet::CatalogEntry>& Catalog() const override { return m_catalog; }
  bool FindTable(const std::string& name, std::string* exactName,
                 std::vector<jet::ColumnDef>* columns) override {
    for (auto& t : m_tables) {
      if (t->type != jet::ObjectType::Table && t->type != jet::ObjectType::SystemTable) continue;
      if (!SameAscii(t->name, name)) continue;
      *exactName = t->name;
      *columns = t->columns;
      return true;
    }
    return false;
  }
  std::unique_ptr<jet::RowStream> Scan(const std::string& exactName) override {
    for (auto& t : m_tables)
      if (t->name == exactName) return std::make_unique<Stream>(t, m_nextCalls, m_openStreams);
    throw _com_error(E_FAIL);
  }
  int JetVersion() const override { return 4; }
  std::string SavedQuerySql(const std::string& name) override {
    for (auto& t : m_tables)
      if (t->type == jet::ObjectType::View && SameAscii(t->name, name)) return t->savedSql;
    return "";
  }
  // A view without text stands for a saved query that cannot be rebuilt.
  bool HasSavedQuery(const std::string& name) override {
    for (auto& t : m_tables)
      if (t->type == jet::ObjectType::View && SameAscii(t->name, name)) return true;
    return false;
  }

 private:
  static bool SameAscii(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
             return std::tolower(x) == std::tolower(y);
           });
  }

  class Stream : public jet::RowStream {
   public:
    Stream(std::shared_ptr<Table> t, std::shared_ptr<long long> calls, std::shared_ptr<int> open)
        : m_t(std::move(t)), m_calls(std::move(calls)), m_open(std::move(open)) {
      ++*m_open;
      m_values.resize(m_t->columns.size());
    }
    ~Stream() override { --*m_open; }
    bool Next() override {
      ++*m_calls;
      ++m_row;
      if (m_t->failAtRow >= 0 && m_row >= m_t->failAtRow) throw _com_error(E_FAIL);
      if (m_t->generate) {
        if (m_row >= m_t->generatedRows) return false;
        m_t->generate(m_row, &m_values);
        return true;
      }
      return m_row < static_cast<long long>(m_t->rows.size());
    }
    const VARIANT& Value(int col) override {
      if (m_t->generate) return m_values[col];
      return m_t->rows[m_row][col];
    }
    // A row's number is its place, as an index keeps it.
    int64_t Position() const override { return m_row; }
    void MoveTo(int64_t position) override {
      const long long rows = m_t->generate ? m_t->generatedRows : static_cast<long long>(m_t->rows.size());
      if (position < 0 || position >= rows) throw _com_error(E_FAIL);
      m_row = position;
      if (m_t->generate) m_t->generate(m_row, &m_values);
    }

   private:
    std::shared_ptr<Table> m_t;
    std::shared_ptr<long long> m_calls;
    std::shared_ptr<int> m_open;
    std::vector<VARIANT> m_values;
    long long m_row = -1;
  };

  std::vector<jet::CatalogEntry> m_catalog;
  std::vector<std::shared_ptr<Table>> m_tables;
  std::shared_ptr<long long> m_nextCalls = std::make_shared<long long>(0);
  std::shared_ptr<int> m_openStreams = std::make_shared<int>(0);
};

}  // namespace fake
