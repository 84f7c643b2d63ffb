#include "cli/ExportFailure.h"

#include "cli/Report.h"
#include "cli/Salvage.h"
#include "platform/com/Causes.h"
#include "export/FailureText.h"
#include "platform/com/Translate.h"

std::string ExportFailureLine(const std::string& source, const std::string& target,
                              const ExportRun& run, const _com_error& e) {
  const std::string reason = FailureReason(e);
  const long record = run.RecordLines() + 1;
  const std::string file = target.empty() ? std::string(_("标准输出")) : target;
  switch (run.TargetFailed()) {
    case ExportRun::TargetFailure::Creating:
      return Format(_("无法创建目标文件 %s：%s。"), file.c_str(), reason.c_str());
    case ExportRun::TargetFailure::Writing:
      return Format(_("写入目标文件 %s 失败：%s。记录行：%ld"), file.c_str(), reason.c_str(), record);
    case ExportRun::TargetFailure::None:
      break;
  }
  if (e.IsDamage())
    return Format(_("%s：%s"), source.c_str(), FailureDescription(e, false).c_str()) + DamageTail(e, run.RecordLines());
  return Format(_("%s：%s。记录行：%ld"), source.c_str(), reason.c_str(), record);
}
