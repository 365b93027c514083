// How often the whole program wakes and what it costs, measured from outside on the running
// process: this build beside a build from before the sleeping clock (OSTRIVO_BENCH_BEFORE: the
// path of its binary) and beside gst-launch-1.0 playbin, in the same run.
//
//   idle     the program with an empty list: main-thread wake-ups and process CPU per second
//   playing  the program playing a WAV into fakesink (synchronised): the same figures
//   cpu      CPU per second of playback: a 60 s WAV played to its end minus a 10 s one, for the
//            program (/file x.wav /play /quit) and for gst-launch-1.0 playbin with the same sink;
//            the peer's row also gives before's and after's figure over its own (x_peer)
//
// Wake-ups are the main thread's context switches (voluntary_ctxt_switches: each time it went to
// sleep and was woken); CPU is the sum of every thread's run time from /proc (schedstat).
// OSTRIVO_BENCH_WINDOW_S (default 10) is the sampling window; OSTRIVO_BENCH_LONG_S (default 60)
// the long file.

#include <benchmark/benchmark.h>
#include <dirent.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "startup_support.h"

using namespace startup_bench;

namespace {

int EnvSeconds(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && std::atoi(v) > 0 ? std::atoi(v) : fallback;
}

const int kWindowS = EnvSeconds("OSTRIVO_BENCH_WINDOW_S", 10);
const int kLongS = EnvSeconds("OSTRIVO_BENCH_LONG_S", 60);
constexpr int kShortS = 10;
constexpr int kSettleS = 4;  // the splash shows 3 s; the first tick and the play start after
const char* kSink = "fakesink sync=true";

struct Setup {
  Display display;
  std::string dir = MakeTempDir();
  std::string shortWav = dir + "/short.wav";
  std::string longWav = dir + "/long.wav";
  std::string config = dir + "/config";
  Setup() {
    WriteWav(shortWav, kShortS);
    WriteWav(longWav, kLongS);
    WriteConfig(config);
  }
};

Setup& S() {
  static Setup s;
  return s;
}

std::string After() {
  return BinaryDir() + "/ostrivo";
}
std::string Before() {
  const char* v = std::getenv("OSTRIVO_BENCH_BEFORE");
  return v ? v : "";
}

std::vector<std::string> ProgramEnv() {
  return {"OSTRIVO_CONFIG_DIR=" + S().config, std::string("OSTRIVO_AUDIO_SINK=") + kSink,
          "OSTRIVO_VIDEO_SINK=fakesink"};
}

// The main thread's voluntary context switches.
long MainThreadSwitches(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
  return -1;
}

// Run time of every thread of the process, nanoseconds.
double ProcessCpuNs(pid_t pid) {
  const std::string dir = "/proc/" + std::to_string(pid) + "/task";
  double total = 0;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] == '.') continue;
      std::ifstream f(dir + "/" + e->d_name + "/schedstat");
      double ns = 0;
      if (f >> ns) total += ns;
    }
    closedir(d);
  }
  return total;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) environment.emplace_back(*e);
  for (const std::string& extra : env) environment.push_back(extra);
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) return -1;
  return pid;
}

