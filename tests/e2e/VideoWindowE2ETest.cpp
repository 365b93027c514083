// The built program plays a video list on the tests' desktop: the first video shows in the
// program's own window, with the program's icon and class; closing that window stops the list,
// so the second video never shows. A screenshot is kept in the build folder (artifacts/).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "e2e/E2EProgram.h"
#include "support/TempDir.h"

using namespace ostrivo;
using ostrivo::test::ReadAll;
using ostrivo::test::TempDir;
using ostrivo::test::e2e::Config;
using ostrivo::test::e2e::Program;

namespace {

// Plays the list, waits for the first video's window, records what the desktop knows of it,
// closes it as a user does (the window manager's Alt+F4), then watches for 8 s whether the
// list moves on to the second video.
const char kScript[] = R"sh(
exe="$1"; list="$2"; out="$3"
"$exe" /open "$list" /play & pid=$!
i=0
until id=$(xdotool search --onlyvisible --name 'first\.avi$' 2>/dev/null | head -1) && [ -n "$id" ]; do
  kill -0 "$pid" 2>/dev/null || { echo "the program ended before showing the video"; exit 3; }
  i=$((i + 1)); [ "$i" -gt 300 ] && { echo "no video window after 30 s"; kill "$pid"; exit 4; }
  sleep 0.1
done
sleep 1
xprop -id "$id" WM_CLASS _NET_WM_NAME _NET_WM_ICON | cut -c1-200 > "$out/video-window.props"
import -window root "$out/video-window-program.png"
xdotool windowactivate --sync "$id" key alt+F4
sleep 1
xdotool search --onlyvisible --name 'first\.avi$' >/dev/null 2>&1 && echo "first still shown"
for _ in $(seq 40); do
  if xdotool search --onlyvisible --name 'second\.avi$' >/dev/null 2>&1; then
    echo "the list moved on"; break
  fi
  sleep 0.2
done
kill "$pid"; wait "$pid" 2>/dev/null
exit 0
)sh";

QString MakeVideo(const QString& path, int seconds) {
  QProcess run;
  run.setProcessChannelMode(QProcess::MergedChannels);
  run.start(QStringLiteral("gst-launch-1.0"),
            {QStringLiteral("-q"), QStringLiteral("videotestsrc"), QStringLiteral("pattern=smpte"),
             QStringLiteral("num-buffers=%1").arg(seconds * 5), QStringLiteral("!"),
             QStringLiteral("video/x-raw,width=480,height=270,framerate=5/1"), QStringLiteral("!"),
             QStringLiteral("jpegenc"), QStringLiteral("!"), QStringLiteral("avimux"),
             QStringLiteral("!"), QStringLiteral("filesink"), QStringLiteral("location=") + path});
  if (!run.waitForFinished(60000) || run.exitCode() != 0)
    return QString::fromLocal8Bit(run.readAll()) + QStringLiteral(" (gst-launch-1.0 failed)");
  return QString();
}

}  // namespace

TEST(EndToEnd, AVideoPlaysInTheProgramsWindowAndClosingItStopsTheList) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "needs the tests' desktop";
  ASSERT_TRUE(QFile::exists(Program())) << Program().toStdString();
  Config config({{"RandomBoxChecked", "0"}, {"ContinuousBoxChecked", "0"}, {"Pause", "0"}});
  TempDir media;
  const QString first = media.File(QStringLiteral("first.avi"));
  const QString second = media.File(QStringLiteral("second.avi"));
  ASSERT_EQ(MakeVideo(first, 8), QString());
  ASSERT_EQ(MakeVideo(second, 3), QString());
  const QString list =
      media.Write(QStringLiteral("videos.osp"), (first + "\n" + second + "\n").toLocal8Bit());
  const QString out = qEnvironmentVariable("OSTRIVO_BINARY_DIR") + QStringLiteral("/artifacts");
  QDir().mkpath(out);
  QFile::remove(out + QStringLiteral("/video-window.props"));

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("OSTRIVO_CONFIG_DIR"), config.dir.Path());
  env.insert(QStringLiteral("OSTRIVO_AUDIO_SINK"), QStringLiteral("fakesink sync=true"));
  env.remove(QStringLiteral("OSTRIVO_VIDEO_SINK"));  // the system's default sink, as a user has
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  QProcess run;
  run.setProcessEnvironment(env);
  run.setProcessChannelMode(QProcess::MergedChannels);
  run.start(QStringLiteral("sh"), {QStringLiteral("-c"), QString::fromLatin1(kScript),
                                   QStringLiteral("sh"), Program(), list, out});
  ASSERT_TRUE(run.waitForStarted(10000));
  ASSERT_TRUE(run.waitForFinished(120000));
  const QString log = QString::fromLocal8Bit(run.readAll());
  ASSERT_EQ(run.exitCode(), 0) << log.toStdString();

  EXPECT_FALSE(log.contains(QStringLiteral("first still shown"))) << log.toStdString();
  EXPECT_FALSE(log.contains(QStringLiteral("the list moved on")))
      << "closing the video's window stops the list\n"
      << log.toStdString();
  const QString props =
      QString::fromLocal8Bit(ReadAll(out + QStringLiteral("/video-window.props")));
  EXPECT_TRUE(props.contains(QStringLiteral("\"ostrivo\""))) << props.toStdString();
  EXPECT_TRUE(props.contains(QStringLiteral("_NET_WM_ICON(CARDINAL) = "))) << props.toStdString();
  EXPECT_TRUE(props.contains(QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"") + first + "\""))
      << props.toStdString();
}
