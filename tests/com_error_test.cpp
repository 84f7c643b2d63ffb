// The database error's message text: system texts in the locale's language,
// the one-line-break rule, the two fallback formats; the per-thread COM count.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "platform/com/Causes.h"
#include "platform/com/ComError.h"
#include "platform/com/Errno.h"
#include "platform/com/SystemMessages.h"
#include "platform/com/Translate.h"

namespace {

// Runs with the message language fixed by LC_ALL, whatever the machine's is.
class Language {
 public:
  explicit Language(const char* lcAll) {
    const char* old = std::getenv("LC_ALL");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("LC_ALL", lcAll, 1);
    SetCatalogFolderForTest(KELVANE_BINARY_DIR "/locale");
    ChooseLanguage();
  }
  ~Language() {
    if (had_) setenv("LC_ALL", old_.c_str(), 1); else unsetenv("LC_ALL");
    ChooseLanguage();
  }
 private:
  bool had_ = false;
  std::string old_;
};

std::string Message(HRESULT hr) { return _com_error(hr).ErrorMessage(); }

TEST(ComErrorText, CodesOfTheProviderInEnglish) {
  Language en("en_US.UTF-8");
  EXPECT_EQ(Message(E_FAIL), "Unspecified error");
  EXPECT_EQ(Message(E_POINTER), "Invalid pointer");
  EXPECT_EQ(Message(E_OUTOFMEMORY), "Not enough storage is available to complete this operation.");
  EXPECT_EQ(Message(DISP_E_TYPEMISMATCH), "Type mismatch.");
  EXPECT_EQ(Message(JET_E_PASSWORD), "IDispatch error #3149");
  EXPECT_EQ(Message(JET_E_EMPTYSTATEMENT), "IDispatch error #3084");
  EXPECT_EQ(Message(JET_E_SYNTAX), "IDispatch error #3092");
  EXPECT_EQ(Message(JET_E_NOTABLE), "IDispatch error #3127");
  EXPECT_EQ(Message(JET_E_NOCOLUMN), "IDispatch error #3088");
  EXPECT_EQ(Message(JET_E_SUBQUERYROWS), "At most one record can be returned by this subquery.");
  EXPECT_EQ(Message(HResultFromErrno(ENOENT)), "The system cannot find the file specified.");
  EXPECT_EQ(Message(HResultFromErrno(EACCES)), "Access is denied.");
  EXPECT_EQ(Message(HResultFromErrno(ENOSPC)), "There is not enough space on the disk.");
  EXPECT_EQ(Message(HResultFromErrno(EISDIR)), "Access is denied.");
}

TEST(ComErrorText, CodesOfTheProviderInChinese) {
  Language zh("zh_CN.UTF-8");
  EXPECT_EQ(Message(E_FAIL), "未指定的错误");
  EXPECT_EQ(Message(E_POINTER), "无效指针");
  EXPECT_EQ(Message(DISP_E_TYPEMISMATCH), "类型不匹配。");
  EXPECT_EQ(Message(HResultFromErrno(ENOENT)), "系统找不到指定的文件。");
  EXPECT_EQ(Message(JET_E_SUBQUERYROWS), "此子查询最多只能返回一条记录。");
  EXPECT_EQ(Message(JET_E_SYNTAX), "IDispatch error #3092");  // no system text in any language
}

TEST(ComErrorText, LanguageFollowsLcAllThenLcMessagesThenLang) {
  const char* saved[3] = {std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")};
  std::string copies[3];
  for (int i = 0; i < 3; ++i) if (saved[i]) copies[i] = saved[i];
  unsetenv("LC_ALL");
  setenv("LC_MESSAGES", "", 1);
  setenv("LANG", "zh_TW.UTF-8", 1);
  EXPECT_TRUE(LanguageIsChinese());
  setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
  EXPECT_FALSE(LanguageIsChinese());
  setenv("LC_MESSAGES", "C", 1);  // the locale the texts were written for
  EXPECT_TRUE(LanguageIsChinese());
  setenv("LC_ALL", "zh_CN.GBK", 1);
  EXPECT_TRUE(LanguageIsChinese());
  const char* names[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  for (int i = 0; i < 3; ++i) {
    if (saved[i]) setenv(names[i], copies[i].c_str(), 1); else unsetenv(names[i]);
  }
}

TEST(ComErrorText, FallbackFormatsAtTheEdgesOfTheDispatchRange) {
  EXPECT_EQ(Message(static_cast<HRESULT>(0x80040200)), "Unknown error 0x80040200");  // difference 0
  EXPECT_EQ(Message(static_cast<HRESULT>(0x80040201)), "IDispatch error #1");
  EXPECT_EQ(Message(static_cast<HRESULT>(0x8004FFFF)), "IDispatch error #65023");
  EXPECT_EQ(Message(static_cast<HRESULT>(0x800401FF)), "Unknown error 0x800401FF");
  EXPECT_EQ(Message(static_cast<HRESULT>(0x80050000)), "Unknown error 0x80050000");
  EXPECT_EQ(Message(static_cast<HRESULT>(0x800A0BCD)), "Unknown error 0x800A0BCD");  // ADO's own
  EXPECT_EQ(Message(static_cast<HRESULT>(0x0000ABCD)), "Unknown error 0xABCD");  // unpadded
}

std::string FakeTexts(HRESULT hr) {
  switch (static_cast<uint32_t>(hr)) {
    case 0xA0000001u: return "one\r\n";
    case 0xA0000002u: return "two\r\n\r\n";
    case 0xA0000003u: return "lf only\n";
    case 0xA0000004u: return "\n";
    case 0xA0000005u: return "cr only\r";
    case 0xA0000006u: return "\r\n";
    default: return "";
  }
}

TEST(ComErrorText, OnlyOneTrailingLineBreakIsRemoved) {
  SetSystemTextSourceForTest(&FakeTexts);
  EXPECT_EQ(Message(static_cast<HRESULT>(0xA0000001)), "one");
  EXPECT_EQ(Message(static_cast<HRESULT>(0xA0000002)), "two\r\n");
  EXPECT_EQ(Message(static_cast<HRESULT>(0xA0000003)), "lf only");
  EXPECT_EQ(Message(static_cast<HRESULT>(0xA0000004)), "\n");  // one character: kept
  EXPECT_EQ(Message(static_cast<HRESULT>(0xA0000005)), "cr only\r");  // no LF: kept
  EXPECT_EQ(Message(static_cast<HRESULT>(0xA0000006)), "");
  SetSystemTextSourceForTest(nullptr);
}

TEST(CoInitializeCount, CountsPerThread) {
  int base = CoInitializeCount();
  EXPECT_EQ(CoInitialize(nullptr), base == 0 ? S_OK : S_FALSE);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  EXPECT_EQ(CoInitializeCount(), base + 2);
  std::thread([] { EXPECT_EQ(CoInitializeCount(), 0); }).join();
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(CoInitializeCount(), base);
  if (base == 0) {
    CoUninitialize();  // unbalanced: stays at zero
    EXPECT_EQ(CoInitializeCount(), 0);
  }
}

}  // namespace

// Damage the reader found: the window's description adds that kelvane-export's
// --salvage can export the records after it; the command line asks without.
TEST(ComError, DamageDescriptionAdvisesSalvage) {
  _com_error damage(E_FAIL, "table Orders: data page 7 is damaged (wrong page type)");
  damage.MarkDamage();
  EXPECT_NE(FailureDescription(damage).find("--salvage"), std::string::npos);
  EXPECT_EQ(FailureDescription(damage, false), damage.Description());
  EXPECT_EQ(FailureDescription(_com_error(E_FAIL, "x")), "x");
}
