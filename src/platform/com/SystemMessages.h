// Which language the system message texts come in: Chinese when the locale's
// language is zh (LC_ALL, else LC_MESSAGES, else LANG), English otherwise.
// SystemMessageText itself is declared in ComError.h.
#pragma once
#include <string>

#include "platform/com/HResult.h"

bool SystemMessagesInChinese();

// Test seam: when set, SystemMessageText asks this first and uses its answer
// when it is not empty, so tests can feed texts the table does not hold.
using SystemTextSource = std::string (*)(HRESULT);
void SetSystemTextSourceForTest(SystemTextSource source);
