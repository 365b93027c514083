// What the playback clock pays on every tick: one Position query of the media device while a
// file plays (into a sink that keeps to the clock, so the play really runs).

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "platform/media/GstMediaBackend.h"
#include "platform/media/TestMedia.h"
#include "player/MediaPlayer.h"

using namespace ostrivo;

namespace {

QString wavPath;

void BM_PositionWhilePlaying(benchmark::State& state) {
  GstMediaBackend media;
  TMediaPlayer player(media);
  player.FileName = wavPath.toLocal8Bit();
  player.Open();
  player.SetTimeFormat(kTimeFormatMilliseconds);
  player.Play();
  test::ProcessEventsFor(100);
  const int32_t first = player.Position();
  std::int64_t sum = 0;
  for (auto _ : state) sum += player.Position();
  benchmark::DoNotOptimize(sum);
  test::ProcessEventsFor(20);
  if (player.Mode() != mpPlaying || player.Position() <= first)
    state.SkipWithError("the file was not playing");
  player.Close();
}
BENCHMARK(BM_PositionWhilePlaying)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (qEnvironmentVariableIsEmpty("OSTRIVO_AUDIO_SINK"))
    qputenv("OSTRIVO_AUDIO_SINK", "fakesink sync=true");
  QTemporaryDir dir;
  wavPath = dir.filePath(QStringLiteral("long.wav"));
  QFile out(wavPath);
  if (!out.open(QIODevice::WriteOnly) || out.write(test::WavBytes(120000, 44100)) <= 0) return 1;
  out.close();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
