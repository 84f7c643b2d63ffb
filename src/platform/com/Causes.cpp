#include "platform/com/Causes.h"

#include "platform/com/Printf.h"

#include <cstdarg>
#include <cstdio>
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

int JetErrorNumber(HRESULT hr) {
  const uint32_t code = static_cast<uint32_t>(hr);
  return code > 0x80040200u && code <= 0x8004FFFFu ? static_cast<int>(code - 0x80040200u) : 0;
}

std::string NoSuchTableCause(const std::string& table, const std::string& similar) {
  if (similar.empty()) return Printf(_("找不到表“%s”"), table.c_str());
  return Printf(_("找不到表“%s”（有一个表名为“%s”）"), table.c_str(), similar.c_str());
}

std::string NoSuchColumnCause(const std::string& column) {
  return Printf(_("找不到字段或函数“%s”"), column.c_str());
}

std::string SyntaxErrorCause(const std::string& near) {
  if (near.empty()) return _("SQL 语句有语法错误");
  return Printf(_("SQL 语句在“%s”附近有语法错误"), near.c_str());
}

std::string UnfinishedStatementCause() { return _("SQL 语句没有写完"); }

std::string OnlySelectCause() { return _("只能执行 SELECT 语句（从不写入数据库）"); }

std::string NotGroupedCause(const std::string& field) {
  return Printf(_("字段“%s”既不在 GROUP BY 中，也不在聚合函数中"), field.c_str());
}

std::string OrderKeyNotSelectedCause(const std::string& key) {
  return Printf(_("ORDER BY 的“%s”不在所选的字段中"), key.c_str());
}

std::string ArgumentCountCause(const std::string& function) {
  return Printf(_("函数“%s”的参数个数不对"), function.c_str());
}

std::string UnionFieldCountCause() { return _("联合查询的各个 SELECT 字段个数不同"); }

std::string MissingParameterCause(const std::string& parameter) {
  return Printf(_("参数“%s”没有值（用 --param 给出）"), parameter.c_str());
}

std::string NoSuchQueryCause(const std::string& query) {
  return Printf(_("没有名为“%s”的保存查询"), query.c_str());
}

std::string UnrunnableQueryCause(const std::string& query) {
  return Printf(_("保存的查询“%s”不是选择查询，无法执行"), query.c_str());
}

std::string CircularQueryCause(const std::string& query) {
  return Printf(_("保存的查询“%s”引用了它自己"), query.c_str());
}

std::string EngineSetupCause(const std::string& what) {
  return Printf(_("SQL 引擎无法设置“%s”"), what.c_str());
}

std::string NotAccessDatabaseCause() { return _("不是 Access 数据库"); }
std::string DirectoryCause() { return _("是一个目录，不是 Access 数据库"); }
std::string EmptyFileCause() { return _("是一个空文件，不是 Access 数据库"); }

std::string CannotReadCause(const std::string& reason) { return Printf(_("无法读取：%s"), reason.c_str()); }

std::string BinaryValueCause(const std::string& table, const std::string& column) {
  const std::string where = table.empty() ? std::string() : Printf(_("表“%s”，"), table.c_str());
  return Printf(_("%s字段“%s”是二进制数据，没有文本形式"), where.c_str(), column.c_str());
}

std::string ValueOutOfRangeCause(const std::string& table, const std::string& column) {
  const std::string where = table.empty() ? std::string() : Printf(_("表“%s”，"), table.c_str());
  return Printf(_("%s字段“%s”的值超出了 Access 允许的范围"), where.c_str(), column.c_str());
}

std::string UnwritableCharacterCause(const std::string& table, long record, const std::string& column,
                                     const std::string& character, const std::string& charset) {
  const std::string where = table.empty() ? std::string() : Printf(_("表“%s”，"), table.c_str());
  if (column.empty())
    return Printf(_("%s第 %ld 条记录：字符“%s”无法以 %s 写出"), where.c_str(), record, character.c_str(),
                  charset.c_str());
  return Printf(_("%s第 %ld 条记录，字段“%s”：字符“%s”无法以 %s 写出"), where.c_str(), record, column.c_str(),
                character.c_str(), charset.c_str());
}
