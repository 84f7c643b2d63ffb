#include "cli/Signals.h"

#include <unistd.h>
#include <csignal>
#include "cli/Progress.h"
#include "cli/Report.h"
#include "export/TargetFile.h"
#include "migrate/SqliteWriter.h"

namespace {

// Only async-signal-safe calls: ftruncate, write, _exit.
void OnStop(int) {
  TargetFile::CutBackForSignal();
  migrate::RemoveTemporaryForSignal();
  Progress::ClearLine();
  _exit(kInterrupted);
}

}  // namespace

void InstallSignalHandlers() {
  struct sigaction stop {};
  stop.sa_handler = OnStop;
  sigemptyset(&stop.sa_mask);
  sigaddset(&stop.sa_mask, SIGINT);
  sigaddset(&stop.sa_mask, SIGTERM);
  sigaction(SIGINT, &stop, nullptr);
  sigaction(SIGTERM, &stop, nullptr);
  signal(SIGPIPE, SIG_DFL);
}
