// The play-list reader on any bytes, and the writer behind it: the entries read, written and
// read again are the same entries, and the written text is the form the writer promises.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "playlist/PlayListFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto entries = ostrivo::ParsePlayList(reinterpret_cast<const char*>(data), size);
  std::size_t total = 0;
  for (const QByteArray& e : entries) {
    if (e.contains('\r') || e.contains('\n') || e.contains('\0')) __builtin_trap();
    total += static_cast<std::size_t>(e.size()) + 2;
  }
  // Nothing is invented: no more bytes of entries than the text before its first NUL held.
  const void* nul = std::memchr(data, 0, size);
  const std::size_t text =
      nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - data) : size;
  if (total - 2 * entries.size() > text) __builtin_trap();
  const QByteArray written = ostrivo::FormatPlayList(entries);
  if (static_cast<std::size_t>(written.size()) != total) __builtin_trap();
  if (!written.isEmpty() && !written.endsWith("\r\n")) __builtin_trap();
  if (ostrivo::ParsePlayList(written) != entries) __builtin_trap();
  return 0;
}
