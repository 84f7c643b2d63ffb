#include "platform/jet/sql/TypeRules.h"

#include "platform/jet/file/MdbFile.h"
#include "platform/jet/vba/ReturnTypes.h"

namespace jet::sql {

using T = ExprType;

ExprType FromAccess(int type) {
  if (type < 0) return T::Unknown;
  switch (static_cast<AccessType>(type)) {
    case AccessType::Boolean: return T::Boolean;
    case AccessType::Byte: return T::Byte;
    case AccessType::Integer: return T::Integer;
    case AccessType::LongInteger: return T::Long;
    case AccessType::Currency: return T::Currency;
    case AccessType::Single: return T::Single;
    case AccessType::Double: return T::Double;
    case AccessType::DateTime: return T::Date;
    case AccessType::Text: case AccessType::Memo: case AccessType::ReplicationId: return T::Text;
    case AccessType::Binary: case AccessType::OleObject: return T::Binary;
    case AccessType::Decimal: return T::Decimal;
    // A multi-value or attachment column reads as its joined text; a Large Number
    // joins arithmetic as a number; an extended date may be a date or its text.
    case AccessType::Complex: return T::Text;
    case AccessType::BigInt: return T::Double;
    case AccessType::DateTimeExtended: return T::Unknown;
  }
  return T::Unknown;
}

int ToAccess(ExprType t) {
  switch (t) {
    case T::Boolean: return static_cast<int>(AccessType::Boolean);
    case T::Byte: return static_cast<int>(AccessType::Byte);
    case T::Integer: return static_cast<int>(AccessType::Integer);
    case T::Long: return static_cast<int>(AccessType::LongInteger);
    case T::Single: return static_cast<int>(AccessType::Single);
    case T::Currency: return static_cast<int>(AccessType::Currency);
    case T::Double: return static_cast<int>(AccessType::Double);
    case T::Decimal: return static_cast<int>(AccessType::Decimal);
    case T::Date: return static_cast<int>(AccessType::DateTime);
    case T::Text: return static_cast<int>(AccessType::Text);
    case T::Binary: return static_cast<int>(AccessType::Binary);
    default: return -1;
  }
}

bool IsNumber(ExprType t) {
  return t == T::Boolean || t == T::Byte || t == T::Integer || t == T::Long || t == T::Single ||
         t == T::Currency || t == T::Double || t == T::Decimal;
}

// Jet's order of precision for arithmetic: Byte, Integer, Long, Single, Currency,
// Double, Decimal (Yes/No counts as an Integer).
static int Precision(ExprType t) {
  switch (t) {
    case T::Byte: return 0;
    case T::Boolean: case T::Integer: return 1;
    case T::Long: return 2;
    case T::Single: return 3;
    case T::Currency: return 4;
    case T::Double: return 5;
    case T::Decimal: return 6;
    default: return -1;
  }
}

ExprType Arithmetic(ExprType a, ExprType b) {
  if (a == T::Null) return b == T::Unknown ? T::Unknown : T::Null;
  if (b == T::Null) return a == T::Unknown ? T::Unknown : T::Null;
  if (a == T::Text) a = T::Double;
  if (b == T::Text) b = T::Double;
  if (a == T::Date) a = T::Double;
  if (b == T::Date) b = T::Double;
  if (Precision(a) < 0 || Precision(b) < 0) return T::Unknown;
  if ((a == T::Single && b == T::Long) || (a == T::Long && b == T::Single)) return T::Double;
  ExprType wider = Precision(a) >= Precision(b) ? a : b;
  return wider == T::Boolean ? T::Integer : wider;
}

ExprType Additive(ExprType a, ExprType b, bool minus) {
  if (a == T::Null || b == T::Null) return (a == T::Unknown || b == T::Unknown) ? T::Unknown : T::Null;
  if (a == T::Date && b == T::Date) return minus ? T::Double : T::Date;
  if ((a == T::Date && IsNumber(b)) || (!minus && b == T::Date && IsNumber(a))) return T::Date;
  if (!minus && a == T::Text && b == T::Text) return T::Text;
  return Arithmetic(a, b);
}

ExprType Common(const std::vector<ExprType>& types) {
  ExprType out = T::Null;
  for (ExprType t : types) {
    if (t == T::Null) continue;
    if (out == T::Null || out == t) { out = t; continue; }
    if (IsNumber(out) && IsNumber(t)) { out = Arithmetic(out, t); continue; }
    return T::Unknown;
  }
  return out;
}

ExprType Divided(ExprType a, ExprType b) {
  return a == T::Null || b == T::Null ? T::Null : T::Double;
}

bool IsAggregate(const std::string& name) {
  const vba::ReturnType* rt = vba::FindReturnType(name);
  return rt && rt->aggregate;
}

ExprType FunctionResult(const std::string& name, const std::vector<ExprType>& args) {
  auto arg = [&](size_t k) { return k < args.size() ? args[k] : T::Unknown; };
  if (name == "cat") return T::Text;
  if (name == "add") return Additive(arg(0), arg(1), false);
  if (name == "pow") return T::Double;
  if (name == "div") return Divided(arg(0), arg(1));
  if (name == "idiv" || name == "mod") {
    ExprType t = Arithmetic(arg(0), arg(1));
    return t == T::Null || t == T::Unknown ? t : T::Long;
  }
  const vba::ReturnType* rt = vba::FindReturnType(name);
  if (!rt) return T::Unknown;
  switch (rt->type) {
    case vba::ValueType::Text: return T::Text;
    case vba::ValueType::Boolean: return T::Boolean;
    case vba::ValueType::Byte: return T::Byte;
    case vba::ValueType::Integer: return T::Integer;
    case vba::ValueType::Long: return T::Long;
    case vba::ValueType::Single: return T::Single;
    case vba::ValueType::Double: return T::Double;
    case vba::ValueType::Currency: return T::Currency;
    case vba::ValueType::Date: return T::Date;
    case vba::ValueType::Decimal: return T::Decimal;
    case vba::ValueType::Numeric: {
      ExprType t = arg(static_cast<size_t>(rt->firstArg));
      return t == T::Text ? T::Double : t == T::Boolean ? T::Integer : t;
    }
    case vba::ValueType::Sum: {
      ExprType t = arg(0);
      if (t == T::Currency || t == T::Decimal || t == T::Double || t == T::Unknown) return t;
      return t == T::Single || t == T::Date || t == T::Text ? T::Double : T::Long;
    }
    case vba::ValueType::Average: {
      ExprType t = arg(0);
      return t == T::Currency || t == T::Decimal || t == T::Unknown ? t : T::Double;
    }
    case vba::ValueType::Argument: {
      std::vector<ExprType> picked;
      size_t step = rt->argStep > 0 ? static_cast<size_t>(rt->argStep) : args.size() + 1;
      for (size_t k = static_cast<size_t>(rt->firstArg); k < args.size(); k += step) picked.push_back(args[k]);
      // Nz(x) alone gives an empty text for NULL: the type of x otherwise.
      return Common(picked);
    }
  }
  return T::Unknown;
}

}  // namespace jet::sql
