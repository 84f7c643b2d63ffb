// The one writer of SQLite SQL from a statement's tree (Ast.h). The engine's mode
// writes the calls of our own functions the lowerings put in; the portable mode
// writes only SQLite's own functions and operators, for SQL that runs in any
// SQLite, and says why when a statement cannot be written so.
#pragma once
#include <string>

#include "platform/jet/sql/Ast.h"

namespace jet::sql {

enum class PrintMode { Engine, Portable };

// In portable mode `unwritable` (when given) receives why the statement cannot
// be written (the function or construct it needs); it stays empty when it could.
std::string Print(const Query& q, PrintMode mode = PrintMode::Engine, std::string* unwritable = nullptr);
std::string Print(const Node& n, PrintMode mode = PrintMode::Engine, std::string* unwritable = nullptr);

// A day number as SQLite text that stays a REAL ("36556.0").
std::string DayNumberText(double d);

}  // namespace jet::sql
