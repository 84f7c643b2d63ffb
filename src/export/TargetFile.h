// The export's target file. It is created if missing and emptied only once this
// run holds it: opened without truncation, locked exclusively (an advisory flock,
// so a second run into the same file fails instead of interleaving its lines),
// then truncated. Every failure throws _com_error with the Win32 code of the
// errno (HResultFromErrno), so the box shows the system text of that error; the
// lock held by another run reads as Windows' sharing violation. Its failures are
// TargetFileError, so that a report can tell them from the database's.
#pragma once
#include <cstdint>
#include <string>
#include "platform/com/ComError.h"

// True when both paths name one existing file (device and inode: the same file
// through another path, a symbolic link or a hard link).
bool IsSameFile(const std::string& a, const std::string& b);

// A failure of the target file (not of the database): when it was being created
// (opened, locked, emptied) or written.
class TargetFileError : public _com_error {
 public:
  TargetFileError(HRESULT hr, bool creating) : _com_error(hr), m_creating(creating) {}
  bool Creating() const { return m_creating; }

 private:
  bool m_creating;
};

class TargetFile {
 public:
  TargetFile() = default;
  // A file still open here (the failure path) is closed with what it holds.
  ~TargetFile();
  TargetFile(const TargetFile&) = delete;
  TargetFile& operator=(const TargetFile&) = delete;

  // Opens, locks and empties path. A path that turns out to be the file `keep`
  // (the source database) is refused before anything in it changes.
  void Open(const std::string& path, const std::string& keep = std::string());
  // Writes to a descriptor already open (standard output) instead: it is neither
  // locked, emptied, flushed to disk, cut back nor closed, since what it holds
  // before and what becomes of it are the caller's.
  void Adopt(int fd);
  // Writes the bytes whole, with as many write calls as the system needs. Every few
  // megabytes the system is told to start writing them to the disk, so that the
  // flush at Close() waits only for the last of them; the part started the time
  // before is then waited for, which costs little by then and shows a failure that
  // a network file system reports late. A failure leaves the file open, holding
  // what reached it, for the caller to cut back to a whole line (CutBack). The
  // writer hands over whole lines only: a signal cuts the file back to a call's end.
  void Write(const char* data, size_t size);
  // Flushes a regular file to disk and closes it; both are checked, because a full
  // disk may show first there. A failed flush leaves the file open as a failed
  // Write does.
  void Close();
  // Close() then only starts the writing to disk and does not wait for it: for a
  // run over many files, whose caller waits once for the whole file system
  // (syncfs) instead of once a file.
  void DeferFlush() { m_deferFlush = true; }

  // Bytes handed to the system so far.
  uint64_t Written() const { return m_written; }
  // The bytes from the start known to be sound: those seen to reach the disk, and
  // after a failed write call all that reached the file before it.
  uint64_t Sound() const { return m_sound; }
  // Cuts a regular file back to `size` bytes and closes it.
  void CutBack(uint64_t size);

  bool IsOpen() const { return m_fd >= 0; }

  // For a signal handler (only async-signal-safe calls): cuts the file being
  // written, if a regular file opened by Open is, back to the end of its last
  // complete Write, which the writer always ends with a whole line.
  static void CutBackForSignal();

 private:
  [[noreturn]] void Fail(int error);
  // Throws the failure of a write that leaves `sound` bytes sound, the file open.
  [[noreturn]] void FailWrite(int error, uint64_t sound);

  // Stops the signal's cut-back of this file, then closes it.
  void CloseDescriptor();

  int m_fd = -1;
  bool m_regular = false;
  bool m_adopted = false;
  bool m_deferFlush = false;
  // Bytes written, and of them those whose way to the disk has been started.
  uint64_t m_written = 0, m_started = 0;
  uint64_t m_sound = 0;
};
