// A second program for the hive tests: it writes to the hive files of a folder the way the
// player does, so a test can run several at once or kill one in the middle of a write.
//
//   HiveWriter write <dir> <prefix> <count>   writes the values <prefix>0 .. under Software\Race
//   HiveWriter churn <dir> <bytes>            rewrites one large value until it is killed,
//                                             printing "ready" after the first write
#include <QCoreApplication>
#include <cstdio>

#include "platform/registry/FileRegistryHives.h"

using namespace ostrivo;

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 4) return 2;
  FileRegistryHives hives(args[2]);
  if (args[1] == QLatin1String("write") && args.size() == 5) {
    const KeyPath key{"Software", "Race"};
    if (!hives.CreateKey(Hive::CurrentUser, key)) return 1;
    const int count = args[4].toInt();
    for (int i = 0; i < count; ++i) {
      const QByteArray name = (args[3] + QString::number(i)).toUtf8();
      if (!hives.SetValue(Hive::CurrentUser, key, QString::fromUtf8(name),
                          RegistryValue::String(name)))
        return 1;
    }
    return 0;
  }
  if (args[1] == QLatin1String("churn")) {
    const KeyPath key{"Software", "Churn"};
    if (!hives.CreateKey(Hive::CurrentUser, key)) return 1;
    const int size = args[3].toInt();
    for (int round = 0;; ++round) {
      const QByteArray data(size, static_cast<char>('a' + round % 26));
      if (!hives.SetValue(Hive::CurrentUser, key, "Big", RegistryValue::String(data))) return 1;
      if (round == 0) {
        std::puts("ready");
        std::fflush(stdout);
      }
    }
  }
  return 2;
}
