// The hive text reader on any bytes, and the writer behind it: whatever the reader accepts, the
// writer writes as text that reads back as the same hive, and writes again byte for byte.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "platform/registry/HiveText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  for (const ostrivo::Hive hive : {ostrivo::Hive::CurrentUser, ostrivo::Hive::ClassesRoot}) {
    QString why;
    const auto parsed = ostrivo::ParseHiveText(text, hive, &why);
    if (!parsed) {
      if (why.isEmpty()) __builtin_trap();  // a refusal always says why
      continue;
    }
    const QByteArray written = ostrivo::HiveToText(*parsed, hive);
    const auto again = ostrivo::ParseHiveText(written, hive);
    if (!again || !(*again == *parsed)) __builtin_trap();
    if (ostrivo::HiveToText(*again, hive) != written) __builtin_trap();
  }
  return 0;
}
