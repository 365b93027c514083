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

#include "e2e/E2EProgram.h"
#include "platform/registry/FileRegistryHives.h"
#include "support/TempDir.h"

using namespace ostrivo;
using ostrivo::test::ReadAll;
using ostrivo::test::TempDir;

namespace {

// Starts openbox and the program with the given arguments, waits for its error box, records
// the windows while it is up, answers it with Return, and records them again.
const char kScript[] = R"sh(
exe="$1"; out="$2"; shift 2
fail() { echo "$1"; kill "$pid" "$wm" 2>/dev/null; exit 3; }
openbox --sm-disable >/dev/null 2>&1 & wm=$!
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
  i=$((i + 1)); [ "$i" -gt 100 ] && fail "openbox did not start"; sleep 0.1
done
"$exe" "$@" & pid=$!
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

// What the screen showed while the box was up and after it was answered.
struct BoxRun {
  QString picture, box, during, after;
  QImage duringShot, afterShot;
  QRect boxRect, mainRect;
};

// Runs the program with the arguments on a virtual display of its own under openbox, with a
// profile started before (no first-start questions) whose picture window fills the screen
// without a frame. Screenshots go to artifacts/<name>/.
void RunUntilTheBox(const QString& name, const QStringList& args, const TempDir& config,
                    BoxRun& run) {
  for (const char* tool : {"openbox", "xdotool", "xprop", "xwininfo", "import", "xvfb-run"})
    if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
      GTEST_SKIP() << tool << " is not installed";
  const QString binary = qEnvironmentVariable("OSTRIVO_BINARY_DIR");
  const QString exe = binary + QStringLiteral("/ostrivo");
  ASSERT_TRUE(QFile::exists(exe)) << exe.toStdString();
  const QString out = binary + QStringLiteral("/artifacts/") + name;
  QDir(out).removeRecursively();
  QDir().mkpath(out);
  {
    FileRegistryHives hives(config.Path());
    ASSERT_TRUE(hives.CreateKey(Hive::ClassesRoot, {"Ostrivo.osp", "shell", "Open", "command"}));
    ASSERT_TRUE(hives.CreateKey(Hive::CurrentUser, {"Software", "Ostrivo"}));
    for (const auto& [setting, value] : {std::pair{"TitleBoxChecked", "0"},
                                         {"DisplayTime", "1"},
                                         {"Pause", "0"},
                                         {"RandomBoxChecked", "0"},
                                         {"ContinuousBoxChecked", "0"},
                                         {"FitBoxChecked", "0"},
                                         {"StretchBoxChecked", "1"}})
      ASSERT_TRUE(hives.SetValue(Hive::CurrentUser, {"Software", "Ostrivo"}, setting,
                                 RegistryValue::String(value)));
  }
  const test::e2e::DisplayRun program =
      test::e2e::RunOnOwnDisplay(config.Path(), kScript, QStringList{exe, out} + args, 180000);
  ASSERT_TRUE(program.started) << "xvfb-run could not be started";
  ASSERT_TRUE(program.finished) << "the run did not end";
  const QString& log = program.log;
  ASSERT_EQ(program.exitCode, 0) << log.toStdString();

  const QString ids = QString::fromLocal8Bit(ReadAll(out + QStringLiteral("/ids.txt")));
  run.picture = Value(ids, QStringLiteral("picture"));
  run.box = Value(ids, QStringLiteral("box"));
  ASSERT_FALSE(run.picture.isEmpty()) << ids.toStdString();
  ASSERT_FALSE(run.box.isEmpty()) << ids.toStdString();
  run.during = QString::fromLocal8Bit(ReadAll(out + QStringLiteral("/while-box.txt")));
  run.after = QString::fromLocal8Bit(ReadAll(out + QStringLiteral("/after-box.txt")));
  run.duringShot = QImage(out + QStringLiteral("/box-above-picture.png"));
  run.afterShot = QImage(out + QStringLiteral("/after-box.png"));
  ASSERT_FALSE(run.duringShot.isNull());
  ASSERT_FALSE(run.afterShot.isNull());
  auto rect = [](const QString& info) {
    return QRect(Field(info, QStringLiteral("Absolute upper-left X")),
                 Field(info, QStringLiteral("Absolute upper-left Y")),
                 Field(info, QStringLiteral("Width")), Field(info, QStringLiteral("Height")));
  };
  run.boxRect = rect(run.during);
  run.mainRect = rect(QString::fromLocal8Bit(ReadAll(out + QStringLiteral("/main-window.txt"))));
  ASSERT_TRUE(run.duringShot.rect().contains(run.boxRect)) << run.during.toStdString();
  ASSERT_TRUE(run.afterShot.rect().contains(run.mainRect));
}

// While it is open the box is the topmost window, holds the keyboard and can be seen (its
// icon, text and button); after Return it is gone and the picture window is in front with the
// keyboard again, covering the main window.
void ExpectTheBoxAboveAndThePictureBack(const BoxRun& run) {
  EXPECT_EQ(Value(run.during, QStringLiteral("active")), run.box) << run.during.toStdString();
  const QStringList during = Stacking(run.during);
  ASSERT_FALSE(during.isEmpty()) << run.during.toStdString();
  EXPECT_EQ(during.last(), run.box) << run.during.toStdString();
  EXPECT_GT(during.indexOf(run.box), during.indexOf(run.picture));
  EXPECT_GT(DistinctColours(run.duringShot, run.boxRect), 8);

  EXPECT_EQ(Value(run.after, QStringLiteral("active")), run.picture) << run.after.toStdString();
  const QStringList after = Stacking(run.after);
  ASSERT_FALSE(after.isEmpty());
  EXPECT_EQ(after.last(), run.picture) << run.after.toStdString();
  EXPECT_EQ(DistinctColours(run.afterShot, run.boxRect), 1);
  EXPECT_EQ(DistinctColours(run.afterShot, run.mainRect), 1);
}

}  // namespace

