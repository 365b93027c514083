#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace ostrivo::test {

TempDir::TempDir() : dir_(QDir::tempPath() + QStringLiteral("/ostrivo-test-XXXXXX")) {
  if (!dir_.isValid()) throw std::runtime_error("cannot create a temporary folder");
}

QString TempDir::File(const QString& name) const {
  return dir_.filePath(name);
}

QString TempDir::Write(const QString& name, const QByteArray& bytes) const {
  const QString path = File(name);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
    throw std::runtime_error("cannot write " + path.toStdString());
  return path;
}

QString TempDir::MakeDir(const QString& name) const {
  const QString path = File(name);
  QDir().mkpath(path);
  return path;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
  return f.readAll();
}

}  // namespace ostrivo::test
