#include "projects/settings.h"

#include <gtest/gtest.h>

#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "projects/ini_file.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "window/memory_window.h"

namespace qw {
namespace {

using test::GbkLines;
using test::ReadBytes;
using test::WriteBytes;

constexpr Control kList = Control::ProjectList;

// The ten used columns of one row, UTF-8.
using Row = std::vector<std::string>;

void AddRow(WindowOps& window, const Row& cells) {
  int row = window.InsertRow(kList, -1);
  for (size_t c = 0; c < cells.size(); ++c)
    window.SetCell(kList, row, static_cast<int>(c), Gbk(cells[c]));
}

Row RowOf(WindowOps& window, int row) {
  Row cells;
  for (int c = 0; c < 10; ++c) cells.push_back(Utf8(window.Cell(kList, row, c)));
  return cells;
}

// From "[name]" up to the next section line, bytes as stored.
std::string SectionBlock(const std::string& file, const std::string& utf8Name) {
  std::string header = "[" + Gbk(utf8Name) + "]\r\n";
  size_t begin = file.find(header);
  if (begin == std::string::npos) return {};
  size_t end = file.find("\r\n[", begin + header.size() - 2);
  return file.substr(begin, end == std::string::npos ? std::string::npos : end + 2 - begin);
}

Text LoadedStatus(int count) { return Gbk(" 配置读取完毕，网页数：") + IntToText(count); }
Text SavedStatus(int count) {
  return Gbk(" wzconfig.inf 配置文件保存成功！  论坛数：") + IntToText(count);
}

bool StartsWith(const Text& text, const Text& prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

const Row kRowA = {"1",
                   "卡饭论坛",
                   "https://bbs.kafan.cn/forum-215-1.html",
                   "新帖 “标题”",
                   "12-01 08:30:00",
                   "5",
                   "0",
                   "1",
                   "1",
                   "<a href=\"(.*?)\".*?>(.*?)</a>"};
const Row kRowB = {
    "2", "远景", "http://bbs.pcbeta.com/forum.php?mod=forumdisplay&fid=86", "", "", "", "",
    "",  "0",    "<th class=\"new\">.*?href=\"([^\"]+)\"[^>]*>([^<]+)"};
const Row kRowC = {"3",
                   "吾爱破解",
                   "https://www.52pojie.cn/forum-2-1.html",
                   "标题；带=号",
                   "12-02 23:59:59",
                   "",
                   "",
                   "",
                   "1",
                   "(thread-\\d+-1-1\\.html)\">(.+?)<"};

class SettingsTest : public ::testing::Test {
 protected:
  std::filesystem::path File() const { return SettingsPath(dir_.path()); }
  test::TempDir dir_;
  MemoryWindow window_;
  MonitorState state_;
};

TEST_F(SettingsTest, SettingsPathIsTheFileInTheGivenDirectory) {
  EXPECT_EQ(File(), dir_.path() / "wzconfig.inf");
  EXPECT_EQ(File().filename().string(), "wzconfig.inf");
}

TEST(ProjectListColumns, ElevenColumnsWithHeadersAndWidths) {
  const ColumnSpec expected[] = {{"", 20},         {"网站名", 90}, {"网址", 150}, {"最后文章", 80},
                                 {"更新时间", 80}, {"栏", 16},     {"类", 16},    {"审", 16},
                                 {"gbk", 30},      {"正则", 150},  {"", 0}};
  auto columns = ProjectListColumns();
  ASSERT_EQ(columns.size(), static_cast<size_t>(kProjectListColumns));
  for (size_t i = 0; i < columns.size(); ++i) {
    EXPECT_STREQ(columns[i].headerUtf8, expected[i].headerUtf8) << i;
    EXPECT_EQ(columns[i].width, expected[i].width) << i;
  }
}

TEST_F(SettingsTest, FirstStartWritesOnlyTheSoftwareName) {
  const Text section = Gbk("配置"), key = Gbk("软件名");
  EXPECT_EQ(ReadSetting(File(), section, key), "");
  Text error;
  ASSERT_TRUE(WriteSetting(File(), section, key, Gbk("Quillwatch (Discuz通用版) "), &error))
      << Utf8(error);
  EXPECT_EQ(ReadBytes(File()), GbkLines("[配置]\n软件名=Quillwatch (Discuz通用版) \n"));
  // The trailing blank goes on reading, so the title gets a single blank before " v1.0".
  EXPECT_EQ(ReadSetting(File(), section, key), Gbk("Quillwatch (Discuz通用版)"));

  LoadProjects(window_, state_, File());
  EXPECT_EQ(window_.RowCount(kList), 0);
  EXPECT_EQ(window_.GetText(Control::IntervalEdit), "");
}

TEST_F(SettingsTest, WriteSettingKeepsTheRestOfTheFile) {
  const std::string before =
      GbkLines("; kept\n[配置]\n软件名=我的监控\n项目数=1\n频率=300\n[1]\nwebname=站\nextra=x\n");
  WriteBytes(File(), before);
  ASSERT_TRUE(WriteSetting(File(), Gbk("配置"), Gbk("频率"), "60"));
  EXPECT_EQ(ReadBytes(File()), GbkLines("; kept\n[配置]\n软件名=我的监控\n项目数=1\n频率=60\n"
                                        "[1]\nwebname=站\nextra=x\n"));
  EXPECT_EQ(ReadSetting(File(), Gbk("配置"), Gbk("软件名")), Gbk("我的监控"));
}

TEST_F(SettingsTest, GbkRowsSurviveASaveAndALoad) {
  for (const Row& row : {kRowA, kRowB, kRowC}) AddRow(window_, row);
  window_.SetText(Control::IntervalEdit, "120");
  SaveProjects(window_, File());
  EXPECT_EQ(window_.StatusText(kStatusMessagePart), SavedStatus(3));
  EXPECT_EQ(state_.projectCount, 0);  // saving leaves the count alone

  MemoryWindow loaded;
  LoadProjects(loaded, state_, File());
  ASSERT_EQ(loaded.RowCount(kList), 3);
  EXPECT_EQ(RowOf(loaded, 0), kRowA);
  EXPECT_EQ(RowOf(loaded, 1), kRowB);
  EXPECT_EQ(RowOf(loaded, 2), kRowC);
  EXPECT_EQ(loaded.GetText(Control::IntervalEdit), "120");
  EXPECT_EQ(state_.projectCount, 3);
  EXPECT_EQ(loaded.StatusText(kStatusMessagePart), LoadedStatus(3));
}

TEST_F(SettingsTest, EverySectionHoldsItsKeysInOrderWithCodeEqualToWebname) {
  for (const Row& row : {kRowA, kRowB, kRowC}) AddRow(window_, row);
  SaveProjects(window_, File());
  std::string file = ReadBytes(File());
  for (int i = 1; i <= 3; ++i) {
    const Row row = RowOf(window_, i - 1);
    std::string expected = "[" + std::to_string(i) + "]\r\n";
    const char* keys[] = {"webname", "code", "url",     "title", "lastT",
                          "catalog", "sort", "isagree", "isgbk", "regular"};
    const int columns[] = {1, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int k = 0; k < 10; ++k)
      expected += std::string(keys[k]) + "=" + Gbk(row[columns[k]]) + "\r\n";
    EXPECT_EQ(SectionBlock(file, std::to_string(i)), expected) << i;
  }
  IniFile ini = IniFile::Parse(file);
  EXPECT_EQ(ini.Get(Gbk("配置"), Gbk("项目数")), "3");
}

TEST_F(SettingsTest, SectionsAboveTheCountAreNeitherLoadedNorTouched) {
  std::string text = "[配置]\n项目数=2\n频率=280\n";
  for (int i = 1; i <= 5; ++i)
    text += "[" + std::to_string(i) + "]\nwebname=站" + std::to_string(i) + "\nurl=http://s" +
            std::to_string(i) + "/\n; comment " + std::to_string(i) + "\nfuture=kept\n";
  const std::string before = GbkLines(text);
  WriteBytes(File(), before);

  LoadProjects(window_, state_, File());
  ASSERT_EQ(window_.RowCount(kList), 2);
  EXPECT_EQ(Utf8(window_.Cell(kList, 1, kSiteNameColumn)), "站2");
  EXPECT_EQ(state_.projectCount, 2);

  window_.SetCell(kList, 0, kLastTitleColumn, Gbk("新标题"));
  SaveProjects(window_, File());
  std::string after = ReadBytes(File());
  for (const char* name : {"3", "4", "5"}) {
    ASSERT_FALSE(SectionBlock(before, name).empty());
    EXPECT_EQ(SectionBlock(after, name), SectionBlock(before, name)) << name;
  }
  IniFile ini = IniFile::Parse(after);
  EXPECT_EQ(ini.Get("1", "title"), Gbk("新标题"));
  EXPECT_EQ(ini.Get("1", "future"), "kept");  // unknown keys stay in rewritten sections too
  EXPECT_EQ(ini.Get(Gbk("配置"), Gbk("项目数")), "2");
}

TEST_F(SettingsTest, DeletingAMiddleRowRenumbersSectionsAndLeavesTheOldLastOne) {
  for (const Row& row : {kRowA, kRowB, kRowC}) AddRow(window_, row);
  SaveProjects(window_, File());
  const std::string oldThird = SectionBlock(ReadBytes(File()), "3");
  ASSERT_FALSE(oldThird.empty());

  window_.DeleteRow(kList, 1);
  SaveProjects(window_, File());
  EXPECT_EQ(window_.StatusText(kStatusMessagePart), SavedStatus(2));
  std::string after = ReadBytes(File());
  EXPECT_EQ(SectionBlock(after, "3"), oldThird);
  IniFile ini = IniFile::Parse(after);
  EXPECT_EQ(ini.Get(Gbk("配置"), Gbk("项目数")), "2");
  EXPECT_EQ(ini.Get("1", "webname"), Gbk(kRowA[1]));
  EXPECT_EQ(ini.Get("2", "webname"), Gbk(kRowC[1]));
  EXPECT_EQ(ini.Get("2", "regular"), Gbk(kRowC[9]));

  LoadProjects(window_, state_, File());
  ASSERT_EQ(window_.RowCount(kList), 2);
  Row expectedSecond = kRowC;
  expectedSecond[0] = "2";  // the row showed "3" before the load
  EXPECT_EQ(RowOf(window_, 1), expectedSecond);
}

TEST_F(SettingsTest, LoadingNumbersTheRowsAfresh) {
  WriteBytes(File(), GbkLines("[配置]\n项目数=3\n[1]\nwebname=a\n[2]\nwebname=b\n[3]\n"));
  for (const char* number : {"7", "9", "x", "12"}) AddRow(window_, {number, "old"});
  LoadProjects(window_, state_, File());
  ASSERT_EQ(window_.RowCount(kList), 3);
  for (int row = 0; row < 3; ++row)
    EXPECT_EQ(window_.Cell(kList, row, kNumberColumn), IntToText(row + 1));
  EXPECT_EQ(window_.Cell(kList, 1, kSiteNameColumn), "b");
}

TEST_F(SettingsTest, QuotesAndSurroundingBlanksAreDroppedOnLoad) {
  WriteBytes(File(), GbkLines("[配置]\n项目数=1\n频率=  45  \n[1]\n"
                              "webname=  站名  \n"
                              "url=\"http://a/?x=1\"\n"
                              "title=\" 带空格 \"\n"
                              "lastT=\t12-01\t\n"
                              "isgbk='1'\n"
                              "regular=\"<a href=\"(.*?)\">(.*?)</a>\"\n"));
  LoadProjects(window_, state_, File());
  ASSERT_EQ(window_.RowCount(kList), 1);
  EXPECT_EQ(window_.GetText(Control::IntervalEdit), "45");
  const std::pair<int, const char*> cells[] = {
      {kSiteNameColumn, "站名"},
      {kUrlColumn, "http://a/?x=1"},
      {kLastTitleColumn, " 带空格 "},
      {kLastTimeColumn, "12-01"},
      {kGbkColumn, "1"},
      {kRegexColumn, "<a href=\"(.*?)\">(.*?)</a>"},
  };
  for (const auto& [column, expected] : cells)
    EXPECT_EQ(Utf8(window_.Cell(kList, 0, column)), expected) << column;
}

TEST_F(SettingsTest, EmptyCellsAreSavedAsEmptyKeysAndLoadBackEmpty) {
  AddRow(window_, {"1", "站", "http://x/", "", "", "", "", "", "1", ""});
  window_.SetText(Control::IntervalEdit, "");
  SaveProjects(window_, File());
  std::string file = ReadBytes(File());
  for (const char* key : {"title=\r\n", "lastT=\r\n", "catalog=\r\n", "regular=\r\n"})
    EXPECT_NE(SectionBlock(file, "1").find(key), std::string::npos) << key;
  EXPECT_NE(SectionBlock(file, "配置").find(Gbk("频率=\r\n")), std::string::npos);

  MemoryWindow loaded;
  LoadProjects(loaded, state_, File());
  EXPECT_EQ(RowOf(loaded, 0), RowOf(window_, 0));
  EXPECT_EQ(loaded.GetText(Control::IntervalEdit), "");
}

TEST_F(SettingsTest, CountIsReadAsALeadingInteger) {
  struct Case {
    const char* count;  // UTF-8
    int rows;
  };
  const Case cases[] = {
      {"2", 2},
      {"", 0},
      {"abc", 0},
      {"-3", 0},
      {"0", 0},
      {"２", 2},
      {" 3", 3},
      {"4x", 4},
      {"+1", 1},
      {"１.５", 1},
      {"99999999999", kMaxProjectCount},  // a damaged count cannot exhaust memory
  };
  for (const Case& c : cases) {
    WriteBytes(File(), GbkLines(std::string("[配置]\n项目数=") + c.count +
                                "\n[1]\nwebname=a\n[2]\nwebname=b\n"));
    AddRow(window_, {"1", "left over"});
    LoadProjects(window_, state_, File());
    EXPECT_EQ(window_.RowCount(kList), c.rows) << c.count;
    EXPECT_EQ(state_.projectCount, c.rows) << c.count;
    EXPECT_EQ(window_.StatusText(kStatusMessagePart), LoadedStatus(c.rows)) << c.count;
  }
}

TEST_F(SettingsTest, CountAboveTheSectionsPresentMakesNumberOnlyRows) {
  WriteBytes(File(), GbkLines("[配置]\n项目数=4\n[1]\nwebname=a\nurl=u1\n[2]\nwebname=b\n"));
  LoadProjects(window_, state_, File());
  ASSERT_EQ(window_.RowCount(kList), 4);
  EXPECT_EQ(window_.Cell(kList, 1, kSiteNameColumn), "b");
  for (int row = 2; row < 4; ++row) {
    Row expected(10);
    expected[0] = std::to_string(row + 1);
    EXPECT_EQ(RowOf(window_, row), expected) << row;
  }
  EXPECT_EQ(window_.StatusText(kStatusMessagePart), LoadedStatus(4));
}

TEST_F(SettingsTest, MissingFileGivesNoRowsAndAnEmptyInterval) {
  AddRow(window_, {"1", "old"});
  ASSERT_EQ(window_.GetText(Control::IntervalEdit), "280");
  LoadProjects(window_, state_, File());
  EXPECT_EQ(window_.RowCount(kList), 0);
  EXPECT_EQ(window_.GetText(Control::IntervalEdit), "");
  EXPECT_EQ(state_.projectCount, 0);
  EXPECT_EQ(window_.StatusText(kStatusMessagePart), LoadedStatus(0));
  EXPECT_FALSE(std::filesystem::exists(File()));  // loading never creates the file
}

// Ways to make the save fail that hold for root as well.
enum class Blocker { TempNameIsADirectory, ParentIsAFile, SettingsPathIsADirectory, ReadOnlyDir };

struct FailCase {
  const char* name;
  Blocker blocker;
};
void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }

class FailedSaveTest : public SettingsTest, public ::testing::WithParamInterface<FailCase> {
 protected:
  // Sets up the failure; returns the settings file to use.
  std::filesystem::path Block() {
    switch (GetParam().blocker) {
      case Blocker::TempNameIsADirectory:
        std::filesystem::create_directory(dir_.path() / "wzconfig.inf.tmp");
        return File();
      case Blocker::ParentIsAFile:
        WriteBytes(dir_.path() / "plain", "not a folder");
        return SettingsPath(dir_.path() / "plain");
      case Blocker::SettingsPathIsADirectory:
        std::filesystem::create_directory(File());
        return File();
      case Blocker::ReadOnlyDir:
        std::filesystem::permissions(
            dir_.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        return File();
    }
    return File();
  }
  void SetUp() override {
#ifdef _WIN32
    if (GetParam().blocker == Blocker::ReadOnlyDir) GTEST_SKIP() << "POSIX permissions";
#else
    if (GetParam().blocker == Blocker::ReadOnlyDir && geteuid() == 0)
      GTEST_SKIP() << "root writes into read-only folders";
#endif
  }
};

TEST_P(FailedSaveTest, ReportsTheFailureAndLeavesTheOldFile) {
  const bool hasOldFile = GetParam().blocker == Blocker::TempNameIsADirectory ||
                          GetParam().blocker == Blocker::ReadOnlyDir;
  const std::string before = GbkLines("[配置]\n项目数=1\n频率=280\n[1]\nwebname=旧\n");
  if (hasOldFile) WriteBytes(File(), before);
  std::filesystem::path file = Block();

  AddRow(window_, kRowA);
  AddRow(window_, kRowB);
  SaveProjects(window_, file);
  Text status = window_.StatusText(kStatusMessagePart);
  EXPECT_TRUE(StartsWith(status, SaveFailedText())) << Utf8(status);
  EXPECT_GT(status.size(), SaveFailedText().size()) << "no reason given";

  Text error;
  EXPECT_FALSE(WriteSetting(file, Gbk("配置"), Gbk("软件名"), "x", &error));
  EXPECT_TRUE(StartsWith(error, SaveFailedText())) << Utf8(error);
  EXPECT_GT(error.size(), SaveFailedText().size());

  if (hasOldFile) {
    EXPECT_EQ(ReadBytes(File()), before);
  }
  if (GetParam().blocker == Blocker::TempNameIsADirectory) {
    EXPECT_TRUE(std::filesystem::is_directory(dir_.path() / "wzconfig.inf.tmp"));
  } else {
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".tmp"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Blockers, FailedSaveTest,
    ::testing::Values(FailCase{"TempNameIsADirectory", Blocker::TempNameIsADirectory},
                      FailCase{"ParentIsAFile", Blocker::ParentIsAFile},
                      FailCase{"SettingsPathIsADirectory", Blocker::SettingsPathIsADirectory},
                      FailCase{"ReadOnlyDir", Blocker::ReadOnlyDir}),
    [](const ::testing::TestParamInfo<FailCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsTest, AStaleTemporaryFileIsReplacedNotAnObstacle) {
  WriteBytes(dir_.path() / "wzconfig.inf.tmp", "left by a crash");
  AddRow(window_, kRowA);
  SaveProjects(window_, File());
  EXPECT_EQ(window_.StatusText(kStatusMessagePart), SavedStatus(1));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "wzconfig.inf.tmp"));
  EXPECT_EQ(IniFile::Parse(ReadBytes(File())).Get("1", "webname"), Gbk(kRowA[1]));
}

}  // namespace
}  // namespace qw
