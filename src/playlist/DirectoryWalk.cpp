#include "playlist/DirectoryWalk.h"

#include <algorithm>
#include <cstring>

#include "platform/fs/DirectoryReader.h"
#include "playlist/EntryLines.h"

namespace ostrivo {

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

struct Walk {
  bool recurse;
  std::vector<QByteArray>& entries;
  // The directories open on the way down: a directory met again below itself (a bind mount
  // of an ancestor) is not walked a second time.
  std::vector<fs::FileId> path;
  QByteArray prefix;

  void Run(fs::DirectoryReader& dir) {
    fs::DirectoryEntry e;
    while (dir.Next(e)) {
      if (e.length == 0 || e.name[0] == '.' || HoldsLineBreak(e.name, e.length)) continue;
      if (HasMediaEnding(e.name, e.length)) {
        QByteArray entry;
        entry.reserve(prefix.size() + static_cast<qsizetype>(e.length));
        entry.append(prefix).append(e.name, static_cast<qsizetype>(e.length));
        entries.push_back(std::move(entry));
      } else if (recurse && e.kind == fs::EntryKind::Directory) {
        fs::DirectoryReader child(dir, e.name);
        if (!child.IsOpen() || std::find(path.begin(), path.end(), child.Id()) != path.end())
          continue;
        const qsizetype keep = prefix.size();
        prefix.append(e.name, static_cast<qsizetype>(e.length)).append('/');
        path.push_back(child.Id());
        Run(child);
        path.pop_back();
        prefix.truncate(keep);
      }
    }
  }
};

}  // namespace

bool HasMediaEnding(const char* name, std::size_t length) {
  if (length < 4) return false;
  char tail[4];
  for (int i = 0; i < 4; ++i) tail[i] = LowerAscii(name[length - 4 + i]);
  static const char kEndings[][4] = {
      {'.', 'w', 'a', 'v'}, {'.', 'm', 'i', 'd'}, {'.', 'c', 'd', 'a'},
      {'.', 'a', 'v', 'i'}, {'.', 'j', 'p', 'g'}, {'.', 'b', 'm', 'p'},
      {'.', 'm', 'o', 'v'}, {'.', 'm', 'p', 'g'}, {'.', 'm', 'p', '3'}};
  for (const auto& ending : kEndings)
    if (std::memcmp(tail, ending, 4) == 0) return true;
  return false;
}

void WalkDirectory(const QByteArray& directory, bool recurse, std::vector<QByteArray>& entries) {
  // An empty text would otherwise become "/" and walk the whole file system.
  if (directory.isEmpty() || HoldsLineBreak(directory)) return;
  fs::DirectoryReader top(directory);
  if (!top.IsOpen()) return;
  Walk walk{recurse, entries, {top.Id()}, directory};
  if (!walk.prefix.endsWith('/')) walk.prefix.append('/');
  walk.Run(top);
}

QByteArray AsciiLower(QByteArray text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

bool StartsWithDirectory(const QByteArray& entry, const QByteArray& lowerDirectory) {
  const qsizetype n = lowerDirectory.size();
  if (entry.size() < n) return false;
  const char* a = entry.constData();
  const char* b = lowerDirectory.constData();
  for (qsizetype i = 0; i < n; ++i)
    if (LowerAscii(a[i]) != b[i]) return false;
  return true;
}

}  // namespace ostrivo
