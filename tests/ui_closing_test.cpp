// Closing the main window: Esc, the close box and Enter (outside a push button and
// the SQL edit) each end the dialog and pass WM_DESTROY exactly once, with the
// controls still there; Enter on a push button clicks it; Enter in the SQL edit is
// the edit's own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "res/Resource.h"
#include "support/ModalScript.h"
#include "ui/ExportDlg.h"

namespace {
// Counts WM_DESTROY and looks at the window at that moment, then lets the dialog's
// own OnDestroy run.
class CountingDlg : public CExportDlg {
 public:
  int destroys = 0;
  CString statusAtDestroy;
  bool coreAtDestroy = false;

 protected:
  void OnDestroy() {
    ++destroys;
    GetDlgItemText(IDC_STATIC_STATUS, statusAtDestroy);
    coreAtDestroy = m_pCore != nullptr;
    CExportDlg::OnDestroy();
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CountingDlg, CExportDlg)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

class Closing : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kelvane-close-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    m_config = tmpl;
    setenv("XDG_CONFIG_HOME", m_config.c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(m_config); }

  // Runs the dialog modally; `act` runs inside the modal loop. Should the dialog
  // still run afterwards, it is ended with -2 and the test fails (never hangs).
  int RunModal(const std::function<void()>& act) {
    AfxCallAfter([&] {
      act();
      AfxCallAfter([&] {
        AfxCallAfter([&] {
          if (dlg.GetEndResult() == -1) {
            ADD_FAILURE() << "the dialog did not end";
            dlg.EndDialog(-2);
          }
        });
      });
    });
    return dlg.DoModal();
  }
  void Key(int id, UINT vk) { dlg.GetDlgItem(id)->SendMessage(WM_KEYDOWN, vk); }

  CountingDlg dlg;
  std::string m_config;
};

void ExpectClosedOnce(const CountingDlg& dlg) {
  EXPECT_EQ(dlg.destroys, 1);
  EXPECT_EQ(dlg.statusAtDestroy, "等待");  // the controls were still there
  EXPECT_TRUE(dlg.coreAtDestroy);
  EXPECT_EQ(dlg.m_pCore, nullptr);          // and the store went with the save
  EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(Closing, EscEndsAsCancel) {
  EXPECT_EQ(RunModal([&] { Key(IDC_BTN_IMPORT, VK_ESCAPE); }), IDCANCEL);
  ExpectClosedOnce(dlg);
}

TEST_F(Closing, CloseBoxEndsAsCancel) {
  EXPECT_EQ(RunModal([&] { dlg.SendMessage(WM_CLOSE); }), IDCANCEL);
  ExpectClosedOnce(dlg);
}

TEST_F(Closing, EnterOutsideButtonsAndTheSqlEditEndsAsOk) {
  EXPECT_EQ(RunModal([&] { Key(IDC_EDIT_FIELDS, VK_RETURN); }), IDOK);
  ExpectClosedOnce(dlg);
}

TEST_F(Closing, EnterOnACheckBoxEndsAsOkAndExchangesTheChecks) {
  // MFC's OnOK runs the data exchange control to member before ending.
  EXPECT_EQ(RunModal([&] {
              dlg.CheckDlgButton(IDC_CHK_QUOTE, BST_CHECKED);
              Key(IDC_CHK_HEADER, VK_RETURN);
            }),
            IDOK);
  ExpectClosedOnce(dlg);
  EXPECT_EQ(dlg.m_bQuote, 1);
}

TEST_F(Closing, EnterOnAPushButtonClicksItAndTheDialogGoesOn) {
  ModalScript script;
  script.ExpectAbout();
  bool stillRunning = false;
  EXPECT_EQ(RunModal([&] {
              Key(IDC_BTN_ABOUT, VK_RETURN);
              stillRunning = dlg.GetEndResult() == -1;
              Key(IDC_EDIT_SQL, VK_RETURN);  // the SQL edit's own: a line break, no end
              stillRunning = stillRunning && dlg.GetEndResult() == -1;
              Key(IDC_BTN_IMPORT, VK_ESCAPE);
            }),
            IDCANCEL);
  EXPECT_TRUE(stillRunning);
  EXPECT_EQ(script.Asked().size(), 1u);
  ExpectClosedOnce(dlg);
}

TEST_F(Closing, TypedEnterInTheSqlEditIsALineBreak) {
  CExportDlg modeless;
  ASSERT_TRUE(modeless.Create(CExportDlg::IDD));
  modeless.GetDlgItem(IDC_CHK_USESQL)->SendMessage(BM_CLICK);
  modeless.GetDlgItem(IDC_EDIT_SQL)->SetFocus();
  AfxPumpMessages();
  for (UINT key : {UINT('s'), VK_RETURN, UINT('f')}) ASSERT_TRUE(AfxTypeKey(key));
  CString sql;
  modeless.GetDlgItemText(IDC_EDIT_SQL, sql);
  EXPECT_EQ(sql, "s\r\nf");
  EXPECT_EQ(modeless.GetEndResult(), -1);
  modeless.DestroyWindow();
}

// The source and target boxes name the files the program will read and write:
// only the file dialogs change them, never a key typed into them.
TEST_F(Closing, ThePathBoxesTakeNoTyping) {
  CExportDlg modeless;
  ASSERT_TRUE(modeless.Create(CExportDlg::IDD));
  for (int id : {IDC_EDIT_MDBFILE, IDC_EDIT_TXTFILE}) {
    modeless.SetDlgItemText(id, "/d/a");
    modeless.GetDlgItem(id)->SetFocus();
    AfxPumpMessages();
    ASSERT_TRUE(AfxTypeKey('x'));
    CString text;
    modeless.GetDlgItemText(id, text);
    EXPECT_EQ(text, "/d/a") << id;
  }
  modeless.DestroyWindow();
}

TEST_F(Closing, TypedEnterInAnEditEndsOnce) {
  EXPECT_EQ(RunModal([&] {
              dlg.GetDlgItem(IDC_EDIT_TXTFILE)->SetFocus();
              AfxPumpMessages();
              AfxTypeKey(VK_RETURN);
            }),
            IDOK);
  ExpectClosedOnce(dlg);
}

}  // namespace
