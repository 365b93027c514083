// The volume bars' refresh, the last step of every clock tick: six line reads over the
// simulated mixer. Reports the time per refresh and the driver calls each one makes.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "main/MainUnit.h"
#include "mixer/AMixer.h"
#include "support/TestProgram.h"

using namespace ostrivo;
using ostrivo::test::TestProgram;

namespace {

// A playback mix with the five sources the bars address, each a stereo volume and a mute.
std::unique_ptr<TestProgram> MakeProgram(bool stereo) {
  auto p = std::make_unique<TestProgram>();
  const auto dev = p->mixer.AddDevice();
  const auto master = p->mixer.AddDestination(dev, stereo ? 2 : 1);
  p->mixer.AddVolume(master, stereo ? 0 : SimulatedMixerDriver::kUniform, {50000, 40000});
  p->mixer.AddMute(master);
  for (int s = 0; s < 5; ++s) {
    const auto line = p->mixer.AddSource(master, stereo ? 2 : 1);
    p->mixer.AddVolume(line, stereo ? 0 : SimulatedMixerDriver::kUniform, {1000u * s, 0});
    p->mixer.AddMute(line);
  }
  p->Create();
  p->Start();
  return p;
}

void Refresh(benchmark::State& state, bool stereo, bool changing) {
  auto p = MakeProgram(stereo);
  TMainForm& m = p->Main();
  const SimulatedMixerDriver::ControlRef masterVolume{0, 0};
  const auto callsBefore = p->mixer.calls.Total();
  std::uint32_t level = 0;
  for (auto _ : state) {
    // Another program moving the master each time makes the bar move too.
    if (changing) p->mixer.SetValues(masterVolume, {level++ & 0xFFFF, 0});
    m.RefreshVolumeBars();
    benchmark::DoNotOptimize(m.VolumeBar->Position());
  }
  const double refreshes = static_cast<double>(state.iterations());
  state.counters["driver_calls_per_refresh"] =
      static_cast<double>(p->mixer.calls.Total() - callsBefore) / refreshes;
  QCoreApplication::removePostedEvents(nullptr);
}

void BM_RefreshVolumeBars(benchmark::State& state) {
  Refresh(state, true, false);
}
void BM_RefreshVolumeBarsMasterMoving(benchmark::State& state) {
  Refresh(state, true, true);
}
void BM_RefreshVolumeBarsUniformLines(benchmark::State& state) {
  Refresh(state, false, false);
}

}  // namespace

BENCHMARK(BM_RefreshVolumeBars);
BENCHMARK(BM_RefreshVolumeBarsMasterMoving);
BENCHMARK(BM_RefreshVolumeBarsUniformLines);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
