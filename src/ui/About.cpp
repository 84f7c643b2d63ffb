// The about box: what the program is, which version, what it does.
#include "ui/ExportDlg.h"
#include "ui/AboutText.h"
#include "platform/com/Translate.h"

void CExportDlg::OnBtnAbout() {
  ModalRequest box;
  box.kind = ModalRequest::About;
  box.owner = this;
  box.caption = _("关于 Kelvane");
  box.text = AboutText();
  AfxRunModal(box);
}
