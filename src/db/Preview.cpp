// "预览 =>": the first records of the current source in the grid, one column per field.
#include "ui/ExportDlg.h"
#include "db/ValueText.h"
#include "res/Resource.h"
#include "platform/com/Translate.h"

namespace {

// A cell keeps to its row: each line break of the value (CR LF, or a CR or LF
// alone) shows as one "↵". Only the grid shows it so; the export writes the value
// as it is.
CString OnOneLine(const CString& text) {
  if (text.Find('\r') < 0 && text.Find('\n') < 0) return text;
  std::string line;
  const std::string& s = text.str();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' || s[i] == '\n') {
      line += "↵";
      if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      line += s[i];
    }
  }
  return line;
}

}  // namespace

// Every item and every column goes, so a narrower result leaves nothing behind.
void CExportDlg::EmptyPreview() {
  m_lcPreview.DeleteAllItems();
  if (CHeaderCtrl* pHeader = m_lcPreview.GetHeaderCtrl()) {
    int n = pHeader->GetItemCount();
    for (int i = 0; i < n; ++i) m_lcPreview.DeleteColumn(0);
  }
}

void CExportDlg::OnBtnPreview() {
  static const DbOperation kPreview = {
      _("正在获取数据..."), _("获取数据完成。"), _("获取数据发生错误。"), IDC_BTN_PREVIEW, true};

  // The builder has put its reason on the status line; the grid stays as it is.
  CString strSql = BuildQuery(TRUE);
  if (strSql.IsEmpty()) return;

  RunDbOperation(kPreview, [&](_ConnectionPtr& pConn, _RecordsetPtr& pRs) {
    // TOP 4 of a big sorted statement still passes over every row before the first.
    pConn->WhileStepping([this] { OnRecordsDone(0); });
    pRs->Open((LPCTSTR)strSql, pConn, ADODB::adOpenStatic, ADODB::adLockOptimistic,
              ADODB::adCmdText);

    long n = 0;
    {
      FieldsPtr pFields = pRs->GetFields();
      n = pFields->GetCount();
      for (long i = 0; i < n; ++i) {
        FieldPtr pField = pFields->GetItem(i);
        m_lcPreview.InsertColumn(static_cast<int>(i), pField->GetName().c_str(), LVCFMT_LEFT, 80);
      }
    }

    // No row limit here: the statement's TOP 4 is the only bound.
    for (int r = 0; !pRs->GetadoEOF(); ++r) {
      for (long c = 0; c < n; ++c) {
        CString text = OnOneLine(CellText(pRs->GetFields()->GetItem(c)->GetValue()));
        LVITEM item;
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.iSubItem = static_cast<int>(c);
        item.pszText = text;
        // Column 0 is the item itself; the others are its sub-items.
        if (c == 0)
          m_lcPreview.InsertItem(&item);
        else
          m_lcPreview.SetItem(&item);
      }
      pRs->MoveNext();
      OnRecordsDone(r + 1);
    }
  }, [this] { EmptyPreview(); });
}
