#pragma once
// Play-list entries: how an entry's kind is told from its text, and the numbers inside marks
// and CD track names. Entries are byte strings; every test counts bytes over the whole entry.

#include <QByteArray>
#include <cstdint>

namespace ostrivo {

// In the order the tests are applied: an entry is of the first kind it passes.
enum class TEntryKind { StopMark, QuitMark, PauseMark, Picture, CDTrack, MediaFile };

TEntryKind EntryKind(const QByteArray& entry);
inline bool IsMark(TEntryKind k) {
  return k == TEntryKind::StopMark || k == TEntryKind::QuitMark || k == TEntryKind::PauseMark;
}
// CD tracks and media files: what the media device plays.
inline bool IsMediaEntry(TEntryKind k) {
  return k == TEntryKind::CDTrack || k == TEntryKind::MediaFile;
}
inline bool IsMediaEntry(const QByteArray& entry) { return IsMediaEntry(EntryKind(entry)); }

// The seconds of a Pause mark: the whole number after "Pause: ". Throws EConvertError.
int32_t PauseSeconds(const QByteArray& entry);
// The track number of a CD track: the two characters before ".cda". Throws EConvertError.
int32_t TrackNumber(const QByteArray& entry);
// The last four characters (fewer when the entry is shorter).
QByteArray EntryExtension(const QByteArray& entry);

// The texts the insert commands write.
inline const QByteArray kStopMark = QByteArrayLiteral("Stop");
inline const QByteArray kQuitMark = QByteArrayLiteral("Quit");
inline const QByteArray kPausePrefix = QByteArrayLiteral("Pause: ");

}  // namespace ostrivo
