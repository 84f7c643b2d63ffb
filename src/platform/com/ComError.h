// The database error: an exception carrying the result code of a failed call.
// Its message text is built from the code alone, on first request. Beside it, as
// ADO carries a provider's description in its Errors collection, it may carry a
// description: one phrase in the program's language that names the cause and the
// object (the table, column, stretch of a statement, file or page), with no full
// stop at its end. Both programs show it: the window under its box's text, the
// command line as its message.
#pragma once
#include <string>
#include "platform/com/HResult.h"

class _com_error {
 public:
  explicit _com_error(HRESULT hr) : m_hr(hr) {}
  _com_error(HRESULT hr, std::string description)
      : m_hr(hr), m_description(std::move(description)) {}
  HRESULT Error() const { return m_hr; }
  // The provider's description (UTF-8), or empty when the raiser gave none.
  const std::string& Description() const { return m_description; }
  // Whether the file reader raised it for damage it found (a page, row or value
  // that fails its checks): kelvane-export's --salvage reads past such damage.
  bool IsDamage() const { return m_damage; }
  _com_error& MarkDamage() { m_damage = true; return *this; }
  // The system text of the code (UTF-8), one trailing line break removed, or the
  // "IDispatch error #%d" / "Unknown error 0x%0lX" fallback. Built once, then kept.
  const char* ErrorMessage() const;

 private:
  HRESULT m_hr;
  std::string m_description;
  bool m_damage = false;
  mutable std::string m_message;
  mutable bool m_built = false;
};

// Raises the database error for a failed result; does nothing for success.
inline void _com_issue_errorex(HRESULT hr) { if (FAILED(hr)) throw _com_error(hr); }

// The system message text of a code in the user's language (zh or English), or
// empty when the platform has none. The table of codes we raise lives behind this.
std::string SystemMessageText(HRESULT hr);

// Per-thread COM initialisation count: every operation leaves it where it found it.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();
int CoInitializeCount();
