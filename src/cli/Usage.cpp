#include "cli/Usage.h"

#include "cli/Password.h"

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
         _("把 Access 数据库（.mdb、.accdb）的一个数据表、一个保存的选择查询或一条 SQL\n"
           "语句的结果导出为分隔文本、CSV 或 JSON Lines；默认格式在选项相同时与 Kelvane\n"
           "窗口的“开始导出”写出相同的字节。") +
         "\n\n" +
         _("选择导出什么：\n"
           "  -l, --list              列出用户数据表，每行一个，次序与窗口相同\n"
           "      --queries           与 -l 同用：列出保存的查询及其种类\n"
           "      --show-sql 查询     显示一个保存的查询的 SQL\n"
           "  -s, --sql 语句          导出语句的结果，语句原样执行；“-”从标准输入读取\n"
           "      --param 名称=值     参数查询的参数值（Jet 的字面值形式），可重复\n"
           "  -f, --fields 列表       数据表的导出字段（默认 *）\n"
           "  -a, --all 目录          把每个用户数据表导出到“目录/数据表.txt”\n"
           "                          （--csv 时为 .csv，--json 时为 .jsonl），\n"
           "                          每个表在标准输出写一行：表<TAB>文件<TAB>记录数\n"
           "  -n, --preview           只导出前四条记录\n"
           "      --limit N           只导出前 N 条记录\n") +
         "\n" +
         _("格式：\n"
           "  -d, --delimiter 文本    分隔符（默认“,”）\n"
           "  -t, --tab               以制表键分隔\n"
           "  -q, --quote             每个字段加双引号，内容不转义（与窗口相同）\n"
           "  -H, --header            第一行写列名\n"
           "      --csv               RFC 4180，带列名行，值可原样读回：实数取最短形式，\n"
           "                          日期为 ISO 8601，是/否为 true/false\n"
           "      --json              JSON Lines（UTF-8），每条记录一个对象\n"
           "      --no-header         不写列名行\n"
           "      --null 文本         NULL 写成的文本（默认为空）\n"
           "      --binary 形式       二进制值：base64（默认）、hex、skip 或 fail\n"
           "      --eol crlf|lf       行尾（默认 crlf）\n"
           "  -e, --encoding 字符集   输出字符集（iconv 的名称，默认取自区域设置，\n"
           "                          否则为 UTF-8）\n"
           "      --strict            字符集无法表示的字符是错误，而不是“?”\n"
           "  -o, --output 文件       写入文件（默认或“-”为标准输出）\n") +
         "\n" +
         _("其他：\n"
           "      --quiet             不显示进度\n"
           "  -h, --help              显示本帮助并退出\n"
           "      --version           显示版本并退出\n") +
         "\n" + _("整个数据库：\n"
           "      --describe          数据表（不指定则全部）的字段、主键、索引和关系；\n"
           "                          加 --json 则以 JSON 输出\n"
           "      --sqlite 文件       把整个数据库写成一个 SQLite 数据库文件\n"
           "      --postgresql 文件   把整个数据库写成一个 psql 脚本（“-”为标准输出）\n") +
         "\n" + _("损坏的文件：\n"
           "      --salvage           越过损坏读取，只丢失损坏的部分，并报告丢失了什么\n"
           "      --report 文件       与 --salvage 同用：把丢失的部分以 TSV 写入文件\n") +
         "\n" + PasswordHelp() + "\n" + _("长选项可以缩写为不引起歧义的前缀。") + "\n" +
         _("退出状态：0 完成；1 数据库或文件出错；2 用法错误；3 --salvage 丢失了记录；130 被中断。") + "\n";
}

std::string VersionText() { return std::string(kProgram) + " " + KELVANE_VERSION + "\n"; }
