// One tick of the playback clock while a media file plays on the simulated device: the time of
// day, the position on the bar and in the status line, the end-of-track test and the volume
// refresh. The target is at most 20 microseconds a tick.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "main/MainUnit.h"
#include "support/TestProgram.h"

using ostrivo::test::TestProgram;

static void BM_TickWhileMediaPlays(benchmark::State& state) {
  TestProgram p;
  p.media.AddFile("/music/long.wav", 2000000000);
  p.Create();
  p.Start();
  p.Main().show();
  p.SetEntries({"/music/long.wav", "/music/long.wav"});
  p.forms->Application.Guard([&] { p.Main().PlayButtonClick(nullptr); });
  p.time.Advance(1);
  for (auto _ : state) p.time.Advance(1);  // exactly one tick of Timer1
  if (!p.Main().Active() || !p.dialogs.Errors().isEmpty()) state.SkipWithError("not playing");
}
BENCHMARK(BM_TickWhileMediaPlays)->MinTime(2.0);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
