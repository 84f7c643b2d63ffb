#include "platform/jet/vba/ReturnTypes.h"

#include <cctype>

namespace jet::vba {

namespace {

using T = ValueType;

ReturnType Of(T type) { return ReturnType{type, 0, 0, false}; }
ReturnType Args(int first, int step) { return ReturnType{T::Argument, first, step, false}; }
ReturnType Aggregate(T type) { return ReturnType{type, 0, 0, true}; }

}  // namespace

const std::map<std::string, ReturnType>& ReturnTypes() {
  static const std::map<std::string, ReturnType> table = {
      // Text
      {"asc", Of(T::Integer)}, {"ascb", Of(T::Integer)}, {"ascw", Of(T::Integer)},
      {"chr", Of(T::Text)}, {"chrb", Of(T::Text)}, {"chrw", Of(T::Text)},
      {"instr", Of(T::Long)}, {"instrb", Of(T::Long)}, {"instrrev", Of(T::Long)},
      {"lcase", Of(T::Text)}, {"ucase", Of(T::Text)},
      {"left", Of(T::Text)}, {"leftb", Of(T::Text)}, {"right", Of(T::Text)}, {"rightb", Of(T::Text)},
      {"mid", Of(T::Text)}, {"midb", Of(T::Text)},
      {"len", Of(T::Long)}, {"lenb", Of(T::Long)},
      {"ltrim", Of(T::Text)}, {"rtrim", Of(T::Text)}, {"trim", Of(T::Text)},
      {"replace", Of(T::Text)}, {"space", Of(T::Text)}, {"string", Of(T::Text)},
      {"strcomp", Of(T::Integer)}, {"strconv", Of(T::Text)}, {"strreverse", Of(T::Text)},
      {"str", Of(T::Text)}, {"hex", Of(T::Text)}, {"oct", Of(T::Text)},
      {"format", Of(T::Text)}, {"formatcurrency", Of(T::Text)}, {"formatdatetime", Of(T::Text)},
      {"formatnumber", Of(T::Text)}, {"formatpercent", Of(T::Text)},
      {"monthname", Of(T::Text)}, {"weekdayname", Of(T::Text)},
      {"partition", Of(T::Text)},
      // Conversion
      {"cbool", Of(T::Boolean)}, {"cbyte", Of(T::Byte)}, {"cint", Of(T::Integer)}, {"clng", Of(T::Long)},
      {"csng", Of(T::Single)}, {"cdbl", Of(T::Double)}, {"ccur", Of(T::Currency)}, {"cdec", Of(T::Decimal)},
      {"cdate", Of(T::Date)}, {"cvdate", Of(T::Date)}, {"cstr", Of(T::Text)}, {"cvar", Args(0, 0)},
      {"val", Of(T::Double)},
      // Math
      {"abs", ReturnType{T::Numeric, 0, 0, false}}, {"int", ReturnType{T::Numeric, 0, 0, false}},
      {"fix", ReturnType{T::Numeric, 0, 0, false}}, {"round", ReturnType{T::Numeric, 0, 0, false}},
      {"sgn", Of(T::Integer)}, {"sqr", Of(T::Double)}, {"exp", Of(T::Double)}, {"log", Of(T::Double)},
      {"sin", Of(T::Double)}, {"cos", Of(T::Double)}, {"tan", Of(T::Double)}, {"atn", Of(T::Double)},
      {"rnd", Of(T::Single)}, {"rgb", Of(T::Long)}, {"qbcolor", Of(T::Long)},
      // Financial
      {"ddb", Of(T::Double)}, {"fv", Of(T::Double)}, {"ipmt", Of(T::Double)}, {"irr", Of(T::Double)},
      {"mirr", Of(T::Double)}, {"nper", Of(T::Double)}, {"npv", Of(T::Double)}, {"pmt", Of(T::Double)},
      {"ppmt", Of(T::Double)}, {"pv", Of(T::Double)}, {"rate", Of(T::Double)}, {"sln", Of(T::Double)},
      {"syd", Of(T::Double)},
      // Date and time
      {"date", Of(T::Date)}, {"now", Of(T::Date)}, {"time", Of(T::Date)},
      {"dateserial", Of(T::Date)}, {"timeserial", Of(T::Date)}, {"datevalue", Of(T::Date)},
      {"timevalue", Of(T::Date)}, {"dateadd", Of(T::Date)},
      {"datediff", Of(T::Long)}, {"datepart", Of(T::Integer)},
      {"year", Of(T::Integer)}, {"month", Of(T::Integer)}, {"day", Of(T::Integer)},
      {"hour", Of(T::Integer)}, {"minute", Of(T::Integer)}, {"second", Of(T::Integer)},
      {"weekday", Of(T::Integer)}, {"timer", Of(T::Single)},
      // Type checks
      {"isnull", Of(T::Boolean)}, {"isnumeric", Of(T::Boolean)}, {"isdate", Of(T::Boolean)},
      {"isempty", Of(T::Boolean)}, {"iserror", Of(T::Boolean)}, {"isarray", Of(T::Boolean)},
      {"isobject", Of(T::Boolean)}, {"ismissing", Of(T::Boolean)},
      {"vartype", Of(T::Integer)}, {"typename", Of(T::Text)},
      // Choice: the type of the branches
      {"iif", Args(1, 1)}, {"nz", Args(0, 1)}, {"switch", Args(1, 2)}, {"choose", Args(1, 1)},
      // Aggregates
      {"count", Aggregate(T::Long)}, {"sum", Aggregate(T::Sum)}, {"avg", Aggregate(T::Average)},
      {"min", ReturnType{T::Argument, 0, 0, true}}, {"max", ReturnType{T::Argument, 0, 0, true}},
      {"first", ReturnType{T::Argument, 0, 0, true}}, {"last", ReturnType{T::Argument, 0, 0, true}},
      {"stdev", Aggregate(T::Double)}, {"stdevp", Aggregate(T::Double)},
      {"var", Aggregate(T::Double)}, {"varp", Aggregate(T::Double)},
  };
  return table;
}

const ReturnType* FindReturnType(const std::string& name) {
  static const ReturnType text = Of(T::Text);
  std::string key;
  for (char c : name) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  bool dollar = !key.empty() && key.back() == '$';
  if (dollar) key.pop_back();
  auto it = ReturnTypes().find(key);
  if (it == ReturnTypes().end()) return nullptr;
  if (!dollar) return &it->second;
  // Only the functions that return text in one form have a $ form (Left$, Format$, Date$...).
  return it->second.aggregate ? nullptr : &text;
}

}  // namespace jet::vba
