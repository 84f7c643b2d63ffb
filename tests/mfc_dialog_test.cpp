// The dialog machinery of the MFC-shaped layer on real widgets: a template becomes
// controls, the message map routes clicks, the dialog keys and the close box end the
// dialog as MFC's defaults do, and WM_DESTROY comes once with the controls alive.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/mfc/Afx.h"
#include "platform/mfc/WxBridge.h"

#include <wx/listctrl.h>
#include "support/ModalScript.h"

namespace {
enum { IDD_TEST = 900, IDC_PUSH = 10, IDC_CHECK = 11, IDC_EDIT = 12, IDC_MEMO = 13,
       IDC_COMBO = 14, IDC_HIDDEN = 15, IDC_OFF = 16, IDC_LIST = 17 };

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const DlgItemTemplate kItems[] = {
    {-1, DlgClass::Static, "label", 4, 4, 40, 8, kChild | SS_LEFT | WS_GROUP, 0},
    {IDC_PUSH, DlgClass::Button, "push", 4, 14, 40, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP, 0},
    {IDC_CHECK, DlgClass::Button, "check", 4, 30, 60, 10, kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 0},
    {IDC_HIDDEN, DlgClass::Button, "hidden", 50, 14, 40, 14, WS_CHILD | BS_PUSHBUTTON | WS_TABSTOP, 0},
    {IDC_OFF, DlgClass::Button, "off", 96, 14, 40, 14, kChild | WS_DISABLED | BS_PUSHBUTTON | WS_TABSTOP, 0},
    {IDC_EDIT, DlgClass::Edit, "", 4, 44, 80, 14, kChild | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 0},
    {IDC_MEMO, DlgClass::Edit, "", 4, 60, 80, 30, kChild | ES_MULTILINE | ES_WANTRETURN | WS_TABSTOP, 0},
    {IDC_COMBO, DlgClass::ComboBox, "", 90, 44, 60, 60, kChild | CBS_DROPDOWNLIST | WS_TABSTOP, 0},
    {IDC_LIST, DlgClass::ListView, "", 90, 60, 100, 40, kChild | LVS_REPORT | WS_TABSTOP, 0},
    {-1, DlgClass::Button, "group", 2, 2, 196, 100, kChild | BS_GROUPBOX, 0},
};
const DlgInitEntry kInit[] = {{IDC_COMBO, "一"}, {IDC_COMBO, "二"}};
const DialogTemplate kTemplate = {
    IDD_TEST, "Test", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0,
    "WenQuanYi Zen Hei", 9, 200, 110, kItems, std::size(kItems), kInit, std::size(kInit)};

class TestDlg : public CDialog {
 public:
  TestDlg() : CDialog(IDD_TEST) { AfxRegisterDialogTemplate(&kTemplate); }
  std::vector<CString> events;
  int destroyed = 0;
  CString memoAtDestroy;
  BOOL m_bCheck = 0;
  CComboBox m_combo;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_COMBO, m_combo);
    DDX_Check(pDX, IDC_CHECK, m_bCheck);
  }
  void OnPush() { events.push_back("push"); }
  void OnCheck() { events.push_back(IsDlgButtonChecked(IDC_CHECK) ? "check:1" : "check:0"); }
  void OnCombo() { events.push_back("combo"); }
  void OnDestroy() {
    CDialog::OnDestroy();
    ++destroyed;
    GetDlgItemText(IDC_MEMO, memoAtDestroy);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDlg, CDialog)
  ON_BN_CLICKED(IDC_PUSH, OnPush)
  ON_BN_CLICKED(IDC_CHECK, OnCheck)
  ON_CBN_SELCHANGE(IDC_COMBO, OnCombo)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

// A modeless dialog for looking at state; destroyed at the end of the test.
struct Modeless : ::testing::Test {
  TestDlg dlg;
  void SetUp() override {
    ASSERT_TRUE(dlg.Create(IDD_TEST));
    AfxPumpMessages();
  }
  void TearDown() override { dlg.DestroyWindow(); }
};

