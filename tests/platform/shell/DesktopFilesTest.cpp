// The freedesktop side of the program's associations, checked with the desktop's own tools in
// an isolated XDG environment: the Exec lines through a real launcher (gio launch), the user's
// defaults through xdg-mime, the offered folder verb through gio mime.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include "platform/shell/DesktopEntries.h"
#include "platform/shell/MimeApps.h"
#include "platform/shell/ShellServices.h"
#include "support/TempDir.h"

using namespace ostrivo;
using ostrivo::test::TempDir;

namespace {

bool HasTool(const char* name) {
  return !QStandardPaths::findExecutable(QLatin1String(name)).isEmpty();
}

// XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_DATA_DIRS of the test's own, and no desktop named, so
// xdg-mime answers from the freedesktop files alone. Restored when the test ends.
class IsolatedXdg {
 public:
  IsolatedXdg() {
    for (const char* name : kNames)
      saved_.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.Path() + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home_.Path() + "/data"));
    qputenv("XDG_DATA_DIRS", "/usr/share");
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "XDG_SESSION_DESKTOP"})
      qunsetenv(name);
  }
  ~IsolatedXdg() {
    for (const auto& s : saved_) {
      if (s.set)
        qputenv(s.name, s.value);
      else
        qunsetenv(s.name);
    }
  }
  QString Config() const { return home_.Path() + "/config"; }
  QString Data() const { return home_.Path() + "/data"; }
  QString Root() const { return home_.Path(); }

 private:
  static constexpr const char* kNames[] = {
      "XDG_CONFIG_HOME",          "XDG_DATA_HOME",      "XDG_DATA_DIRS",
      "XDG_CURRENT_DESKTOP",      "DESKTOP_SESSION",    "KDE_FULL_SESSION",
      "GNOME_DESKTOP_SESSION_ID", "XDG_SESSION_DESKTOP"};
  struct Saved {
    const char* name;
    QByteArray value;
    bool set;
  };
  TempDir home_;
  QList<Saved> saved_;
};

QString Output(const QString& program, const QStringList& arguments) {
  QProcess p;
  p.start(program, arguments);
  if (!p.waitForFinished(30000)) return "<timeout>";
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// A stand-in for the program that writes the arguments it was given, each ended by a NUL.
QString RecordingProgram(const QString& folder, const QString& out) {
  QDir().mkpath(folder);
  const QString path = folder + "/ostrivo";
  QFile script(path);
  EXPECT_TRUE(script.open(QIODevice::WriteOnly));
  script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"" +
               QFile::encodeName(out) + ".part\"\nmv \"" + QFile::encodeName(out) + ".part\" \"" +
               QFile::encodeName(out) + "\"\n");
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

QStringList WaitForArguments(const QString& out) {
  QElapsedTimer clock;
  clock.start();
  while (!QFile::exists(out) && clock.elapsed() < 10000) QThread::msleep(20);
  QFile file(out);
  if (!file.open(QIODevice::ReadOnly)) return {"<not started>"};
  QStringList args;
  for (const QByteArray& a : file.readAll().split('\0')) args << QFile::decodeName(a);
  args.removeLast();  // after the last NUL
  return args;
}

}  // namespace

TEST(ExecLines, EveryFileNameReachesTheProgramAsOneArgumentThroughARealLauncher) {
  if (!HasTool("gio")) GTEST_SKIP() << "gio is not installed";
  IsolatedXdg xdg;
  TempDir work;
  // The program itself lies in a folder whose name needs every quoting rule.
  const QString out = work.Path() + "/args";
  const QString program =
      RecordingProgram(work.Path() + "/build \"q\" 'a' $(x) `y` back\\slash %f 50%", out);
  const QString canary = work.Path() + "/PWNED";
  const QStringList names = {"a b.wav",
                             "q\"uote'.wav",
                             "$(touch " + canary + ").wav",
                             "`touch " + canary + "`.wav",
                             "semi;colon & amp | pipe.wav",
                             "back\\slash\\\\.wav",
                             "-dash.wav",
                             "%f %u %% percent.wav",
                             "tab\there.wav",
                             "ünïcødé.wav"};
  for (DesktopEntryKind kind :
       {DesktopEntryKind::Play, DesktopEntryKind::PlayList, DesktopEntryKind::FolderView}) {
    const QString entry = work.Path() + "/" + DesktopEntryId(kind);
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(DesktopEntryText(kind, program).toUtf8());
    file.close();
    const char* expectedSwitch = kind == DesktopEntryKind::Play       ? "/file"
                                 : kind == DesktopEntryKind::PlayList ? "/open"
                                                                      : "/dir";
    for (const QString& name : names) {
      const QString target = work.Path() + "/" + name;
      QFile(target).open(QIODevice::WriteOnly);
      QFile::remove(out);
      QProcess launch;
      launch.start("gio", {"launch", entry, target});
      ASSERT_TRUE(launch.waitForFinished(30000));
      EXPECT_EQ(launch.exitCode(), 0) << launch.readAllStandardError().toStdString();
      EXPECT_EQ(WaitForArguments(out), (QStringList{expectedSwitch, target, "/play"}))
          << name.toStdString();
    }
  }
  EXPECT_FALSE(QFile::exists(canary)) << "a file name ran a command";
}

