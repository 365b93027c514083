#pragma once
// A PulseAudio of the test's own: user mode, a null sink as the default, its socket in a
// temporary folder. While it lives, PULSE_SERVER points this process (and the pactl and parec
// it starts) at it and at no other.

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "support/TempDir.h"

namespace ostrivo::test {

class PulseServer {
 public:
  static bool Available() {
    return !QStandardPaths::findExecutable("pulseaudio").isEmpty() &&
           !QStandardPaths::findExecutable("pactl").isEmpty() &&
           !QStandardPaths::findExecutable("parec").isEmpty();
  }

  PulseServer() {
    dir_.MakeDir("run");
    dir_.MakeDir("home");
    const QString socket = dir_.File("native");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", dir_.File("run"));
    env.insert("HOME", dir_.File("home"));
    // Off the session bus: two servers there would both claim its one PulseAudio name.
    env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir_.File("no-bus"));
    server_.setProcessEnvironment(env);
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.start("pulseaudio",
                  {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                   "--use-pid-file=no", "--log-level=error", "-L", "module-null-sink", "-L",
                   "module-native-protocol-unix auth-anonymous=1 socket=" + socket});
    qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
    server_.waitForStarted(30000);
    const QDeadlineTimer deadline(30000);  // a loaded machine
    while (!ready_ && !deadline.hasExpired() && server_.state() == QProcess::Running) {
      ready_ = Pactl({"info"}).contains("Default Sink: null");
      if (!ready_) QThread::msleep(50);
    }
  }

  ~PulseServer() {
    if (listener_.state() != QProcess::NotRunning) {
      listener_.terminate();
      listener_.waitForFinished(5000);
    }
    qunsetenv("PULSE_SERVER");
    server_.terminate();
    if (!server_.waitForFinished(5000)) server_.kill();
    server_.waitForFinished(5000);
  }

  bool Ready() const { return ready_; }
  const TempDir& Dir() const { return dir_; }

  QString Pactl(const QStringList& args) const {
    QProcess pactl;
    pactl.start("pactl", args);
    pactl.waitForFinished(30000);
    return QString::fromUtf8(pactl.readAllStandardOutput());
  }

  // Someone listening closely to the sink, as a sound card does: without that, a null sink
  // renders seconds ahead and every new stream waits for it.
  bool Listen() {
    listener_.setStandardOutputFile(QProcess::nullDevice());
    listener_.start("parec", {"-d", "null.monitor", "--latency-msec=10"});
    return listener_.waitForStarted(30000);
  }

 private:
  TempDir dir_;
  QProcess server_;
  QProcess listener_;
  bool ready_ = false;
};

}  // namespace ostrivo::test
