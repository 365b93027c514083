#include "platform/fs/RegularFile.h"

#include <sys/stat.h>

#include "framework/Exceptions.h"

namespace ostrivo::fs {

void RefuseSpecialFile(const QByteArray& path) {
  struct stat st {};
  if (path.isEmpty() || path.contains('\0') || ::stat(path.constData(), &st) != 0) return;
  if (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) return;
  throw EFOpenError(
      QStringLiteral("Cannot open file %1: not a regular file").arg(DisplayText(path)));
}

}  // namespace ostrivo::fs
