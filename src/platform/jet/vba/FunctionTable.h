// The one table of the functions a Jet statement may call, and of the engine's
// own the translator emits: a row per function holds all that is known of it
// (its name, argument counts, return rule, String parameters, whether it
// aggregates, its SQLite callbacks and its portable SQLite form). Each area's
// rows stand beside their implementations (Text.cpp, Convert.cpp, ...); a new
// function needs only its row there. Every other view of the functions
// (FindReturnType, VbaFunctionSqlName, IsJetAggregate, RegisterVbaFunctions...)
// reads this table.
#pragma once
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/jet/vba/ReturnTypes.h"

namespace jet::vba {

using ScalarFunction = void (*)(sqlite3_context*, int, sqlite3_value**);
using FinalFunction = void (*)(sqlite3_context*);

enum class FunctionKind {
  Function,         // a VBA function a statement calls by name
  Aggregate,        // an aggregate of Jet's that this library implements (First, StDev...)
  SqliteAggregate,  // Count, Sum, Avg, Min, Max: SQLite's own serve, under the same name
  Operator,         // an operator the translator turns into a call (cat for &, add for +...)
  Internal,         // a helper only the translator calls (vba_typedvartype...)
};

// String parameters, as bits of the argument positions.
constexpr uint32_t kFirstText = 1, kFirstTwoTexts = 3, kFirstThreeTexts = 7, kAllTexts = ~0u;

struct FunctionInfo {
  std::string name;     // lower case, as a statement calls it ("left", "date$"), or the operator's ("cat")
  std::string sqlName;  // the name it is registered under in SQLite ("vba_left", "count")
  FunctionKind kind = FunctionKind::Function;
  int minArgs = 0, maxArgs = 0;  // maxArgs -1: any number, checked by the implementation
  ReturnType returns{ValueType::Text};
  // Bit k: argument k is a String parameter, where VBA passes a date by its text
  // form (Left(OrderDate, 4) is "1994"). With fewer arguments than textShiftBelow,
  // an optional first argument is left out and the bits move down one (InStr).
  uint32_t textParameters = 0;
  int textShiftBelow = 0;
  ScalarFunction scalar = nullptr;  // or step and final for an aggregate
  ScalarFunction step = nullptr;
  FinalFunction final = nullptr;
  bool deterministic = true;
  // Registers the function where the plain registration does not do (state of
  // its own, as Rnd's seed): true when SQLite took it.
  bool (*registrar)(sqlite3* db, const FunctionInfo& row) = nullptr;
  // SQLite's own function that gives exactly this function's result for every
  // value and argument count, for SQL that must run without this library; null
  // when there is none (SQLite's upper() is ASCII only, so UCase has none). A form
  // with %1, %2 ... is an expression of the arguments ("ifnull(%1, %2)"); %, stands
  // for all of them separated by commas, %| for all of them joined by || with
  // NULL read as ''.
  const char* portable = nullptr;

  FunctionInfo& Texts(uint32_t mask, int shiftBelow = 0) {
    textParameters = mask;
    textShiftBelow = shiftBelow;
    return *this;
  }
  FunctionInfo& Volatile() {
    deterministic = false;
    return *this;
  }
  FunctionInfo& Portable(const char* sqliteFunction) {
    portable = sqliteFunction;
    return *this;
  }
  FunctionInfo& RegisteredBy(bool (*r)(sqlite3*, const FunctionInfo&)) {
    registrar = r;
    return *this;
  }
  // Whether argument `arg` of a call with `count` arguments is a String parameter.
  bool TextParameter(size_t arg, size_t count) const;
};

// Return rules.
ReturnType Returns(ValueType type);
ReturnType ReturnsArguments(int first, int step);  // the type of arguments first, first + step, ...

// Rows. The SQL name is "vba_" + name ("vba_datestr" for "date$").
FunctionInfo Scalar(const char* name, int minArgs, int maxArgs, ReturnType returns, ScalarFunction fn);
FunctionInfo Aggregate(const char* name, ReturnType returns, ScalarFunction step, FinalFunction final);
FunctionInfo SqliteAggregate(const char* name, ReturnType returns);
FunctionInfo Operator(const char* name, int minArgs, int maxArgs, ScalarFunction fn);
FunctionInfo Internal(const char* name, int minArgs, int maxArgs, ScalarFunction fn);

// The row of `name` (without regard to case; "Left$" finds left where there is
// no row of its own), or null.
const FunctionInfo* FindFunction(const std::string& name);
// The row of exactly `name` (without regard to case), "$" forms not folded.
const FunctionInfo* FindExactFunction(const std::string& name);
// The row registered in SQLite under `sqlName` ("vba_left", "count"), or null.
const FunctionInfo* FindSqlFunction(const std::string& sqlName);
// The whole table, area by area.
const std::vector<FunctionInfo>& FunctionTable();

// Registers every row that has an implementation; false at the first SQLite
// refuses, whose SQL name goes to `failed`.
bool RegisterFunctionTable(sqlite3* db, std::string* failed);

// Each area's rows (their files).
std::vector<FunctionInfo> TextFunctions();
std::vector<FunctionInfo> ConversionFunctions();
std::vector<FunctionInfo> MathFunctions();
std::vector<FunctionInfo> DateFunctions();
std::vector<FunctionInfo> DateArithmeticFunctions();
std::vector<FunctionInfo> TypeAndChoiceFunctions();
std::vector<FunctionInfo> FormatFunctions();
std::vector<FunctionInfo> FinanceFunctions();
std::vector<FunctionInfo> OperatorsAndAggregates();  // Functions.cpp

}  // namespace jet::vba
