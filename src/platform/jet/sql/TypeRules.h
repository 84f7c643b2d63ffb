// Jet's rules for the type of an expression: what each operator makes of its
// operands' types, and what each function returns (vba/ReturnTypes.h) given its
// arguments'. Internal to the SQL translation (Types.cpp finds the operands).
#pragma once
#include <string>
#include <vector>

namespace jet::sql {

// What the typing tracks. The integer and real kinds stay apart because Jet's
// arithmetic widens by them (Currency * Single is Currency, Currency * Double a
// Double); the cursor hands all integers out as VT_I4 and all reals as VT_R8.
enum class ExprType { Unknown, Null, Boolean, Byte, Integer, Long, Single, Currency, Double, Decimal, Date, Text, Binary };

// From and to an AccessType code (-1: unknown).
ExprType FromAccess(int type);
int ToAccess(ExprType t);

bool IsNumber(ExprType t);  // Yes/No included
// a * b of numbers (text read as a Double).
ExprType Arithmetic(ExprType a, ExprType b);
// a + b, a - b: a date moved by a number stays a date; two dates apart are a
// Double; two texts joined by + are text.
ExprType Additive(ExprType a, ExprType b, bool minus);
// a / b: a Double.
ExprType Divided(ExprType a, ExprType b);
// The one type of values that may be any of them (IIf's branches): NULLs aside,
// one type, or the widest of numbers; else unknown.
ExprType Common(const std::vector<ExprType>& types);

// The result of function `name` (its VBA name, or the engine's own: cat for &,
// add for +, div for /, pow for ^, idiv for \, mod) over arguments of `args` types;
// unknown for a name Jet does not know.
ExprType FunctionResult(const std::string& name, const std::vector<ExprType>& args);
bool IsAggregate(const std::string& name);

}  // namespace jet::sql
