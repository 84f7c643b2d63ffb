#include "platform/mfc/FileDialog.h"

#include <strings.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "platform/com/Translate.h"
#include "platform/mfc/Modal.h"
#include "platform/mfc/WinApp.h"

namespace {

int LastSlash(const CString& path) {
  int slash = -1;
  for (int i = path.Find('/'); i >= 0; i = path.Find('/', i + 1)) slash = i;
  return slash;
}

bool Exists(const CString& path) {
  struct stat st;
  return ::stat(path, &st) == 0;
}

// path + "." + ext as the folder spells it (Sales.MDB for "mdb"): file names are
// case-sensitive here, and the file the user meant is the one that is there.
// Empty when the folder holds no such name (the smallest spelling when several).
CString ExistingWithExtension(const CString& path, CString ext) {
  ext.MakeLower();
  if (Exists(path + "." + ext)) return path + "." + ext;
  const std::filesystem::path typed(path.str());
  const std::string stem = typed.filename().string() + ".";
  std::error_code ec;
  std::string spelled;
  for (const auto& entry : std::filesystem::directory_iterator(
           typed.has_parent_path() ? typed.parent_path() : std::filesystem::path("."), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() != stem.size() + ext.str().size() || name.compare(0, stem.size(), stem) != 0)
      continue;
    const std::string e = name.substr(stem.size());
    if (strcasecmp(e.c_str(), ext) == 0 && (spelled.empty() || e < spelled)) spelled = e;
  }
  return spelled.empty() ? CString() : path + "." + CString(spelled);
}

// The extensions of a filter's first entry ("A|*.mdb;*.accdb|..." gives mdb,
// accdb); patterns other than "*.ext" give none.
std::vector<CString> FirstFilterExtensions(const CString& filter) {
  std::vector<CString> exts;
  const int bar = filter.Find('|');
  if (bar < 0) return exts;
  CString patterns = filter.Mid(bar + 1);
  const int end = patterns.Find('|');
  if (end >= 0) patterns = patterns.Left(end);
  for (int start = 0; start <= patterns.GetLength();) {
    int semi = patterns.Find(';', start);
    if (semi < 0) semi = patterns.GetLength();
    const CString p = patterns.Mid(start, semi - start);
    if (p.GetLength() > 2 && p.Left(2) == "*." && p.Find('*', 1) < 0 && p.Find('?') < 0)
      exts.push_back(p.Mid(2));
    start = semi + 1;
  }
  return exts;
}

// A name typed without an extension, completed as Linux spells files: with the
// default extension as the folder spells it; in an open dialog, failing that, with
// the next extension of the first filter that names a file there (a database typed
// as "Sales" may be Sales.accdb); else with the default one in lower case.
CString WithDefaultExtension(const CString& path, const CString& defExt, bool open,
                             const CString& filter) {
  std::vector<CString> exts{defExt};
  if (open)
    for (const CString& e : FirstFilterExtensions(filter)) exts.push_back(e);
  for (const CString& e : exts) {
    CString found = ExistingWithExtension(path, e);
    if (!found.IsEmpty()) return found;
  }
  CString ext = defExt;
  return path + "." + ext.MakeLower();
}

// Asked before a chosen file that exists is replaced, whether its name was typed
// whole or completed: one question, in the program's words.
bool ConfirmReplace(CWnd* owner, const CString& caption, const CString& fileName) {
  ModalRequest ask;
  ask.kind = ModalRequest::MessageBox;
  ask.owner = owner;
  ask.text.Format(_("%s 已存在。\r\n要替换它吗？"), fileName.GetString());
  ask.caption = caption;
  ask.type = MB_YESNO | MB_ICONEXCLAMATION;
  return AfxRunModal(ask).result == IDYES;
}

// The title Windows gives its file dialogs, in the program's language.
const char* DefaultTitle(bool open) {
  return open ? _("打开") : _("另存为");
}

}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName,
                         DWORD dwFlags, const char* lpszFilter, CWnd* pParentWnd)
    : m_bOpen(bOpenFileDialog),
      m_strDefExt(lpszDefExt),
      m_strFileName(lpszFileName),
      m_dwFlags(dwFlags),
      m_strFilter(lpszFilter),
      m_pParent(pParentWnd) {}

int CFileDialog::DoModal() {
  ModalRequest r;
  r.kind = m_bOpen ? ModalRequest::FileOpen : ModalRequest::FileSave;
  r.owner = m_pParent;
  r.fileName = m_strFileName;
  r.defExt = m_strDefExt;
  r.filter = m_strFilter;
  r.flags = m_dwFlags;
  r.initialDir = m_ofn.lpstrInitialDir;
  r.caption = m_ofn.lpstrTitle ? m_ofn.lpstrTitle : DefaultTitle(m_bOpen);
  for (;;) {
    ModalAnswer a = AfxRunModal(r);
    m_strPath.Empty();
    if (a.result != IDOK) return IDCANCEL;
    m_strPath = a.path;
    const CString typed = GetFileName();
    // As the common dialog does: a name typed without an extension gets the default one.
    if (!m_strDefExt.IsEmpty() && !typed.IsEmpty() && typed.Find('.') < 0)
      m_strPath = WithDefaultExtension(m_strPath, m_strDefExt, m_bOpen, m_strFilter);
    if (m_bOpen || !(m_dwFlags & OFN_OVERWRITEPROMPT) || !Exists(m_strPath) ||
        ConfirmReplace(m_pParent, r.caption, GetFileName()))
      return IDOK;
    // "否": back to the dialog, in the same folder, with the name as it was typed.
    r.initialDir = AfxFolderOf(m_strPath);
    r.fileName = typed;
  }
}

CString CFileDialog::GetFileName() const { return m_strPath.Mid(LastSlash(m_strPath) + 1); }

CString AfxFolderOf(const CString& path) {
  const int slash = LastSlash(path);
  return slash <= 0 ? CString(slash == 0 ? "/" : "") : path.Left(slash);
}

int AfxMessageBox(const char* text, UINT nType) {
  ModalRequest r;
  r.kind = ModalRequest::MessageBox;
  r.owner = AfxGetApp()->m_pMainWnd;
  r.text = text;
  r.caption = AfxGetAppName();
  r.type = nType;
  return AfxRunModal(r).result;
}
