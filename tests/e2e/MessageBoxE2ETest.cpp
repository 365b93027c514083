// The built program under a real window manager (openbox on a virtual X display): an error
// box that opens while the full-screen picture window is up is seen above it, holds the
// keyboard, is answered with a key, and leaves the picture window in front again. The
// screenshots are kept in the build folder (artifacts/) for a person to look at.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

#include "platform/registry/FileRegistryHives.h"
#include "support/TempDir.h"

using namespace ostrivo;
using ostrivo::test::ReadAll;
using ostrivo::test::TempDir;

namespace {

// Starts openbox and the program on a slide show whose first picture cannot be loaded.
// Records the windows while the error box is up, answers it with Return, and records them
// again.
const char kScript[] = R"sh(
exe="$1"; out="$2"; bad="$3"
fail() { echo "$1"; kill "$pid" "$wm" 2>/dev/null; exit 3; }
openbox --sm-disable >/dev/null 2>&1 & wm=$!
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
  i=$((i + 1)); [ "$i" -gt 100 ] && fail "openbox did not start"; sleep 0.1
done
"$exe" /file "$bad" /play & pid=$!
# The main window first carries the box's caption too, until the start-up extends its title.
i=0
until main=$(xdotool search --name " - Untitled\$" 2>/dev/null | head -1) && [ -n "$main" ]; do
  kill -0 "$pid" 2>/dev/null || fail "the program ended before showing its main window"
  i=$((i + 1)); [ "$i" -gt 300 ] && fail "no main window after 30 s"; sleep 0.1
done
echo "main=$main" > "$out/ids.txt"
i=0
until box=$(xdotool search --onlyvisible --name "^Ostrivo 1.0\$" 2>/dev/null | grep -vx "$main" | head -1) && [ -n "$box" ]; do
  kill -0 "$pid" 2>/dev/null || fail "the program ended before showing the box"
  i=$((i + 1)); [ "$i" -gt 300 ] && fail "no error box after 30 s"; sleep 0.1
done
echo "box=$box" >> "$out/ids.txt"
# The picture window is the full-screen one.
for w in $(xdotool search --pid "$pid"); do
  xwininfo -id "$w" | grep -q 'Width: 1024' && xwininfo -id "$w" | grep -q 'IsViewable' && picture=$w
done
echo "picture=$picture" >> "$out/ids.txt"
xwininfo -id "$main" > "$out/main-window.txt"
sleep 1
echo "active=$(xdotool getactivewindow)" > "$out/while-box.txt"
xprop -root _NET_CLIENT_LIST_STACKING >> "$out/while-box.txt"
xwininfo -id "$box" >> "$out/while-box.txt"
import -window root "$out/box-above-picture.png"
# Answered from the keyboard, with no window named: the key goes where the focus is.
xdotool key Return
i=0
while xdotool search --onlyvisible --name "^Ostrivo 1.0\$" >/dev/null 2>&1; do
  i=$((i + 1)); [ "$i" -gt 100 ] && fail "the box did not close on Return"; sleep 0.1
done
sleep 1
echo "active=$(xdotool getactivewindow)" > "$out/after-box.txt"
xprop -root _NET_CLIENT_LIST_STACKING >> "$out/after-box.txt"
import -window root "$out/after-box.png"
kill "$pid"; wait "$pid" 2>/dev/null
kill "$wm"; wait "$wm" 2>/dev/null
exit 0
)sh";

QString Value(const QString& text, const QString& name) {
  const QRegularExpression re(QStringLiteral("(?:^|\\n)") + QRegularExpression::escape(name) +
                              QStringLiteral("=(\\d+)"));
  const QRegularExpressionMatch m = re.match(text);
  return m.hasMatch() ? m.captured(1) : QString();
}

int Field(const QString& info, const QString& name) {
  const QRegularExpression re(QRegularExpression::escape(name) + QStringLiteral(":\\s*(-?\\d+)"));
  const QRegularExpressionMatch m = re.match(info);
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The windows from bottom to top, as decimal ids.
QStringList Stacking(const QString& text) {
  QStringList ids;
  const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
  const int at = text.indexOf(QStringLiteral("_NET_CLIENT_LIST_STACKING"));
  const QString line = text.mid(at, text.indexOf(QLatin1Char('\n'), at) - at);
  for (const QRegularExpressionMatch& m : hex.globalMatch(line))
    ids << QString::number(m.captured(0).toULongLong(nullptr, 16));
  return ids;
}

int DistinctColours(const QImage& image, const QRect& area) {
  QSet<QRgb> colours;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) colours.insert(image.pixel(x, y) & 0xffffff);
  return colours.size();
}

}  // namespace