TEST_F(Modeless, ControlsFollowTheTemplate) {
  CString s;
  dlg.GetDlgItemText(IDC_PUSH, s);
  EXPECT_EQ(s, "push");
  EXPECT_TRUE(dlg.GetDlgItem(IDC_PUSH)->IsWindowVisible());
  EXPECT_FALSE(dlg.GetDlgItem(IDC_HIDDEN)->IsWindowVisible());
  EXPECT_FALSE(dlg.GetDlgItem(IDC_OFF)->IsWindowEnabled());
  EXPECT_EQ(dlg.GetDlgItem(IDC_CHECK)->GetDlgCtrlID(), IDC_CHECK);
  EXPECT_EQ(dlg.GetDlgItem(999), nullptr);
  // Positions are the template's dialog units on the dialog's font.
  RECT du{4, 14, 44, 28}, want = du, got;
  dlg.MapDialogRect(&want);
  dlg.GetDlgItem(IDC_PUSH)->GetWindowRect(&got);
  dlg.ScreenToClient(&got);
  EXPECT_EQ(got.left, want.left);
  EXPECT_EQ(got.top, want.top);
  EXPECT_EQ(got.right - got.left, want.right - want.left);
  EXPECT_GT(want.right - want.left, 40);  // a 9-point font is wider than 4 px a unit
}

TEST_F(Modeless, TabOrderIsTemplateOrderOverUsableTabStops) {
  std::vector<int> order;
  CWnd* first = dlg.GetNextDlgTabItem(nullptr);
  for (CWnd* w = first; w; w = dlg.GetNextDlgTabItem(w)) {
    order.push_back(w->GetDlgCtrlID());
    if (dlg.GetNextDlgTabItem(w) == first) break;
  }
  EXPECT_EQ(order, (std::vector<int>{IDC_PUSH, IDC_CHECK, IDC_EDIT, IDC_MEMO, IDC_COMBO, IDC_LIST}));
  EXPECT_EQ(dlg.GetNextDlgTabItem(first, TRUE)->GetDlgCtrlID(), IDC_LIST);
}

TEST_F(Modeless, InitialisationDataAndControlObjects) {
  // DDX_Control attached the member: GetDlgItem now answers with it.
  EXPECT_EQ(dlg.GetDlgItem(IDC_COMBO), &dlg.m_combo);
  ASSERT_EQ(dlg.m_combo.GetCount(), 2);
  CString s;
  dlg.m_combo.GetLBText(1, s);
  EXPECT_EQ(s, "二");
  EXPECT_EQ(dlg.m_combo.GetCurSel(), CB_ERR);
  dlg.m_combo.GetWindowText(s);
  EXPECT_EQ(s, "");
  EXPECT_EQ(dlg.m_combo.SetCurSel(1), 1);
  dlg.m_combo.GetWindowText(s);
  EXPECT_EQ(s, "二");
  EXPECT_EQ(dlg.m_combo.SetCurSel(5), CB_ERR);
  EXPECT_EQ(dlg.m_combo.GetCurSel(), CB_ERR);
  EXPECT_EQ(dlg.m_combo.InsertString(0, "零"), 0);
  EXPECT_EQ(dlg.m_combo.FindStringExact(-1, "二"), 2);
  dlg.m_combo.ResetContent();
  EXPECT_EQ(dlg.m_combo.GetCount(), 0);
  EXPECT_TRUE(dlg.events.empty());  // programmatic selection notifies nobody
}

TEST_F(Modeless, ClicksReachTheMessageMap) {
  dlg.GetDlgItem(IDC_PUSH)->SendMessage(BM_CLICK);
  dlg.GetDlgItem(IDC_CHECK)->SendMessage(BM_CLICK);
  dlg.GetDlgItem(IDC_CHECK)->SendMessage(BM_CLICK);
  dlg.GetDlgItem(IDC_OFF)->SendMessage(BM_CLICK);  // disabled: no click
  dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_COMBO, CBN_SELCHANGE));
  EXPECT_EQ(dlg.events, (std::vector<CString>{"push", "check:1", "check:0", "combo"}));
}

