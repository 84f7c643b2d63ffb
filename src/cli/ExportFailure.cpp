#include "cli/ExportFailure.h"

#include <unistd.h>

#include "cli/Report.h"
#include "cli/Salvage.h"
#include "export/FailureText.h"
#include "export/TargetFile.h"
#include "platform/com/Causes.h"
#include "platform/com/Translate.h"

std::string CauseText(const _com_error& e) {
  // The window's advice on damage is the window's: the line below gives its own.
  const std::string description = FailureDescription(e, false);
  return description.empty() ? FailureReason(e) : description;
}

std::string DatabaseFailureLine(const std::string& source, const _com_error& e, long records) {
  std::string line = source + ": " + CauseText(e);
  if (e.IsDamage()) return line + DamageTail(e, records);
  if (records == 1) line += _("；已写出 1 条记录");
  else if (records > 0) line += Printf(_("；已写出 %ld 条记录"), records);
  if (const int jet = JetErrorNumber(e.Error())) line += Printf(" [Jet %d]", jet);
  return line;
}

std::string ExportFailureLine(const std::string& source, const std::string& target,
                              const ExportRun& run, const _com_error& e) {
  const std::string reason = CauseText(e);
  const long records = run.RecordLines();
  const std::string file = target.empty() ? std::string(_("标准输出")) : target;
  switch (run.TargetFailed()) {
    case ExportRun::TargetFailure::Creating:
      return Printf(_("无法创建目标文件 %s：%s"), file.c_str(), reason.c_str());
    case ExportRun::TargetFailure::Writing:
      return Printf(_("写入 %s 失败：%s"), file.c_str(), reason.c_str()) +
             (records == 1   ? std::string(_("；已写出 1 条记录"))
              : records > 0 ? Printf(_("；已写出 %ld 条记录"), records)
                            : std::string());
    case ExportRun::TargetFailure::None:
      break;
  }
  return DatabaseFailureLine(source, e, records);
}

bool WriteStandardOutput(const std::string& bytes) {
  try {
    TargetFile out;
    out.Adopt(STDOUT_FILENO);
    out.Write(bytes.data(), bytes.size());
  } catch (const _com_error& e) {
    ReportLine(Printf(_("写入 %s 失败：%s"), _("标准输出"), CauseText(e).c_str()));
    return false;
  }
  return true;
}
