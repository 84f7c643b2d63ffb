#include "platform/jet/sql/Money.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/jet/sql/AggregateState.h"
#include "platform/jet/sql/Decimal.h"
#include "platform/jet/sql/VirtualTable.h"

namespace jet {

const char kCurrencyAdd[] = "vba_cyadd";
const char kCurrencySubtract[] = "vba_cysub";
const char kCurrencySum[] = "vba_cysum";
const char kCurrencyAverage[] = "vba_cyavg";
const char kDecimalAdd[] = "vba_decadd";
const char kDecimalSubtract[] = "vba_decsub";
const char kDecimalSum[] = "vba_decsum";
const char kCurrencyText[] = "vba_currencytext";

namespace {

using I128 = __int128;

// An exact number: mantissa * 10^-scale. Currency always has scale 4.
struct Exact {
  I128 m = 0;
  int scale = 0;
};

const I128 kMaxDecimal = (static_cast<I128>(1) << 96) - 1;
const I128 kMaxCurrency = INT64_MAX;
const double kCurrencyLimit = 922337203685477.5807;

enum class Kind { Currency, Decimal };

void Overflow(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Overflow", -1); }
void Mismatch(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Data type mismatch", -1); }

ScanState* State(sqlite3_context* ctx) { return static_cast<ScanState*>(sqlite3_user_data(ctx)); }

// A text operand as VBA reads one: a number, or no value of this kind.
bool TextNumber(sqlite3_value* v, double* out) {
  const char* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
  if (!t) return false;
  char* end = nullptr;
  *out = std::strtod(t, &end);
  while (end && *end == ' ') ++end;
  return end && end != t && *end == '\0' && std::isfinite(*out);
}

// The Currency a value stands for: an integer as it is, a REAL as the amount it is
// nearest (or the exact value remembered for it). 0: read; 1: no number; 2: too large.
int ReadCurrency(sqlite3_value* v, ScanState* state, Exact* out) {
  double r;
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: {
      const sqlite3_int64 n = sqlite3_value_int64(v);
      if (n > 922337203685477LL || n < -922337203685477LL) return 2;
      out->m = static_cast<I128>(n) * 10000;
      out->scale = 4;
      return 0;
    }
    case SQLITE_FLOAT: {
      r = sqlite3_value_double(v);
      auto exact = state->currencyByReal.find(r);
      if (exact != state->currencyByReal.end()) {
        out->m = exact->second;
        out->scale = 4;
        return 0;
      }
      break;
    }
    default:
      if (!TextNumber(v, &r)) return 1;
  }
  if (!(std::fabs(r) <= kCurrencyLimit)) return 2;
  out->m = std::llround(r * 10000.0);
  out->scale = 4;
  return 0;
}

Exact FromDecimal(const DECIMAL& d) {
  Exact e;
  e.m = (static_cast<I128>(d.hi32) << 64) | d.lo64;
  if (d.negative) e.m = -e.m;
  e.scale = d.scale;
  return e;
}

DECIMAL ToDecimal(const Exact& e) {
  DECIMAL d;
  const I128 m = e.m < 0 ? -e.m : e.m;
  d.negative = e.m < 0;
  d.scale = static_cast<uint8_t>(e.scale);
  d.lo64 = static_cast<uint64_t>(m);
  d.hi32 = static_cast<uint32_t>(m >> 64);
  return d;
}

// The Decimal a value stands for: an integer as it is, a REAL as the shortest
// decimal that reads back as it (or the exact value remembered for it).
int ReadDecimal(sqlite3_value* v, ScanState* state, Exact* out) {
  double r;
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      *out = Exact{sqlite3_value_int64(v), 0};
      return 0;
    case SQLITE_FLOAT: {
      r = sqlite3_value_double(v);
      auto exact = state->decimalByReal.find(r);
      if (exact != state->decimalByReal.end()) {
        *out = FromDecimal(exact->second);
        return 0;
      }
      break;
    }
    default: {
      DECIMAL d;
      const char* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
      if (t && ParseDecimal(t, &d)) {
        *out = FromDecimal(d);
        return 0;
      }
      if (!TextNumber(v, &r)) return 1;
    }
  }
  if (!std::isfinite(r) || std::fabs(r) > 7.9e28) return 2;
  *out = FromDecimal(DecimalFromDouble(r));
  return 0;
}

int Read(Kind kind, sqlite3_value* v, ScanState* state, Exact* out) {
  return kind == Kind::Currency ? ReadCurrency(v, state, out) : ReadDecimal(v, state, out);
}

bool Times10(I128* m) { return !__builtin_mul_overflow(*m, static_cast<I128>(10), m); }

// Rounds half to even, one decimal less.
void DropDigit(Exact* e) {
  I128 q = e->m / 10, r = e->m % 10;
  if (r > 5 || r < -5 || ((r == 5 || r == -5) && (q & 1))) q += e->m < 0 ? -1 : 1;
  e->m = q;
  --e->scale;
}

// a + b, exactly where the kind's range allows; false when the result leaves it.
// Decimal, as OLE's: when the digits do not fit, the least significant go, rounded.
bool Add(Kind kind, Exact a, Exact b, Exact* out) {
  while (a.scale < b.scale) {
    if (!Times10(&a.m)) return false;
    ++a.scale;
  }
  while (b.scale < a.scale) {
    if (!Times10(&b.m)) return false;
    ++b.scale;
  }
  Exact sum{0, a.scale};
  if (__builtin_add_overflow(a.m, b.m, &sum.m)) return false;
  const I128 max = kind == Kind::Currency ? kMaxCurrency : kMaxDecimal;
  while ((sum.m > max || sum.m < -max) && kind == Kind::Decimal && sum.scale > 0) DropDigit(&sum);
  if (sum.m > max || sum.m < -max) return false;
  *out = sum;
  return true;
}

// Hands out the REAL nearest the exact value, and remembers the value by it when
// that REAL does not give it back.
void Result(Kind kind, sqlite3_context* ctx, const Exact& e) {
  ScanState* state = State(ctx);
  if (kind == Kind::Currency) {
    const int64_t cy = static_cast<int64_t>(e.m);
    double amount;
    if (!CurrencyFitsDouble(cy, &amount) && state->currencyByReal.size() < ScanState::kMaxInexact)
      state->currencyByReal[amount] = cy;
    return sqlite3_result_double(ctx, amount);
  }
  const DECIMAL d = ToDecimal(e);
  const double real = DecimalToDouble(d);
  if (!SameDecimal(Rescaled(DecimalFromDouble(real), d.scale), d) &&
      state->decimalByReal.size() < ScanState::kMaxInexact)
    state->decimalByReal[real] = d;
  sqlite3_result_double(ctx, real);
}

template <Kind kKind, bool kMinus>
void AddFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(ctx);
  Exact a, b, sum;
  for (int i = 0; i < 2; ++i) {
    const int read = Read(kKind, argv[i], State(ctx), i == 0 ? &a : &b);
    if (read == 1) return Mismatch(ctx);
    if (read == 2) return Overflow(ctx);
  }
  if (kMinus) b.m = -b.m;
  if (!Add(kKind, a, b, &sum)) return Overflow(ctx);
  Result(kKind, ctx, sum);
}

// Sum and Avg: the exact total of the values that are not NULL, and their count.
// It holds an __int128, so it lives where AggregateState aligns it.
struct Total {
  Exact sum;
  sqlite3_int64 count;
};

template <Kind kKind>
void SumStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  auto* t = AggregateState<Total>(ctx, true);
  if (!t) return sqlite3_result_error_nomem(ctx);
  Exact v;
  const int read = Read(kKind, argv[0], State(ctx), &v);
  if (read == 1) return Mismatch(ctx);
  if (read == 2 || !Add(kKind, t->sum, v, &t->sum)) return Overflow(ctx);
  ++t->count;
}

