// CString holds UTF-8 bytes: lengths and positions count bytes, lower-casing is
// ASCII-only (so a Chinese text is never split), and searches never match inside a
// multi-byte character.
#include <gtest/gtest.h>

#include "platform/mfc/CString.h"

TEST(CString, BytesNotCharacters) {
  CString s = "表A";
  EXPECT_EQ(s.GetLength(), 4);
  EXPECT_EQ(s.Find("A"), 3);
  EXPECT_EQ(s.Mid(3), "A");
  EXPECT_EQ(s.Left(3), "表");
  EXPECT_EQ(s.Right(1), "A");
  EXPECT_TRUE(CString().IsEmpty());
}

TEST(CString, MakeLowerTouchesAsciiOnly) {
  CString s = "SELECT * FROM [表Ä] WHERE X='É'";
  s.MakeLower();
  EXPECT_EQ(s, "select * from [表Ä] where x='É'");
}

TEST(CString, FindAndMidAtTheEdges) {
  CString s = "select a from t";
  EXPECT_EQ(s.Find("from"), 9);
  EXPECT_EQ(s.Find("from", 10), -1);
  EXPECT_EQ(s.Find("FROM"), -1);
  EXPECT_EQ(s.Find(""), 0);
  EXPECT_EQ(s.Find("x", 99), -1);
  EXPECT_EQ(s.Mid(99), "");
  EXPECT_EQ(s.Mid(-3, 6), "select");
  EXPECT_EQ(s.Mid(9, 100), "from t");
}

TEST(CString, FormatConcatenateCompare) {
  CString s;
  s.Format("select top %d * from %s", 4, "学生");
  EXPECT_EQ(s, "select top 4 * from 学生");
  CString big;
  big.Format("%s", std::string(5000, 'x').c_str());
  EXPECT_EQ(big.GetLength(), 5000);
  CString a = "a";
  EXPECT_EQ(a + "b" + CString("c"), "abc");
  EXPECT_EQ("x" + a, "xa");
  a += "中";
  EXPECT_EQ(a, "a中");
  EXPECT_TRUE(a != "a");
  EXPECT_TRUE(CString("a") < CString("b"));
  std::string viaStd = a;
  EXPECT_EQ(viaStd, "a中");
}
