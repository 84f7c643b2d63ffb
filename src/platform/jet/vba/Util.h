// Helpers shared by the VBA function files: UTF-8 walking, simple case mapping,
// and reading SQLite values the way VBA converts its arguments.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "platform/com/Exact.h"

namespace jet::vba {

// Decodes one UTF-8 character at p (p < end) and advances p; a stray byte stands
// for itself, so no input is ever lost.
uint32_t NextChar(const unsigned char*& p, const unsigned char* end);
void AppendChar(uint32_t cp, std::string* out);
// Simple case mapping of ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and the
// full-width Latin letters.
uint32_t FoldChar(uint32_t cp);
uint32_t UpperChar(uint32_t cp);
// Number of characters (not bytes) of UTF-8 text.
int64_t CharCount(const unsigned char* p, int len);
// Byte offset of character `chars` of the text (clamped to its length).
int ByteOffset(const unsigned char* p, int len, int64_t chars);

// A Currency or Decimal that travels as an exact BLOB (platform/com/ExactKey.h):
// its number; false for any other value.
bool ExactBlob(sqlite3_value* v, Exact* out);
// The text of a value as CStr gives it (numbers in their shortest form, an exact
// BLOB's number in Jet's text).
std::string ValueText(sqlite3_value* v);
// A value read as a number: numbers as they are, text parsed as a number, an
// exact BLOB as the double nearest its number; false for text that is no number.
bool ValueNumber(sqlite3_value* v, double* out);
// A value read as a date (day number): numbers as they are, text as a date or a
// number; false otherwise.
bool ValueDate(sqlite3_value* v, double* out);
// Sets a result from an integer: as an integer, or a REAL when it leaves 32 bits
// (as Jet's Long would overflow into a Double).
void ResultWhole(sqlite3_context* ctx, double value);

// What every function file sets the same way: a text result, VBA's run-time
// errors by their message and the NULL test of the arguments.
void ResultString(sqlite3_context* ctx, const std::string& text);
void ErrorMismatch(sqlite3_context* ctx);     // VBA error 13
void ErrorInvalidCall(sqlite3_context* ctx);  // VBA error 5
void ErrorOverflow(sqlite3_context* ctx);     // VBA error 6
bool HasNull(int argc, sqlite3_value** argv);
// Whether a text result of `bytes` stays within SQLite's length limit; false
// (and SQLite's "too big" error set) when not, before anything is allocated.
bool FitsLength(sqlite3_context* ctx, double bytes);
// A number argument; false (and the mismatch error set) when it is none.
bool NumberArg(sqlite3_context* ctx, sqlite3_value* v, double* out);

}  // namespace jet::vba
