// CString as the program uses it: a byte string holding UTF-8 text. Positions and
// lengths count bytes, as an MBCS CString counts them; lower-casing touches ASCII
// letters only, so it never splits a multi-byte character.
// To pass a CString to Format or printf, pass (const char*)s or s.GetString().
#pragma once
#include <string>

class CString {
 public:
  CString() = default;
  CString(const char* s) : m_s(s ? s : "") {}  // NOLINT: implicit, as MFC's
  CString(const std::string& s) : m_s(s) {}    // NOLINT
  CString(char c, int count = 1) : m_s(count > 0 ? count : 0, c) {}

  int GetLength() const { return static_cast<int>(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }
  char GetAt(int i) const { return m_s[static_cast<size_t>(i)]; }
  char operator[](int i) const { return GetAt(i); }
  const char* GetString() const { return m_s.c_str(); }
  operator const char*() const { return m_s.c_str(); }  // NOLINT
  operator std::string() const { return m_s; }          // NOLINT: for CCore's string parameters
  const std::string& str() const { return m_s; }

  CString& MakeLower();
  CString& MakeUpper();
  // Byte position of the first occurrence at or after start, or -1.
  int Find(const char* sub, int start = 0) const;
  int Find(char c, int start = 0) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Left(int count) const;
  CString Right(int count) const;
  int Compare(const char* s) const;

  void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

  CString& operator=(const char* s) { m_s = s ? s : ""; return *this; }
  CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
  CString& operator+=(const char* s) { if (s) m_s += s; return *this; }
  CString& operator+=(char c) { m_s += c; return *this; }

  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
  friend CString operator+(const CString& a, const char* b) { return CString(a.m_s + (b ? b : "")); }
  friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_s); }
  friend CString operator+(const CString& a, char b) { return CString(a.m_s + b); }

  friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
  friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
  friend bool operator==(const char* a, const CString& b) { return b == a; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
  friend bool operator!=(const char* a, const CString& b) { return !(b == a); }
  friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }
  friend bool operator<(const CString& a, const char* b) { return a.Compare(b) < 0; }
  friend bool operator>(const CString& a, const char* b) { return a.Compare(b) > 0; }

 private:
  std::string m_s;
};
