// The return types, as the function table (FunctionTable.h) holds them.
#include "platform/jet/vba/ReturnTypes.h"

#include "platform/jet/vba/FunctionTable.h"

namespace jet::vba {

namespace {

bool Typed(const FunctionInfo& row) {
  return row.kind != FunctionKind::Operator && row.kind != FunctionKind::Internal;
}

}  // namespace

const std::map<std::string, ReturnType>& ReturnTypes() {
  static const std::map<std::string, ReturnType> table = [] {
    std::map<std::string, ReturnType> out;
    for (const FunctionInfo& row : FunctionTable())
      if (Typed(row) && row.name.back() != '$') out.emplace(row.name, row.returns);
    return out;
  }();
  return table;
}

const ReturnType* FindReturnType(const std::string& name) {
  static const ReturnType text{ValueType::Text};
  const FunctionInfo* row = FindFunction(name);
  if (!row || !Typed(*row)) return nullptr;
  const bool dollar = !name.empty() && name.back() == '$';
  if (!dollar || row->name.back() == '$') return &row->returns;
  // Only the functions that return text in one form have a $ form (Left$, Format$, Date$...).
  return row->returns.aggregate ? nullptr : &text;
}

}  // namespace jet::vba
