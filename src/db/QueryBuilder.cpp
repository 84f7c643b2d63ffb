// The statement for the preview or the export, from the table list or the SQL edit.
#include "ui/ExportDlg.h"
#include "export/TableStatement.h"
#include "res/Resource.h"
#include "platform/com/Translate.h"

CString CExportDlg::BuildQuery(int bPreview) {
  CString strSql;
  if (!m_bUseSql) {
    // A drop-down list: its text is the selected entry, or empty with none.
    m_cbTable.GetWindowText(m_strTable);
    if (m_strTable.IsEmpty()) {
      SetDlgItemText(IDC_STATIC_STATUS, _("没有选中任何表格！"));
      return CString();
    }
    // Built as the command line builds it: a name that is not a plain word
    // ("Order Details") goes between brackets, so every listed table can be read.
    if (bPreview) return TablePreviewStatement(m_strTable.str());
    return TableStatement(m_strFields.str(), m_strTable.str());
  }

  GetDlgItemText(IDC_EDIT_SQL, m_strSql);
  if (m_strSql.IsEmpty()) {
    SetDlgItemText(IDC_STATIC_STATUS, _("请指定SQL查询语句！"));
    return CString();
  }
  // The member itself is lowered (and so saved lowered); the edit keeps what was typed.
  // ASCII letters only, so a multibyte character is never changed or split.
  m_strSql.MakeLower();
  // A plain byte search: a "from" inside a word or a literal counts. Everything
  // before it (verb, select list, TOP n) is replaced by our own select.
  int pos = m_strSql.Find("from");
  if (pos < 0) {
    SetDlgItemText(IDC_STATIC_STATUS, _("无效的SQL查询语句！"));
    return CString();
  }
  CString tail = m_strSql.Mid(pos);
  if (bPreview)
    strSql.Format("select top 4 * %s", (LPCTSTR)tail);
  else
    strSql.Format("select %s %s", (LPCTSTR)m_strFields, (LPCTSTR)tail);
  return strSql;
}
