#include "cli/Usage.h"

#include "platform/com/Translate.h"

namespace {
const char kProgram[] = "kelvane-export";
}

std::string ShortUsage() {
  return std::string(_("用法：kelvane-export [选项]... 文件 [数据表]")) + "\n" +
         _("运行“kelvane-export --help”查看全部选项。") + "\n";
}

std::string FullHelp() {
  return std::string(_("用法：kelvane-export [选项]... 文件 [数据表]")) + "\n" +
         _("把 Access 数据库（.mdb、.accdb）的一个数据表或一条 SQL 语句的结果导出为分隔文本；\n"
           "选项相同时，写出的字节与 Kelvane 窗口的“开始导出”相同。") +
         "\n\n" +
         _("  -l, --list              列出用户数据表，每行一个，次序与窗口相同\n"
           "  -s, --sql 语句          导出语句的结果，语句原样执行；“-”从标准输入读取\n"
           "  -f, --fields 列表       数据表的导出字段（默认 *）\n"
           "  -d, --delimiter 文本    分隔符（默认“,”）\n"
           "  -t, --tab               以制表键分隔\n"
           "  -q, --quote             每个字段加双引号，内容不转义（与窗口相同）\n"
           "  -H, --header            第一行写列名\n"
           "      --csv               按 RFC 4180 加引号，并写列名行\n"
           "      --no-header         不写列名行\n"
           "      --eol crlf|lf       行尾（默认 crlf）\n"
           "  -e, --encoding 字符集   输出字符集（iconv 的名称，默认取自区域设置）\n"
           "  -o, --output 文件       写入文件（默认标准输出）\n"
           "  -a, --all 目录          把每个用户数据表导出到“目录/数据表.txt”\n"
           "  -n, --preview           只导出前四条记录\n"
           "      --quiet             不显示进度\n"
           "      --help              显示本帮助并退出\n"
           "      --version           显示版本并退出\n") +
         _("      --describe          数据表（不指定则全部）的字段、主键、索引和关系\n"
           "      --json              与 --describe 同用：以 JSON 输出\n"
           "      --sqlite 文件       把整个数据库写成一个 SQLite 数据库文件\n"
           "      --postgresql 文件   把整个数据库写成一个 psql 脚本（“-”为标准输出）\n") +
         "\n" + _("退出状态：0 完成；1 数据库或文件出错；2 用法错误；130 被中断。") + "\n";
}

std::string VersionText() { return std::string(kProgram) + " " + KELVANE_VERSION + "\n"; }
