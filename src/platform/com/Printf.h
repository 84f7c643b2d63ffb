// printf into a string: the program's texts are formats in its language, filled in
// where they are shown (the causes, the command line's lines).
#pragma once
#include <string>

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
