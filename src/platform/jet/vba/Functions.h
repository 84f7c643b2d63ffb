// The VBA functions Jet lets a statement call (Left, Mid, IIf, Format, Nz, ...),
// the case-blind text collation, LIKE with Jet's wildcards and the & operator,
// registered on one SQLite connection.
#pragma once
#include <cstdint>
#include <string>

struct sqlite3;

namespace jet {

// The collation every text column and text literal carries: Jet compares and
// sorts text without regard to case, accented letters beside their base letter
// (CompareJetText).
extern const char kTextCollation[];

// jet_sortkey(value): a text's key in Jet's order, a value of key bytes whose
// order (memcmp, shorter first) is CompareJetText's and which is equal for texts
// it finds equal; NULL, numbers and BLOBs come back as they are. ORDER BY, GROUP BY and DISTINCT
// over text sort these keys, one per value, instead of collating per comparison.
extern const char kSortKeyFunction[];

// The name under which VBA function `name` is registered in SQLite, or empty when
// there is none (matched without regard to case, a "$" suffix allowed). The
// operators the translator turns into calls (cat, add, pow, idiv, mod, div, xor,
// eqv, imp) have one.
std::string VbaFunctionSqlName(const std::string& name);

// The same for a name a statement calls: empty for the operators' names too,
// which are no functions of Jet's.
std::string VbaCallSqlName(const std::string& name);

// Count, Sum, Avg, Min and Max: Jet's aggregates, which SQLite's own serve
// (one argument each).
bool IsJetAggregate(const std::string& name);

// Whether a statement may call the SQLite function of that name: ours (vba_...,
// like) and the aggregates above. Everything else SQLite offers is refused; a
// SQLite function the translator itself comes to emit must be named here.
bool IsStatementFunction(const char* sqliteName);

// VarType, TypeName, IsNumeric and IsDate also come as kTypedPrefix + name
// ("vba_typedvartype"...) with a second argument: the VarType code the translator
// knows the value to have (a date travels as a day number, a Yes/No as an
// integer). No statement calls them by that name; the translator does.
extern const char kTypedPrefix[];

// Registers the functions, the collation, the sort keys and LIKE. False when
// SQLite refuses or ICU has no collator; `failed`, when given, then names what
// could not be registered.
bool RegisterVbaFunctions(sqlite3* db, std::string* failed = nullptr);

// Compares two UTF-8 texts in Jet's order (<0, 0, >0): case, width and kana type
// ignored, accents second to the base letters (Collation.cpp).
int CompareJetText(const char* a, int aLen, const char* b, int bLen);

// A hash of a UTF-8 text that is the same for texts CompareJetText finds equal,
// so that an index may find equal texts by it.
uint64_t JetTextHash(const char* text, int len);

}  // namespace jet
