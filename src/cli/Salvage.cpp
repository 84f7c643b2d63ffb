#include "cli/Salvage.h"

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include "cli/Progress.h"
#include "cli/Report.h"
#include "export/FailureText.h"
#include "platform/ado/DatabaseOpener.h"
#include "platform/com/Causes.h"
#include "platform/com/Errno.h"
#include "platform/com/Translate.h"
#include "platform/jet/Provider.h"
#include "platform/jet/file/SalvageLog.h"

namespace {

// The log every database of the command writes into; null without --salvage.
std::shared_ptr<jet::SalvageLog> g_log;

// 1234567 as "1,234,567", as the summary counts.
std::string Grouped(uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string RecordsLost(const std::optional<uint64_t>& records) {
  if (!records) return _("记录数不明，已丢失");
  if (*records == 1) return _("1 条记录丢失");
  return Printf(_("%s 条记录丢失"), Grouped(*records).c_str());
}

// "Orders: data page 1234 (row offsets outside the page)"
std::string Place(const jet::SalvageLoss& l) {
  if (l.page == jet::kNoPage && l.what >= jet::SalvageLoss::What::Table)  // a part of the schema, in no one page
    return Printf(_("%s（%s）"), l.table.c_str(), jet::CheckText(l.check).c_str());
  std::string where = jet::PageKindText(l.kind);
  if (l.page != jet::kNoPage) where += " " + std::to_string(l.page);
  return Printf(_("%s：%s（%s）"), l.table.c_str(), where.c_str(), jet::CheckText(l.check).c_str());
}

std::string LossLine(const jet::SalvageLoss& l) {
  using What = jet::SalvageLoss::What;
  std::string what;
  switch (l.what) {
    case What::Page: case What::Row: case What::Missing: what = RecordsLost(l.records); break;
    case What::Value:
      what = Printf(_("第 %s 条记录的 %s 写为空值"), Grouped(l.record).c_str(), l.column.c_str());
      break;
    case What::UsageMap: what = _("改按页面的所属读取该表的数据页"); break;
    case What::FileEnd: return Printf(_("文件在第 %u 页中间结束：该页已舍弃，其中的记录数不明"), l.page);
    case What::Table: what = _("该表的定义已丢失：整个表未读出，其记录数不明"); break;
    case What::Index:
      what = l.column.empty() ? std::string(_("其索引均已舍弃")) : Printf(_("索引“%s”已舍弃"), l.column.c_str());
      break;
    case What::Properties: what = _("其字段的“必需”、默认值和说明已丢失"); break;
    case What::Relationship:
      what = l.column.empty() ? std::string(_("一个无法识别的关系已舍弃")) : Printf(_("关系“%s”已舍弃"), l.column.c_str());
      break;
  }
  return Printf(_("%s：%s"), Place(l).c_str(), what.c_str());
}

std::string Summary(const std::vector<jet::SalvageLoss>& losses) {
  std::set<std::pair<std::string, uint32_t>> pages;
  uint64_t values = 0, lost = 0, schemaParts = 0;
  bool unknown = false;
  for (const jet::SalvageLoss& l : losses) {
    if (l.what == jet::SalvageLoss::What::Value) ++values;
    else if (l.what > jet::SalvageLoss::What::Table) ++schemaParts;  // an index, properties, a relationship
    else if (l.what != jet::SalvageLoss::What::Missing) pages.insert({l.table, l.page});
    if (l.records) lost += *l.records;
    else unknown = true;
  }
  std::string damaged;
  if (!pages.empty()) damaged = pages.size() == 1 ? _("1 个页面") : Printf(_("%s 个页面"), Grouped(pages.size()).c_str());
  if (!pages.empty() && values) damaged += _("和");
  if (values) damaged += values == 1 ? _("1 个长值") : Printf(_("%s 个长值"), Grouped(values).c_str());
  if (!damaged.empty() && schemaParts) damaged += _("和");
  if (schemaParts)
    damaged += schemaParts == 1 ? _("1 个结构项") : Printf(_("%s 个结构项"), Grouped(schemaParts).c_str());
  if (damaged.empty()) damaged = _("记录");
  // The records read of the tables that lost some.
  uint64_t read = 0;
  std::set<std::string> tables;
  for (const jet::SalvageLoss& l : losses) tables.insert(l.table);
  for (const std::string& t : tables) read += g_log->RecordsGiven(t);
  if (unknown && lost == 0)
    return Printf(_("%1$s已损坏；丢失的记录数不明；读出 %2$s 条记录"), damaged.c_str(), Grouped(read).c_str());
  if (unknown)
    return Printf(_("%1$s已损坏；%2$s 条记录丢失，另有记录数不明的记录丢失；读出 %3$s 条记录"), damaged.c_str(),
                  Grouped(lost).c_str(), Grouped(read).c_str());
  return Printf(_("%1$s已损坏；%2$s 条记录中丢失 %3$s 条"), damaged.c_str(), Grouped(read + lost).c_str(),
                Grouped(lost).c_str());
}

// The report as TSV: table, page, check, records lost ("unknown" where no page told),
// and what else was lost (a record's value written as NULL; a table, an index, the
// properties or a relationship left out).
bool WriteReport(const std::string& path, const std::vector<jet::SalvageLoss>& losses) {
  FILE* out = std::fopen(path.c_str(), "w");
  if (!out) return false;
  std::fputs("table\tpage\tcheck\trecords lost\tvalue\n", out);
  for (const jet::SalvageLoss& l : losses) {
    std::string table = l.table;
    for (char& c : table) if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    const std::string page = l.page == jet::kNoPage ? std::string() : std::to_string(l.page);
    const std::string records = l.records ? std::to_string(*l.records) : "unknown";
    std::string value;
    if (l.what == jet::SalvageLoss::What::Value) value = "record " + std::to_string(l.record) + " " + l.column;
    if (l.what == jet::SalvageLoss::What::Table) value = "table";
    if (l.what == jet::SalvageLoss::What::Index) value = "index " + l.column;
    if (l.what == jet::SalvageLoss::What::Properties) value = "properties";
    if (l.what == jet::SalvageLoss::What::Relationship) value = "relationship " + l.column;
    for (char& c : value) if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    std::fprintf(out, "%s\t%s\t%s\t%s\t%s\n", table.c_str(), page.c_str(), jet::CheckName(l.check), records.c_str(),
                 value.c_str());
  }
  return std::fclose(out) == 0;
}

}  // namespace

void StartSalvage() {
  g_log = std::make_shared<jet::SalvageLog>();
  ado::SetSalvageLog(g_log);
}

int FinishSalvage(const CliOptions& options, int status) {
  if (!g_log) return status;
  // Records lost one by one on one page for one reason (moved rows whose page is
  // gone) make one line.
  // A statement that reads a table twice (a join with itself) finds its damage
  // twice: the first pass with losses tells them.
  std::vector<jet::SalvageLoss> losses;
  std::map<std::string, uint64_t> firstPass;
  for (const jet::SalvageLoss& l : g_log->Losses()) {
    if (firstPass.emplace(l.table, l.pass).first->second != l.pass) continue;
    if (!losses.empty()) {
      jet::SalvageLoss& last = losses.back();
      if (l.what == jet::SalvageLoss::What::Row && last.what == l.what && last.table == l.table &&
          last.page == l.page && last.check == l.check) {
        *last.records += *l.records;
        continue;
      }
    }
    losses.push_back(l);
  }
  Progress::ClearLine();
  for (const jet::SalvageLoss& l : losses) std::fprintf(stderr, "salvage: %s\n", LossLine(l).c_str());
  if (!losses.empty()) std::fprintf(stderr, "salvage: %s\n", Summary(losses).c_str());
  if (options.report && !WriteReport(*options.report, losses)) {
    const _com_error e(HResultFromErrno(errno));
    ReportLine(Printf(_("无法写入报告文件 %s：%s。"), options.report->c_str(), FailureReason(e).c_str()));
    return kFailed;
  }
  return status == kDone && !losses.empty() ? kSalvaged : status;
}

std::string FailureWords(const _com_error& e) {
  if (!e.IsDamage()) return FailureReason(e);
  std::string words = FailureDescription(e, false);
  if (!g_log) words += _("；--salvage 可越过损坏读取");
  return words;
}

std::string DamageTail(const _com_error& e, long records) {
  if (!e.IsDamage()) return std::string();
  // The count only where records were written: else nothing had started.
  std::string tail = records > 0 ? Printf(_("；在 %ld 条记录后停止"), records) : std::string();
  if (!g_log) tail += _("；--salvage 可越过损坏读取");
  return tail;
}
