// The statements the preview and the export ask for, read from the real controls:
// table mode from the table list, SQL mode from the SQL edit, lowered and cut at the
// first "from".
#include "support/DbDialog.h"

namespace {

class QueryTest : public DbDialogTest {
 protected:
  void SetUp() override {
    DbDialogTest::SetUp();
    dlg->m_strFields = "name,tel";
  }
  // Both statements for the SQL text; the member must end up lowered.
  void ExpectSql(const char* typed, const char* preview, const char* exportSql) {
    dlg->UseSql(typed);
    EXPECT_EQ(dlg->BuildQuery(TRUE).str(), preview) << typed;
    EXPECT_EQ(dlg->BuildQuery(FALSE).str(), exportSql) << typed;
  }
};

TEST_F(QueryTest, TableModeBracketsEveryNameThatIsNotAPlainWord) {
  struct Case { const char* table; const char* inStatement; };
  const Case cases[] = {{"Customers", "Customers"},     {"客户_2", "客户_2"},
                        {"Order Details", "[Order Details]"}, {"2019", "[2019]"},
                        {"Sales-Q1", "[Sales-Q1]"},     {"订单 明细", "[订单 明细]"}};
  for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) dlg->m_cbTable.InsertString(i, cases[i].table);
  for (const Case& c : cases) {
    dlg->SelectTable(c.table);
    EXPECT_EQ(dlg->BuildQuery(TRUE).str(), std::string("select top 4 * from ") + c.inStatement);
    EXPECT_EQ(dlg->BuildQuery(FALSE).str(), std::string("select name,tel from ") + c.inStatement);
    EXPECT_EQ(dlg->m_strTable.str(), c.table) << "the member keeps the name as listed";
  }
}

TEST_F(QueryTest, TableModeWithoutSelectionFailsOnTheStatusLine) {
  dlg->m_strTable = "Stale";
  dlg->m_cbTable.InsertString(0, "Customers");  // listed, but nothing selected
  dlg->SetDlgItemText(IDC_STATIC_STATUS, "等待");
  EXPECT_TRUE(dlg->BuildQuery(TRUE).IsEmpty());
  EXPECT_EQ(dlg->Status().str(), "没有选中任何表格！");
  EXPECT_TRUE(dlg->m_strTable.IsEmpty());
  EXPECT_TRUE(dlg->BuildQuery(FALSE).IsEmpty());
}

TEST_F(QueryTest, TableModeIgnoresTheSqlEdit) {
  dlg->SetDlgItemText(IDC_EDIT_SQL, "SELECT * FROM Other");
  dlg->m_cbTable.InsertString(0, "Customers");
  dlg->SelectTable("Customers");
  EXPECT_EQ(dlg->BuildQuery(TRUE).str(), "select top 4 * from Customers");
  EXPECT_TRUE(dlg->m_strSql.IsEmpty());
}

TEST_F(QueryTest, WorkedExamplesOfSqlMode) {
  ExpectSql("SELECT Name, Tel FROM Customers WHERE City='Beijing' ORDER BY Name",
            "select top 4 * from customers where city='beijing' order by name",
            "select name,tel from customers where city='beijing' order by name");
  ExpectSql("select top 10 * from t", "select top 4 * from t", "select name,tel from t");
  ExpectSql("SELECT *\r\nFROM t", "select top 4 * from t", "select name,tel from t");
  // The first "from" is the one inside the column name.
  ExpectSql("select fromdate, id from orders", "select top 4 * fromdate, id from orders",
            "select name,tel fromdate, id from orders");
}

TEST_F(QueryTest, SqlModeLowersTheMemberButNotTheEdit) {
  const char* typed = "SELECT Name, Tel FROM Customers WHERE City='Beijing' ORDER BY Name";
  dlg->UseSql(typed);
  dlg->BuildQuery(TRUE);
  EXPECT_EQ(dlg->m_strSql.str(), "select name, tel from customers where city='beijing' order by name");
  EXPECT_EQ(dlg->Text(IDC_EDIT_SQL).str(), typed);
}

TEST_F(QueryTest, SqlModeKeepsLineBreaksAndTailAsTyped) {
  ExpectSql("SELECT a\r\nFROM t\r\nWHERE x = 1;", "select top 4 * from t\r\nwhere x = 1;",
            "select name,tel from t\r\nwhere x = 1;");
}

TEST_F(QueryTest, NonAsciiTextIsNeitherLoweredNorSplit) {
  // Ä and the Chinese characters are multibyte: only the ASCII letters change.
  ExpectSql("SELECT * FROM 客户 WHERE 名称='ÄPFEL' AND Ö=1",
            "select top 4 * from 客户 where 名称='Äpfel' and Ö=1",
            "select name,tel from 客户 where 名称='Äpfel' and Ö=1");
  // "FROM" spelled with a full-width letter is no "from".
  dlg->UseSql("SELECT * ＦROM t");
  EXPECT_TRUE(dlg->BuildQuery(TRUE).IsEmpty());
  EXPECT_EQ(dlg->Status().str(), "无效的SQL查询语句！");
}

TEST_F(QueryTest, SqlModeFailures) {
  dlg->UseSql("");
  EXPECT_TRUE(dlg->BuildQuery(TRUE).IsEmpty());
  EXPECT_EQ(dlg->Status().str(), "请指定SQL查询语句！");

  dlg->UseSql("select 1");
  EXPECT_TRUE(dlg->BuildQuery(TRUE).IsEmpty());
  EXPECT_EQ(dlg->Status().str(), "无效的SQL查询语句！");
  EXPECT_EQ(dlg->m_strSql.str(), "select 1");

  // Blanks are text: no "from" rather than no statement.
  dlg->SetDlgItemText(IDC_STATIC_STATUS, "等待");
  dlg->UseSql("   ");
  EXPECT_TRUE(dlg->BuildQuery(FALSE).IsEmpty());
  EXPECT_EQ(dlg->Status().str(), "无效的SQL查询语句！");
}

TEST_F(QueryTest, SqlModeIgnoresTheTableList) {
  dlg->m_cbTable.InsertString(0, "Customers");
  dlg->SelectTable("Customers");
  dlg->UseSql("SELECT * FROM Orders");
  EXPECT_EQ(dlg->BuildQuery(TRUE).str(), "select top 4 * from orders");
  EXPECT_TRUE(dlg->m_strTable.IsEmpty());
}

}  // namespace
