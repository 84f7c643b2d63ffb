#include "export/TargetFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include "platform/com/Errno.h"

namespace {

// The file a signal cuts back, and where: set while a regular file is open here,
// read by the handler. One run writes one file at a time, in one thread.
std::atomic<int> g_signalFd{-1};
std::atomic<uint64_t> g_signalEnd{0};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<uint64_t>::is_always_lock_free,
              "read in a signal handler");

}  // namespace

void TargetFile::CutBackForSignal() {
  const int fd = g_signalFd.load();
  // A handler has no one to tell of a failure; the exit status speaks of the signal.
  if (fd >= 0 && ftruncate(fd, static_cast<off_t>(g_signalEnd.load())) != 0) return;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (a.empty() || b.empty()) return false;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

TargetFile::~TargetFile() { CloseDescriptor(); }

void TargetFile::CloseDescriptor() {
  if (m_fd < 0) return;
  if (g_signalFd.load() == m_fd) g_signalFd.store(-1);
  if (!m_adopted) ::close(m_fd);
  m_fd = -1;
}

void TargetFile::Fail(int error) {
  CloseDescriptor();
  throw TargetFileError(HResultFromErrno(error), true);
}

void TargetFile::Adopt(int fd) {
  m_fd = fd;
  m_adopted = true;
  m_regular = false;
  m_written = m_started = m_sound = 0;
}

void TargetFile::Open(const std::string& path, const std::string& keep) {
  // No O_TRUNC: truncating before the lock is held would empty a file that
  // another run is still writing.
  // O_NONBLOCK only for the open: a FIFO nobody reads fails (ENXIO) instead of
  // hanging the window; the writes then block as usual.
  m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  // With O_CREAT a missing name is a folder of the path that is not there, which
  // Windows reports as the path (not the file) not found.
  if (m_fd < 0) Fail(errno == ENOENT ? ENOTDIR : errno);
  const int flags = fcntl(m_fd, F_GETFL);
  if (flags < 0 || fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK) != 0) Fail(errno);

  struct stat st;
  if (fstat(m_fd, &st) != 0) Fail(errno);
  m_regular = S_ISREG(st.st_mode);
  struct stat src;
  if (!keep.empty() && stat(keep.c_str(), &src) == 0 && src.st_dev == st.st_dev &&
      src.st_ino == st.st_ino) {
    Fail(EPERM);  // the caller checks first; this closes the gap to the open
  }

  // Held by another run: what Windows reports for a file opened without sharing.
  if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) Fail(errno == EWOULDBLOCK ? EBUSY : errno);
  // Devices (/dev/null, /dev/full) cannot be truncated and need not be.
  if (m_regular && ftruncate(m_fd, 0) != 0) Fail(errno);
  m_written = m_started = m_sound = 0;
  if (m_regular) {
    g_signalEnd.store(0);
    g_signalFd.store(m_fd);
  }
}

void TargetFile::FailWrite(int error, uint64_t sound) {
  m_sound = sound;
  throw TargetFileError(HResultFromErrno(error), false);
}

// The errors of data that did not reach the disk; anything else sync_file_range
// says (a file system or sandbox without it) leaves it what it was, a hint.
static bool IsLostWrite(int error) {
  return error == EIO || error == ENOSPC || error == EDQUOT || error == EFBIG;
}

void TargetFile::Write(const char* data, size_t size) {
  if (m_fd < 0) throw TargetFileError(HResultFromErrno(EBADF), false);
  while (size > 0) {
    ssize_t n = ::write(m_fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      FailWrite(errno, m_written);
    }
    data += n;
    size -= static_cast<size_t>(n);
    m_written += static_cast<uint64_t>(n);
  }
  if (g_signalFd.load() == m_fd) g_signalEnd.store(m_written);
  if (!m_regular) m_sound = m_written;  // no disk to wait for, nothing to cut back
  constexpr uint64_t kStartEvery = 4 << 20;
  if (m_regular && m_written - m_started >= kStartEvery) {
    if (m_started > m_sound) {
      if (sync_file_range(m_fd, static_cast<off_t>(m_sound), static_cast<off_t>(m_started - m_sound),
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER) != 0 &&
          IsLostWrite(errno)) {
        FailWrite(errno, m_sound);
      }
      m_sound = m_started;
    }
    sync_file_range(m_fd, static_cast<off_t>(m_started), static_cast<off_t>(m_written - m_started),
                    SYNC_FILE_RANGE_WRITE);
    m_started = m_written;
  }
}

void TargetFile::Close() {
  if (m_fd < 0) return;
  if (m_regular && m_deferFlush) {
    sync_file_range(m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);  // a hint: nothing to check yet
  } else if (m_regular && fsync(m_fd) != 0) {
    FailWrite(errno, m_sound);
  }
  if (m_adopted) {
    m_fd = -1;
    return;
  }
  if (g_signalFd.load() == m_fd) g_signalFd.store(-1);
  int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) throw TargetFileError(HResultFromErrno(errno), false);
}

void TargetFile::CutBack(uint64_t size) {
  if (m_fd < 0) return;
  // A failure to cut is not reported: the failure that led here is.
  if (m_regular && size < m_written && ftruncate(m_fd, static_cast<off_t>(size)) == 0) m_written = size;
  CloseDescriptor();
}
