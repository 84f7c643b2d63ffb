// The tokens of a Jet SQL statement. The translator works on tokens, never on raw
// text, so that literals ('...' and "..." are both strings in Jet), [bracketed
// names] and #date# literals pass through whole whatever they contain.
#pragma once
#include <string>
#include <vector>

namespace jet {

enum class TokKind {
  Word,    // a bare word: keyword, name or function name (a VBA "$" suffix included)
  Name,    // a [bracketed] name, brackets removed
  String,  // a string literal, quotes removed and doubled quotes undone
  Number,  // a numeric literal as typed
  Date,    // a #date# literal, the text between the #s
  Op,      // an operator or punctuation: , . ; * + - / \ = < > <= >= <> != & ! ^ ? ...
  Open,    // (
  Close,   // )
  Raw,     // text the translator made, passed to SQLite as it stands
};

struct Token {
  TokKind kind;
  std::string text;
};

// Splits a statement into tokens. Blanks (spaces, tabs, CR, LF) only separate.
// Throws _com_error(JET_E_SYNTAX) for an unterminated literal or bracket.
std::vector<Token> TokenizeJetSql(const std::string& sql);

// ASCII lower case of a word, for keyword comparisons.
std::string LowerAscii(const std::string& s);

}  // namespace jet
