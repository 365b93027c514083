// The volume bars over a real sound server: a PulseAudio of the test's own (user mode, a null
// sink, its socket in a temporary folder), ALSA's "default" pointed at it through the pulse
// plugin, and the program's mixer over the real ALSA driver. pactl is the other program that
// reads and changes the sink.
#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <functional>

#include "main/MainUnit.h"
#include "mixer/AMixer.h"
#include "platform/mixer/AlsaMixerDriver.h"
#include "support/PulseServer.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

namespace {

// PulseAudio's full volume; ALSA's pulse plugin shows the same scale.
constexpr double kNorm = 65536;

// The test's own PulseAudio, with ALSA's "default" pointed at it through the pulse plugin, as a
// desktop's configuration makes it.
class PulseServer : public test::PulseServer {
 public:
  PulseServer() {
    const QString alsaConf =
        Dir().Write("alsa.conf", QStringLiteral("<%1/alsa.conf>\npcm.!default { type pulse }\n"
                                                "ctl.!default { type pulse }\n")
                                     .arg(QString::fromUtf8(snd_config_topdir()))
                                     .toUtf8());
    qputenv("ALSA_CONFIG_PATH", alsaConf.toUtf8());
    snd_config_update_free_global();
  }

  ~PulseServer() {
    qunsetenv("ALSA_CONFIG_PATH");
    snd_config_update_free_global();
  }

  // The sink's (or source's) channel volumes, raw.
  std::vector<long> Volumes(const char* what, const char* name) const {
    std::vector<long> volumes;
    const QString text = Pactl({QString("get-%1-volume").arg(what), name});
    static const QRegularExpression channel(R"(:\s*(\d+)\s*/)");
    for (auto it = channel.globalMatch(text); it.hasNext();)
      volumes.push_back(it.next().captured(1).toLong());
    return volumes;
  }
  std::vector<long> SinkVolumes() const { return Volumes("sink", "@DEFAULT_SINK@"); }
  bool SinkMuted() const { return Pactl({"get-sink-mute", "@DEFAULT_SINK@"}).contains("yes"); }
};

// Runs the event loop until done() or 30 seconds (a loaded machine) have passed.
bool Await(const std::function<bool()>& done) {
  const QDeadlineTimer deadline(30000);
  while (!done() && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  return done();
}

// The level a raw sound-server volume stands for on the 0..65535 scale of the bars.
double Level(long raw) {
  return raw * 65535.0 / kNorm;
}

}  // namespace

TEST(SoundServerMixer, TheBarsReadAndMoveTheDefaultSinkAndSource) {
  if (!PulseServer::Available()) GTEST_SKIP() << "pulseaudio or pactl is not installed";
  PulseServer pulse;
  ASSERT_TRUE(pulse.Ready());
  pulse.Pactl({"set-sink-volume", "@DEFAULT_SINK@", "40%"});
  pulse.Pactl({"set-source-volume", "@DEFAULT_SOURCE@", "70%"});

  AlsaMixerDriver alsa;
  ASSERT_GE(alsa.DeviceCount(), 1u);
  TestProgram p;
  p.forms = std::make_unique<Forms>(Services{
      p.time, p.time, p.dialogs, p.media, alsa, p.hives, p.shell, {}, "/opt/ostrivo/ostrivo"});
  p.Create();
  p.Start();
  TMainForm& m = p.Main();
  ASSERT_NE(m.Mixer, nullptr);
  ASSERT_EQ(m.Mixer->MixerID(), 0);
  EXPECT_EQ(m.Mixer->Destinations()->Destination(0)->Line.name, "Master");

  // The master bar stands where the sink's volume is; the microphone's where the source's is.
  const std::vector<long> before = pulse.SinkVolumes();
  ASSERT_EQ(before.size(), 2u);
  EXPECT_NEAR(65535 - m.VolumeBar->Position(), Level(before[0]), 1);
  EXPECT_NEAR(65535 - m.MicVolumeBar->Position(),
              Level(pulse.Volumes("source", "@DEFAULT_SOURCE@")[0]), 1);
  EXPECT_NEAR(65535 - m.MicVolumeBar->Position(), 0.7 * 65535, 2);
  for (TTrackBar* bar : {m.AuxVolumeBar, m.WaveVolumeBar, m.CDVolumeBar, m.MidiVolumeBar})
    EXPECT_EQ(bar->Position(), 65535) << bar->objectName().toStdString();

  // Moving the bar sets both channels of the sink, and unmutes it.
  pulse.Pactl({"set-sink-mute", "@DEFAULT_SINK@", "1"});
  m.VolumeBar->setValue(16384);  // as the user drags it
  const std::vector<long> moved = pulse.SinkVolumes();
  ASSERT_EQ(moved.size(), 2u);
  EXPECT_NEAR(Level(moved[0]), 49151, 1);
  EXPECT_EQ(moved[0], moved[1]);
  EXPECT_FALSE(pulse.SinkMuted());

  // Another program lowers the sink: the change notice arrives through the event loop alone,
  // and the next refresh puts the bar there.
  int notices = 0;
  const TMixerChange previous = m.Mixer->OnControlChange;
  m.Mixer->OnControlChange = [&](QObject* sender, int32_t mixerH, int32_t id) {
    ++notices;
    if (previous) previous(sender, mixerH, id);
  };
  QCoreApplication::processEvents();
  notices = 0;
  pulse.Pactl({"set-sink-volume", "@DEFAULT_SINK@", "20%"});
  ASSERT_TRUE(Await([&] { return notices > 0; }));
  p.time.Advance(1);
  EXPECT_NEAR(65535 - m.VolumeBar->Position(), Level(pulse.SinkVolumes()[0]), 1);
  EXPECT_NEAR(65535 - m.VolumeBar->Position(), 0.2 * 65535, 2);
}

TEST(SoundServerMixer, MuteBothWays) {
  if (!PulseServer::Available()) GTEST_SKIP() << "pulseaudio or pactl is not installed";
  PulseServer pulse;
  ASSERT_TRUE(pulse.Ready());
  AlsaMixerDriver alsa;
  TAudioMixer mixer(alsa, nullptr);
  ASSERT_EQ(mixer.MixerID(), 0);
  int notices = 0;
  mixer.OnControlChange = [&](QObject*, int32_t, int32_t) { ++notices; };
  const auto read = [&] {
    int32_t left = 0, right = 0, mute = 0;
    bool volumeUnavailable = true, muteUnavailable = true;
    EXPECT_TRUE(mixer.ReadLineLevel(0, -1, left, right, mute, volumeUnavailable, muteUnavailable));
    EXPECT_FALSE(volumeUnavailable);
    EXPECT_FALSE(muteUnavailable);
    return mute;
  };
  EXPECT_EQ(read(), 0);

  pulse.Pactl({"set-sink-mute", "@DEFAULT_SINK@", "1"});
  // The value is in as soon as ALSA has taken the event; the notice follows, queued.
  ASSERT_TRUE(Await([&] { return read() == 1 && notices > 0; }));

  // Only the mute switch: the volume stays.
  const std::vector<long> volumes = pulse.SinkVolumes();
  ASSERT_TRUE(mixer.WriteLineLevel(0, -1, -1, -1, 0));
  EXPECT_FALSE(pulse.SinkMuted());
  ASSERT_TRUE(mixer.WriteLineLevel(0, -1, -1, -1, 1));
  EXPECT_TRUE(pulse.SinkMuted());
  EXPECT_EQ(pulse.SinkVolumes(), volumes);
}
