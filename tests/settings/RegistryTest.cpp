#include <gtest/gtest.h>

#include "framework/Exceptions.h"
#include "platform/registry/FileRegistryHives.h"
#include "settings/Registry.h"
#include "support/TempDir.h"

using namespace ostrivo;
using ostrivo::test::ReadAll;
using ostrivo::test::TempDir;

namespace {

// The message of the registry error that f raises, or "" when it raises none.
template <class F>
QString RegistryError(F&& f) {
  try {
    f();
  } catch (const ERegistryException& e) {
    return e.Message();
  }
  return {};
}

class RegistryTest : public ::testing::Test {
 protected:
  TempDir tmp;
  FileRegistryHives hives{tmp.Path()};
};

}  // namespace

TEST_F(RegistryTest, PathsStartAtTheRootOrBelowTheCurrentKey) {
  TRegistry reg(hives);
  EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
  EXPECT_FALSE(reg.HasCurrentKey());

  // No current key: a relative path starts at the root.
  ASSERT_TRUE(reg.OpenKey("Software", true));
  EXPECT_EQ(reg.CurrentPath(), "Software");
  ASSERT_TRUE(reg.OpenKey("Ostrivo", true));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Ostrivo");
  ASSERT_TRUE(reg.OpenKey("Deeper\\Still", true));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Ostrivo\\Deeper\\Still");
  ASSERT_TRUE(reg.OpenKey("\\Software", false));
  EXPECT_EQ(reg.CurrentPath(), "Software");

  EXPECT_TRUE(reg.KeyExists("Ostrivo\\Deeper"));
  EXPECT_FALSE(reg.KeyExists("Deeper"));
  EXPECT_TRUE(reg.KeyExists("\\Software\\Ostrivo\\Deeper"));
  EXPECT_FALSE(reg.KeyExists("\\Ostrivo"));

  reg.CloseKey();
  EXPECT_FALSE(reg.HasCurrentKey());
  EXPECT_TRUE(reg.KeyExists("Software\\Ostrivo"));
  ASSERT_TRUE(reg.OpenKey("Software\\Ostrivo", false));
  EXPECT_EQ(reg.GetKeyNames(), QStringList{"Deeper"});
}

TEST_F(RegistryTest, OpeningWithoutCreateFailsOnAMissingKeyAndKeepsTheCurrentOne) {
  TRegistry reg(hives);
  EXPECT_FALSE(reg.OpenKey("Software", false));
  EXPECT_FALSE(reg.HasCurrentKey());
  EXPECT_FALSE(reg.KeyExists("Software"));  // nothing was made

  ASSERT_TRUE(reg.OpenKey("Software", true));
  EXPECT_FALSE(reg.OpenKey("Ostrivo", false));
  EXPECT_EQ(reg.CurrentPath(), "Software");
  EXPECT_FALSE(reg.OpenKey("\\A\\B", false));
  EXPECT_EQ(reg.CurrentPath(), "Software");

  // Create makes every missing key along the path.
  ASSERT_TRUE(reg.OpenKey("\\A\\B\\C", true));
  EXPECT_TRUE(reg.KeyExists("\\A"));
  EXPECT_TRUE(reg.KeyExists("\\A\\B"));
  EXPECT_EQ(reg.CurrentPath(), "A\\B\\C");

  // A name a hive file cannot hold is a failure like any other.
  EXPECT_FALSE(reg.OpenKey("bad\nname", true));
  EXPECT_EQ(reg.CurrentPath(), "A\\B\\C");
}

TEST_F(RegistryTest, KeyAndValueNamesIgnoreCase) {
  {
    TRegistry reg(hives);
    ASSERT_TRUE(reg.OpenKey("Software\\Ostrivo", true));
    reg.WriteString("Pause", "4");
  }
  TRegistry reg(hives);
  ASSERT_TRUE(reg.OpenKey("software", false));
  ASSERT_TRUE(reg.OpenKey("OSTRIVO", false));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Ostrivo");  // as created
  EXPECT_TRUE(reg.ValueExists("pause"));
  EXPECT_EQ(reg.ReadString("PAUSE"), "4");
  reg.WriteString("pAuSe", "5");
  EXPECT_EQ(reg.GetValueNames(), QStringList{"Pause"});
  EXPECT_EQ(reg.ReadString("Pause"), "5");
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\ostrivo\\New", true));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Ostrivo\\New");
}

TEST_F(RegistryTest, ChangingTheRootClosesTheCurrentKeyKeepingItDoesNot) {
  TRegistry reg(hives);
  ASSERT_TRUE(reg.OpenKey("Software", true));
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_EQ(reg.CurrentPath(), "Software");
  EXPECT_TRUE(reg.HasCurrentKey());

  reg.SetRootKey(HKEY_CLASSES_ROOT);
  EXPECT_EQ(reg.RootKey(), HKEY_CLASSES_ROOT);
  EXPECT_FALSE(reg.HasCurrentKey());
  EXPECT_FALSE(reg.KeyExists("Software"));  // relative now starts at the other root
  ASSERT_TRUE(reg.OpenKey(".osp", true));
  reg.WriteString("", "Ostrivo.osp");
  reg.WriteString("Content Type", "Ostrivo osp file");

  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_FALSE(reg.HasCurrentKey());
  EXPECT_FALSE(reg.KeyExists(".osp"));
  EXPECT_TRUE(reg.KeyExists("Software"));

  // Each root lives in its own file.
  const QByteArray classes = ReadAll(tmp.File("HKEY_CLASSES_ROOT.reg"));
  EXPECT_TRUE(
      classes.contains("[HKEY_CLASSES_ROOT\\.osp]\n@=\"Ostrivo.osp\"\n"
                       "\"Content Type\"=\"Ostrivo osp file\"\n"));
  EXPECT_FALSE(ReadAll(tmp.File("HKEY_CURRENT_USER.reg")).contains(".osp"));
}

