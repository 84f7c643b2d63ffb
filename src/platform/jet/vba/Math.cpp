// The VBA math functions: Sqr, Exp, Log (natural), Sin, Cos, Tan, Atn and Rnd,
// all in Doubles (Rnd in Singles); NULL gives NULL, text is read as a number.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/Util.h"

namespace jet::vba {

namespace {

// fn(x), or the error VBA raises where x lies outside fn's domain or the result
// outside a Double.
template <double (*Fn)(double), bool (*InDomain)(double)>
void Unary(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  double x;
  if (!NumberArg(ctx, argv[0], &x)) return;
  if (!InDomain(x)) return ErrorInvalidCall(ctx);
  double r = Fn(x);
  if (!std::isfinite(r)) return ErrorOverflow(ctx);
  sqlite3_result_double(ctx, r);
}

bool Any(double) { return true; }
bool NotNegative(double x) { return x >= 0; }
bool Positive(double x) { return x > 0; }
double Sqrt(double x) { return std::sqrt(x); }
double Exp(double x) { return std::exp(x); }
double Ln(double x) { return std::log(x); }
double Sin(double x) { return std::sin(x); }
double Cos(double x) { return std::cos(x); }
double Tan(double x) { return std::tan(x); }
double Atan(double x) { return std::atan(x); }

// Rnd([n]) with VBA's own generator, so that a seeded sequence repeats VBA's
// numbers: n > 0 or none gives the next number, 0 the last one again, n < 0 one
// number fixed by n. One generator per connection.
struct RandomState {
  uint32_t seed = 0x50000;
};

void Rnd(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  auto* state = static_cast<RandomState*>(sqlite3_user_data(ctx));
  double n = 1;
  if (argc == 1) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    if (!NumberArg(ctx, argv[0], &n)) return;
  }
  if (n < 0) {
    float single = static_cast<float>(n);
    uint32_t bits;
    std::memcpy(&bits, &single, sizeof bits);
    state->seed = ((bits & 0xFFFFFF) + (bits >> 24)) & 0xFFFFFF;
  }
  if (n != 0) state->seed = (state->seed * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFF;
  sqlite3_result_double(ctx, static_cast<float>(state->seed / 16777216.0));
}

void FreeRandomState(void* state) { delete static_cast<RandomState*>(state); }

// One seed per connection, which both forms of Rnd share; the second frees it.
bool RegisterRnd(sqlite3* db, const FunctionInfo& row) {
  auto* state = new RandomState;
  if (sqlite3_create_function_v2(db, row.sqlName.c_str(), 0, SQLITE_UTF8, state, Rnd, nullptr, nullptr, nullptr) !=
      SQLITE_OK) {
    delete state;
    return false;
  }
  // SQLite frees the state when it refuses, as when the connection closes.
  return sqlite3_create_function_v2(db, row.sqlName.c_str(), 1, SQLITE_UTF8, state, Rnd, nullptr, nullptr,
                                    FreeRandomState) == SQLITE_OK;
}

}  // namespace

std::vector<FunctionInfo> MathFunctions() {
  const ReturnType real = Returns(ValueType::Double);
  return {
      Scalar("sqr", 1, 1, real, Unary<Sqrt, NotNegative>),
      Scalar("exp", 1, 1, real, Unary<Exp, Any>),
      Scalar("log", 1, 1, real, Unary<Ln, Positive>),
      Scalar("sin", 1, 1, real, Unary<Sin, Any>),
      Scalar("cos", 1, 1, real, Unary<Cos, Any>),
      Scalar("tan", 1, 1, real, Unary<Tan, Any>),
      Scalar("atn", 1, 1, real, Unary<Atan, Any>),
      Scalar("rnd", 0, 1, Returns(ValueType::Single), Rnd).Volatile().RegisteredBy(RegisterRnd),
  };
}

}  // namespace jet::vba
