// Real files of every format the program plays, made here with sox and GStreamer's encoders:
// the length right after Open and the length Total length measures both agree with
// gst-discoverer-1.0; a still picture played as media ends by itself; errors name the entry; a
// file whose name merely looks like a CD track is played as a file.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <vector>

#include "framework/Exceptions.h"
#include "platform/media/GstMediaBackend.h"
#include "platform/media/GstMediaLength.h"
#include "platform/media/TestMedia.h"
#include "player/MediaPlayer.h"
#include "support/TempDir.h"

using namespace ostrivo;
using namespace ostrivo::test;

namespace {

// gst-discoverer-1.0's "Duration: H:MM:SS.nnnnnnnnn" in milliseconds; -1 when it says none.
// On a busy machine the tool now and then stops before a parser has estimated a length (it then
// says none, or 0): the reference is asked again, up to three times.
std::int64_t DiscovererLengthMs(const QString& path) {
  const QRegularExpression duration(QStringLiteral("Duration: (\\d+):(\\d+):(\\d+)\\.(\\d{3})"));
  std::int64_t ms = -1;
  for (int attempt = 0; attempt < 3 && ms <= 0; ++attempt) {
    QProcess p;
    p.start(QStringLiteral("gst-discoverer-1.0"), {path});
    if (!p.waitForFinished(30000)) continue;
    const auto m = duration.match(QString::fromUtf8(p.readAllStandardOutput()));
    if (!m.hasMatch() || m.captured(1) == QLatin1String("99")) continue;  // 99:99:99: none
    ms = ((m.captured(1).toLongLong() * 60 + m.captured(2).toLongLong()) * 60 +
          m.captured(3).toLongLong()) *
             1000 +
         m.captured(4).toLongLong();
  }
  return ms;
}

bool HaveTool(const QString& name) {
  QProcess p;
  p.start(name, {QStringLiteral("--version")});
  return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit;
}

// 3 s of a tone (stereo, 44.1 kHz) into an encoder chain.
std::string Audio(const std::string& chain, const QString& path) {
  return RunPipeline(
      "audiotestsrc num-buffers=30 samplesperbuffer=4410 ! "
      "audio/x-raw,rate=44100,channels=2 ! audioconvert ! " +
      chain + " ! filesink location=\"" + path.toStdString() + "\"");
}

// 3 s of test picture at 25 frames a second into an encoder chain.
std::string Video(const std::string& chain, const QString& path) {
  return RunPipeline(
      "videotestsrc num-buffers=75 ! "
      "video/x-raw,format=I420,width=64,height=48,framerate=25/1 ! " +
      chain + " ! filesink location=\"" + path.toStdString() + "\"");
}

class GstMediaFormats : public ::testing::Test {
 protected:
  GstMediaFormats() {
    qputenv("OSTRIVO_AUDIO_SINK", "fakesink sync=true");
    qputenv("OSTRIVO_VIDEO_SINK", "fakesink sync=true");
    player.OnNotify = [this](QObject*) { notices.push_back(player.NotifyValue()); };
  }
  ~GstMediaFormats() override {
    qputenv("OSTRIVO_AUDIO_SINK", "fakesink");
    qputenv("OSTRIVO_VIDEO_SINK", "fakesink");
  }

  QString OpenError(const QByteArray& path, TMPDeviceTypes type = dtAutoSelect) {
    player.FileName = path;
    player.DeviceType = type;
    try {
      player.Open();
    } catch (const EMCIDeviceError& e) {
      return e.Message();
    }
    return QStringLiteral("<opened>");
  }

  QString MeasureError(const QByteArray& path) {
    player.FileName = path;
    player.DeviceType = dtAutoSelect;
    try {
      player.FileLength();
    } catch (const EMCIDeviceError& e) {
      return e.Message();
    }
    return QStringLiteral("<measured>");
  }

