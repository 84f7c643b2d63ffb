#include "platform/jet/vba/Functions.h"

#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <string>

#include "platform/jet/vba/FunctionTable.h"
#include "platform/jet/vba/SortKey.h"
#include "platform/jet/vba/Util.h"

namespace jet {

const char kTextCollation[] = "JETTEXT";

namespace {

int CollateJetText(void*, int aLen, const void* a, int bLen, const void* b) {
  return CompareJetText(static_cast<const char*>(a), aLen, static_cast<const char*>(b), bLen);
}

// LIKE as Jet matches through its OLE DB provider, with ANSI-92 wildcards: % any
// run of characters, _ one character, [abc], [a-z] and [!abc] character lists,
// without regard to case; * and ? are plain characters there. An ESCAPE character
// makes the next pattern character literal.
bool LikeMatch(const unsigned char* p, const unsigned char* pe, const unsigned char* s,
               const unsigned char* se, uint32_t esc) {
  const unsigned char* starP = nullptr;
  const unsigned char* starS = nullptr;
  while (s < se) {
    const unsigned char* pSave = p;
    if (p < pe) {
      uint32_t pc = vba::NextChar(p, pe);
      if (pc == esc && p < pe) {
        uint32_t lit = vba::NextChar(p, pe);
        const unsigned char* sNext = s;
        if (vba::FoldChar(vba::NextChar(sNext, se)) == vba::FoldChar(lit)) { s = sNext; continue; }
      } else if (pc == '%') {
        starP = p;
        starS = s;
        continue;
      } else if (pc == '_') {
        vba::NextChar(s, se);
        continue;
      } else if (pc == '[') {
        const unsigned char* q = p;
        bool negate = q < pe && (*q == '!' || *q == '^');
        if (negate) ++q;
        const unsigned char* sNext = s;
        uint32_t sc = vba::FoldChar(vba::NextChar(sNext, se));
        bool found = false, closed = false, firstInList = true;
        while (q < pe) {
          if (*q == ']' && !firstInList) { ++q; closed = true; break; }
          uint32_t lo = vba::FoldChar(vba::NextChar(q, pe));
          uint32_t hi = lo;
          if (q + 1 < pe && *q == '-' && q[1] != ']') { ++q; hi = vba::FoldChar(vba::NextChar(q, pe)); }
          if (sc >= lo && sc <= hi) found = true;
          firstInList = false;
        }
        if (closed && found != negate) { p = q; s = sNext; continue; }
        if (!closed) {  // an unclosed [ matches itself
          if (sc == '[') { s = sNext; continue; }
        }
      } else {
        const unsigned char* sNext = s;
        if (vba::FoldChar(vba::NextChar(sNext, se)) == vba::FoldChar(pc)) { s = sNext; continue; }
      }
    }
    (void)pSave;
    if (!starP) return false;
    // Let the last star take one more character and retry from there.
    p = starP;
    vba::NextChar(starS, se);
    s = starS;
  }
  while (p < pe && *p == '%') ++p;
  return p == pe;
}

void LikeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i)
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  std::string pattern = vba::ValueText(argv[0]);
  std::string text = vba::ValueText(argv[1]);
  uint32_t esc = 0xFFFFFFFF;
  if (argc == 3) {
    std::string e = vba::ValueText(argv[2]);
    const unsigned char* ep = reinterpret_cast<const unsigned char*>(e.data());
    if (vba::CharCount(ep, static_cast<int>(e.size())) != 1)
      return sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
    esc = vba::NextChar(ep, ep + e.size());
  }
  auto* p = reinterpret_cast<const unsigned char*>(pattern.data());
  auto* s = reinterpret_cast<const unsigned char*>(text.data());
  sqlite3_result_int(ctx, LikeMatch(p, p + pattern.size(), s, s + text.size(), esc) ? 1 : 0);
}

// a & b & ...: NULL operands count as empty text; all of them NULL gives NULL.
void CatFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  std::string out;
  bool any = false;
  for (int i = 0; i < argc; ++i) {
    if (sqlite3_value_type(argv[i]) == SQLITE_NULL) continue;
    any = true;
    out += vba::ValueText(argv[i]);
  }
  if (!any) return sqlite3_result_null(ctx);
  sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// a + b: two texts are joined; otherwise the numbers (texts read as numbers) are
// added; NULL gives NULL.
void AddFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  int ta = sqlite3_value_type(argv[0]), tb = sqlite3_value_type(argv[1]);
  if (ta == SQLITE_NULL || tb == SQLITE_NULL) return sqlite3_result_null(ctx);
  if (ta == SQLITE_TEXT && tb == SQLITE_TEXT) {
    std::string out = vba::ValueText(argv[0]) + vba::ValueText(argv[1]);
    return sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
  }
  if (ta == SQLITE_INTEGER && tb == SQLITE_INTEGER) {
    sqlite3_int64 r;
    if (!__builtin_add_overflow(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]), &r))
      return sqlite3_result_int64(ctx, r);
  }
  double a, b;
  if (!vba::ValueNumber(argv[0], &a) || !vba::ValueNumber(argv[1], &b))
    return sqlite3_result_error(ctx, "Data type mismatch", -1);
  sqlite3_result_double(ctx, a + b);
}

