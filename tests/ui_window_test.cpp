// The main window as it starts and as it switches modes, on real widgets: every
// control's text, visibility, enabled state and tab order, the status line, the
// separator list, the list view's styles, the focus, the icons and the about box.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "res/Resource.h"
#include "res/Resources.h"
#include "support/ModalScript.h"
#include "ui/ExportDlg.h"

namespace {
// The dialog with its protected handlers reachable from the tests.
class TestableDlg : public CExportDlg {
 public:
  using CExportDlg::OnInitDialog;
};

// Each test gets a settings store of its own, empty: the first run.
class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kelvane-ui-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    m_config = tmpl;
    setenv("XDG_CONFIG_HOME", m_config.c_str(), 1);
    ASSERT_TRUE(dlg.Create(CExportDlg::IDD));
    AfxPumpMessages();
  }
  void TearDown() override {
    dlg.DestroyWindow();
    std::filesystem::remove_all(m_config);
  }
  CString Text(int id) {
    CString s;
    dlg.GetDlgItemText(id, s);
    return s;
  }
  bool Visible(int id) { return dlg.GetDlgItem(id)->IsWindowVisible(); }
  bool Enabled(int id) { return dlg.GetDlgItem(id)->IsWindowEnabled(); }
  void Click(int id) { dlg.GetDlgItem(id)->SendMessage(BM_CLICK); }

  TestableDlg dlg;
  std::string m_config;
};

struct StartState {
  int id;
  const char* text;
  bool visible;
  bool enabled;
};

// The controls with an id of their own, as the first run shows them.
const StartState kStart[] = {
    {IDC_BTN_IMPORT, "导入 =>", true, true},
    {IDC_EDIT_MDBFILE, "", true, true},
    {IDC_CHK_USESQL, "采用SQL语句（高级用户使用）", true, true},
    {IDC_BTN_TABLES, "数据表 =>", true, false},
    {IDC_CB_TABLE, "", true, true},
    {IDC_EDIT_SQL, "", false, true},
    {IDC_BTN_PREVIEW, "预览 =>", true, true},
    {IDC_LIST_PREVIEW, "", true, true},
    {IDC_BTN_EXPORT, "导出 =>", true, true},
    {IDC_EDIT_TXTFILE, "", true, true},
    {IDC_EDIT_FIELDS, "", true, true},
    {IDC_CB_SEP, "逗号", true, true},
    {IDC_EDIT_USERSEP, "", true, false},
    {IDC_CHK_QUOTE, "包含双引号", true, true},
    {IDC_CHK_HEADER, "包含列标题行", true, true},
    {IDC_BTN_START, "开始导出", true, true},
    {IDC_BTN_ABOUT, "关于...", true, true},
    {IDC_STATIC_STATUS, "等待", true, true},
};

TEST_F(Window, EveryControlStartsAsTheTableAndInitialisationLeaveIt) {
  for (const StartState& c : kStart) {
    SCOPED_TRACE(c.id);
    ASSERT_NE(dlg.GetDlgItem(c.id), nullptr);
    EXPECT_EQ(Text(c.id), c.text);
    EXPECT_EQ(Visible(c.id), c.visible);
    EXPECT_EQ(Enabled(c.id), c.enabled);
  }
  CString caption;
  dlg.GetWindowText(caption);
  EXPECT_EQ(caption, "Kelvane");
  EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_CHK_USESQL), 0u);
  EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_CHK_QUOTE), 0u);
  EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_CHK_HEADER), 0u);
}

