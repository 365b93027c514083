#pragma once
// Who the program is to the desktop: its application id (the desktop entry's name, the MPRIS
// bus name's suffix aside), and the MIME types it opens, which the desktop entry lists and the
// player controls announce. One list, so the two never disagree.

#include <QString>
#include <QStringList>

namespace ostrivo {

inline const QString kApplicationId = QStringLiteral("org.ostrivo.Ostrivo");

// The play lists the program writes, and the CD track files the program plays (a type the
// desktop does not define by itself): the program's MIME package defines both.
inline const QString kPlayListMimeType = QStringLiteral("application/x-ostrivo-playlist");
inline const QString kCdTrackMimeType = QStringLiteral("application/x-cda");

// The play lists other players write, which Open reads too (M3U, M3U8, PLS).
inline QStringList ForeignPlayListMimeTypes() {
  return {QStringLiteral("audio/x-mpegurl"), QStringLiteral("application/vnd.apple.mpegurl"),
          QStringLiteral("audio/x-scpls")};
}

// Every type a user can hand the program: play lists first, then sound, video and pictures.
// Canonical names only (no aliases), as desktop entries want them.
inline QStringList OpenedMimeTypes() {
  return QStringList{kPlayListMimeType} + ForeignPlayListMimeTypes() +
         QStringList{QStringLiteral("audio/x-wav"),
                     QStringLiteral("audio/midi"),
                     QStringLiteral("audio/mpeg"),
                     QStringLiteral("audio/flac"),
                     QStringLiteral("audio/ogg"),
                     QStringLiteral("audio/x-vorbis+ogg"),
                     QStringLiteral("audio/x-opus+ogg"),
                     QStringLiteral("audio/mp4"),
                     QStringLiteral("audio/aac"),
                     QStringLiteral("audio/x-ms-wma"),
                     kCdTrackMimeType,
                     QStringLiteral("video/x-msvideo"),
                     QStringLiteral("video/quicktime"),
                     QStringLiteral("video/mpeg"),
                     QStringLiteral("video/mp4"),
                     QStringLiteral("video/x-m4v"),
                     QStringLiteral("video/x-matroska"),
                     QStringLiteral("video/webm"),
                     QStringLiteral("video/x-ms-wmv"),
                     QStringLiteral("image/jpeg"),
                     QStringLiteral("image/bmp")};
}

}  // namespace ostrivo
