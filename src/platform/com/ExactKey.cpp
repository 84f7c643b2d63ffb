#include "platform/com/ExactKey.h"

#include <cstdint>

namespace {

using U128 = unsigned __int128;

const unsigned char kTag[2] = {0xE7, 0x4A};
constexpr int kCountBytes = 24;
const uint64_t kTenTo[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000,
                           1000000000, 10000000000ull, 100000000000ull, 1000000000000ull,
                           10000000000000ull, 100000000000000ull, 1000000000000000ull,
                           10000000000000000ull};

// A count of 10^-28 in three limbs, least significant first.
struct Count {
  uint64_t limb[3] = {};

  void Multiply(uint64_t k) {
    U128 carry = 0;
    for (uint64_t& l : limb) {
      const U128 p = static_cast<U128>(l) * k + carry;
      l = static_cast<uint64_t>(p);
      carry = p >> 64;
    }
  }
  // Divides by d when it divides evenly; false (and unchanged) when it does not.
  // Limbs of zero at the top cost nothing.
  bool DivideExactly(uint64_t d) {
    Count q;
    U128 rest = 0;
    int top = 2;
    while (top > 0 && limb[top] == 0) --top;
    if (top == 0) {
      if (limb[0] % d != 0) return false;
      limb[0] /= d;
      return true;
    }
    for (int i = top; i >= 0; --i) {
      const U128 cur = rest << 64 | limb[i];
      q.limb[i] = static_cast<uint64_t>(cur / d);
      rest = cur % d;
    }
    if (rest != 0) return false;
    *this = q;
    return true;
  }
  // The number of trailing zero bits (192 for zero).
  int TrailingZeroBits() const {
    for (int i = 0; i < 3; ++i)
      if (limb[i]) return 64 * i + __builtin_ctzll(limb[i]);
    return 192;
  }
  // Two's complement negation, and the offset of 2^191 as a flip of the top bit.
  void Negate() {
    uint64_t carry = 1;
    for (uint64_t& l : limb) {
      l = ~l + carry;
      carry = carry && l == 0;
    }
  }
};

}  // namespace

void PutExactKey(const Exact& value, unsigned char* out) {
  Count c;
  const U128 m = value.Magnitude();
  c.limb[0] = static_cast<uint64_t>(m);
  c.limb[1] = static_cast<uint64_t>(m >> 64);
  for (int n = Exact::kMaxScale - value.Scale(); n > 0; n -= 16) c.Multiply(kTenTo[n < 16 ? n : 16]);
  if (value.IsNegative()) c.Negate();
  c.limb[2] ^= uint64_t{1} << 63;
  out[0] = kTag[0];
  out[1] = kTag[1];
  for (int i = 0; i < kCountBytes; ++i) out[2 + i] = static_cast<unsigned char>(c.limb[2 - i / 8] >> (56 - 8 * (i % 8)));
}

bool ExactOfKey(const void* bytes, size_t size, Exact* out) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  if (size != kExactKeySize || p[0] != kTag[0] || p[1] != kTag[1]) return false;
  Count c;
  for (int i = 0; i < kCountBytes; ++i) c.limb[2 - i / 8] = c.limb[2 - i / 8] << 8 | p[2 + i];
  c.limb[2] ^= uint64_t{1} << 63;
  const bool negative = c.limb[2] >> 63;
  if (negative) c.Negate();
  // The trailing zeros of the count go, in steps of 16, 8, 4, 2 and 1 digits. A
  // count that ends in k decimal zeros ends in at least k binary zeros, which
  // bounds the attempts: most succeed.
  int scale = Exact::kMaxScale;
  int most = c.TrailingZeroBits();
  for (int step : {16, 8, 4, 2, 1})
    while (scale >= step && most >= step && c.DivideExactly(kTenTo[step])) scale -= step, most -= step;
  if (c.limb[2] != 0 || c.limb[1] >> 32 != 0) return false;
  *out = Exact::OfParts(negative, static_cast<U128>(c.limb[1]) << 64 | c.limb[0], scale);
  return true;
}

namespace {

// A magnitude in four limbs, least significant first.
struct Wide {
  uint64_t limb[4] = {};

  bool Zero() const { return (limb[0] | limb[1] | limb[2] | limb[3]) == 0; }
  bool FitsDecimal() const { return limb[3] == 0 && limb[2] == 0 && limb[1] >> 32 == 0; }
  // Divides by d, giving the remainder.
  uint64_t Divide(uint64_t d) {
    U128 rest = 0;
    for (int i = 3; i >= 0; --i) {
      const U128 cur = rest << 64 | limb[i];
      limb[i] = static_cast<uint64_t>(cur / d);
      rest = cur % d;
    }
    return static_cast<uint64_t>(rest);
  }
};

void Negate(uint64_t* limb, int n) {
  uint64_t carry = 1;
  for (int i = 0; i < n; ++i) {
    limb[i] = ~limb[i] + carry;
    carry = carry && limb[i] == 0;
  }
}

}  // namespace

bool ExactKeySum::AddKey(const void* bytes, size_t size) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  if (size != kExactKeySize || p[0] != kTag[0] || p[1] != kTag[1]) return false;
  uint64_t add[4] = {};
  for (int i = 0; i < kCountBytes; ++i) add[2 - i / 8] = add[2 - i / 8] << 8 | p[2 + i];
  add[2] ^= uint64_t{1} << 63;  // the offset undone: a two's complement count
  if (add[2] >> 63) add[3] = ~uint64_t{0};
  uint64_t carry = 0;
  for (int i = 0; i < 4; ++i) {
    const U128 s = static_cast<U128>(limb[i]) + add[i] + carry;
    limb[i] = static_cast<uint64_t>(s);
    carry = static_cast<uint64_t>(s >> 64);
  }
  return true;
}

void ExactKeySum::Add(const Exact& value) {
  unsigned char key[kExactKeySize];
  PutExactKey(value, key);
  AddKey(key, sizeof key);
}

bool ExactKeySum::Value(Exact* out) const {
  Wide w;
  for (int i = 0; i < 4; ++i) w.limb[i] = limb[i];
  const bool negative = w.limb[3] >> 63;
  if (negative) Negate(w.limb, 4);
  int scale = Exact::kMaxScale;
  if (w.Zero()) return *out = Exact(), true;
  // Trailing zeros dropped, then digits rounded off half to even until the
  // mantissa fits 96 bits.
  for (Wide q = w; scale > 0 && q.Divide(10) == 0; q = w) w = q, --scale;
  uint64_t last = 0;
  bool sticky = false;
  while (!w.FitsDecimal()) {
    if (scale == 0) return false;
    sticky = sticky || last != 0;
    last = w.Divide(10);
    --scale;
    if (w.FitsDecimal() && (last > 5 || (last == 5 && (sticky || (w.limb[0] & 1))))) {
      uint64_t carry = 1;
      for (int i = 0; i < 4 && carry; ++i) carry = ++w.limb[i] == 0;
    }
  }
  *out = Exact::OfParts(negative, static_cast<U128>(w.limb[1]) << 64 | w.limb[0], scale);
  return true;
}
