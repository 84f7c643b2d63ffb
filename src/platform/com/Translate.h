// The texts the program shows, in the user's language. The source strings are the
// program's own Chinese texts; a catalog ("kelvane") gives them in the user's
// language where one exists. Both programs (the window and kelvane-export) use it,
// so it lives below the toolkit: wxWidgets' own `_` is switched off for the build
// (WXINTL_NO_GETTEXT_MACRO), and `_` here is the program's one way to a text.
#pragma once

// Picks the language of the texts, once, at start-up: after setlocale(LC_ALL, "")
// and before a toolkit starts. Chinese (the source texts) when the user's locale is
// zh_* or C/POSIX, English in every other locale. The choice is also handed to the
// C library's message catalogs (LANGUAGE, and LC_MESSAGES where the user's locale is
// not installed), so that other libraries' texts come in the same language: English
// always; Chinese under C/POSIX too for a program with a `toolkit` (GTK's buttons
// and file dialog). Until it is called, Translate gives the source texts.
void ChooseLanguage(bool toolkit = false);

// The same choice for kelvane-export, a Unix tool first: Chinese only when the
// user's language is zh_*; English under C/POSIX (C.UTF-8 too) and everywhere else.
void ChooseCommandLineLanguage();

// Whether the user's locale asks for the Chinese texts: the first set of LC_ALL,
// LC_MESSAGES, LANG names zh_* or (but for the command line) C/POSIX, or none is set; outside C/POSIX the
// first entry of LANGUAGE, as the user set it, comes before them, as in gettext.
bool LanguageIsChinese();

// The text of `source` in the chosen language; `source` itself when no catalog
// has it. The result lives as long as the program.
const char* Translate(const char* source);

// Test seam: the folder the catalogs are taken from (<folder>/en/LC_MESSAGES/
// kelvane.mo) instead of the ones beside the program and of the installation.
void SetCatalogFolderForTest(const char* folder);

#ifndef _
#define _(s) Translate(s)
#endif
// A text marked for the catalog but translated later, where it is used.
#ifndef N_
#define N_(s) s
#endif
