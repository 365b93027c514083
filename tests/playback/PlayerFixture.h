#pragma once
// A started program over virtual time with a few media files and pictures, and helpers that
// act as the user does (every command runs through the application's guard, so errors end up
// in message boxes).

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>

#include "main/MainUnit.h"
#include "main/TrayIcon.h"
#include "picture/PictureUnit.h"
#include "player/MediaPlayer.h"
#include "settings/OptionsUnit.h"
#include "support/TestProgram.h"

namespace ostrivo::test {

class Player : public ::testing::Test {
 protected:
  void SetUp() override {
    p.Create();
    p.Start();
    p.Picture().WorkArea = QRect(0, 0, 800, 600);
  }

  TMainForm& M() { return p.Main(); }
  TOptionsForm& O() { return p.Options(); }

  void Do(void (TMainForm::*handler)(QObject*)) {
    p.forms->Application.Guard([&] { (p.Main().*handler)(nullptr); });
  }
  void Play() { Do(&TMainForm::PlayButtonClick); }
  void Stop() { Do(&TMainForm::StopButtonClick); }
  void Pause() { Do(&TMainForm::PauseButtonClick); }
  void Next() { Do(&TMainForm::NextButtonClick); }
  void Previous() { Do(&TMainForm::PreviousButtonClick); }

  // A media file of the simulated device.
  QByteArray Media(const char* name, std::int64_t lengthMs) {
    const QByteArray path = QByteArray("/m/") + name;
    p.media.AddFile(path, lengthMs);
    return path;
  }
  // A small picture file on disk.
  QByteArray PictureFile(const QString& name, int w = 40, int h = 30) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(200, 40, 40));
    const QString path = files.File(name);
    EXPECT_TRUE(image.save(path, "BMP"));
    return path.toLocal8Bit();
  }

  void Set(const QList<QByteArray>& entries) { p.SetEntries(entries); }
  void SetPause(const char* seconds) { O().Edit2->setText(QString::fromLatin1(seconds)); }
  void SetDisplay(const char* seconds) { O().Edit1->setText(QString::fromLatin1(seconds)); }

  // Advances until pred holds; the virtual time it first held.
  std::int64_t When(const std::function<bool()>& pred, std::int64_t limitMs = 60000) {
    if (!p.time.AdvanceUntil(pred, limitMs)) return -1;
    return p.time.Now();
  }
  bool PlayingFile(const QByteArray& path) {
    return p.media.IsPlaying() && p.media.OpenPath() == path;
  }

  TestProgram p;
  TempDir files;
};

}  // namespace ostrivo::test
