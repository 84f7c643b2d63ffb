// The operation frame on its own, with work of the test's making: the steps around
// the work, every way out of it (creation, the guarded section, the closes), the two
// moments the button can come back, and the COM count on each path.
#include <fstream>

#include "platform/ado/AdoErrors.h"
#include "platform/ado/ComFactory.h"
#include "support/DbDialog.h"
#include "support/DbFixture.h"

namespace {

const CExportDlg::DbOperation kOp = {"开始", "成功", "失败", IDC_BTN_PREVIEW, true};
const CExportDlg::DbOperation kExportLike = {"开始", "成功", "失败", IDC_BTN_START, false};

class FrameTest : public DbDialogTest {
 protected:
  void SetUp() override {
    DbDialogTest::SetUp();
    m_fixture = m_dir + "/fixture.mdb";
    WriteDbFixture(m_fixture);
    dlg->m_strMdbFile = m_fixture.c_str();
  }
  void TearDown() override {
    ado::SetCreationHook({});
    DbDialogTest::TearDown();
  }
  // Runs an operation that must fail with `hr`; returns what stood behind the box.
  BehindBox RunFailing(const CExportDlg::DbOperation& op,
                       const std::function<void(_ConnectionPtr&, _RecordsetPtr&)>& work, HRESULT hr) {
    BehindBox seen;
    ModalScript script;
    ExpectDbBox(script, op.buttonId, &seen);
    EXPECT_FALSE(dlg->RunDbOperation(op, work));
    EXPECT_EQ(script.Asked().size(), 1u);
    if (!script.Asked().empty()) {
      EXPECT_EQ(WithoutCause(script.Asked()[0].text.str()), BoxText(hr));
    }
    EXPECT_EQ(seen.status.str(), "失败");
    EXPECT_EQ(seen.comCount, m_comStart);
    EXPECT_EQ(CoInitializeCount(), m_comStart);
    EXPECT_TRUE(dlg->Enabled(op.buttonId));
    return seen;
  }
  std::string m_fixture;
};

TEST_F(FrameTest, SuccessRunsTheWorkOnAnOpenConnectionBetweenTheTexts) {
  bool prepared = false, worked = false;
  auto work = [&](_ConnectionPtr& conn, _RecordsetPtr& rs) {
    EXPECT_TRUE(prepared);
    EXPECT_EQ(dlg->Status().str(), "开始");
    EXPECT_FALSE(dlg->Enabled(IDC_BTN_PREVIEW));
    EXPECT_EQ(CoInitializeCount(), m_comStart + 1);
    rs->Open("select * from Narrow", conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
    worked = true;
  };
  ModalScript script;  // no box
  EXPECT_TRUE(dlg->RunDbOperation(kOp, work, [&] { prepared = true; }));
  EXPECT_TRUE(worked);
  EXPECT_EQ(dlg->Status().str(), "成功");
  EXPECT_TRUE(dlg->Enabled(IDC_BTN_PREVIEW));
  EXPECT_EQ(CoInitializeCount(), m_comStart);
}

TEST_F(FrameTest, PathGoesIntoTheConnectionStringUnchanged) {
  std::string path = m_dir + "/a b 数据.mdb";
  std::filesystem::copy_file(m_fixture, path);
  dlg->m_strMdbFile = path.c_str();
  std::string handed;
  EXPECT_TRUE(dlg->RunDbOperation(kOp, [&](_ConnectionPtr& conn, _RecordsetPtr& rs) {
    handed = conn->GetConnectionString();
    rs = conn->OpenSchema(ADODB::adSchemaTables);
  }));
  EXPECT_EQ(handed, "Provider=MIcrosoft.Jet.OLEDB.4.0;Data source=" + path);

  // An empty path is not refused before the provider sees it.
  dlg->m_strMdbFile = "";
  RunFailing(kOp, [&](_ConnectionPtr&, _RecordsetPtr&) { ADD_FAILURE() << "opened"; }, E_FAIL);
}

TEST_F(FrameTest, ExportLikeOperationEnablesItsButtonOnlyAfterTheBox) {
  BehindBox seen;
  {
    ModalScript script;
    ExpectDbBox(script, IDC_BTN_START, &seen);
    auto boxText = [](const _com_error& e) {
      CString s;
      s.Format("连接数据库失败!\r\n\r\n错误信息:%s。记录行：%d", e.ErrorMessage(), 3);
      return s;
    };
    EXPECT_FALSE(dlg->RunDbOperation(
        kExportLike, [](_ConnectionPtr&, _RecordsetPtr&) { throw _com_error(JET_E_NOCOLUMN); }, {}, boxText));
    ASSERT_EQ(script.Asked().size(), 1u);
    EXPECT_EQ(WithoutCause(script.Asked()[0].text.str()),
              std::string("连接数据库失败!\r\n\r\n错误信息:") + _com_error(JET_E_NOCOLUMN).ErrorMessage() + "。记录行：3");
    EXPECT_EQ(script.Asked()[0].caption.str(), AfxGetAppName());
  }
  EXPECT_EQ(seen.status.str(), "失败");
  EXPECT_FALSE(seen.buttonEnabled);
  EXPECT_EQ(seen.comCount, m_comStart);
  EXPECT_TRUE(dlg->Enabled(IDC_BTN_START));
}

// Under the box's text one line names the cause in the window's language: the
// raiser's own words, else the code's general cause (Jet's codes read "IDispatch
// error #3127" in any language).
TEST_F(FrameTest, TheBoxNamesTheCauseUnderItsText) {
  std::ofstream(m_dir + "/notes.mdb") << "not a database\n";
  const struct {
    std::string file, sql;
    _com_error error;
  } cases[] = {
      {m_fixture, "select * from NoSuchTable", _com_error(JET_E_NOTABLE)},
      {m_fixture, "select * from Narrow where NoSuchColumn = 1", _com_error(JET_E_NOCOLUMN)},
      {m_fixture, "select * from Narrow where", _com_error(JET_E_SYNTAX)},
      {m_dir + "/notes.mdb", "", _com_error(E_FAIL)},
      {m_fixture, "", _com_error(JET_E_NOTABLE, "找不到表 “Orders2”")},
  };
  for (const auto& c : cases) {
    dlg->m_strMdbFile = c.file.c_str();
    ModalScript script;
    script.ExpectMessageBox(IDOK);
    dlg->RunDbOperation(kOp, [&](_ConnectionPtr& conn, _RecordsetPtr& rs) {
      if (c.sql.empty()) throw c.error;
      rs->Open(c.sql.c_str(), conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
    });
    ASSERT_EQ(script.Asked().size(), 1u);
    const std::string box = script.Asked()[0].text.str(), part = WithoutCause(box);
    EXPECT_EQ(part, BoxText(c.error.Error())) << c.sql;
    const std::string line = box.substr(part.size());  // the raiser's words, or words of ours
    EXPECT_EQ(line.rfind("\r\n原因：", 0), 0u) << c.sql;
    if (!c.error.Description().empty()) {
      EXPECT_EQ(line, "\r\n原因：" + c.error.Description());
    }
    EXPECT_TRUE(line.size() > 11 && line.find('\n', 2) == std::string::npos) << line;
  }
}

TEST_F(FrameTest, FailedCreationSkipsPrepareAndWork) {
  for (int n : {1, 2}) {
    ado::FailNthCreation(n, REGDB_E_CLASSNOTREG);
    bool prepared = false;
    BehindBox seen;
    {
      ModalScript script;
      ExpectDbBox(script, IDC_BTN_PREVIEW, &seen);
      dlg->RunDbOperation(kOp, [](_ConnectionPtr&, _RecordsetPtr&) { ADD_FAILURE() << "work ran"; },
                          [&] { prepared = true; });
      ASSERT_EQ(script.Asked().size(), 1u);
      EXPECT_EQ(WithoutCause(script.Asked()[0].text.str()), BoxText(REGDB_E_CLASSNOTREG));
    }
    EXPECT_FALSE(prepared) << n;
    EXPECT_EQ(seen.status.str(), "失败");
    EXPECT_TRUE(seen.buttonEnabled);
    EXPECT_EQ(CoInitializeCount(), m_comStart);
  }
}

TEST_F(FrameTest, FailedRecreationByProgIdLeavesAnEmptyRecordset) {
  ado::FailNthCreation(3, E_OUTOFMEMORY);  // Connection, Recordset, then "ADODB.Recordset"
  RunFailing(kOp, [](_ConnectionPtr& conn, _RecordsetPtr& rs) {
    EXPECT_FALSE(rs);
    rs->Open("select * from Narrow", conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
  }, E_POINTER);
}

TEST_F(FrameTest, FailingCloseEndsLikeTheErrorPath) {
  // The work closes the connection itself, which closes its recordset: the frame's
  // own Close then fails outside the guarded section.
  RunFailing(kOp, [](_ConnectionPtr& conn, _RecordsetPtr& rs) {
    rs->Open("select * from Narrow", conn, ADODB::adOpenStatic, ADODB::adLockOptimistic, ADODB::adCmdText);
    conn->Close();
  }, ado::adErrObjectClosed);
}

TEST_F(FrameTest, AnyOtherFailureOfTheWorkIsStillTheErrorPath) {
  RunFailing(kOp, [](_ConnectionPtr&, _RecordsetPtr&) { throw std::runtime_error("lost"); }, E_FAIL);
  RunFailing(kOp, [](_ConnectionPtr&, _RecordsetPtr&) { throw std::bad_alloc(); }, E_OUTOFMEMORY);
}

}  // namespace
