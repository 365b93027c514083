#include "platform/registry/FileRegistryHives.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "platform/registry/HiveText.h"

namespace ostrivo {

namespace {

// What identifies one version of a hive file: every change renames a new file into place, and
// an edit in place changes the times.
struct Stamp {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  timespec ctime{};

  static Stamp Of(const struct stat& st) {
    return Stamp{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
  }
  bool operator==(const Stamp& o) const {
    return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
           mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec &&
           ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
  }
};

bool WriteAll(int fd, const QByteArray& bytes) {
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= n;
  }
  return true;
}

// Makes the folder and any missing folder above it, each for the user alone.
bool MakeFolder(const QByteArray& path) {
  struct stat st {};
  if (::stat(path.constData(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  const qsizetype slash = path.lastIndexOf('/');
  if (slash > 0 && !MakeFolder(path.left(slash))) return false;
  return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST;
}

std::optional<QByteArray> ReadAll(int fd) {
  QByteArray out;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) return out;
    out.append(buffer, n);
  }
}

// Changes report whether the hive was changed (and must be written), left as it was, or the
// change could not be made.
enum class Outcome { Failed, Unchanged, Changed };

}  // namespace

// ---- notices ----

QStringList RegistryHives::TakeNotices() {
  QStringList out;
  out.swap(notices_);
  return out;
}

void RegistryHives::AddNotice(const QString& text) {
  notices_.append(text);
  if (OnNotice) OnNotice();
}

// ---- one hive file ----

struct FileRegistryHives::HiveFile {
  HiveFile(FileRegistryHives& owner, Hive hive)
      : owner(owner),
        hive(hive),
        path(QDir(owner.dir_).filePath(FileName(hive))),
        native(QFile::encodeName(path)) {}
  ~HiveFile() {
    if (lockFd >= 0) ::close(lockFd);
  }

  FileRegistryHives& owner;
  const Hive hive;
  const QString path;
  const QByteArray native;
  HiveKey root;
  Stamp stamp;
  bool loaded = false;   // root is the file's content as of stamp
  bool readable = true;  // false: the file exists but could not be read
  int lockFd = -1;

  class Lock {
   public:
    explicit Lock(HiveFile& f) : f_(f) { held_ = f_.Acquire(); }
    ~Lock() {
      if (held_) ::flock(f_.lockFd, LOCK_UN);
    }
    bool Held() const { return held_; }

   private:
    HiveFile& f_;
    bool held_ = false;
  };

  bool Acquire() {
    if (lockFd < 0) {
      if (!MakeFolder(QFile::encodeName(owner.dir_))) return false;
      lockFd =
          ::open(native + ".lock", O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
      if (lockFd < 0) return false;
    }
    while (::flock(lockFd, LOCK_EX) != 0)
      if (errno != EINTR) return false;
    return true;
  }

  // Brings root up to date with the file. Without the lock a damaged file is only looked at;
  // it is moved aside under the lock, once no writer can be replacing it.
  void Refresh(bool locked) {
    // Never waits: a pipe put in the hive's place is opened without blocking, then refused.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      const bool missing = errno == ENOENT;
      root = HiveKey();
      stamp = Stamp();
      loaded = missing;
      readable = loaded;
      return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      root = HiveKey();
      loaded = readable = false;
      return;
    }
    if (loaded && Stamp::Of(st) == stamp) {
      ::close(fd);
      return;
    }
    const auto bytes = ReadAll(fd);
    ::close(fd);
    if (!bytes) {
      root = HiveKey();
      loaded = readable = false;
      return;
    }
    QString why;
    if (auto parsed = ParseHiveText(*bytes, hive, &why)) {
      root = std::move(*parsed);
      stamp = Stamp::Of(st);
      loaded = readable = true;
      return;
    }
    if (!locked) {
      Lock lock(*this);
      if (lock.Held()) {
        Refresh(true);
      } else {
        root = HiveKey();
        loaded = readable = false;
      }
      return;
    }
    MoveAside(why);
  }

  void MoveAside(const QString& why) {
    const QString base = path + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 2; QFileInfo::exists(target); ++n)
      target = base + QLatin1Char('-') + QString::number(n);
    root = HiveKey();
    if (::rename(native.constData(), QFile::encodeName(target).constData()) != 0) {
      loaded = readable = false;  // left where it is, and never written over
      return;
    }
    stamp = Stamp();
    loaded = readable = true;
    owner.AddNotice(QStringLiteral("The registry file \"%1\" could not be read (%2). It was moved "
                                   "to \"%3\" and the program goes on without its settings.")
                        .arg(path, why, target));
  }

  // A temporary file of a name no one can guess or plant beforehand (created exclusively,
  // never through a link, readable by the user alone), flushed and synced, then renamed over
  // the hive. Any failure leaves the hive as it was and no temporary file behind.
  bool WriteAtomically(const QByteArray& text) {
    QByteArray tmp = native + ".tmp-XXXXXX";
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    bool ok = true;
    if (stamp.exists) {
      struct stat st {};
      if (::stat(native.constData(), &st) == 0) ok = ::fchmod(fd, st.st_mode & 0777) == 0;
    }
    ok = ok && WriteAll(fd, text) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(tmp.constData(), native.constData()) != 0) {
      ::unlink(tmp.constData());
      return false;
    }
    const int dirFd =
        ::open(QFile::encodeName(owner.dir_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
      ::fsync(dirFd);
      ::close(dirFd);
    }
    return true;
  }

  // Temporary files are written only under the lock: any found while it is held were left by
  // a writer that died in the middle of a write.
  void RemoveLeftovers() {
    const QString prefix = FileName(hive) + QStringLiteral(".tmp-");
    const QStringList names = QDir(owner.dir_)
                                  .entryList({prefix + QStringLiteral("??????")},
                                             QDir::Files | QDir::System | QDir::Hidden);
    for (const QString& name : names)
      ::unlink(QFile::encodeName(QDir(owner.dir_).filePath(name)).constData());
  }