TEST_F(Window, TheWindowHoldsTheTwentySevenControlsInTemplateOrder) {
  const std::vector<std::pair<int, CString>> expected = {
      {IDC_BTN_IMPORT, "导入 =>"}, {IDC_EDIT_MDBFILE, ""},
      {IDC_CHK_USESQL, "采用SQL语句（高级用户使用）"}, {IDC_BTN_TABLES, "数据表 =>"},
      {IDC_CB_TABLE, ""}, {IDC_EDIT_SQL, ""}, {IDC_BTN_PREVIEW, "预览 =>"},
      {IDC_LIST_PREVIEW, ""}, {IDC_BTN_EXPORT, "导出 =>"}, {IDC_EDIT_TXTFILE, ""},
      {IDC_EDIT_FIELDS, ""}, {IDC_CB_SEP, "逗号"}, {IDC_EDIT_USERSEP, ""},
      {IDC_CHK_QUOTE, "包含双引号"}, {IDC_CHK_HEADER, "包含列标题行"},
      {IDC_BTN_START, "开始导出"}, {IDC_BTN_ABOUT, "关于..."},
      {IDC_STATIC, "3、选项"}, {IDC_STATIC, "分隔符："}, {IDC_STATIC, "1、MDB 数据源"},
      {IDC_STATIC, "2、目标文本"}, {IDC_STATIC, "导出字段："},
      {IDC_STATIC,
       "用途，\n\n* 把mdb（MS Access数据库）中的表的记录导出为文本文件\n* "
       "支持自定义分隔符，比如逗号、制表键、其他\n* 可选择是否包含双引号\n* "
       "可选择是否包含列标题行\n* 高级用户可采用SQL，实现灵活的自定义导出"},
      {IDC_STATIC, "使用说明，\n\n1、 按照1、2、3 提示进行设定\n2、 单击“开始导出”按钮"},
      {IDC_STATIC,
       "帮助，\n\n* 请按照导出顺序依次写入，用半角逗号分隔\n* 除写入的字段外，其他字段不会导出！"},
      {IDC_STATIC_STATUS, "等待"}, {IDC_STATIC, "预览前面的4条记录，"},
  };
  std::vector<std::pair<int, CString>> shown;
  for (CWnd* w = dlg.GetWindow(GW_CHILD); w; w = w->GetWindow(GW_HWNDNEXT)) {
    CString s;
    w->GetWindowText(s);
    shown.emplace_back(w->GetDlgCtrlID(), s);
  }
  EXPECT_EQ(shown, expected);
  // Each sits where its dialog-unit rectangle says, on the dialog's font.
  const DialogTemplate& t = ExportDialogTemplate();
  ASSERT_EQ(t.itemCount, expected.size());
  size_t i = 0;
  for (CWnd* w = dlg.GetWindow(GW_CHILD); w && i < t.itemCount; w = w->GetWindow(GW_HWNDNEXT), ++i) {
    const DlgItemTemplate& row = t.items[i];
    if (row.cls == DlgClass::ComboBox || (row.style & BS_TYPEMASK) == BS_AUTOCHECKBOX) continue;
    RECT want{row.x, row.y, row.x + row.cx, row.y + row.cy}, got;
    dlg.MapDialogRect(&want);
    w->GetWindowRect(&got);
    dlg.ScreenToClient(&got);
    EXPECT_EQ(got.left, want.left) << i;
    EXPECT_EQ(got.top, want.top) << i;
  }
  // 549 x 304 dialog units on a 9-point face: wide enough for its Chinese texts.
  CRect client;
  dlg.GetClientRect(&client);
  RECT full{0, 0, 549, 304};
  dlg.MapDialogRect(&full);
  EXPECT_EQ(client.Width(), full.right);
  EXPECT_EQ(client.Height(), full.bottom);
  EXPECT_GT(client.Width(), 700);
}

