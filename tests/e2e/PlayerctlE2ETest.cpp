// The built program under X, driven over a session bus of the test's own by playerctl, a real
// client of the desktop's player controls, as a panel or a media-key daemon would. The whole
// exchange is kept in the build folder (artifacts/playerctl-transcript.txt).
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <cmath>

#include "e2e/E2EProgram.h"
#include "support/PrivateBus.h"
#include "support/TempDir.h"

using namespace ostrivo;
using ostrivo::test::PrivateBus;
using ostrivo::test::TempDir;
using ostrivo::test::e2e::Config;
using ostrivo::test::e2e::Program;
using ostrivo::test::e2e::Wav;

namespace {

// A sound server of the test's own with one silent sink, so that the program's mixer may find
// a master line; it ends with the object.
class SoundServer {
 public:
  explicit SoundServer(const QString& runtimeDir) : runtime_(runtimeDir) {
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()) return;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_);
    env.insert(QStringLiteral("HOME"), runtime_);
    // Off the session bus: two servers there would both claim its one PulseAudio name.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + runtime_ + QStringLiteral("/no-bus"));
    server_.setProcessEnvironment(env);
    server_.setProcessChannelMode(QProcess::MergedChannels);
    server_.start(QStringLiteral("pulseaudio"),
                  {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                   QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disable-shm=yes"),
                   QStringLiteral("--load=module-null-sink sink_name=ostrivo_test"),
                   QStringLiteral("--load=module-native-protocol-unix")});
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(runtime_ + QStringLiteral("/pulse/native")) && waited.elapsed() < 10000)
      QThread::msleep(50);
  }
  ~SoundServer() {
    if (server_.state() == QProcess::NotRunning) return;
    server_.kill();
    server_.waitForFinished(5000);
  }
  bool Running() const { return server_.state() == QProcess::Running; }
  // The sink's volume, 0 to 1, as pactl reports it.
  double SinkVolume() const {
    QProcess pactl;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_);
    pactl.setProcessEnvironment(env);
    pactl.start(QStringLiteral("pactl"),
                {QStringLiteral("get-sink-volume"), QStringLiteral("ostrivo_test")});
    pactl.waitForFinished(10000);
    const QString out = QString::fromUtf8(pactl.readAllStandardOutput());
    // "Volume: front-left: 32768 /  50% / ..."
    const qsizetype colon = out.indexOf(QLatin1String("front-left:"));
    if (colon < 0) return -1;
    return out.mid(colon + 11).section(QLatin1Char('/'), 0, 0).trimmed().toDouble() / 65536;
  }

 private:
  QString runtime_;
  QProcess server_;
};

// playerctl, aimed at the program, with a transcript of every exchange.
class Playerctl {
 public:
  explicit Playerctl(QProcessEnvironment env) : env_(std::move(env)) {}

  QString Run(const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env_);
    p.start(QStringLiteral("playerctl"),
            QStringList{QStringLiteral("-p"), QStringLiteral("ostrivo")} + args);
    p.waitForFinished(20000);
    const QString out =
        QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    transcript += QStringLiteral("$ playerctl -p ostrivo ") + args.join(QLatin1Char(' ')) +
                  QLatin1Char('\n') + (out.isEmpty() ? QString() : out + QLatin1Char('\n'));
    return out;
  }
  // Asks until the answer is the expected one (a command runs right after its answer), up to
  // a few seconds; returns the last answer.
  QString Await(const QStringList& args, const QString& expected) {
    QElapsedTimer waited;
    waited.start();
    QString out = Run(args);
    while (out != expected && waited.elapsed() < 5000) {
      QThread::msleep(100);
      out = Run(args);
    }
    return out;
  }

  QString transcript;

 private:
  QProcessEnvironment env_;
};

}  // namespace