TEST_F(Modeless, MultiLineEditKeepsWindowsLineBreaks) {
  dlg.SetDlgItemText(IDC_MEMO, "select *\r\nfrom t");
  CString s;
  dlg.GetDlgItemText(IDC_MEMO, s);
  EXPECT_EQ(s, "select *\r\nfrom t");
  dlg.SetDlgItemText(IDC_EDIT, "中文 text");
  dlg.GetDlgItemText(IDC_EDIT, s);
  EXPECT_EQ(s, "中文 text");
}

TEST_F(Modeless, DataExchangeBothWays) {
  dlg.m_bCheck = 7;  // any non-zero is set
  dlg.UpdateData(FALSE);
  EXPECT_EQ(dlg.IsDlgButtonChecked(IDC_CHECK), static_cast<UINT>(BST_CHECKED));
  dlg.CheckDlgButton(IDC_CHECK, BST_UNCHECKED);
  dlg.UpdateData(TRUE);
  EXPECT_EQ(dlg.m_bCheck, 0);
}

TEST_F(Modeless, ListControlColumnsAndItems) {
  auto* list = static_cast<CListCtrl*>(dlg.GetDlgItem(IDC_LIST));
  EXPECT_EQ(list->GetHeaderCtrl()->GetItemCount(), 0);
  EXPECT_EQ(list->InsertColumn(0, "编号", LVCFMT_LEFT, 80), 0);
  EXPECT_EQ(list->InsertColumn(1, "名称", LVCFMT_LEFT, 80), 1);
  EXPECT_EQ(list->InsertItem(0, "1"), 0);
  LVITEM item;
  item.mask = LVIF_TEXT;
  item.iItem = 0;
  item.iSubItem = 1;
  item.pszText = "甲";
  EXPECT_TRUE(list->SetItem(&item));
  EXPECT_EQ(list->GetItemText(0, 1), "甲");
  EXPECT_EQ(list->GetColumnHeading(1), "名称");
  EXPECT_EQ(list->GetColumnWidth(0), 80);
  EXPECT_EQ(list->GetHeaderCtrl()->GetItemCount(), 2);
  EXPECT_TRUE(list->DeleteAllItems());
  EXPECT_EQ(list->GetItemCount(), 0);
  EXPECT_EQ(list->GetColumnCount(), 2);  // deleting items leaves the columns
  while (list->GetHeaderCtrl()->GetItemCount() > 0) list->DeleteColumn(0);
  EXPECT_EQ(list->GetColumnCount(), 0);
  EXPECT_EQ(list->GetExtendedStyle(), 0u);
  list->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  EXPECT_EQ(list->GetExtendedStyle(), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  EXPECT_EQ(list->SetExtendedStyle(LVS_EX_FULLROWSELECT), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  EXPECT_EQ(list->GetExtendedStyle(), LVS_EX_FULLROWSELECT);
}

// The header follows its columns sideways: the scroll bar, the wheel and the
// horizontal wheel buttons all reach the list as scroll events, as sent here. The
// header's last painting must show the columns where they are now.
TEST_F(Modeless, ListHeaderIsPaintedWhereItsColumnsScrolled) {
  auto* list = static_cast<CListCtrl*>(dlg.GetDlgItem(IDC_LIST));
  for (int i = 0; i < 8; ++i) list->InsertColumn(i, "列", LVCFMT_LEFT, 80);
  list->InsertItem(0, "1");
  AfxPumpMessages();
  auto* l = dynamic_cast<wxListCtrl*>(list->m_hWnd);
  ASSERT_NE(l, nullptr);
  int paintedAt = -1;
  for (wxWindow* c : l->GetChildren()) {
    if (static_cast<void*>(c) != static_cast<void*>(l->m_headerWin)) continue;
    c->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) { paintedAt = l->GetViewStart().x; e.Skip(); });
  }
  wxScrollWinEvent scroll(wxEVT_SCROLLWIN_THUMBTRACK, 5, wxHORIZONTAL);
  scroll.SetEventObject(l);
  l->GetEventHandler()->ProcessEvent(scroll);
  for (int i = 0; i < 20 && paintedAt != l->GetViewStart().x; ++i) AfxPumpMessages();
  EXPECT_GT(l->GetViewStart().x, 0);
  EXPECT_EQ(paintedAt, l->GetViewStart().x);
}

