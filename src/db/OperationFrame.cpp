// The one frame every database operation (table list, preview, export run) runs in.
// COM is initialised once per operation and uninitialised once on whichever path it
// leaves by; no ADO object outlives the call.
#include <new>
#include <stdexcept>
#include "db/ConnectionMaker.h"
#include "db/ProtectedOpen.h"
#include "ui/ExportDlg.h"
#include "res/Resource.h"
#include "platform/com/Translate.h"

namespace {

CString DefaultBoxText(const _com_error& e) {
  CString s;
  s.Format(_("连接数据库失败!\r\n\r\n错误信息:%s"), e.ErrorMessage());
  return s;
}

// Runs one step and turns whatever it raises into the database error, so that the
// frame's error path (and with it the CoUninitialize) is never skipped.
template <class F>
bool Guarded(F&& step, HRESULT* failure) {
  try {
    step();
    return true;
  } catch (const _com_error& e) {
    *failure = e.Error();
  } catch (const std::bad_alloc&) {
    *failure = E_OUTOFMEMORY;
  } catch (const std::exception&) {
    *failure = E_FAIL;
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
  HRESULT failure = S_OK;

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
    _com_error error(failure);
    CString text = BoxText(boxText ? boxText(error) : DefaultBoxText(error));
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
    CString text;
    text.Format("%s %ld", m_pRunningOp->startText, nDone);
    SetDlgItemText(IDC_STATIC_STATUS, text);
  }
  UpdateWindow();
}
