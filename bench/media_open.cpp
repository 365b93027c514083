// What the total-length report pays per entry: Open + Length + Close of one file on the media
// device over GStreamer, for a WAV and an MP3 file. The peer, on the same files in the same run:
// gst-discoverer-1.0 (one process per file, and one process for a batch of files), and the
// GstDiscoverer library call it is built on.
//
// Sinks: fakesink unless OSTRIVO_AUDIO_SINK/OSTRIVO_VIDEO_SINK say otherwise.

#include <benchmark/benchmark.h>
#include <gst/pbutils/pbutils.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "platform/media/GstMediaBackend.h"
#include "platform/media/TestMedia.h"
#include "player/MediaPlayer.h"

using namespace ostrivo;

namespace {

struct Files {
  QTemporaryDir dir;
  QString wav, mp3, midi;
};

Files* files = nullptr;

QString FileFor(int kind) {
  return kind == 0 ? files->wav : kind == 1 ? files->mp3 : files->midi;
}
const char* LabelFor(int kind) {
  return kind == 0 ? "wav 10 s" : kind == 1 ? "mp3 10 s" : "midi 10 s";
}

void BM_OpenLengthClose(benchmark::State& state) {
  GstMediaBackend media;
  TMediaPlayer player(media);
  const QByteArray path = FileFor(int(state.range(0))).toLocal8Bit();
  std::int64_t total = 0;
  for (auto _ : state) {
    player.FileName = path;
    player.DeviceType = dtAutoSelect;
    player.Open();
    player.SetTimeFormat(kTimeFormatMilliseconds);
    total += player.Length();
    player.Close();
  }
  benchmark::DoNotOptimize(total);
  state.SetLabel(LabelFor(int(state.range(0))));
}
// Arg 2, a MIDI file: what an entry pays for its synthesiser (the sound font is loaded by the
// first Open only).
BENCHMARK(BM_OpenLengthClose)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The peer as a user runs it: one gst-discoverer-1.0 process per file.
void BM_DiscovererProcess(benchmark::State& state) {
  const QString path = FileFor(int(state.range(0)));
  for (auto _ : state) {
    QProcess p;
    p.start(QStringLiteral("gst-discoverer-1.0"), {path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
      state.SkipWithError("gst-discoverer-1.0 failed");
      break;
    }
  }
  state.SetLabel(LabelFor(int(state.range(0))));
}
BENCHMARK(BM_DiscovererProcess)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// One gst-discoverer-1.0 process for 20 files: the start-up shared, reported per file.
void BM_DiscovererProcessBatchOf20(benchmark::State& state) {
  const QString path = FileFor(int(state.range(0)));
  QStringList args;
  for (int i = 0; i < 20; ++i) args << path;
  for (auto _ : state) {
    QProcess p;
    p.start(QStringLiteral("gst-discoverer-1.0"), args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
      state.SkipWithError("gst-discoverer-1.0 failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * 20);
  state.SetLabel(LabelFor(int(state.range(0))));
}
BENCHMARK(BM_DiscovererProcessBatchOf20)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The library call gst-discoverer-1.0 makes, in process.
void BM_GstDiscovererCall(benchmark::State& state) {
  GError* error = nullptr;
  GstDiscoverer* discoverer = gst_discoverer_new(10 * GST_SECOND, &error);
  gchar* uri = gst_filename_to_uri(FileFor(int(state.range(0))).toLocal8Bit().constData(), nullptr);
  for (auto _ : state) {
    GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer, uri, &error);
    if (!info) {
      state.SkipWithError("discovery failed");
      break;
    }
    benchmark::DoNotOptimize(gst_discoverer_info_get_duration(info));
    gst_discoverer_info_unref(info);
  }
  g_free(uri);
  g_clear_error(&error);
  g_object_unref(discoverer);
  state.SetLabel(LabelFor(int(state.range(0))));
}
BENCHMARK(BM_GstDiscovererCall)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (qEnvironmentVariableIsEmpty("OSTRIVO_AUDIO_SINK")) qputenv("OSTRIVO_AUDIO_SINK", "fakesink");
  if (qEnvironmentVariableIsEmpty("OSTRIVO_VIDEO_SINK")) qputenv("OSTRIVO_VIDEO_SINK", "fakesink");
  gst_init(&argc, &argv);
  Files f;
  files = &f;
  f.wav = f.dir.filePath(QStringLiteral("tone.wav"));
  f.mp3 = f.dir.filePath(QStringLiteral("tone.mp3"));
  f.midi = f.dir.filePath(QStringLiteral("tune.mid"));
  for (const auto& [path, bytes] : {std::pair{f.wav, test::WavBytes(10000, 44100)},
                                    std::pair{f.midi, test::MidiBytes(20, 96)}}) {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) <= 0) return 1;
  }
  const std::string mp3Error = test::MakeMp3(f.mp3, 10000);
  if (!mp3Error.empty()) {
    std::fprintf(stderr, "cannot make the MP3: %s\n", mp3Error.c_str());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