TEST_F(Window, TabOrderRunsThroughTheUsableControlsInTemplateOrder) {
  std::vector<int> order;
  CWnd* first = dlg.GetNextDlgTabItem(nullptr);
  for (CWnd* w = first; w && order.size() < 30; w = dlg.GetNextDlgTabItem(w)) {
    order.push_back(w->GetDlgCtrlID());
    if (dlg.GetNextDlgTabItem(w) == first) break;
  }
  // Hidden (the SQL edit) and disabled (数据表, the custom separator) are passed over.
  EXPECT_EQ(order, (std::vector<int>{IDC_BTN_IMPORT, IDC_EDIT_MDBFILE, IDC_CHK_USESQL,
                                     IDC_CB_TABLE, IDC_BTN_PREVIEW, IDC_LIST_PREVIEW,
                                     IDC_BTN_EXPORT, IDC_EDIT_TXTFILE, IDC_EDIT_FIELDS,
                                     IDC_CB_SEP, IDC_CHK_QUOTE, IDC_CHK_HEADER, IDC_BTN_START,
                                     IDC_BTN_ABOUT}));
  // In SQL mode the SQL edit takes the place of the table controls.
  Click(IDC_CHK_USESQL);
  EXPECT_EQ(dlg.GetNextDlgTabItem(dlg.GetDlgItem(IDC_CHK_USESQL))->GetDlgCtrlID(), IDC_EDIT_SQL);
}

TEST_F(Window, SeparatorListListViewAndFocus) {
  ASSERT_EQ(dlg.m_cbSep.GetCount(), 3);
  CString item;
  const char* items[] = {"逗号", "制表键", "其他"};
  for (int i = 0; i < 3; ++i) {
    dlg.m_cbSep.GetLBText(i, item);
    EXPECT_EQ(item, items[i]);
  }
  EXPECT_EQ(dlg.m_cbSep.GetCurSel(), 0);
  EXPECT_EQ(dlg.m_cbTable.GetCount(), 0);
  EXPECT_EQ(dlg.m_lcPreview.GetExtendedStyle(), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  EXPECT_EQ(dlg.m_lcPreview.GetColumnCount(), 0);
  ASSERT_NE(CWnd::GetFocus(), nullptr);
  EXPECT_EQ(CWnd::GetFocus()->GetDlgCtrlID(), IDC_BTN_IMPORT);
}

TEST_F(Window, IconsStoreAndMembersAfterStartUp) {
  ASSERT_NE(dlg.m_hIcon, nullptr);
  EXPECT_EQ(dlg.m_hIcon, AfxFindIcon(IDR_MAINFRAME));
  EXPECT_EQ(dlg.GetIcon(TRUE), dlg.m_hIcon);
  EXPECT_EQ(dlg.GetIcon(FALSE), dlg.m_hIcon);
  EXPECT_EQ(reinterpret_cast<HCURSOR>(dlg.SendMessage(WM_QUERYDRAGICON)), dlg.m_hIcon);
  ASSERT_NE(dlg.m_pCore, nullptr);
  EXPECT_EQ(dlg.m_pCore->filePath(), m_config + "/kelvane/kelvane.ini");
  EXPECT_EQ(dlg.m_bUseSql, 0);
  EXPECT_TRUE(dlg.m_strMdbFile.IsEmpty());
  EXPECT_TRUE(dlg.m_strTxtFile.IsEmpty());
}

TEST_F(Window, ModeSwitchTwiceRestoresVisibilityAndKeepsContents) {
  dlg.m_cbTable.AddString("学生");
  dlg.m_cbTable.SetCurSel(0);
  dlg.SetDlgItemText(IDC_EDIT_SQL, "select *\r\nfrom 学生");
  Click(IDC_CHK_USESQL);
  EXPECT_EQ(dlg.m_bUseSql, 1);
  EXPECT_TRUE(Visible(IDC_EDIT_SQL));
  EXPECT_FALSE(Visible(IDC_BTN_TABLES));
  EXPECT_FALSE(Visible(IDC_CB_TABLE));
  Click(IDC_CHK_USESQL);
  EXPECT_EQ(dlg.m_bUseSql, 0);
  EXPECT_FALSE(Visible(IDC_EDIT_SQL));
  EXPECT_TRUE(Visible(IDC_BTN_TABLES));
  EXPECT_TRUE(Visible(IDC_CB_TABLE));
  EXPECT_EQ(Text(IDC_EDIT_SQL), "select *\r\nfrom 学生");
  EXPECT_EQ(dlg.m_cbTable.GetCount(), 1);
  EXPECT_EQ(Text(IDC_CB_TABLE), "学生");
  EXPECT_EQ(Text(IDC_STATIC_STATUS), "等待");
}

TEST_F(Window, ModeSwitchLeavesEnabledStatesAlone) {
  // 数据表 is disabled at start: back in table mode it shows, still disabled.
  Click(IDC_CHK_USESQL);
  Click(IDC_CHK_USESQL);
  EXPECT_TRUE(Visible(IDC_BTN_TABLES));
  EXPECT_FALSE(Enabled(IDC_BTN_TABLES));
  // And an enabled one stays enabled across the hidden stretch.
  dlg.GetDlgItem(IDC_BTN_TABLES)->EnableWindow(TRUE);
  Click(IDC_CHK_USESQL);
  EXPECT_TRUE(Enabled(IDC_BTN_TABLES));
  Click(IDC_CHK_USESQL);
  EXPECT_TRUE(Enabled(IDC_BTN_TABLES));
  EXPECT_TRUE(Visible(IDC_BTN_TABLES));
}

TEST_F(Window, ApplySqlModeFollowsTheMemberOnly) {
  dlg.m_bUseSql = 2;  // any non-zero is SQL mode
  dlg.ApplySqlMode();
  EXPECT_TRUE(Visible(IDC_EDIT_SQL));
  EXPECT_FALSE(Visible(IDC_CB_TABLE));
  EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_CHK_USESQL), 0u);  // the check box is not its business
}

