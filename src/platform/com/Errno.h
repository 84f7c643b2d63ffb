// Turns a C library errno into the Win32-facility result code Windows reports
// for the same failure (ENOENT -> ERROR_FILE_NOT_FOUND -> 0x80070002), so that
// the message text and the code match what the program showed there.
#pragma once
#include "platform/com/HResult.h"

// The Win32 error code for an errno value; ERROR_GEN_FAILURE (31) when none fits.
uint32_t Win32ErrorFromErrno(int err);
// HRESULT_FROM_WIN32(Win32ErrorFromErrno(err)); S_OK for 0.
HRESULT HResultFromErrno(int err);
