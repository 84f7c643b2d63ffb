#include "platform/com/ComError.h"

#include <cstdio>

// The text is built as _com_error::ErrorMessage builds it on Windows: the system
// text without its one trailing line break, else one of two fallback formats.
const char* _com_error::ErrorMessage() const {
  if (m_built) return m_message.c_str();
  std::string text = SystemMessageText(m_hr);
  if (!text.empty()) {
    if (text.size() > 1 && text.back() == '\n') {
      text.pop_back();
      if (!text.empty() && text.back() == '\r') text.pop_back();
    }
    m_message = std::move(text);
  } else {
    char buf[32];
    uint32_t code = static_cast<uint32_t>(m_hr);
    if (code >= 0x80040200u && code <= 0x8004FFFFu && code - 0x80040200u != 0) {
      std::snprintf(buf, sizeof buf, "IDispatch error #%d", static_cast<int>(code - 0x80040200u));
    } else {
      std::snprintf(buf, sizeof buf, "Unknown error 0x%0lX", static_cast<unsigned long>(code));
    }
    m_message = buf;
  }
  m_built = true;
  return m_message.c_str();
}
