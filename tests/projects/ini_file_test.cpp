#include "projects/ini_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "text/codepage.h"

namespace qw {
namespace {

using test::GbkLines;

// A file with the odd spots of hand-edited settings files.
const std::string kMessyFile = GbkLines(
    "; written by hand\n"
    "orphan=above every section\n"
    "[配置]\n"
    "软件名 =  Quillwatch (Discuz通用版)   \n"
    "项目数=2\n"
    "[Alpha]\n"
    "Key1=value\n"
    "quoted=\"  inner  \"\n"
    "single='x'\n"
    "unmatched=\"abc\n"
    "mixed=\"abc'\n"
    "lonequote=\"\n"
    "tabbed=\t v a l \t\n"
    "empty=\n"
    "emptyquotes=\"\"\n"
    "eq=a=b\n"
    "  indented = yes\n"
    "url=first\n"
    "URL=second\n"
    "noequals\n"
    "[alpha]\n"
    "late=in a second section of the same name\n");

struct GetCase {
  const char* section;
  const char* key;
  const char* expected;  // UTF-8
};

TEST(IniFileGet, ReadsLikeThePrivateProfileFunctions) {
  IniFile ini = IniFile::Parse(kMessyFile);
  const GetCase cases[] = {
      {"配置", "软件名", "Quillwatch (Discuz通用版)"},  // blanks around key and value go
      {"配置", "项目数", "2"},
      {"alpha", "KEY1", "value"},  // names ignore ASCII letter case
      {"ALPHA", "key1", "value"},
      {"Alpha", "quoted", "  inner  "},  // quotes go, the blanks inside them stay
      {"Alpha", "single", "x"},
      {"Alpha", "unmatched", "\"abc"},
      {"Alpha", "mixed", "\"abc'"},
      {"Alpha", "lonequote", "\""},
      {"Alpha", "tabbed", "v a l"},
      {"Alpha", "empty", ""},
      {"Alpha", "emptyquotes", ""},
      {"Alpha", "eq", "a=b"},
      {"Alpha", "indented", "yes"},
      {"Alpha", "url", "first"},  // the first of two spellings wins
      {"Alpha", "late", ""},      // so does the first section of a name
      {"Alpha", "noequals", ""},
      {"Alpha", "missing", ""},
      {"Missing", "url", ""},
      {"", "orphan", ""},
      {"配置", "orphan", ""},
  };
  for (const GetCase& c : cases)
    EXPECT_EQ(ini.Get(Gbk(c.section), Gbk(c.key)), Gbk(c.expected)) << c.section << " / " << c.key;
}

TEST(IniFileGet, SectionNamesWithDoubleByteCharactersIgnoreOnlyAsciiCase) {
  // 0x81 0x61 and 0x81 0x41 are two different characters, although their trail bytes
  // differ only in ASCII letter case.
  IniFile ini = IniFile::Parse("[\x81\x61]\r\nk=lower\r\n[A]\r\nk=upper\r\n");
  EXPECT_EQ(ini.Get("\x81\x61", "K"), "lower");
  EXPECT_EQ(ini.Get("a", "k"), "upper");
  EXPECT_EQ(ini.Get("\x81\x41", "k"), "");
}

struct CutCase {
  const char* name;
  std::string value;
  std::string expected;
};

TEST(IniFileGet, LongValuesAreCutWithoutSplittingACharacter) {
  const std::string zhong = Gbk("中");
  std::string zhongs;
  for (int i = 0; i < 5120; ++i) zhongs += zhong;  // 10240 bytes
  const CutCase cases[] = {
      {"fits", std::string(10239, 'x'), std::string(10239, 'x')},
      {"one over", std::string(10240, 'x'), std::string(10239, 'x')},
      {"far over", std::string(30000, 'y'), std::string(10239, 'y')},
      {"quotes first", "\"" + std::string(10239, 'q') + "\"", std::string(10239, 'q')},
      {"double-byte at the edge", zhongs, zhongs.substr(0, 10238)},
      {"double-byte after one ASCII", "a" + zhongs, "a" + zhongs.substr(0, 10238)},
  };
  for (const CutCase& c : cases) {
    IniFile ini = IniFile::Parse("[s]\r\nk=" + c.value + "\r\n");
    Text got = ini.Get("s", "k");
    EXPECT_EQ(got.size(), c.expected.size()) << c.name;
    EXPECT_EQ(got, c.expected) << c.name;
    EXPECT_LE(got.size(), static_cast<size_t>(kMaxSettingLength)) << c.name;
  }
}

TEST(IniFileSet, KeepsEverythingElseAndWritesCrlf) {
  // LF line endings, comments, unknown keys, blank lines and an old section.
  IniFile ini = IniFile::Parse(
      "; top comment\n"
      "[Config]\n"
      "count = 3\n"
      "; note inside\n"
      "unknown=keep me\n"
      "\n"
      "\n"
      "[9]\n"
      "webname=old nine\n"
      "\n");
  ASSERT_TRUE(ini.Set("CONFIG", "Count", "2"));      // rewritten under its own spelling
  ASSERT_TRUE(ini.Set("config", "interval", "60"));  // new key: end of the section
  ASSERT_TRUE(ini.Set("1", "webname", "one"));       // new section: end of the file
  ASSERT_TRUE(ini.Set("1", "code", "one"));
  EXPECT_EQ(ini.Serialize(),
            "; top comment\r\n"
            "[Config]\r\n"
            "count=2\r\n"
            "; note inside\r\n"
            "unknown=keep me\r\n"
            "interval=60\r\n"
            "\r\n"
            "\r\n"
            "[9]\r\n"
            "webname=old nine\r\n"
            "\r\n"
            "[1]\r\n"
            "webname=one\r\n"
            "code=one\r\n");
}

TEST(IniFileSet, UnchangedFileSerializesAsReadApartFromLineEndings) {
  std::string crlf = kMessyFile;
  EXPECT_EQ(IniFile::Parse(crlf).Serialize(), crlf);
  std::string lf;
  for (char c : crlf)
    if (c != '\r') lf += c;
  EXPECT_EQ(IniFile::Parse(lf).Serialize(), crlf);
  // A last line without a line break gets one.
  EXPECT_EQ(IniFile::Parse("[a]\nk=v").Serialize(), "[a]\r\nk=v\r\n");
}

TEST(IniFileSet, ValuesReadBackUnderTheReadingRules) {
  struct Case {
    const char* value;  // UTF-8
    const char* readBack;
  };
  const Case cases[] = {
      {"论坛 名称", "论坛 名称"},
      {"<a href=\"(.*?)\">(.*?)</a>", "<a href=\"(.*?)\">(.*?)</a>"},
      {"  padded\t", "padded"},
      {"\"quoted\"", "quoted"},
      {"", ""},
      {"a;b#c[d]", "a;b#c[d]"},
  };
  IniFile ini;
  for (const Case& c : cases) {
    ASSERT_TRUE(ini.Set("s", "k", Gbk(c.value)));
    IniFile again = IniFile::Parse(ini.Serialize());
    EXPECT_EQ(again.Get("s", "k"), Gbk(c.readBack)) << c.value;
  }
}

TEST(IniFileSet, LineBreaksInAValueCannotAddLines) {
  // A post title is page text; it must not plant a section of its own.
  IniFile ini = IniFile::Parse("[1]\r\nurl=a\r\n[2]\r\nurl=real\r\n");
  ASSERT_TRUE(ini.Set("1", "title", "x\r\n[2]\r\nurl=evil\ny"));
  IniFile again = IniFile::Parse(ini.Serialize());
  EXPECT_EQ(again.Get("2", "url"), "real");
  EXPECT_EQ(again.Get("1", "title"), "x  [2]  url=evil y");
  EXPECT_EQ(again.Serialize(), ini.Serialize());
}

TEST(IniFileSet, RefusesNamesThatCannotBeStored) {
  struct Case {
    const char* section;
    const char* key;
  };
  const Case cases[] = {
      {"", "k"},   {"  ", "k"}, {"s", ""},     {"s", " \t"}, {"s", "a=b"},
      {"s", ";c"}, {"s", "[x"}, {"a\nb", "k"}, {"s", "k\r"},
  };
  const std::string original = "[s]\r\nk=v\r\n";
  for (const Case& c : cases) {
    IniFile ini = IniFile::Parse(original);
    EXPECT_FALSE(ini.Set(c.section, c.key, "new")) << c.section << " / " << c.key;
    EXPECT_EQ(ini.Serialize(), original) << c.section << " / " << c.key;
  }
}

TEST(IniFileFiles, LoadsMissingFileAsEmptyAndSavesWholeFile) {
  test::TempDir dir;
  std::filesystem::path file = dir.path() / "settings.inf";
  IniFile ini;
  std::string error;
  ASSERT_TRUE(ini.Load(file, &error));
  EXPECT_EQ(ini.Serialize(), "");
  ASSERT_TRUE(ini.Set("a", "k", "v"));
  ASSERT_TRUE(ini.Save(file, &error)) << error;
  EXPECT_EQ(test::ReadBytes(file), "[a]\r\nk=v\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "settings.inf.tmp"));

  IniFile loaded;
  ASSERT_TRUE(loaded.Load(file, &error));
  EXPECT_EQ(loaded.Get("A", "K"), "v");
}

TEST(IniFileFiles, ADirectoryInThePlaceOfTheFileIsAnError) {
  test::TempDir dir;
  std::filesystem::path file = dir.path() / "settings.inf";
  std::filesystem::create_directory(file);
  IniFile ini = IniFile::Parse("[a]\r\nk=v\r\n");
  std::string error;
  EXPECT_FALSE(ini.Load(file, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ini.Get("a", "k"), "");  // nothing of the earlier document remains
}

}  // namespace
}  // namespace qw
