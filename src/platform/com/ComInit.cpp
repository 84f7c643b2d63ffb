#include "platform/com/ComError.h"

// COM's apartment count, per thread as COM keeps it: the first CoInitialize on a
// thread answers S_OK, a nested one S_FALSE; each needs its CoUninitialize.
namespace {
thread_local int t_initCount = 0;
}

HRESULT CoInitialize(void*) { return t_initCount++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
  if (t_initCount > 0) --t_initCount;
}

int CoInitializeCount() { return t_initCount; }
