// The reason of a failure where a message goes on after it: the window's export
// box ("错误信息:%s。记录行：%d") and the command line's one line both put a full
// stop of their own after the system text, which mostly ends with one already.
#pragma once
#include <string>
#include "platform/com/ComError.h"

// The system text of the failure's code without the full stop ("。" or ".") that
// ends it, so that no message shows two.
std::string FailureReason(const _com_error& e);
