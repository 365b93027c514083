// One main for every test program: a Qt application exists for the whole run, offscreen unless
// the program asks for the X display, so tests can build real windows without a display.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
  // A test program for the X display runs offscreen without one; its tests then skip.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
      (qgetenv("QT_QPA_PLATFORM") == "xcb" && qEnvironmentVariableIsEmpty("DISPLAY")))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