TEST_F(Modeless, EnterOnAPushButtonClicksItAndEnterInTheMemoIsItsOwn) {
  EXPECT_EQ(dlg.GetDlgItem(IDC_PUSH)->SendMessage(WM_KEYDOWN, VK_RETURN), 0);
  EXPECT_EQ(dlg.events, std::vector<CString>{"push"});
  EXPECT_EQ(dlg.GetDlgItem(IDC_MEMO)->SendMessage(WM_KEYDOWN, VK_RETURN), 1);  // passed on
  EXPECT_EQ(dlg.GetEndResult(), -1);
  EXPECT_EQ(dlg.GetDlgItem(IDC_EDIT)->SendMessage(WM_KEYDOWN, VK_RETURN), 0);
  EXPECT_EQ(dlg.GetEndResult(), IDOK);
}

// Real keys through the X server: what GTK itself does once the dialog lets a key pass.
TEST_F(Modeless, TypedKeysReachTheFocusedControl) {
  dlg.GetDlgItem(IDC_MEMO)->SetFocus();
  AfxPumpMessages();
  ASSERT_EQ(CWnd::GetFocus(), dlg.GetDlgItem(IDC_MEMO));
  ASSERT_TRUE(AfxTypeKey('a'));
  ASSERT_TRUE(AfxTypeKey(VK_RETURN));
  ASSERT_TRUE(AfxTypeKey('b'));
  CString s;
  dlg.GetDlgItemText(IDC_MEMO, s);
  EXPECT_EQ(s, "a\r\nb");  // Enter in the memo is a line break, and no end
  EXPECT_EQ(dlg.GetEndResult(), -1);
  dlg.GetDlgItem(IDC_PUSH)->SetFocus();
  AfxPumpMessages();
  ASSERT_TRUE(AfxTypeKey(VK_RETURN));
  EXPECT_EQ(dlg.events, std::vector<CString>{"push"});  // clicked once
  EXPECT_EQ(dlg.GetEndResult(), -1);
  ASSERT_TRUE(AfxTypeKey(VK_ESCAPE));
  EXPECT_EQ(dlg.GetEndResult(), IDCANCEL);
}

// Each way of closing a modal dialog ends it with the default handler's result and
// passes WM_DESTROY once, while the controls still hold their texts.
struct CloseCase {
  const char* name;
  int control;   // where the key is pressed; 0: the close box
  UINT key;
  int result;
};

class Closing : public ::testing::TestWithParam<CloseCase> {};

