#pragma once
// Helpers for the whole-process benchmarks: a virtual X display, a generated WAV, a prepared
// configuration folder, and running a child process while measuring its CPU time and peak
// memory (from wait4's resource usage, which counts the child and every descendant it waited
// for).

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace startup_bench {

inline std::string BinaryDir() {
#ifdef OSTRIVO_BINARY_DIR
  return OSTRIVO_BINARY_DIR;
#else
  return ".";
#endif
}

// A 44.1 kHz stereo 16-bit WAV of a tone, as a CD rip would be.
inline void WriteWav(const std::string& path, int seconds) {
  const std::uint32_t rate = 44100, frames = rate * static_cast<std::uint32_t>(seconds);
  const std::uint32_t bytes = frames * 4;
  std::ofstream f(path, std::ios::binary);
  auto u32 = [&](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
  f.write("RIFF", 4);
  u32(36 + bytes);
  f.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(2);
  u32(rate);
  u32(rate * 4);
  u16(4);
  u16(16);
  f.write("data", 4);
  u32(bytes);
  std::vector<std::int16_t> buffer(2 * 4410);
  for (std::uint32_t i = 0; i < frames; i += 4410) {
    for (std::uint32_t j = 0; j < 4410; ++j) {
      const auto v = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 440.0 * (i + j) / rate));
      buffer[2 * j] = buffer[2 * j + 1] = v;
    }
    f.write(reinterpret_cast<const char*>(buffer.data()),
            static_cast<std::streamsize>(buffer.size() * 2));
  }
}

// A configuration of a program started before: no first-start questions; the list plays once,
// in order, without pauses.
inline void WriteConfig(const std::string& dir) {
  mkdir(dir.c_str(), 0700);
  std::ofstream(dir + "/HKEY_CLASSES_ROOT.reg")
      << "Windows Registry Editor Version 5.00\n\n"
         "[HKEY_CLASSES_ROOT\\Ostrivo.osp\\shell\\Open\\command]\n\n";
  std::ofstream(dir + "/HKEY_CURRENT_USER.reg")
      << "Windows Registry Editor Version 5.00\n\n"
         "[HKEY_CURRENT_USER\\Software\\Ostrivo]\n"
         "\"RandomBoxChecked\"=\"0\"\n\"ContinuousBoxChecked\"=\"0\"\n\"Pause\"=\"0\"\n\n";
}

inline std::string MakeTempDir() {
  char name[] = "/tmp/ostrivo-bench-XXXXXX";
  return mkdtemp(name) ? name : "/tmp";
}

// Makes sure a display exists: DISPLAY as given, or an Xvfb started for this process.
class Display {
 public:
  Display() {
    const char* d = std::getenv("DISPLAY");
    if (d && *d) return;
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
             "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    char buf[32] = {};
    const ssize_t n = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    if (n > 0) setenv("DISPLAY", (":" + std::string(buf, strcspn(buf, "\n"))).c_str(), 1);
  }
  ~Display() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }

 private:
  pid_t pid_ = -1;
};

struct Usage {
  double wallMs = 0, cpuMs = 0, peakMB = 0;
  int status = -1;
};

inline double Ms(const timeval& t) {
  return t.tv_sec * 1e3 + t.tv_usec / 1e3;
}

// Runs argv with extra environment entries ("NAME=value") to its end.
inline Usage RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) environment.emplace_back(*e);
  for (const std::string& extra : env) environment.push_back(extra);
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  Usage u;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) return u;
  rusage ru{};
  int status = 0;
  wait4(pid, &status, 0, &ru);
  u.wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  u.cpuMs = Ms(ru.ru_utime) + Ms(ru.ru_stime);
  u.peakMB = ru.ru_maxrss / 1024.0;
  u.status = status;
  return u;
}

}  // namespace startup_bench
