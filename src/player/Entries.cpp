#include "player/Entries.h"

#include "framework/Convert.h"

namespace ostrivo {

namespace {
QByteArray LowerAscii(QByteArray s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}
}  // namespace

QByteArray EntryExtension(const QByteArray& entry) { return entry.right(4); }

TEntryKind EntryKind(const QByteArray& entry) {
  if (entry.startsWith(kStopMark)) return TEntryKind::StopMark;
  if (entry.startsWith(kQuitMark)) return TEntryKind::QuitMark;
  if (entry.startsWith(kPausePrefix)) return TEntryKind::PauseMark;
  if (entry.size() >= 4) {
    const QByteArray ext = EntryExtension(entry);
    const QByteArray lowered = LowerAscii(ext);
    if (lowered == ".jpg" || lowered == ".bmp") return TEntryKind::Picture;
    if (ext == ".cda") return TEntryKind::CDTrack;
  }
  return TEntryKind::MediaFile;
}

int32_t PauseSeconds(const QByteArray& entry) { return StrToInt(entry.mid(kPausePrefix.size())); }

int32_t TrackNumber(const QByteArray& entry) {
  // The two characters at 1-based positions length - 5 and length - 4; a start before the first
  // character is taken from the first, as the classic substring function does.
  const qsizetype start = std::max<qsizetype>(entry.size() - 6, 0);
  return StrToInt(entry.mid(start, 2));
}

}  // namespace ostrivo
