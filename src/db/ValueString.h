// A column value's text as the program shows it, in UTF-8, without the toolkit's
// string: the window (through ValueText.h) and the command line share it.
#pragma once
#include <string>
#include "platform/com/Variant.h"

// A string as it is, anything else through VariantToText. A value without a text
// form (NULL, binary) raises the database error with the conversion's code.
std::string ValueToString(const VARIANT& value);
