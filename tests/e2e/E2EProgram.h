#pragma once
// What the end-to-end tests share: the built program, a generated sound file, a prepared
// configuration folder, and a script run on a display of its own.

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <utility>

#include "platform/registry/FileRegistryHives.h"
#include "support/TempDir.h"

namespace ostrivo::test::e2e {

inline QString Program() {
  return qEnvironmentVariable("OSTRIVO_BINARY_DIR") + "/ostrivo";
}

// A mono 16-bit WAV of a quiet tone.
inline QByteArray Wav(int ms, int rate = 8000) {
  const std::uint32_t samples = static_cast<std::uint32_t>(rate) * ms / 1000;
  QByteArray data;
  for (std::uint32_t i = 0; i < samples; ++i) {
    const auto v = static_cast<std::int16_t>((i % 40 < 20) ? 1000 : -1000);
    data.append(static_cast<char>(v & 0xff)).append(static_cast<char>((v >> 8) & 0xff));
  }
  auto u32 = [](std::uint32_t v) {
    QByteArray b(4, 0);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xff);
    return b;
  };
  auto u16 = [](std::uint16_t v) {
    QByteArray b(2, 0);
    b[0] = static_cast<char>(v & 0xff);
    b[1] = static_cast<char>(v >> 8);
    return b;
  };
  const auto r = static_cast<std::uint32_t>(rate);
  return "RIFF" + u32(36 + data.size()) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(r) +
         u32(r * 2) + u16(2) + u16(16) + "data" + u32(data.size()) + data;
}

// A configuration folder of a program started before (no first-start questions) whose options
// play a list once, in order.
struct Config {
  TempDir dir;
  explicit Config(QList<std::pair<QString, QString>> settings) {
    FileRegistryHives hives(dir.Path());
    hives.CreateKey(Hive::ClassesRoot, {"Ostrivo.osp", "shell", "Open", "command"});
    hives.CreateKey(Hive::CurrentUser, {"Software", "Ostrivo"});
    for (const auto& [name, text] : settings)
      hives.SetValue(Hive::CurrentUser, {"Software", "Ostrivo"}, name,
                     RegistryValue::String(text.toUtf8()));
  }
  QString Setting(const char* name) {
    FileRegistryHives hives(dir.Path());
    const auto v = hives.GetValue(Hive::CurrentUser, {"Software", "Ostrivo"}, name);
    if (!v) return "<none>";
    return QString::fromUtf8(v->data.left(v->data.indexOf('\0')));
  }
};

// A shell script run under xvfb-run on a display of its own, with the program's settings (and a
// home of its own) in the folder `config`.
struct DisplayRun {
  bool started = false;
  bool finished = false;
  int exitCode = -1;  // -1 when the run crashed or did not end
  QString log;        // standard output and error together
};

inline DisplayRun RunOnOwnDisplay(const QString& config, const char* script,
                                  const QStringList& args, int timeoutMs) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.insert(QStringLiteral("OSTRIVO_CONFIG_DIR"), config);
  env.insert(QStringLiteral("HOME"), config);
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), config + QStringLiteral("/xdg"));
  env.remove(QStringLiteral("DISPLAY"));
  DisplayRun run;
  // Other runs on the machine may take the display number xvfb-run chose in the same moment;
  // then the program finds no display and the run is tried again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(
        QStringLiteral("xvfb-run"),
        QStringList{QStringLiteral("-a"), QStringLiteral("-s"),
                    QStringLiteral("-screen 0 1024x768x24"), QStringLiteral("sh"),
                    QStringLiteral("-c"), QString::fromLatin1(script), QStringLiteral("sh")} +
            args);
    run.started = process.waitForStarted(10000);
    if (!run.started) return run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
      process.kill();
      process.waitForFinished(5000);
    }
    run.log = QString::fromLocal8Bit(process.readAll());
    run.exitCode =
        run.finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (!run.finished || !run.log.contains(QStringLiteral("could not connect to display"))) break;
  }
  return run;
}

}  // namespace ostrivo::test::e2e
