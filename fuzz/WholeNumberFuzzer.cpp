// The whole-number reader on any text: the three ways in agree, a number read is within 32
// bits, and the number written back in decimal and in "$" hexadecimal reads as itself.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "framework/Convert.h"
#include "framework/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const std::optional<std::int32_t> value = ostrivo::TryStrToInt(text);
  std::optional<std::int32_t> thrown;
  try {
    thrown = ostrivo::StrToInt(text);
  } catch (const ostrivo::EConvertError& e) {
    if (!e.Message().endsWith(QStringLiteral("' is not a valid integer value"))) __builtin_trap();
  }
  if (value != thrown) __builtin_trap();
  if (!value) return 0;
  if (ostrivo::TryStrToInt(QByteArray::number(*value)) != value) __builtin_trap();
  const std::int64_t v = *value;
  const QByteArray hex = (v < 0 ? "-$" : "$") + QByteArray::number(v < 0 ? -v : v, 16);
  if (ostrivo::TryStrToInt(hex) != value) __builtin_trap();
  if (ostrivo::TryStrToInt("  " + QByteArray::number(v)) != value) __builtin_trap();
  return 0;
}
