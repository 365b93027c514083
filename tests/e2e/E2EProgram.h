#pragma once
// What the end-to-end tests share: the built program, a generated sound file, and a prepared
// configuration folder.

#include <QByteArray>
#include <QList>
#include <QString>
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

}  // namespace ostrivo::test::e2e
