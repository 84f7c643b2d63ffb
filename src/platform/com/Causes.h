// The catalog of failure causes: the descriptions a database error carries, in the
// program's language. The window's failure boxes and kelvane-export's messages both
// take their words from here, so one cause reads the same in both. Each builder
// gives one phrase naming the cause and its object, with no full stop at its end;
// its raiser throws it as _com_error(code, phrase) where the cause is found.
#pragma once
#include <string>

#include "platform/com/ComError.h"

// The description of a failure: the one its raiser gave (naming the object), else
// the cause its code stands for in general terms, else empty. For damage the reader
// found (e.IsDamage()), `advice` adds a second sentence: that kelvane-export's
// --salvage can export the records after it (the window's description line shows
// it so; kelvane-export says it its own way and asks without).
std::string FailureDescription(const _com_error& e, bool advice = true);

// Jet's number of a provider code (0x80040E37 -> 3127), or 0 for a code that has none.
int JetErrorNumber(HRESULT hr);

// Statements (the SQL engine).
// similar: a table whose name differs only in case or blanks, or empty.
std::string NoSuchTableCause(const std::string& table, const std::string& similar);
std::string NoSuchColumnCause(const std::string& column);
// near: the stretch of the statement where it stopped making sense, or empty.
std::string SyntaxErrorCause(const std::string& near);
std::string UnfinishedStatementCause();
std::string OnlySelectCause();
// Jet's refusals of a statement it reads but will not run.
std::string NotGroupedCause(const std::string& field);
std::string OrderKeyNotSelectedCause(const std::string& key);
std::string ArgumentCountCause(const std::string& function);
std::string UnionFieldCountCause();
std::string MissingParameterCause(const std::string& parameter);
std::string NoSuchQueryCause(const std::string& query);
// A saved query that is no select (an action query) or cannot be rebuilt.
std::string UnrunnableQueryCause(const std::string& query);
std::string CircularQueryCause(const std::string& query);
// The SQL engine could not set up `what` (a function, the collation, the tables'
// module) on its connection, so no statement could run.
std::string EngineSetupCause(const std::string& what);

// The database file (the reader's open).
std::string NotAccessDatabaseCause();
std::string DirectoryCause();
std::string EmptyFileCause();
// reason: the system's words for errno (strerror).
std::string CannotReadCause(const std::string& reason);

// Values on their way to the file.
// table: the table read, or empty.
std::string BinaryValueCause(const std::string& table, const std::string& column);
std::string ValueOutOfRangeCause(const std::string& table, const std::string& column);
std::string UnwritableCharacterCause(const std::string& table, long record, const std::string& column,
                                     const std::string& character, const std::string& charset);
