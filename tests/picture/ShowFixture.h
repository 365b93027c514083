#pragma once
// A whole program whose picture window shows entries in a client area of a chosen size, as Play
// does.

#include <gtest/gtest.h>

#include <QRect>

#include "PictureFiles.h"
#include "main/MainUnit.h"
#include "picture/PictureUnit.h"
#include "settings/OptionsUnit.h"
#include "support/TempDir.h"
#include "support/TestProgram.h"

namespace ostrivo::test {

class Show : public ::testing::Test {
 protected:
  void SetUp() override {
    p.Create();
    p.Start();
  }
  TPictureForm& W() { return p.Picture(); }
  TImage& I() { return *p.Picture().Image1; }
  TOptionsForm& O() { return p.Options(); }

  QByteArray Jpeg(int w, int h, const QString& name = QStringLiteral("p.jpg")) {
    return files.Write(name, EncodeJpeg(Gradient(w, h), 90)).toLocal8Bit();
  }
  // Shows the entry in a client area of cw x ch, as Play does.
  void ShowIn(int cw, int ch, const QByteArray& entry) {
    W().WorkArea = QRect(0, 0, cw, ch);
    p.SetEntries({entry});
    p.forms->Application.Guard([&] { p.Main().PlayButtonClick(nullptr); });
  }
  QRect Placed() { return QRect(I().Left(), I().Top(), I().width(), I().height()); }

  TestProgram p;
  TempDir files;
};

}  // namespace ostrivo::test
