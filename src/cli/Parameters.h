// --param NAME=VALUE: the values of a parameter query, put into its Jet SQL as the
// literals the user wrote (#1997-01-01#, 'text', 12.5) before it runs. A parameter
// is a PARAMETERS declaration's name, or a bracketed name the statement does not
// otherwise know ([Beginning Date], [Forms]![Orders]![OrderID]) that a --param names.
#pragma once
#include <string>
#include <utility>
#include <vector>

using ParameterValues = std::vector<std::pair<std::string, std::string>>;

// The statement with the PARAMETERS clause taken off and every parameter that has a
// value replaced by it. *missing: a declared parameter without one, or empty.
// The bracketed names of the statement (a chain such as [Forms]![Orders]![OrderID]
// as one, "Forms!Orders!OrderID"), outside its literals.
std::vector<std::string> BracketedNames(const std::string& jetSql);

std::string BindParameters(const std::string& jetSql, const ParameterValues& values, std::string* missing);
