// Every user table of the real Access files exports whole through the ADO layer:
// one line per record (counted against libmdb's own scan of the table), and a
// table holding an OLE value stops on the failure path at that record's number.
// The .accdb files' tables export byte for byte as their values read, in table mode
// and in SQL mode, and preview their first four records alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

#include "export/ExportRun.h"
#include "platform/jet/file/MdbFile.h"
#include "support/LibmdbScan.h"

namespace fs = std::filesystem;

namespace {

const char* const kFiles[] = {"V1997_test.mdb", "V2000_test.mdb", "V2000_empty.mdb", "nwind.mdb",
                              "V2007_test.accdb", "V2016_bigint.accdb", "V2016_attachments.accdb",
                              "complexDataTestV2007.accdb", "calcFieldTestV2010.accdb"};
const size_t kFirstAccdb = 4;

std::string DataPath(const char* name) { return std::string(KELVANE_TESTDATA) + "/" + name; }

struct Session {
  _ConnectionPtr conn;
  explicit Session(const std::string& path) {
    CoInitialize(nullptr);
    _com_issue_errorex(conn.CreateInstance(ADODB::CLSID_Connection));
    conn->PutConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data source=" + path);
    conn->Open("", "", "", ADODB::adConnectUnspecified);
  }
  ~Session() {
    conn.Release();
    CoUninitialize();
  }
  _RecordsetPtr NewRecordset() {
    _RecordsetPtr rs;
    _com_issue_errorex(rs.CreateInstance("ADODB.Recordset"));
    return rs;
  }
  std::vector<std::string> UserTables() {
    std::vector<std::string> names;
    _RecordsetPtr rs = conn->OpenSchema(ADODB::adSchemaTables);
    for (; !rs->GetadoEOF(); rs->MoveNext()) {
      if (rs->GetCollect("TABLE_TYPE").bstrVal == "TABLE")
        names.push_back(rs->GetCollect("TABLE_NAME").bstrVal);
    }
    rs->Close();
    return names;
  }
  // 1-based number of the first record holding a binary value, 0 if none.
  long FirstBinaryRecord(const std::string& statement) {
    _RecordsetPtr rs = NewRecordset();
    rs->Open(statement, conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
    FieldsPtr fields = rs->GetFields();
    long count = fields->GetCount();
    for (long record = 1; !rs->GetadoEOF(); rs->MoveNext(), ++record) {
      for (long j = 0; j < count; ++j)
        if (fields->GetItem(j)->GetValue().vt == (VT_ARRAY | VT_UI1)) return record;
    }
    return 0;
  }
};

// A quoted, comma-separated line of texts, as TextFormat{",", true, ...} writes it.
std::string Line(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i ? ",\"" : "\"") + fields[i] + "\"";
  return line + "\r\n";
}

// The header and the records of a table as lines of the file reader's own values (NULL
// empty): testdata_crosscheck holds these values to mdb-reader's, one by one.
std::vector<std::string> ReaderLines(const std::string& path, const std::string& table) {
  auto file = jet::MdbFile::Open(path);
  std::string exact;
  std::vector<jet::ColumnDef> cols;
  EXPECT_TRUE(file->FindTable(table, &exact, &cols));
  std::vector<std::string> texts;
  for (const jet::ColumnDef& c : cols) texts.push_back(c.name);
  std::vector<std::string> lines{Line(texts)};
  for (auto rows = file->Scan(exact); rows->Next(); lines.push_back(Line(texts)))
    for (size_t c = 0; c < cols.size(); ++c) AppendFieldText(rows->Value(static_cast<int>(c)), &(texts[c] = ""));
  return lines;
}

long CountCrLf(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::string s(std::istreambuf_iterator<char>(in), {});
  long n = 0;
  for (size_t i = s.find("\r\n"); i != std::string::npos; i = s.find("\r\n", i + 2)) ++n;
  return n;
}

}  // namespace

