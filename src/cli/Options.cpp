#include "cli/Options.h"

#include <getopt.h>
#include <cstring>
#include "cli/ArgumentText.h"
#include "cli/Report.h"
#include "export/TextEncoder.h"
#include "platform/com/Translate.h"

namespace {

enum LongOnly { kCsv = 256, kNoHeader, kEol, kQuiet, kHelp, kVersion, kDescribe, kJson, kSqlite, kPostgresql };

const option kOptions[] = {
    {"list", no_argument, nullptr, 'l'},        {"sql", required_argument, nullptr, 's'},
    {"fields", required_argument, nullptr, 'f'}, {"delimiter", required_argument, nullptr, 'd'},
    {"tab", no_argument, nullptr, 't'},         {"quote", no_argument, nullptr, 'q'},
    {"header", no_argument, nullptr, 'H'},      {"csv", no_argument, nullptr, kCsv},
    {"no-header", no_argument, nullptr, kNoHeader}, {"eol", required_argument, nullptr, kEol},
    {"encoding", required_argument, nullptr, 'e'}, {"output", required_argument, nullptr, 'o'},
    {"all", required_argument, nullptr, 'a'},   {"preview", no_argument, nullptr, 'n'},
    {"quiet", no_argument, nullptr, kQuiet},    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion}, {"describe", no_argument, nullptr, kDescribe},
    {"json", no_argument, nullptr, kJson},      {"sqlite", required_argument, nullptr, kSqlite},
    {"postgresql", required_argument, nullptr, kPostgresql}, {nullptr, 0, nullptr, 0},
};

// The option getopt stopped at, as the user typed it: a long one whole, a short
// one (perhaps inside a cluster such as -xq) by its letter.
std::string OffendingOption(int argc, char** argv) {
  const int at = optind - 1;
  if (at > 0 && at < argc && std::strncmp(argv[at], "--", 2) == 0) return argv[at];
  if (optopt > 0 && optopt < 128) return std::string("-") + static_cast<char>(optopt);
  return at > 0 && at < argc ? argv[at] : "?";
}

// The checks between options, once all are read: what is left is one thing to do.
std::string Conflicts(const CliOptions& o, bool header, bool noHeader, bool fieldsGiven) {
  const int whole = (o.describe ? 1 : 0) + (o.sqlite ? 1 : 0) + (o.postgresql ? 1 : 0);
  if (whole > 0) {
    if (o.file.empty()) return _("缺少数据库文件");
    if (whole > 1 || o.list || o.sql || o.allDir) return _("--describe、--sqlite、--postgresql 只能选一个，且不能与 --list、--sql、--all 同用");
    if (o.table && !o.describe) return Format(_("多余的参数：%s"), o.table->c_str());
    return std::string();
  }
  if (o.json) return _("--json 只用于 --describe");
  const int modes = (o.list ? 1 : 0) + (o.sql ? 1 : 0) + (o.allDir ? 1 : 0) + (o.table ? 1 : 0);
  if (o.file.empty()) return _("缺少数据库文件");
  if (modes == 0) return _("请指定数据表，或 --list、--sql、--all 之一");
  if (modes > 1) return _("数据表、--list、--sql 和 --all 只能选一个");
  if (fieldsGiven && (o.list || o.sql)) return _("--fields 只用于数据表");
  if (o.output && (o.list || o.allDir)) return _("--output 不能与 --list 或 --all 同用");
  if (o.format.separator.empty()) return _("分隔符不能为空");
  if (o.format.csv && o.format.quote) return _("--quote 和 --csv 不能同用");
  if (header && noHeader) return _("--header 和 --no-header 不能同用");
  return std::string();
}

}  // namespace

ParsedCommandLine ParseOptions(int argc, char** argv) {
  ParsedCommandLine parsed;
  CliOptions& o = parsed.options;
  bool header = false, noHeader = false, fieldsGiven = false;
  opterr = 0;  // the messages are ours, in the user's language
  optind = 1;
  int c;
  while ((c = getopt_long(argc, argv, ":ls:f:d:tqHe:o:a:n", kOptions, nullptr)) != -1) {
    switch (c) {
      case 'l': o.list = true; break;
      case 's': o.sql = optarg; break;
      case 'f': o.fields = optarg; fieldsGiven = true; break;
      case 'd': o.format.separator = optarg; break;
      case 't': o.format.separator = "\t"; break;
      case 'q': o.format.quote = true; break;
      case 'H': header = true; break;
      case kCsv: o.format.csv = true; break;
      case kNoHeader: noHeader = true; break;
      case kEol:
        if (std::string(optarg) == "crlf") o.format.lineEnd = "\r\n";
        else if (std::string(optarg) == "lf") o.format.lineEnd = "\n";
        else parsed.error = Format(_("--eol 只接受 crlf 或 lf，不接受“%s”"), optarg);
        break;
      case 'e':
        if (TextEncoder::KeepsAscii(optarg)) o.format.charset = optarg;
        else parsed.error = Format(_("不支持的字符集：%s"), optarg);
        break;
      case 'o': o.output = optarg; break;
      case 'a': o.allDir = optarg; break;
      case 'n': o.preview = true; break;
      case kQuiet: o.quiet = true; break;
      case kHelp: o.help = true; break;
      case kVersion: o.version = true; break;
      case kDescribe: o.describe = true; break;
      case kJson: o.json = true; break;
      case kSqlite: o.sqlite = optarg; break;
      case kPostgresql: o.postgresql = optarg; break;
      case ':': parsed.error = Format(_("选项 %s 需要一个参数"), OffendingOption(argc, argv).c_str()); break;
      default: parsed.error = Format(_("未知的选项：%s"), OffendingOption(argc, argv).c_str()); break;
    }
    if (!parsed.error.empty()) return parsed;
  }
  if (o.help || o.version) return parsed;
  if (optind < argc) o.file = argv[optind++];
  if (optind < argc) o.table = argv[optind++];
  if (optind < argc) {
    parsed.error = Format(_("多余的参数：%s"), argv[optind]);
    return parsed;
  }
  // Names and statements typed or read back from --list in the output's
  // character set are taken in it.
  const std::string charset = o.format.charset.empty() ? TextEncoder::OutputCharset() : o.format.charset;
  if (o.table) o.table = ArgumentToUtf8(*o.table, charset);
  if (o.sql && *o.sql != "-") o.sql = ArgumentToUtf8(*o.sql, charset);
  o.fields = ArgumentToUtf8(o.fields, charset);
  // CSV brings its header line unless told otherwise; the window's format only when asked.
  o.format.header = noHeader ? false : (header || o.format.csv);
  parsed.error = Conflicts(o, header, noHeader, fieldsGiven);
  return parsed;
}
