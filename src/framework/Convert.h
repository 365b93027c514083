#pragma once
// Reading whole numbers from text, by one strict rule: leading blanks, an optional sign, then
// decimal digits or "$" and hexadecimal digits, nothing after them, within 32 signed bits.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace ostrivo {

std::optional<int32_t> TryStrToInt(const QByteArray& text);
// Throws EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(const QByteArray& text);
int32_t StrToInt(const QString& text);

// The whole number written by the text's leading decimal digits; 0 when it starts otherwise.
// Saturates at the 32-bit maximum.
int32_t LeadingDigits(const QString& text);

}  // namespace ostrivo