TEST(ExportTestdataTest, EveryUserTableExportsEveryRecord) {
  char tmpl[] = "/tmp/kelvane-testdata-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path out = fs::path(tmpl) / "out.txt";
  int tables = 0, stopped = 0;
  std::vector<std::string> stoppedAt;

  for (const char* file : kFiles) {
    const std::string path = DataPath(file);
    Session s(path);
    for (const std::string& table : s.UserTables()) {
      SCOPED_TRACE(std::string(file) + ": " + table);
      ++tables;
      const std::string sql = "select * from [" + table + "]";
      const long rows = LibmdbRowCount(path, table);
      const long binaryAt = s.FirstBinaryRecord(sql);
      ExportRun run(TextFormat{",", true, true}, out.string(), path);
      _RecordsetPtr rs = s.NewRecordset();
      HRESULT hr = S_OK;
      try {
        run.Run(s.conn, rs, sql);
        rs->Close();
      } catch (const _com_error& e) {
        hr = e.Error();
      }
      std::printf("  %-26s %-14s %6ld rows%s\n", file, table.c_str(), rows,
                  binaryAt ? (" binary at " + std::to_string(binaryAt)).c_str() : "");
      if (binaryAt == 0) {
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(run.RecordLines(), rows);
        EXPECT_GE(CountCrLf(out), rows + 1);  // values may hold line breaks of their own
      } else {
        ++stopped;
        stoppedAt.push_back(table + "@" + std::to_string(binaryAt));
        EXPECT_EQ(hr, DISP_E_TYPEMISMATCH);
        EXPECT_EQ(run.RecordLines() + 1, binaryAt);  // the record the box names
        EXPECT_GE(CountCrLf(out), binaryAt);         // header and the records before it
      }
    }
  }
  EXPECT_GE(tables, 25);
  // nwind's Categories and Employees hold pictures from their first record on.
  EXPECT_NE(std::find(stoppedAt.begin(), stoppedAt.end(), "Categories@1"), stoppedAt.end());
  EXPECT_NE(std::find(stoppedAt.begin(), stoppedAt.end(), "Employees@1"), stoppedAt.end());
  fs::remove_all(tmpl);
}

TEST(ExportTestdataTest, AccdbTablesExportAndPreviewAsTheirValuesRead) {
  setlocale(LC_ALL, "C");  // their texts are ASCII: the same bytes in GBK
  char tmpl[] = "/tmp/kelvane-testdata-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path out = fs::path(tmpl) / "out.txt";
  int tables = 0;
  for (size_t f = kFirstAccdb; f < std::size(kFiles); ++f) {
    Session s(DataPath(kFiles[f]));
    for (const std::string& table : s.UserTables()) {
      SCOPED_TRACE(std::string(kFiles[f]) + ": " + table);
      ++tables;
      const std::vector<std::string> lines = ReaderLines(DataPath(kFiles[f]), table);
      // Table mode reads the file straight; a WHERE clause sends the rows through SQLite.
      for (const std::string& sql : {"select * from " + table, "select * from [" + table + "] where 1 = 1"}) {
        ExportRun run(TextFormat{",", true, true}, out.string(), DataPath(kFiles[f]));
        _RecordsetPtr rs = s.NewRecordset();
        run.Run(s.conn, rs, sql);
        rs->Close();
        std::ifstream in(out, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
                  std::accumulate(lines.begin(), lines.end(), std::string())) << sql;
      }
      _RecordsetPtr rs = s.NewRecordset();
      rs->Open("select top 4 * from " + table, s.conn, ADODB::adOpenStatic, ADODB::adLockOptimistic,
               ADODB::adCmdText);
      std::string preview;
      for (; !rs->GetadoEOF(); rs->MoveNext()) {
        std::vector<std::string> cells(rs->GetFields()->GetCount());
        for (size_t c = 0; c < cells.size(); ++c)
          AppendFieldText(rs->GetFields()->GetItem(static_cast<long>(c))->GetValue(), &cells[c]);
        preview += Line(cells);
      }
      rs->Close();
      EXPECT_EQ(preview, std::accumulate(lines.begin() + 1, lines.begin() + std::min<size_t>(lines.size(), 5),
                                         std::string()));
    }
  }
  EXPECT_EQ(tables, 8);
  fs::remove_all(tmpl);
}
