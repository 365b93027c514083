#include "playlist/EntryLines.h"

#include <QStringList>
#include <cstring>

namespace ostrivo {

bool HoldsLineBreak(const char* name, std::size_t length) {
  return std::memchr(name, '\n', length) != nullptr || std::memchr(name, '\r', length) != nullptr;
}

bool HoldsLineBreak(const QByteArray& name) {
  return HoldsLineBreak(name.constData(), static_cast<std::size_t>(name.size()));
}

void RefuseLineBreaks(const std::vector<QByteArray>& paths) {
  if (paths.empty()) return;
  QStringList lines;
  for (const QByteArray& path : paths) {
    // The breaks are shown as the symbols for them, so the message keeps the path on one line.
    QString shown = DisplayText(path);
    shown.replace(QLatin1Char('\n'), QChar(0x240A)).replace(QLatin1Char('\r'), QChar(0x240D));
    lines << QStringLiteral("\"%1\" holds a line break and cannot be a play-list entry").arg(shown);
  }
  throw EInvalidEntry(lines.join(QLatin1Char('\r')));
}

}  // namespace ostrivo
