// The media device over GStreamer, with files the tests make themselves, into fakesink. Notices
// come through the Qt event loop, which the tests run until they arrive.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <cstdlib>
#include <vector>

#include "framework/Exceptions.h"
#include "platform/media/GstMediaBackend.h"
#include "platform/media/TestMedia.h"
#include "player/MediaPlayer.h"
#include "support/NonRegularFiles.h"
#include "support/PulseServer.h"
#include "support/TempDir.h"

using namespace ostrivo;
using namespace ostrivo::test;

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~ScopedEnv() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

int OpenFdCount() {
  return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

class GstMediaTest : public ::testing::Test {
 protected:
  GstMediaTest() {
    player.OnNotify = [this](QObject* sender) {
      EXPECT_EQ(sender, &player);
      notices.push_back(player.NotifyValue());
    };
  }

  QByteArray Wav(const QString& name, int ms) {
    return dir.Write(name, WavBytes(ms)).toLocal8Bit();
  }

  void Open(const QByteArray& path, TMPDeviceTypes type = dtAutoSelect) {
    player.FileName = path;
    player.DeviceType = type;
    player.Open();
    player.SetTimeFormat(kTimeFormatMilliseconds);
  }

  bool WaitForNotice(std::size_t count = 1, int timeoutMs = 5000) {
    return ProcessEventsUntil([&] { return notices.size() >= count; }, timeoutMs);
  }

  QString OpenError(const QByteArray& path, TMPDeviceTypes type = dtAutoSelect) {
    try {
      Open(path, type);
    } catch (const EMCIDeviceError& e) {
      return e.Message();
    }
    return QStringLiteral("<opened>");
  }

  // Plays into sinks that keep to the clock, so that a play takes its real time.
  ScopedEnv realTimeAudio{"OSTRIVO_AUDIO_SINK", "fakesink sync=true"};
  ScopedEnv realTimeVideo{"OSTRIVO_VIDEO_SINK", "fakesink sync=true"};
  TempDir dir;
  GstMediaBackend media;
  TMediaPlayer player{media};
  std::vector<TMPNotifyValues> notices;
};

using V = std::vector<TMPNotifyValues>;

TEST_F(GstMediaTest, AWavPlaysToASuccessfulNoticeDeliveredByTheEventLoop) {
  // Long enough that a busy machine does not reach the end before the checks below.
  Open(Wav("a.wav", 1000));
  EXPECT_EQ(player.Length(), 1000) << "the length answers right after Open";
  EXPECT_EQ(player.Mode(), mpStopped);
  EXPECT_EQ(player.Position(), 0);

  player.Play();
  EXPECT_EQ(player.Mode(), mpPlaying);
  EXPECT_TRUE(notices.empty()) << "the notice never comes inside Play";
  ProcessEventsFor(120);
  EXPECT_TRUE(notices.empty()) << "a 1000 ms file does not end after 120 ms";
  const int32_t mid = player.Position();
  EXPECT_GT(mid, 50);
  EXPECT_LT(mid, 1000);

  ASSERT_TRUE(WaitForNotice());
  EXPECT_EQ(notices, V{nvSuccessful});
  EXPECT_EQ(player.Mode(), mpStopped);
  EXPECT_EQ(player.Position(), 1000);

  // At the end, Play without StartPos does not rewind: the play is over at once.
  player.Play();
  ASSERT_TRUE(WaitForNotice(2, 5000));
  EXPECT_EQ(notices, (V{nvSuccessful, nvSuccessful}));
  EXPECT_EQ(player.Position(), 1000);
}

TEST_F(GstMediaTest, PositionAdvancesWhilePlayingAndStopFreezesIt) {
  Open(Wav("a.wav", 800));
  player.Play();
  ProcessEventsFor(100);
  const int32_t p1 = player.Position();
  ProcessEventsFor(200);
  const int32_t p2 = player.Position();
  EXPECT_GE(p2 - p1, 150) << p1 << " then " << p2;

  player.Stop();
  const int32_t stopped = player.Position();
  ProcessEventsFor(700);
  EXPECT_NEAR(player.Position(), stopped, 5) << "Stop leaves the position where it stopped";
  EXPECT_EQ(notices, V{nvAborted}) << "a stopped play never reports success";
  EXPECT_EQ(player.Mode(), mpStopped);
}

TEST_F(GstMediaTest, CloseAndANewerPlayNeverReportSuccess) {
  Open(Wav("a.wav", 800));
  player.Play();
  ProcessEventsFor(100);
  player.Play();  // supersedes the first notice, continues where it stands
  ASSERT_TRUE(WaitForNotice(2));
  EXPECT_EQ(notices, (V{nvSuperseded, nvSuccessful}));

  notices.clear();
  player.SetStartPos(0);
  player.Play();
  ProcessEventsFor(100);
  player.Close();
  EXPECT_FALSE(player.IsOpen());
  ProcessEventsFor(500);
  EXPECT_EQ(notices, V{nvAborted});
}

TEST_F(GstMediaTest, StartPosIsWhereTheNextPlayStartsAndOnlyThatOne) {
  Open(Wav("a.wav", 1500));
  player.SetStartPos(600);
  player.Play();
  EXPECT_GE(player.Position(), 600);
  EXPECT_LT(player.Position(), 700);
  ProcessEventsFor(100);
  player.Stop();
  const int32_t stopped = player.Position();
  EXPECT_GE(stopped, 650);
  player.Play();
  EXPECT_GE(player.Position(), stopped - 5) << "the second Play continues, it does not go back";
  ASSERT_TRUE(WaitForNotice(2, 5000));
  EXPECT_EQ(notices, (V{nvAborted, nvSuccessful}));
}

TEST_F(GstMediaTest, PauseThenPauseAgainResumesWithANewNotice) {
  Open(Wav("a.wav", 1000));
  player.Play();
  ProcessEventsFor(100);
  player.Pause();
  EXPECT_EQ(player.Mode(), mpPaused);
  const int32_t paused = player.Position();
  ProcessEventsFor(600);
  EXPECT_NEAR(player.Position(), paused, 5);
  EXPECT_TRUE(notices.empty()) << "a paused play has not ended";

  player.Pause();
  EXPECT_EQ(player.Mode(), mpPlaying);
  ASSERT_TRUE(WaitForNotice(2, 5000));
  EXPECT_EQ(notices, (V{nvSuperseded, nvSuccessful}));
}

TEST_F(GstMediaTest, SeekingMovesThePositionOfAStoppedDevice) {
  Open(Wav("a.wav", 1000));
  player.SetPosition(750);
  EXPECT_EQ(player.Error(), 0);
  EXPECT_EQ(player.Position(), 750);
  EXPECT_EQ(player.Mode(), mpStopped);
  player.SetPosition(5000);
  EXPECT_NE(player.Error(), 0) << "beyond the end";
  EXPECT_EQ(player.Position(), 750);
}

TEST_F(GstMediaTest, FilesThatCannotBePlayedFailToOpenWithGStreamersText) {
  Open(Wav("a.wav", 300));
  const QString missing = OpenError(dir.File("nothing-here.wav").toLocal8Bit());
  EXPECT_FALSE(player.IsOpen()) << "the failed Open leaves the device closed";
  EXPECT_NE(missing, "<opened>");
  EXPECT_NE(missing, "Unknown error code");
  EXPECT_FALSE(missing.trimmed().isEmpty());

  QByteArray noise(4096, '\0');
  QRandomGenerator gen(7);
  for (char& c : noise) c = char(gen.bounded(256));
  const QString garbage = OpenError(dir.Write("noise.wav", noise).toLocal8Bit());
  EXPECT_NE(garbage, "<opened>");
  EXPECT_NE(garbage, "Unknown error code");
  EXPECT_FALSE(garbage.trimmed().isEmpty());
  EXPECT_FALSE(player.IsOpen());

  // GStreamer has no words for a device without a file.
  EXPECT_EQ(OpenError(QByteArray()), "Unknown error code");
  EXPECT_FALSE(player.IsOpen());
}

TEST_F(GstMediaTest, MidiIsSynthesisedAndPlaysToItsEnd) {
  Open(dir.Write("tune.mid", MidiBytes(1, 96)).toLocal8Bit());
  EXPECT_NEAR(player.Length(), 500, 20);
  player.Play();
  ProcessEventsFor(150);
  EXPECT_GT(player.Position(), 50);
  ASSERT_TRUE(WaitForNotice(1, 5000));
  EXPECT_EQ(notices, V{nvSuccessful});
}

// The loudest sample of a 16-bit WAV file's data, 0 for no file.
int LoudestSample(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return 0;
  const QByteArray bytes = file.readAll();
  int loudest = 0;
  for (qsizetype i = bytes.indexOf("data") + 8; i > 8 && i + 1 < bytes.size(); i += 2)
    loudest = std::max(loudest, std::abs(int(std::int16_t((bytes[i] & 0xff) | bytes[i + 1] << 8))));
  return loudest;
}

// MIDI entries one after the other, the next made ready while one plays, and the first once
// more: every one of them is synthesised (the synthesiser stays open from one to the next).
TEST_F(GstMediaTest, MidiEntriesOneAfterAnotherAreEachSynthesised) {
  const QByteArray a = dir.Write("a.mid", MidiBytes(2, 96)).toLocal8Bit();
  const QByteArray b = dir.Write("b.mid", MidiBytes(3, 96)).toLocal8Bit();
  // The fixture puts the sink back afterwards.
  auto recordInto = [&](const char* name) {
    qputenv("OSTRIVO_AUDIO_SINK",
            "audioconvert ! audio/x-raw,format=S16LE ! wavenc ! filesink "
            "location=\"" +
                dir.File(name).toLocal8Bit() + "\"");
  };
  recordInto("a.wav");
  Open(a);
  recordInto("b.wav");
  player.Prepare(b);
  player.Play();
  ASSERT_TRUE(WaitForNotice(1, 10000));
  player.Close();
  Open(b);
  player.Play();
  ASSERT_TRUE(WaitForNotice(2, 10000));
  player.Close();
  recordInto("again.wav");
  Open(a);
  player.Play();
  ASSERT_TRUE(WaitForNotice(3, 10000));
  player.Close();
  EXPECT_EQ(notices, (V{nvSuccessful, nvSuccessful, nvSuccessful}));
  for (const char* name : {"a.wav", "b.wav", "again.wav"})
    EXPECT_GT(LoudestSample(dir.File(name)), 100) << name << " is silent";
}

TEST_F(GstMediaTest, AviAndQuickTimeVideosPlayToTheirEnd) {
  const QString avi = dir.File("clip.avi");
  const QString mov = dir.File("clip.mov");
  ASSERT_EQ(MakeAvi(avi), "");
  ASSERT_EQ(MakeQuickTime(mov), "");
  for (const QString& path : {avi, mov}) {
    SCOPED_TRACE(path.toStdString());
    notices.clear();
    Open(path.toLocal8Bit());
    EXPECT_NEAR(player.Length(), 400, 40);
    player.Play();
    ASSERT_TRUE(WaitForNotice(1, 5000));
    EXPECT_EQ(notices, V{nvSuccessful});
    player.Close();
  }
}

TEST_F(GstMediaTest, AnErrorDuringPlayIsAFailureNoticeAndTheDeviceStaysUsable) {
  // The output breaks down a few buffers into the play.
  ScopedEnv sink("OSTRIVO_AUDIO_SINK", "identity error-after=4 ! fakesink sync=true");
  Open(Wav("a.wav", 2000));
  player.Play();
  ASSERT_TRUE(WaitForNotice(1, 5000));
  EXPECT_EQ(notices, V{nvFailure});
  EXPECT_EQ(player.Mode(), mpStopped);
  EXPECT_EQ(player.Length(), 2000);
  EXPECT_LT(player.Position(), 2000);

  // Playing again brings the medium back where it stood; it breaks down again.
  player.Play();
  EXPECT_EQ(player.Error(), 0);
  ASSERT_TRUE(WaitForNotice(2, 5000));
  EXPECT_EQ(notices, (V{nvFailure, nvFailure}));
}

TEST_F(GstMediaTest, AnUnusableSinkDescriptionFailsTheOpenWithItsText) {
  ScopedEnv sink("OSTRIVO_AUDIO_SINK", "no-such-sink-element");
  const QString text = OpenError(Wav("a.wav", 300));
  EXPECT_NE(text, "<opened>");
  EXPECT_FALSE(text.trimmed().isEmpty());
  EXPECT_FALSE(player.IsOpen());
}

TEST_F(GstMediaTest, ACdTrackWithoutADriveFailsToOpenWithATextAndLeavesTheDeviceClosed) {
  ScopedEnv drive("OSTRIVO_CDROM_DEVICE", dir.File("no-drive").toLocal8Bit());
  const QString text = OpenError("/cdrom/Track02.cda", dtCDAudio);
  EXPECT_NE(text, "<opened>");
  EXPECT_NE(text, "Unknown error code");
  EXPECT_FALSE(player.IsOpen());
}

TEST_F(GstMediaTest, APreparedMediumIsTheOneOpenedOnlyWhenItIsTheOneAskedFor) {
  Deadline deadline(60);  // a prepared medium held before its output must never hang its drop
  const QByteArray a = Wav("a.wav", 700), b = Wav("b.wav", 900);
  Open(a);
  player.Prepare(b);
  ProcessEventsFor(100);  // b gets ready while a stands open

  // Another file asked for: that file opens, not the prepared one, which is dropped.
  const QByteArray c = Wav("c.wav", 500);
  Open(c);
  EXPECT_EQ(player.Length(), 500);

  player.Prepare(b);
  Open(b);  // at once, maybe before b is ready: Open waits for it
  EXPECT_EQ(player.Length(), 900);
  EXPECT_EQ(player.Position(), 0);
  player.Play();
  ASSERT_TRUE(WaitForNotice());
  EXPECT_EQ(notices, V{nvSuccessful});
  EXPECT_EQ(player.Position(), 900);

  // A prepared file that cannot be played fails its Open as ever, naming the file.
  const QByteArray missing = dir.File("gone.wav").toLocal8Bit();
  player.Prepare(missing);
  ProcessEventsFor(50);
  EXPECT_EQ(OpenError(missing),
            QStringLiteral("Resource not found: ") + QString::fromLocal8Bit(missing));

  // A medium still prepared when the back end goes away is released with it.
  player.Prepare(a);
}

// A sound output opened long before its play keeps a clock that runs while it waits (so it is
// with PulseAudio): the medium the list prepares while the one before it plays must still start
// at once, not after as much silence as it was prepared ahead.
TEST_F(GstMediaTest, AMediumPreparedWhileAnotherPlaysStartsAtOnceOnASoundServer) {
  if (!PulseServer::Available()) GTEST_SKIP() << "pulseaudio, pactl or parec is not installed";
  PulseServer server;
  ASSERT_TRUE(server.Ready());
  ASSERT_TRUE(server.Listen());
  ScopedEnv systemAudio("OSTRIVO_AUDIO_SINK", "");  // the system's default sink: the server
  const QByteArray a = dir.Write("a.wav", WavBytes(1500, 44100)).toLocal8Bit();
  const QByteArray b = dir.Write("b.wav", WavBytes(500, 44100)).toLocal8Bit();
  Open(a);
  player.Play();
  player.Prepare(b);
  ASSERT_TRUE(WaitForNotice(1, 10000));
  Open(b);
  QElapsedTimer played;
  played.start();
  player.Play();
  ASSERT_TRUE(WaitForNotice(2, 10000));
  EXPECT_EQ(notices, (V{nvSuccessful, nvSuccessful}));
  // Waiting out the time it stood prepared would take 1.5 s more.
  EXPECT_LT(played.elapsed(), 500 + 700);
}

// Many devices, one after the other, must not leave pipelines, threads or files behind.
TEST_F(GstMediaTest, OpenPlayCloseCyclesLeaveNoFileDescriptorsBehind) {
  ScopedEnv fastAudio("OSTRIVO_AUDIO_SINK", "fakesink");
  const QByteArray path = Wav("a.wav", 200);
  auto cycle = [&] {
    Open(path);
    player.Play();
    ProcessEventsFor(2);
    player.Close();
  };
  cycle();  // warm-up: plug-ins load, GStreamer's own threads start
  ProcessEventsFor(50);
  const int before = OpenFdCount();
  for (int i = 0; i < 60; ++i) cycle();
  ProcessEventsFor(50);
  EXPECT_EQ(OpenFdCount(), before);
}

// A pipe nobody writes to, a socket or a device in the play list would hold GStreamer's open
// (and the window with it) for ever: each is refused at once, naming the entry, and the device
// goes on to play the next file.
TEST_F(GstMediaTest, PipesSocketsAndDevicesAreRefusedBeforeAnythingOpensThem) {
  Deadline deadline(60);
  ASSERT_TRUE(MakeFifo(dir.File("pipe.wav")));
  ASSERT_TRUE(QFile::link("/dev/zero", dir.File("zero.wav")));
  SocketFile socket(dir.File("socket.wav"));
  ASSERT_TRUE(socket.Made());
  for (const char* name : {"pipe.wav", "zero.wav", "socket.wav"}) {
    const QByteArray path = dir.File(name).toLocal8Bit();
    QString text = "<opened>";
    try {
      Open(path);
    } catch (const Exception& e) {
      text = e.Message();
    }
    EXPECT_EQ(text, "Cannot open file " + QString::fromLocal8Bit(path) + ": not a regular file");
    EXPECT_FALSE(player.IsOpen());
  }
  Open(Wav("a.wav", 300));
  EXPECT_TRUE(player.IsOpen());
}

}  // namespace
