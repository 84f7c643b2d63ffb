// Jet SQL to SQLite SQL. The statement is tokenized, grouped by parentheses and
// rewritten group by group: TOP n [PERCENT] becomes LIMIT, [names] and #dates#
// become SQLite names and day numbers, "..." strings become '...', & becomes a
// concatenation with Jet's NULL rule, True/False become -1/0, VBA functions get
// their registered names, and text literals and function results compare
// without regard to case. Then every expression is typed as Jet types it, so
// that the result's columns carry Jet's types (dates, Yes/No, Currency).
#pragma once
#include <functional>
#include <string>
#include <vector>

struct sqlite3;

namespace jet {

// The alias the translator gives an unnamed expression of the outermost select
// list; the cursor turns it into Jet's "Expr1000", "Expr1001"... by position.
extern const char kExprAlias[];

// A column of a table, saved query or select, with its type: an AccessType, or
// -1 where the translator cannot tell (the value's own type then decides).
struct TypedColumn {
  std::string name;
  int type = -1;
  // The alias the statement gives the table a plain column comes from, as
  // written; empty when it gives none (a repeated name is then told apart by
  // the table's own name).
  std::string source;
};
// What the database knows of a name a statement reads from.
enum class SourceFound {
  Columns,    // a table or saved query whose columns are known: *columns has them
  NoColumns,  // a table or saved query whose columns are not known here
  Missing,    // neither: *similar gets a name that differs only in case or blanks, if any
};
// The columns of the table or saved query of that name, for typing the
// expressions over it, and whether there is one.
using ColumnLookup =
    std::function<SourceFound(const std::string& name, std::vector<TypedColumn>* columns, std::string* similar)>;

// The type Jet gives each column of a result, as far as the translator can tell.
// `first` types the first columns; when a * could not be expanded, `last` types
// the columns after it, counted from the end of the select list.
struct ResultTypes {
  std::vector<TypedColumn> first;
  std::vector<TypedColumn> last;
  bool whole = false;  // `first` is every column
};

struct ScanState;
// Registers on `db` the functions the translated SQL calls beyond the VBA
// library (the text forms of dates, Singles and Currency, the exact + - and Sum of
// money, the check of a subquery used as a value); they keep what they need in
// `state` and leave their errors there, so it must outlive the connection.
// False when SQLite refuses.
bool RegisterTranslationFunctions(sqlite3* db, ScanState* state);

// Throws _com_error: JET_E_EMPTYSTATEMENT for a statement of blanks only,
// JET_E_SYNTAX for what Jet cannot parse, E_FAIL for statements that would change
// the database (which is read-only here). Empty for a crosstab whose column
// headings come from the data (Crosstab.h).
std::string TranslateJetSql(const std::string& jetSql);

// What the runner needs to know of a statement beyond its SQLite text.
struct StatementShape {
  // Plain columns (or *) of one table, no condition, no order, at most a TOP n:
  // the form the preview and the export send most, which can stream straight
  // from the reader.
  bool plain = false;
  long long limit = -1;  // TOP n of the outer select, or -1
  std::string table;     // the name after FROM, when plain
  // TOP n with ORDER BY returns, as in Jet, the rows tied with the n-th as well:
  // the SQLite text then has no LIMIT and ends its select list with `tieKeys`
  // copies of the ORDER BY keys, which the cursor compares and hides.
  // `limitSql` is the same statement with a plain LIMIT n, for when the keys
  // cannot be selected (an alias or a position as a key).
  int tieKeys = 0;
  std::string limitSql;
  ResultTypes types;  // filled when a lookup was given
  // A crosstab whose column headings come from the data: the select that finds
  // them, to run before the statement can be translated (Crosstab.h).
  std::string headingsSql;
  int headingType = -1;  // the headings' AccessType, -1 where unknown
  // The tables and saved queries the statement reads (its subqueries' too), as
  // first written, each once: the runner makes them known to SQLite before it
  // prepares the statement. Filled when a lookup was given.
  std::vector<std::string> sources;
  // Unqualified column names, in lower case, that more than one source of the
  // select reading them has: SQLite refuses them as ambiguous (PrepareError.h).
  std::vector<std::string> ambiguous;
  // Columns of join conditions that no source has, as written ("q.name" when
  // qualified): SQLite does not say where in the text those stand.
  std::vector<std::string> missingInJoins;
};
// Every expression is typed (its columns' types through `lookup`, when given): the
// result's types are filled, a date joined to text takes its text form, and the
// mismatches Jet refuses (text compared with a number: JET_E_TYPEMISMATCH) throw.
// With a lookup, a source that is neither a table nor a saved query throws
// JET_E_NOTABLE, naming it.
std::string TranslateJetSql(const std::string& jetSql, StatementShape* shape,
                            const ColumnLookup* lookup = nullptr);

// A saved select query as SQL for any SQLite over the whole-database output's
// tables (its Yes/No values 1 and 0, its dates ISO 8601 text): the engine's parse,
// typing, refusals and lowerings, printed with SQLite's own functions only
// (PrintMode::Portable), TOP as a plain LIMIT, unnamed fields named as Jet names
// them (Expr1000...). Empty, with `unwritable` saying why, when it cannot be
// written so. Throws _com_error as TranslateJetSql does.
std::string TranslatePortable(const std::string& jetSql, const ColumnLookup* lookup, std::string* unwritable);

}  // namespace jet
