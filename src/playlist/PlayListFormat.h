#pragma once
// The play-list file: 8-bit text, one entry per line. Reading accepts CR, LF and CR LF as line
// ends (LF CR is two), stops at the first NUL byte, and takes every byte unchanged; writing
// puts CR LF after every entry, the last one too.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <vector>

namespace ostrivo {

std::vector<QByteArray> ParsePlayList(const char* data, std::size_t size);
inline std::vector<QByteArray> ParsePlayList(const QByteArray& bytes) {
  return ParsePlayList(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
QByteArray FormatPlayList(const std::vector<QByteArray>& entries);

// Reads the whole file and splits it: a name ending in .m3u, .m3u8 or .pls is read as that
// kind of list (ForeignPlayLists.h), every other file in the format above. Throws EFOpenError
// "Cannot open file %s".
std::vector<QByteArray> ReadPlayListFile(const QString& path);

// Writes the entries to a temporary file beside the target and renames it over the target,
// which keeps its permissions. A failure leaves an existing target as it was and throws
// EFCreateError "Cannot create file %s" (the temporary file cannot be made) or EWriteError
// "Stream write error" (writing, flushing or renaming failed).
void WritePlayListFile(const QString& path, const std::vector<QByteArray>& entries);

}  // namespace ostrivo
