#include "playlist/DirectoryWalk.h"

#include <algorithm>
#include <string_view>

#include "platform/fs/DirectoryReader.h"

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
      if (e.length == 0 || e.name[0] == '.') continue;
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
  // The classic nine (pictures stay .jpg and .bmp), then what the media framework plays today.
  static constexpr std::string_view kEndings[] = {
      ".wav", ".mid",  ".cda", ".avi", ".jpg", ".bmp", ".mov", ".mpg", ".mp3",  ".flac", ".ogg",
      ".oga", ".opus", ".m4a", ".aac", ".wma", ".mp4", ".m4v", ".mkv", ".webm", ".wmv",  ".mpeg"};
  for (std::string_view ending : kEndings) {
    if (length < ending.size()) continue;
    const char* tail = name + (length - ending.size());
    bool same = true;
    for (std::size_t i = 0; same && i < ending.size(); ++i) same = LowerAscii(tail[i]) == ending[i];
    if (same) return true;
  }
  return false;
}

void WalkDirectory(const QByteArray& directory, bool recurse, std::vector<QByteArray>& entries) {
  // An empty text would otherwise become "/" and walk the whole file system.
  if (directory.isEmpty()) return;
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