  // Makes one change to the hive as it is on disk now, and stores it.
  template <class F>
  bool Change(F&& change) {
    Lock lock(*this);
    if (!lock.Held()) return false;
    RemoveLeftovers();
    Refresh(true);
    if (!readable) return false;
    const Outcome outcome = change(root);
    if (outcome != Outcome::Changed) return outcome == Outcome::Unchanged;
    if (!WriteAtomically(HiveToText(root, hive))) {
      loaded = false;  // root holds a change the file does not: read it again next time
      return false;
    }
    struct stat st {};
    if (::stat(native.constData(), &st) == 0) {
      stamp = Stamp::Of(st);
    } else {
      loaded = false;
    }
    return true;
  }

  HiveKey& Current() {
    Refresh(false);
    return root;
  }
};

// ---- the hives ----

FileRegistryHives::FileRegistryHives(QString configDir) : dir_(std::move(configDir)) {
  files_[0] = std::make_unique<HiveFile>(*this, Hive::ClassesRoot);
  files_[1] = std::make_unique<HiveFile>(*this, Hive::CurrentUser);
}

FileRegistryHives::~FileRegistryHives() = default;

QString FileRegistryHives::DefaultConfigDir() {
  const QString own = qEnvironmentVariable("OSTRIVO_CONFIG_DIR");
  if (!own.isEmpty()) return own;
  const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return xdg + QStringLiteral("/ostrivo");
  return QDir::homePath() + QStringLiteral("/.config/ostrivo");
}

QString FileRegistryHives::FileName(Hive hive) {
  return HiveRootName(hive) + QStringLiteral(".reg");
}

QString FileRegistryHives::FilePath(Hive hive) const {
  return files_[int(hive)]->path;
}

FileRegistryHives::HiveFile& FileRegistryHives::File(Hive hive) {
  return *files_[int(hive)];
}

std::optional<KeyPath> FileRegistryHives::FindKey(Hive hive, const KeyPath& path) {
  HiveKey* key = File(hive).Current().Find(path);
  if (!key) return std::nullopt;
  // The stored names, walked again from the root.
  KeyPath stored;
  HiveKey* k = &File(hive).root;
  for (const QString& name : path) {
    k = k->Find({name});
    stored.append(k->Name());
  }
  return stored;
}

QStringList FileRegistryHives::SubKeyNames(Hive hive, const KeyPath& path) {
  QStringList out;
  if (HiveKey* key = File(hive).Current().Find(path))
    for (const HiveKey& sub : key->SubKeys()) out.append(sub.Name());
  return out;
}

QStringList FileRegistryHives::ValueNames(Hive hive, const KeyPath& path) {
  QStringList out;
  if (HiveKey* key = File(hive).Current().Find(path))
    for (const auto& value : key->Values()) out.append(value.first);
  return out;
}

std::optional<RegistryValue> FileRegistryHives::GetValue(Hive hive, const KeyPath& path,
                                                         const QString& name) {
  HiveKey* key = File(hive).Current().Find(path);
  if (!key) return std::nullopt;
  const RegistryValue* value = key->Value(name);
  return value ? std::optional<RegistryValue>(*value) : std::nullopt;
}

std::optional<KeyPath> FileRegistryHives::CreateKey(Hive hive, const KeyPath& path) {
  bool ok = File(hive).Change([&](HiveKey& root) {
    if (root.Find(path)) return Outcome::Unchanged;
    return root.Create(path) ? Outcome::Changed : Outcome::Failed;
  });
  return ok ? FindKey(hive, path) : std::nullopt;
}

bool FileRegistryHives::DeleteKey(Hive hive, const KeyPath& path) {
  bool removed = false;
  const bool ok = File(hive).Change([&](HiveKey& root) {
    removed = root.Remove(path);
    return removed ? Outcome::Changed : Outcome::Unchanged;
  });
  return ok && removed;
}

bool FileRegistryHives::SetValue(Hive hive, const KeyPath& path, const QString& name,
                                 const RegistryValue& value) {
  if (!HiveKey::ValidValueName(name)) return false;
  return File(hive).Change([&](HiveKey& root) {
    HiveKey* key = root.Find(path);
    if (!key) return Outcome::Failed;
    const RegistryValue* old = key->Value(name);
    if (old && *old == value) return Outcome::Unchanged;
    key->SetValue(name, value);
    return Outcome::Changed;
  });
}

bool FileRegistryHives::DeleteValue(Hive hive, const KeyPath& path, const QString& name) {
  bool removed = false;
  const bool ok = File(hive).Change([&](HiveKey& root) {
    HiveKey* key = root.Find(path);
    removed = key && key->RemoveValue(name);
    return removed ? Outcome::Changed : Outcome::Unchanged;
  });
  return ok && removed;
}

bool FileRegistryHives::CanStore() {
  const QByteArray dir = QFile::encodeName(dir_);
  int error = 0;
  if (!MakeFolder(dir)) {
    error = errno;
  } else {
    QByteArray probe = dir + "/.probe-XXXXXX";
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
      error = errno;
    } else {
      ::close(fd);
      ::unlink(probe.constData());
    }
  }
  if (error == 0) return true;
  if (!storeProblemNoticed_) {
    storeProblemNoticed_ = true;
    AddNotice(QStringLiteral("The settings cannot be stored in \"%1\" (%2). The program goes on "
                             "with its default settings.")
                  .arg(dir_, QString::fromLocal8Bit(std::strerror(error))));
  }
  return false;
}

}  // namespace ostrivo
