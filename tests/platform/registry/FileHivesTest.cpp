#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <cstdio>

#include "platform/registry/FileRegistryHives.h"
#include "platform/registry/HiveText.h"
#include "support/FullDisk.h"
#include "support/NonRegularFiles.h"
#include "support/TempDir.h"

using namespace ostrivo;
using ostrivo::test::Deadline;
using ostrivo::test::MakeFifo;
using ostrivo::test::ReadAll;
using ostrivo::test::ScratchMount;
using ostrivo::test::TempDir;

namespace {

const KeyPath kSettings{"Software", "Ostrivo"};

QByteArray StringData(const std::optional<RegistryValue>& v) {
  return v && v->type == REG_SZ ? v->data.chopped(1) : QByteArray("<none>");
}

QStringList DamagedFiles(const QString& dir) {
  return QDir(dir).entryList({"HKEY_CURRENT_USER.reg.damaged-*"}, QDir::Files);
}

// The temporary files of the HKEY_CURRENT_USER hive a writer has made and not yet renamed.
QStringList TemporaryFiles(const QString& dir) {
  return QDir(dir).entryList({"HKEY_CURRENT_USER.reg.tmp-*"}, QDir::Files | QDir::Hidden);
}

class EnvGuard {
 public:
  explicit EnvGuard(const char* name) : name_(name), had_(qEnvironmentVariableIsSet(name)) {
    old_ = qgetenv(name);
  }
  ~EnvGuard() {
    if (had_) {
      qputenv(name_, old_);
    } else {
      qunsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

}  // namespace

TEST(FileHives, TheConfigurationFolderFollowsTheEnvironment) {
  EnvGuard own("OSTRIVO_CONFIG_DIR"), xdg("XDG_CONFIG_HOME");
  qunsetenv("OSTRIVO_CONFIG_DIR");
  qputenv("XDG_CONFIG_HOME", "/x/config");
  EXPECT_EQ(FileRegistryHives::DefaultConfigDir(), "/x/config/ostrivo");
  qputenv("XDG_CONFIG_HOME", "relative/config");  // not a valid base directory
  EXPECT_EQ(FileRegistryHives::DefaultConfigDir(), QDir::homePath() + "/.config/ostrivo");
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(FileRegistryHives::DefaultConfigDir(), QDir::homePath() + "/.config/ostrivo");
  qputenv("OSTRIVO_CONFIG_DIR", "/y/own");
  qputenv("XDG_CONFIG_HOME", "/x/config");
  EXPECT_EQ(FileRegistryHives::DefaultConfigDir(), "/y/own");
}

TEST(FileHives, ChangesReachTheFileAndAnotherInstanceSeesThem) {
  TempDir tmp;
  const QString dir = tmp.Path() + "/not/yet/there";
  FileRegistryHives a(dir), b(dir);
  EXPECT_FALSE(a.FindKey(Hive::CurrentUser, kSettings));
  EXPECT_FALSE(QFileInfo::exists(dir));  // looking makes nothing

  EXPECT_EQ(a.CreateKey(Hive::CurrentUser, kSettings), kSettings);
  EXPECT_EQ(b.CreateKey(Hive::CurrentUser, {"SOFTWARE", "ostrivo"}), kSettings);  // as stored
  EXPECT_TRUE(a.SetValue(Hive::CurrentUser, kSettings, "Pause", RegistryValue::String("5")));
  EXPECT_TRUE(a.CreateKey(Hive::ClassesRoot, {".osp"}));
  EXPECT_TRUE(QFileInfo::exists(dir + "/HKEY_CURRENT_USER.reg"));
  EXPECT_TRUE(QFileInfo::exists(dir + "/HKEY_CLASSES_ROOT.reg"));

  // b reads what a wrote, each of them changes a different value, and neither change is lost.
  EXPECT_EQ(StringData(b.GetValue(Hive::CurrentUser, {"SOFTWARE", "ostrivo"}, "pause")), "5");
  EXPECT_TRUE(b.SetValue(Hive::CurrentUser, kSettings, "DisplayTime", RegistryValue::String("9")));
  EXPECT_TRUE(a.SetValue(Hive::CurrentUser, kSettings, "Random", RegistryValue::String("1")));
  EXPECT_EQ(StringData(a.GetValue(Hive::CurrentUser, kSettings, "DisplayTime")), "9");
  EXPECT_EQ(b.ValueNames(Hive::CurrentUser, kSettings),
            (QStringList{"Pause", "DisplayTime", "Random"}));
  EXPECT_EQ(b.SubKeyNames(Hive::ClassesRoot, {}), QStringList{".osp"});

  // A value of a missing key is refused; deleting reports whether anything was there.
  EXPECT_FALSE(a.SetValue(Hive::CurrentUser, {"Software", "Gone"}, "x", RegistryValue::String("")));
  EXPECT_TRUE(b.DeleteValue(Hive::CurrentUser, kSettings, "RANDOM"));
  EXPECT_FALSE(a.DeleteValue(Hive::CurrentUser, kSettings, "Random"));
  EXPECT_TRUE(a.DeleteKey(Hive::CurrentUser, {"Software"}));
  EXPECT_FALSE(b.FindKey(Hive::CurrentUser, kSettings));
  EXPECT_FALSE(b.DeleteKey(Hive::CurrentUser, {"Software"}));
  EXPECT_FALSE(b.DeleteKey(Hive::CurrentUser, {}));

  // A fresh instance (the next run) reads the same from the files alone.
  FileRegistryHives c(dir);
  EXPECT_TRUE(c.FindKey(Hive::ClassesRoot, {".OSP"}));
  EXPECT_TRUE(c.SubKeyNames(Hive::CurrentUser, {}).isEmpty());
}

TEST(FileHives, AFileEditedByHandWhileRunningIsReadAgain) {
  TempDir tmp;
  FileRegistryHives hives(tmp.Path());
  ASSERT_TRUE(hives.CreateKey(Hive::CurrentUser, kSettings));
  ASSERT_TRUE(hives.SetValue(Hive::CurrentUser, kSettings, "Pause", RegistryValue::String("1")));
  tmp.Write("HKEY_CURRENT_USER.reg",
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Ostrivo]\n\"Pause\"=\"30\"\n");
  EXPECT_EQ(StringData(hives.GetValue(Hive::CurrentUser, kSettings, "Pause")), "30");
  // A change goes on from the edited file.
  ASSERT_TRUE(hives.SetValue(Hive::CurrentUser, kSettings, "Other", RegistryValue::String("2")));
  auto parsed = ParseHiveText(ReadAll(tmp.File("HKEY_CURRENT_USER.reg")), Hive::CurrentUser);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->Find(kSettings)->Value("Pause")->data, QByteArray("30", 3));
}

TEST(FileHives, ADamagedHiveIsMovedAsideReportedOnceAndNeverOverwritten) {
  TempDir tmp;
  const QByteArray damaged = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x";
  tmp.Write("HKEY_CURRENT_USER.reg", damaged);
  FileRegistryHives hives(tmp.Path());
  int told = 0;
  hives.OnNotice = [&] { ++told; };

  // The first change finds it; the change goes into a new, empty hive.
  EXPECT_TRUE(hives.CreateKey(Hive::CurrentUser, kSettings));
  EXPECT_EQ(told, 1);
  const QStringList aside = DamagedFiles(tmp.Path());
  ASSERT_EQ(aside.size(), 1);
  EXPECT_EQ(ReadAll(tmp.File(aside[0])), damaged);
  const QStringList notices = hives.TakeNotices();
  ASSERT_EQ(notices.size(), 1);
  EXPECT_TRUE(notices[0].contains(tmp.File(aside[0]))) << notices[0].toStdString();
  EXPECT_FALSE(hives.FindKey(Hive::CurrentUser, {"A"}));

  // Nothing more to tell, also for a second program that opens the same folder.
  FileRegistryHives other(tmp.Path());
  EXPECT_TRUE(other.FindKey(Hive::CurrentUser, kSettings));
  EXPECT_TRUE(hives.SetValue(Hive::CurrentUser, kSettings, "v", RegistryValue::String("1")));
  EXPECT_TRUE(hives.TakeNotices().isEmpty());
  EXPECT_TRUE(other.TakeNotices().isEmpty());
  EXPECT_EQ(told, 1);

  // Damaged again later (found by a query this time): a second file beside the first.
  tmp.Write("HKEY_CURRENT_USER.reg", "not a hive");
  EXPECT_FALSE(other.FindKey(Hive::CurrentUser, kSettings));
  EXPECT_EQ(other.TakeNotices().size(), 1);
  EXPECT_EQ(DamagedFiles(tmp.Path()).size(), 2);
  EXPECT_TRUE(hives.TakeNotices().isEmpty());  // the first program's query finds a fine hive
  EXPECT_FALSE(hives.FindKey(Hive::CurrentUser, kSettings));
  EXPECT_TRUE(hives.TakeNotices().isEmpty());
}

TEST(FileHives, AHiveThatCannotBeReadIsLeftAloneAndNotWritten) {
  TempDir tmp;
  const QString hivePath = tmp.MakeDir("HKEY_CURRENT_USER.reg");  // a folder: reading fails
  tmp.Write("HKEY_CURRENT_USER.reg/inside", "x");
  FileRegistryHives hives(tmp.Path());
  EXPECT_TRUE(hives.SubKeyNames(Hive::CurrentUser, {}).isEmpty());
  EXPECT_FALSE(hives.CreateKey(Hive::CurrentUser, kSettings));
  EXPECT_FALSE(hives.SetValue(Hive::CurrentUser, {}, "x", RegistryValue::String("1")));
  EXPECT_TRUE(hives.TakeNotices().isEmpty());
  EXPECT_TRUE(QFileInfo(hivePath).isDir());
  EXPECT_TRUE(QFileInfo::exists(hivePath + "/inside"));
  // The other hive is not affected.
  EXPECT_TRUE(hives.CreateKey(Hive::ClassesRoot, {".wav"}));
}

// A pipe in a hive's place is never waited on: it reads as a hive that cannot be read.
TEST(FileHives, APipeInTheHivesPlaceIsNeitherWaitedOnNorWritten) {
  Deadline deadline(60);
  TempDir tmp;
  ASSERT_TRUE(MakeFifo(tmp.File("HKEY_CURRENT_USER.reg")));
  FileRegistryHives hives(tmp.Path());
  EXPECT_TRUE(hives.SubKeyNames(Hive::CurrentUser, {}).isEmpty());
  EXPECT_FALSE(hives.CreateKey(Hive::CurrentUser, kSettings));
  struct stat st {};
  ASSERT_EQ(::lstat(QFile::encodeName(tmp.File("HKEY_CURRENT_USER.reg")).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));  // still there, never replaced
  EXPECT_TRUE(hives.CreateKey(Hive::ClassesRoot, {".wav"}));
}

// A link planted where a temporary file might go is never followed: what it points to stays
// as it was, and the hive, its folder and its files are the user's alone.
TEST(FileHives, TemporaryFilesAreUniqueNeverFollowALinkAndAreTheUsersAlone) {
  TempDir tmp;
  const QString victim = tmp.Write("victim", "precious\n");
  const QString dir = tmp.Path() + "/config/ostrivo";
  ASSERT_TRUE(QDir().mkpath(dir));
  ASSERT_TRUE(QFile::link(victim, dir + "/HKEY_CURRENT_USER.reg.tmp"));
  FileRegistryHives hives(dir);
  ASSERT_TRUE(hives.CreateKey(Hive::CurrentUser, kSettings));
  ASSERT_TRUE(hives.SetValue(Hive::CurrentUser, kSettings, "Pause", RegistryValue::String("7")));
  EXPECT_EQ(ReadAll(victim), "precious\n");
  EXPECT_TRUE(QFileInfo(dir + "/HKEY_CURRENT_USER.reg.tmp").isSymLink());
  EXPECT_EQ(StringData(FileRegistryHives(dir).GetValue(Hive::CurrentUser, kSettings, "Pause")),
            "7");
  // Nothing left over but the hive, its lock and the planted link.
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name),
            (QStringList{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock",
                         "HKEY_CURRENT_USER.reg.tmp"}));

  auto mode = [](const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0u;
  };
  EXPECT_EQ(mode(dir + "/HKEY_CURRENT_USER.reg"), 0600u);
  EXPECT_EQ(mode(dir + "/HKEY_CURRENT_USER.reg.lock"), 0600u);
  // A folder the hives make themselves is the user's alone, and so is each folder above it.
  const QString fresh = tmp.Path() + "/fresh/ostrivo";
  FileRegistryHives made(fresh);
  ASSERT_TRUE(made.CreateKey(Hive::ClassesRoot, {".wav"}));
  EXPECT_EQ(mode(fresh), 0700u);
  EXPECT_EQ(mode(tmp.Path() + "/fresh"), 0700u);
  EXPECT_EQ(mode(fresh + "/HKEY_CLASSES_ROOT.reg"), 0600u);
  // A hive the user opened up keeps its permissions across a change.
  ASSERT_EQ(::chmod(QFile::encodeName(dir + "/HKEY_CURRENT_USER.reg").constData(), 0640), 0);
  ASSERT_TRUE(hives.SetValue(Hive::CurrentUser, kSettings, "Pause", RegistryValue::String("8")));
  EXPECT_EQ(mode(dir + "/HKEY_CURRENT_USER.reg"), 0640u);
}

