#pragma once
// Writes that fail as on a full disk: a small file system of its own, or a limit on the size of
// the files this process writes.

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cerrno>
#include <csignal>

namespace ostrivo::test {

// A tmpfs mounted over a folder while the object lives. Needs the right to mount; tests skip
// when the machine does not give it.
class ScratchMount {
 public:
  ScratchMount(const QString& path, const char* size)
      : path_(QFile::encodeName(path)),
        mounted_(mount("tmpfs", path_.constData(), "tmpfs", 0,
                       (QByteArray("size=") + size).constData()) == 0) {}
  ~ScratchMount() {
    if (mounted_ && umount(path_.constData()) != 0) umount2(path_.constData(), MNT_DETACH);
  }
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;
  bool Mounted() const { return mounted_; }

  // Fills the file system to the last byte with a file of the given name; true when no byte
  // is left.
  bool Fill(const char* name = "filler") const {
    const int fd = ::open((path_ + '/' + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    char block[4096] = {};
    ssize_t n = 0;
    while ((n = ::write(fd, block, sizeof block)) > 0) {
    }
    while ((n = ::write(fd, block, 1)) > 0) {
    }
    ::close(fd);
    return n < 0 && errno == ENOSPC;
  }

 private:
  QByteArray path_;
  bool mounted_;
};

// Limits the size of files this process may write, for the lifetime of the object: a write past
// the limit fails with EFBIG.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*oldHandler_)(int);
};

}  // namespace ostrivo::test
