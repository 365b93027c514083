// Directory listing with entry kinds: links are reported, never followed.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QFile>
#include <map>
#include <string>

#include "platform/fs/DirectoryReader.h"
#include "support/TempDir.h"

namespace ostrivo::fs {
namespace {

using test::TempDir;

std::map<std::string, EntryKind> List(DirectoryReader& reader) {
  std::map<std::string, EntryKind> seen;
  DirectoryEntry e;
  while (reader.Next(e)) {
    EXPECT_EQ(e.length, std::strlen(e.name));
    seen[std::string(e.name, e.length)] = e.kind;
  }
  return seen;
}

class Reader : public ::testing::Test {
 protected:
  void SetUp() override {
    tmp.Write(QStringLiteral("d/file.wav"), "x");
    tmp.MakeDir(QStringLiteral("d/sub"));
    QFile::link(tmp.File(QStringLiteral("d/sub")), tmp.File(QStringLiteral("d/to-sub")));
    QFile::link(tmp.File(QStringLiteral("d/file.wav")), tmp.File(QStringLiteral("d/to-file")));
    QFile::link(tmp.File(QStringLiteral("d/nowhere")), tmp.File(QStringLiteral("d/dangling")));
    mkfifo(QFile::encodeName(tmp.File(QStringLiteral("d/pipe"))).constData(), 0600);
  }
  QByteArray Path(const char* name) {
    return QFile::encodeName(tmp.File(QString::fromLatin1(name)));
  }
  TempDir tmp;
};

TEST_F(Reader, ListsEveryEntryWithItsOwnKind) {
  DirectoryReader reader(Path("d"));
  ASSERT_TRUE(reader.IsOpen());
  const std::map<std::string, EntryKind> expected{
      {".", EntryKind::Directory},   {"..", EntryKind::Directory}, {"file.wav", EntryKind::File},
      {"sub", EntryKind::Directory}, {"to-sub", EntryKind::Link},  {"to-file", EntryKind::Link},
      {"dangling", EntryKind::Link}, {"pipe", EntryKind::Other}};
  EXPECT_EQ(List(reader), expected);
  DirectoryEntry e;
  EXPECT_FALSE(reader.Next(e));  // stays at the end
}

TEST_F(Reader, AChildOpensOnlyAsAPlainDirectory) {
  DirectoryReader parent(Path("d"));
  DirectoryReader sub(parent, "sub");
  DirectoryReader viaLink(parent, "to-sub");
  DirectoryReader file(parent, "file.wav");
  DirectoryReader missing(parent, "missing");
  EXPECT_TRUE(sub.IsOpen());
  EXPECT_FALSE(viaLink.IsOpen());
  EXPECT_FALSE(file.IsOpen());
  EXPECT_FALSE(missing.IsOpen());

  // The same directory reached two ways has the same identity; another one has not.
  DirectoryReader byPath(Path("d/sub"));
  EXPECT_EQ(sub.Id(), byPath.Id());
  EXPECT_FALSE(sub.Id() == parent.Id());
  // The top directory itself may be reached through a link.
  DirectoryReader topViaLink(Path("d/to-sub"));
  EXPECT_TRUE(topViaLink.IsOpen());
  EXPECT_EQ(topViaLink.Id(), sub.Id());
}

TEST_F(Reader, WhatCannotBeListedListsNothing) {
  for (const QByteArray& path :
       {Path("d/missing"), Path("d/file.wav"), QByteArray(), QByteArray("d\0x", 3)}) {
    DirectoryReader reader(path);
    EXPECT_FALSE(reader.IsOpen()) << path.toStdString();
    DirectoryEntry e;
    EXPECT_FALSE(reader.Next(e));
    DirectoryReader child(reader, "sub");
    EXPECT_FALSE(child.IsOpen());
  }
}

}  // namespace
}  // namespace ostrivo::fs
