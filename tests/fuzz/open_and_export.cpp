// The fuzz target: one input is one database file, taken through what the program
// does with a file the user picks. It opens the file through ADO as the dialog does,
// lists its tables, exports `select *` of each with the export run (header, quotes,
// the locale's code page), reads `select top 4 *` of each value by value as the
// preview does, and joins two tables on their first columns. Every value becomes
// the text the export writes for it.
//
// Each input is taken through twice: as the window reads it, and in salvage mode,
// as kelvane-export --salvage does.
//
// A refusal (a _com_error of any code) is a right answer to a damaged file; a
// crash, a sanitizer report, a leak or a timeout is a finding.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "export/ExportRun.h"
#include "platform/ado/Ado.h"
#include "platform/ado/DatabaseOpener.h"
#include "platform/jet/Provider.h"
#include "platform/jet/file/SalvageLog.h"

namespace {

// A join reads both tables in full and SQLite pairs their rows; tables larger than
// this together are left unjoined, so a timeout always means the reader.
constexpr long kJoinPairs = 50000;

// None, then the passwords of testdata/protected/PASSWORDS.md.
const char* const kPasswords[] = {"", "password", "1234", "Test123"};

struct Table {
  std::string name;
  std::string type;
  std::string firstColumn;  // empty when the table has no columns or failed
  long rows = -1;           // the export's record lines, or -1 when it failed
};

// Per process, so parallel fuzzing jobs never share a file. /dev/shm when there is
// one: the input is written and the export synced for every run.
const std::string& WorkFolder() {
  // Never destroyed, so the clean-up at exit may still name it.
  static const std::string* folder = [] {
    const char* tmp = getenv("TMPDIR");
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : tmp ? tmp : "/tmp";
    auto* f = new std::string(std::string(base) + "/kelvane-fuzz-" + std::to_string(getpid()));
    mkdir(f->c_str(), 0700);
    std::atexit([] {
      for (const char* name : {"/input.mdb", "/export.txt"}) unlink((WorkFolder() + name).c_str());
      rmdir(WorkFolder().c_str());
    });
    return f;
  }();
  return *folder;
}

bool WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// The export's text of every value of every record, as a preview reads them.
void ReadAll(const _ConnectionPtr& conn, const std::string& sql, std::string* firstColumn) {
  _RecordsetPtr rs;
  if (FAILED(rs.CreateInstance("ADODB.Recordset"))) return;
  rs->Open(sql, conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
  FieldsPtr fields = rs->GetFields();
  const long count = fields->GetCount();
  std::string text;
  for (long i = 0; i < count; ++i) text += fields->GetItem(i)->GetName();
  if (firstColumn && count > 0) *firstColumn = fields->GetItem(0)->GetName();
  while (!rs->GetadoEOF()) {
    for (long i = 0; i < count; ++i) {
      text.clear();
      // A binary value has no text; the values after it still have theirs.
      try {
        AppendFieldText(fields->GetItem(i)->GetValue(), &text);
      } catch (const _com_error& e) {
        if (e.Error() != DISP_E_TYPEMISMATCH) throw;
      }
    }
    rs->MoveNext();
  }
  rs->Close();
}

// KELVANE_FUZZ_TRACE=1 prints each step and its outcome, to see what an input reaches.
template <class F>
bool Try(const std::string& what, F&& f) {
  static const bool trace = getenv("KELVANE_FUZZ_TRACE") != nullptr;
  HRESULT hr = S_OK;
  try {
    f();
  } catch (const _com_error& e) {
    hr = e.Error();
  }
  if (trace) std::fprintf(stderr, "%08X %s\n", static_cast<unsigned>(hr), what.c_str());
  return SUCCEEDED(hr);
}

void Exercise(const std::string& path, const std::string& target) {
  _ConnectionPtr conn;
  if (FAILED(conn.CreateInstance(ADODB::CLSID_Connection))) return;
  // A protected file is opened as its user would: with no password first, then
  // with each password of the protected test files, so that a mutation gets past
  // the password check into the decrypted pages.
  HRESULT refusal = S_OK;
  bool open = false;
  for (const char* password : kPasswords) {
    if (refusal != S_OK && refusal != JET_E_PASSWORD) break;
    open = Try(std::string("open, password ") + (*password ? password : "none"), [&] {
      try {
        conn->Open("Provider=MIcrosoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=" + std::string(password) +
                       ";Data source=" + path, "", "", ADODB::adConnectUnspecified);
      } catch (const _com_error& e) {
        refusal = e.Error();
        throw;
      }
    });
    if (open) break;
  }
  if (!open) return;

  std::vector<Table> tables;
  Try("tables", [&] {
    _RecordsetPtr rs = conn->OpenSchema(ADODB::adSchemaTables);
    std::string name, type;
    while (!rs->GetadoEOF()) {
      name.clear();
      type.clear();
      AppendFieldText(rs->GetCollect("TABLE_NAME"), &name);
      AppendFieldText(rs->GetCollect("TABLE_TYPE"), &type);
      tables.push_back({name, type, "", -1});
      rs->MoveNext();
    }
  });

  const TextFormat format{",", true, true};
  for (Table& t : tables) {
    const std::string from = " from [" + t.name + "]";
    Try("export select *" + from, [&] {
      ExportRun run(format, target, path);
      _RecordsetPtr rs;
      _com_issue_errorex(rs.CreateInstance(ADODB::CLSID_Recordset));
      run.Run(conn, rs, "select *" + from);
      t.rows = run.RecordLines();
    });
    Try("select top 4 *" + from, [&] { ReadAll(conn, "select top 4 *" + from, &t.firstColumn); });
  }

  // The first two user tables that exported whole (else other tables), or one with itself.
  std::vector<const Table*> joinable;
  for (bool user : {true, false})
    for (const Table& t : tables)
      if ((t.type == "TABLE") == user && t.rows >= 0 && !t.firstColumn.empty() && joinable.size() < 2)
        joinable.push_back(&t);
  if (joinable.size() == 1) joinable.push_back(joinable[0]);
  if (joinable.size() == 2 && joinable[0]->rows * joinable[1]->rows <= kJoinPairs) {
    const Table& a = *joinable[0];
    const Table& b = *joinable[1];
    const std::string join = "select * from [" + a.name + "] as a inner join [" + b.name + "] as b on a.[" +
                             a.firstColumn + "] = b.[" + b.firstColumn + "]";
    Try(join, [&] { ReadAll(conn, join, nullptr); });
  }
  Try("close", [&] { conn->Close(); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WorkFolder() + "/input.mdb";
  const std::string target = WorkFolder() + "/export.txt";
  if (!WriteInput(path, data, size)) std::abort();
  CoInitialize(nullptr);
  Exercise(path, target);
  // Then as kelvane-export --salvage reads it: past every damage, the losses logged.
  auto log = std::make_shared<jet::SalvageLog>();
  ado::SetSalvageLog(log);
  Exercise(path, target);
  ado::SetSalvageLog(nullptr);
  CoUninitialize();
  return 0;
}
