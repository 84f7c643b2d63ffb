#include "cli/Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include "cli/ArgumentText.h"
#include "cli/Password.h"
#include "cli/Report.h"
#include "export/TextEncoder.h"
#include "platform/com/Translate.h"

namespace {

// One option: its long name, its letter (0: none), whether it takes an argument,
// and what it does to the options (a usage error's text, or empty). Adding an
// option is adding an entry.
struct OptionEntry {
  const char* name;
  char letter;
  bool argument;
  std::string (*apply)(CliOptions& o, const std::string& arg);
};

std::string NotEmpty(const char* option, const std::string& arg) {
  return arg.empty() ? Printf(_("%s 的参数不能为空"), option) : std::string();
}

const OptionEntry kOptions[] = {
    {"list", 'l', false, [](CliOptions& o, const std::string&) { o.list = true; return std::string(); }},
    {"queries", 0, false, [](CliOptions& o, const std::string&) { o.queries = true; return std::string(); }},
    {"show-sql", 0, true, [](CliOptions& o, const std::string& a) { o.showSql = a; return NotEmpty("--show-sql", a); }},
    {"sql", 's', true, [](CliOptions& o, const std::string& a) { o.sql = a; return NotEmpty("--sql", a); }},
    {"fields", 'f', true,
     [](CliOptions& o, const std::string& a) { o.fields = a; o.fieldsGiven = true; return NotEmpty("--fields", a); }},
    {"delimiter", 'd', true, [](CliOptions& o, const std::string& a) { o.format.separator = a; return std::string(); }},
    {"tab", 't', false, [](CliOptions& o, const std::string&) { o.format.separator = "\t"; return std::string(); }},
    {"quote", 'q', false,
     [](CliOptions& o, const std::string&) { o.format.quote = o.quoteGiven = true; return std::string(); }},
    {"header", 'H', false, [](CliOptions& o, const std::string&) { o.headerGiven = true; return std::string(); }},
    {"no-header", 0, false, [](CliOptions& o, const std::string&) { o.noHeaderGiven = true; return std::string(); }},
    {"csv", 0, false, [](CliOptions& o, const std::string&) { o.format.csv = true; return std::string(); }},
    {"json", 0, false, [](CliOptions& o, const std::string&) { o.format.json = true; return std::string(); }},
    {"eol", 0, true,
     [](CliOptions& o, const std::string& a) {
       if (a == "crlf") o.format.lineEnd = "\r\n";
       else if (a == "lf") o.format.lineEnd = "\n";
       else return Printf(_("--eol 只接受 crlf 或 lf，不接受“%s”"), a.c_str());
       return std::string();
     }},
    {"encoding", 'e', true,
     [](CliOptions& o, const std::string& a) {
       if (a.empty()) return NotEmpty("--encoding", a);
       if (!TextEncoder::KeepsAscii(a)) return Printf(_("不支持的字符集：%s"), a.c_str());
       o.format.charset = a;
       return std::string();
     }},
    {"output", 'o', true, [](CliOptions& o, const std::string& a) { o.output = a; return NotEmpty("--output", a); }},
    {"all", 'a', true, [](CliOptions& o, const std::string& a) { o.allDir = a; return NotEmpty("--all", a); }},
    {"preview", 'n', false, [](CliOptions& o, const std::string&) { o.limit = 4; return std::string(); }},
    {"limit", 0, true,
     [](CliOptions& o, const std::string& a) {
       char* end = nullptr;
       errno = 0;
       const unsigned long long n = std::strtoull(a.c_str(), &end, 10);
       if (a.empty() || a[0] == '-' || *end != '\0' || errno != 0)
         return Printf(_("--limit 需要一个非负整数，不接受“%s”"), a.c_str());
       o.limit = static_cast<unsigned long>(n);
       return std::string();
     }},
    {"null", 0, true, [](CliOptions& o, const std::string& a) { o.format.nullText = a; return std::string(); }},
    {"binary", 0, true,
     [](CliOptions& o, const std::string& a) {
       if (a == "base64") o.format.binary = BinaryForm::kBase64;
       else if (a == "hex") o.format.binary = BinaryForm::kHex;
       else if (a == "skip") o.format.binary = BinaryForm::kSkip;
       else if (a == "fail") o.format.binary = BinaryForm::kFail;
       else return Printf(_("--binary 只接受 base64、hex、skip 或 fail，不接受“%s”"), a.c_str());
       return std::string();
     }},
    {"strict", 0, false, [](CliOptions& o, const std::string&) { o.format.strict = true; return std::string(); }},
    {"param", 0, true,
     [](CliOptions& o, const std::string& a) {
       const size_t eq = a.find('=');
       if (eq == std::string::npos || eq == 0) return Printf(_("--param 需要“名称=值”，不接受“%s”"), a.c_str());
       o.params.emplace_back(a.substr(0, eq), a.substr(eq + 1));
       return std::string();
     }},
    {"salvage", 0, false, [](CliOptions& o, const std::string&) { o.salvage = true; return std::string(); }},
    {"report", 0, true,
     [](CliOptions& o, const std::string& a) {
       o.report = a;
       return std::string();
     }},
    {"describe", 0, false, [](CliOptions& o, const std::string&) { o.describe = true; return std::string(); }},
    {"sqlite", 0, true,
     [](CliOptions& o, const std::string& a) {
       o.sqlite = a;
       return std::string();
     }},
    {"postgresql", 0, true,
     [](CliOptions& o, const std::string& a) {
       o.postgresql = a;
       return std::string();
     }},
    {"password-file", 0, true,
     [](CliOptions&, const std::string& a) {
       SetPasswordFile(a);
       return std::string();
     }},
    {"quiet", 0, false, [](CliOptions& o, const std::string&) { o.quiet = true; return std::string(); }},
    {"help", 'h', false, [](CliOptions& o, const std::string&) { o.help = true; return std::string(); }},
    {"version", 0, false, [](CliOptions& o, const std::string&) { o.version = true; return std::string(); }},
};

// The entry a long option names: its whole name, or a prefix of only one name.
const OptionEntry* FindLong(const std::string& typed, std::string* error) {
  std::vector<const OptionEntry*> candidates;
  for (const OptionEntry& e : kOptions) {
    if (typed == e.name) return &e;
    if (std::strncmp(e.name, typed.c_str(), typed.size()) == 0) candidates.push_back(&e);
  }
  if (candidates.size() == 1) return candidates[0];
  if (candidates.empty()) {
    *error = Printf(_("未知的选项：%s"), ("--" + typed).c_str());
  } else {
    std::string names;
    for (const OptionEntry* e : candidates) names += std::string(names.empty() ? "" : " ") + "--" + e->name;
    *error = Printf(_("选项 %s 有歧义，可能是：%s"), ("--" + typed).c_str(), names.c_str());
  }
  return nullptr;
}

const OptionEntry* FindShort(char letter) {
  for (const OptionEntry& e : kOptions)
    if (e.letter == letter) return &e;
  return nullptr;
}

// The checks between options, once all are read: what is left is one thing to do.
std::string Conflicts(const CliOptions& o) {
  const int modes = (o.list ? 1 : 0) + (o.sql ? 1 : 0) + (o.allDir ? 1 : 0) + (o.table ? 1 : 0) +
                    (o.showSql ? 1 : 0);
  const int whole = (o.describe ? 1 : 0) + (o.sqlite ? 1 : 0) + (o.postgresql ? 1 : 0);
  if (whole > 0) {
    if (o.file.empty()) return _("缺少数据库文件");
    if (whole > 1 || o.list || o.sql || o.allDir) return _("--describe、--sqlite、--postgresql 只能选一个，且不能与 --list、--sql、--all 同用");
    if (o.table && !o.describe) return Printf(_("多余的参数：%s"), o.table->c_str());
    return std::string();
  }
  if (o.file.empty()) return _("缺少数据库文件");
  if (modes == 0) return _("请指定数据表，或 --list、--sql、--all 之一");
  if (modes > 1) return _("数据表、--list、--sql 和 --all 只能选一个");
  if (o.queries && !o.list) return _("--queries 只用于 --list");
  if (o.fieldsGiven && (o.list || o.sql)) return _("--fields 只用于数据表");
  if (o.output && (o.list || o.allDir || o.showSql)) return _("--output 不能与 --list、--show-sql 或 --all 同用");
  if (!o.params.empty() && !o.sql && !o.table) return _("--param 只用于查询或 --sql");
  if (o.format.separator.empty()) return _("分隔符不能为空");
  if (o.format.csv && o.format.json) return _("--csv 和 --json 不能同用");
  if ((o.format.csv || o.format.json) && o.quoteGiven) return _("--quote 不能与 --csv 或 --json 同用");
  if (o.headerGiven && o.noHeaderGiven) return _("--header 和 --no-header 不能同用");
  if (o.report && !o.salvage) return _("--report 只用于 --salvage");
  return std::string();
}

}  // namespace

