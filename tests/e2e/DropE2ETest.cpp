// The built program under a virtual X display takes a real drag and drop (XDND) from another
// program: two files and a folder dragged from a small Qt window onto the main window end up
// in the play list, which the program's own Save then writes to its file. Screenshots of the
// drag over the window and of the result are kept in the build folder (artifacts/).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "e2e/E2EProgram.h"
#include "platform/registry/FileRegistryHives.h"
#include "support/TempDir.h"

using namespace ostrivo;
using ostrivo::test::ReadAll;
using ostrivo::test::TempDir;

namespace {

// Starts the program on a list, waits out the splash, then presses the button on the drag
// source, moves the pointer onto the middle of the main window in steps and lets go. Afterwards
// it saves the list with the File menu's keys (the list has a file: no dialog) and ends it.
const char kScript[] = R"sh(
exe="$1"; source="$2"; list="$3"; out="$4"; shift 4
"$exe" /open "$list" & pid=$!
i=0
until win=$(xdotool search --onlyvisible --name '^Ostrivo 1\.0 - Untitled$' 2>/dev/null | head -1) &&
    [ -n "$win" ]; do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"; echo "the program ended with status $? before showing its window"; exit 3
  fi
  i=$((i + 1)); [ "$i" -gt 300 ] && { echo "no main window after 30 s"; exit 4; }
  sleep 0.1
done
# The splash lies over the middle of the screen for three seconds.
sleep 4
eval "$(xdotool getwindowgeometry --shell "$win")"
tx=$((X + WIDTH / 2)); ty=$((Y + HEIGHT / 2))
ASAN_OPTIONS=detect_leaks=0 "$source" "$@" > "$out/drag-source.txt" 2>&1 & spid=$!
i=0
until src=$(xdotool search --onlyvisible --name '^Drag source$' 2>/dev/null | head -1) &&
    [ -n "$src" ]; do
  i=$((i + 1)); [ "$i" -gt 300 ] && { echo "no drag source after 30 s"; exit 5; }
  sleep 0.1
done
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$src")"
sx=$((X + WIDTH / 2)); sy=$((Y + HEIGHT / 2))
xdotool mousemove "$sx" "$sy"; sleep 0.3
xdotool mousedown 1; sleep 0.5
for k in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove $((sx + (tx - sx) * k / 10)) $((sy + (ty - sy) * k / 10)); sleep 0.15
done
sleep 0.5
import -window root "$out/drag-over.png"
xdotool mouseup 1
i=0
while kill -0 "$spid" 2>/dev/null; do
  i=$((i + 1)); [ "$i" -gt 150 ] && { echo "the drag did not end"; kill "$spid"; exit 6; }
  sleep 0.1
done
wait "$spid"; echo "drag source status $?"
sleep 1
import -window root "$out/dropped.png"
xdotool getwindowname "$win" > "$out/title.txt"
xdotool windowfocus --sync "$win" 2>/dev/null
sleep 0.3
xdotool key alt+f; sleep 0.5; xdotool key s; sleep 1
kill "$pid"; wait "$pid" 2>/dev/null
exit 0
)sh";

}  // namespace

TEST(EndToEnd, FilesAndAFolderDraggedFromAnotherProgramLandInThePlayList) {
  const QString binary = qEnvironmentVariable("OSTRIVO_BINARY_DIR");
  const QString exe = binary + QStringLiteral("/ostrivo");
  ASSERT_TRUE(QFileInfo(exe).isExecutable()) << exe.toStdString() << " has not been built";
  ASSERT_TRUE(QFileInfo(QStringLiteral(OSTRIVO_DRAG_SOURCE)).isExecutable());
  const QString out = binary + QStringLiteral("/artifacts");
  QDir().mkpath(out);
  for (const char* name : {"drag-over.png", "dropped.png", "title.txt", "drag-source.txt"})
    QFile::remove(out + QLatin1Char('/') + QLatin1String(name));

  // A profile that has been started before: no first-start questions cover the window.
  TempDir config;
  {
    FileRegistryHives hives(config.Path());
    ASSERT_TRUE(hives.CreateKey(Hive::ClassesRoot, {"Ostrivo.osp", "shell", "Open", "command"}));
  }
  TempDir media;
  const QString list = media.Write(QStringLiteral("list.osp"), "Stop\r\n");
  const QString a = media.Write(QStringLiteral("Morning walk.wav"), "x");
  const QString b = media.Write(QStringLiteral("Évening tide.mid"), "x");
  const QString folder = media.MakeDir(QStringLiteral("Album"));
  const QString c = media.Write(QStringLiteral("Album/Track 1.mp3"), "x");
  media.Write(QStringLiteral("Album/cover.txt"), "x");

  const test::e2e::DisplayRun run = test::e2e::RunOnOwnDisplay(
      config.Path(), kScript, {exe, QStringLiteral(OSTRIVO_DRAG_SOURCE), list, out, a, b, folder},
      120000);
  ASSERT_TRUE(run.started) << "xvfb-run could not be started";
  ASSERT_TRUE(run.finished) << "the run did not end";
  const QString& log = run.log;
  ASSERT_EQ(run.exitCode, 0) << log.toStdString();

  // The program took the drop as a copy.
  EXPECT_TRUE(log.contains(QStringLiteral("drag source status 0"))) << log.toStdString();
  // The folder was walked as Add directory walks it: the title names it.
  EXPECT_EQ(QString::fromUtf8(ReadAll(out + QStringLiteral("/title.txt"))).trimmed(),
            QStringLiteral("Ostrivo 1.0 - Untitled - ") + folder);
  // The files were appended after what the list held, then the folder's media file.
  EXPECT_EQ(ReadAll(list), "Stop\r\n" + QFile::encodeName(a) + "\r\n" + QFile::encodeName(b) +
                               "\r\n" + QFile::encodeName(c) + "\r\n")
      << log.toStdString();
}
