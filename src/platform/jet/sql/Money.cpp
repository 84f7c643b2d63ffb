#include "platform/jet/sql/Money.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/com/Exact.h"
#include "platform/com/ExactKey.h"
#include "platform/jet/sql/AggregateState.h"
#include "platform/jet/sql/VirtualTable.h"

namespace jet {

const char kExact[] = "jet_exact";
const char kExactAdd[] = "jet_exact_add";
const char kExactSubtract[] = "jet_exact_sub";
const char kExactMultiply[] = "jet_exact_mul";
const char kExactDivide[] = "jet_exact_div";
const char kExactNegate[] = "jet_exact_neg";
const char kExactCurrency[] = "jet_currency";
const char kExactReal[] = "jet_exact_real";
const char kExactText[] = "jet_exact_text";
const char kExactSum[] = "jet_exact_sum";
const char kExactAverage[] = "jet_exact_avg";

namespace {

enum class Read { Ok, NoNumber, TooLarge };

void Overflow(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Overflow", -1); }
void Mismatch(sqlite3_context* ctx) { sqlite3_result_error(ctx, "Data type mismatch", -1); }
void Fail(sqlite3_context* ctx, Read read) { read == Read::NoNumber ? Mismatch(ctx) : Overflow(ctx); }

// A text operand as VBA reads one: a decimal, exactly, between spaces; else what
// strtod reads (none: no number).
Read TextNumber(sqlite3_value* v, Exact* out) {
  const char* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
  if (!t) return Read::NoNumber;
  const char* end = t + sqlite3_value_bytes(v);
  while (t < end && *t == ' ') ++t;
  while (end > t && end[-1] == ' ') --end;
  if (Exact::Parse(t, static_cast<size_t>(end - t), out)) return Read::Ok;
  char* stop = nullptr;
  const double r = std::strtod(t, &stop);
  if (stop == t || stop != end || !std::isfinite(r)) return Read::NoNumber;
  return Exact::OfDouble(r, out) ? Read::Ok : Read::TooLarge;
}

// The exact value an operand stands for: an integer as it is, a REAL as its
// shortest decimal, text as the number it reads, an exact BLOB as its number.
Read ReadExact(sqlite3_value* v, Exact* out) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
      *out = Exact::OfInteger(sqlite3_value_int64(v));
      return Read::Ok;
    case SQLITE_FLOAT:
      return Exact::OfDouble(sqlite3_value_double(v), out) ? Read::Ok : Read::TooLarge;
    case SQLITE_BLOB:
      return ExactOfKey(sqlite3_value_blob(v), static_cast<size_t>(sqlite3_value_bytes(v)), out) ? Read::Ok
                                                                                                  : Read::NoNumber;
    case SQLITE_TEXT:
      return TextNumber(v, out);
    default:
      return Read::NoNumber;
  }
}

// Hands out a result as an exact BLOB.
void Result(sqlite3_context* ctx, const Exact& e) {
  unsigned char key[kExactKeySize];
  PutExactKey(e, key);
  sqlite3_result_blob(ctx, key, sizeof key, SQLITE_TRANSIENT);
}

enum class Op { Add, Subtract, Multiply, Divide };

template <Op kOp>
void Binary(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(ctx);
  Exact a, b, r;
  for (int i = 0; i < 2; ++i) {
    const Read read = ReadExact(argv[i], i == 0 ? &a : &b);
    if (read != Read::Ok) return Fail(ctx, read);
  }
  bool ok = false;
  switch (kOp) {
    case Op::Add: ok = Exact::Add(a, b, &r); break;
    case Op::Subtract: ok = Exact::Subtract(a, b, &r); break;
    case Op::Multiply: ok = Exact::Multiply(a, b, &r); break;
    case Op::Divide:
      // As VBA's /: 0 / 0 overflows, anything else over zero is its own error.
      if (b.IsZero()) return sqlite3_result_error(ctx, a.IsZero() ? "Overflow" : "Division by zero", -1);
      ok = Exact::Divide(a, b, &r);
      break;
  }
  if (!ok) return Overflow(ctx);
  Result(ctx, r);
}

// jet_exact, jet_exact_neg and jet_currency: one operand.
enum class Unary { AsIs, Negate, Currency };

template <Unary kOp>
void OneOperand(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  Exact e;
  const Read read = ReadExact(argv[0], &e);
  if (read != Read::Ok) return Fail(ctx, read);
  int64_t cy;
  if (kOp == Unary::Negate) e = e.Negated();
  if (kOp == Unary::Currency) {
    if (!e.ToCurrency(&cy)) return Overflow(ctx);
    e = Exact::OfCurrency(cy);
  }
  Result(ctx, e);
}

void RealFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  Exact e;
  // Text that is no number passes as it is, for the function that takes it to judge.
  const Read read = ReadExact(argv[0], &e);
  if (read == Read::NoNumber && sqlite3_value_type(argv[0]) == SQLITE_TEXT) return sqlite3_result_value(ctx, argv[0]);
  if (read != Read::Ok) return Fail(ctx, read);
  sqlite3_result_double(ctx, e.ToDouble());
}

void ExactTextFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  Exact e;
  const Read read = ReadExact(argv[0], &e);
  if (read == Read::NoNumber && sqlite3_value_type(argv[0]) == SQLITE_TEXT) return sqlite3_result_value(ctx, argv[0]);
  if (read != Read::Ok) return Fail(ctx, read);
  char text[Exact::kTextMax];
  sqlite3_result_text(ctx, text, static_cast<int>(e.PutText(text) - text), SQLITE_TRANSIENT);
}

// Sum and Avg: the exact total of the values that are not NULL, and their count.
// An exact BLOB is added as the key it is, without reading its number back.
struct Total {
  ExactKeySum sum;
  sqlite3_int64 count;
};

void SumStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  auto* t = AggregateState<Total>(ctx, true);
  if (!t) return sqlite3_result_error_nomem(ctx);
  ++t->count;
  if (sqlite3_value_type(argv[0]) == SQLITE_BLOB &&
      t->sum.AddKey(sqlite3_value_blob(argv[0]), static_cast<size_t>(sqlite3_value_bytes(argv[0]))))
    return;
  Exact v;
  const Read read = ReadExact(argv[0], &v);
  if (read != Read::Ok) return Fail(ctx, read);
  t->sum.Add(v);
}

void SumFinal(sqlite3_context* ctx) {
  auto* t = AggregateState<Total>(ctx, false);
  Exact sum;
  if (!t || t->count == 0) return sqlite3_result_null(ctx);
  if (!t->sum.Value(&sum)) return Overflow(ctx);
  Result(ctx, sum);
}

// The mean, as many digits as a Decimal holds (jet_currency then rounds a
// Currency's half to even to its ten-thousandths).
void AverageFinal(sqlite3_context* ctx) {
  auto* t = AggregateState<Total>(ctx, false);
  Exact sum, mean;
  if (!t || t->count == 0) return sqlite3_result_null(ctx);
  if (!t->sum.Value(&sum) || !Exact::Divide(sum, Exact::OfInteger(t->count), &mean)) return Overflow(ctx);
  Result(ctx, mean);
}

}  // namespace

bool RegisterExactMoney(sqlite3* db, ScanState* state) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  auto scalar = [&](const char* name, int args, void (*fn)(sqlite3_context*, int, sqlite3_value**)) {
    return sqlite3_create_function(db, name, args, flags, state, fn, nullptr, nullptr) == SQLITE_OK;
  };
  auto aggregate = [&](const char* name, void (*step)(sqlite3_context*, int, sqlite3_value**),
                       void (*final)(sqlite3_context*)) {
    return sqlite3_create_function(db, name, 1, flags, state, nullptr, step, final) == SQLITE_OK;
  };
  return scalar(kExact, 1, OneOperand<Unary::AsIs>) && scalar(kExactNegate, 1, OneOperand<Unary::Negate>) &&
         scalar(kExactCurrency, 1, OneOperand<Unary::Currency>) &&
         scalar(kExactAdd, 2, Binary<Op::Add>) &&
         scalar(kExactSubtract, 2, Binary<Op::Subtract>) &&
         scalar(kExactMultiply, 2, Binary<Op::Multiply>) &&
         scalar(kExactDivide, 2, Binary<Op::Divide>) && scalar(kExactReal, 1, RealFunction) &&
         scalar(kExactText, 1, ExactTextFunction) &&
         aggregate(kExactSum, SumStep, SumFinal) &&
         aggregate(kExactAverage, SumStep, AverageFinal);
}

}  // namespace jet
