// "数据表 =>": fills the table drop-down with the user tables of m_strMdbFile.
#include "ui/ExportDlg.h"
#include "db/UserTables.h"
#include "res/Resource.h"
#include "platform/com/Translate.h"

void CExportDlg::LoadTableList() {
  static const DbOperation kTableList = {
      _("正在获取数据表格..."), _("获取数据表格操作完成。"), _("获取数据表格发生错误。"),
      IDC_BTN_TABLES, true};

  // Emptied before the listing, so a second press lists each table once and a
  // failed listing keeps only what this run inserted.
  m_cbTable.ResetContent();

  RunDbOperation(kTableList, [this](_ConnectionPtr& pConn, _RecordsetPtr& pRs) {
    int count = 0;
    ListUserTables(
        pConn, pRs,
        [&](const std::string& name) {
          // Inserted at the count, not appended: the list keeps the schema's order
          // even if an insertion fails.
          m_cbTable.InsertString(count, CString(name.c_str()));
          ++count;
        },
        [this](long rows) { OnRecordsDone(rows); });
    if (count > 0) m_cbTable.SetCurSel(0);
  });
}
