// The statement that reads a table of the list: the window's table mode and the
// command line build it here, so that both read a table alike.
#pragma once
#include <string>

// The table's name as it goes into a statement: a plain word (letters, digits and
// '_', not led by a digit; any non-ASCII character counts as a letter) as it
// stands, anything else (blanks, punctuation, a leading digit) between brackets, so
// that every table the list offers can be read.
std::string TableNameInStatement(const std::string& table);

// "select <fields> from <table>", and the preview's "select top 4 * from <table>".
std::string TableStatement(const std::string& fields, const std::string& table);
std::string TablePreviewStatement(const std::string& table);
