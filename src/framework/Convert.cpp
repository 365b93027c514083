#include "framework/Convert.h"

#include "framework/Exceptions.h"

namespace ostrivo {

std::optional<int32_t> TryStrToInt(const QByteArray& text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < n && text[i] == '$') {
    base = 16;
    ++i;
  }
  if (i == n) return std::nullopt;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t value = 0;
  for (; i < n; ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * base + digit;
    if (value > limit) return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

int32_t StrToInt(const QByteArray& text) {
  if (auto v = TryStrToInt(text)) return *v;
  throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(DisplayText(text)));
}

int32_t StrToInt(const QString& text) {
  if (auto v = TryStrToInt(text.toLocal8Bit())) return *v;
  throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

int32_t LeadingDigits(const QString& text) {
  std::int64_t value = 0;
  for (QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
    value = std::min<std::int64_t>(value * 10 + (c.unicode() - '0'), INT32_MAX);
  }
  return static_cast<int32_t>(value);
}

}  // namespace ostrivo
