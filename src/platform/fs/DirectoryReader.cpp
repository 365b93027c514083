#include "platform/fs/DirectoryReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace ostrivo::fs {

namespace {

DIR* AsDir(void* p) {
  return static_cast<DIR*>(p);
}

EntryKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::File;
  if (S_ISDIR(mode)) return EntryKind::Directory;
  if (S_ISLNK(mode)) return EntryKind::Link;
  return EntryKind::Other;
}

}  // namespace

DirectoryReader::DirectoryReader(const QByteArray& path) {
  if (path.isEmpty() || path.contains('\0')) return;
  Adopt(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

DirectoryReader::DirectoryReader(const DirectoryReader& parent, const char* name) {
  if (!parent.dir_) return;
  Adopt(::openat(dirfd(AsDir(parent.dir_)), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

void DirectoryReader::Adopt(int fd) {
  if (fd < 0) return;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return;
  }
  dir_ = ::fdopendir(fd);
  if (!dir_) {
    ::close(fd);
    return;
  }
  id_ = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

DirectoryReader::~DirectoryReader() {
  if (dir_) ::closedir(AsDir(dir_));
}

bool DirectoryReader::Next(DirectoryEntry& entry) {
  if (!dir_) return false;
  const dirent* d = ::readdir(AsDir(dir_));
  if (!d) return false;
  entry.name = d->d_name;
  entry.length = std::strlen(d->d_name);
  switch (d->d_type) {
    case DT_REG:
      entry.kind = EntryKind::File;
      break;
    case DT_DIR:
      entry.kind = EntryKind::Directory;
      break;
    case DT_LNK:
      entry.kind = EntryKind::Link;
      break;
    case DT_UNKNOWN: {
      // Some file systems do not record the kind in the directory: ask the entry itself,
      // without following a link.
      struct stat st {};
      entry.kind = ::fstatat(dirfd(AsDir(dir_)), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
                       ? KindOfMode(st.st_mode)
                       : EntryKind::Other;
      break;
    }
    default:
      entry.kind = EntryKind::Other;
      break;
  }
  return true;
}

}  // namespace ostrivo::fs
