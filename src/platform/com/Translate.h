// The texts the program shows, in the user's language. The source strings are the
// program's own Chinese texts; a catalog ("kelvane") gives them in the user's
// language where one exists. Both programs (the window and kelvane-export) use it,
// so it lives below the toolkit: wxWidgets' own `_` is switched off for the build
// (WXINTL_NO_GETTEXT_MACRO), and `_` here is the program's one way to a text.
#pragma once

// The text of `source` in the user's language; `source` itself when no catalog
// has it. The result lives as long as the program.
const char* Translate(const char* source);

#ifndef _
#define _(s) Translate(s)
#endif
// A text marked for the catalog but translated later, where it is used.
#ifndef N_
#define N_(s) s
#endif
