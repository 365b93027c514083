// A real message box opened while the picture window fills the screen: the clock's ticks, and
// the next picture of a slide show that goes on meanwhile, leave the box in front with the
// keyboard; when it closes the picture window has the keyboard again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "main/MainUnit.h"
#include "picture/PictureUnit.h"
#include "settings/OptionsUnit.h"
#include "support/TestProgram.h"

namespace ostrivo::test {
namespace {

TEST(BoxOverPicture, TicksAndTheNextPictureLeaveTheBoxInFrontWithTheKeyboard) {
  TestProgram p;
  p.Create();
  p.Start();
  TempDir files;
  QList<QByteArray> entries;
  for (const char* name : {"one.bmp", "two.bmp"}) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(30, 90, 200));
    const QString path = files.File(QString::fromLatin1(name));
    ASSERT_TRUE(image.save(path, "BMP"));
    entries << path.toLocal8Bit();
  }
  p.Options().Edit1->setText(QStringLiteral("2"));
  p.Picture().WorkArea = QRect(0, 0, 800, 600);
  p.SetEntries(entries);
  p.forms->Application.Guard([&] { p.Main().PlayButtonClick(nullptr); });
  ASSERT_TRUE(QTest::qWaitForWindowActive(&p.Picture()));

  QtDialogs dialogs(&p.Main());
  bool boxActive = false, keptAfterTicks = false, keptAfterNextPicture = false;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) return;
    boxActive = QTest::qWaitForWindowActive(box);
    // Ticks while the first picture is up ask for the picture window's focus.
    p.time.Advance(1000);
    QTest::qWait(50);
    keptAfterTicks = QApplication::activeWindow() == box;
    // The display time runs out: the second picture is shown behind the box.
    p.time.Advance(1000);
    QTest::qWait(50);
    keptAfterNextPicture = QApplication::activeWindow() == box &&
                           p.Picture().windowTitle().endsWith(QStringLiteral("two.bmp"));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : box,
                    Qt::Key_Return);
  });
  dialogs.ShowMessage(QStringLiteral("Ostrivo 1.0"), QStringLiteral("Something went wrong."),
                      MessageIcon::Error);
  EXPECT_TRUE(boxActive);
  EXPECT_TRUE(keptAfterTicks);
  EXPECT_TRUE(keptAfterNextPicture);
  EXPECT_TRUE(QTest::qWaitForWindowActive(&p.Picture()));
  EXPECT_EQ(p.Picture().windowTitle(), QStringLiteral("Showing ") + entries[1]);
}

}  // namespace
}  // namespace ostrivo::test
