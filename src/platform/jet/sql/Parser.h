// Jet SQL to its syntax tree (Ast.h), in one pass over the tokens, with one
// precedence table of Jet's operators. Internal to the SQL translation.
#pragma once
#include <string>

#include "platform/jet/sql/Ast.h"

namespace jet::sql {

// Throws _com_error: JET_E_EMPTYSTATEMENT for blanks only, JET_E_SYNTAX naming
// the stretch of the statement near the fault, E_FAIL for statements that would
// change the database.
Statement ParseJetSql(const std::string& jetSql);

// Words of Jet's grammar: never a name, never a function.
bool IsJetKeyword(const std::string& lowerWord);

}  // namespace jet::sql
