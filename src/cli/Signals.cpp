#include "cli/Signals.h"

#include <unistd.h>
#include <atomic>
#include <csignal>
#include "cli/Progress.h"
#include "cli/Report.h"
#include "export/TargetFile.h"
#include "migrate/SqliteWriter.h"

namespace {

std::atomic<const char*> g_removeOnStop{nullptr};

// Only async-signal-safe calls: ftruncate, unlink, write, _exit.
void OnStop(int) {
  TargetFile::CutBackForSignal();
  if (const char* path = g_removeOnStop.load()) unlink(path);
  migrate::RemoveTemporaryForSignal();
  Progress::ClearLine();
  _exit(kInterrupted);
}

}  // namespace

void RemoveOnSignal(const char* path) { g_removeOnStop.store(path); }

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
