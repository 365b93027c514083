#include <gtest/gtest.h>

#include <QStringDecoder>

#include "platform/registry/HiveText.h"

using namespace ostrivo;

namespace {

QByteArray Text(const HiveKey& key, const KeyPath& path, const QString& name) {
  HiveKey copy = key;
  const HiveKey* k = copy.Find(path);
  if (!k) return "<no key>";
  const RegistryValue* v = k->Value(name);
  return v ? v->data : QByteArray("<no value>");
}

}  // namespace

TEST(HiveText, ReadsAFileEditedByHand) {
  const QByteArray file =
      "\xEF\xBB\xBF"
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; written by hand\r\n"
      "[hkey_current_user\\Software\\Ostrivo]\r\n"
      "\"Pause\" = \"7\"\r\n"
      "\"Path\"=\"C:\\Music\\\\a \\\"b\\\"\"\r\n"
      "@=\"default\"\r\n"
      "\"Count\"=dword:0000002A\r\n"
      "\"Blob\"=hex:00,01,\\\r\n"
      "  02,ff\r\n"
      "\"Expand\"=hex(2):25,00\r\n"
      "\"Gone\"=\"x\"\r\n"
      "\"Gone\"=-\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\SOFTWARE\\ostrivo]\r\n"
      "\"DisplayTime\"=\"12\"\r\n"
      "[HKEY_CURRENT_USER\\Software\\Old\\Deep]\r\n"
      "[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
      "   [HKEY_CURRENT_USER]\r\n"
      "\"AtRoot\"=\"r\"\r\n";
  QString why;
  auto hive = ParseHiveText(file, Hive::CurrentUser, &why);
  ASSERT_TRUE(hive) << why.toStdString();

  // One key, named as first written, reached in any case.
  ASSERT_EQ(hive->SubKeys().size(), 1u);
  ASSERT_EQ(hive->SubKeys()[0].SubKeys().size(), 1u);  // Old was removed
  EXPECT_EQ(hive->SubKeys()[0].SubKeys()[0].Name(), "Ostrivo");
  const KeyPath key{"software", "OSTRIVO"};
  EXPECT_EQ(Text(*hive, key, "pause"), QByteArray("7", 2));
  EXPECT_EQ(Text(*hive, key, "DisplayTime"), QByteArray("12", 3));
  // "\M" is no escape and keeps its backslash; "\\" and "\"" are.
  EXPECT_EQ(Text(*hive, key, "Path"), QByteArray("C:\\Music\\a \"b\"", 15));
  EXPECT_EQ(Text(*hive, key, ""), QByteArray("default", 8));
  EXPECT_EQ(Text(*hive, key, "Count"), QByteArray("\x2a\0\0\0", 4));
  EXPECT_EQ(Text(*hive, key, "Blob"), QByteArray("\0\x01\x02\xff", 4));
  EXPECT_EQ(Text(*hive, key, "Gone"), "<no value>");
  EXPECT_EQ(Text(*hive, {}, "AtRoot"), QByteArray("r", 2));

  HiveKey copy = *hive;
  EXPECT_EQ(copy.Find(key)->Value("Expand")->type, REG_EXPAND_SZ);
  EXPECT_EQ(copy.Find(key)->Value("Blob")->type, REG_BINARY);
  EXPECT_EQ(copy.Find(key)->Value("Count")->type, REG_DWORD);
}

TEST(HiveText, WritesTheRegistryEditorsExportForm) {
  HiveKey root;
  HiveKey* k = root.Create({"Software", "Ostrivo"});
  k->SetValue("Pause", RegistryValue::String("1"));
  k->SetValue("", RegistryValue::String("a \"quoted\" C:\\path"));
  k->SetValue("Size", RegistryValue{REG_DWORD, QByteArray("\x2a\0\0\0", 4)});
  k->SetValue("Raw", RegistryValue{REG_BINARY, QByteArray("\x01\xfe", 2)});
  k->SetValue("Q", RegistryValue{REG_QWORD, QByteArray(8, '\0')});
  root.Create({"Alpha"});
  EXPECT_EQ(HiveToText(root, Hive::CurrentUser),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_CURRENT_USER]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Alpha]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Ostrivo]\n"
            "\"Pause\"=\"1\"\n"
            "@=\"a \\\"quoted\\\" C:\\\\path\"\n"
            "\"Size\"=dword:0000002a\n"
            "\"Raw\"=hex:01,fe\n"
            "\"Q\"=hex(b):00,00,00,00,00,00,00,00\n"
            "\n");
}

