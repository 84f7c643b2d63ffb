#include "platform/com/Translate.h"

const char* Translate(const char* source) { return source; }
