// The preview grid on real widgets: one 80-pixel column per field, one row per
// record of the preview statement, NULL as an empty cell, and the grid's state after
// each kind of failure; on fixtures and on the Northwind database Access made.
#include <algorithm>

#include "platform/ado/ComFactory.h"
#include "platform/ado/DatabaseOpener.h"
#include "support/FakeMdbFile.h"
#include "support/DbDialog.h"
#include "support/DbFixture.h"

namespace {

using Strings = std::vector<std::string>;

class PreviewTest : public DbDialogTest {
 protected:
  void SetUp() override {
    DbDialogTest::SetUp();
    std::string path = m_dir + "/fixture.mdb";
    WriteDbFixture(path);
    dlg->m_strMdbFile = path.c_str();
    dlg->LoadTableList();
  }
  Strings Row(int item) const {
    Strings cells;
    for (int c = 0; c < dlg->m_lcPreview.GetColumnCount(); ++c) cells.push_back(dlg->Cell(item, c));
    return cells;
  }
  // A preview that must fail with the database error box; returns what stood behind it.
  BehindBox PreviewFails(HRESULT expected) {
    BehindBox seen;
    ModalScript script;
    ExpectDbBox(script, IDC_BTN_PREVIEW, &seen);
    dlg->OnBtnPreview();
    EXPECT_EQ(script.Asked().size(), 1u);
    if (!script.Asked().empty()) {
      EXPECT_EQ(WithoutCause(script.Asked()[0].text.str()), BoxText(expected));
      EXPECT_EQ(script.Asked()[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    }
    EXPECT_EQ(seen.status.str(), "获取数据发生错误。");
    EXPECT_TRUE(seen.buttonEnabled);
    EXPECT_EQ(CoInitializeCount(), m_comStart);
    return seen;
  }
};

TEST_F(PreviewTest, ShowsTheFirstFourRecordsOfATable) {
  dlg->SelectTable("Wide");
  dlg->OnBtnPreview();
  EXPECT_EQ(dlg->Status().str(), "获取数据完成。");
  EXPECT_TRUE(dlg->Enabled(IDC_BTN_PREVIEW));
  EXPECT_EQ(CoInitializeCount(), m_comStart);
  EXPECT_EQ(dlg->Headings(), (Strings{"Id", "Name", "Amount", "Note", "Flag"}));
  for (int c = 0; c < 5; ++c) EXPECT_EQ(dlg->m_lcPreview.GetColumnWidth(c), 80) << c;
  ASSERT_EQ(dlg->m_lcPreview.GetItemCount(), 4);  // ten records, four shown
  EXPECT_EQ(Row(0), (Strings{"1", "name1", "0.5", "备注1", "-1"}));
  EXPECT_EQ(Row(1), (Strings{"2", "", "1.5", "", "0"}));  // NULLs
  EXPECT_EQ(Row(2), (Strings{"3", "", "2.5", "备注3", "-1"}));  // an empty text
  EXPECT_EQ(Row(3)[0], "4");
}

TEST_F(PreviewTest, ASecondNarrowerPreviewLeavesNothingOfTheFirst) {
  dlg->SelectTable("Wide");
  dlg->OnBtnPreview();
  dlg->SelectTable("Narrow");
  dlg->OnBtnPreview();
  EXPECT_EQ(dlg->Headings(), (Strings{"Code", "Qty"}));
  ASSERT_EQ(dlg->m_lcPreview.GetItemCount(), 3);
  EXPECT_EQ(Row(2), (Strings{"c3", "30"}));
}

// The grid never shows another database's records as this one's: picking a file
// ("导入 =>", a drop, the command line: one road) empties it.
TEST_F(PreviewTest, PickingAnotherDatabaseEmptiesTheGrid) {
  dlg->SelectTable("Wide");
  dlg->OnBtnPreview();
  ASSERT_EQ(dlg->m_lcPreview.GetItemCount(), 4);
  WriteDbFixture(m_dir + "/other.mdb");
  dlg->OpenSourceFile((m_dir + "/other.mdb").c_str());
  EXPECT_EQ(dlg->m_lcPreview.GetColumnCount(), 0);
  EXPECT_EQ(dlg->m_lcPreview.GetItemCount(), 0);
}

TEST_F(PreviewTest, EmptyTableShowsHeadingsOnly) {
  dlg->SelectTable("Empty");
  dlg->OnBtnPreview();
  EXPECT_EQ(dlg->Headings(), (Strings{"A", "B"}));
  EXPECT_EQ(dlg->m_lcPreview.GetItemCount(), 0);
  EXPECT_EQ(dlg->Status().str(), "获取数据完成。");
}

TEST_F(PreviewTest, SqlModeShowsEveryColumnOfTheTailInTheUsersOrder) {
  dlg->UseSql("SELECT Id, Name FROM Wide WHERE Id > 3 ORDER BY Id DESC");
  dlg->OnBtnPreview();
  EXPECT_EQ(dlg->Headings().size(), 5u);
  ASSERT_EQ(dlg->m_lcPreview.GetItemCount(), 4);
  EXPECT_EQ(dlg->Cell(0, 0), "10");
  EXPECT_EQ(dlg->Cell(3, 0), "7");

  dlg->UseSql("select * from [客户 名单]");
  dlg->OnBtnPreview();
  EXPECT_EQ(dlg->Headings(), (Strings{"姓名"}));
  EXPECT_EQ(Row(0), (Strings{"张三"}));
}

// Each line break shows as one mark, so a value keeps to its row.
TEST_F(PreviewTest, LineBreaksShowAsAMarkOnOneLine) {
  dlg->UseSql("select * from (select 'a' & chr(13) & chr(10) & 'b' as crlf, 'c' & chr(10) & chr(10) & 'd' as lf,"
              " chr(13) & 'e' & chr(13) as cr from Narrow)");
  dlg->OnBtnPreview();
  ASSERT_EQ(dlg->m_lcPreview.GetItemCount(), 3);
  EXPECT_EQ(Row(0), (Strings{"a↵b", "c↵↵d", "↵e↵"}));
}

TEST_F(PreviewTest, RefusedStatementLeavesTheGridEmptyWithoutColumns) {
  dlg->SelectTable("Wide");
  dlg->OnBtnPreview();
  dlg->UseSql("select * from NoSuchTable");
  PreviewFails(JET_E_NOTABLE);
  EXPECT_EQ(dlg->m_lcPreview.GetColumnCount(), 0);
  EXPECT_EQ(dlg->m_lcPreview.GetItemCount(), 0);

  // The builder's "from" inside a column name makes a statement the database refuses.
  dlg->UseSql("select fromdate from Wide");
  PreviewFails(JET_E_SYNTAX);
}

TEST_F(PreviewTest, AValueWithoutTextStopsTheRowAtItsCell) {
  dlg->SelectTable("Blobs");
  PreviewFails(DISP_E_TYPEMISMATCH);
  EXPECT_EQ(dlg->Headings(), (Strings{"Id", "Name", "Pic", "After"}));
  ASSERT_EQ(dlg->m_lcPreview.GetItemCount(), 2);
  EXPECT_EQ(Row(0), (Strings{"1", "b1", "", "after"}));  // a NULL OLE value is empty
  EXPECT_EQ(Row(1), (Strings{"2", "b2", "", ""}));       // cut at the binary value
}

TEST_F(PreviewTest, MissingFileEmptiesTheGridAndShowsTheUnspecifiedError) {
  dlg->SelectTable("Wide");
  dlg->OnBtnPreview();
  dlg->m_strMdbFile = (m_dir + "/missing.mdb").c_str();
  PreviewFails(E_FAIL);
  EXPECT_EQ(dlg->m_lcPreview.GetColumnCount(), 0);
}

TEST_F(PreviewTest, BuilderFailureTouchesNeitherGridNorDatabase) {
  dlg->SelectTable("Narrow");
  dlg->OnBtnPreview();
  dlg->m_cbTable.SetCurSel(-1);
  ado::SetCreationHook({});
  {
    ModalScript script;  // no box expected: one shown fails the test
    dlg->OnBtnPreview();
  }
  EXPECT_EQ(ado::CreationCount(), 0);
  EXPECT_EQ(dlg->Status().str(), "没有选中任何表格！");
  EXPECT_EQ(dlg->Headings(), (Strings{"Code", "Qty"}));
  EXPECT_EQ(dlg->m_lcPreview.GetItemCount(), 3);
  EXPECT_TRUE(dlg->Enabled(IDC_BTN_PREVIEW));
}

TEST_F(PreviewTest, PreviewButtonIsDisabledWhileTheStatementRuns) {
  // The creation hook runs inside the operation: the window as it is then.
  CString status;
  bool enabled = true;
  ado::SetCreationHook([&](const CLSID&, int) {
    status = dlg->Status();
    enabled = dlg->Enabled(IDC_BTN_PREVIEW);
    return S_OK;
  });
  dlg->SelectTable("Narrow");
  dlg->OnBtnPreview();
  ado::SetCreationHook({});
  EXPECT_EQ(status.str(), "正在获取数据...");
  EXPECT_FALSE(enabled);
  EXPECT_TRUE(dlg->Enabled(IDC_BTN_PREVIEW));
}

TEST_F(PreviewTest, AMillionRowTableIsReadOnlyAsFarAsTheFourRowsShown) {
  auto file = std::make_shared<fake::MdbFile>();
  fake::Table big;
  big.name = "Big";
  big.columns = {{"n", jet::AccessType::LongInteger}, {"s", jet::AccessType::Text}};
  big.generatedRows = 1000000;
  big.generate = [](long long r, std::vector<VARIANT>* v) {
    (*v)[0] = VARIANT::I4(static_cast<int32_t>(r));
    (*v)[1] = VARIANT::Str("row" + std::to_string(r));
  };
  file->Add(big);
  ado::SetDatabaseOpener([file](const std::string&) { return jet::Database::OpenOver(file); });
  dlg->UseSql("select * from Big");
  dlg->OnBtnPreview();
  ado::SetDatabaseOpener({});
  EXPECT_EQ(dlg->Status().str(), "获取数据完成。");
  ASSERT_EQ(dlg->m_lcPreview.GetItemCount(), 4);
  EXPECT_EQ(dlg->Cell(3, 1), "row3");
  EXPECT_LE(file->nextCalls(), 5);
}

// ---- Northwind, as Access wrote it.

class NwindPreviewTest : public DbDialogTest {
 protected:
  void SetUp() override {
    DbDialogTest::SetUp();
    dlg->m_strMdbFile = TestData("nwind.mdb").c_str();
    dlg->LoadTableList();
  }
  Strings Grid() {  // the headings, then every cell row by row
    Strings grid = dlg->Headings();
    for (int r = 0; r < dlg->m_lcPreview.GetItemCount(); ++r)
      for (int c = 0; c < dlg->m_lcPreview.GetColumnCount(); ++c) grid.push_back(dlg->Cell(r, c));
    return grid;
  }
};

TEST_F(NwindPreviewTest, EveryTableInTableModeWorksOrFailsAsJetWould) {
  std::vector<std::string> tables = dlg->Tables();
  ASSERT_EQ(tables.size(), 9u);
  for (const std::string& name : tables) {
    dlg->SelectTable(name.c_str());
    // Categories and Employees hold pictures (OLE objects), which have no text.
    const bool hasPicture = name == "Categories" || name == "Employees";
    const bool hasBlank = name.find(' ') != std::string::npos;
    ModalScript script;
    if (hasPicture) script.ExpectMessageBox(IDOK);
    dlg->OnBtnPreview();
    EXPECT_EQ(CoInitializeCount(), m_comStart) << name;
    if (hasBlank) {  // the grid SQL mode shows for the bracketed name
      const Strings grid = Grid();
      dlg->UseSql(("select * from [" + name + "]").c_str());
      dlg->OnBtnPreview();
      EXPECT_EQ(grid, Grid()) << name;
    }
    if (hasPicture) {
      // Every column, and the first row up to the picture.
      ASSERT_EQ(script.Asked().size(), 1u) << name;
      EXPECT_EQ(WithoutCause(script.Asked()[0].text.str()), BoxText(DISP_E_TYPEMISMATCH)) << name;
      EXPECT_EQ(dlg->m_lcPreview.GetItemCount(), 1) << name;
      EXPECT_EQ(dlg->Cell(0, 1), name == "Categories" ? "Beverages" : "Davolio") << name;
    } else {
      EXPECT_EQ(dlg->Status().str(), "获取数据完成。") << name;
      EXPECT_GT(dlg->m_lcPreview.GetColumnCount(), 0) << name;
      EXPECT_EQ(dlg->m_lcPreview.GetItemCount(), name == "Shippers" ? 3 : 4) << name;  // it has three
    }
  }
}

// The order ids of [Order Details] rows with a quantity over 100, read and filtered
// here rather than by the statement under test.
std::vector<long> BigOrderIds(const std::string& path) {
  std::vector<long> ids;
  CoInitialize(nullptr);
  {
    _ConnectionPtr conn;
    conn.CreateInstance(ADODB::CLSID_Connection);
    conn->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path, "", "", -1);
    _RecordsetPtr rs;
    rs.CreateInstance("ADODB.Recordset");
    rs->Open("select OrderID, Quantity from [Order Details]", conn, ADODB::adOpenStatic, ADODB::adLockOptimistic,
             ADODB::adCmdText);
    for (; !rs->GetadoEOF(); rs->MoveNext()) {
      std::string id, qty;
      VariantToText(rs->GetFields()->GetItem(0)->GetValue(), &id);
      VariantToText(rs->GetFields()->GetItem(1)->GetValue(), &qty);
      if (std::stol(qty) > 100) ids.push_back(std::stol(id));
    }
    rs->Close();
    conn->Close();
  }
  CoUninitialize();
  std::sort(ids.begin(), ids.end());
  return ids;
}

TEST_F(NwindPreviewTest, SqlModeWithBracketsWhereAndOrderBy) {
  dlg->UseSql("select * from [Order Details] where quantity > 100 order by orderid");
  dlg->OnBtnPreview();
  EXPECT_EQ(dlg->Status().str(), "获取数据完成。");
  std::vector<long> expected = BigOrderIds(TestData("nwind.mdb"));
  ASSERT_GE(expected.size(), 4u);
  ASSERT_EQ(dlg->m_lcPreview.GetItemCount(), 4);
  std::vector<std::string> headings = dlg->Headings();
  auto it = std::find_if(headings.begin(), headings.end(),
                         [](const std::string& h) { return h == "OrderID" || h == "Bestell-Nr"; });
  ASSERT_NE(it, headings.end());
  int col = static_cast<int>(it - headings.begin());
  for (int r = 0; r < 4; ++r) EXPECT_EQ(std::stol(dlg->Cell(r, col)), expected[r]) << r;
}

}  // namespace