TEST_P(Closing, EndsOnceThroughWmDestroy) {
  const CloseCase c = GetParam();
  TestDlg dlg;
  dlg.m_bCheck = 0;
  AfxCallAfter([&] {
    dlg.SetDlgItemText(IDC_MEMO, "kept");
    dlg.CheckDlgButton(IDC_CHECK, BST_CHECKED);
    if (c.control)
      dlg.GetDlgItem(c.control)->SendMessage(WM_KEYDOWN, c.key);
    else
      dlg.SendMessage(WM_CLOSE);
  });
  // Should the dialog not end, this ends it, so the test fails instead of hanging.
  AfxCallAfter([&] {
    AfxCallAfter([&] {
      if (dlg.GetEndResult() == -1) {
        ADD_FAILURE() << c.name << " did not end the dialog";
        dlg.EndDialog(-2);
      }
    });
  });
  int result = dlg.DoModal();
  EXPECT_EQ(result, c.result);
  EXPECT_EQ(dlg.destroyed, 1);
  EXPECT_EQ(dlg.memoAtDestroy, "kept");
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(dlg.m_combo.m_hWnd, nullptr);
  // MFC's OnOK exchanges control to member; OnCancel does not.
  EXPECT_EQ(dlg.m_bCheck, c.result == IDOK ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Closing,
    ::testing::Values(CloseCase{"Esc", IDC_EDIT, VK_ESCAPE, IDCANCEL},
                      CloseCase{"close box", 0, 0, IDCANCEL},
                      CloseCase{"Enter on a check box", IDC_CHECK, VK_RETURN, IDOK},
                      CloseCase{"Enter on an edit", IDC_EDIT, VK_RETURN, IDOK}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n) if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

TEST(ModalSeam, BoxesGoThroughTheScriptWithWhatWasAsked) {
  ModalScript script;
  CString seen;
  script.ExpectMessageBox(IDOK).OnShow([&](const ModalRequest& r) { seen = r.text; });
  script.ExpectFileSave("/tmp/x/out");
  script.ExpectFileOpen(nullptr);
  CWnd owner;
  EXPECT_EQ(owner.MessageBox("文件无效！", "", MB_OK), IDOK);
  EXPECT_EQ(seen, "文件无效！");
  CFileDialog save(FALSE, "TXT", "out.txt", OFN_OVERWRITEPROMPT, "文本文件|*.txt|所有文件|*.*||", &owner);
  ASSERT_EQ(save.DoModal(), IDOK);
  EXPECT_EQ(save.GetPathName(), "/tmp/x/out.txt");  // the default extension completes the name
  CFileDialog open(TRUE, nullptr, nullptr, OFN_PATHMUSTEXIST | OFN_READONLY, "A|*.mdb||");
  EXPECT_EQ(open.DoModal(), IDCANCEL);
  EXPECT_EQ(open.GetPathName(), "");
  ASSERT_EQ(script.Asked().size(), 3u);
  const ModalRequest& m = script.Asked()[0];
  EXPECT_EQ(m.kind, ModalRequest::MessageBox);
  EXPECT_EQ(m.owner, &owner);
  EXPECT_EQ(m.caption, "");
  EXPECT_EQ(m.type, MB_OK);
  const ModalRequest& s = script.Asked()[1];
  EXPECT_EQ(s.kind, ModalRequest::FileSave);
  EXPECT_EQ(s.fileName, "out.txt");
  EXPECT_EQ(s.defExt, "TXT");
  EXPECT_EQ(s.flags, OFN_OVERWRITEPROMPT);
  EXPECT_EQ(s.filter, "文本文件|*.txt|所有文件|*.*||");
  EXPECT_EQ(script.Asked()[2].flags, OFN_PATHMUSTEXIST | OFN_READONLY);
  EXPECT_EQ(script.Remaining(), 0u);
}

TEST(ModalSeam, AnUnexpectedBoxFailsAndIsAnsweredAtOnce) {
  int result = 0;
  EXPECT_NONFATAL_FAILURE(
      {
        ModalScript script;
        result = AfxMessageBox("surprise", MB_OK | MB_ICONEXCLAMATION);
      },
      "unexpected message box");
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_NONFATAL_FAILURE({ ModalScript script; script.ExpectAbout(); }, "never shown");
}

TEST(ModalSeam, AppNameCaptionsTheAppsBoxes) {
  ModalScript script;
  script.ExpectMessageBox();
  AfxMessageBox("x");
  EXPECT_EQ(script.Asked()[0].caption, "mfc_dialog_test");
}
}  // namespace

// A name typed without an extension, as Linux spells files: the extension in lower
// case or as the file in the folder spells it (an open dialog also tries its first
// filter's other extensions); and one overwrite question for every existing file,
// whose "否" shows the dialog again in the same folder with the name as typed.
TEST(FileDialogNames, DefaultExtensionAndOverwriteQuestion) {
  char tmpl[] = "/tmp/kelvane-names-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  for (const char* f : {"Upper.MDB", "Both.mdb", "Both.accdb", "New.ACCDB", "report.TXT", "two.TXT", "two.Txt"})
    std::ofstream(dir + "/" + f);
  // Typed name, the file asked about and the answer (none: no question), the name written.
  const struct { BOOL open; const char* typed; const char* asked; int answer; const char* written; } cases[] = {
      {TRUE, "Sales", nullptr, 0, "Sales.mdb"},     {TRUE, "Upper", nullptr, 0, "Upper.MDB"},
      {TRUE, "upper", nullptr, 0, "upper.mdb"},     {TRUE, "Both", nullptr, 0, "Both.mdb"},
      {TRUE, "New", nullptr, 0, "New.ACCDB"},
      {FALSE, "new", nullptr, 0, "new.txt"},        {FALSE, "report", "report.TXT", IDNO, nullptr},
      {FALSE, "report", "report.TXT", IDYES, "report.TXT"}, {FALSE, "two", "two.TXT", IDYES, "two.TXT"},
      {FALSE, "report.TXT", "report.TXT", IDYES, "report.TXT"},  // typed whole: the same question
  };
  CWnd owner;
  for (const auto& c : cases) {
    ModalScript script;
    const std::string typed = dir + "/" + c.typed;
    if (c.open) script.ExpectFileOpen(typed.c_str()); else script.ExpectFileSave(typed.c_str());
    if (c.answer) script.ExpectMessageBox(c.answer);
    if (c.answer == IDNO) script.ExpectFileSave(nullptr);  // back in the dialog, then cancelled
    CFileDialog dlg(c.open, c.open ? "MDB" : "TXT", "out.txt", c.open ? 0 : OFN_OVERWRITEPROMPT,
                    c.open ? "A|*.mdb;*.accdb|B|*.*||" : "A|*.txt|B|*.*||", &owner);
    dlg.m_ofn.lpstrInitialDir = "/tmp";
    EXPECT_EQ(dlg.DoModal(), c.written ? IDOK : IDCANCEL) << c.typed;
    EXPECT_EQ(dlg.GetPathName().str(), c.written ? dir + "/" + c.written : "") << c.typed;
    if (!c.answer) continue;
    const ModalRequest& box = script.Asked().at(1);
    EXPECT_EQ(box.text.str(), std::string(c.asked) + " 已存在。\r\n要替换它吗？");
    EXPECT_TRUE(box.type == (MB_YESNO | MB_ICONEXCLAMATION) && box.owner == &owner);
    if (c.answer == IDNO) {  // the dialog again: the same folder, the name as typed
      EXPECT_EQ(script.Asked().at(2).initialDir.str() + "/" + script.Asked().at(2).fileName.str(), typed);
    }
  }
  std::filesystem::remove_all(dir);
}

// The real toolkit dialog a request builds: its title, its folder, and filters that
// GTK itself matches against names of either case. GTK is reached through the
// symbols the toolkit already loaded.
TEST(FileDialogNames, RealDialogFiltersIgnoreCase) {
  ASSERT_TRUE(AfxWinInit());
  struct FilterInfo { int contains; const char* filename; const char* uri; const char* name; const char* mime; };
  struct List { void* data; List* next; };
  auto listFilters = reinterpret_cast<List* (*)(void*)>(dlsym(RTLD_DEFAULT, "gtk_file_chooser_list_filters"));
  auto filter = reinterpret_cast<int (*)(void*, const FilterInfo*)>(dlsym(RTLD_DEFAULT, "gtk_file_filter_filter"));
  auto title = reinterpret_cast<const char* (*)(void*)>(dlsym(RTLD_DEFAULT, "gtk_window_get_title"));
  ASSERT_TRUE(listFilters && filter && title);
  ModalRequest r;
  r.kind = ModalRequest::FileOpen;
  r.filter = "MS Access数据库(*.mdb)|*.mdb|所有文件|*.*||";
  r.initialDir = "/tmp";
  std::unique_ptr<wxFileDialog> dlg(AfxNewFileDialog(r));
  EXPECT_EQ(wxString::FromUTF8(title(dlg->GetHandle())), wxString(wxFileSelectorPromptStr));
  EXPECT_EQ(dlg->GetDirectory(), "/tmp");
  List* filters = listFilters(dlg->GetHandle());
  ASSERT_NE(filters, nullptr);
  for (const char* name : {"lower.mdb", "Upper.MDB", "Mixed.mDb", "report.TXT"}) {
    const FilterInfo info{4 /* GTK_FILE_FILTER_DISPLAY_NAME */, nullptr, nullptr, name, nullptr};
    EXPECT_EQ(filter(filters->data, &info) != 0, std::string(name) != "report.TXT") << name;
  }
}