// a ^ b, in Doubles.
void PowFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(ctx);
  double a, b;
  if (!vba::ValueNumber(argv[0], &a) || !vba::ValueNumber(argv[1], &b))
    return sqlite3_result_error(ctx, "Data type mismatch", -1);
  double r = std::pow(a, b);
  if (!std::isfinite(r)) return sqlite3_result_error(ctx, "Invalid procedure call or argument", -1);
  sqlite3_result_double(ctx, r);
}

// a \ b and a Mod b: both operands rounded half to even first, as VBA's integer
// operators do; \ drops the fraction, Mod's remainder takes the sign of a.
template <bool kModulo>
void IntegerOperator(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(ctx);
  double a, b;
  if (!vba::ValueNumber(argv[0], &a) || !vba::ValueNumber(argv[1], &b))
    return sqlite3_result_error(ctx, "Data type mismatch", -1);
  a = std::nearbyint(a);
  b = std::nearbyint(b);
  if (b == 0) return sqlite3_result_error(ctx, "Division by zero", -1);
  if (std::fabs(a) > 9.2e18 || std::fabs(b) > 9.2e18) return sqlite3_result_error(ctx, "Overflow", -1);
  const auto x = static_cast<sqlite3_int64>(a), y = static_cast<sqlite3_int64>(b);
  sqlite3_result_int64(ctx, kModulo ? x % y : x / y);
}

// a / b in Doubles; dividing by zero is VBA's run-time error, where SQLite
// would give NULL (0 / 0 is its overflow).
void DivFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(ctx);
  double a, b;
  if (!vba::ValueNumber(argv[0], &a) || !vba::ValueNumber(argv[1], &b))
    return sqlite3_result_error(ctx, "Data type mismatch", -1);
  if (b == 0) return sqlite3_result_error(ctx, a == 0 ? "Overflow" : "Division by zero", -1);
  sqlite3_result_double(ctx, a / b);
}

// Xor, Eqv and Imp: bitwise on whole numbers (Jet's truths are -1 and 0), with
// VBA's NULL rules: Imp is decided without the NULL where it can be.
enum class Logic { Xor, Eqv, Imp };
template <Logic kOp>
void LogicalOperator(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const bool nullA = sqlite3_value_type(argv[0]) == SQLITE_NULL, nullB = sqlite3_value_type(argv[1]) == SQLITE_NULL;
  double a = 0, b = 0;
  if ((!nullA && !vba::ValueNumber(argv[0], &a)) || (!nullB && !vba::ValueNumber(argv[1], &b)))
    return sqlite3_result_error(ctx, "Data type mismatch", -1);
  if (std::fabs(a) > 2147483647.5 || std::fabs(b) > 2147483647.5) return sqlite3_result_error(ctx, "Overflow", -1);
  const auto x = static_cast<int32_t>(std::nearbyint(a)), y = static_cast<int32_t>(std::nearbyint(b));
  if (kOp == Logic::Imp) {
    if (nullA && nullB) return sqlite3_result_null(ctx);
    if (nullA) return y == -1 ? sqlite3_result_int(ctx, -1) : sqlite3_result_null(ctx);
    if (nullB) return x == 0 ? sqlite3_result_int(ctx, -1) : sqlite3_result_null(ctx);
    return sqlite3_result_int(ctx, ~x | y);
  }
  if (nullA || nullB) return sqlite3_result_null(ctx);
  sqlite3_result_int(ctx, kOp == Logic::Xor ? x ^ y : ~(x ^ y));
}

// First and Last: the value of the first / last row of the group.
struct Kept {
  sqlite3_value* value;
  bool set;
};
void FirstStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto* k = static_cast<Kept*>(sqlite3_aggregate_context(ctx, sizeof(Kept)));
  if (!k || k->set) return;
  k->value = sqlite3_value_dup(argv[0]);
  k->set = true;
}
void LastStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto* k = static_cast<Kept*>(sqlite3_aggregate_context(ctx, sizeof(Kept)));
  if (!k) return;
  sqlite3_value_free(k->value);
  k->value = sqlite3_value_dup(argv[0]);
  k->set = true;
}
void KeptFinal(sqlite3_context* ctx) {
  auto* k = static_cast<Kept*>(sqlite3_aggregate_context(ctx, 0));
  if (!k || !k->set) return sqlite3_result_null(ctx);
  sqlite3_result_value(ctx, k->value);
  sqlite3_value_free(k->value);
}