TEST_F(Window, AboutBoxNamesTheProgramAndChangesNothing) {
  ModalScript script;
  CString statusBehind;
  script.ExpectAbout().OnShow([&](const ModalRequest&) { statusBehind = Text(IDC_STATIC_STATUS); });
  Click(IDC_BTN_ABOUT);
  ASSERT_EQ(script.Asked().size(), 1u);
  const ModalRequest& box = script.Asked()[0];
  EXPECT_EQ(box.owner, &dlg);
  EXPECT_GE(box.text.Find("Kelvane"), 0);
  EXPECT_GE(box.text.Find(KELVANE_VERSION), 0);
  EXPECT_GE(box.text.Find("导出"), 0);
  EXPECT_GE(box.text.Find(".accdb"), 0);  // both kinds of file it opens
  EXPECT_EQ(statusBehind, "等待");
  EXPECT_EQ(Text(IDC_STATIC_STATUS), "等待");
  EXPECT_EQ(dlg.GetEndResult(), -1);
}
// A run whose store says SQL mode starts in it: the mode is read before any
// control is shown, and the check box follows through the data exchange.
TEST(StoredMode, SqlModeStartsWithTheSqlEditInPlace) {
  char tmpl[] = "/tmp/kelvane-mode-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  setenv("XDG_CONFIG_HOME", tmpl, 1);
  {
    CCore seed;
    seed.autoFileConfig();
    seed.saveConfigB("isusesql", 1);
  }
  TestableDlg dlg;
  ASSERT_TRUE(dlg.Create(CExportDlg::IDD));
  EXPECT_TRUE(dlg.GetDlgItem(IDC_EDIT_SQL)->IsWindowVisible());
  EXPECT_FALSE(dlg.GetDlgItem(IDC_BTN_TABLES)->IsWindowVisible());
  EXPECT_FALSE(dlg.GetDlgItem(IDC_CB_TABLE)->IsWindowVisible());
  EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_CHK_USESQL), static_cast<UINT>(BST_CHECKED));
  // One click goes back to table mode.
  dlg.GetDlgItem(IDC_CHK_USESQL)->SendMessage(BM_CLICK);
  EXPECT_FALSE(dlg.GetDlgItem(IDC_EDIT_SQL)->IsWindowVisible());
  EXPECT_TRUE(dlg.GetDlgItem(IDC_CB_TABLE)->IsWindowVisible());
  dlg.DestroyWindow();
  std::filesystem::remove_all(tmpl);
}
}  // namespace
