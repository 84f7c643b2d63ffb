// An exact number (Exact.h) as a key of fixed length whose byte order, compared
// with memcmp, is the numbers' order, and which is the same for equal numbers
// whatever their scale (18 and 18.0000 give one key). Whatever compares or groups
// bytes (SQLite's BLOBs: =, <, ORDER BY, GROUP BY, DISTINCT, min, max) so
// compares and groups the numbers.
//
// The key is two tag bytes, then the number as a whole count of 10^-28 (below
// 2^190 in magnitude), offset by 2^191 so that negatives come first, in 24 bytes
// big-endian. The tag tells a key from other bytes of its length.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/com/Exact.h"

constexpr size_t kExactKeySize = 26;

void PutExactKey(const Exact& value, unsigned char* out);
// The number of a key, at the smallest scale that holds it; false for bytes that
// are no key.
bool ExactOfKey(const void* bytes, size_t size, Exact* out);

// A running total of exact numbers, for sums over many rows: adding a key costs
// a few additions where reading its number back would cost divisions. The sum is
// exact until it is read (Value), where it is rounded as Exact's arithmetic
// rounds a result of more digits than a Decimal holds. All zero bits is zero, so
// memory another zeroes (SQLite's aggregate memory) starts a total.
struct ExactKeySum {
  uint64_t limb[4];  // a two's complement count of 10^-28, least significant first

  // False for bytes that are no key (the total unchanged).
  bool AddKey(const void* bytes, size_t size);
  void Add(const Exact& value);
  // False when the whole part is beyond a Decimal's range.
  bool Value(Exact* out) const;
};