TEST(EndToEnd, PlayerctlDrivesTheProgramOverTheSessionBus) {
  for (const char* tool : {"playerctl", "dbus-send"})
    if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
      GTEST_SKIP() << tool << " is not installed";
  ASSERT_TRUE(QFile::exists(Program())) << Program().toStdString();
  PrivateBus bus;
  ASSERT_FALSE(bus.Address().isEmpty()) << "dbus-daemon did not start";
  TempDir runtime;
  QFile::setPermissions(runtime.Path(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  SoundServer sound(runtime.Path());

  Config config({{"RandomBoxChecked", "0"}, {"ContinuousBoxChecked", "0"}, {"Pause", "0"}});
  TempDir media;
  const QString a = media.Write("a.wav", Wav(30000));
  const QString b = media.Write("b.wav", Wav(30000));

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DBUS_SESSION_BUS_ADDRESS", bus.Address());
  env.insert("XDG_RUNTIME_DIR", runtime.Path());
  env.insert("OSTRIVO_CONFIG_DIR", config.dir.Path());
  env.insert("OSTRIVO_AUDIO_SINK", "fakesink sync=true");
  env.insert("OSTRIVO_VIDEO_SINK", "fakesink");
  env.remove("QT_QPA_PLATFORM");  // the real X platform, as a user runs it
  QProcess program;
  program.setProcessEnvironment(env);
  program.setProcessChannelMode(QProcess::MergedChannels);
  const QStringList args{"/file", a, "/file", b};
  if (env.value("DISPLAY").isEmpty())
    program.start("xvfb-run", QStringList{"-a", "-s", "-screen 0 1024x768x24", Program()} + args);
  else
    program.start(Program(), args);
  ASSERT_TRUE(program.waitForStarted(10000));

  Playerctl ctl(env);
  // The program is on the bus once its windows exist.
  {
    QElapsedTimer waited;
    waited.start();
    while (ctl.Run({"status"}) != "Stopped" && waited.elapsed() < 30000) QThread::msleep(200);
  }
  EXPECT_EQ(ctl.Run({"status"}), "Stopped");

  EXPECT_EQ(ctl.Run({"play"}), "");
  EXPECT_EQ(ctl.Await({"status"}, "Playing"), "Playing");
  EXPECT_EQ(ctl.Run({"metadata", "xesam:url"}),
            QUrl::fromLocalFile(a).toString(QUrl::FullyEncoded));
  EXPECT_EQ(ctl.Run({"metadata", "xesam:title"}), "a.wav");
  EXPECT_EQ(ctl.Run({"metadata", "mpris:length"}), "30000000");
  ctl.Run({"pause"});
  EXPECT_EQ(ctl.Await({"status"}, "Paused"), "Paused");
  ctl.Run({"play"});
  EXPECT_EQ(ctl.Await({"status"}, "Playing"), "Playing");
  ctl.Run({"position", "12"});
  EXPECT_GE(ctl.Run({"position"}).toDouble(), 12.0);

  ctl.Run({"next"});
  EXPECT_EQ(
      ctl.Await({"metadata", "xesam:url"}, QUrl::fromLocalFile(b).toString(QUrl::FullyEncoded)),
      QUrl::fromLocalFile(b).toString(QUrl::FullyEncoded));
  EXPECT_EQ(ctl.Run({"status"}), "Playing");
  ctl.Run({"stop"});
  EXPECT_EQ(ctl.Await({"status"}, "Stopped"), "Stopped");
  // Next while stopped moves the selection and stays stopped; it wraps only with "loop".
  ctl.Run({"loop", "Playlist"});
  EXPECT_EQ(ctl.Run({"loop"}), "Playlist");
  ctl.Run({"next"});
  EXPECT_EQ(ctl.Await({"metadata", "xesam:title"}, "a.wav"), "a.wav");
  EXPECT_EQ(ctl.Run({"status"}), "Stopped");
  ctl.Run({"shuffle", "On"});
  EXPECT_EQ(ctl.Run({"shuffle"}), "On");

  // The master bar where the mixer has a master line: the sound server's sink moves with it.
  // Without one the bar stands at the bottom, reads as silence and takes no setting.
  const double sinkBefore = sound.Running() ? sound.SinkVolume() : -1;
  ctl.Run({"volume", "0.5"});
  const double volume = ctl.Run({"volume"}).toDouble();
  if (std::abs(volume - 0.5) < 0.01) {
    if (sound.Running()) {
      EXPECT_NEAR(sound.SinkVolume(), 0.5, 0.02);
    }
    ::testing::Test::RecordProperty("master_line", "present");
    ctl.transcript += "(the mixer has a master line)\n";
  } else {
    EXPECT_EQ(volume, 0.0);
    if (sound.Running()) {
      EXPECT_EQ(sound.SinkVolume(), sinkBefore);
    }
    ::testing::Test::RecordProperty("master_line", "absent");
    ctl.transcript += "(the mixer has no master line)\n";
  }

  // Quit closes as Exit does: the options ticked over the bus are saved.
  QProcess quit;
  quit.setProcessEnvironment(env);
  quit.start("dbus-send", {"--session", "--type=method_call", "--print-reply",
                           "--dest=org.mpris.MediaPlayer2.ostrivo", "/org/mpris/MediaPlayer2",
                           "org.mpris.MediaPlayer2.Quit"});
  quit.waitForFinished(20000);
  ctl.transcript += "$ dbus-send ... org.mpris.MediaPlayer2.Quit\n";
  const bool ended = program.waitForFinished(20000);
  if (!ended) {
    program.kill();
    program.waitForFinished(5000);
  }
  const QString out = Program().section('/', 0, -2) + "/artifacts";
  QDir().mkpath(out);
  QFile transcript(out + "/playerctl-transcript.txt");
  if (transcript.open(QIODevice::WriteOnly)) transcript.write(ctl.transcript.toUtf8());

  ASSERT_TRUE(ended) << program.readAll().toStdString();
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_EQ(config.Setting("ContinuousBoxChecked"), "1");
  EXPECT_EQ(config.Setting("RandomBoxChecked"), "1");
}

namespace {

// Starts the program, gives its main window the keyboard focus, and presses the keyboard's
// media keys, asking playerctl after each what the program does.
const char kKeysScript[] = R"sh(
exe="$1"; a="$2"; b="$3"
"$exe" /file "$a" /file "$b" & pid=$!
i=0
until w=$(xdotool search --name "^Ostrivo 1.0 - " | head -1) && [ -n "$w" ]; do
  i=$((i + 1)); [ "$i" -gt 300 ] && { echo "no main window after 30 s"; kill "$pid"; exit 4; }
  sleep 0.1
done
i=0
until [ "$(playerctl -p ostrivo status 2>/dev/null)" = Stopped ]; do
  i=$((i + 1)); [ "$i" -gt 100 ] && { echo "not on the bus"; kill "$pid"; exit 5; }
  sleep 0.1
done
xdotool windowfocus --sync "$w"
for key in XF86AudioPlay XF86AudioPlay XF86AudioPlay XF86AudioNext XF86AudioPrev XF86AudioStop; do
  xdotool key "$key"
  sleep 0.5
  echo "$key $(playerctl -p ostrivo status) $(playerctl -p ostrivo metadata xesam:title)"
done
kill "$pid"; wait "$pid" 2>/dev/null
exit 0
)sh";

}  // namespace

TEST(EndToEnd, TheKeyboardsMediaKeysActOnTheFocusedMainWindow) {
  for (const char* tool : {"playerctl", "xdotool"})
    if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
      GTEST_SKIP() << tool << " is not installed";
  ASSERT_TRUE(QFile::exists(Program())) << Program().toStdString();
  PrivateBus bus;
  ASSERT_FALSE(bus.Address().isEmpty()) << "dbus-daemon did not start";
  Config config({{"RandomBoxChecked", "0"}, {"ContinuousBoxChecked", "0"}, {"Pause", "0"}});
  TempDir media;
  const QString a = media.Write("a.wav", Wav(30000));
  const QString b = media.Write("b.wav", Wav(30000));

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DBUS_SESSION_BUS_ADDRESS", bus.Address());
  env.insert("OSTRIVO_CONFIG_DIR", config.dir.Path());
  env.insert("OSTRIVO_AUDIO_SINK", "fakesink sync=true");
  env.insert("OSTRIVO_VIDEO_SINK", "fakesink");
  env.remove("QT_QPA_PLATFORM");
  QProcess script;
  script.setProcessEnvironment(env);
  script.setProcessChannelMode(QProcess::MergedChannels);
  const QStringList args{"-c", kKeysScript, "keys", Program(), a, b};
  if (env.value("DISPLAY").isEmpty())
    script.start("xvfb-run", QStringList{"-a", "-s", "-screen 0 1024x768x24", "sh"} + args);
  else
    script.start("sh", args);
  ASSERT_TRUE(script.waitForFinished(90000));
  const QString out = QString::fromUtf8(script.readAll());
  ASSERT_EQ(script.exitCode(), 0) << out.toStdString();
  // The play/pause key (sent as "play" by X) toggles, as the Play and Pause buttons would.
  EXPECT_TRUE(
      out.contains("XF86AudioPlay Playing a.wav\nXF86AudioPlay Paused a.wav\n"
                   "XF86AudioPlay Playing a.wav\nXF86AudioNext Playing b.wav\n"
                   "XF86AudioPrev Playing a.wav\nXF86AudioStop Stopped a.wav\n"))
      << out.toStdString();
}
