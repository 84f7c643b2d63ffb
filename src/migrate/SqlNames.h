// Names and literals in the SQL of the target databases.
#pragma once
#include <optional>
#include <string>
#include "migrate/Schema.h"
#include "platform/com/SqlName.h"

namespace migrate {

// "name", with each " doubled: any Access name, case kept.
inline std::string Quoted(const std::string& name) { return QuotedSqlName(name); }
// 'text', with each ' doubled.
std::string Literal(const std::string& text);
// A DefaultValue that is a plain literal (a number, a quoted text, Yes/No), as an
// SQL literal for a column of that type; none for an expression (=Now(), Date()),
// which no target evaluates as Access does.
std::optional<std::string> LiteralDefault(const Column& c);
// The referential rule as SQL writes it: CASCADE, SET NULL or NO ACTION.
std::string Rule(const std::string& rule);

}  // namespace migrate
