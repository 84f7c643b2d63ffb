#include "export/FailureText.h"

std::string FailureReason(const _com_error& e) {
  std::string text = e.ErrorMessage();
  static const std::string kWideStop = "。";
  if (text.size() >= kWideStop.size() && text.compare(text.size() - kWideStop.size(), kWideStop.size(), kWideStop) == 0) {
    text.erase(text.size() - kWideStop.size());
  } else if (!text.empty() && text.back() == '.') {
    text.pop_back();
  }
  return text;
}