TEST_F(RegistryTest, ReadWriteAndTheirThreeErrors) {
  tmp.Write("HKEY_CURRENT_USER.reg",
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Ostrivo]\n"
            "\"Count\"=dword:00000001\n"
            "\"Blob\"=hex:\n"
            "\"Expand\"=hex(2):25,50,25,00\n"
            "\"NoData\"=hex(1):\n"
            "\"Cut\"=hex(1):61,00,62,00\n"
            "\"Empty\"=\"\"\n");
  TRegistry reg(hives);
  // No current key: nothing to read or write.
  EXPECT_EQ(RegistryError([&] { reg.ReadString("Count"); }), "Failed to get data for 'Count'");
  EXPECT_EQ(RegistryError([&] { reg.WriteString("Pause", "1"); }),
            "Failed to set data for 'Pause'");
  EXPECT_FALSE(reg.ValueExists("Count"));

  ASSERT_TRUE(reg.OpenKey("\\Software\\Ostrivo", false));
  EXPECT_EQ(RegistryError([&] { reg.ReadString("Count"); }), "Invalid data type for 'Count'");
  EXPECT_EQ(RegistryError([&] { reg.ReadString("Blob"); }), "Invalid data type for 'Blob'");
  EXPECT_EQ(RegistryError([&] { reg.ReadString("Missing"); }), "Failed to get data for 'Missing'");
  EXPECT_EQ(reg.ReadString("Expand"), "%P%");
  EXPECT_EQ(reg.ReadString("NoData"), "");
  EXPECT_EQ(reg.ReadString("Cut"), "a");  // the text ends at its terminator
  EXPECT_EQ(reg.ReadString("Empty"), "");

  // Writing replaces a value of any type with a string.
  reg.WriteString("Count", "7");
  EXPECT_EQ(reg.ReadString("Count"), "7");
  reg.WriteString("", "default");
  EXPECT_EQ(reg.ReadString(""), "default");
  reg.WriteString("Unicode", QString::fromUtf8("Grüße \"ok\" C:\\x"));
  TRegistry other(hives);
  ASSERT_TRUE(other.OpenKey("Software\\Ostrivo", false));
  EXPECT_EQ(other.ReadString("Unicode"), QString::fromUtf8("Grüße \"ok\" C:\\x"));

  EXPECT_EQ(RegistryError([&] { reg.WriteString("bad\nname", "1"); }),
            "Failed to set data for 'bad\nname'");
}

TEST_F(RegistryTest, DeletingValuesAndWholeKeys) {
  TRegistry reg(hives);
  ASSERT_TRUE(reg.OpenKey("\\Ostrivo.wav\\shell\\Open\\command", true));
  reg.WriteString("", "x");
  ASSERT_TRUE(reg.OpenKey("\\.wav", true));
  reg.WriteString("", "Ostrivo.wav");
  reg.WriteString("Content Type", "Ostrivo wav file");

  EXPECT_TRUE(reg.DeleteValue(""));
  EXPECT_TRUE(reg.DeleteValue("content type"));
  EXPECT_FALSE(reg.DeleteValue("Content Type"));  // already gone: no error
  EXPECT_TRUE(reg.GetValueNames().isEmpty());
  EXPECT_TRUE(reg.KeyExists("\\.wav"));

  EXPECT_TRUE(reg.DeleteKey("\\ostrivo.WAV"));
  EXPECT_FALSE(reg.KeyExists("\\Ostrivo.wav\\shell"));
  EXPECT_FALSE(reg.DeleteKey("\\Ostrivo.wav"));
  EXPECT_FALSE(reg.DeleteKey("\\"));  // never the root
  EXPECT_EQ(reg.CurrentPath(), ".wav");
}

TEST_F(RegistryTest, ACurrentKeyDeletedMeanwhileTakesNoMoreWrites) {
  TRegistry reg(hives);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Ostrivo", true));
  {
    TRegistry other(hives);  // e.g. another program, or the shell toggle
    ASSERT_TRUE(other.DeleteKey("\\Software\\Ostrivo"));
  }
  EXPECT_EQ(RegistryError([&] { reg.WriteString("Pause", "1"); }),
            "Failed to set data for 'Pause'");
  EXPECT_FALSE(reg.OpenKey("Sub", true));
  EXPECT_FALSE(reg.KeyExists("\\Software\\Ostrivo"));
  EXPECT_TRUE(reg.GetValueNames().isEmpty());
  EXPECT_FALSE(TRegistry(hives).KeyExists("\\Software\\Pause"));
}