  TempDir dir;
  GstMediaBackend media;
  TMediaPlayer player{media};
  std::vector<TMPNotifyValues> notices;
};

TEST_F(GstMediaFormats, EveryFormatsLengthAgreesWithTheDiscovererAfterOpenAndWhenMeasured) {
  if (!HaveTool(QStringLiteral("gst-discoverer-1.0")) || !HaveTool(QStringLiteral("sox")))
    GTEST_SKIP() << "gst-discoverer-1.0 or sox is not installed";
  struct Made {
    const char* name;
    std::string error;
  };
  std::vector<Made> files;
  auto add = [&](const char* name, std::string error) { files.push_back({name, error}); };
  {
    QProcess sox;
    sox.start(
        QStringLiteral("sox"),
        {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("8000"), QStringLiteral("-c"),
         QStringLiteral("1"), dir.File(QStringLiteral("a.wav")), QStringLiteral("synth"),
         QStringLiteral("3"), QStringLiteral("sine"), QStringLiteral("440")});
    add("a.wav", sox.waitForFinished(30000) && sox.exitCode() == 0 ? "" : "sox failed");
  }
  // Constant bit rate without a Xing header (what most encoders write), then variable bit rate
  // without and with one.
  add("cbr.mp3",
      Audio("lamemp3enc target=bitrate cbr=true bitrate=128 ! id3v2mux", dir.File("cbr.mp3")));
  add("vbr.mp3", Audio("lamemp3enc target=quality quality=2", dir.File("vbr.mp3")));
  add("xing.mp3", Audio("lamemp3enc target=quality quality=2 ! xingmux", dir.File("xing.mp3")));
  add("a.ogg", Audio("vorbisenc ! oggmux", dir.File("a.ogg")));
  add("a.flac", Audio("flacenc", dir.File("a.flac")));
  add("a.opus", Audio("audioresample ! opusenc ! oggmux", dir.File("a.opus")));
  add("a.m4a", Audio("avenc_aac ! mp4mux", dir.File("a.m4a")));
  add("a.aac", Audio("avenc_aac ! aacparse ! audio/mpeg,stream-format=adts", dir.File("a.aac")));
  add("v.avi", Video("jpegenc ! avimux", dir.File("v.avi")));
  add("v.mp4", Video("x264enc ! mp4mux", dir.File("v.mp4")));
  add("v.mkv", Video("x264enc ! matroskamux", dir.File("v.mkv")));
  add("v.webm", Video("vp8enc ! webmmux", dir.File("v.webm")));
  add("v.mov", Video("jpegenc ! qtmux", dir.File("v.mov")));
  add("v.mpeg", Video("mpeg2enc ! mpegpsmux", dir.File("v.mpeg")));
  dir.Write(QStringLiteral("tune.mid"), MidiBytes(6, 96));  // 3 s of notes

  std::vector<QString> paths;
  for (const Made& m : files) {
    ASSERT_EQ(m.error, "") << m.name;
    paths.push_back(dir.File(QString::fromLatin1(m.name)));
  }
  paths.push_back(dir.File(QStringLiteral("tune.mid")));

  for (const QString& path : paths) {
    SCOPED_TRACE(path.toStdString());
    const std::int64_t expected = DiscovererLengthMs(path);
    ASSERT_GT(expected, 1000) << "the discoverer measures every file";
    player.FileName = path.toLocal8Bit();
    player.DeviceType = dtAutoSelect;
    const int32_t measured = player.FileLength();
    EXPECT_FALSE(player.IsOpen()) << "measuring leaves no device open";
    EXPECT_NEAR(measured, expected, 300) << "the length Total length adds";
    player.Open();
    player.SetTimeFormat(kTimeFormatMilliseconds);
    EXPECT_NEAR(player.Length(), expected, 300) << "the length right after Open";
    player.Close();
  }
}

TEST_F(GstMediaFormats, AWavHeaderGivesTheLengthOfTheSamplesTheFileHolds) {
  const QString whole = dir.Write(QStringLiteral("a.wav"), WavBytes(2500, 22050));
  EXPECT_EQ(WavHeaderLengthMs(whole.toLocal8Bit()), 2500);

  // A recording cut short: the header promises 2.5 s, the file holds 1 s of it.
  QByteArray cut = WavBytes(2500, 8000);
  cut.truncate(44 + 8000 * 2);
  EXPECT_EQ(WavHeaderLengthMs(dir.Write(QStringLiteral("cut.wav"), cut).toLocal8Bit()), 1000);

  // A chunk before the format and one between format and samples are passed over.
  QByteArray listed = WavBytes(1000, 8000);
  listed.insert(12, QByteArray("JUNK\x03\x00\x00\x00"
                               "abc\0",
                               12));
  listed.insert(12 + 12 + 24, QByteArray("LIST\x04\x00\x00\x00"
                                         "INFO",
                                         12));
  EXPECT_EQ(WavHeaderLengthMs(dir.Write(QStringLiteral("listed.wav"), listed).toLocal8Bit()), 1000);

  // Not plain samples, not a WAV, no header at all: left to GStreamer.
  QByteArray adpcm = WavBytes(1000);
  adpcm[20] = 2;  // format tag 2, MS ADPCM
  EXPECT_FALSE(WavHeaderLengthMs(dir.Write(QStringLiteral("adpcm.wav"), adpcm).toLocal8Bit()));
  QByteArray lying = WavBytes(1000);
  lying[28] = 0x11;  // a byte rate that disagrees with rate and block size
  EXPECT_FALSE(WavHeaderLengthMs(dir.Write(QStringLiteral("lying.wav"), lying).toLocal8Bit()));
  EXPECT_FALSE(WavHeaderLengthMs(dir.Write(QStringLiteral("m.mid"), MidiBytes()).toLocal8Bit()));
  EXPECT_FALSE(WavHeaderLengthMs(dir.Write(QStringLiteral("short.wav"), "RIFF").toLocal8Bit()));
  EXPECT_FALSE(WavHeaderLengthMs(dir.File(QStringLiteral("none.wav")).toLocal8Bit()));
}

TEST_F(GstMediaFormats, AStillPicturePlayedAsMediaEndsByItself) {
  for (const char* chain : {"jpegenc", "pngenc"}) {
    SCOPED_TRACE(chain);
    const QString path =
        dir.File(QStringLiteral("photo.") + QString::fromLatin1(chain[0] == 'j' ? "jpeg" : "png"));
    ASSERT_EQ(RunPipeline(std::string("videotestsrc num-buffers=1 ! "
                                      "video/x-raw,width=64,height=48 ! ") +
                          chain + " ! filesink location=\"" + path.toStdString() + "\""),
              "");
    notices.clear();
    player.FileName = path.toLocal8Bit();
    player.DeviceType = dtAutoSelect;
    player.Open();
    // As Play does it: a media file starts from 0.
    player.SetStartPos(0);
    player.SetPosition(0);
    player.SetTimeFormat(kTimeFormatMilliseconds);
    player.Play();
    ASSERT_TRUE(ProcessEventsUntil([&] { return !notices.empty(); }, 15000))
        << "the play list would wait here for ever";
    EXPECT_EQ(notices.front(), nvSuccessful);
    player.Close();
  }
}

// A live play list (no end mark) of one 3-second segment: once the segment has played, the
// stream waits for segments that never come, and it has no length. Such a play completes at
// its bound, so that an unattended list goes on.
TEST_F(GstMediaFormats, APlayThatWouldNeverEndCompletesAtItsBound) {
  GstElementFactory* hls = gst_element_factory_find("hlsdemux");
  if (!hls) GTEST_SKIP() << "GStreamer's HLS demuxer is not installed";
  gst_object_unref(hls);
  ASSERT_EQ(RunPipeline("audiotestsrc num-buffers=30 samplesperbuffer=4410 ! "
                        "audio/x-raw,rate=44100,channels=2 ! audioconvert ! lamemp3enc ! "
                        "mpegaudioparse ! mpegtsmux ! filesink location=\"" +
                        dir.File(QStringLiteral("seg0.ts")).toStdString() + "\""),
            "");
  const QByteArray path = dir.Write(QStringLiteral("live.m3u8"),
                                    "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:3\n"
                                    "#EXT-X-MEDIA-SEQUENCE:0\n#EXTINF:3.0,\nseg0.ts\n")
                              .toLocal8Bit();
  auto playToItsNotice = [&] {
    notices.clear();
    player.FileName = path;
    player.DeviceType = dtAutoSelect;
    player.Open();
    player.SetTimeFormat(kTimeFormatMilliseconds);
    EXPECT_EQ(player.Length(), 0) << "a live stream has no length";
    player.Play();
    const bool ended = ProcessEventsUntil([&] { return !notices.empty(); }, 20000);
    EXPECT_TRUE(ended) << "the play list would wait here for ever";
    if (ended) {
      EXPECT_EQ(notices, std::vector<TMPNotifyValues>{nvSuccessful});
    }
    EXPECT_EQ(player.Mode(), mpStopped);
    const int32_t at = player.Position();
    player.Close();
    return at;
  };

  // The stream stops coming: the play ends a moment after the position stood still.
  media.SetUnendingLimits(10 * 60 * 1000, 1500);
  EXPECT_GE(playToItsNotice(), 2500) << "what came was played";

  // A stream without a length that keeps coming ends at the bound on its position.
  media.SetUnendingLimits(1000, 10 * 60 * 1000);
  const int32_t at = playToItsNotice();
  EXPECT_GE(at, 1000);
  EXPECT_LT(at, 2500) << "ended by the bound, not by the end of what came";
}

TEST_F(GstMediaFormats, ErrorsNameTheEntryTheyFailedOn) {
  const QByteArray missing = dir.File(QStringLiteral("gone/a.mp3")).toLocal8Bit();
  EXPECT_EQ(OpenError(missing),
            QStringLiteral("Resource not found: ") + QString::fromLocal8Bit(missing));
  EXPECT_FALSE(player.IsOpen());
  EXPECT_EQ(MeasureError(missing),
            QStringLiteral("Resource not found: ") + QString::fromLocal8Bit(missing));

  QByteArray noise(4096, '\0');
  for (int i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919) >> 3);
  const QByteArray garbage = dir.Write(QStringLiteral("noise.wav"), noise).toLocal8Bit();
  for (const QString& text : {OpenError(garbage), MeasureError(garbage)}) {
    EXPECT_TRUE(text.endsWith(QStringLiteral(": ") + QString::fromLocal8Bit(garbage)))
        << text.toStdString();
    EXPECT_GT(text.size(), garbage.size() + 4) << "the reason comes first";
  }
}