TEST(HiveText, RoundTripsAnyBytesAndNames) {
  HiveKey root;
  HiveKey* k = root.Create({"Ünïcode key", "with ] bracket", "x"});
  QByteArray every;
  for (int b = 0; b < 256; ++b) every.append(static_cast<char>(b));
  k->SetValue("every byte", RegistryValue::String(every));
  k->SetValue("lines", RegistryValue::String("one\r\ntwo\n"));
  k->SetValue("latin-1", RegistryValue::String("caf\xe9"));
  k->SetValue("trailing backslash\\", RegistryValue::String("C:\\"));
  k->SetValue("\"quoted\" name", RegistryValue::String(""));
  k->SetValue("no terminator", RegistryValue{REG_SZ, "abc"});
  k->SetValue("no data", RegistryValue{REG_SZ, {}});
  k->SetValue("odd dword", RegistryValue{REG_DWORD, "ab"});
  k->SetValue("@", RegistryValue::String("not the default"));
  k->SetValue("", RegistryValue::String("the default"));
  k->SetValue("long", RegistryValue{REG_BINARY, QByteArray(1000, '\x5a')});
  k->SetValue("type 0x1234", RegistryValue{0x1234, "z"});
  root.Create({"Other"})->SetValue("v", RegistryValue::String("w"));

  const QByteArray text = HiveToText(root, Hive::ClassesRoot);
  QString why;
  auto back = ParseHiveText(text, Hive::ClassesRoot, &why);
  ASSERT_TRUE(back) << why.toStdString();
  EXPECT_EQ(*back, root);

  // The file stays readable text: valid UTF-8, short hex lines.
  QStringDecoder decoder(QStringDecoder::Utf8);
  (void)decoder.decode(text);
  EXPECT_FALSE(decoder.hasError());
  for (const QByteArray& line : text.split('\n')) {
    if (line.startsWith("  ") || line.contains("=hex")) {
      EXPECT_LE(line.size(), 80) << line.data();
    }
  }
}

TEST(HiveText, NothingButBlanksIsAnEmptyHive) {
  for (const QByteArray& text : {QByteArray(""), QByteArray("\n\r\n  \n")}) {
    auto hive = ParseHiveText(text, Hive::CurrentUser);
    ASSERT_TRUE(hive);
    EXPECT_TRUE(hive->SubKeys().empty());
    EXPECT_TRUE(hive->Values().empty());
  }
}

TEST(HiveText, RefusesWhatItCannotReadFaithfully) {
  const QByteArray head = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n";
  const QList<QByteArray> bad = {
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n",
      "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n",
      "Windows Registry Editor Version 5.00\n\"x\"=\"1\"\n",
      "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\A]\n",
      "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A\n",
      head + "\"x\"=\"unterminated\n",
      head + "\"x\"=\"1\" trailing\n",
      head + "\"x=\"1\"\n",
      head + "x=\"1\"\n",
      head + "\"x\"=hex:0g\n",
      head + "\"x\"=hex:100\n",
      head + "\"x\"=hex:01,,02\n",
      head + "\"x\"=hex:01,\\\n",
      head + "\"x\"=dword:123456789\n",
      head + "\"x\"=dword:\n",
      head + "\"x\"=qword:1\n",
      head + "\"x\"=hex(zz):01\n",
      head + QByteArray("\x00\x01garbage\n", 10),
  };
  for (const QByteArray& text : bad) {
    QString why;
    EXPECT_FALSE(ParseHiveText(text, Hive::CurrentUser, &why)) << text.data();
    EXPECT_TRUE(why.startsWith("line ")) << why.toStdString();
  }
}

TEST(HiveKeyTree, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  HiveKey root;
  root.Create({"Software", "Ostrivo"});
  HiveKey* again = root.Create({"SOFTWARE", "ostrivo", "Sub"});
  ASSERT_TRUE(again);
  EXPECT_EQ(root.SubKeys().size(), 1u);
  EXPECT_EQ(root.SubKeys()[0].Name(), "Software");
  EXPECT_EQ(root.Find({"software", "OSTRIVO"})->Name(), "Ostrivo");

  HiveKey* key = root.Find({"Software"});
  key->SetValue("Pause", RegistryValue::String("1"));
  key->SetValue("PAUSE", RegistryValue::String("2"));
  ASSERT_EQ(key->Values().size(), 1u);
  EXPECT_EQ(key->Values()[0].first, "Pause");
  EXPECT_EQ(key->Value("pause")->data, QByteArray("2", 2));

  // Names a file line could not hold are refused, and nothing is made on the way.
  EXPECT_FALSE(root.Create({"New", "bad\nname"}));
  EXPECT_FALSE(root.Create({"New", ""}));
  EXPECT_FALSE(root.Find({"New"}));

  EXPECT_TRUE(root.Remove({"SOFTWARE", "OSTRIVO"}));
  EXPECT_FALSE(root.Find({"Software", "Ostrivo", "Sub"}));
  EXPECT_TRUE(root.Find({"Software"}));
  EXPECT_FALSE(root.Remove({}));
}
