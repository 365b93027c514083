#pragma once
// Play lists other players write: M3U and M3U8 (one entry a line, "#" lines are comments or
// extended information) and PLS ("FileN=" keys, in N order). The kind is told by the file
// name's ending alone, in any letter case; the content is never examined to guess it.
//
// An entry is a file name as this system spells it: bytes. M3U and PLS lines are taken byte for
// byte, as the program's own lists are. M3U8 is UTF-8 text: a line is decoded and the entry is
// the name the file system uses for that text (QFile::encodeName, UTF-8 here), so a name with
// non-ASCII letters opens the file of that name; a line that is not valid UTF-8 is kept byte for
// byte, since it can only be meant as a name already in the file system's bytes. In every kind,
// a "file:" URI becomes its local path (percent escapes decoded byte for byte, as file URIs
// encode names), a relative path is joined to the list's own folder, and anything else (an
// absolute path, another URI) is kept unchanged. Empty lines are no entries.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace ostrivo {

enum class PlayListKind { Own, M3u, M3u8, Pls };

// By the name's ending: ".m3u", ".m3u8", ".pls" (any case); everything else is the program's
// own format, whatever its content.
PlayListKind PlayListKindOf(const QString& path);
// A name that Open reads as a play list when it is dropped: ".osp" or one of the kinds above.
bool IsPlayListName(const QString& path);

// folder: the list's own folder, absolute (bytes), to which relative entries are joined.
std::vector<QByteArray> ParseM3u(const QByteArray& bytes, const QByteArray& folder, bool utf8);
std::vector<QByteArray> ParsePls(const QByteArray& bytes, const QByteArray& folder);

// The local path a "file:" URI names, as the bytes of the name: "file:///a%20b" and
// "file://localhost/a%20b" give "/a b". Nothing for other schemes, for a file on another host
// and for a URI without an absolute path.
std::optional<QByteArray> LocalPathOfFileUri(const QByteArray& uri);

}  // namespace ostrivo
