// The locale of kelvane-export: a Unix tool first. It speaks English and writes
// UTF-8 under C, POSIX, C.UTF-8, an unset locale or one that is not installed;
// Chinese only under zh_*. A locale that is named but missing still tells its
// character set by its name (de_DE.ISO-8859-1 writes ISO-8859-1).
#pragma once
#include <string>

// Sets the process locale from the environment, chooses the messages' language,
// and returns the output character set that -e would otherwise name.
std::string ChooseCommandLineLocale();
