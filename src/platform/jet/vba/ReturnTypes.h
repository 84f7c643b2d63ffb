// The type each VBA function a Jet statement may call returns, as VBA declares
// it: the translator types every expression from it, so that a column of
// DateAdd(...) comes out as a date and one of Len(...) as a Long. Each function's
// rule is a field of its row in the function table (FunctionTable.h); the calls
// here read it there.
#pragma once
#include <map>
#include <string>

namespace jet::vba {

enum class ValueType {
  Text, Boolean, Byte, Integer, Long, Single, Double, Currency, Date, Decimal,
  Argument,  // the type of the argument(s) named by firstArg/argStep (IIf, Nz, Min, CVar...)
  Numeric,   // the numeric type of argument firstArg: text read as Double (Abs, Int, Fix, Round)
  Sum,       // Sum: Currency and Decimal stay so, other numbers are numbers
  Average,   // Avg: Currency stays Currency, Decimal stays Decimal, else Double
};

struct ReturnType {
  ValueType type;
  // For ValueType::Argument (and Sum/Average): the 0-based arguments whose type
  // the result takes, firstArg, firstArg + argStep, ... (Switch: 1, 3, 5...).
  int firstArg = 0;
  int argStep = 0;  // 0: only firstArg
  bool aggregate = false;
};

// The return type of VBA function `name` (without regard to case; a "$" suffix,
// as in Left$, names the text-returning form), or null when Jet knows no such
// function.
const ReturnType* FindReturnType(const std::string& name);

// The whole table, keyed by lower-case name.
const std::map<std::string, ReturnType>& ReturnTypes();

}  // namespace jet::vba
