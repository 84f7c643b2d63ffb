// "开始导出": the export run on the operation frame every database operation shares.
// The recordset and the file are ExportRun's; this handler adds the option check,
// the refusal of a missing target and of the source database as target, and the
// failure box: the record number of a database failure, or the target file and
// its own cause when the file could not be created or written.
#include "export/ExportRun.h"
#include "export/FailureText.h"
#include "export/TargetFile.h"
#include "platform/com/Translate.h"
#include "res/Resource.h"
#include "ui/ExportDlg.h"

namespace {

// The output character set as the user knows it: iconv's CP936, which the C
// locale stands for, is GBK.
std::string CharsetName() {
  const std::string set = TextEncoder::OutputCharset();
  return set == "CP936" ? "GBK" : set;
}

}  // namespace

void CExportDlg::OnBtnStart() {
  if (!CollectOptions(TRUE)) return;
  const CString sep = GetSeparator();

  // No target chosen yet (none loaded, none picked): say so, before any database
  // work, rather than end in a database error about a file that is not there.
  if (m_strTxtFile.IsEmpty()) {
    MessageBox(_("请选择导出的目标文件！"), "", MB_OK);
    return;
  }

  // Truncating the open database would destroy it; on Windows the provider's open
  // file blocked this, here nothing would. Refused before the run starts.
  if (IsSameFile(m_strTxtFile.str(), m_strMdbFile.str())) {
    MessageBox(_("目标文件就是源数据库文件，不能覆盖！"), "", MB_OK);
    return;
  }

  // The record counter starts at 0 with the run.
  ExportRun run(TextFormat{sep.str(), m_bQuote != 0, m_bHeader != 0}, m_strTxtFile.str(),
                m_strMdbFile.str());
  run.OnRecords([this](long nDone) { OnRecordsDone(nDone); });
  const DbOperation op{_("正在执行，请稍候..."), _("执行完成。"), _("获取数据发生错误。"),
                       IDC_BTN_START, false};
  RunDbOperation(
      op,
      [&](_ConnectionPtr& conn, _RecordsetPtr& rs) {
        // Not tested here: an empty statement fails when the recordset opens.
        const CString sql = BuildQuery(FALSE);
        run.Run(conn, rs, sql.str());
      },
      {},
      [&](const _com_error& e) {
        const std::string reason = FailureReason(e);
        const int record = static_cast<int>(run.RecordLines() + 1);
        CString text;
        if (run.TargetFailed() == ExportRun::TargetFailure::None) {
          text.Format(_("连接数据库失败!\r\n\r\n错误信息:%s。记录行：%d"), reason.c_str(), record);
          return text;
        }
        // The database is fine: the box names the file and what is wrong with it.
        SetDlgItemText(IDC_STATIC_STATUS, _("写入目标文件发生错误。"));
        if (run.TargetFailed() == ExportRun::TargetFailure::Creating) {
          text.Format(_("无法创建目标文件：%s\r\n\r\n错误信息:%s。"), m_strTxtFile.GetString(),
                      reason.c_str());
        } else {
          text.Format(_("写入目标文件失败：%s\r\n\r\n错误信息:%s。记录行：%d"),
                      m_strTxtFile.GetString(), reason.c_str(), record);
        }
        return text;
      });

  // A character the output set has no form for was written as '?': the status line
  // says how many there were, behind its own text, so that none is lost unsaid.
  if (const uint64_t n = run.ReplacedCharacters()) {
    CString note;
    if (n == 1)
      note.Format(_("（1 个字符在 %s 中没有对应，已写为 ?）"), CharsetName().c_str());
    else
      note.Format(_("（%llu 个字符在 %s 中没有对应，已写为 ?）"), static_cast<unsigned long long>(n),
                  CharsetName().c_str());
    CString status;
    GetDlgItemText(IDC_STATIC_STATUS, status);
    SetDlgItemText(IDC_STATIC_STATUS, status + note);
  }
}
