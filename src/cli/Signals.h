// How a run ends when it is stopped from outside. Ctrl-C (SIGINT) and SIGTERM end
// it at once, whatever it is doing (a long sort included): the file being written
// is cut back to its last whole line, a progress line is cleared, and the status
// is 130. A reader that closes the pipe (`| head`) ends it as it ends any tool of
// a pipeline: by SIGPIPE, without a word, even where the caller ignored it.
#pragma once

void InstallSignalHandlers();

// A file that a stop removes rather than cuts back (--all's temporary file, which
// must never stay beside the finished ones); nullptr for none. The text must live
// until it is replaced.
void RemoveOnSignal(const char* path);
