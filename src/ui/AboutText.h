// The about box's text: name, version and one line on what the program does.
#pragma once
#include "platform/com/Translate.h"
#include "platform/mfc/CString.h"

inline CString AboutText() {
  return CString("Kelvane ") + KELVANE_VERSION +
         "\r\n\r\n" + _("把 Access 数据库（.mdb 或 .accdb）中的表或 SQL 查询结果导出为分隔符文本文件。");
}
