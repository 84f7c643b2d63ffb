// "数据表 =>": fills the table drop-down with the user tables of m_strMdbFile.
#include "ui/ExportDlg.h"
#include "db/ValueText.h"
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
    pRs = pConn->OpenSchema(ADODB::adSchemaTables);
    int count = 0;
    for (long rows = 1; !pRs->GetadoEOF(); ++rows) {
      // Only exact "TABLE": system tables, saved queries and links are passed over
      // without their names being read.
      if (ValueToText(pRs->GetCollect("TABLE_TYPE")) == "TABLE") {
        // Inserted at the count, not appended: the list keeps the schema's order
        // even if an insertion fails.
        m_cbTable.InsertString(count, ValueToText(pRs->GetCollect("TABLE_NAME")));
        ++count;
      }
      pRs->MoveNext();
      OnRecordsDone(rows);
    }
    if (count > 0) m_cbTable.SetCurSel(0);
  });
}
