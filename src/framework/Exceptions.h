#pragma once
// The framework's exception classes. Commands never catch them: every entry point from the
// toolkit runs through TApplication::Guard, which hands them to the general error handler.

#include <QByteArray>
#include <QString>
#include <exception>

namespace ostrivo {

class Exception : public std::exception {
 public:
  explicit Exception(QString message);
  const QString& Message() const { return message_; }
  const char* what() const noexcept override { return utf8_.constData(); }

 private:
  QString message_;
  QByteArray utf8_;
};

// A text that is not a whole number: "'%s' is not a valid integer value".
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// The media device failed, or was used while closed: "No MCI device open".
class EMCIDeviceError : public Exception {
 public:
  using Exception::Exception;
};

// "Cannot open file %s".
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};

// "Cannot create file %s".
class EFCreateError : public Exception {
 public:
  using Exception::Exception;
};

// "Stream write error".
class EWriteError : public Exception {
 public:
  using Exception::Exception;
};

// "Bitmap image is not valid", or a picture too large to hold.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// "JPEG error #%d".
class EJPEG : public Exception {
 public:
  using Exception::Exception;
};

// "Invalid data type for '%s'", "Failed to get data for '%s'", "Failed to set data for '%s'".
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

// Decodes 8-bit entry or path bytes for display (the system's code page is UTF-8 here).
QString DisplayText(const QByteArray& bytes);

}  // namespace ostrivo
