// The built program under a virtual X display: it starts, shows its splash and then its main
// window, and screenshots of both are kept in the build folder (artifacts/) for a person to
// look at.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include "e2e/E2EProgram.h"
#include "platform/registry/FileRegistryHives.h"
#include "support/TempDir.h"

using namespace ostrivo;
using ostrivo::test::ReadAll;
using ostrivo::test::TempDir;

namespace {

// Starts the program, waits until its main window is mapped under its start-up title, takes a
// screenshot while the splash is up and one after it has gone, then ends the program.
const char kScript[] = R"sh(
exe="$1"; out="$2"; list="$3"
"$exe" /open "$list" & pid=$!
title='"Ostrivo 1.0 - Untitled"'
i=0
until xwininfo -root -tree | grep -qF "$title"; do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"; echo "the program ended with status $? before showing its window"; exit 3
  fi
  i=$((i + 1)); [ "$i" -gt 300 ] && { echo "no main window after 30 s"; exit 4; }
  sleep 0.1
done
import -window root "$out/splash.png"
xwininfo -name "Ostrivo 1.0 - Untitled" > "$out/main-window.txt"
# The splash lasts three seconds from the start.
sleep 4
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"; echo "the program ended by itself with status $?"; exit 5
fi
import -window root "$out/screen.png"
import -window "$(awk '/Window id:/ {print $4}' "$out/main-window.txt")" "$out/main-window.png"
xwininfo -root -tree > "$out/windows.txt"
xprop -id "$(awk '/Window id:/ {print $4}' "$out/main-window.txt")" _NET_WM_ICON WM_CLASS \
  | cut -c1-200 > "$out/main-window.props"
kill "$pid"; wait "$pid" 2>/dev/null
exit 0
)sh";

int Field(const QString& info, const QString& name) {
  const QRegularExpression re(QRegularExpression::escape(name) + QStringLiteral(":\\s*(-?\\d+)"));
  const QRegularExpressionMatch m = re.match(info);
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

int DistinctColours(const QImage& image, const QRect& area) {
  QSet<QRgb> colours;
  for (int y = area.top(); y <= area.bottom(); y += 2)
    for (int x = area.left(); x <= area.right(); x += 2) colours.insert(image.pixel(x, y));
  return colours.size();
}

}  // namespace

TEST(EndToEnd, TheProgramStartsAndShowsItsMainWindow) {
  const QString binary = qEnvironmentVariable("OSTRIVO_BINARY_DIR");
  ASSERT_FALSE(binary.isEmpty()) << "OSTRIVO_BINARY_DIR is not set";
  const QString exe = binary + QStringLiteral("/ostrivo");
  ASSERT_TRUE(QFileInfo(exe).isExecutable()) << exe.toStdString() << " has not been built";
  const QString out = binary + QStringLiteral("/artifacts");
  QDir().mkpath(out);
  for (const char* name :
       {"splash.png", "screen.png", "main-window.png", "main-window.txt", "main-window.props"})
    QFile::remove(out + QLatin1Char('/') + QLatin1String(name));

  // A profile that has been started before: no first-start questions cover the window.
  TempDir config;
  {
    FileRegistryHives hives(config.Path());
    ASSERT_TRUE(hives.CreateKey(Hive::ClassesRoot, {"Ostrivo.osp", "shell", "Open", "command"}));
  }

  // A play list to look at; "/open" leaves the title as it is. Nothing is played.
  const QString list = config.Write(
      QStringLiteral("evening.osp"),
      "/home/user/Music/Morning walk.wav\n/home/user/Music/Evening tide.mid\nPause: 5\n"
      "/home/user/Pictures/Island at dusk.jpg\n/home/user/Video/Harbour.avi\nStop\n");

  const test::e2e::DisplayRun run =
      test::e2e::RunOnOwnDisplay(config.Path(), kScript, {exe, out, list}, 120000);
  ASSERT_TRUE(run.started) << "xvfb-run could not be started";
  ASSERT_TRUE(run.finished) << "the run did not end";
  const QString& log = run.log;
  ASSERT_EQ(run.exitCode, 0) << log.toStdString();

  // The main window was mapped with its title, at a size a user can work with.
  const QString info = QString::fromLocal8Bit(ReadAll(out + QStringLiteral("/main-window.txt")));
  const QRect window(Field(info, QStringLiteral("Absolute upper-left X")),
                     Field(info, QStringLiteral("Absolute upper-left Y")),
                     Field(info, QStringLiteral("Width")), Field(info, QStringLiteral("Height")));
  EXPECT_GE(window.width(), 560) << info.toStdString();
  EXPECT_GE(window.height(), 200) << info.toStdString();

  const QImage screen(out + QStringLiteral("/screen.png"));
  const QImage splash(out + QStringLiteral("/splash.png"));
  const QImage shot(out + QStringLiteral("/main-window.png"));
  ASSERT_EQ(screen.size(), QSize(1024, 768));
  ASSERT_EQ(splash.size(), QSize(1024, 768));
  ASSERT_EQ(shot.size(), window.size());

  // The window shows its controls: a busy picture, not an empty frame.
  EXPECT_GT(DistinctColours(shot, shot.rect()), 40);
  // The play list shows its entries: dark text in the list's top left corner.
  int ink = 0;
  for (int y = 45; y < 110; ++y)
    for (int x = 4; x < 220; ++x) ink += qGray(shot.pixel(x, y)) < 110;
  EXPECT_GT(ink, 100);
  // The menu bar and the tool bar's coloured glyphs along the top.
  EXPECT_GT(DistinctColours(shot, QRect(0, 0, 420, 60)), 15);

  // The window carries the program's icon and class, so the desktop shows and groups it.
  const QString props = QString::fromLocal8Bit(ReadAll(out + QStringLiteral("/main-window.props")));
  EXPECT_TRUE(props.contains(QStringLiteral("_NET_WM_ICON(CARDINAL) = "))) << props.toStdString();
  EXPECT_TRUE(props.contains(QStringLiteral("\"ostrivo\""))) << props.toStdString();

  // The splash lay on top in the middle of the screen at first, and was gone later.
  const QRect middle(1024 / 2 - 150, 768 / 2 - 110, 300, 220);
  EXPECT_GT(DistinctColours(splash, middle), 100);
  EXPECT_NE(splash.copy(middle), screen.copy(middle));
}
