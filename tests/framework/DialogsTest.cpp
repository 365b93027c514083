// The real message boxes and modal windows: over a window that stays on top (the full-screen
// picture) they stay on top too, hold the keyboard, and give it back when they close.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "framework/Dialogs.h"

using namespace ostrivo;

namespace {

// What a modal window looked like while it was open, and the key that answered it.
struct Seen {
  bool open = false;
  bool onTop = false;
  QWidget* owner = nullptr;  // the window it belongs to
};

// Once the modal window is up, records what it looks like and answers it with a key.
void AnswerWithKey(Seen& seen, Qt::Key key) {
  QTimer::singleShot(0, [&seen, key] {
    QWidget* modal = QApplication::activeModalWidget();
    seen.open = modal != nullptr;
    if (!modal) return;
    seen.onTop = modal->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    seen.owner = modal->parentWidget();
    // Where the keys go once a window manager has made it active (the end-to-end test sees
    // that on a real one).
    QTest::keyClick(modal, key);
  });
}

class OnTopWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    picture.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    picture.setGeometry(0, 0, 800, 600);
    picture.show();
    picture.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&picture));
  }
  QWidget picture;
  QtDialogs dialogs;
};

TEST_F(OnTopWindow, AnErrorBoxStaysAboveItTakesTheKeyboardAndGivesItBack) {
  Seen seen;
  AnswerWithKey(seen, Qt::Key_Return);
  dialogs.ShowMessage(QStringLiteral("Ostrivo 1.0"), QStringLiteral("Cannot open file x.jpg."),
                      MessageIcon::Error);
  EXPECT_TRUE(seen.open);
  EXPECT_TRUE(seen.onTop);
  // A window manager keeps a window's own dialogs above it.
  EXPECT_EQ(seen.owner, &picture);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(QTest::qWaitForWindowActive(&picture));
}

TEST_F(OnTopWindow, AQuestionIsAnsweredWithReturnOrEscape) {
  Seen yes, no;
  AnswerWithKey(yes, Qt::Key_Return);
  EXPECT_TRUE(dialogs.Confirm(QStringLiteral("Ostrivo 1.0"), QStringLiteral("Register?")));
  AnswerWithKey(no, Qt::Key_Escape);
  EXPECT_FALSE(dialogs.Confirm(QStringLiteral("Ostrivo 1.0"), QStringLiteral("Register?")));
  for (const Seen& seen : {yes, no}) EXPECT_TRUE(seen.onTop);
  EXPECT_TRUE(QTest::qWaitForWindowActive(&picture));
}

TEST_F(OnTopWindow, AWindowOfTheProgramIsOnTopOnlyWhileItIsShownAboveIt) {
  QWidget main;
  QDialog options(&main);
  options.setWindowTitle(QStringLiteral("Options"));
  new QLineEdit(&options);  // something to type into
  Seen seen;
  AnswerWithKey(seen, Qt::Key_Escape);
  EXPECT_EQ(dialogs.ExecModal(options), QDialog::Rejected);
  EXPECT_TRUE(seen.onTop);
  EXPECT_EQ(seen.owner, &picture);
  // Afterwards it is the main window's again, and not on top.
  EXPECT_EQ(options.parentWidget(), &main);
  EXPECT_TRUE(options.windowFlags().testFlag(Qt::Dialog));
  EXPECT_FALSE(options.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(QTest::qWaitForWindowActive(&picture));

  // With the picture gone, the same window is an ordinary one.
  picture.hide();
  Seen plain;
  AnswerWithKey(plain, Qt::Key_Escape);
  dialogs.ExecModal(options);
  EXPECT_TRUE(plain.open);
  EXPECT_FALSE(plain.onTop);
  EXPECT_EQ(plain.owner, &main);
}

}  // namespace
