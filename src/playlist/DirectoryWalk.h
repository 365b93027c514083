#pragma once
// The directory walk behind Add directory and "/dir".

#include <QByteArray>
#include <cstddef>
#include <vector>

namespace ostrivo {

// True when the name, with A-Z lowered, ends in one of ".wav", ".mid", ".cda", ".avi", ".jpg",
// ".bmp", ".mov", ".mpg", ".mp3" or one of the types the media framework plays: ".flac",
// ".ogg", ".oga", ".opus", ".m4a", ".aac", ".wma", ".mp4", ".m4v", ".mkv", ".webm", ".wmv",
// ".mpeg".
bool HasMediaEnding(const char* name, std::size_t length);

// Appends D + name for every entry of the directory D whose name has a media ending, in the
// order the file system lists them; D is the directory with one "/" at its end. Names that
// begin with a dot, and names that hold a line break (an entry is one line), are passed over;
// so is a directory text that holds one. With recurse, every other entry that is a plain directory
// (not a symbolic link) is walked where it is met, before the next entry. A directory that
// cannot be listed adds nothing; an empty directory text is no directory at all. Only one
// directory is open at a time, however deep the tree.
void WalkDirectory(const QByteArray& directory, bool recurse, std::vector<QByteArray>& entries);

// Remove directory's match: the entry begins with the directory text (already lowered), with
// A-Z lowered in the entry. No separator is needed after the directory text.
bool StartsWithDirectory(const QByteArray& entry, const QByteArray& lowerDirectory);
// A-Z lowered; every other byte unchanged.
QByteArray AsciiLower(QByteArray text);

}  // namespace ostrivo
