#include "platform/com/Causes.h"

#include "platform/com/Translate.h"

namespace {

struct GeneralCause {
  HRESULT code;
  const char* text;  // the program's Chinese wording, no full stop at the end
};

// What a code means when its raiser could name nothing more.
constexpr GeneralCause kGeneral[] = {
    {JET_E_PASSWORD, N_("数据库受密码保护")},
    {JET_E_SYNTAX, N_("SQL 语句有语法错误")},
    {JET_E_NOTABLE, N_("找不到该表")},
    {JET_E_NOCOLUMN, N_("找不到该字段或函数")},
    {JET_E_EMPTYSTATEMENT, N_("SQL 语句为空")},
    {JET_E_TYPEMISMATCH, N_("表达式中的数据类型不匹配")},
    {E_FAIL, N_("文件已损坏，或不是 Access 数据库")},
    {DISP_E_TYPEMISMATCH, N_("值没有文本形式（二进制数据）")},
};

}  // namespace

std::string FailureDescription(const _com_error& e, bool advice) {
  if (e.IsDamage() && !e.Description().empty()) {
    if (!advice) return e.Description();
    return e.Description() + _("；kelvane-export 的 --salvage 可以导出其后的记录");
  }
  if (!e.Description().empty()) return e.Description();
  for (const GeneralCause& c : kGeneral) {
    if (c.code == e.Error()) return _(c.text);
  }
  return std::string();
}
