// The database password of kelvane-export, asked for only when the file needs
// one, from (in this order) --password-file, KELVANE_PASSWORD, and a prompt on the
// terminal with no echo when standard input is one. No option takes the password
// itself: it would show in `ps` and in the shell's history. It is never written
// anywhere: not in a message, a file or an argument list.
#pragma once
#include <functional>
#include <string>

// --password-file: the file whose first line (without its line end) is the
// password; "-" is standard input.
void SetPasswordFile(const std::string& path);

// Opens with `open(password)` (empty: none), and when the database refuses it for
// its password, once more with the password of the first source that has one.
// Throws the refusal (JET_E_PASSWORD) with the command line's description: no
// source gave a password, the password is not correct, or the password file
// cannot be read.
void OpenWithPassword(const std::string& database, const std::function<void(const std::string&)>& open);

// The lines of --help that tell where the password comes from.
std::string PasswordHelp();