TEST_F(GstMediaFormats, OnlyTheExactCdTrackEndingOpensTheDrive) {
  qputenv("OSTRIVO_CDROM_DEVICE", dir.File(QStringLiteral("no-drive")).toLocal8Bit());
  // A sound file that happens to be named like a track in capitals is a media file.
  const QByteArray upper = dir.Write(QStringLiteral("TRACK03.CDA"), WavBytes(1200)).toLocal8Bit();
  EXPECT_EQ(OpenError(upper), QStringLiteral("<opened>"));
  player.SetTimeFormat(kTimeFormatMilliseconds);
  EXPECT_EQ(player.Length(), 1200);
  EXPECT_EQ(player.TimeFormat(), kTimeFormatMilliseconds);
  player.Close();
  EXPECT_EQ(player.FileLength(), 1200);

  // The exact ending is a CD track even when the device is chosen automatically (Total
  // length): it goes to the drive, whatever lies on the disk under that name.
  const QByteArray lower = dir.Write(QStringLiteral("Track03.cda"), WavBytes(1200)).toLocal8Bit();
  EXPECT_NE(OpenError(lower), QStringLiteral("<opened>"));
  EXPECT_NE(MeasureError(lower), QStringLiteral("<measured>"));
  qunsetenv("OSTRIVO_CDROM_DEVICE");
}

}  // namespace
