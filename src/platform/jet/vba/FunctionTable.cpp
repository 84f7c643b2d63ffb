#include "platform/jet/vba/FunctionTable.h"

#include <unordered_map>

namespace jet::vba {

namespace {

std::string Lower(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Count, Sum, Avg, Min and Max take one argument each; SQLite's min and max of
// several are no Jet.
std::vector<FunctionInfo> SqliteAggregates() {
  using T = ValueType;
  return {SqliteAggregate("count", Returns(T::Long)).Portable("count"),
          SqliteAggregate("sum", ReturnType{T::Sum, 0, 0, true}).Portable("sum"),
          SqliteAggregate("avg", ReturnType{T::Average, 0, 0, true}).Portable("avg"),
          SqliteAggregate("min", ReturnType{T::Argument, 0, 0, true}).Portable("min"),
          SqliteAggregate("max", ReturnType{T::Argument, 0, 0, true}).Portable("max")};
}

struct Index {
  std::vector<FunctionInfo> rows;
  std::unordered_map<std::string, size_t> byName;
  std::unordered_map<std::string, size_t> bySqlName;
};

const Index& TheIndex() {
  static const Index index = [] {
    Index i;
    for (auto area : {TextFunctions, ConversionFunctions, MathFunctions, DateFunctions, DateArithmeticFunctions,
                      TypeAndChoiceFunctions, FormatFunctions, FinanceFunctions, OperatorsAndAggregates,
                      SqliteAggregates})
      for (FunctionInfo& row : area()) i.rows.push_back(std::move(row));
    for (size_t k = 0; k < i.rows.size(); ++k) i.byName.emplace(i.rows[k].name, k);
    for (size_t k = 0; k < i.rows.size(); ++k) i.bySqlName.emplace(i.rows[k].sqlName, k);
    return i;
  }();
  return index;
}

FunctionInfo Row(const char* name, FunctionKind kind, int minArgs, int maxArgs, ReturnType returns) {
  FunctionInfo row;
  row.name = name;
  std::string stem = row.name;
  const bool dollar = !stem.empty() && stem.back() == '$';
  if (dollar) stem.pop_back();
  row.sqlName = kind == FunctionKind::SqliteAggregate ? stem : "vba_" + stem + (dollar ? "str" : "");
  row.kind = kind;
  row.minArgs = minArgs;
  row.maxArgs = maxArgs;
  row.returns = returns;
  return row;
}

bool RegisterRow(sqlite3* db, const FunctionInfo& row) {
  if (row.registrar) return row.registrar(db, row);
  if (!row.scalar && !row.step) return true;  // SQLite's own
  const int flags = SQLITE_UTF8 | (row.deterministic ? SQLITE_DETERMINISTIC : 0);
  const int first = row.maxArgs < 0 ? -1 : row.minArgs, last = row.maxArgs < 0 ? -1 : row.maxArgs;
  for (int n = first; n <= last; ++n)
    if (sqlite3_create_function(db, row.sqlName.c_str(), n, flags, nullptr, row.scalar, row.step, row.final) !=
        SQLITE_OK)
      return false;
  return true;
}

}  // namespace

bool FunctionInfo::TextParameter(size_t arg, size_t count) const {
  uint32_t mask = textParameters;
  if (count < static_cast<size_t>(textShiftBelow)) mask >>= 1;
  return arg < 32 ? (mask >> arg & 1) != 0 : mask == kAllTexts;
}

ReturnType Returns(ValueType type) { return ReturnType{type, 0, 0, false}; }
ReturnType ReturnsArguments(int first, int step) { return ReturnType{ValueType::Argument, first, step, false}; }

FunctionInfo Scalar(const char* name, int minArgs, int maxArgs, ReturnType returns, ScalarFunction fn) {
  FunctionInfo row = Row(name, FunctionKind::Function, minArgs, maxArgs, returns);
  row.scalar = fn;
  return row;
}

FunctionInfo Aggregate(const char* name, ReturnType returns, ScalarFunction step, FinalFunction final) {
  returns.aggregate = true;
  FunctionInfo row = Row(name, FunctionKind::Aggregate, 1, 1, returns);
  row.step = step;
  row.final = final;
  return row;
}

FunctionInfo SqliteAggregate(const char* name, ReturnType returns) {
  returns.aggregate = true;
  return Row(name, FunctionKind::SqliteAggregate, 1, 1, returns);
}

FunctionInfo Operator(const char* name, int minArgs, int maxArgs, ScalarFunction fn) {
  FunctionInfo row = Row(name, FunctionKind::Operator, minArgs, maxArgs, Returns(ValueType::Argument));
  row.scalar = fn;
  return row;
}

FunctionInfo Internal(const char* name, int minArgs, int maxArgs, ScalarFunction fn) {
  FunctionInfo row = Row(name, FunctionKind::Internal, minArgs, maxArgs, Returns(ValueType::Argument));
  row.scalar = fn;
  return row;
}

const FunctionInfo* FindExactFunction(const std::string& name) {
  const Index& index = TheIndex();
  auto it = index.byName.find(Lower(name));
  return it == index.byName.end() ? nullptr : &index.rows[it->second];
}

const FunctionInfo* FindFunction(const std::string& name) {
  if (const FunctionInfo* row = FindExactFunction(name)) return row;
  if (name.empty() || name.back() != '$') return nullptr;
  return FindExactFunction(name.substr(0, name.size() - 1));
}

const FunctionInfo* FindSqlFunction(const std::string& sqlName) {
  const Index& index = TheIndex();
  auto it = index.bySqlName.find(Lower(sqlName));
  return it == index.bySqlName.end() ? nullptr : &index.rows[it->second];
}

const std::vector<FunctionInfo>& FunctionTable() { return TheIndex().rows; }

bool RegisterFunctionTable(sqlite3* db, std::string* failed) {
  for (const FunctionInfo& row : FunctionTable()) {
    if (RegisterRow(db, row)) continue;
    *failed = row.sqlName;
    return false;
  }
  return true;
}

}  // namespace jet::vba
