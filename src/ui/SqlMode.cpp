// The two modes of the source group: the table controls, or the SQL edit in their place.
#include "res/Resource.h"
#include "ui/ExportDlg.h"

// Only visibility changes: texts, enabled states and the preview stay as they are.
void CExportDlg::ApplySqlMode() {
  GetDlgItem(IDC_BTN_TABLES)->ShowWindow(m_bUseSql ? SW_HIDE : SW_SHOW);
  GetDlgItem(IDC_CB_TABLE)->ShowWindow(m_bUseSql ? SW_HIDE : SW_SHOW);
  GetDlgItem(IDC_EDIT_SQL)->ShowWindow(m_bUseSql ? SW_SHOW : SW_HIDE);
}

void CExportDlg::OnChkUseSql() {
  m_bUseSql = static_cast<CButton*>(GetDlgItem(IDC_CHK_USESQL))->GetCheck();
  ApplySqlMode();
}
