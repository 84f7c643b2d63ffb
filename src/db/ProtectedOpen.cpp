#include "db/ProtectedOpen.h"

#include "db/ConnectionString.h"
#include "platform/com/Translate.h"
#include "platform/mfc/Modal.h"

namespace db {
namespace {

struct KeptPassword {
  std::string file;
  CString password;
  void Forget() {
    // Its bytes overwritten before the string lets them go.
    volatile char* p = const_cast<char*>(password.GetString());
    for (int i = 0; i < password.GetLength(); ++i) p[i] = '\0';
    password.Empty();
    file.clear();
  }
};

KeptPassword& Kept() {
  static KeptPassword kept;
  return kept;
}

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void OpenConnection(_ConnectionPtr& conn, const std::string& path) {
  KeptPassword& kept = Kept();
  if (kept.file != path) kept.Forget();
  bool tried = !kept.password.IsEmpty();
  for (;;) {
    try {
      conn->PutConnectionString(JetConnectionString(path, kept.password.str()));
      conn->Open("", "", "", ADODB::adConnectUnspecified);
      return;
    } catch (const _com_error& e) {
      if (e.Error() != JET_E_PASSWORD) throw;
      kept.Forget();
      CString text, typed;
      text.Format(_("“%s”受密码保护，请输入数据库密码："), FileName(path).c_str());
      if (AfxPasswordBox(text, tried ? CString(_("密码不正确。")) : CString(), &typed) != IDOK) throw;
      kept.file = path;
      kept.password = typed;
      tried = true;
    }
  }
}

}  // namespace db