template <Kind kKind>
void SumFinal(sqlite3_context* ctx) {
  auto* t = AggregateState<Total>(ctx, false);
  if (!t || t->count == 0) return sqlite3_result_null(ctx);
  Result(kKind, ctx, t->sum);
}

// The mean, rounded half to even to Currency's ten-thousandths.
void AverageFinal(sqlite3_context* ctx) {
  auto* t = AggregateState<Total>(ctx, false);
  if (!t || t->count == 0) return sqlite3_result_null(ctx);
  I128 q = t->sum.m / t->count, r = t->sum.m % t->count;
  const I128 twice = (r < 0 ? -r : r) * 2;
  if (twice > t->count || (twice == t->count && (q & 1))) q += t->sum.m < 0 ? -1 : 1;
  Result(Kind::Currency, ctx, Exact{q, 4});
}

void TextFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Exact e;
  if (sqlite3_value_type(argv[0]) != SQLITE_FLOAT || ReadCurrency(argv[0], State(ctx), &e) != 0)
    return sqlite3_result_value(ctx, argv[0]);
  VARIANT v;
  v.vt = VT_CY;
  v.cyVal = static_cast<int64_t>(e.m);
  std::string text;
  if (VariantToText(v, &text) != S_OK) return sqlite3_result_value(ctx, argv[0]);
  sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

}  // namespace

bool RegisterExactMoney(sqlite3* db, ScanState* state) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  auto scalar = [&](const char* name, void (*fn)(sqlite3_context*, int, sqlite3_value**)) {
    return sqlite3_create_function(db, name, 2, flags, state, fn, nullptr, nullptr) == SQLITE_OK;
  };
  auto aggregate = [&](const char* name, void (*step)(sqlite3_context*, int, sqlite3_value**),
                       void (*final)(sqlite3_context*)) {
    return sqlite3_create_function(db, name, 1, flags, state, nullptr, step, final) == SQLITE_OK;
  };
  return sqlite3_create_function(db, kCurrencyText, 1, flags, state, TextFunction, nullptr, nullptr) == SQLITE_OK &&
         scalar(kCurrencyAdd, AddFunction<Kind::Currency, false>) &&
         scalar(kCurrencySubtract, AddFunction<Kind::Currency, true>) &&
         scalar(kDecimalAdd, AddFunction<Kind::Decimal, false>) &&
         scalar(kDecimalSubtract, AddFunction<Kind::Decimal, true>) &&
         aggregate(kCurrencySum, SumStep<Kind::Currency>, SumFinal<Kind::Currency>) &&
         aggregate(kCurrencyAverage, SumStep<Kind::Currency>, AverageFinal) &&
         aggregate(kDecimalSum, SumStep<Kind::Decimal>, SumFinal<Kind::Decimal>);
}

}  // namespace jet
