// Time from process start to the first audio buffer reaching the sink, for
// `ostrivo /file x.wav /play` and, beside it, gst-launch-1.0 playbin on the same file.
//
// How it is measured: the audio sink is a filesink whose location is a named pipe held open for
// reading by the benchmark. A sink writes a buffer when it renders it, that is once the
// pipeline is playing (a preroll writes nothing), so the first byte that can be read from the
// pipe is the first buffer reaching the sink. The clock starts right before the process is
// spawned, so the figure holds everything a user waits for: loading the program and its
// libraries, Qt and the windows, the first clock tick, the settings, the command line, opening
// (prerolling) the file and starting it. The child is then stopped; only the start matters.

#include <benchmark/benchmark.h>
#include <poll.h>

#include "startup_support.h"

using namespace startup_bench;

namespace {

struct Setup {
  Display display;
  std::string dir = MakeTempDir();
  std::string wav = dir + "/x.wav";
  std::string config = dir + "/config";
  std::string fifo = dir + "/sink.fifo";
  Setup() {
    WriteWav(wav, 10);
    WriteConfig(config);
    mkfifo(fifo.c_str(), 0600);
  }
};

Setup& S() {
  static Setup s;
  return s;
}

// Milliseconds from spawning argv to the first byte in the pipe; negative on failure.
double FirstBufferMs(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  const int fd = open(S().fifo.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return -1;
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) environment.emplace_back(*e);
  for (const auto& extra : env) environment.push_back(extra);
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) {
    close(fd);
    return -1;
  }
  double ms = -1;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    const int n = poll(&p, 1, 10000);
    if (n <= 0) break;
    char byte[4096];
    const ssize_t got = read(fd, byte, sizeof byte);
    if (got > 0) {
      ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
               .count();
      break;
    }
    if (got == 0 && (p.revents & POLLHUP)) break;  // the writer went away without writing
    if (got == 0) usleep(1000);
  }
  kill(pid, SIGTERM);
  // Keep the pipe drained so a sink blocked in a write sees the signal.
  for (int i = 0; i < 2000; ++i) {
    char sink[65536];
    while (read(fd, sink, sizeof sink) > 0) {
    }
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      pid = -1;
      break;
    }
    usleep(1000);
  }
  if (pid > 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  close(fd);
  return ms;
}

void Measure(benchmark::State& state, const std::vector<std::string>& argv,
             const std::vector<std::string>& env) {
  double worst = 0;
  for (auto _ : state) {
    const double ms = FirstBufferMs(argv, env);
    if (ms < 0) {
      state.SkipWithError("no buffer reached the sink");
      return;
    }
    worst = std::max(worst, ms);
    state.SetIterationTime(ms / 1e3);
  }
  state.counters["worst_ms"] = worst;
}

void BM_OstrivoFirstBuffer(benchmark::State& state) {
  Measure(state, {BinaryDir() + "/ostrivo", "/file", S().wav, "/play"},
          {"OSTRIVO_CONFIG_DIR=" + S().config, "OSTRIVO_AUDIO_SINK=filesink location=" + S().fifo,
           "OSTRIVO_VIDEO_SINK=fakesink"});
}
BENCHMARK(BM_OstrivoFirstBuffer)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_GstLaunchFirstBuffer(benchmark::State& state) {
  Measure(state,
          {"gst-launch-1.0", "-q", "playbin", "uri=file://" + S().wav,
           "audio-sink=filesink location=" + S().fifo, "video-sink=fakesink"},
          {});
}
BENCHMARK(BM_GstLaunchFirstBuffer)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
