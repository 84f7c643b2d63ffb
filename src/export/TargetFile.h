// The export's target file. It is created if missing and emptied only once this
// run holds it: opened without truncation, locked exclusively (an advisory flock,
// so a second run into the same file fails instead of interleaving its lines),
// then truncated. Every failure throws _com_error with the Win32 code of the
// errno (HResultFromErrno), so the box shows the system text of that error; the
// lock held by another run reads as Windows' sharing violation.
#pragma once
#include <cstdint>
#include <string>
#include "platform/com/ComError.h"

// True when both paths name one existing file (device and inode: the same file
// through another path, a symbolic link or a hard link).
bool IsSameFile(const std::string& a, const std::string& b);

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
  // Writes the bytes whole, with as many write calls as the system needs. Every few
  // megabytes the system is told to start writing them to the disk, so that the
  // flush at Close() waits only for the last of them; the part started the time
  // before is then waited for, which costs little by then and shows a failure that
  // a network file system reports late. A failure leaves the file open, holding
  // what reached it, for the caller to cut back to a whole line (CutBack).
  void Write(const char* data, size_t size);
  // Flushes a regular file to disk and closes it; both are checked, because a full
  // disk may show first there. A failed flush leaves the file open as a failed
  // Write does.
  void Close();

  // Bytes handed to the system so far.
  uint64_t Written() const { return m_written; }
  // The bytes from the start known to be sound: those seen to reach the disk, and
  // after a failed write call all that reached the file before it.
  uint64_t Sound() const { return m_sound; }
  // Cuts a regular file back to `size` bytes and closes it.
  void CutBack(uint64_t size);

  bool IsOpen() const { return m_fd >= 0; }

 private:
  [[noreturn]] void Fail(int error);
  // Throws the failure of a write that leaves `sound` bytes sound, the file open.
  [[noreturn]] void FailWrite(int error, uint64_t sound);

  int m_fd = -1;
  bool m_regular = false;
  // Bytes written, and of them those whose way to the disk has been started.
  uint64_t m_written = 0, m_started = 0;
  uint64_t m_sound = 0;
};
