// "导出 =>", the separator choice, the option checks and "开始导出" in the real dialog,
// against databases written for the test; modal boxes are answered by script.
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <unistd.h>

#include <gtest/gtest.h>
#include <stdlib.h>

#include "export/FailureText.h"
#include "export/TargetFile.h"
#include "platform/com/ComError.h"
#include "platform/com/Errno.h"
#include "res/Resource.h"
#include "support/JetWriter.h"
#include "support/DialogTest.h"

namespace fs = std::filesystem;
using jet::AccessType;
using jetwriter::Column;

namespace {

class ExportTestDlg : public TestDialog {
 public:
  using CExportDlg::OnBtnExport;
  using CExportDlg::OnBtnStart;
  using CExportDlg::OnSelchangeCbSep;

  // The option controls as a user leaves them.
  void SetOptions(bool useSql, const char* source, const char* fields, int sep,
                  const char* userSep, bool quote, bool header) {
    CheckDlgButton(IDC_CHK_USESQL, useSql ? BST_CHECKED : BST_UNCHECKED);
    if (useSql) {
      SetDlgItemText(IDC_EDIT_SQL, source);
    } else {
      m_cbTable.ResetContent();
      if (*source) m_cbTable.SetCurSel(m_cbTable.AddString(source));
    }
    SetDlgItemText(IDC_EDIT_FIELDS, fields);
    m_cbSep.SetCurSel(sep);
    SetDlgItemText(IDC_EDIT_USERSEP, userSep);
    CheckDlgButton(IDC_CHK_QUOTE, quote ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_CHK_HEADER, header ? BST_CHECKED : BST_UNCHECKED);
  }
};

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

using RowFn = std::function<void(uint64_t, std::vector<VARIANT>&)>;

jetwriter::Table MakeTable(const char* name, std::vector<Column> columns, uint64_t rows, RowFn row) {
  jetwriter::Table t;
  t.name = name;
  t.columns = std::move(columns);
  t.rowCount = rows;
  t.row = std::move(row);
  return t;
}

// The worked example ("T"), a picture at the third record ("Pics"), a single OLE
// column whose first record is NULL ("Ole"), an empty table, Chinese values.
void WriteExportFixture(const std::string& path) {
  std::vector<jetwriter::Table> tables;
  tables.push_back(MakeTable(
      "T", {Column{"id", AccessType::LongInteger}, Column{"name", AccessType::Text, 20},
            Column{"note", AccessType::Text, 50}},
      2, [](uint64_t r, std::vector<VARIANT>& v) {
        v[0] = VARIANT::I4(static_cast<int32_t>(r + 1));
        v[1] = VARIANT::Str(r == 0 ? "pen" : "ink");
        v[2] = r == 0 ? VARIANT::Null() : VARIANT::Str("say \"hi\"");
      }));
  tables.push_back(MakeTable(
      "Pics", {Column{"id", AccessType::LongInteger}, Column{"pic", AccessType::OleObject}}, 4,
      [](uint64_t r, std::vector<VARIANT>& v) {
        v[0] = VARIANT::I4(static_cast<int32_t>(r + 1));
        v[1] = r == 2 ? jetwriter::Bin({0x15, 0x1C, 0x00, 0x02}) : VARIANT::Null();
      }));
  tables.push_back(MakeTable("Ole", {Column{"pic", AccessType::OleObject}}, 2,
                             [](uint64_t r, std::vector<VARIANT>& v) {
                               v[0] = r == 0 ? VARIANT::Null() : jetwriter::Bin({0x01});
                             }));
  tables.push_back(MakeTable("Empty", {Column{"a", AccessType::LongInteger}}, 0, {}));
  tables.push_back(MakeTable("客户", {Column{"姓名", AccessType::Text, 20}}, 2,
                             [](uint64_t r, std::vector<VARIANT>& v) {
                               v[0] = VARIANT::Str(r == 0 ? "张三" : "笑\xF0\x9F\x98\x80");
                             }));
  jetwriter::WriteJet4(path, tables);
}

// A real dialog on a database written for the test. The test process keeps the C
// locale (the program's own start-up is what takes the user's), so its runs write GBK.
class ExportDialogTest : public DialogTest<ExportTestDlg> {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    if (HasFatalFailure()) return;
    edlg = dlg.get();
    db = m_dir + "/export.mdb";
    txt = m_dir + "/out.txt";
    WriteExportFixture(db);
    edlg->m_strMdbFile = db.c_str();
    edlg->m_strTxtFile = txt.c_str();
    edlg->SetDlgItemText(IDC_STATIC_STATUS, "before");
  }
  static std::string RunBox(HRESULT hr, int record) {
    return "连接数据库失败!\r\n\r\n错误信息:" + FailureReason(_com_error(hr)) + "。记录行：" +
           std::to_string(record);
  }
  // The box of a target file that could not be created, or written from `record` on.
  static std::string TargetBox(const std::string& path, HRESULT hr, int record = 0) {
    const std::string reason = FailureReason(_com_error(hr));
    if (record == 0) return "无法创建目标文件：" + path + "\r\n\r\n错误信息:" + reason + "。";
    return "写入目标文件失败：" + path + "\r\n\r\n错误信息:" + reason + "。记录行：" + std::to_string(record);
  }
  // Runs "开始导出" expecting the database error box; returns what stood behind it.
  BehindBox StartFailing(std::string* text, const char* status = "获取数据发生错误。") {
    ModalScript script;
    BehindBox seen;
    ExpectDbBox(script, IDC_BTN_START, &seen);
    edlg->OnBtnStart();
    if (!script.Asked().empty()) *text = WithoutCause(script.Asked()[0].text.str());
    EXPECT_EQ(script.Asked().size(), 1u);
    EXPECT_TRUE(edlg->Enabled(IDC_BTN_START));
    EXPECT_EQ(edlg->Status(), status);
    return seen;
  }
  void StartOk(const char* status = "执行完成。") {
    ModalScript script;
    edlg->OnBtnStart();
    EXPECT_EQ(script.Asked().size(), 0u);
    EXPECT_EQ(edlg->Status(), status);
    EXPECT_TRUE(edlg->Enabled(IDC_BTN_START));
    EXPECT_EQ(CoInitializeCount(), m_comStart);
  }

