#pragma once
// A temporary folder for one test, removed afterwards, with small helpers for files in it.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace ostrivo::test {

class TempDir {
 public:
  TempDir();
  QString Path() const { return dir_.path(); }
  // The full path of a name inside the folder.
  QString File(const QString& name) const;
  // Writes bytes to name (creating folders on the way) and returns the full path.
  QString Write(const QString& name, const QByteArray& bytes) const;
  QString MakeDir(const QString& name) const;

 private:
  QTemporaryDir dir_;
};

QByteArray ReadAll(const QString& path);

}  // namespace ostrivo::test
