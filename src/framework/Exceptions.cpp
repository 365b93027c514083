#include "framework/Exceptions.h"

namespace ostrivo {

Exception::Exception(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

QString DisplayText(const QByteArray& bytes) {
  return QString::fromLocal8Bit(bytes);
}

}  // namespace ostrivo
