#include "platform/jet/file/Damage.h"

#include <cstdio>
#include "platform/com/Translate.h"

namespace jet {

namespace {

struct CheckWords {
  const char* name;
  const char* text;  // the program's Chinese wording
};

// In the order of Check.
constexpr CheckWords kChecks[] = {
    {"page-type", N_("页面类型不对")},
    {"owner", N_("属于另一个数据表")},
    {"row-count", N_("行数超出页面")},
    {"row-offsets", N_("行偏移超出页面")},
    {"row-bounds", N_("字段超出行的范围")},
    {"null-mask", N_("空值掩码超出行的范围")},
    {"field-size", N_("值短于其类型")},
    {"moved-row", N_("移动行的指针无效")},
    {"long-value-chain", N_("长值链已断")},
    {"usage-map", N_("页面映射无法读取")},
    {"table-definition", N_("表定义链已断")},
    {"catalog", N_("目录项不一致")},
    {"page-number", N_("页号超出文件")},
    {"records-missing", N_("记录比它所计的少")},
    {"entries", N_("其条目所在的表已损坏")},
    {"file-end", N_("文件在页面中间结束")},
    {"properties", N_("属性无法读取")},
    {"indexes", N_("索引项不一致")},
};

std::string Describe(const std::string* table, Check check, uint32_t page, PageKind kind) {
  const std::string what = PageKindText(kind), why = CheckText(check);
  char number[16];
  std::snprintf(number, sizeof number, "%u", page);
  // Whole phrases, so that each language orders its words its own way.
  const char* format = table ? (page != kNoPage ? _("数据表 %1：%2 %3 已损坏（%4）") : _("数据表 %1 已损坏（%4）"))
                             : (page != kNoPage ? _("%2 %3 已损坏（%4）") : _("%2已损坏（%4）"));
  std::string text;
  for (const char* p = format; *p; ++p) {
    if (p[0] == '%' && p[1] >= '1' && p[1] <= '4') {
      const char n = *++p;
      text += n == '1' ? *table : n == '2' ? what : n == '3' ? std::string(number) : why;
    } else {
      text += *p;
    }
  }
  return text;
}

}  // namespace

Damage::Damage(Check c, uint32_t p, PageKind k)
    : _com_error(E_FAIL, Describe(nullptr, c, p, k)), check(c), page(p), kind(k) {
  MarkDamage();
}

void Damaged(Check check, uint32_t page, PageKind kind) { throw Damage(check, page, kind); }

std::string CheckText(Check check) { return _(kChecks[static_cast<int>(check)].text); }

const char* CheckName(Check check) { return kChecks[static_cast<int>(check)].name; }

std::string PageKindText(PageKind kind) {
  switch (kind) {
    case PageKind::Data: return _("数据页");
    case PageKind::LongValue: return _("长值页");
    case PageKind::UsageMap: return _("页面映射页");
    case PageKind::TableDefinition: return _("表定义页");
  }
  return std::string();
}

_com_error DamageError(const std::string& table, Check check, uint32_t page, PageKind kind) {
  _com_error e(E_FAIL, Describe(&table, check, page, kind));
  e.MarkDamage();
  return e;
}

}  // namespace jet