  ExportTestDlg* edlg = nullptr;
  std::string db, txt;
};

}  // namespace

TEST_F(ExportDialogTest, SaveDialogSetsTheTargetAndCancelKeepsIt) {
  ModalScript script;
  script.ExpectFileSave("/data/chosen.TXT").ExpectFileSave(nullptr);
  edlg->OnBtnExport();
  ASSERT_EQ(script.Asked().size(), 1u);
  const ModalRequest& r = script.Asked()[0];
  EXPECT_EQ(r.kind, ModalRequest::FileSave);
  EXPECT_EQ(r.fileName, "out.txt");
  EXPECT_EQ(r.defExt, "TXT");
  EXPECT_EQ(r.flags, OFN_OVERWRITEPROMPT);
  EXPECT_EQ(r.filter, "文本文件|*.txt|所有文件|*.*||");
  EXPECT_EQ(r.owner, edlg);
  EXPECT_EQ(edlg->m_strTxtFile, "/data/chosen.TXT");
  EXPECT_EQ(edlg->Text(IDC_EDIT_TXTFILE), "/data/chosen.TXT");
  edlg->OnBtnExport();
  EXPECT_EQ(edlg->m_strTxtFile, "/data/chosen.TXT");
  EXPECT_FALSE(fs::exists("/data/chosen.TXT"));
}

