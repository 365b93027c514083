#pragma once
// A started program for the play-list commands: every command runs through the application's
// guard, as a click does, so errors end up in message boxes.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <QDir>
#include <QFile>
#include <ostream>

#include "app/Forms.h"
#include "main/MainUnit.h"
#include "support/FullDisk.h"
#include "support/TestProgram.h"

namespace ostrivo::test {

class PlayList : public ::testing::Test {
 protected:
  void SetUp() override {
    p.Create();
    p.Start();
  }

  TMainForm& M() { return p.Main(); }
  void Do(void (TMainForm::*handler)(QObject*)) {
    p.forms->Application.Guard([&] { (p.Main().*handler)(nullptr); });
  }
  QString Title() const { return p.Main().Caption(); }
  QStringList Errors() const { return p.dialogs.Errors(); }
  // The error handler's text for a message.
  static QString Shown(const QString& message) { return TApplication::ErrorText(message); }

  TestProgram p;
  TempDir files;
};

// Puts the process's current directory back after a test that moves it.
class CurrentDirectoryGuard {
 public:
  CurrentDirectoryGuard() : saved_(QDir::currentPath()) {}
  ~CurrentDirectoryGuard() { QDir::setCurrent(saved_); }

 private:
  QString saved_;
};

}  // namespace ostrivo::test

// Readable failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
