// The preview reads only the four records it shows: the same ADO calls the preview
// makes (open the file, "select top 4 * from Big", every field of every row, the
// closes) take as long on a 1,000,000-row table as on a 10-row one. Beside them,
// the reader's floor for the big table: a plain libmdb scan of every row, nothing bound.
//
//   bench_preview [big-rows]     default: 1000000

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/ado/Ado.h"
#include "platform/com/ComError.h"
#include "support/JetWriter.h"
#include "support/LibmdbScan.h"

namespace fs = std::filesystem;

namespace {

double Seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// One preview's database work; returns the rows read.
int PreviewOnce(const std::string& path) {
  int rows = 0;
  CoInitialize(nullptr);
  {
    _ConnectionPtr conn;
    _RecordsetPtr rs;
    conn.CreateInstance(ADODB::CLSID_Connection);
    conn->PutConnectionString("Provider=MIcrosoft.Jet.OLEDB.4.0;Data source=" + path);
    conn->Open("", "", "", ADODB::adConnectUnspecified);
    rs.CreateInstance("ADODB.Recordset");
    rs->Open("select top 4 * from Big", conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
    long n = rs->GetFields()->GetCount();
    for (; !rs->GetadoEOF(); rs->MoveNext(), ++rows) {
      for (long c = 0; c < n; ++c) {
        VARIANT v = rs->GetFields()->GetItem(c)->GetValue();
        std::string text;
        if (v.vt != VT_NULL) VariantToText(v, &text);
      }
    }
    rs->Close();
    conn->Close();
  }
  CoUninitialize();
  return rows;
}

// The table list's database work, as the dialog fills its combo box: open the
// file, the schema rowset of tables, the type and name of every row.
int TableListOnce(const std::string& path) {
  int tables = 0;
  CoInitialize(nullptr);
  {
    _ConnectionPtr conn;
    conn.CreateInstance(ADODB::CLSID_Connection);
    conn->PutConnectionString("Provider=MIcrosoft.Jet.OLEDB.4.0;Data source=" + path);
    conn->Open("", "", "", ADODB::adConnectUnspecified);
    _RecordsetPtr rs = conn->OpenSchema(ADODB::adSchemaTables);
    for (; !rs->GetadoEOF(); rs->MoveNext()) {
      std::string type, name;
      VariantToText(rs->GetCollect("TABLE_TYPE"), &type);
      VariantToText(rs->GetCollect("TABLE_NAME"), &name);
      if (type == "TABLE") ++tables;
    }
    rs->Close();
    conn->Close();
  }
  CoUninitialize();
  return tables;
}

// Median of several runs, after one warm-up (the file in the page cache).
template <class F>
double Median(F&& once) {
  once();
  std::vector<double> times;
  for (int i = 0; i < 9; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    once();
    times.push_back(Seconds(t0));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

double MedianPreview(const std::string& path, int* rows) {
  *rows = PreviewOnce(path);
  return Median([&] { PreviewOnce(path); });
}

// A file of 200 small tables named Big, T001 ... T199, each of ten rows.
void WriteManyTables(const std::string& path) {
  std::vector<jetwriter::Table> tables;
  for (int i = 0; i < 200; ++i) {
    jetwriter::Table t = jetwriter::BigTables(10).front();
    if (i > 0) {
      char name[8];
      std::snprintf(name, sizeof name, "T%03d", i);
      t.name = name;
    }
    tables.push_back(t);
  }
  jetwriter::WriteJet4(path, tables);
}

const char* Within10ms(double seconds) { return seconds < 0.010 ? "under 10 ms" : "OVER 10 ms"; }

long LibmdbScan(const std::string& path, double* seconds) {
  auto t0 = std::chrono::steady_clock::now();
  const long rows = LibmdbRowCount(path, "Big");
  *seconds = Seconds(t0);
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t bigRows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  fs::path dir = fs::temp_directory_path() / ("kelvane-bench-preview-" + std::to_string(getpid()));
  fs::create_directories(dir);
  int status = 0;
  try {
    std::printf("%-12s %12s %14s\n", "table rows", "rows shown", "preview (ms)");
    double small = 0, big = 0;
    for (uint64_t n : {uint64_t{10}, bigRows}) {
      std::string path = (dir / ("big" + std::to_string(n) + ".mdb")).string();
      jetwriter::WriteBigFixture(path, n);
      int shown = 0;
      double t = MedianPreview(path, &shown);
      (n == 10 ? small : big) = t;
      std::printf("%-12llu %12d %14.3f\n", static_cast<unsigned long long>(n), shown, t * 1000);
      if (n == bigRows) {
        double scan = 0;
        long rows = LibmdbScan(path, &scan);
        std::printf("libmdb scan of the %llu-row table (nothing bound): %ld rows, %.1f ms\n",
                    static_cast<unsigned long long>(n), rows, scan * 1000);
      }
    }
    std::printf("preview on %llu rows / preview on 10 rows: %.2f (%s)\n", static_cast<unsigned long long>(bigRows),
                small > 0 ? big / small : 0.0, Within10ms(big));

    const std::string many = (dir / "tables200.mdb").string();
    WriteManyTables(many);
    int listed = 0;
    double list = Median([&] { listed = TableListOnce(many); });
    std::printf("table list of a file with 200 tables: %d tables, %.3f ms (%s)\n", listed, list * 1000,
                Within10ms(list));
    int shown = 0;
    double preview = MedianPreview(many, &shown);
    std::printf("preview in the file with 200 tables: %d rows, %.3f ms (%s)\n", shown, preview * 1000,
                Within10ms(preview));
  } catch (const _com_error& e) {
    std::fprintf(stderr, "bench_preview: %s\n", e.ErrorMessage());
    status = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_preview: %s\n", e.what());
    status = 1;
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
  return status;
}
