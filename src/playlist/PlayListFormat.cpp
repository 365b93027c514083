#include "playlist/PlayListFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstring>

#include "framework/Exceptions.h"
#include "playlist/ForeignPlayLists.h"

namespace ostrivo {

std::vector<QByteArray> ParsePlayList(const char* data, std::size_t size) {
  // The text ends at the first NUL byte.
  if (const void* nul = std::memchr(data, 0, size))
    size = static_cast<std::size_t>(static_cast<const char*>(nul) - data);
  std::vector<QByteArray> entries;
  const char* p = data;
  const char* const end = data + size;
  while (p < end) {
    const char* q = p;
    while (q < end && *q != '\r' && *q != '\n') ++q;
    entries.emplace_back(p, static_cast<qsizetype>(q - p));
    // CR LF is one line end; any other CR or LF is one on its own.
    if (q < end && *q++ == '\r' && q < end && *q == '\n') ++q;
    p = q;
  }
  return entries;
}

QByteArray FormatPlayList(const std::vector<QByteArray>& entries) {
  qsizetype total = 0;
  for (const QByteArray& e : entries) total += e.size() + 2;
  QByteArray bytes;
  bytes.reserve(total);
  for (const QByteArray& e : entries) bytes.append(e).append("\r\n", 2);
  return bytes;
}

std::vector<QByteArray> ReadPlayListFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw EFOpenError(QStringLiteral("Cannot open file %1").arg(path));
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw EFOpenError(QStringLiteral("Cannot open file %1").arg(path));
  // Other players' lists name their files relative to the list's own folder.
  const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
  switch (PlayListKindOf(path)) {
    case PlayListKind::M3u:
      return ParseM3u(bytes, folder, false);
    case PlayListKind::M3u8:
      return ParseM3u(bytes, folder, true);
    case PlayListKind::Pls:
      return ParsePls(bytes, folder);
    case PlayListKind::Own:
      break;
  }
  return ParsePlayList(bytes);
}

void WritePlayListFile(const QString& path, const std::vector<QByteArray>& entries) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    throw EFCreateError(QStringLiteral("Cannot create file %1").arg(path));
  // Written in pieces, so a long list never needs a second copy of itself in memory.
  constexpr qsizetype kPiece = 1 << 20;
  QByteArray piece;
  piece.reserve(kPiece + 4096);
  auto flush = [&] {
    if (file.write(piece) != piece.size()) {
      file.cancelWriting();
      throw EWriteError(QStringLiteral("Stream write error"));
    }
    piece.resize(0);
  };
  for (const QByteArray& e : entries) {
    if (piece.size() + e.size() + 2 > kPiece && !piece.isEmpty()) flush();
    piece.append(e).append("\r\n", 2);
  }
  if (!piece.isEmpty()) flush();
  // The temporary file replaces the target only once everything reached the disk.
  if (!file.commit()) throw EWriteError(QStringLiteral("Stream write error"));
}

}  // namespace ostrivo
