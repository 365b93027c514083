#include "playlist/DirectoryWalk.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/fs/DirectoryReader.h"
#include "playlist/EntryLines.h"

namespace ostrivo {

namespace {

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// One directory's entries as they matter to the walk, in the order the file system lists them.
struct Listed {
  QByteArray name;
  bool media;  // else a directory to walk
};

// The directories on the way down to the one being walked; only that one is open. Each
// directory's entries are read whole when it is opened, so a level above needs no open
// descriptor: the walk climbs back through "..", checking it arrives where it came from. A
// tree of any depth is walked whole within a few descriptors.
struct Level {
  std::vector<Listed> listed;
  std::size_t next = 0;
  fs::FileId id;
  qsizetype prefixSize = 0;
};

std::vector<Listed> ReadListing(fs::DirectoryReader& dir, bool recurse) {
  std::vector<Listed> listed;
  fs::DirectoryEntry e;
  while (dir.Next(e)) {
    // A name with a line break could not stay one entry of a play-list file.
    if (e.length == 0 || e.name[0] == '.' || HoldsLineBreak(e.name, e.length)) continue;
    const bool media = HasMediaEnding(e.name, e.length);
    if (media || (recurse && e.kind == fs::EntryKind::Directory))
      listed.push_back({QByteArray(e.name, static_cast<qsizetype>(e.length)), media});
  }
  return listed;
}

void Walk(std::unique_ptr<fs::DirectoryReader> dir, QByteArray prefix, bool recurse,
          std::vector<QByteArray>& entries) {
  std::vector<Level> levels;
  levels.push_back({ReadListing(*dir, recurse), 0, dir->Id(), prefix.size()});
  for (;;) {
    Level& level = levels.back();
    if (level.next == level.listed.size()) {
      levels.pop_back();
      if (levels.empty()) return;
      prefix.truncate(levels.back().prefixSize);
      // Up again; a directory moved away meanwhile cannot lead anywhere else.
      auto up = std::make_unique<fs::DirectoryReader>(*dir, "..");
      if (!up->IsOpen() || !(up->Id() == levels.back().id)) return;
      dir = std::move(up);
      continue;
    }
    const Listed& item = level.listed[level.next++];
    if (item.media) {
      QByteArray entry;
      entry.reserve(prefix.size() + item.name.size());
      entry.append(prefix).append(item.name);
      entries.push_back(std::move(entry));
      continue;
    }
    auto child = std::make_unique<fs::DirectoryReader>(*dir, item.name.constData());
    // A directory met again below itself (a bind mount of an ancestor) is not walked again.
    if (!child->IsOpen() || std::any_of(levels.begin(), levels.end(),
                                        [&](const Level& l) { return l.id == child->Id(); }))
      continue;
    prefix.append(item.name).append('/');
    dir = std::move(child);  // the parent closes here
    levels.push_back({ReadListing(*dir, recurse), 0, dir->Id(), prefix.size()});
  }
}

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
  if (directory.isEmpty() || HoldsLineBreak(directory)) return;
  auto top = std::make_unique<fs::DirectoryReader>(directory);
  if (!top->IsOpen()) return;
  QByteArray prefix = directory;
  if (!prefix.endsWith('/')) prefix.append('/');
  Walk(std::move(top), std::move(prefix), recurse, entries);
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