// StDev, StDevP, Var, VarP over the non-NULL values (Welford's running sums).
struct Spread {
  double n, mean, m2;
};
void SpreadStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  auto* s = static_cast<Spread*>(sqlite3_aggregate_context(ctx, sizeof(Spread)));
  if (!s) return;
  double x;
  if (!vba::ValueNumber(argv[0], &x)) return sqlite3_result_error(ctx, "Data type mismatch", -1);
  s->n += 1;
  double d = x - s->mean;
  s->mean += d / s->n;
  s->m2 += d * (x - s->mean);
}
template <bool kSample, bool kRoot>
void SpreadFinal(sqlite3_context* ctx) {
  auto* s = static_cast<Spread*>(sqlite3_aggregate_context(ctx, 0));
  double n = s ? s->n : 0;
  if (n < (kSample ? 2 : 1)) return sqlite3_result_null(ctx);
  double v = s->m2 / (kSample ? n - 1 : n);
  sqlite3_result_double(ctx, kRoot ? std::sqrt(v) : v);
}

}  // namespace

namespace vba {

std::vector<FunctionInfo> OperatorsAndAggregates() {
  using T = ValueType;
  return {
      // &, +, ^, \, Mod, /, Xor, Eqv, Imp: the translator's calls; & joins all its
      // operands in one call, each a String parameter.
      // a & b: NULL only when every operand is.
      Operator("cat", 0, -1, CatFunction)
          .Texts(kAllTexts)
          .Portable("(CASE WHEN coalesce(%,) IS NULL THEN NULL ELSE %| END)"),
      Operator("add", 2, 2, AddFunction),
      Operator("pow", 2, 2, PowFunction),
      Operator("idiv", 2, 2, IntegerOperator<false>),
      Operator("mod", 2, 2, IntegerOperator<true>),
      Operator("div", 2, 2, DivFunction),
      Operator("xor", 2, 2, LogicalOperator<Logic::Xor>),
      Operator("eqv", 2, 2, LogicalOperator<Logic::Eqv>),
      Operator("imp", 2, 2, LogicalOperator<Logic::Imp>),
      // First and Last: the type of their argument; the spreads are Doubles.
      Aggregate("first", ReturnsArguments(0, 0), FirstStep, KeptFinal).Volatile(),
      Aggregate("last", ReturnsArguments(0, 0), LastStep, KeptFinal).Volatile(),
      Aggregate("stdev", Returns(T::Double), SpreadStep, SpreadFinal<true, true>),
      Aggregate("stdevp", Returns(T::Double), SpreadStep, SpreadFinal<false, true>),
      Aggregate("var", Returns(T::Double), SpreadStep, SpreadFinal<true, false>),
      Aggregate("varp", Returns(T::Double), SpreadStep, SpreadFinal<false, false>),
  };
}

}  // namespace vba

namespace {

// The row a statement (or, with operators, the translator) reaches by that name.
const vba::FunctionInfo* CalledFunction(const std::string& name, bool operators) {
  const vba::FunctionInfo* row = vba::FindFunction(name);
  if (!row) return nullptr;
  switch (row->kind) {
    case vba::FunctionKind::Function:
    case vba::FunctionKind::Aggregate: return row;
    case vba::FunctionKind::Operator: return operators ? row : nullptr;
    default: return nullptr;
  }
}

}  // namespace

std::string VbaFunctionSqlName(const std::string& name) {
  const vba::FunctionInfo* row = CalledFunction(name, true);
  return row ? row->sqlName : std::string();
}

const char kTypedPrefix[] = "vba_typed";

std::string VbaCallSqlName(const std::string& name) {
  const vba::FunctionInfo* row = CalledFunction(name, false);
  return row ? row->sqlName : std::string();
}

bool IsJetAggregate(const std::string& name) {
  const vba::FunctionInfo* row = vba::FindExactFunction(name);
  return row && row->kind == vba::FunctionKind::SqliteAggregate;
}

bool IsStatementFunction(const char* sqliteName) {
  if (!sqliteName) return false;
  std::string n;
  for (const char* p = sqliteName; *p; ++p) n += (*p >= 'A' && *p <= 'Z') ? static_cast<char>(*p - 'A' + 'a') : *p;
  // Every vba_ function is ours: the translator's own helpers as well as Jet's
  // functions, which a statement reaches only by their Jet names; so is every
  // jet_ one (the sort key, exact money's arithmetic).
  return n.compare(0, 4, "vba_") == 0 || n.compare(0, 4, "jet_") == 0 || n == "like" || n == kSortKeyFunction ||
         IsJetAggregate(n);
}

bool RegisterVbaFunctions(sqlite3* db, std::string* failed) {
  std::string name;
  auto refused = [&](const char* what) {
    name = what;
    return false;
  };
  const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  const bool ok =
      (sqlite3_create_collation(db, kTextCollation, SQLITE_UTF8, nullptr, CollateJetText) == SQLITE_OK ||
       refused(kTextCollation)) &&
      (RegisterSortKeyFunction(db) || refused(kSortKeyFunction)) &&
      ((sqlite3_create_function(db, "like", 2, det, nullptr, LikeFunction, nullptr, nullptr) == SQLITE_OK &&
        sqlite3_create_function(db, "like", 3, det, nullptr, LikeFunction, nullptr, nullptr) == SQLITE_OK) ||
       refused("like")) &&
      vba::RegisterFunctionTable(db, &name);
  if (!ok && failed) *failed = name;
  return ok;
}

}  // namespace jet
