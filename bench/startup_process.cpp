// The whole program as a script runs it: `ostrivo /file x.wav /play /quit` plays a 10-second
// WAV into fakesink (synchronised to the clock, so it takes the file's time) and quits; beside
// it in the same run, gst-launch-1.0 playbin plays the same file into the same sink. Reported
// per process: wall time, CPU time (user + system) and peak resident memory.

#include <benchmark/benchmark.h>

#include "startup_support.h"

using namespace startup_bench;

namespace {

struct Setup {
  Display display;
  std::string dir = MakeTempDir();
  std::string wav = dir + "/x.wav";
  std::string config = dir + "/config";
  Setup() {
    WriteWav(wav, 10);
    WriteConfig(config);
  }
};

Setup& S() {
  static Setup s;
  return s;
}

const char* kSink = "fakesink sync=true";

void Report(benchmark::State& state, const Usage& u, double& cpu, double& peak) {
  state.SetIterationTime(u.wallMs / 1e3);
  cpu += u.cpuMs;
  peak = std::max(peak, u.peakMB);
  if (u.status != 0) state.SkipWithError("the process failed");
}

void BM_OstrivoFilePlayQuit(benchmark::State& state) {
  double cpu = 0, peak = 0;
  for (auto _ : state) {
    const Usage u =
        RunChild({BinaryDir() + "/ostrivo", "/file", S().wav, "/play", "/quit"},
                 {"OSTRIVO_CONFIG_DIR=" + S().config, std::string("OSTRIVO_AUDIO_SINK=") + kSink,
                  "OSTRIVO_VIDEO_SINK=fakesink"});
    Report(state, u, cpu, peak);
  }
  state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
  state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_OstrivoFilePlayQuit)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_GstLaunchPlaybin(benchmark::State& state) {
  double cpu = 0, peak = 0;
  for (auto _ : state) {
    const Usage u = RunChild({"gst-launch-1.0", "-q", "playbin", "uri=file://" + S().wav,
                              std::string("audio-sink=") + kSink, "video-sink=fakesink"},
                             {});
    Report(state, u, cpu, peak);
  }
  state.counters["cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
  state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_GstLaunchPlaybin)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
