// The values of a parameter query (kelvane-export's --param NAME=VALUE), put into its
// Jet SQL as the literals the user wrote (#1997-01-01#, 'text', 12.5) before it is
// translated: into the statement, and into every saved query it reads. A parameter
// is a PARAMETERS declaration's name, or a bracketed name the statement does not
// otherwise know ([Beginning Date], [Forms]![Orders]![OrderID]) that a --param names.
#pragma once
#include <string>
#include <utility>
#include <vector>
#include "platform/com/ComError.h"

namespace jet {

using ParameterValues = std::vector<std::pair<std::string, std::string>>;

// The bracketed names of the statement (a chain such as [Forms]![Orders]![OrderID]
// as one, "Forms!Orders!OrderID"), outside its literals.
std::vector<std::string> BracketedNames(const std::string& jetSql);

// The statement with the PARAMETERS clause taken off and every parameter that has a
// value replaced by it. *missing: a declared parameter without one, or empty.
std::string BindParameters(const std::string& jetSql, const ParameterValues& values, std::string* missing);

// Jet asks for a value for any bracketed name a statement does not otherwise know:
// the engine's "no such column" (e) for one of jetSql's own bracketed names is a
// parameter left without a value, and is said so. Any other error is e itself.
_com_error AsMissingParameter(const _com_error& e, const std::string& jetSql);

}  // namespace jet
