#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "support/ScriptedDialogs.h"

using namespace ostrivo;
using ostrivo::test::ScriptedDialogs;

TEST(ErrorText, AppendsAPeriodOnlyAfterCharactersSortingAboveIt) {
  EXPECT_EQ(TApplication::ErrorText("No MCI device open"), "No MCI device open.");
  EXPECT_EQ(TApplication::ErrorText("'x' is not a valid integer value"),
            "'x' is not a valid integer value.");
  EXPECT_EQ(TApplication::ErrorText("Cannot open file /tmp/a"), "Cannot open file /tmp/a.");
  EXPECT_EQ(TApplication::ErrorText("Done."), "Done.");
  EXPECT_EQ(TApplication::ErrorText("Really!"), "Really!");         // '!' sorts below '.'
  EXPECT_EQ(TApplication::ErrorText("path /tmp/"), "path /tmp/.");  // '/' sorts above '.'
  EXPECT_EQ(TApplication::ErrorText("ends with -"), "ends with -");
  EXPECT_EQ(TApplication::ErrorText("ends in 9"), "ends in 9.");
  EXPECT_EQ(TApplication::ErrorText(""), "");
}

TEST(Guard, ShowsOneErrorBoxWithTheTitleAndSkipsTheRest) {
  ScriptedDialogs dialogs;
  TApplication app(dialogs);
  app.Title = "Ostrivo 1.0";
  bool after = false;
  app.Guard([&] {
    throw EMCIDeviceError("No MCI device open");
    after = true;
  });
  EXPECT_FALSE(after);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].caption, "Ostrivo 1.0");
  EXPECT_EQ(dialogs.messages[0].text, "No MCI device open.");
  EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
}

TEST(Guard, HandlesStandardAndUnknownExceptions) {
  ScriptedDialogs dialogs;
  TApplication app(dialogs);
  app.Guard([] { throw std::runtime_error("disk full"); });
  app.Guard([] { throw 42; });
  app.Guard([] {});
  EXPECT_EQ(dialogs.Errors(), (QStringList{"disk full.", "Unknown error."}));
}

TEST(Minimize, RunsTheInstalledHandler) {
  ScriptedDialogs dialogs;
  TApplication app(dialogs);
  app.Minimize();  // no handler yet: nothing happens but the state
  EXPECT_TRUE(app.Minimized());
  int calls = 0;
  app.OnMinimize = [&] { ++calls; };
  app.Minimize();
  EXPECT_EQ(calls, 1);
}