// A hive that cannot be written in full, on a full disk, is reported as a failed change and
// stays byte for byte; no temporary file is left behind.
TEST(FileHives, AChangeOnAFullDiskFailsAndLeavesTheHiveByteForByte) {
  TempDir tmp;
  const QString dir = tmp.MakeDir("small");
  ScratchMount disk(dir, "64k");
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a file system here";
  FileRegistryHives hives(dir);
  ASSERT_TRUE(hives.CreateKey(Hive::CurrentUser, kSettings));
  ASSERT_TRUE(hives.SetValue(Hive::CurrentUser, kSettings, "Pause", RegistryValue::String("1")));
  const QByteArray before = ReadAll(dir + "/HKEY_CURRENT_USER.reg");
  ASSERT_TRUE(disk.Fill());
  EXPECT_FALSE(hives.SetValue(Hive::CurrentUser, kSettings, "Pause", RegistryValue::String("2")));
  EXPECT_FALSE(hives.CreateKey(Hive::CurrentUser, {"Software", "Other"}));
  EXPECT_EQ(ReadAll(dir + "/HKEY_CURRENT_USER.reg"), before);
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name),
            (QStringList{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock", "filler"}));
  // What this program sees is what the file holds, not the change that failed.
  EXPECT_EQ(StringData(hives.GetValue(Hive::CurrentUser, kSettings, "Pause")), "1");
  EXPECT_TRUE(hives.CanStore());  // an empty file still fits; only the content does not
}

// Whether anything can be kept: not in a file, which is named once.
TEST(FileHives, APlaceThatIsAFileCannotStoreAndIsNamedOnce) {
  TempDir tmp;
  const QString file = tmp.Write("ostrivo", "x");
  FileRegistryHives hives(file);
  EXPECT_FALSE(hives.CanStore());
  EXPECT_FALSE(hives.CanStore());
  const QStringList notices = hives.TakeNotices();
  ASSERT_EQ(notices.size(), 1);
  EXPECT_TRUE(notices[0].contains("\"" + file + "\"")) << notices[0].toStdString();
  EXPECT_FALSE(hives.CreateKey(Hive::CurrentUser, kSettings));
  EXPECT_EQ(ReadAll(file), "x");
  EXPECT_TRUE(FileRegistryHives(tmp.Path() + "/a/b").CanStore());
}

// ---- between processes ----

namespace {

QProcess* StartWriter(const QStringList& args, QObject* parent) {
  auto* p = new QProcess(parent);
  p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p->start(QStringLiteral(OSTRIVO_HIVE_WRITER), args);
  return p;
}

}  // namespace

TEST(FileHivesProcesses, TwoProgramsWritingAtOnceKeepEachOthersValues) {
  constexpr int kRounds = 12;
  constexpr int kValues = 40;
  for (int round = 0; round < kRounds; ++round) {
    TempDir tmp;
    QObject owner;
    QProcess* a = StartWriter({"write", tmp.Path(), "a", QString::number(kValues)}, &owner);
    QProcess* b = StartWriter({"write", tmp.Path(), "b", QString::number(kValues)}, &owner);
    ASSERT_TRUE(a->waitForFinished(60000));
    ASSERT_TRUE(b->waitForFinished(60000));
    ASSERT_EQ(a->exitCode(), 0);
    ASSERT_EQ(b->exitCode(), 0);

    FileRegistryHives hives(tmp.Path());
    const QStringList names = hives.ValueNames(Hive::CurrentUser, {"Software", "Race"});
    ASSERT_EQ(names.size(), 2 * kValues) << "round " << round;
    for (const char* prefix : {"a", "b"})
      for (int i = 0; i < kValues; ++i) {
        const QString name = prefix + QString::number(i);
        EXPECT_EQ(StringData(hives.GetValue(Hive::CurrentUser, {"Software", "Race"}, name)),
                  name.toUtf8());
      }
    EXPECT_TRUE(hives.TakeNotices().isEmpty());
  }
}

TEST(FileHivesProcesses, AProgramKilledWhileWritingLeavesAReadableHive) {
  constexpr int kRounds = 15;
  constexpr int kSize = 4 << 20;
  TempDir tmp;
  {
    FileRegistryHives setup(tmp.Path());
    ASSERT_TRUE(setup.CreateKey(Hive::CurrentUser, kSettings));
    ASSERT_TRUE(setup.SetValue(Hive::CurrentUser, kSettings, "Keep", RegistryValue::String("k")));
  }
  int killedMidWrite = 0;
  for (int round = 0; round < kRounds; ++round) {
    QObject owner;
    QProcess* w = StartWriter({"churn", tmp.Path(), QString::number(kSize)}, &owner);
    ASSERT_TRUE(w->waitForReadyRead(60000)) << "round " << round;
    // Kill it at a random moment while its temporary file is being written.
    QThread::msleep(QRandomGenerator::global()->bounded(20));
    for (QElapsedTimer t; TemporaryFiles(tmp.Path()).isEmpty();) {
      if (!t.isValid()) t.start();
      ASSERT_LT(t.elapsed(), 10000);
    }
    QThread::usleep(QRandomGenerator::global()->bounded(2000));
    w->kill();
    ASSERT_TRUE(w->waitForFinished(60000));
    if (!TemporaryFiles(tmp.Path()).isEmpty()) ++killedMidWrite;

    FileRegistryHives hives(tmp.Path());
    auto big = hives.GetValue(Hive::CurrentUser, {"Software", "Churn"}, "Big");
    ASSERT_TRUE(big) << "round " << round;
    const QByteArray data = StringData(big);
    ASSERT_EQ(data.size(), kSize);
    EXPECT_EQ(data.count(data[0]), kSize) << "round " << round;  // one whole write
    EXPECT_EQ(StringData(hives.GetValue(Hive::CurrentUser, kSettings, "Keep")), "k");
    EXPECT_TRUE(hives.TakeNotices().isEmpty());
    EXPECT_TRUE(DamagedFiles(tmp.Path()).isEmpty());
  }
  // Most kills land inside a write, which leaves its temporary file behind; the next change
  // clears what a killed writer left.
  EXPECT_GE(killedMidWrite, kRounds / 2);
  {
    FileRegistryHives hives(tmp.Path());
    ASSERT_TRUE(hives.SetValue(Hive::CurrentUser, kSettings, "Keep", RegistryValue::String("j")));
  }
  EXPECT_TRUE(TemporaryFiles(tmp.Path()).isEmpty());
  std::printf("killed inside a write in %d of %d rounds\n", killedMidWrite, kRounds);
}
