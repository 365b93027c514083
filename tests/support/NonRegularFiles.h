#pragma once
// Files that are no regular files, for the tests that make sure nothing opens or reads them,
// and a deadline that ends a test process which would otherwise wait on one for ever.

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstring>
#include <vector>

namespace ostrivo::test {

// Kills the test process (SIGALRM) when it is still alive after the given seconds.
class Deadline {
 public:
  explicit Deadline(unsigned seconds) { ::alarm(seconds); }
  ~Deadline() { ::alarm(0); }
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;
};

// A named pipe nobody writes to; an open for reading without O_NONBLOCK waits for ever.
inline bool MakeFifo(const QString& path) {
  return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A bound Unix socket; the descriptor stays open while the object lives.
class SocketFile {
 public:
  explicit SocketFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (name.size() >= static_cast<qsizetype>(sizeof addr.sun_path)) return;
    std::memcpy(addr.sun_path, name.constData(), static_cast<size_t>(name.size()));
    fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~SocketFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  SocketFile(const SocketFile&) = delete;
  SocketFile& operator=(const SocketFile&) = delete;
  bool Made() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace ostrivo::test
