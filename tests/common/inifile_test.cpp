#include "inifile.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

namespace lirra {
namespace {

using namespace Qt::StringLiterals;
using IniFileTest = lirra::testing::TempDirTest;

TEST_F(IniFileTest, MissingFileReadsDefaultsAndIsCreatedOnSave) {
  IniFile ini(path("lirra.ini"));
  EXPECT_FALSE(ini.existed());
  EXPECT_EQ(ini.readString("main", "skin", "none"), u"none"_s);
  EXPECT_EQ(ini.readInteger("main", "pos_w", 270), 270);
  EXPECT_TRUE(ini.readBool("main", "show_lrc", true));
  EXPECT_FALSE(ini.modified());
  EXPECT_TRUE(entries().isEmpty());

  ini.writeInteger("main", "pos_w", 360);
  ini.writeBool("main", "random", true);
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(readBytes("lirra.ini"), QByteArray("[main]\r\npos_w=360\r\nrandom=1\r\n"));
}

TEST_F(IniFileTest, SectionsAndKeysMatchCaseInsensitivelyAndValuesAreTrimmed) {
  writeBytes("a.ini", "[ MAIN ]\r\n  Pos_W =  300  \r\nSKIN= \"Blue Steel.bmp\" \r\n");
  IniFile ini(path("a.ini"));
  EXPECT_EQ(ini.readInteger("main", "pos_w", 0), 300);
  EXPECT_EQ(ini.readString("Main", "skin", {}), u"Blue Steel.bmp"_s);
  EXPECT_FALSE(ini.value("main", "pos").has_value());
  EXPECT_FALSE(ini.value("other", "pos_w").has_value());
}

TEST_F(IniFileTest, TruthValuesAndIntegers) {
  writeBytes("a.ini",
             "[main]\r\nt1=1\r\nt2=2\r\nt3=-1\r\nf=0\r\nword=yes\r\nempty=\r\n"
             "neg=-270\r\nhex=0x10\r\nhuge=99999999999\r\n");
  IniFile ini(path("a.ini"));
  EXPECT_TRUE(ini.readBool("main", "t1", false));
  EXPECT_TRUE(ini.readBool("main", "t2", false));  // any non-zero number is true
  EXPECT_TRUE(ini.readBool("main", "t3", false));
  EXPECT_FALSE(ini.readBool("main", "f", true));
  EXPECT_TRUE(ini.readBool("main", "word", true));  // not a number: the default
  EXPECT_FALSE(ini.readBool("main", "empty", false));
  EXPECT_EQ(ini.readInteger("main", "neg", 0), -270);
  EXPECT_EQ(ini.readInteger("main", "hex", 7), 7);  // integers are decimal only
  EXPECT_EQ(ini.readInteger("main", "huge", 7), 7);
  EXPECT_EQ(ini.readString("main", "empty", u"def"_s), QString());  // present but empty

  ini.writeBool("main", "t2", false);
  ini.writeInteger("main", "neg", -195);
  EXPECT_EQ(ini.readString("main", "t2", {}), u"0"_s);
  EXPECT_EQ(ini.readString("main", "neg", {}), u"-195"_s);
}

TEST_F(IniFileTest, WriteChangesOnlyItsKeyAndKeepsEverythingElse) {
  const QByteArray original =
      "; Lirra settings\r\n"
      "[main]\r\n"
      "vis = 2\r\n"
      "# kept comment\r\n"
      "future_key=stays\r\n"
      "\r\n"
      "[AVS]\r\n"
      "cfg_fs_w=640\r\n";
  writeBytes("lirra.ini", original);
  IniFile ini(path("lirra.ini"));
  ini.writeInteger("MAIN", "VIS", 3);      // existing key: its line only, spelling kept
  ini.writeString("main", "skin", u"b.bmp"_s);  // new key: after the section's last key
  ini.writeInteger("Sched", "hour", 8);    // new section: at the end
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(readBytes("lirra.ini"), QByteArray("; Lirra settings\r\n"
                                               "[main]\r\n"
                                               "vis=3\r\n"
                                               "# kept comment\r\n"
                                               "future_key=stays\r\n"
                                               "skin=b.bmp\r\n"
                                               "\r\n"
                                               "[AVS]\r\n"
                                               "cfg_fs_w=640\r\n"
                                               "[Sched]\r\n"
                                               "hour=8\r\n"));
}

TEST_F(IniFileTest, WritingTheSameValueIsNoChange) {
  writeBytes("a.ini", "[main]\r\nvis=2\r\n");
  IniFile ini(path("a.ini"));
  ini.writeInteger("main", "vis", 2);
  EXPECT_FALSE(ini.modified());
  ini.writeInteger("main", "vis", 1);
  EXPECT_TRUE(ini.modified());
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyWinAndKeysOutsideSectionsAreIgnored) {
  writeBytes("a.ini", "vis=9\r\n[main]\r\nvis=1\r\nvis=2\r\n[main]\r\nvis=3\r\nm3u=x\r\n");
  IniFile ini(path("a.ini"));
  EXPECT_EQ(ini.readInteger("main", "vis", 0), 1);
  // Only the first [main] is the section; its later namesake is not searched.
  EXPECT_FALSE(ini.value("main", "m3u").has_value());
}

TEST_F(IniFileTest, ReadsGbkAndWritesUtf8) {
  writeBytes("a.ini", "[main]\r\nskin=\xC0\xB6\xC9\xAB.bmp\r\nvis=2\r\n");  // 蓝色.bmp in GBK
  IniFile ini(path("a.ini"));
  EXPECT_EQ(ini.readString("main", "skin", {}), u"蓝色.bmp"_s);
  ini.writeInteger("main", "vis", 1);
  ASSERT_TRUE(ini.save());
  EXPECT_EQ(readBytes("a.ini"), QByteArray("[main]\r\nskin=蓝色.bmp\r\nvis=1\r\n"));
}

TEST_F(IniFileTest, FailedSaveReportsAndKeepsChangesPending) {
  IniFile ini(path("missing-folder/lirra.ini"));
  ini.writeInteger("main", "vis", 1);
  QString error;
  EXPECT_FALSE(ini.save(&error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_TRUE(ini.modified());
}

}  // namespace
}  // namespace lirra