TEST(ExecLines, TheMenuEntryStartsThePlainProgramAndEveryEntryValidates) {
  if (!HasTool("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed";
  TempDir work;
  for (DesktopEntryKind kind :
       {DesktopEntryKind::Application, DesktopEntryKind::Play, DesktopEntryKind::PlayList,
        DesktopEntryKind::FolderView, DesktopEntryKind::DriveView}) {
    const QString entry = work.Path() + "/" + DesktopEntryId(kind);
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(DesktopEntryText(kind, "/opt/my programs/ostrivo").toUtf8());
    file.close();
    QProcess validate;
    validate.start("desktop-file-validate", {entry});
    ASSERT_TRUE(validate.waitForFinished(30000));
    EXPECT_EQ(validate.exitCode(), 0);
    const QByteArray said = validate.readAllStandardOutput() + validate.readAllStandardError();
    EXPECT_FALSE(said.contains("error:") || said.contains("warning:"))
        << DesktopEntryId(kind).toStdString() << ": " << said.toStdString();
  }
  const QString menu = DesktopEntryText(DesktopEntryKind::Application, "ostrivo");
  EXPECT_TRUE(menu.contains("\nExec=ostrivo\n")) << menu.toStdString();
  EXPECT_FALSE(menu.contains("NoDisplay"));
}

TEST(MimeAppsList, DefaultsChangeOnlyTheirOwnLinesAndOnlyOurEntryIsTakenOut) {
  const QString before =
      "# the user's own comment\n"
      "[Default Applications]\n"
      "image/png=org.gnome.eog.desktop;\n"
      "image/jpeg=org.gnome.eog.desktop;\n"
      "\n"
      "[Added Associations]\n"
      "image/jpeg=org.gnome.eog.desktop;gimp.desktop;\n"
      "\n"
      "[Removed Associations]\n"
      "image/jpeg=feh.desktop;\n";
  const QString set = SetDefaultApplication(before, "image/jpeg", "o.desktop");
  EXPECT_EQ(set,
            "# the user's own comment\n"
            "[Default Applications]\n"
            "image/png=org.gnome.eog.desktop;\n"
            "image/jpeg=o.desktop;\n"
            "\n"
            "[Added Associations]\n"
            "image/jpeg=o.desktop;org.gnome.eog.desktop;gimp.desktop;\n"
            "\n"
            "[Removed Associations]\n"
            "image/jpeg=feh.desktop;\n");
  // Again: nothing doubles.
  EXPECT_EQ(SetDefaultApplication(set, "image/jpeg", "o.desktop"), set);
  // A type not there yet goes at the end of its group, before the gap.
  const QString wav = SetDefaultApplication(set, "audio/x-wav", "o.desktop");
  EXPECT_TRUE(wav.contains("image/jpeg=o.desktop;\naudio/x-wav=o.desktop;\n\n[Added"))
      << wav.toStdString();
  // Taken out again: the other programs' choices stay, and an emptied line goes.
  const QString removed = RemoveApplication(RemoveApplication(wav, "audio/x-wav", "o.desktop"),
                                            "image/jpeg", "o.desktop");
  EXPECT_EQ(removed,
            "# the user's own comment\n"
            "[Default Applications]\n"
            "image/png=org.gnome.eog.desktop;\n"
            "\n"
            "[Added Associations]\n"
            "image/jpeg=org.gnome.eog.desktop;gimp.desktop;\n"
            "\n"
            "[Removed Associations]\n"
            "image/jpeg=feh.desktop;\n");
  // Somebody else's default is not ours to remove.
  EXPECT_EQ(RemoveApplication(before, "image/jpeg", "o.desktop"), before);
  // An empty file gains the groups it needs.
  EXPECT_EQ(SetDefaultApplication("", "video/quicktime", "o.desktop"),
            "[Default Applications]\nvideo/quicktime=o.desktop;\n\n"
            "[Added Associations]\nvideo/quicktime=o.desktop;\n");
}

TEST(Associations, TheDesktopNamesTheProgramAfterARegistrationFromABuildTree) {
  if (!HasTool("xdg-mime") || !HasTool("gio") || !HasTool("update-mime-database"))
    GTEST_SKIP() << "xdg-utils, gio or shared-mime-info is not installed";
  IsolatedXdg xdg;
  // A build tree: the program with nothing installed beside it.
  const QString exe = xdg.Root() + "/my build/ostrivo";
  QDir().mkpath(xdg.Root() + "/my build");
  QFile program(exe);
  ASSERT_TRUE(program.open(QIODevice::WriteOnly));
  program.write("#!/bin/sh\n");
  program.close();
  program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  DesktopShell desktop(exe);
  const QString before = Output("xdg-mime", {"query", "default", "image/jpeg"});
  desktop.AssociateExtension("jpg");
  desktop.AssociateExtension("osp");
  desktop.AssociateExtension("cda");
  desktop.AddVerb(DesktopVerb::PlayList);
  desktop.AddVerb(DesktopVerb::FolderView);
  desktop.AddVerb(DesktopVerb::DriveView);

  EXPECT_EQ(Output("xdg-mime", {"query", "default", "image/jpeg"}),
            "org.ostrivo.Ostrivo.Play.desktop");
  EXPECT_NE(before, "org.ostrivo.Ostrivo.Play.desktop");
  // The play-list and CD track types exist for the desktop, and the program opens them.
  QFile list(xdg.Root() + "/party.osp");
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write("a.wav\r\n");
  list.close();
  EXPECT_EQ(Output("xdg-mime", {"query", "filetype", list.fileName()}),
            "application/x-ostrivo-playlist");
  EXPECT_EQ(Output("xdg-mime", {"query", "default", "application/x-ostrivo-playlist"}),
            "org.ostrivo.Ostrivo.PlayList.desktop");
  EXPECT_EQ(Output("xdg-mime", {"query", "default", "application/x-cda"}),
            "org.ostrivo.Ostrivo.Play.desktop");
  // The entries start this very program.
  QFile entry(xdg.Data() + "/applications/org.ostrivo.Ostrivo.PlayList.desktop");
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
  EXPECT_TRUE(entry.readAll().contains("Exec=\"" + QFile::encodeName(exe) + "\" /open %f /play\n"));
  // File managers offer the View verb on folders and on drives.
  EXPECT_TRUE(
      Output("gio", {"mime", "inode/directory"}).contains("org.ostrivo.Ostrivo.View.desktop"));
  EXPECT_TRUE(Output("gio", {"mime", "inode/mount-point"})
                  .contains("org.ostrivo.Ostrivo.ViewDrive.desktop"));

  // The uninstall: the type's default goes, the folder verb goes, the play-list type and the
  // drive verb stay.
  desktop.DissociateExtension("jpg");
  desktop.RemoveVerb(DesktopVerb::FolderView);
  EXPECT_NE(Output("xdg-mime", {"query", "default", "image/jpeg"}),
            "org.ostrivo.Ostrivo.Play.desktop");
  EXPECT_FALSE(
      Output("gio", {"mime", "inode/directory"}).contains("org.ostrivo.Ostrivo.View.desktop"));
  EXPECT_TRUE(Output("gio", {"mime", "inode/mount-point"})
                  .contains("org.ostrivo.Ostrivo.ViewDrive.desktop"));
  EXPECT_EQ(Output("xdg-mime", {"query", "default", "application/x-ostrivo-playlist"}),
            "org.ostrivo.Ostrivo.PlayList.desktop");
}

TEST(Associations, AnInstalledProgramWritesNoEntriesButHidesItsFolderVerbForTheUser) {
  IsolatedXdg xdg;
  // An installed layout: bin/ostrivo beside share/applications/<id>.desktop.
  const QString prefix = xdg.Root() + "/usr";
  QDir().mkpath(prefix + "/bin");
  QDir().mkpath(prefix + "/share/applications");
  QFile(prefix + "/share/applications/org.ostrivo.Ostrivo.desktop").open(QIODevice::WriteOnly);
  DesktopShell desktop(prefix + "/bin/ostrivo");
  desktop.AssociateExtension("wav");
  desktop.AddVerb(DesktopVerb::FolderView);
  EXPECT_FALSE(QFile::exists(xdg.Data() + "/applications/org.ostrivo.Ostrivo.Play.desktop"));
  EXPECT_FALSE(QFile::exists(xdg.Data() + "/mime"));
  QFile defaults(xdg.Config() + "/mimeapps.list");
  ASSERT_TRUE(defaults.open(QIODevice::ReadOnly));
  EXPECT_TRUE(defaults.readAll().contains("audio/x-wav=org.ostrivo.Ostrivo.Play.desktop;"));

  desktop.RemoveVerb(DesktopVerb::FolderView);
  QFile hidden(xdg.Data() + "/applications/org.ostrivo.Ostrivo.View.desktop");
  ASSERT_TRUE(hidden.open(QIODevice::ReadOnly));
  EXPECT_TRUE(hidden.readAll().contains("\nHidden=true\n"));
  hidden.close();
  // Installing again takes the hiding back.
  desktop.AddVerb(DesktopVerb::FolderView);
  EXPECT_FALSE(QFile::exists(hidden.fileName()));
}
