#pragma once
// Play-list entries are opened by their path, and a path may name a named pipe, a socket or a
// device. Opening or reading one can wait for ever (a pipe nobody writes to) or never end
// (/dev/zero), and everything runs on the GUI thread: such entries are refused before anything
// opens them. The CD drive is not an entry's path; the player opens it on purpose.

#include <QByteArray>

namespace ostrivo::fs {

// Throws EFOpenError "Cannot open file %s: not a regular file" when path names (through any
// links) a pipe, a socket or a device, without opening it. A missing file or a folder is left
// to the caller's own open, which fails at once with its own message.
void RefuseSpecialFile(const QByteArray& path);

}  // namespace ostrivo::fs
