// The VBA financial functions (Pmt, PPmt, IPmt, FV, PV, NPer, Rate, SLN, SYD,
// DDB; IRR, MIRR and NPV refuse) and the colour numbers (RGB, QBColor). Amounts are Doubles; money paid out
// is negative, as in VBA. NULL gives NULL, text is read as a number.
#include <algorithm>
#include <cmath>

#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/Util.h"

namespace jet::vba {

namespace {

// Reads argc numbers into v (the optional ones keep the defaults already in v).
bool Numbers(sqlite3_context* ctx, int argc, sqlite3_value** argv, double* v) {
  if (HasNull(argc, argv)) {
    sqlite3_result_null(ctx);
    return false;
  }
  for (int i = 0; i < argc; ++i)
    if (!NumberArg(ctx, argv[i], &v[i])) return false;
  return true;
}

void Result(sqlite3_context* ctx, double r) {
  if (!std::isfinite(r)) return ErrorInvalidCall(ctx);
  sqlite3_result_double(ctx, r);
}

double Growth(double rate, double nper) { return std::pow(1 + rate, nper); }

double PaymentOf(double rate, double nper, double pv, double fv, double type) {
  if (rate == 0) return -(pv + fv) / nper;
  double g = Growth(rate, nper);
  return -(fv + pv * g) * rate / ((1 + rate * type) * (g - 1));
}

double FutureValue(double rate, double nper, double pmt, double pv, double type) {
  if (rate == 0) return -(pv + pmt * nper);
  double g = Growth(rate, nper);
  return -(pv * g + pmt * (1 + rate * type) * (g - 1) / rate);
}

// Pmt(rate, nper, pv [, fv [, type]]).
void Pmt(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  double v[5] = {0, 0, 0, 0, 0};
  if (!Numbers(ctx, argc, argv, v)) return;
  if (v[1] == 0) return ErrorInvalidCall(ctx);
  Result(ctx, PaymentOf(v[0], v[1], v[2], v[3], v[4] != 0));
}

// FV(rate, nper, pmt [, pv [, type]]).
void FV(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  double v[5] = {0, 0, 0, 0, 0};
  if (!Numbers(ctx, argc, argv, v)) return;
  Result(ctx, FutureValue(v[0], v[1], v[2], v[3], v[4] != 0));
}

// PV(rate, nper, pmt [, fv [, type]]).
void PV(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  double v[5] = {0, 0, 0, 0, 0};
  if (!Numbers(ctx, argc, argv, v)) return;
  double rate = v[0], nper = v[1], pmt = v[2], fv = v[3], type = v[4] != 0;
  if (rate == 0) return Result(ctx, -(fv + pmt * nper));
  double g = Growth(rate, nper);
  Result(ctx, -(fv + pmt * (1 + rate * type) * (g - 1) / rate) / g);
}

// NPer(rate, pmt, pv [, fv [, type]]).
void NPer(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  double v[5] = {0, 0, 0, 0, 0};
  if (!Numbers(ctx, argc, argv, v)) return;
  double rate = v[0], pmt = v[1], pv = v[2], fv = v[3], type = v[4] != 0;
  if (rate == 0) {
    if (pmt == 0) return ErrorInvalidCall(ctx);
    return Result(ctx, -(pv + fv) / pmt);
  }
  double a = pmt * (1 + rate * type);
  double ratio = (a - fv * rate) / (a + pv * rate);
  if (ratio <= 0 || rate <= -1) return ErrorInvalidCall(ctx);
  Result(ctx, std::log(ratio) / std::log(1 + rate));
}

// IPmt and PPmt(rate, per, nper, pv [, fv [, type]]): the interest and the
// principal of period per's payment.
template <bool kInterest>
void PeriodPart(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  double v[6] = {0, 0, 0, 0, 0, 0};
  if (!Numbers(ctx, argc, argv, v)) return;
  double rate = v[0], per = v[1], nper = v[2], pv = v[3], fv = v[4], type = v[5] != 0;
  if (per < 1 || per >= nper + 1 || nper == 0) return ErrorInvalidCall(ctx);
  double pmt = PaymentOf(rate, nper, pv, fv, type);
  double interest;
  if (type != 0 && per == 1) {
    interest = 0;
  } else {
    interest = FutureValue(rate, per - 1, pmt, pv, type) * rate;
    if (type != 0) interest /= 1 + rate;
  }
  Result(ctx, kInterest ? interest : pmt - interest);
}

// Rate(nper, pmt, pv [, fv [, type [, guess]]]): Newton's method from guess
// (10%); no answer after 40 steps is an error, as in VBA.
void Rate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  double v[6] = {0, 0, 0, 0, 0, 0.1};
  if (!Numbers(ctx, argc, argv, v)) return;
  double nper = v[0], pmt = v[1], pv = v[2], fv = v[3], type = v[4] != 0, rate = v[5];
  if (nper <= 0) return ErrorInvalidCall(ctx);
  auto f = [&](double r) {
    if (r == 0) return pv + pmt * nper + fv;
    double g = Growth(r, nper);
    return pv * g + pmt * (1 + r * type) * (g - 1) / r + fv;
  };
  for (int step = 0; step < 40; ++step) {
    double y = f(rate);
    if (std::fabs(y) < 1e-7) return Result(ctx, rate);
    double h = std::max(1e-7, std::fabs(rate) * 1e-6);
    double slope = (f(rate + h) - y) / h;
    if (slope == 0 || !std::isfinite(slope)) break;
    double next = rate - y / slope;
    if (!std::isfinite(next) || next <= -1) break;
    if (std::fabs(next - rate) < 1e-12) return Result(ctx, next);
    rate = next;
  }
  ErrorInvalidCall(ctx);
}

// SLN(cost, salvage, life): the straight-line depreciation of one period.
void SLN(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  double v[3];
  if (!Numbers(ctx, argc, argv, v)) return;
  if (v[2] == 0) return ErrorInvalidCall(ctx);
  Result(ctx, (v[0] - v[1]) / v[2]);
}

// SYD(cost, salvage, life, period): sum-of-years' digits depreciation.
void SYD(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  double v[4];
  if (!Numbers(ctx, argc, argv, v)) return;
  double cost = v[0], salvage = v[1], life = v[2], period = v[3];
  if (life < 1 || period <= 0 || period > life) return ErrorInvalidCall(ctx);
  Result(ctx, (cost - salvage) * (life - period + 1) * 2 / (life * (life + 1)));
}

// DDB(cost, salvage, life, period [, factor]): declining-balance depreciation
// (factor 2: double declining), never below the salvage value.
void DDB(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  double v[5] = {0, 0, 0, 0, 2};
  if (!Numbers(ctx, argc, argv, v)) return;
  double cost = v[0], salvage = v[1], life = v[2], period = v[3], factor = v[4];
  if (life < 1 || period <= 0 || period > life || factor <= 0 || cost < 0 || salvage < 0)
    return ErrorInvalidCall(ctx);
  // Each period takes the share factor / life of what is left: before period p,
  // cost * (1 - (1 - rate)^(p - 1)) is gone, until the salvage value stops it.
  double rate = std::min(1.0, factor / life);
  double before = cost * (1 - std::pow(1 - rate, period - 1));
  if (before >= cost - salvage) return Result(ctx, 0);
  Result(ctx, std::min(cost * rate * std::pow(1 - rate, period - 1), cost - salvage - before));
}

// RGB(red, green, blue): each part rounded and capped at 255.
void RGB(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  double v[3];
  if (!Numbers(ctx, argc, argv, v)) return;
  int64_t color = 0;
  for (int i = 2; i >= 0; --i) {
    double part = std::nearbyint(v[i]);
    if (part < 0 || part > 32767) return ErrorInvalidCall(ctx);
    color = color * 256 + static_cast<int64_t>(std::min(part, 255.0));
  }
  sqlite3_result_int64(ctx, color);
}

// QBColor(0..15): the RGB number of the old QuickBASIC palette.
void QBColor(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  static const int64_t kPalette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                       0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                       0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  double v[1];
  if (!Numbers(ctx, argc, argv, v)) return;
  double n = std::nearbyint(v[0]);
  if (n < 0 || n > 15) return ErrorInvalidCall(ctx);
  sqlite3_result_int64(ctx, kPalette[static_cast<int>(n)]);
}

// IRR, MIRR and NPV take an array of cash flows, which no statement can build.
void NeedsArray(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (HasNull(argc, argv)) return sqlite3_result_null(ctx);
  ErrorMismatch(ctx);
}

}  // namespace

std::vector<FunctionInfo> FinanceFunctions() {
  const ReturnType amount = Returns(ValueType::Double), colour = Returns(ValueType::Long);
  return {
      Scalar("pmt", 3, 5, amount, Pmt), Scalar("fv", 3, 5, amount, FV), Scalar("pv", 3, 5, amount, PV),
      Scalar("nper", 3, 5, amount, NPer), Scalar("rate", 3, 6, amount, Rate),
      Scalar("ipmt", 4, 6, amount, PeriodPart<true>), Scalar("ppmt", 4, 6, amount, PeriodPart<false>),
      Scalar("sln", 3, 3, amount, SLN), Scalar("syd", 4, 4, amount, SYD), Scalar("ddb", 4, 5, amount, DDB),
      // Over arrays, which a statement cannot give.
      Scalar("irr", 1, 2, amount, NeedsArray), Scalar("mirr", 3, 3, amount, NeedsArray),
      Scalar("npv", 2, 2, amount, NeedsArray),
      Scalar("rgb", 3, 3, colour, RGB), Scalar("qbcolor", 1, 1, colour, QBColor),
  };
}

}  // namespace jet::vba
