// The system message texts come in the program's language (Translate.h).
// SystemMessageText itself is declared in ComError.h.
#pragma once
#include <string>

#include "platform/com/HResult.h"

// Test seam: when set, SystemMessageText asks this first and uses its answer
// when it is not empty, so tests can feed texts the table does not hold.
using SystemTextSource = std::string (*)(HRESULT);
void SetSystemTextSourceForTest(SystemTextSource source);