TEST_F(ExportDialogTest, SaveDialogOpensInTheTargetFolderAndAsksBeforeReplacingTheCompletedName) {
  const std::string existing = m_dir + "/report.TXT";
  std::ofstream(existing) << "keep";
  ModalScript script;
  // "否" returns to the dialog; cancelled there, nothing changes.
  script.ExpectFileSave((m_dir + "/report").c_str()).ExpectMessageBox(IDNO).ExpectFileSave(nullptr);
  script.ExpectFileSave((m_dir + "/report").c_str()).ExpectMessageBox(IDYES);
  edlg->OnBtnExport();
  EXPECT_EQ(script.Asked()[0].initialDir.str(), m_dir);
  EXPECT_EQ(edlg->m_strTxtFile.str(), txt);
  EXPECT_EQ(edlg->Text(IDC_EDIT_TXTFILE), "");
  edlg->OnBtnExport();
  EXPECT_EQ(edlg->Text(IDC_EDIT_TXTFILE).str(), existing);
  EXPECT_EQ(ReadAll(existing), "keep");  // choosing it does not touch it
}

TEST_F(ExportDialogTest, OnlyTheCustomChoiceEnablesItsEditAndTheTextStays) {
  edlg->SetDlgItemText(IDC_EDIT_USERSEP, " | ");
  edlg->m_cbSep.SetCurSel(2);
  edlg->OnSelchangeCbSep();
  EXPECT_TRUE(edlg->Enabled(IDC_EDIT_USERSEP));
  edlg->m_cbSep.SetCurSel(1);
  edlg->OnSelchangeCbSep();
  EXPECT_FALSE(edlg->Enabled(IDC_EDIT_USERSEP));
  EXPECT_EQ(edlg->Text(IDC_EDIT_USERSEP), " | ");
}

