// A real main dialog for the dialog tests, shown modelessly, whose settings store
// lives in a fresh temporary folder (so no stored source path starts a listing),
// with the status line and button states readable and the database error box
// answered while recording what stood behind it.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/com/ComError.h"
#include "res/Resource.h"
#include "support/ModalScript.h"
#include "ui/ExportDlg.h"

// The dialog with what a test reads off it.
class TestDialog : public CExportDlg {
 public:
  CString Status() const { return Text(IDC_STATIC_STATUS); }
  CString Text(int id) const {
    CString s;
    GetDlgItemText(id, s);
    return s;
  }
  bool Enabled(int id) const { return GetDlgItem(id)->IsWindowEnabled() != FALSE; }
};

// A failure box's text without the line under it that names the cause, which the
// provider words (tests of that line look at it on its own).
inline std::string WithoutCause(const std::string& text) {
  const size_t line = text.rfind("\r\n原因：");
  return line == std::string::npos ? text : text.substr(0, line);
}

// What the user sees behind a box at the moment it is shown.
struct BehindBox {
  CString status;
  bool buttonEnabled = false;
  int comCount = -1;
};

template <class Dlg>
class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(AfxWinInit()) << "no display: run under xvfb-run";
    char tmpl[] = "/tmp/kelvane-dlg-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    m_dir = tmpl;
    setenv("XDG_CONFIG_HOME", (m_dir + "/config").c_str(), 1);
    m_comStart = CoInitializeCount();
    dlg = std::make_unique<Dlg>();
    ASSERT_TRUE(dlg->Create(CExportDlg::IDD));
  }
  void TearDown() override {
    if (dlg) {
      dlg->DestroyWindow();
      dlg.reset();
    }
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }

  // Expects one database error box and records what stood behind it.
  void ExpectDbBox(ModalScript& script, int buttonId, BehindBox* seen) {
    script.ExpectMessageBox(IDOK).OnShow([this, buttonId, seen](const ModalRequest&) {
      seen->status = dlg->Status();
      seen->buttonEnabled = dlg->Enabled(buttonId);
      seen->comCount = CoInitializeCount();
    });
  }
  static std::string BoxText(HRESULT hr) {
    return std::string("连接数据库失败!\r\n\r\n错误信息:") + _com_error(hr).ErrorMessage();
  }

  std::unique_ptr<Dlg> dlg;
  std::string m_dir;
  int m_comStart = 0;
};
