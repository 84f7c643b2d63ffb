#include "platform/mfc/FileDialog.h"

#include <strings.h>
#include <sys/stat.h>

#include <filesystem>

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

// path + "." + ext as Linux spells it: file names are case-sensitive here, so the
// extension is added in lower case ("Sales" gives Sales.mdb, not Sales.MDB) unless
// the folder holds the typed name with another spelling of the extension
// (Sales.MDB), which is then the file the user meant.
CString WithDefaultExtension(const CString& path, CString ext) {
  ext.MakeLower();
  if (Exists(path + "." + ext)) return path + "." + ext;
  const std::filesystem::path typed(path.str());
  const std::string stem = typed.filename().string() + ".";
  std::error_code ec;
  std::string spelled;  // the extension as found; the smallest one when several are
  for (const auto& entry : std::filesystem::directory_iterator(
           typed.has_parent_path() ? typed.parent_path() : std::filesystem::path("."), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() != stem.size() + ext.str().size() || name.compare(0, stem.size(), stem) != 0)
      continue;
    const std::string e = name.substr(stem.size());
    if (strcasecmp(e.c_str(), ext) == 0 && (spelled.empty() || e < spelled)) spelled = e;
  }
  return path + "." + (spelled.empty() ? ext : CString(spelled));
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
  ModalAnswer a = AfxRunModal(r);
  m_strPath.Empty();
  if (a.result != IDOK) return IDCANCEL;
  // As the common dialog does: a name typed without an extension gets the default one.
  m_strPath = a.path;
  CString name = GetFileName();
  if (m_strDefExt.IsEmpty() || name.IsEmpty() || name.Find('.') >= 0) return IDOK;
  m_strPath = WithDefaultExtension(m_strPath, m_strDefExt);
  // The dialog asked, if at all, about the name as typed; the name now written is
  // another, and replacing it is the user's call, asked in Windows' own words.
  if (!m_bOpen && (m_dwFlags & OFN_OVERWRITEPROMPT) && Exists(m_strPath)) {
    ModalRequest ask;
    ask.kind = ModalRequest::MessageBox;
    ask.owner = m_pParent;
    ask.text.Format(_("%s 已存在。\r\n要替换它吗？"), GetFileName().GetString());
    ask.caption = r.caption;
    ask.type = MB_YESNO | MB_ICONEXCLAMATION;
    if (AfxRunModal(ask).result != IDYES) {
      m_strPath.Empty();
      return IDCANCEL;
    }
  }
  return IDOK;
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