// Starts the process, lets it settle, and samples its wake-ups and CPU over the window.
void Sample(benchmark::State& state, const std::vector<std::string>& argv,
            const std::vector<std::string>& env) {
  double wakeups = 0, cpu = 0;
  for (auto _ : state) {
    const pid_t pid = Spawn(argv, env);
    if (pid < 0) {
      state.SkipWithError("cannot start the process");
      return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(kSettleS));
    if (waitpid(pid, nullptr, WNOHANG) != 0) {
      state.SkipWithError("the process ended early");
      return;
    }
    const long switches0 = MainThreadSwitches(pid);
    const double cpu0 = ProcessCpuNs(pid);
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(kWindowS));
    const long switches1 = MainThreadSwitches(pid);
    const double cpu1 = ProcessCpuNs(pid);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    if (switches0 < 0 || switches1 < 0) {
      state.SkipWithError("the process ended early");
      return;
    }
    state.SetIterationTime(s);
    wakeups += (switches1 - switches0) / s;
    cpu += (cpu1 - cpu0) / 1e6 / s;
  }
  state.counters["wakeups_per_s"] = benchmark::Counter(wakeups, benchmark::Counter::kAvgIterations);
  state.counters["cpu_ms_per_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}

std::vector<std::string> GstPlaybin(const std::string& wav) {
  return {"gst-launch-1.0",
          "-q",
          "playbin",
          "uri=file://" + wav,
          std::string("audio-sink=") + kSink,
          "video-sink=fakesink"};
}

void Idle(benchmark::State& state, const std::string& binary) {
  if (binary.empty()) return state.SkipWithError("OSTRIVO_BENCH_BEFORE is not set");
  Sample(state, {binary}, ProgramEnv());
}

void Playing(benchmark::State& state, const std::string& binary) {
  if (binary.empty()) return state.SkipWithError("OSTRIVO_BENCH_BEFORE is not set");
  Sample(state, {binary, "/file", S().longWav, "/play"}, ProgramEnv());
}

// CPU per second of playback of each run so far, by name, for the ratios to the peer.
std::map<std::string, double>& Measured() {
  static std::map<std::string, double> measured;
  return measured;
}

// On the peer's row: before's and after's figure over the peer's (when they ran).
void AddRatios(benchmark::State& state, const std::string& group, double peer) {
  for (const char* side : {"before", "after"}) {
    const auto it = Measured().find(group + "/" + side);
    if (it != Measured().end() && peer > 0)
      state.counters[std::string(side) + "_x_peer"] = it->second / peer;
  }
}

// CPU per second of playback: the long play minus the short one, over their difference.
void PlaybackCpu(benchmark::State& state, const std::string& name,
                 const std::function<std::vector<std::string>(const std::string& wav)>& command,
                 const std::vector<std::string>& env) {
  double perSecond = 0;
  for (auto _ : state) {
    const Usage shortRun = RunChild(command(S().shortWav), env);
    const Usage longRun = RunChild(command(S().longWav), env);
    if (shortRun.status != 0 || longRun.status != 0) {
      state.SkipWithError("the process failed");
      return;
    }
    state.SetIterationTime((shortRun.wallMs + longRun.wallMs) / 1e3);
    perSecond += (longRun.cpuMs - shortRun.cpuMs) / (kLongS - kShortS);
  }
  state.counters["cpu_ms_per_s"] =
      benchmark::Counter(perSecond, benchmark::Counter::kAvgIterations);
  const double mean = perSecond / static_cast<double>(state.iterations());
  if (name == "gst-launch-1.0")
    AddRatios(state, "PlaybackCpu", mean);
  else
    Measured()["PlaybackCpu/" + name] = mean;
}

void ProgramCpu(benchmark::State& state, const std::string& name, const std::string& binary) {
  if (binary.empty()) return state.SkipWithError("OSTRIVO_BENCH_BEFORE is not set");
  PlaybackCpu(
      state, name,
      [&](const std::string& wav) {
        return std::vector<std::string>{binary, "/file", wav, "/play", "/quit"};
      },
      ProgramEnv());
}

void RegisterAll() {
  auto add = [](const char* name, auto fn) {
    benchmark::RegisterBenchmark(name, fn)->Iterations(1)->UseManualTime()->Unit(
        benchmark::kSecond);
  };
  add("Idle/before", [](benchmark::State& s) { Idle(s, Before()); });
  add("Idle/after", [](benchmark::State& s) { Idle(s, After()); });
  add("Playing/before", [](benchmark::State& s) { Playing(s, Before()); });
  add("Playing/after", [](benchmark::State& s) { Playing(s, After()); });
  add("Playing/gst-launch-1.0",
      [](benchmark::State& s) { Sample(s, GstPlaybin(S().longWav), {}); });
  add("PlaybackCpu/before", [](benchmark::State& s) { ProgramCpu(s, "before", Before()); });
  add("PlaybackCpu/after", [](benchmark::State& s) { ProgramCpu(s, "after", After()); });
  add("PlaybackCpu/gst-launch-1.0",
      [](benchmark::State& s) { PlaybackCpu(s, "gst-launch-1.0", GstPlaybin, {}); });
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
