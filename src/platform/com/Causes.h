// The catalog of failure causes: the descriptions a database error carries, in the
// program's language. The window's failure boxes and kelvane-export's messages both
// take their words from here, so one cause reads the same in both.
#pragma once
#include <string>

#include "platform/com/ComError.h"

// The description of a failure: the one its raiser gave (naming the object), else
// the cause its code stands for in general terms, else empty. For damage the reader
// found (e.IsDamage()), `advice` adds a second sentence: that kelvane-export's
// --salvage can export the records after it (the window's description line shows
// it so; kelvane-export says it its own way and asks without).
std::string FailureDescription(const _com_error& e, bool advice = true);