ParsedCommandLine ParseOptions(int argc, char** argv, const std::string& charset) {
  ParsedCommandLine parsed;
  CliOptions& o = parsed.options;
  // The command line writes every value; the window's rule for binary is its own.
  o.format.binary = BinaryForm::kBase64;
  std::vector<std::string> operands;
  std::string& error = parsed.error;
  bool optionsEnd = false;
  for (int i = 1; i < argc && error.empty(); ++i) {
    const std::string arg = argv[i];
    if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
      operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnd = true;
      continue;
    }
    if (arg[1] == '-') {  // --name, --name=value, --name value; a unique prefix names it
      const size_t eq = arg.find('=');
      const OptionEntry* e = FindLong(arg.substr(2, eq == std::string::npos ? eq : eq - 2), &error);
      if (!e) break;
      std::string value;
      if (eq != std::string::npos) {
        if (!e->argument) { error = Printf(_("选项 --%s 不接受参数"), e->name); break; }
        value = arg.substr(eq + 1);
      } else if (e->argument) {
        if (i + 1 >= argc) { error = Printf(_("选项 --%s 需要一个参数"), e->name); break; }
        value = argv[++i];
      }
      error = e->apply(o, value);
      continue;
    }
    // -abc: letters together, the last one's argument the rest or the next word.
    for (size_t k = 1; k < arg.size() && error.empty(); ++k) {
      const OptionEntry* e = FindShort(arg[k]);
      if (!e) { error = Printf(_("未知的选项：%s"), ("-" + std::string(1, arg[k])).c_str()); break; }
      if (!e->argument) { error = e->apply(o, std::string()); continue; }
      std::string value;
      if (k + 1 < arg.size()) value = arg.substr(k + 1);
      else if (i + 1 < argc) value = argv[++i];
      else { error = Printf(_("选项 -%c 需要一个参数"), arg[k]); break; }
      error = e->apply(o, value);
      break;
    }
  }
  if (!error.empty() || o.help || o.version) return parsed;
  if (operands.size() > 0) o.file = operands[0];
  if (operands.size() > 1) o.table = operands[1];
  if (operands.size() > 2) {
    error = Printf(_("多余的参数：%s"), operands[2].c_str());
    return parsed;
  }
  if (o.table && o.table->empty()) {
    error = _("数据表名不能为空");
    return parsed;
  }
  if (o.output && *o.output == "-") o.output.reset();
  // JSON is UTF-8 by its own rule; every other format writes the locale's set
  // unless -e names one.
  if (o.format.json && !o.format.charset.empty() && AsciiLower(o.format.charset) != "utf-8" &&
      AsciiLower(o.format.charset) != "utf8") {
    error = _("--json 总是 UTF-8，不能与 --encoding 同用");
    return parsed;
  }
  if (o.format.json) o.format.charset = "UTF-8";
  else if (o.format.charset.empty()) o.format.charset = charset;
  // Names and statements typed or read back from --list in the output's
  // character set are taken in it.
  if (o.table) o.table = ArgumentToUtf8(*o.table, o.format.charset);
  if (o.sql && *o.sql != "-") o.sql = ArgumentToUtf8(*o.sql, o.format.charset);
  if (o.showSql) o.showSql = ArgumentToUtf8(*o.showSql, o.format.charset);
  o.fields = ArgumentToUtf8(o.fields, o.format.charset);
  // CSV brings its header line unless told otherwise; the window's format only when asked.
  o.format.header = !o.format.json && !o.noHeaderGiven && (o.headerGiven || o.format.csv);
  if (o.format.json) o.format.lineEnd = "\n";
  error = Conflicts(o);
  return parsed;
}
