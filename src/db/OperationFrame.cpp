// The one frame every database operation (table list, preview, export run) runs in.
// COM is initialised once per operation and uninitialised once on whichever path it
// leaves by; no ADO object outlives the call.
#include <new>
#include <string>
#include <stdexcept>
#include "db/ConnectionMaker.h"
#include "db/ProtectedOpen.h"
#include "ui/ExportDlg.h"
#include "res/Resource.h"
#include "platform/com/Causes.h"
#include "platform/com/Translate.h"

namespace {

CString DefaultBoxText(const _com_error& e) {
  CString s;
  s.Format(_("连接数据库失败!\r\n\r\n错误信息:%s"), e.ErrorMessage());
  return s;
}

// Under a box's text, one line with the cause in words and the object it concerns
// (the table, column, stretch of the statement, file or page), in the window's
// language: the Part's texts name only a code, and name it in English where the
// system has no text for it.
CString WithCause(const CString& text, const _com_error& e) {
  const std::string cause = FailureDescription(e);
  if (cause.empty()) return text;
  CString line;
  line.Format(_("原因：%s"), cause.c_str());
  return text + "\r\n" + line;
}

// A count of records as the status line shows it: "3,312,384 条记录", the digits
// grouped by threes so that a long run's count reads at a glance.
CString RecordCount(long n) {
  if (n == 1) return _("1 条记录");
  const std::string digits = std::to_string(n);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  CString s;
  s.Format(_("%s 条记录"), grouped.c_str());
  return s;
}

// Runs one step and turns whatever it raises into the database error, so that the
// frame's error path (and with it the CoUninitialize) is never skipped.
template <class F>
bool Guarded(F&& step, _com_error* failure) {
  try {
    step();
    return true;
  } catch (const _com_error& e) {
    *failure = e;  // with the raiser's description of the cause
  } catch (const std::bad_alloc&) {
    *failure = _com_error(E_OUTOFMEMORY);
  } catch (const std::exception&) {
    *failure = _com_error(E_FAIL);
  }
  return false;
}

}  // namespace

bool CExportDlg::RunDbOperation(const DbOperation& op,
                                const std::function<void(_ConnectionPtr&, _RecordsetPtr&)>& work,
                                const std::function<void()>& prepare,
                                const std::function<CString(const _com_error&)>& boxText) {
  SetDlgItemText(IDC_STATIC_STATUS, op.startText);
  GetDlgItem(op.buttonId)->EnableWindow(FALSE);
  // The start text and the disabled button are on screen before the work begins;
  // until the end no input reaches a handler, and a close request waits for the end.
  BeginModalState();
  m_pRunningOp = &op;
  m_dwLastServed = m_dwLastCounted = GetTickCount();

  CoInitialize(nullptr);
  _ConnectionPtr pConn;
  _RecordsetPtr pRs;
  _com_error failure(S_OK);

  // Creation lies outside the guarded section; a failed creation ends the same way.
  bool ok = Guarded([&] {
    _com_issue_errorex(db::CreateConnection(&pConn));
    _com_issue_errorex(pRs.CreateInstance(ADODB::CLSID_Recordset));
  }, &failure);
  if (ok && prepare) ok = Guarded(prepare, &failure);

  if (ok) {
    ok = Guarded([&] {
      db::OpenConnection(pConn, m_strMdbFile.str());
      // A fresh recordset by ProgID; a failed creation leaves it empty, and its first
      // use raises E_POINTER inside this section.
      pRs.CreateInstance("ADODB.Recordset");
      work(pConn, pRs);
    }, &failure);
  }

  // The closes lie outside the guarded section too; a failing close ends like the
  // error path, with both references dropped unclosed.
  if (ok) {
    ok = Guarded([&] {
      pRs->Close();
      pConn->Close();
    }, &failure);
  }

  pRs.Release();
  pConn.Release();
  CoUninitialize();
  m_pRunningOp = nullptr;

  if (ok) {
    SetDlgItemText(IDC_STATIC_STATUS, op.successText);
    GetDlgItem(op.buttonId)->EnableWindow(TRUE);
  } else {
    SetDlgItemText(IDC_STATIC_STATUS, op.failureText);
    if (op.enableButtonBeforeBox) GetDlgItem(op.buttonId)->EnableWindow(TRUE);
    CString text = BoxText(WithCause(boxText ? boxText(failure) : DefaultBoxText(failure), failure));
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    if (!op.enableButtonBeforeBox) GetDlgItem(op.buttonId)->EnableWindow(TRUE);
  }
  EndModalState();
  return ok;
}

void CExportDlg::OnRecordsDone(long nDone) {
  if (!m_pRunningOp) return;
  // Served ten times a second, the window repaints and answers the window
  // manager's ping well within its patience. A new count costs a relayout of the
  // window (ten times what serving does), so it is shown twice a second: enough to
  // watch it count up, little enough that the export does not feel it.
  const DWORD now = GetTickCount();
  if (now - m_dwLastServed < 100) return;
  m_dwLastServed = now;
  if (now - m_dwLastCounted >= 500) {
    m_dwLastCounted = now;
    // No count while none is done (a sorted preview passing over its rows): the
    // start text alone says the work goes on.
    if (nDone > 0)
      SetDlgItemText(IDC_STATIC_STATUS, CString(m_pRunningOp->startText) + " " + RecordCount(nDone));
  }
  UpdateWindow();
}
