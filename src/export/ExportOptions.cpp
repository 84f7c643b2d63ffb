// The export's options: the target file, the separator choice, and the reading
// (with or without checks) of every option control into the dialog's members.
#include "res/Resource.h"
#include "ui/ExportDlg.h"
#include "platform/com/Translate.h"

namespace {

// The separator drop-down's items; the choice is recognised by its text.
const char* const kSepComma = N_("逗号");
const char* const kSepTab = N_("制表键");
const char* const kSepOther = N_("其他");

}  // namespace

void CExportDlg::OnBtnExport() {
  CFileDialog dlg(FALSE, "TXT", "out.txt", OFN_OVERWRITEPROMPT,
                  _("文本文件|*.txt|所有文件|*.*||"), this);
  // It opens where the current target lies, as Windows' dialog returns to its last
  // folder.
  const CString folder = AfxFolderOf(m_strTxtFile);
  dlg.m_ofn.lpstrInitialDir = folder;
  if (dlg.DoModal() != IDOK) return;
  // The file is only chosen here; the export run creates it.
  m_strTxtFile = dlg.GetPathName();
  SetDlgItemText(IDC_EDIT_TXTFILE, m_strTxtFile);
}

void CExportDlg::OnSelchangeCbSep() {
  CString text;
  m_cbSep.GetWindowText(text);
  GetDlgItem(IDC_EDIT_USERSEP)->EnableWindow(text == _(kSepOther));
}

BOOL CExportDlg::CollectOptions(int bValidate) {
  // Each failed check ends the routine; the members after it keep their values.
  auto refuse = [this](const char* text) {
    MessageBox(text, "", MB_OK);
    return FALSE;
  };

  m_bUseSql = IsDlgButtonChecked(IDC_CHK_USESQL) ? 1 : 0;
  if (m_bUseSql) {
    GetDlgItemText(IDC_EDIT_SQL, m_strSql);
    if (bValidate && m_strSql.IsEmpty()) return refuse(_("请输入SQL查询语句"));
  } else {
    GetDlgItemText(IDC_CB_TABLE, m_strTable);
    if (bValidate && m_strTable.IsEmpty()) return refuse(_("请指定表格名称"));
  }

  GetDlgItemText(IDC_EDIT_FIELDS, m_strFields);
  if (bValidate && m_strFields.IsEmpty()) return refuse(_("请指定导出字段。"));

  // No item selected: the choice and the custom text stay as they were.
  CString sep;
  m_cbSep.GetWindowText(sep);
  if (sep == _(kSepComma)) {
    m_nSepIndex = 0;
  } else if (sep == _(kSepTab)) {
    m_nSepIndex = 1;
  } else if (sep == _(kSepOther)) {
    m_nSepIndex = 2;
    // Read even while the edit is disabled.
    GetDlgItemText(IDC_EDIT_USERSEP, m_strUserSep);
    if (bValidate && m_strUserSep.IsEmpty()) return refuse(_("请指定自定义的分隔符！"));
  }

  m_bQuote = IsDlgButtonChecked(IDC_CHK_QUOTE) ? 1 : 0;
  m_bHeader = IsDlgButtonChecked(IDC_CHK_HEADER) ? 1 : 0;
  return TRUE;
}

CString CExportDlg::GetSeparator() {
  CString sep;
  if (m_nSepIndex == 0) sep = ",";
  else if (m_nSepIndex == 1) sep = "\t";
  else if (m_nSepIndex == 2) sep = m_strUserSep;
  return sep;
}