TEST(EndToEnd, AnErrorBoxOpensAboveThePictureAndIsAnsweredWithTheKeyboard) {
  for (const char* tool : {"openbox", "xdotool", "xprop", "xwininfo", "import", "xvfb-run"})
    if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
      GTEST_SKIP() << tool << " is not installed";
  const QString binary = qEnvironmentVariable("OSTRIVO_BINARY_DIR");
  const QString exe = binary + QStringLiteral("/ostrivo");
  ASSERT_TRUE(QFile::exists(exe)) << exe.toStdString();
  const QString out = binary + QStringLiteral("/artifacts");
  QDir().mkpath(out);
  for (const char* name :
       {"box-above-picture.png", "after-box.png", "ids.txt", "while-box.txt", "after-box.txt"})
    QFile::remove(out + QLatin1Char('/') + QLatin1String(name));

  // A profile started before: no first-start questions; the picture window fills the screen
  // without a frame.
  TempDir config;
  {
    FileRegistryHives hives(config.Path());
    ASSERT_TRUE(hives.CreateKey(Hive::ClassesRoot, {"Ostrivo.osp", "shell", "Open", "command"}));
    ASSERT_TRUE(hives.CreateKey(Hive::CurrentUser, {"Software", "Ostrivo"}));
    for (const auto& [name, value] : {std::pair{"TitleBoxChecked", "0"},
                                      {"DisplayTime", "10"},
                                      {"Pause", "0"},
                                      {"RandomBoxChecked", "0"},
                                      {"FitBoxChecked", "0"},
                                      {"StretchBoxChecked", "1"}})
      ASSERT_TRUE(hives.SetValue(Hive::CurrentUser, {"Software", "Ostrivo"}, name,
                                 RegistryValue::String(value)));
  }
  const QString bad = config.Write(QStringLiteral("broken.jpg"), "this is not a JPEG file");

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.insert(QStringLiteral("OSTRIVO_CONFIG_DIR"), config.Path());
  env.insert(QStringLiteral("HOME"), config.Path());
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.File(QStringLiteral("xdg")));
  env.remove(QStringLiteral("DISPLAY"));
  QString log;
  int exitCode = -1;
  // Another run may take the display number xvfb-run chose in the same moment: try again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    QProcess run;
    run.setProcessEnvironment(env);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QStringLiteral("xvfb-run"),
              {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1024x768x24"),
               QStringLiteral("sh"), QStringLiteral("-c"), QString::fromLatin1(kScript),
               QStringLiteral("sh"), exe, out, bad});
    ASSERT_TRUE(run.waitForStarted(10000));
    ASSERT_TRUE(run.waitForFinished(180000)) << "the run did not end";
    log = QString::fromLocal8Bit(run.readAll());
    exitCode = run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
    if (!log.contains(QStringLiteral("could not connect to display"))) break;
  }
  ASSERT_EQ(exitCode, 0) << log.toStdString();

  const QString ids = QString::fromLocal8Bit(ReadAll(out + QStringLiteral("/ids.txt")));
  const QString picture = Value(ids, QStringLiteral("picture"));
  const QString box = Value(ids, QStringLiteral("box"));
  ASSERT_FALSE(picture.isEmpty()) << ids.toStdString();
  ASSERT_FALSE(box.isEmpty()) << ids.toStdString();

  // While it is open the box is the topmost window and holds the keyboard...
  const QString during = QString::fromLocal8Bit(ReadAll(out + QStringLiteral("/while-box.txt")));
  EXPECT_EQ(Value(during, QStringLiteral("active")), box) << during.toStdString();
  const QStringList stackDuring = Stacking(during);
  ASSERT_FALSE(stackDuring.isEmpty()) << during.toStdString();
  EXPECT_EQ(stackDuring.last(), box) << during.toStdString();
  EXPECT_GT(stackDuring.indexOf(box), stackDuring.indexOf(picture));

  // ...and the screenshot shows it: its icon, text and button.
  const QImage shot(out + QStringLiteral("/box-above-picture.png"));
  ASSERT_FALSE(shot.isNull());
  const QRect boxRect(Field(during, QStringLiteral("Absolute upper-left X")),
                      Field(during, QStringLiteral("Absolute upper-left Y")),
                      Field(during, QStringLiteral("Width")),
                      Field(during, QStringLiteral("Height")));
  ASSERT_TRUE(shot.rect().contains(boxRect)) << during.toStdString();
  EXPECT_GT(DistinctColours(shot, boxRect), 8);

  // After Return the box is gone, and the picture window is in front with the keyboard: it
  // covers the main window, and where the box was the screen is the picture window's colour.
  const QString after = QString::fromLocal8Bit(ReadAll(out + QStringLiteral("/after-box.txt")));
  EXPECT_EQ(Value(after, QStringLiteral("active")), picture) << after.toStdString();
  const QStringList stackAfter = Stacking(after);
  ASSERT_FALSE(stackAfter.isEmpty());
  EXPECT_EQ(stackAfter.last(), picture) << after.toStdString();
  const QImage afterShot(out + QStringLiteral("/after-box.png"));
  ASSERT_FALSE(afterShot.isNull());
  EXPECT_EQ(DistinctColours(afterShot, boxRect), 1);
  const QString mainInfo =
      QString::fromLocal8Bit(ReadAll(out + QStringLiteral("/main-window.txt")));
  const QRect mainRect(Field(mainInfo, QStringLiteral("Absolute upper-left X")),
                       Field(mainInfo, QStringLiteral("Absolute upper-left Y")),
                       Field(mainInfo, QStringLiteral("Width")),
                       Field(mainInfo, QStringLiteral("Height")));
  ASSERT_TRUE(afterShot.rect().contains(mainRect)) << mainInfo.toStdString();
  EXPECT_EQ(DistinctColours(afterShot, mainRect), 1);
}
