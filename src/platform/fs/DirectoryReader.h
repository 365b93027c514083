#pragma once
// Lists one directory's entries in the order the file system keeps them, with the kind of each
// entry as the directory itself records it (symbolic links are reported as links, never
// followed). A child directory is opened relative to its parent and refuses to open through a
// link, so a walk built on it cannot be led off by a link swapped in during the walk.

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace ostrivo::fs {

enum class EntryKind {
  File,       // a regular file
  Directory,  // a directory reached without any link
  Link,       // a symbolic link, whatever it points to
  Other,      // devices, pipes, sockets
};

struct DirectoryEntry {
  const char* name = nullptr;  // valid until the next call of Next()
  std::size_t length = 0;
  EntryKind kind = EntryKind::Other;
};

// Identifies a directory on the machine: device and inode.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileId&) const = default;
};

class DirectoryReader {
 public:
  // Opens the directory at path (links in the path itself are followed).
  explicit DirectoryReader(const QByteArray& path);
  // Opens the entry name of an open parent; fails when that entry is a link or no directory.
  // ".." opens the parent of an open directory.
  DirectoryReader(const DirectoryReader& parent, const char* name);
  ~DirectoryReader();
  DirectoryReader(const DirectoryReader&) = delete;
  DirectoryReader& operator=(const DirectoryReader&) = delete;

  // False when the directory could not be opened (missing, no access, not a directory).
  bool IsOpen() const { return dir_ != nullptr; }
  FileId Id() const { return id_; }

  // The next entry, "." and ".." included; false at the end or on a read error.
  bool Next(DirectoryEntry& entry);

 private:
  void Adopt(int fd);
  void* dir_ = nullptr;  // DIR*
  FileId id_;
};

}  // namespace ostrivo::fs
