// What kelvane-export tells about itself: the usage line of a usage error, --help,
// --version.
#pragma once
#include <string>

// The synopsis and where to read more: after a usage error, on standard error.
std::string ShortUsage();
// The whole help, for --help on standard output.
std::string FullHelp();
std::string VersionText();
