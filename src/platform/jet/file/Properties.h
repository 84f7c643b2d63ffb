// The properties Access keeps for a table and its columns in MSysObjects' LvProp
// blob ("KKD\0" in Jet 3, "MR2\0" from Jet 4 on): a chunk of property names, then
// one chunk of values for the table and one for each column that has any.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>
#include "platform/jet/file/Pager.h"

namespace jet {

class CodePageDecoder;

struct ObjectProperties {
  bool required = false;                    // Required: Yes
  std::optional<std::string> defaultValue;  // DefaultValue, the expression as typed
  std::optional<std::string> description;   // Description
};

struct TableProperties {
  ObjectProperties table;
  std::map<std::string, ObjectProperties> columns;  // by the column's name as the blob spells it
};

// E_FAIL when the blob does not hold together. An empty blob has no properties.
TableProperties ParseProperties(const std::vector<uint8_t>& blob, bool jet4, CodePageDecoder& names);

}  // namespace jet