TEST_F(ExportDialogTest, CollectOptionsReportsTheFirstMissingInputOnly) {
  struct Case { bool sql; const char* source; const char* fields; int sep; const char* user; const char* box; };
  const Case cases[] = {
      {true, "", "", 2, "", "请输入SQL查询语句"},
      {false, "", "id", 0, "", "请指定表格名称"},
      {false, "T", "", 2, "", "请指定导出字段。"},
      {true, "select * from T", "", 0, "", "请指定导出字段。"},
      {false, "T", "id", 2, "", "请指定自定义的分隔符！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    edlg->m_strFields = "kept";
    edlg->m_nSepIndex = 1;
    edlg->SetOptions(c.sql, c.source, c.fields, c.sep, c.user, true, true);
    ModalScript script;
    script.ExpectMessageBox(IDOK);
    EXPECT_FALSE(edlg->CollectOptions(TRUE));
    ASSERT_EQ(script.Asked().size(), 1u);
    EXPECT_EQ(script.Asked()[0].text, c.box);
    EXPECT_EQ(script.Asked()[0].caption, "");
    EXPECT_EQ(script.Asked()[0].type, MB_OK);
    if (std::string(c.box) == "请输入SQL查询语句" || std::string(c.box) == "请指定表格名称") {
      EXPECT_EQ(edlg->m_strFields, "kept");  // not reached
    }
    if (std::string(c.box) != "请指定自定义的分隔符！") {
      EXPECT_EQ(edlg->m_nSepIndex, 1);  // the separator is read after the checks before it
    }
  }
  // A field list of one blank passes; nothing is trimmed.
  edlg->SetOptions(false, "T", " ", 0, "", false, false);
  ModalScript none;
  EXPECT_TRUE(edlg->CollectOptions(TRUE));
}

TEST_F(ExportDialogTest, CollectOptionsWithoutChecksReadsTheCurrentModeOnly) {
  edlg->m_strTable = "old table";
  edlg->m_strUserSep = "loaded";
  edlg->SetOptions(true, "", "", 1, "typed", true, false);
  ModalScript none;
  EXPECT_TRUE(edlg->CollectOptions(FALSE));
  EXPECT_EQ(edlg->m_bUseSql, 1);
  EXPECT_EQ(edlg->m_strSql, "");
  EXPECT_EQ(edlg->m_strTable, "old table");
  EXPECT_EQ(edlg->m_nSepIndex, 1);
  EXPECT_EQ(edlg->m_strUserSep, "loaded");  // the custom edit is read for "其他" only
  EXPECT_EQ(edlg->m_bQuote, 1);
  EXPECT_EQ(edlg->m_bHeader, 0);
  // No separator selected: choice and custom text stay.
  edlg->m_cbSep.SetCurSel(-1);
  edlg->m_nSepIndex = 2;
  EXPECT_TRUE(edlg->CollectOptions(FALSE));
  EXPECT_EQ(edlg->m_nSepIndex, 2);
  EXPECT_EQ(edlg->GetSeparator(), "loaded");
  edlg->SetOptions(false, "T", "id", 2, " | ", false, false);
  EXPECT_TRUE(edlg->CollectOptions(FALSE));
  EXPECT_EQ(edlg->GetSeparator(), " | ");
  edlg->m_nSepIndex = 0;
  EXPECT_EQ(edlg->GetSeparator(), ",");
  edlg->m_nSepIndex = 1;
  EXPECT_EQ(edlg->GetSeparator(), "\t");
  edlg->m_nSepIndex = 7;
  EXPECT_EQ(edlg->GetSeparator(), "");
}

TEST_F(ExportDialogTest, MissingOptionOrTargetNeverStartsTheRun) {
  std::ofstream(txt) << "keep";
  const struct { const char* fields; const char* target; const char* box; } cases[] = {
      {"", txt.c_str(), "请指定导出字段。"},
      {"id", "", "请选择导出的目标文件！"},  // not a database error about a missing file
  };
  for (const auto& c : cases) {
    edlg->SetOptions(false, "T", c.fields, 0, "", false, false);
    edlg->m_strTxtFile = c.target;
    ModalScript script;
    BehindBox seen;
    ExpectDbBox(script, IDC_BTN_START, &seen);
    edlg->OnBtnStart();
    ASSERT_EQ(script.Asked().size(), 1u);
    EXPECT_EQ(script.Asked()[0].text, c.box);
    EXPECT_EQ(script.Asked()[0].caption, "");
    EXPECT_EQ(script.Asked()[0].type, MB_OK);
    EXPECT_EQ(script.Asked()[0].owner, edlg);
    EXPECT_TRUE(seen.buttonEnabled);
    EXPECT_EQ(seen.comCount, m_comStart);
    EXPECT_EQ(edlg->Status(), "before");
    EXPECT_EQ(ReadAll(txt), "keep");
  }
}

TEST_F(ExportDialogTest, WorkedExampleInBothSettings) {
  edlg->SetOptions(false, "T", "id,name,note", 0, "", true, true);
  StartOk();
  EXPECT_EQ(ReadAll(txt),
            "\"id\",\"name\",\"note\"\r\n\"1\",\"pen\",\"\"\r\n\"2\",\"ink\",\"say \"hi\"\"\r\n");
  edlg->SetOptions(true, "SELECT * FROM T", "id,name,note", 1, "", false, false);
  StartOk();
  EXPECT_EQ(ReadAll(txt), "1\tpen\t\r\n2\tink\tsay \"hi\"\r\n");
}

TEST_F(ExportDialogTest, CustomSeparatorAndEmptySource) {
  edlg->SetOptions(false, "T", "name,id", 2, " | ", false, true);
  StartOk();
  EXPECT_EQ(ReadAll(txt), "name | id\r\npen | 1\r\nink | 2\r\n");
  edlg->SetOptions(false, "Empty", "*", 0, "", true, true);
  StartOk();
  EXPECT_EQ(ReadAll(txt), "\"a\"\r\n");
  edlg->SetOptions(false, "Empty", "*", 0, "", true, false);
  StartOk();
  EXPECT_TRUE(fs::exists(txt));
  EXPECT_EQ(fs::file_size(txt), 0u);
}

// A listed table whose name holds a blank exports as the bracketed statement does.
TEST_F(ExportDialogTest, TableWithABlankInItsNameExportsAsSqlModeDoes) {
  edlg->m_strMdbFile = (std::string(KELVANE_TESTDATA) + "/nwind.mdb").c_str();
  edlg->SetOptions(true, "select * from [Order Details]", "*", 0, "", true, true);
  StartOk();
  const std::string bySql = ReadAll(txt);
  edlg->SetOptions(false, "Order Details", "*", 0, "", true, true);
  StartOk();
  EXPECT_GT(bySql.size(), 20000u);
  EXPECT_TRUE(ReadAll(txt) == bySql);
}

// The emoji has no form in GBK: written as '?', and the status line says so.
TEST_F(ExportDialogTest, ChineseIsGbkInTheCLocaleAndTheStatusCountsWhatGBKLacks) {
  edlg->SetOptions(false, "客户", "*", 0, "", false, true);
  StartOk("执行完成。（1 个字符在 GBK 中没有对应，已写为 ?）");
  EXPECT_EQ(ReadAll(txt), "\xD0\xD5\xC3\xFB\r\n\xD5\xC5\xC8\xFD\r\n\xD0\xA6?\r\n");
  edlg->SetOptions(false, "客户", "姓名 & 姓名 & 姓名", 0, "", false, false);
  StartOk("执行完成。（3 个字符在 GBK 中没有对应，已写为 ?）");
}

TEST_F(ExportDialogTest, BinaryValueAtTheThirdRecordKeepsTwoLines) {
  edlg->SetOptions(false, "Pics", "id,pic", 0, "", false, false);
  std::string text;
  BehindBox seen = StartFailing(&text);
  EXPECT_EQ(text, RunBox(DISP_E_TYPEMISMATCH, 3));
  EXPECT_EQ(seen.status, "获取数据发生错误。");
  EXPECT_FALSE(seen.buttonEnabled);  // the export enables its button after the box
  EXPECT_EQ(seen.comCount, m_comStart);
  EXPECT_EQ(ReadAll(txt), "1,\r\n2,\r\n");
}

TEST_F(ExportDialogTest, SkippedEmptyRecordsAreNotCounted) {
  edlg->SetOptions(false, "Ole", "pic", 0, "", false, false);
  std::string text;
  StartFailing(&text);
  EXPECT_EQ(text, RunBox(DISP_E_TYPEMISMATCH, 1));  // the NULL first record is skipped
  EXPECT_EQ(fs::file_size(txt), 0u);
}

TEST_F(ExportDialogTest, InvalidDatabaseLeavesTheTargetAlone) {
  edlg->SetOptions(false, "T", "*", 0, "", false, true);
  edlg->m_strMdbFile = (m_dir + "/missing.mdb").c_str();
  std::string text;
  StartFailing(&text);
  EXPECT_EQ(text, RunBox(E_FAIL, 1));
  EXPECT_FALSE(fs::exists(txt));
  // An .accdb with a password (Office encryption) whose password box is cancelled
  // is refused as a password: #3149.
  edlg->m_strMdbFile = KELVANE_TESTDATA "/V2010_with-password.accdb";
  auto cancelled = [&] {
    ModalScript script;
    script.ExpectPassword(nullptr).ExpectMessageBox(IDOK);
    edlg->OnBtnStart();
    EXPECT_EQ(script.Asked().size(), 2u);
    text = WithoutCause(script.Asked().back().text.str());
    EXPECT_EQ(edlg->Status(), "获取数据发生错误。");
  };
  cancelled();
  EXPECT_EQ(text, RunBox(JET_E_PASSWORD, 1));
  EXPECT_FALSE(fs::exists(txt));
  std::ofstream(txt) << "keep";
  cancelled();
  EXPECT_EQ(ReadAll(txt), "keep");
  // So does a statement the database rejects.
  edlg->m_strMdbFile = db.c_str();
  edlg->SetOptions(true, "select 1", "*", 0, "", false, true);
  StartFailing(&text);
  EXPECT_EQ(ReadAll(txt), "keep");
}

// The password box: a wrong password brings it back with its note, the right one
// exports, and the password is kept for that file only.
TEST_F(ExportDialogTest, PasswordBoxOpensAProtectedFile) {
  edlg->SetOptions(false, "Table1", "*", 0, "", false, false);
  edlg->m_strMdbFile = KELVANE_TESTDATA "/V2010_with-password.accdb";
  {
    ModalScript script;
    script.ExpectPassword("wrong").ExpectPassword("password");
    edlg->OnBtnStart();
    ASSERT_EQ(script.Asked().size(), 2u);
    for (const ModalRequest& r : script.Asked()) {
      EXPECT_EQ(r.text, "“V2010_with-password.accdb”受密码保护，请输入数据库密码：");
      EXPECT_STREQ(r.caption, AfxGetAppName());  // "Kelvane" in the program, as its other boxes
    }
    EXPECT_EQ(script.Asked()[0].note, "");
    EXPECT_EQ(script.Asked()[1].note, "密码不正确。");
  }
  EXPECT_EQ(ReadAll(txt), "1,One\r\n2,Two\r\n3,Three\r\n");
  StartOk();  // kept: not asked again
  edlg->m_strMdbFile = db.c_str();
  edlg->SetOptions(false, "T", "*", 0, "", false, false);
  StartOk();
  edlg->m_strMdbFile = KELVANE_TESTDATA "/V2010_with-password.accdb";
  edlg->SetOptions(false, "Table1", "*", 0, "", false, false);
  ModalScript script;  // another file came between: asked again
  script.ExpectPassword("password");
  edlg->OnBtnStart();
  EXPECT_EQ(edlg->Status(), "执行完成。");
}

TEST_F(ExportDialogTest, SourceDatabaseIsNeverTheTarget) {
  const std::string before = ReadAll(db);
  fs::create_directory(m_dir + "/sub");
  fs::create_symlink(db, m_dir + "/link.txt");
  fs::create_hard_link(db, m_dir + "/sub/hard.txt");
  edlg->SetOptions(false, "T", "*", 0, "", false, true);
  for (std::string target : {db, m_dir + "/sub/../export.mdb", m_dir + "/link.txt",
                             m_dir + "/sub/hard.txt"}) {
    SCOPED_TRACE(target);
    edlg->m_strTxtFile = target.c_str();
    ModalScript script;
    script.ExpectMessageBox(IDOK);
    edlg->OnBtnStart();
    ASSERT_EQ(script.Asked().size(), 1u);
    EXPECT_EQ(script.Asked()[0].text, "目标文件就是源数据库文件，不能覆盖！");
    EXPECT_EQ(script.Asked()[0].caption, "");
    EXPECT_EQ(edlg->Status(), "before");  // the run never started
    EXPECT_EQ(ReadAll(db), before);
  }
}

TEST_F(ExportDialogTest, UnwritableTargetEndsOnTheFailurePath) {
  edlg->SetOptions(false, "T", "*", 0, "", false, true);
  std::string text;
  const char* kTargetFailed = "写入目标文件发生错误。";
  const std::string missing = m_dir + "/no/such/folder/out.txt";
  edlg->m_strTxtFile = missing.c_str();
  StartFailing(&text, kTargetFailed);
  EXPECT_EQ(text, TargetBox(missing, HResultFromErrno(ENOTDIR)));  // the path, not the file
  edlg->m_strTxtFile = "/dev/full";
  StartFailing(&text, kTargetFailed);
  EXPECT_EQ(text, TargetBox("/dev/full", static_cast<HRESULT>(0x80070070), 1));  // disk full, at the header
  if (geteuid() == 0 && fs::exists("/sys/kernel/notes")) {
    edlg->m_strTxtFile = "/sys/kernel/notes";  // refused even to root
    StartFailing(&text, kTargetFailed);
    EXPECT_EQ(text, TargetBox("/sys/kernel/notes", HResultFromErrno(EACCES)));
  }
}

TEST_F(ExportDialogTest, TargetHeldByAnotherRunIsRefused) {
  TargetFile other;
  other.Open(txt);
  other.Write("other run\r\n", 11);
  edlg->SetOptions(false, "T", "*", 0, "", false, true);
  std::string text;
  StartFailing(&text, "写入目标文件发生错误。");
  EXPECT_EQ(text, TargetBox(txt, HResultFromErrno(EBUSY)));
  other.Close();
  EXPECT_EQ(ReadAll(txt), "other run\r\n");
  StartOk();  // free again once the other run is done
  EXPECT_EQ(ReadAll(txt), "id,name,note\r\n1,pen,\r\n2,ink,say \"hi\"\r\n");
}