TEST(EndToEnd, APictureThatCannotBeLoadedReportsAboveThePictureWindow) {
  TempDir config;
  const QString bad = config.Write(QStringLiteral("broken.jpg"), "this is not a JPEG file");
  BoxRun run;
  // The list first waits out the splash, which would otherwise still be up when the box closes.
  RunUntilTheBox(QStringLiteral("box-broken-picture"),
                 {QStringLiteral("/file"), QStringLiteral("Pause: 4"), QStringLiteral("/file"), bad,
                  QStringLiteral("/play")},
                 config, run);
  if (HasFatalFailure() || IsSkipped()) return;
  ExpectTheBoxAboveAndThePictureBack(run);
}

TEST(EndToEnd, AnErrorWhileTheClockRunsStaysAboveThePictureWithTheKeyboard) {
  // A picture, then a Pause mark that cannot be read: the box opens over the picture, and the
  // clock goes on ticking while it is open, asking for the picture window's focus each time.
  TempDir config;
  QImage red(320, 240, QImage::Format_RGB32);
  red.fill(QColor(200, 40, 40));
  const QString picture = config.File(QStringLiteral("red.jpg"));
  ASSERT_TRUE(red.save(picture, "JPG"));
  BoxRun run;
  RunUntilTheBox(
      QStringLiteral("box-during-slide-show"),
      {QStringLiteral("/file"), QStringLiteral("Pause: 4"), QStringLiteral("/file"), picture,
       QStringLiteral("/file"), QStringLiteral("Pause: x"), QStringLiteral("/play")},
      config, run);
  if (HasFatalFailure() || IsSkipped()) return;
  ExpectTheBoxAboveAndThePictureBack(run);
  // The picture is under the box.
  const QRgb under = run.duringShot.pixel(5, run.duringShot.height() - 5);
  EXPECT_TRUE(qRed(under) > 150 && qGreen(under) < 90 && qBlue(under) < 90);
}
