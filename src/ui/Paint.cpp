// Painting of the minimised window, and its drag cursor.
#include "ui/ExportDlg.h"
#include "ui/IconPosition.h"

void CExportDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, dc.GetSafeHdc(), 0);
  int cxIcon = GetSystemMetrics(SM_CXICON);
  int cyIcon = GetSystemMetrics(SM_CYICON);
  CRect rect;
  GetClientRect(&rect);
  dc.DrawIcon(IconOrigin(rect.Width(), cxIcon), IconOrigin(rect.Height(), cyIcon), m_hIcon);
}

HCURSOR CExportDlg::OnQueryDragIcon() { return m_hIcon; }
