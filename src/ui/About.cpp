// The about box: what the program is, which version, what it does.
#include "ui/ExportDlg.h"
#include "ui/AboutText.h"

void CExportDlg::OnBtnAbout() {
  ModalRequest box;
  box.kind = ModalRequest::About;
  box.owner = this;
  box.caption = "关于 Kelvane";
  box.text = AboutText();
  AfxRunModal(box);
}
